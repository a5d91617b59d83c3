#include "gui/codecdb/codec_windows.h"

#include <QGridLayout>
#include <algorithm>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <cstdlib>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/common/lang.h"
#include "gui/shell/main_window.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

using fw::codecdb::CodecDb;
using fw::codecdb::CodecRecord;
using fw::codecdb::Table;

namespace {

// Field labels; the audio table has no "registered" column, so its field 3 stays hidden.
std::array<QString, 6> fieldLabels(Table t) {
    if (t == Table::Video)
        return {QStringLiteral("FourCC"), lang("AVCodecDB", 1), lang("AVCodecDB", 2), lang("AVCodecDB", 4),
                lang("AVCodecDB", 3), lang("AVCodecDB", 5)};
    return {QStringLiteral("ID"), lang("AVCodecDB", 1), lang("AVCodecDB", 2), QString(), lang("AVCodecDB", 3),
            lang("AVCodecDB", 5)};
}

QString countText(const CodecDb& db, Table t) {
    return lang("DatabaseUpdater", 4) + QStringLiteral(" %1 ").arg(db.count(t)) + lang("DatabaseUpdater", 5);
}

std::array<QLineEdit*, 6> buildFields(QWidget* owner, QGridLayout* grid, Table t, bool editable) {
    std::array<QLineEdit*, 6> fields{};
    auto labels = fieldLabels(t);
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(labels[static_cast<std::size_t>(i)], owner);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        auto* f = new QLineEdit(owner);
        f->setObjectName(QStringLiteral("Text1_%1").arg(i));
        f->setReadOnly(!editable);
        // Room for a whole description or address as the table holds them (about 90 characters),
        // set once, so the window does not grow as records change.
        f->setMinimumWidth(i >= 4 ? f->fontMetrics().averageCharWidth() * 90 : 320);
        grid->addWidget(label, i, 0);
        grid->addWidget(f, i, 1);
        if (t == Table::Audio && i == 3) {
            label->hide();
            f->hide();
        }
        fields[static_cast<std::size_t>(i)] = f;
    }
    fields[0]->setMaxLength(t == Table::Video ? 4 : 5);
    return fields;
}

// Audio tags are numbers: the windows list them 1, 2, ... 10 (the database's text order would give
// 1, 10, 100, 2). FourCCs stay in text order.
std::vector<std::string> keysInOrder(const CodecDb& db, Table t) {
    auto keys = db.keys(t);
    if (t == Table::Audio)
        std::stable_sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
            const auto na = std::strtoull(a.c_str(), nullptr, 10), nb = std::strtoull(b.c_str(), nullptr, 10);
            return na != nb ? na < nb : a < b;
        });
    return keys;
}

void fillFields(std::array<QLineEdit*, 6>& fields, const CodecRecord& r) {
    for (std::size_t i = 0; i < 6; ++i) {
        fields[i]->setText(qs(r.fields[i]));
        fields[i]->setCursorPosition(0);
        fields[i]->setToolTip(qs(r.fields[i]));  // anything longer still reads in full
    }
}


}  // namespace

