#include "gui/dvd/dvd_windows.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <string_view>

#include "core/common/ini.h"
#include "core/common/lang.h"
#include "core/common/paths.h"
#include "core/common/text.h"
#include "gui/shell/main_window.h"
#include "gui/stats/frmStats.h"
#include "gui/ui/file_dialog.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"
#include "platform/optical_drives.h"

namespace fw::gui {

using namespace fw::dvd;

namespace {

QString nodePath(QTreeWidgetItem* item) {
    QStringList parts;
    for (auto* i = item; i; i = i->parent()) parts.prepend(i->text(0));
    return parts.join(QLatin1Char('\\'));
}

}  // namespace

// ---- IFO browser ------------------------------------------------------------------------------
frmIfoParser::frmIfoParser(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmIfoParser"));
    setWindowTitle(lang("FormCaptions", 8));
    m_dvd.setDriveLister(fw::platform::opticalMountPoints);
    auto* root = new QGridLayout(this);
    auto* readButton = new QPushButton(style()->standardIcon(QStyle::SP_DriveDVDIcon), lang("IfoParser", 1), this);
    readButton->setObjectName(QStringLiteral("cmdRead"));
    auto* folderButton = new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon), lang("IfoParser", 2), this);
    folderButton->setObjectName(QStringLiteral("cmdFolder"));
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_video = new QLineEdit(this);
    m_video->setObjectName(QStringLiteral("txtVideo"));
    m_video->setReadOnly(true);
    m_audio = new QListWidget(this);
    m_audio->setObjectName(QStringLiteral("lstAudio"));
    m_subpic = new QListWidget(this);
    m_subpic->setObjectName(QStringLiteral("lstSubPic"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(readButton);
    buttons->addWidget(folderButton);
    buttons->addStretch(1);
    root->addLayout(buttons, 0, 0, 1, 2);
    root->addWidget(m_tree, 1, 0, 6, 1);
    root->addWidget(new QLabel(lang("IfoParser", 3), this), 1, 1);
    root->addWidget(m_video, 2, 1);
    root->addWidget(new QLabel(lang("IfoParser", 4), this), 3, 1);
    root->addWidget(m_audio, 4, 1);
    root->addWidget(new QLabel(lang("IfoParser", 5), this), 5, 1);
    root->addWidget(m_subpic, 6, 1);
    connect(readButton, &QPushButton::clicked, this, [this] { read(QString()); });
    connect(folderButton, &QPushButton::clicked, this, [this] {
        QString f = FolderDialog(this, lang("IfoParser", 2));
        if (!f.isEmpty()) read(f);
    });
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* i) { nodeClicked(i); });
    resize(720, 460);
}

void frmIfoParser::read(const QString& path) {
    // A new read replaces the old one, in the tree and in the editor's list.
    m_tree->clear();
    auto* editor = mainWindow() ? mainWindow()->tool<frmCapitoli>(QStringLiteral("chapter")) : nullptr;
    if (editor) editor->clearRows();
    m_dvd.OpenFile(ss(path));
    if (m_dvd.NumberIFOread() == 0) {
        MsgBox::show(this, QStringLiteral("Insert DVD and try again."), windowTitle(), Icon::Exclamation);
        return;
    }
    MsgBox::showAll(this, [&] {
        Messages ms;
        for (const auto& w : m_dvd.warnings()) ms.push_back(Message::fixed(w, Icon::Information));
        return ms;
    }(), windowTitle());
    int position = 0;
    for (int t = 1; t <= m_dvd.NumberIFOread(); ++t) {
        auto* ts = new QTreeWidgetItem(m_tree, {qs(m_dvd.IFO_FileName(t))});
        for (int p = 1; p <= m_dvd.NumberProgramChains(t); ++p) {
            auto* pc = new QTreeWidgetItem(ts, {QStringLiteral("Program Chain %1 [%2]").arg(p).arg(qs(m_dvd.ProgramChain_PlayBackTime(t, p, 0)))});
            const auto rows = chainRows(m_dvd, t, p);
            for (int k = 1; k <= m_dvd.ProgramChain_NumChapters(t, p); ++k) {
                new QTreeWidgetItem(pc, {QStringLiteral("Chapter %1 [%2]").arg(k).arg(qs(m_dvd.ProgramChain_PlayBackTime(t, p, k + 1)))});
                if (editor) editor->addRow(rows[static_cast<std::size_t>(k - 1)], position++);
            }
        }
        ts->setExpanded(true);
    }
}

