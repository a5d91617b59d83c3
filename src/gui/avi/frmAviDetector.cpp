#include "gui/avi/frmAviDetector.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"
#include "gui/ui/background.h"
#include "gui/ui/file_dialog.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

using fw::avi::InspectorResult;

namespace {

QColor fromBgr(std::uint32_t v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }

void setBackground(QLineEdit* e, std::optional<std::uint32_t> colour) {
    if (!colour) {
        e->setStyleSheet(QString());
        return;
    }
    QColor c = fromBgr(*colour);
    QColor text = c.lightness() < 128 ? Qt::white : Qt::black;
    e->setStyleSheet(QStringLiteral("QLineEdit { background: %1; color: %2; }").arg(c.name(), text.name()));
}


}  // namespace

frmAviDetector::frmAviDetector(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmAviDetector"));
    setAcceptDrops(true);
    buildUi();
    reset();
    m_runner = new BackgroundRunner(this, m_progress);
}

frmAviDetector::~frmAviDetector() {
    m_runner->stop();
    m_runner->wait();
}

QWidget* frmAviDetector::fieldRow(QWidget* parent, QGridLayout* grid, int row, int f, int col) {
    auto* caption = new QLabel(qs(fw::avi::fieldCaption(f)), parent);
    caption->setObjectName(QStringLiteral("lblText1_%1").arg(f));
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("Text1_%1").arg(f));
    edit->setReadOnly(true);
    grid->addWidget(caption, row, col);
    grid->addWidget(edit, row, col + 1);
    m_fields[static_cast<std::size_t>(f)] = edit;
    m_captions[static_cast<std::size_t>(f)] = caption;
    return edit;
}