// ---------------------------------------------------------------------------------------------
CodecBrowser::CodecBrowser(Table table, QWidget* parent) : QWidget(parent, Qt::Window), m_table(table) {
    const bool video = table == Table::Video;
    setObjectName(video ? QStringLiteral("fourcc_data") : QStringLiteral("audio_codec_datab"));
    setWindowTitle(withoutMnemonic(video ? lang("Menu", 14) : lang("Menu", 13)));
    auto* root = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    m_fields = buildFields(this, grid, table, false);
    root->addLayout(grid);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblCount"));
    root->addWidget(m_count);

    auto* buttons = new QHBoxLayout;
    auto* prev = iconButton(this, QStyle::SP_ArrowBack, "cmdPrev", lang("AVCodecDB", 6));
    auto* next = iconButton(this, QStyle::SP_ArrowForward, "cmdNext", lang("AVCodecDB", 7));
    auto* cerca = iconButton(this, QStyle::SP_FileDialogContentsView, "cerca", lang("General", 5));
    auto* info = iconButton(this, QStyle::SP_MessageBoxInformation, "info", lang("General", 6));
    auto* esci = iconButton(this, QStyle::SP_DialogCloseButton, "esci", lang("General", 2));
    for (auto* b : {prev, next, cerca, info}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(esci);
    root->addLayout(buttons);

    connect(prev, &QPushButton::clicked, this, [this] { step(-1); });
    connect(next, &QPushButton::clicked, this, [this] { step(1); });
    connect(cerca, &QPushButton::clicked, this, &CodecBrowser::cerca_Click);
    connect(info, &QPushButton::clicked, this, [this, video] {
        if (video) showInfoWindow(this, QStringLiteral("Fourcc database - info"), lang("Infos", 2));
        else showInfoWindow(this, QStringLiteral("Audio ID database - info"), lang("Infos", 1));
    });
    connect(esci, &QPushButton::clicked, this, &QWidget::close);

    CodecDb db;
    if (!db.isOpen()) {
        MsgBox::show(this, Message::lang("DatabaseUpdaterMsgBox", 6, Icon::Critical), windowTitle());
        return;
    }
    m_count->setText(countText(db, table));
    auto keys = keysInOrder(db, table);
    if (!keys.empty()) lookup(qs(keys.front()));
}

QString CodecBrowser::field(int i) const { return m_fields[static_cast<std::size_t>(i)]->text(); }

bool CodecBrowser::lookup(const QString& key) {
    CodecDb db;
    auto r = db.find(m_table, ss(key));
    if (!r) {
        MsgBox::show(this, fw::codecdb::notFoundMessage(m_table), windowTitle());
        return false;
    }
    fillFields(m_fields, *r);
    return true;
}

void CodecBrowser::cerca_Click() {
    QString prompt = m_table == Table::Video ? lang("DatabaseUpdater", 2) : lang("DatabaseUpdater", 1);
    QString answer = InputBox::ask(this, prompt, lang("DatabaseUpdater", 3));
    if (!answer.isEmpty()) lookup(answer);
}

void CodecBrowser::step(int delta) {
    CodecDb db;
    auto keys = keysInOrder(db, m_table);
    if (keys.empty()) return;
    auto it = std::find(keys.begin(), keys.end(), ss(m_fields[0]->text()));
    long idx = it == keys.end() ? 0 : (it - keys.begin()) + delta;
    idx = std::clamp<long>(idx, 0, static_cast<long>(keys.size()) - 1);
    lookup(qs(keys[static_cast<std::size_t>(idx)]));
}

// ---------------------------------------------------------------------------------------------
CodecEditor::CodecEditor(Table table, QWidget* parent) : QWidget(parent, Qt::Window), m_table(table) {
    const bool video = table == Table::Video;
    setObjectName(video ? QStringLiteral("Fourcc_updater") : QStringLiteral("Audio_codec_updater"));
    setWindowTitle(video ? lang("DatabaseUpdater", 11) : lang("DatabaseUpdater", 12));
    auto* root = new QHBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setMaximumWidth(140);
    root->addWidget(m_list);
    auto* right = new QVBoxLayout;
    auto* grid = new QGridLayout;
    m_fields = buildFields(this, grid, table, true);
    right->addLayout(grid);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblCount"));
    right->addWidget(m_count);

    auto* buttons = new QHBoxLayout;
    m_add = new QPushButton(lang("DatabaseUpdater", 7), this);
    m_add->setObjectName(QStringLiteral("aggiungi"));
    m_modify = new QPushButton(lang("DatabaseUpdater", 8), this);
    m_modify->setObjectName(QStringLiteral("modifica"));
    auto* refresh = new QPushButton(lang("DatabaseUpdater", 9), this);
    refresh->setObjectName(QStringLiteral("aggiorna"));
    m_save = iconButton(this, QStyle::SP_DialogSaveButton, "salva", lang("DatabaseUpdaterTooltips", 4));
    auto* del = iconButton(this, QStyle::SP_TrashIcon, "elimina", lang("DatabaseUpdaterTooltips", 3));
    auto* cerca = iconButton(this, QStyle::SP_FileDialogContentsView, "cerca", lang("General", 5));
    auto* esci = iconButton(this, QStyle::SP_DialogCloseButton, "esci", lang("General", 2));
    for (auto* b : {m_add, m_modify, m_save, del, refresh, cerca}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(esci);
    right->addLayout(buttons);
    root->addLayout(right, 1);
    m_save->hide();

    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* it) { List1_Click(it->text()); });
    connect(m_add, &QPushButton::clicked, this, &CodecEditor::aggiungi_Click);
    connect(m_modify, &QPushButton::clicked, this, &CodecEditor::modifica_Click);
    connect(m_save, &QPushButton::clicked, this, &CodecEditor::salva_Click);
    connect(del, &QPushButton::clicked, this, &CodecEditor::elimina_Click);
    connect(refresh, &QPushButton::clicked, this, &CodecEditor::refresh_form);
    connect(cerca, &QPushButton::clicked, this, [this, video] {
        QString prompt = video ? lang("DatabaseUpdater", 2) : lang("DatabaseUpdater", 1);
        QString answer = InputBox::ask(this, prompt, lang("DatabaseUpdater", 3));
        if (!answer.isEmpty()) List1_Click(answer);
    });
    connect(esci, &QPushButton::clicked, this, &QWidget::close);
    refresh_form();
}

void CodecEditor::refresh_form() {
    CodecDb db;
    if (!db.isOpen()) {
        MsgBox::show(this, Message::lang("DatabaseUpdaterMsgBox", 6, Icon::Critical), windowTitle());
        return;
    }
    m_count->setText(countText(db, m_table));
    m_list->clear();
    QStringList keys;
    for (const auto& k : keysInOrder(db, m_table)) keys << qs(k);
    m_list->addItems(keys);
}