void frmIfoParser::nodeClicked(QTreeWidgetItem* item) {
    const std::string path = ss(nodePath(item));
    for (int i = 1; i <= utl_NumEntrys(path, '\\'); ++i) {
        // The title-set file's name inside the node's path: VTS_01_0.IFO is title set 1.
        const QString fileName = QFileInfo(qs(utl_Entry(path, i, '\\'))).fileName();
        if (fileName.size() >= 12 && fileName.left(4).toUpper() == QLatin1String("VTS_"))
            m_titleSet = fileName.section(QLatin1Char('_'), 1, 1).toInt();
    }
    m_video->setText(qs(m_dvd.IFO_Video(m_titleSet)));
    m_audio->clear();
    for (int n = 1; n <= m_dvd.IFO_AudioNumberOfTracks(m_titleSet); ++n) m_audio->addItem(qs(m_dvd.IFO_Audio(m_titleSet, n)));
    m_subpic->clear();
    for (int n = 1; n <= m_dvd.IFO_SubPicNumberOf(m_titleSet); ++n) m_subpic->addItem(qs(m_dvd.IFO_SubPic(m_titleSet, n)));
}

// ---- Chapter list editor ----------------------------------------------------------------------
namespace {
struct InfoField {
    const char* name;
    int key;
    std::string InfoFile::*value;
    const char* section = "ChaptersEditor";
};
// Size and Frames share their captions with the inverse calculator.
const InfoField kInfoFields[] = {
    {"txtName", 3, &InfoFile::name},          {"txtSize", 7, &InfoFile::size, "InvCalc"},
    {"txtFrames", 4, &InfoFile::frames, "InvCalc"}, {"txtTitle", 6, &InfoFile::title},
    {"txtAngle", 7, &InfoFile::angle},        {"txtBitrate", 8, &InfoFile::bitrate},
    {"txtCompression", 9, &InfoFile::compression}, {"txtTv", 10, &InfoFile::tvSystem},
    {"txtAspect", 11, &InfoFile::aspectRatio}, {"txtVideo4", 12, &InfoFile::video4},
    {"txtDisplay", 13, &InfoFile::displayMode}, {"txtResolution", 14, &InfoFile::resolution},
    {"txtLetterboxed", 15, &InfoFile::letterboxed}, {"txtMode", 16, &InfoFile::mode},
};
}  // namespace