void frmAviDetector::buildUi() {
    setWindowTitle(lang("FormCaptions", 2));
    auto* root = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* fileName = new QLineEdit(this);
    fileName->setObjectName(QStringLiteral("Text1_0"));
    fileName->setReadOnly(true);
    m_fields[0] = fileName;
    auto* open = iconButton(this, QStyle::SP_DialogOpenButton, "cmdOpen", lang("AviDetectorTooltips", 1));
    auto* report = iconButton(this, QStyle::SP_FileDialogDetailedView, "cmdReport", lang("AviDetectorTooltips", 2));
    auto* save = iconButton(this, QStyle::SP_DialogSaveButton, "cmdSaveHeader", lang("AviDetectorTooltips", 3));
    auto* play = iconButton(this, QStyle::SP_MediaPlay, "cmdPlay", lang("AviDetector", 53));
    auto* info = iconButton(this, QStyle::SP_MessageBoxInformation, "cmdInfo", lang("AviDetector", 54));
    auto* esci = iconButton(this, QStyle::SP_DialogCloseButton, "esci", lang("General", 2));
    m_fileButtons = {report, save, play};
    top->addWidget(new QLabel(qs(fw::avi::fieldCaption(0)), this));
    top->addWidget(fileName, 1);
    for (auto* b : {open, report, save, play, info, esci}) top->addWidget(b);
    root->addLayout(top);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    // General.
    auto* general = new QWidget;
    auto* gl = new QGridLayout(general);
    int row = 0;
    for (int f : {1, 2, 3, 4, 5, 6, 7}) fieldRow(general, gl, row++, f, 0);
    row = 0;
    for (int f : {8, 9, 10, 11, 12, 13, 20}) fieldRow(general, gl, row++, f, 2);
    m_chkRBV = new QCheckBox(lang("AviDetector", 52), general);
    m_chkRBV->setObjectName(QStringLiteral("chkRBV"));
    m_chkRBV->setChecked(true);
    gl->addWidget(m_chkRBV, row++, 0, 1, 4);
    m_tabs->addTab(general, lang("AviDetector", 55));

    // Audio: two streams per page, pages "1 and 2", "3 and 4", "5 and 6".
    auto* audio = new QWidget;
    auto* al = new QVBoxLayout(audio);
    m_streamTabs = new QTabBar(audio);
    m_streamTabs->setObjectName(QStringLiteral("TabStrip2"));
    m_streamTabs->addTab(QStringLiteral("1 and 2"));
    m_streamPages = new QStackedWidget(audio);
    for (int page = 0; page < 3; ++page) {
        auto* w = new QWidget;
        auto* pl = new QGridLayout(w);
        for (int s = 0; s < 2; ++s) {
            const int stream = page * 2 + s;
            auto* title = new QLabel(lang("AviDetector", 37) + QStringLiteral(" %1").arg(stream + 1), w);
            title->setObjectName(QStringLiteral("lblStream_%1").arg(stream));
            QFont f = title->font();
            f.setBold(true);
            title->setFont(f);
            pl->addWidget(title, 0, s * 2, 1, 2);
            for (int k = 0; k < 6; ++k) fieldRow(w, pl, k + 1, 21 + 6 * stream + k, s * 2);
        }
        pl->setRowStretch(7, 1);
        m_streamPages->addWidget(w);
    }
    al->addWidget(m_streamTabs);
    al->addWidget(m_streamPages, 1);
    connect(m_streamTabs, &QTabBar::currentChanged, this, &frmAviDetector::showStreamTab);
    m_tabs->addTab(audio, lang("AviDetector", 2));

    // Flags.
    auto* flags = new QWidget;
    auto* fl = new QGridLayout(flags);
    for (int f = 14; f <= 19; ++f) fieldRow(flags, fl, f - 14, f);
    fl->setRowStretch(6, 1);
    m_tabs->addTab(flags, lang("AviDetector", 25));

    // Container.
    auto* container = new QWidget;
    auto* cl = new QGridLayout(container);
    row = 0;
    for (int f : {57, 58, 59, 60, 61, 62, 63}) fieldRow(container, cl, row++, f);
    m_overhead = new QLabel(container);
    m_overhead->setObjectName(QStringLiteral("Label1_41"));
    m_overhead->setAutoFillBackground(true);
    cl->addWidget(m_overhead, row++, 0, 1, 2);
    cl->setRowStretch(row, 1);
    m_tabs->addTab(container, lang("AviDetector", 28));

    // Chunks.
    m_grid = new QTableWidget(0, 3);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("ckid"), QStringLiteral("ckSize"), QStringLiteral("ckContent")});
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tabs->addTab(m_grid, lang("AviDetector", 26));

    // Tags.
    auto* tagsArea = new QScrollArea;
    auto* tags = new QWidget;
    auto* tl = new QGridLayout(tags);
    for (int i = 0; i < fw::avi::kTagCount; ++i) {
        auto* c = new QLabel(QString::fromLatin1(fw::avi::kInfoTagIds[static_cast<std::size_t>(i)]), tags);
        c->setObjectName(QStringLiteral("lblTag_%1").arg(i));
        auto* e = new QLineEdit(tags);
        e->setObjectName(QStringLiteral("txtTag_%1").arg(i));
        e->setReadOnly(true);
        tl->addWidget(c, i / 2, (i % 2) * 2);
        tl->addWidget(e, i / 2, (i % 2) * 2 + 1);
        m_tags[static_cast<std::size_t>(i)] = e;
        m_tagCaptions[static_cast<std::size_t>(i)] = c;
    }
    tagsArea->setWidget(tags);
    tagsArea->setWidgetResizable(true);
    m_tabs->addTab(tagsArea, lang("AviDetector", 27));
    root->addWidget(m_tabs, 1);
    // What the reader noticed about the file (damaged pages, streams it does not size): said in
    // the window, not only on the command line.
    m_warnings = new QLabel(this);
    m_warnings->setObjectName(QStringLiteral("lblWarnings"));
    m_warnings->setWordWrap(true);
    m_warnings->setStyleSheet(QStringLiteral("background: #fff3b0; padding: 3px;"));
    m_warnings->hide();
    root->addWidget(m_warnings);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->hide();
    root->addWidget(m_progress);

    connect(open, &QPushButton::clicked, this, &frmAviDetector::cmdOpen_Click);
    connect(report, &QPushButton::clicked, this, &frmAviDetector::cmdReport_Click);
    connect(save, &QPushButton::clicked, this, &frmAviDetector::cmdSaveHeader_Click);
    connect(play, &QPushButton::clicked, this, [this] { openOrSay(this, qs(m_result.path)); });
    connect(info, &QPushButton::clicked, this,
            [this] { showInfoWindow(this, QStringLiteral("Avi Detector - info"), lang("Infos", 4)); });
    connect(esci, &QPushButton::clicked, this, &QWidget::close);
    connect(m_chkRBV, &QCheckBox::toggled, this, [this](bool on) {
        if (m_result.ok && !m_result.isOgm) m_fields[9]->setText(qs(fw::avi::bitrateText(m_result.info.videoBitrate, on)));
    });
    resize(900, 520);
}

void frmAviDetector::showStreamTab(int tab) { m_streamPages->setCurrentIndex(std::max(tab, 0)); }

void frmAviDetector::reset() {
    m_result = {};
    for (auto* f : m_fields) {
        f->clear();
        f->setVisible(true);
        setBackground(f, std::nullopt);
    }
    for (std::size_t i = 0; i < m_captions.size(); ++i)
        if (m_captions[i]) {
            m_captions[i]->setText(qs(fw::avi::fieldCaption(static_cast<int>(i))));
            m_captions[i]->setVisible(true);
        }
    for (std::size_t i = 0; i < m_tags.size(); ++i) {
        m_tags[i]->clear();
        m_tagCaptions[i]->setText(QString::fromLatin1(fw::avi::kInfoTagIds[i]));
    }
    m_overhead->clear();
    m_overhead->setStyleSheet(QString());
    m_warnings->clear();
    m_warnings->hide();
    m_grid->setRowCount(0);
    while (m_streamTabs->count() > 1) m_streamTabs->removeTab(m_streamTabs->count() - 1);
    for (auto* b : m_fileButtons) b->setEnabled(false);
}

