#include "gui/avi/frmAviDetector.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
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

#include "core/avi/avi_repair.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"
#include "gui/ui/background.h"
#include "gui/ui/file_dialog.h"
#include "gui/ui/keyframe_export.h"
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

    // Check: problems, the figures behind them, and what can be done about them.
    m_checkPage = new QWidget;
    auto* hl = new QVBoxLayout(m_checkPage);
    m_problems = new QTableWidget(0, 2, m_checkPage);
    m_problems->setObjectName(QStringLiteral("gridProblems"));
    m_problems->setHorizontalHeaderLabels({QString(), lang("AviHealth", 28)});
    m_problems->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_problems->horizontalHeader()->setStretchLastSection(true);
    m_problems->verticalHeader()->hide();
    m_problems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_problems->setWordWrap(true);
    hl->addWidget(m_problems, 1);
    m_checkFigures = new QLabel(m_checkPage);
    m_checkFigures->setObjectName(QStringLiteral("lblCheckFigures"));
    m_checkFigures->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_checkFigures->setTextFormat(Qt::PlainText);
    hl->addWidget(m_checkFigures);
    auto* checkButtons = new QHBoxLayout;
    m_repair = new QPushButton(lang("AviHealth", 26), m_checkPage);
    m_repair->setObjectName(QStringLiteral("cmdRepair"));
    m_repair->setToolTip(lang("AviHealthTooltips", 1));
    m_keyframes = new QPushButton(lang("AviHealth", 27), m_checkPage);
    m_keyframes->setObjectName(QStringLiteral("cmdKeyframes"));
    m_keyframes->setToolTip(lang("AviHealthTooltips", 2));
    m_stop = new QPushButton(lang("AviHealth", 33), m_checkPage);
    m_stop->setObjectName(QStringLiteral("cmdStop"));
    m_stop->setEnabled(false);  // until something runs
    for (auto* b : {m_repair, m_keyframes, m_stop}) checkButtons->addWidget(b);
    checkButtons->addStretch(1);
    hl->addLayout(checkButtons);
    m_tabs->addTab(m_checkPage, lang("AviHealth", 20));
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        if (m_tabs->currentWidget() == m_checkPage && m_result.ok && !m_result.isOgm && !m_health) runCheck();
    });
    connect(m_repair, &QPushButton::clicked, this, &frmAviDetector::cmdRepair_Click);
    connect(m_keyframes, &QPushButton::clicked, this, &frmAviDetector::cmdKeyframes_Click);
    connect(m_stop, &QPushButton::clicked, this, [this] { m_runner->stop(); });
    root->addWidget(m_tabs, 1);
    // What the reader noticed about the file (damaged pages, streams it does not size): said in
    // the window, not only on the command line.
    m_warnings = new QLabel(this);
    m_warnings->setObjectName(QStringLiteral("lblWarnings"));
    m_warnings->setWordWrap(true);
    m_warnings->setTextFormat(Qt::PlainText);
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
    m_health.reset();
    m_problems->setRowCount(0);
    m_checkFigures->clear();
    m_repair->setEnabled(false);
    m_keyframes->setEnabled(false);
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
    m_repair->setEnabled(!r.isOgm);
    m_keyframes->setEnabled(!r.isOgm && r.info.indexRead);
    if (m_tabs->currentWidget() == m_checkPage && !r.isOgm) runCheck();
}