frmCapitoli::frmCapitoli(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmCapitoli"));
    setWindowTitle(lang("FormCaptions", 7));
    auto* root = new QGridLayout(this);

    auto* listBox = new QGroupBox(lang("ChaptersEditor", 1), this);
    auto* ll = new QGridLayout(listBox);
    m_list = new QTreeWidget(listBox);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral("Nome"), QStringLiteral("Inizio"), QStringLiteral("Frame #")});
    m_list->setRootIsDecorated(false);
    ll->addWidget(m_list, 0, 0, 1, 6);
    const std::pair<const char*, int> edits[] = {{"txtChapterName", 20}, {"txtStart", 21}, {"txtFrame", 22}};
    int col = 0;
    for (auto [name, key] : edits) {
        auto* e = new QLineEdit(listBox);
        e->setObjectName(QString::fromLatin1(name));
        ll->addWidget(new QLabel(lang("ChaptersEditor", key), listBox), 1, col++);
        ll->addWidget(e, 1, col++);
    }
    const QString editCaptions[3] = {QStringLiteral("&") + lang("DatabaseUpdater", 8), QStringLiteral("&") + lang("DatabaseUpdater", 7),
                                     QStringLiteral("&") + lang("ChaptersEditor", 19)};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(editCaptions[i], listBox);
        b->setObjectName(QStringLiteral("cmdEdit_%1").arg(i));
        connect(b, &QPushButton::clicked, this, [this, i] { cmdEdit_Click(i); });
        ll->addWidget(b, 2, i * 2, 1, 2);
    }
    root->addWidget(listBox, 0, 0, 2, 1);

    auto* infoBox = new QGroupBox(lang("ChaptersEditor", 2), this);
    auto* il = new QGridLayout(infoBox);
    auto* infoPath = new QLineEdit(infoBox);
    infoPath->setObjectName(QStringLiteral("txtInfoPath"));
    infoPath->setReadOnly(true);
    il->addWidget(infoPath, 0, 0, 1, 4);
    int row = 1, c = 0;
    for (const auto& f : kInfoFields) {
        auto* e = new QLineEdit(infoBox);
        e->setObjectName(QString::fromLatin1(f.name));
        e->setReadOnly(true);
        // The bitrate line ("7000 (Min) - 9200 (Avg) - 10000 (Max)") is the longest: a row of
        // its own, wide enough for all of it.
        const bool wide = std::string_view(f.name) == "txtBitrate";
        if (wide) {
            if (c == 2) {
                c = 0;
                ++row;
            }
            e->setMinimumWidth(e->fontMetrics().averageCharWidth() * 48);
        }
        il->addWidget(new QLabel(lang(f.section, f.key), infoBox), row, c);
        il->addWidget(e, row, c + 1, 1, wide ? 3 : 1);
        if (wide) {
            ++row;
            continue;
        }
        if (c == 2) {
            c = 0;
            ++row;
        } else {
            c = 2;
        }
    }
    m_streams = new QListWidget(infoBox);
    m_streams->setObjectName(QStringLiteral("lstStreams"));
    il->addWidget(m_streams, row + 1, 0, 1, 4);
    root->addWidget(infoBox, 0, 1);

    auto* out = new QGroupBox(lang("ChaptersEditor", 17), this);
    auto* ol = new QGridLayout(out);
    const char* formats[4] = {"OGG", "Scenarist", "DVD Maestro", "CCE"};
    for (int i = 0; i < 4; ++i) {
        m_format[static_cast<std::size_t>(i)] = new QRadioButton(QString::fromLatin1(formats[i]), out);
        m_format[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("optFormat_%1").arg(i));
        ol->addWidget(m_format[static_cast<std::size_t>(i)], 0, i);
    }
    m_format[0]->setChecked(true);
    auto* stats = new QLineEdit(out);
    stats->setObjectName(QStringLiteral("txtStats"));
    ol->addWidget(new QLabel(lang("ChaptersEditor", 18), out), 1, 0);
    ol->addWidget(stats, 1, 1, 1, 3);
    auto* statsRow = new QHBoxLayout;
    const std::pair<const char*, QString> statsButtons[] = {
        {"cmdStats", QStringLiteral(".stats")}, {"cmdLoad", QStringLiteral("Load")}, {"cmdStatEd", QStringLiteral("Stat ed.")},
        {"cmdSynch", QStringLiteral("Synch")}};
    for (const auto& [name, caption] : statsButtons) {
        auto* b = new QPushButton(caption, out);
        b->setObjectName(QString::fromLatin1(name));
        statsRow->addWidget(b);
    }
    ol->addLayout(statsRow, 2, 0, 1, 4);
    root->addWidget(out, 1, 1);

    auto* buttons = new QHBoxLayout;
    auto* open = new QPushButton(style()->standardIcon(QStyle::SP_DialogOpenButton), QStringLiteral("INFO"), this);
    open->setObjectName(QStringLiteral("cmdOpen"));
    open->setToolTip(lang("ChaptersEditorTooltips", 1));
    auto* ifo = new QPushButton(style()->standardIcon(QStyle::SP_DriveDVDIcon), QStringLiteral("IFO"), this);
    ifo->setObjectName(QStringLiteral("cmdIfo"));
    ifo->setToolTip(lang("ChaptersEditorTooltips", 2));
    auto* save = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QString(), this);
    save->setObjectName(QStringLiteral("cmdSave"));
    save->setToolTip(lang("ChaptersEditorTooltips", 3));
    auto* esci = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QString(), this);
    esci->setObjectName(QStringLiteral("esci"));
    esci->setToolTip(lang("General", 2));
    for (auto* b : {open, ifo, save}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(esci);
    root->addLayout(buttons, 2, 0, 1, 2);

    connect(open, &QPushButton::clicked, this, &frmCapitoli::cmdOpen_Click);
    connect(ifo, &QPushButton::clicked, this, [] {
        if (auto* m = mainWindow()) m->openTool(QStringLiteral("ifoparser"));
    });
    connect(save, &QPushButton::clicked, this, &frmCapitoli::cmdSave_Click);
    connect(esci, &QPushButton::clicked, this, &QWidget::close);
    connect(findChild<QPushButton*>(QStringLiteral("cmdStats")), &QPushButton::clicked, this, [this, stats] {
        auto r = OpenFileDialog(this, {{QStringLiteral("Stats file (*.stats)"), QStringLiteral("*.stats")}}, dialogTitle(3, 2));
        if (!r.cancelled()) stats->setText(r.path);
    });
    connect(findChild<QPushButton*>(QStringLiteral("cmdLoad")), &QPushButton::clicked, this, &frmCapitoli::cmdLoad_Click);
    connect(findChild<QPushButton*>(QStringLiteral("cmdStatEd")), &QPushButton::clicked, this, &frmCapitoli::cmdStatEd_Click);
    connect(findChild<QPushButton*>(QStringLiteral("cmdSynch")), &QPushButton::clicked, this, &frmCapitoli::cmdSynch_Click);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { rowSelected(); });
    connect(field("txtFrame"), &QLineEdit::textChanged, this, [this](const QString& t) {
        if (!t.isEmpty() && !fw::isNumeric(ss(t))) CheckNumeric(field("txtFrame"));
    });
    resize(980, 520);
}