void frmAviDetector::cmdOpen_Click() {
    reset();
    auto r = OpenFileDialog(this,
                            {{QStringLiteral("Files avi (*.avi)"), QStringLiteral("*.avi")},
                             {QStringLiteral("Files avi (*.divx)"), QStringLiteral("*.divx")},
                             {QStringLiteral("Files Ogm (*.ogm)"), QStringLiteral("*.ogm *.ogg")}},
                            dialogTitle(3, 1));
    if (r.cancelled()) return;
    // The file's own first bytes decide the reader, whatever filter the dialog showed.
    loadFile(r.path);
}

bool frmAviDetector::busy() const { return m_runner->busy(); }

void frmAviDetector::loadFile(const QString& path, std::optional<bool> ogm) {
    if (busy()) return;
    reset();
    const bool isOgm = ogm.value_or(fw::avi::looksLikeOgm(ss(path)));  // the bytes first, then the name
    const bool rounded = m_chkRBV->isChecked();
    const std::string p = ss(path);
    auto result = std::make_shared<InspectorResult>();
    setWindowTitle(lang("FormCaptions", 3));
    m_progress->show();
    m_runner->start(
        [p, isOgm, rounded, result](fw::Progress progress) {
            *result = isOgm ? fw::avi::inspectOgm(p, std::move(progress)) : fw::avi::inspectAvi(p, std::move(progress), rounded);
        },
        [this, result] {
            m_progress->hide();
            setWindowTitle(lang("FormCaptions", 2));
            showResult(*result);
            emit loaded();
        });
}

void frmAviDetector::showResult(const InspectorResult& r) {
    MsgBox::showAll(this, r.messages, windowTitle());
    if (!r.ok) {
        reset();
        return;
    }
    m_result = r;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const auto& v = r.fields[i];
        m_fields[i]->setText(qs(v.text));
        m_fields[i]->setCursorPosition(0);
        setBackground(m_fields[i], v.colour);
        if (m_captions[i]) m_captions[i]->setVisible(!v.hidden || i % 6 == 3);
        // A text stream shows its one line in place of its six fields.
        m_fields[i]->setVisible(!v.hidden || (i >= 21 && i <= 56 && (i - 21) % 6 == 0));
    }
    for (int s = 0; s < fw::avi::kShownStreams; ++s) {
        if (r.fields[static_cast<std::size_t>(21 + 6 * s)].hidden) {
            for (int k = 0; k < 6; ++k) m_captions[static_cast<std::size_t>(21 + 6 * s + k)]->setVisible(false);
            m_fields[static_cast<std::size_t>(21 + 6 * s)]->setVisible(true);
        }
    }
    QStringList warnings;
    for (const auto& w : r.warnings) warnings << qs(w);
    m_warnings->setText(warnings.join(QLatin1Char('\n')));
    m_warnings->setVisible(!warnings.isEmpty());
    m_overhead->setText(qs(r.overheadLabel));
    if (!r.overheadLabel.empty()) m_overhead->setStyleSheet(QStringLiteral("background: yellow;"));
    m_grid->setRowCount(static_cast<int>(r.chunks.size()));
    for (int i = 0; i < static_cast<int>(r.chunks.size()); ++i) {
        const auto& c = r.chunks[static_cast<std::size_t>(i)];
        m_grid->setItem(i, 0, new QTableWidgetItem(qs(c.id)));
        m_grid->setItem(i, 1, new QTableWidgetItem(QString::number(c.size)));
        m_grid->setItem(i, 2, new QTableWidgetItem(qs(c.content)));
    }
    for (std::size_t i = 0; i < m_tags.size(); ++i) {
        m_tags[i]->setText(qs(r.tags[i]));
        m_tagCaptions[i]->setText(qs(r.tagCaptions[i]));
    }
    if (r.audioTabs >= 2) m_streamTabs->addTab(QStringLiteral("3 and 4"));
    if (r.audioTabs >= 3) m_streamTabs->addTab(QStringLiteral("5 and 6"));
    for (auto* b : m_fileButtons) b->setEnabled(true);
    m_fileButtons[1]->setEnabled(!r.isOgm);  // the header export copies AVI headers
}