void CodecEditor::List1_Click(const QString& key) {
    if (key.isEmpty()) return;
    CodecDb db;
    auto r = db.find(m_table, ss(key));
    if (!r) {
        MsgBox::show(this, fw::codecdb::notFoundMessage(m_table), windowTitle());
        return;
    }
    fillFields(m_fields, *r);
    m_lastKey = key;
}

void CodecEditor::setIdle() {
    m_state = State::Idle;
    m_save->hide();
    m_add->setText(lang("DatabaseUpdater", 7));
    m_modify->setText(lang("DatabaseUpdater", 8));
}

void CodecEditor::aggiungi_Click() {
    if (m_state == State::Idle) {
        m_state = State::Adding;
        m_add->setText(lang("DatabaseUpdater", 10));
        m_save->show();
    } else if (m_state == State::Adding) {
        setIdle();
    }
}

void CodecEditor::modifica_Click() {
    if (m_state == State::Idle) {
        if (m_lastKey.isEmpty()) return;  // nothing looked up yet: nothing to modify
        m_state = State::Modifying;
        m_modify->setText(lang("DatabaseUpdater", 10));
        m_save->show();
    } else if (m_state == State::Modifying) {
        setIdle();
    }
}

CodecRecord CodecEditor::fromFields() const {
    CodecRecord r;
    // Nothing is trimmed: "RGB " and "Y8  " are codes whose blanks belong to them.
    for (std::size_t i = 0; i < 6; ++i) r.fields[i] = ss(m_fields[i]->text());
    if (m_table == Table::Audio) r.fields[3].clear();
    return r;
}

void CodecEditor::salva_Click() {
    if (m_state == State::Idle) return;
    CodecDb db;
    CodecRecord r = fromFields();
    auto res = m_state == State::Adding ? db.insert(m_table, r) : db.update(m_table, ss(m_lastKey), r);
    MsgBox::showAll(this, res.messages, windowTitle());
    if (!res.ok) return;  // the edit stays pending so the user can correct it
    if (m_table == Table::Video && r.fields[0].size() < 4) r.fields[0].resize(4, ' ');
    m_fields[0]->setText(qs(r.key()));
    m_lastKey = qs(r.key());
    refresh_form();
    setIdle();
}

void CodecEditor::elimina_Click() {
    QString key = m_fields[0]->text();
    if (key.isEmpty()) return;
    // A delete cannot be undone: Enter answers No.
    const Message ask = Message::lang("DatabaseUpdaterMsgBox", 3, Icon::Question);
    if (MsgBox::show(this, qs(ask.resolve()), windowTitle(), Icon::Question, Buttons::YesNo, true) != Answer::Yes) return;
    CodecDb db;
    if (!db.find(m_table, ss(key))) {
        MsgBox::show(this, fw::codecdb::notFoundMessage(m_table), windowTitle());
        return;
    }
    auto res = db.remove(m_table, ss(key));
    MsgBox::showAll(this, res.messages, windowTitle());
    refresh_form();
    for (auto* f : m_fields) f->clear();
    m_lastKey.clear();
    setIdle();
}

// ---------------------------------------------------------------------------------------------
database_updater::database_updater(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("database_updater"));
    setWindowTitle(withoutMnemonic(lang("Menu", 8)));
    auto* lay = new QVBoxLayout(this);
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("Toolbar1"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* info = bar->addAction(style()->standardIcon(QStyle::SP_MessageBoxInformation), lang("DatabaseUpdater", 13));
    info->setObjectName(QStringLiteral("Button1"));
    QAction* audio = bar->addAction(style()->standardIcon(QStyle::SP_MediaVolume), lang("Menu", 13));
    audio->setObjectName(QStringLiteral("Button4"));
    QAction* fourcc = bar->addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView), lang("Menu", 14));
    fourcc->setObjectName(QStringLiteral("Button5"));
    lay->addWidget(bar);
    connect(info, &QAction::triggered, this,
            [this] { showInfoWindow(this, QStringLiteral("Database updater - info"), lang("Infos", 3)); });
    connect(audio, &QAction::triggered, this, [] {
        if (auto* m = mainWindow()) m->openTool(QStringLiteral("Audio_codec_updater"));
    });
    connect(fourcc, &QAction::triggered, this, [] {
        if (auto* m = mainWindow()) m->openTool(QStringLiteral("Fourcc_updater"));
    });
}

void openFourccBrowser(const QString& code) {
    auto* m = mainWindow();
    if (!m) return;
    if (auto* b = qobject_cast<CodecBrowser*>(m->openTool(QStringLiteral("fourcc")))) b->lookup(code);
}

}  // namespace fw::gui