QLineEdit* frmCapitoli::field(const char* name) const { return findChild<QLineEdit*>(QString::fromLatin1(name)); }

void frmCapitoli::addRow(const ChapterRow& row, int position) {
    auto* item = new QTreeWidgetItem({qs(row.name), qs(row.start), qs(row.frame)});
    if (position < 0 || position > m_list->topLevelItemCount()) m_list->addTopLevelItem(item);
    else m_list->insertTopLevelItem(position, item);
}

void frmCapitoli::clearRows() { m_list->clear(); }

std::vector<ChapterRow> frmCapitoli::rows() const {
    std::vector<ChapterRow> out;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        auto* it = m_list->topLevelItem(i);
        out.push_back({ss(it->text(0)), ss(it->text(1)), ss(it->text(2))});
    }
    return out;
}

void frmCapitoli::rowSelected() {
    auto* it = m_list->currentItem();
    if (!it) return;
    field("txtChapterName")->setText(it->text(0));
    field("txtStart")->setText(it->text(1));
    field("txtFrame")->setText(it->text(2));
}

void frmCapitoli::loadInfo(const QString& path) {
    InfoFile info;
    field("txtInfoPath")->setText(path);
    if (!CheckInfoFile(ss(path), info)) return;
    clearRows();
    for (const auto& f : kInfoFields) field(f.name)->setText(qs(info.*f.value));
    m_streams->clear();
    for (const auto& s : info.streams) m_streams->addItem(qs(s));
    for (const auto& r : info.rows) addRow(r);
    if (m_list->topLevelItemCount() > 0) m_list->setCurrentItem(m_list->topLevelItem(0));
    rowSelected();
}