void frmAviDetector::cmdReport_Click() {
    if (!m_result.ok) return;
    auto d = SaveFileDialog(this, {{lang("General", 11) + QStringLiteral(" (*.txt)"), QStringLiteral("*.txt")}},
                            lang("AviDetectorTooltips", 2));
    if (d.cancelled()) return;
    QDateTime now = QDateTime::currentDateTime();
    std::string text = fw::avi::buildReport(m_result, ss(now.toString(QStringLiteral("yyyy-MM-dd"))),
                                            ss(now.toString(QStringLiteral("HH:mm:ss"))));
    if (fw::avi::appendReport(ss(d.path), text))
        MsgBox::show(this, Message::lang("AviDetectorMsgBox", 7, Icon::Information), windowTitle());
    else
        MsgBox::show(this, Message::lang("AviDetectorMsgBox", 6, Icon::Critical), windowTitle());
}

void frmAviDetector::cmdSaveHeader_Click() {
    if (!m_result.ok || m_result.isOgm) return;
    // A child window of the inspector: it closes with it.
    auto* w = new frmSaveHeader(qs(m_result.path), fw::avi::proposedHeaderSize(m_result), this);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->show();
}

void frmAviDetector::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void frmAviDetector::dropEvent(QDropEvent* e) {
    const auto urls = e->mimeData()->urls();
    if (urls.isEmpty()) return;
    QString path = urls.front().toLocalFile();
    path.remove(QLatin1Char('\r'));
    loadFile(path);
}

void frmAviDetector::closeEvent(QCloseEvent* e) {
    m_runner->stop();
    QWidget::closeEvent(e);
}

// ---------------------------------------------------------------------------------------------
frmSaveHeader::frmSaveHeader(QString source, std::int64_t proposedBytes, QWidget* parent)
    : QWidget(parent, Qt::Window), m_source(std::move(source)), m_proposed(proposedBytes) {
    setObjectName(QStringLiteral("frmSaveHeader"));
    setWindowTitle(lang("FormCaptions", 10));
    auto* lay = new QGridLayout(this);
    auto* proposed = new QRadioButton(lang("SaveHeader", 1), this);
    proposed->setObjectName(QStringLiteral("Option1_0"));
    proposed->setChecked(true);
    auto* size = new QLabel(qs(fw::numberText(fw::roundHalfEven(proposedBytes / 1024.0, 3))) + QStringLiteral(" (KB)"), this);
    size->setObjectName(QStringLiteral("Label1"));
    auto* custom = new QRadioButton(lang("SaveHeader", 2), this);
    custom->setObjectName(QStringLiteral("Option1_1"));
    auto* kb = new QLineEdit(this);
    kb->setObjectName(QStringLiteral("Text1"));
    auto* save = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QString(), this);
    save->setObjectName(QStringLiteral("cmdSave"));
    save->setToolTip(lang("SaveHeaderTooltips", 1));
    auto* esci = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QString(), this);
    esci->setObjectName(QStringLiteral("esci"));
    esci->setToolTip(lang("General", 2));
    lay->addWidget(proposed, 0, 0);
    lay->addWidget(size, 0, 1);
    lay->addWidget(custom, 1, 0);
    lay->addWidget(kb, 1, 1);
    lay->addWidget(save, 2, 0);
    lay->addWidget(esci, 2, 1, Qt::AlignRight);
    connect(kb, &QLineEdit::textChanged, this, [kb, custom](const QString& t) {
        custom->setChecked(true);
        if (!t.isEmpty() && !fw::isNumeric(ss(t))) CheckNumeric(kb);
    });
    connect(save, &QPushButton::clicked, this, &frmSaveHeader::cmdSave_Click);
    connect(esci, &QPushButton::clicked, this, &QWidget::close);
}

void frmSaveHeader::cmdSave_Click() {
    std::int64_t bytes = m_proposed;
    if (findChild<QRadioButton*>(QStringLiteral("Option1_1"))->isChecked()) {
        const QString text = findChild<QLineEdit*>(QStringLiteral("Text1"))->text().trimmed();
        auto v = fw::parseNumber(ss(text));
        if (text.isEmpty() || !v || *v <= 0) {
            MsgBox::show(this, Message::lang("SaveHeaderMsgBox", 1, Icon::Exclamation), windowTitle());
            return;
        }
        bytes = static_cast<std::int64_t>(std::llround(*v * 1024));
    }
    auto d = SaveFileDialog(this, {{QStringLiteral("Avi files (*.avi)"), QStringLiteral("*.avi")}}, lang("General", 10));
    if (d.cancelled()) return;
    std::string err;
    if (!fw::avi::saveHeader(ss(m_source), ss(d.path), bytes, &err)) {
        MsgBox::show(this, Message::lang("AviDetectorMsgBox", 6, Icon::Critical), windowTitle());
        return;
    }
    MsgBox::show(this, Message::lang("AviDetectorMsgBox", 3, Icon::Information, LangText("FormCaptions", 10)), windowTitle());
}

}  // namespace fw::gui