void frmAviDetector::runCheck() {
    if (!m_result.ok || m_result.isOgm || busy()) return;
    const std::string p = m_result.path;
    auto report = std::make_shared<fw::avi::HealthReport>();
    m_progress->show();
    m_runner->start([p, report](fw::Progress progress) { *report = fw::avi::checkAvi(p, std::move(progress)); },
                    [this, report] {
                        m_progress->hide();
                        if (!m_result.ok) return;  // another file was opened meanwhile
                        m_health = *report;
                        const auto& h = *m_health;
                        std::vector<std::pair<QStyle::StandardPixmap, QString>> rows;
                        if (!h.readable) rows.push_back({QStyle::SP_MessageBoxCritical, qs(h.error)});
                        for (const auto& pr : h.problems)
                            rows.push_back({pr.severity == fw::avi::Severity::Error     ? QStyle::SP_MessageBoxCritical
                                            : pr.severity == fw::avi::Severity::Warning ? QStyle::SP_MessageBoxWarning
                                                                                        : QStyle::SP_MessageBoxInformation,
                                            qs(pr.text)});
                        if (h.ok()) rows.push_back({QStyle::SP_DialogApplyButton, lang("AviHealth", 19)});
                        m_problems->setRowCount(static_cast<int>(rows.size()));
                        for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
                            auto* icon = new QTableWidgetItem(style()->standardIcon(rows[static_cast<std::size_t>(i)].first), QString());
                            m_problems->setItem(i, 0, icon);
                            m_problems->setItem(i, 1, new QTableWidgetItem(rows[static_cast<std::size_t>(i)].second));
                        }
                        m_problems->resizeRowsToContents();
                        QStringList figures;
                        auto n = [](double v, int places) { return qs(numberText(roundHalfEven(v, places))); };
                        if (h.rateDen)
                            figures << lang("AviHealth", 21) + QStringLiteral(": %1/%2%3").arg(h.rateNum).arg(h.rateDen).arg(
                                           h.rateName.empty() ? QString() : QStringLiteral(" (%1)").arg(qs(h.rateName)));
                        figures << lang("AviHealth", 22) + QStringLiteral(": %1 (%2 s)").arg(h.framesInFile).arg(n(h.secondsInFile, 2));
                        if (h.keyFrames > 0) figures << lang("AviHealth", 23) + QStringLiteral(": %1").arg(h.keyFrames);
                        if (h.keyFrames > 1) {
                            figures << lang("AviHealth", 24) + QStringLiteral(": %1 / %2 / %3 %4")
                                                                   .arg(h.gopShortest)
                                                                   .arg(h.gopLongest)
                                                                   .arg(n(h.gopMean, 2), lang("AviHealth", 29));
                            figures << lang("AviHealth", 25) + QStringLiteral(": %1 s").arg(n(h.longestGapSeconds, 2));
                        }
                        m_checkFigures->setText(figures.join(QLatin1Char('\n')));
                        emit checked();
                    });
}

void frmAviDetector::cmdRepair_Click() {
    if (!m_result.ok || m_result.isOgm || busy()) return;
    const QFileInfo fi(qs(m_result.path));
    auto d = SaveFileDialog(this, {{QStringLiteral("Files avi (*.avi)"), QStringLiteral("*.avi")}}, lang("AviHealth", 26),
                            fi.completeBaseName() + QStringLiteral(".fixed.avi"));
    if (d.cancelled()) return;
    const std::string source = m_result.path, output = ss(d.path);
    auto result = std::make_shared<fw::avi::RepairResult>();
    m_progress->show();
    m_stop->setEnabled(true);
    m_repair->setEnabled(false);
    m_runner->start([source, output, result](fw::Progress progress) { *result = fw::avi::repairAvi(source, output, std::move(progress)); },
                    [this, result, output] {
                        m_progress->hide();
                        m_stop->setEnabled(false);
                        m_repair->setEnabled(m_result.ok && !m_result.isOgm);
                        const auto& r = *result;
                        if (r.ok) {
                            QString text = lang("AviHealth", 30) + QLatin1Char(' ') + qs(output) + QLatin1Char('\n') +
                                           QStringLiteral("%1 %2 %3 %4 %5 %6 (%7 s)\n")
                                               .arg(r.chunksKept)
                                               .arg(lang("AviHealth", 31))
                                               .arg(r.keyFrames)
                                               .arg(lang("AviHealth", 32))
                                               .arg(r.framesKept)
                                               .arg(lang("AviHealth", 29), qs(numberText(roundHalfEven(r.seconds, 2)))) +
                                           qs(fw::avi::keySourceText(r.keys));
                            MsgBox::show(this, Message::fixed(ss(text), Icon::Information), windowTitle());
                        } else if (!r.stopped) {
                            MsgBox::showAll(this, r.messages, windowTitle());
                        }
                        emit repaired(r.ok);
                    });
}

void frmAviDetector::cmdKeyframes_Click() {
    if (m_result.ok && !m_result.isOgm) exportKeyframes(this, qs(m_result.path), windowTitle());
}

void frmAviDetector::cmdReport_Click() {
    if (!m_result.ok) return;
    auto d = SaveFileDialog(this, {{lang("General", 11) + QStringLiteral(" (*.txt)"), QStringLiteral("*.txt")}},
                            lang("AviDetectorTooltips", 2), {}, true);
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
    makeDefault(save);
    closeOnEscape(this);
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