void frmCapitoli::cmdOpen_Click() {
    auto r = OpenFileDialog(this, {{QStringLiteral("INFO file (*.txt)"), QStringLiteral("*.txt")}}, dialogTitle(3, 3));
    if (!r.cancelled()) loadInfo(r.path);
}

void frmCapitoli::cmdEdit_Click(int index) {
    const ChapterRow row{ss(field("txtChapterName")->text().trimmed()), ss(field("txtStart")->text()), ss(field("txtFrame")->text())};
    auto* current = m_list->currentItem();
    if (index == 1) {
        addRow(row);
        return;
    }
    if (!current || m_list->topLevelItemCount() == 0) return;
    if (index == 0) {
        current->setText(0, qs(row.name));
        current->setText(1, qs(row.start));
        current->setText(2, qs(row.frame));
    } else {
        const int n = m_list->indexOfTopLevelItem(current);
        delete m_list->takeTopLevelItem(n);
        if (n < m_list->topLevelItemCount()) m_list->setCurrentItem(m_list->topLevelItem(n));
    }
}

void frmCapitoli::cmdSave_Click() {
    auto d = SaveFileDialog(this, {{lang("General", 11) + QStringLiteral(" (*.txt)"), QStringLiteral("*.txt")}}, dialogTitle(1, 8),
                            qs(fw::paths().programFolder));
    if (d.cancelled()) return;
    ChapterFormat f = ChapterFormat::Ogg;
    if (m_format[1]->isChecked()) f = ChapterFormat::Scenarist;
    else if (m_format[2]->isChecked()) f = ChapterFormat::Maestro;
    else if (m_format[3]->isChecked()) f = ChapterFormat::Cce;
    // A failed write ends the save without the closing message.
    if (writeChapters(ss(d.path), f, rows()).empty()) return;
    MsgBox::show(this, Message::lang("StatsEditorMsgBox", 1, Icon::Exclamation, LangText("FormCaptions", 7)), windowTitle());
}

void frmCapitoli::cmdLoad_Click() {
    const std::string value = fw::trim(fw::ReadIni(fw::globals().SettingsPath, "XviD", "stats1", ""));
    const QString title = lang("FormCaptions", 7);
    if (value.empty()) {
        MsgBox::show(this, lang("StatsEditorMsgBox", 4), title, Icon::Exclamation);
    } else if (QFileInfo::exists(qs(value))) {
        field("txtStats")->setText(qs(value));
    } else {
        MsgBox::show(this,
                     lang("StatsEditorMsgBox", 5) + QStringLiteral(" '") + qs(value) + QStringLiteral("' ") + lang("StatsEditorMsgBox", 6) +
                         QStringLiteral("\r\n") + lang("StatsEditorMsgBox", 7),
                     title, Icon::Exclamation);
    }
}

void frmCapitoli::cmdSynch_Click() {
    auto r = StatSynch(ss(field("txtStats")->text().trimmed()), rows());
    MsgBox::showAll(this, r.messages, windowTitle());
}

void frmCapitoli::cmdStatEd_Click() {
    auto* m = mainWindow();
    auto* stats = m ? qobject_cast<frmStats*>(m->openTool(QStringLiteral("stats"))) : nullptr;
    if (stats && !field("txtStats")->text().trimmed().isEmpty()) stats->analyse(field("txtStats")->text().trimmed());
}

void frmCapitoli::closeEvent(QCloseEvent* e) {
    if (auto* m = mainWindow())
        if (QWidget* browser = m->findTool(QStringLiteral("ifoparser"))) browser->close();
    QWidget::closeEvent(e);
}

}  // namespace fw::gui
