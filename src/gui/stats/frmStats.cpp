#include "gui/stats/frmStats.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/common/ini.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"
#include "gui/bitrate/frmbitratecalc.h"
#include "gui/shell/main_window.h"
#include "gui/stats/stats_graphs.h"
#include "gui/ui/background.h"
#include "gui/ui/file_dialog.h"
#include "gui/ui/keyframe_export.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

using namespace fw::stats;

namespace {

void setColour(QLineEdit* e, std::optional<std::uint32_t> c) {
    if (!c) {
        e->setStyleSheet(QString());
        return;
    }
    QColor col = bgr(*c);
    e->setStyleSheet(QStringLiteral("QLineEdit { background: %1; color: %2; }")
                         .arg(col.name(), col.lightness() < 128 ? QStringLiteral("white") : QStringLiteral("black")));
}

// The summary fields: object name, caption key, and the display text they show.
struct SummaryField {
    const char* name;
    int key;
    std::string StatsDisplay::*text;
};
const SummaryField kSummary[] = {
    {"txtSpecial", 40, &StatsDisplay::special}, {"txtMax", 41, &StatsDisplay::max},
    {"txtMin", 42, &StatsDisplay::min},         {"txtI", 43, &StatsDisplay::iFrames},
    {"txtP", 44, &StatsDisplay::pFrames},       {"txtB", 45, &StatsDisplay::bFrames},
    {"txtKB", 46, &StatsDisplay::totalKB},      {"txtPx", 47, &StatsDisplay::px},
    {"txtBpp", 48, &StatsDisplay::bpp},         {"txtMaxI", 49, &StatsDisplay::maxI},
    {"txtAvgI", 50, &StatsDisplay::avgI},       {"txtMaxP", 51, &StatsDisplay::maxP},
    {"txtAvgP", 52, &StatsDisplay::avgP},       {"txtMaxB", 53, &StatsDisplay::maxB},
    {"txtAvgB", 54, &StatsDisplay::avgB},       {"txtAvgPB", 55, &StatsDisplay::avgPB},
    {"txtAvg", 56, &StatsDisplay::avgFrame},    {"txtMaxVsAvg", 57, &StatsDisplay::maxVsAvg},
    {"txtMinBelowAvg", 58, &StatsDisplay::minBelowAvg}, {"txtMoved", 62, &StatsDisplay::moved},
    {"txtUnchanged", 63, &StatsDisplay::unchanged},     {"txtKey", 64, &StatsDisplay::key},
};

QLineEdit* readOnly(QWidget* parent, const QString& name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    return e;
}

}  // namespace

frmStats::frmStats(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmStats"));
    buildUi();
    m_runner = new BackgroundRunner(this, m_progress);
}

frmStats::~frmStats() {
    m_runner->stop();
    m_runner->wait();
}

QLineEdit* frmStats::field(const char* name) const { return findChild<QLineEdit*>(QString::fromLatin1(name)); }

bool frmStats::busy() const { return m_runner->busy(); }

void frmStats::buildUi() {
    setWindowTitle(lang("FormCaptions", 6));
    auto* root = new QVBoxLayout(this);

    auto* top = new QGridLayout;
    top->addWidget(new QLabel(lang("AviDetector", 51), this), 0, 0);
    top->addWidget(readOnly(this, QStringLiteral("txtFile")), 0, 1, 1, 3);
    top->addWidget(new QLabel(lang("StatsEditor", 26), this), 1, 0);
    top->addWidget(readOnly(this, QStringLiteral("txtLength")), 1, 1);
    top->addWidget(new QLabel(lang("StatsEditor", 28), this), 1, 2);
    top->addWidget(readOnly(this, QStringLiteral("txtFrames")), 1, 3);
    top->addWidget(readOnly(this, QStringLiteral("txtStatus")), 2, 1, 1, 3);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    top->addWidget(m_progress, 3, 0, 1, 4);
    root->addLayout(top);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("TabStrip1"));

    // Summary.
    auto* summary = new QWidget;
    auto* sl = new QGridLayout(summary);
    int i = 0;
    for (const auto& f : kSummary) {
        sl->addWidget(new QLabel(lang("StatsEditor", f.key), summary), i % 11, (i / 11) * 2);
        sl->addWidget(readOnly(summary, QString::fromLatin1(f.name)), i % 11, (i / 11) * 2 + 1);
        ++i;
    }
    auto* autoLoad = new QPushButton(lang("StatsEditor", 65), summary);
    autoLoad->setObjectName(QStringLiteral("cmdAutoLoad"));
    auto* regSet = new QPushButton(lang("StatsEditor", 66), summary);
    regSet->setObjectName(QStringLiteral("cmdRegSet"));
    m_bitcalc = new QPushButton(lang("StatsEditor", 67), summary);
    m_bitcalc->setObjectName(QStringLiteral("cmdBitcalc"));
    m_bitcalc->setEnabled(false);
    auto* sb = new QHBoxLayout;
    for (auto* b : {autoLoad, regSet, m_bitcalc}) sb->addWidget(b);
    sb->addStretch(1);
    sl->addLayout(sb, 11, 0, 1, 4);
    tabs->addTab(summary, lang("StatsEditor", 59));

    // Frame browser.
    auto* frame = new QWidget;
    auto* fl = new QGridLayout(frame);
    auto* gotoField = new QLineEdit(frame);
    gotoField->setObjectName(QStringLiteral("txtGoto"));
    m_goto = new QPushButton(lang("StatsEditor", 69), frame);
    m_goto->setObjectName(QStringLiteral("cmdGoTo"));
    m_goto->setEnabled(false);
    fl->addWidget(new QLabel(lang("StatsEditor", 68), frame), 0, 0);
    fl->addWidget(gotoField, 0, 1);
    fl->addWidget(m_goto, 0, 2);
    auto* steps = new QHBoxLayout;
    const int deltas[6] = {1, 10, 100, -1, -10, -100};
    for (int k = 0; k < 6; ++k) {
        auto* b = new QPushButton(QStringLiteral("%1%2").arg(deltas[k] > 0 ? "+" : "").arg(deltas[k]), frame);
        b->setObjectName(QStringLiteral("cmdStep_%1").arg(k));
        b->setToolTip(lang("StatsEditorTooltips", 5 + k));
        b->setEnabled(false);
        connect(b, &QPushButton::clicked, this, [this, d = deltas[k]] { step(d); });
        steps->addWidget(b);
        m_steps[static_cast<std::size_t>(k)] = b;
    }
    fl->addLayout(steps, 1, 0, 1, 3);
    m_details = new QPlainTextEdit(frame);
    m_details->setObjectName(QStringLiteral("txtDetails"));
    m_details->setReadOnly(true);
    fl->addWidget(m_details, 2, 0, 9, 1);
    const std::pair<const char*, int> frameFields[] = {{"txtFrameSize", 70}, {"txtQuant", 71}, {"txtKblk", 72},
                                                       {"txtMblk", 73},      {"txtUblk", 74},  {"txtSpecialFrame", 75},
                                                       {"txtKind", 76}};
    int row = 2;
    for (auto [name, key] : frameFields) {
        fl->addWidget(new QLabel(lang("StatsEditor", key), frame), row, 1);
        fl->addWidget(readOnly(frame, QString::fromLatin1(name)), row++, 2);
    }
    const char* barNames[3] = {"pbCurrent", "pbLargest", "pbSmallest"};
    for (int k = 0; k < 3; ++k) {
        auto* bar = new QProgressBar(frame);
        bar->setObjectName(QString::fromLatin1(barNames[k]));
        // The bar shows the size itself, and the label says whose size it is.
        bar->setFormat(QStringLiteral("%v"));
        auto* label = new QLabel(lang("StatsGraphs", 11 + k), frame);
        label->setObjectName(QStringLiteral("lblBar_%1").arg(k));
        fl->addWidget(label, row, 1);
        fl->addWidget(bar, row++, 2);
        m_bars[static_cast<std::size_t>(k)] = bar;
    }
    tabs->addTab(frame, lang("StatsEditor", 60));

    // Pictures.
    auto* graphs = new QWidget;
    auto* gl = new QGridLayout(graphs);
    m_curveView = new CurveWidget(graphs);
    m_distView = new DistributionWidget(graphs);
    m_distText = new QPlainTextEdit(graphs);
    m_distText->setObjectName(QStringLiteral("txtDistribution"));
    m_distText->setReadOnly(true);
    gl->addWidget(m_curveView, 0, 0, 1, 7);
    gl->addWidget(m_distView, 1, 0, 1, 6);
    gl->addWidget(m_distText, 1, 6);
    const std::pair<const char*, int> counts[] = {{"txtBelow", 77}, {"txtEqual", 78}, {"txtAbove", 79}};
    int col = 0;
    for (auto [name, key] : counts) {
        gl->addWidget(new QLabel(lang("StatsEditor", key), graphs), 2, col++);
        gl->addWidget(readOnly(graphs, QString::fromLatin1(name)), 2, col++);
    }
    gl->setRowStretch(0, 2);
    gl->setRowStretch(1, 1);
    tabs->addTab(graphs, lang("StatsEditor", 61));
    root->addWidget(tabs, 1);

    // Rescaling and key frames.
    auto* edit = new QGroupBox(lang("StatsEditor", 82), this);
    auto* el = new QGridLayout(edit);
    auto* target = new QLineEdit(edit);
    target->setObjectName(QStringLiteral("txtTarget"));
    target->setToolTip(lang("StatsEditor", 83));
    m_save = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), lang("StatsEditor", 84), edit);
    m_save->setObjectName(QStringLiteral("cmdSave"));
    m_save->setEnabled(false);
    el->addWidget(new QLabel(lang("StatsEditor", 80), edit), 0, 0);
    el->addWidget(target, 0, 1);
    el->addWidget(m_save, 0, 2);
    auto* keyNumber = new QLineEdit(edit);
    keyNumber->setObjectName(QStringLiteral("txtKeyFrame"));
    el->addWidget(new QLabel(lang("StatsEditor", 85), edit), 1, 0);
    el->addWidget(keyNumber, 1, 1);
    auto* keyButton = new QPushButton(QStringLiteral("Ins &I-Frame"), edit);
    m_keyFrame = keyButton;
    keyButton->setEnabled(false);
    keyButton->setObjectName(QStringLiteral("cmdKeyFrame"));
    keyButton->setToolTip(lang("StatsEditorTooltips", 12));
    el->addWidget(keyButton, 1, 2);
    auto* sizes = new QHBoxLayout;
    for (int k = 0; k < 4; ++k) {
        auto* o = new QRadioButton(lang("StatsEditor", 86 + k), edit);
        o->setObjectName(QStringLiteral("optSize_%1").arg(k));
        o->setToolTip(lang("StatsEditorTooltips", 1 + k));
        sizes->addWidget(o);
        m_sizeChoice[static_cast<std::size_t>(k)] = o;
    }
    m_sizeChoice[3]->setChecked(true);  // the frame keeps its own size by default
    el->addLayout(sizes, 2, 0, 1, 3);
    root->addWidget(edit);

    auto* buttons = new QHBoxLayout;
    auto* open = new QPushButton(style()->standardIcon(QStyle::SP_DialogOpenButton), QString(), this);
    open->setObjectName(QStringLiteral("cmdOpen"));
    open->setToolTip(lang("General", 3));
    auto* report = new QPushButton(lang("StatsEditor", 38), this);
    report->setObjectName(QStringLiteral("cmdReport"));
    report->setEnabled(false);
    m_report = report;
    m_exportKeys = new QPushButton(lang("AviHealth", 27), this);
    m_exportKeys->setObjectName(QStringLiteral("cmdKeyframes"));
    m_exportKeys->setToolTip(lang("AviHealthTooltips", 2));
    m_exportKeys->setEnabled(false);
    m_framesTable = new QCheckBox(lang("StatsEditor", 39), this);
    m_framesTable->setObjectName(QStringLiteral("chkFrames"));
    m_framesTable->setToolTip(lang("StatsEditorTooltips", 11));
    auto* esci = new QPushButton(lang("General", 2), this);
    esci->setObjectName(QStringLiteral("esci"));
    buttons->addWidget(open);
    buttons->addWidget(report);
    buttons->addWidget(m_framesTable);
    buttons->addWidget(m_exportKeys);
    buttons->addStretch(1);
    buttons->addWidget(esci);
    root->addLayout(buttons);

    connect(open, &QPushButton::clicked, this, &frmStats::cmdOpen_Click);
    connect(autoLoad, &QPushButton::clicked, this, &frmStats::AutoLoad_Click);
    connect(regSet, &QPushButton::clicked, this, &frmStats::RegSet_Click);
    connect(m_bitcalc, &QPushButton::clicked, this, &frmStats::Bitcalc_Click);
    connect(m_goto, &QPushButton::clicked, this, &frmStats::GoTo_Click);
    connect(gotoField, &QLineEdit::returnPressed, m_goto, [this] {
        if (m_goto->isEnabled()) m_goto->click();
    });
    connect(report, &QPushButton::clicked, this, &frmStats::cmdReport_Click);
    connect(m_exportKeys, &QPushButton::clicked, this, [this] {
        if (m_analysis.ok) exportKeyframes(this, m_path, windowTitle());
    });
    connect(m_save, &QPushButton::clicked, this, &frmStats::cmdSave_Click);
    connect(keyButton, &QPushButton::clicked, this, &frmStats::cmdKeyFrame_Click);
    connect(esci, &QPushButton::clicked, this, &QWidget::close);
    connect(target, &QLineEdit::textChanged, this, [this, target](const QString& t) {
        if (!t.isEmpty() && !fw::isNumeric(ss(t))) CheckNumeric(target);
        m_save->setEnabled(m_analysis.ok);
    });
    connect(keyNumber, &QLineEdit::textChanged, this, [keyNumber](const QString& t) {
        if (!t.isEmpty() && !fw::isNumeric(ss(t))) CheckNumeric(keyNumber);
    });
    connect(gotoField, &QLineEdit::textChanged, this, [this, gotoField](const QString& t) {
        if (t.isEmpty()) return;
        if (!fw::isNumeric(ss(t))) CheckNumeric(gotoField);
        else checkFrame();
    });
    resize(820, 640);
}

void frmStats::cmdOpen_Click() {
    auto r = OpenFileDialog(this, {{QStringLiteral("Stats file (*.stats)"), QStringLiteral("*.stats")}}, dialogTitle(3, 2));
    if (r.cancelled()) return;
    m_curveView->clear();
    m_distView->clear();
    analyse(r.path);
}

void frmStats::analyse(const QString& path) {
    if (busy()) return;
    const std::string p = ss(path);
    auto result = std::make_shared<std::pair<AnalysisResult, CurveResult>>();
    setWindowTitle(lang("FormCaptions", 17));
    m_runner->start(
        [p, result](fw::Progress progress) {
            result->first = AnalizeStats(p, progress);
            if (result->first.ok) {
                result->second = ScaleCurve(p, result->first, 4096, progress);
                // The frames were kept for the curve only; the window does not hold them.
                result->first.sizes = {};
                result->first.types = {};
            }
        },
        [this, path, result] {
            m_analysis = result->first;
            m_curve = result->second;
            auto* status = field("txtStatus");
            if (m_analysis.wrongVersion) {
                showRefused(path);
                status->setText(lang("StatsEditor", 1));
                setColour(status, 65535u);
                setWindowTitle(lang("FormCaptions", 16));
                emit analysed();
                return;
            }
            if (!m_analysis.ok) {
                showRefused(path);
                MsgBox::showAll(this, m_analysis.messages, windowTitle());
                setWindowTitle(lang("FormCaptions", 6));
                emit analysed();
                return;
            }
            m_path = path;
            // The last analysed file is what "Auto Load" opens next time. Auto Load itself names
            // the same file again: nothing to write, and nothing to complain about on a full disk.
            const std::string& settings = fw::globals().SettingsPath;
            if (fw::trim(fw::ReadIni(settings, "XviD", "stats1", "")) != ss(path) &&
                !fw::WriteIni(settings, "XviD", "stats1", ss(path)))
                MsgBox::settingsNotSaved(this, settings, lang("FormCaptions", 6));
            field("txtFile")->setText(path);
            field("txtLength")->setText(QString::number(m_analysis.summary.fileLength));
            status->setText(QStringLiteral("OK"));
            setColour(status, 15390143u);
            showSummary();
            setWindowTitle(lang("FormCaptions", 6));
            emit analysed();
        });
}

// After a refusal the window shows the refused file and nothing of the one before it: empty
// figures, a still progress bar, and only the controls that can act (open, auto load, close).
void frmStats::showRefused(const QString& path) {
    m_path.clear();
    field("txtFile")->setText(path);
    field("txtLength")->clear();
    field("txtFrames")->clear();
    for (const auto& f : kSummary) field(f.name)->clear();
    for (const char* name : {"txtBelow", "txtEqual", "txtAbove"}) field(name)->clear();
    for (auto* b : m_bars) {
        b->setRange(0, 1);
        b->setValue(0);
    }
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_curveView->clear();
    m_distView->clear();
    m_distText->clear();
    m_details->clear();
    for (auto* b : m_steps) b->setEnabled(false);
    for (auto* b : {m_goto, m_bitcalc, m_save, m_report, m_keyFrame}) b->setEnabled(false);
}

void frmStats::showSummary() {
    const auto& s = m_analysis.summary;
    field("txtFrames")->setText(QString::number(s.m));
    for (const auto& f : kSummary) field(f.name)->setText(qs(m_analysis.display.*f.text));
    for (auto* b : m_bars) b->setRange(0, std::max(s.Max, 1));
    m_bars[1]->setValue(s.Max);
    m_bars[2]->setValue(s.Min);
    m_curveView->setCurve(m_curve);
    m_distView->setCurve(m_curve);
    const auto& d = m_curve.distribution;
    field("txtBelow")->setText(QString::number(d.countBelow));
    field("txtEqual")->setText(QString::number(d.countEqual));
    field("txtAbove")->setText(QString::number(d.countAbove));
    m_distText->setPlainText(qs(d.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_goto->setEnabled(true);
    m_bitcalc->setEnabled(true);
    m_report->setEnabled(true);
    m_exportKeys->setEnabled(true);
    m_keyFrame->setEnabled(true);
    m_save->setEnabled(!field("txtTarget")->text().isEmpty());
    field("txtGoto")->setText(QStringLiteral("1"));
    GoTo_Click();
}

void frmStats::checkFrame() {
    const QString t = field("txtGoto")->text();
    if (t.isEmpty() || !m_analysis.ok) return;
    const double n = fw::numberOr0(ss(t));
    if (n > double(m_analysis.summary.m)) {
        MsgBox::show(this, Message::lang("StatsEditorMsgBox", 8, Icon::Exclamation), windowTitle());
        return;
    }
    auto on = stepButtons(static_cast<std::int64_t>(n), m_analysis.summary.m);
    for (std::size_t k = 0; k < 6; ++k) m_steps[k]->setEnabled(on[k]);
}

void frmStats::GoTo_Click() {
    const QString t = field("txtGoto")->text();
    const double n = fw::numberOr0(ss(t));
    std::optional<StatsRecord> r;
    if (!t.isEmpty() && n >= 1 && n <= double(m_analysis.summary.m) && n == std::floor(n)) {
        checkFrame();
        r = readFrame(ss(m_path), static_cast<std::int64_t>(n));
    }
    if (!r) {
        MsgBox::show(this, Message::lang("StatsEditorMsgBox", 17, Icon::Critical, LangText("FormCaptions", 6)), windowTitle());
        return;
    }
    m_details->setPlainText(qs(frameDetails(*r)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_progress->setRange(0, static_cast<int>(std::min<std::int64_t>(m_analysis.summary.m, INT32_MAX)));
    m_progress->setValue(static_cast<int>(n));
    field("txtFrameSize")->setText(QString::number(r->frameSize));
    field("txtQuant")->setText(QString::number(r->Quant & 255));
    field("txtKblk")->setText(QString::number(r->kblk));
    field("txtMblk")->setText(QString::number(r->mblk));
    field("txtUblk")->setText(QString::number(r->ublk));
    m_bars[0]->setValue(std::clamp(r->frameSize, 0, m_bars[0]->maximum()));
    const std::string special = specialWord(*r);
    if (!special.empty()) field("txtSpecialFrame")->setText(qs(special));
    const FrameKind kind = frameKind(*r);
    field("txtKind")->setText(qs(kind.text));
    setColour(field("txtKind"), kind.colour);
}

void frmStats::step(int delta) {
    auto* f = field("txtGoto");
    if (f->text().isEmpty()) {
        MsgBox::show(this, Message::lang("StatsEditorMsgBox", 18, Icon::Exclamation, LangText("FormCaptions", 6)), windowTitle());
        return;
    }
    field("txtSpecialFrame")->clear();
    f->setText(QString::number(static_cast<long long>(fw::numberOr0(ss(f->text()))) + delta));
    GoTo_Click();
}

void frmStats::AutoLoad_Click() {
    const std::string value = fw::trim(fw::ReadIni(fw::globals().SettingsPath, "XviD", "stats1", ""));
    if (value.empty()) {
        MsgBox::show(this, Message::lang("StatsEditorMsgBox", 4, Icon::Exclamation, LangText("FormCaptions", 6)), windowTitle());
        return;
    }
    if (!QFileInfo::exists(qs(value))) {
        MsgBox::show(this,
                     lang("StatsEditorMsgBox", 5) + QStringLiteral(" '") + qs(value) + QStringLiteral("' ") +
                         lang("StatsEditorMsgBox", 6) + QStringLiteral("\r\n") + lang("StatsEditorMsgBox", 7),
                     lang("FormCaptions", 6), Icon::Exclamation);
        return;
    }
    m_curveView->clear();
    m_distView->clear();
    analyse(qs(value));
}

void frmStats::RegSet_Click() {
    MsgBox::show(this, lang("StatsEditorMsgBox", 24) + lang("StatsEditorMsgBox", 25), windowTitle(), Icon::Information);
}

void frmStats::Bitcalc_Click() {
    auto* m = mainWindow();
    auto* calc = m ? qobject_cast<frmbitratecalc*>(m->openTool(QStringLiteral("calc"))) : nullptr;
    if (!calc) return;
    calc->setFrameCount(qs(fw::numberText(fw::numberOr0(ss(field("txtFrames")->text())))));
    calc->calcola_Click();
}

void frmStats::cmdReport_Click() {
    if (!m_analysis.ok) return;
    auto d = SaveFileDialog(this, {{lang("General", 11) + QStringLiteral(" (*.txt)"), QStringLiteral("*.txt")}},
                            dialogTitle(1, 6));
    if (d.cancelled()) return;
    const std::string out = reportFileName(ss(d.path), ".txt");
    QDateTime now = QDateTime::currentDateTime();
    if (!writeStatsReport(out, ss(m_path), m_analysis, m_framesTable->isChecked(),
                          ss(now.toString(QStringLiteral("yyyy-MM-dd"))), ss(now.toString(QStringLiteral("HH:mm:ss")))))
        MsgBox::show(this, Message::lang("StatsEditorMsgBox", 27, Icon::Critical), windowTitle());
}

void frmStats::cmdSave_Click() {
    if (!m_analysis.ok || busy()) return;
    const auto target = fw::parseNumber(ss(field("txtTarget")->text()));
    if (!target) {
        MsgBox::show(this, Message::lang("StatsEditorMsgBox", 26, Icon::Exclamation), windowTitle());
        return;
    }
    auto d = SaveFileDialog(this, {{QStringLiteral("XviD stats (*.stats)"), QStringLiteral("*.stats")}}, dialogTitle(1, 7));
    if (d.cancelled()) return;
    const std::string out = reportFileName(ss(d.path), ".stats");
    const std::string in = ss(m_path);
    const StatsSummary summary = m_analysis.summary;
    auto result = std::make_shared<RescaleResult>();
    const double t = *target;
    m_runner->start([in, out, t, summary, result](fw::Progress p) { *result = rescaleStats(in, out, t, summary, p); },
                    [this, result] {
                        MsgBox::showAll(this, result->messages, windowTitle());
                        emit rescaled();
                    });
}

void frmStats::cmdKeyFrame_Click() {
    const QString t = field("txtKeyFrame")->text();
    if (t.isEmpty() || !m_analysis.ok) {
        MsgBox::show(this, Message::lang("StatsEditorMsgBox", 17, Icon::Critical, LangText("FormCaptions", 6)), windowTitle());
        return;
    }
    KeySize size = KeySize::Keep;
    if (m_sizeChoice[0]->isChecked()) size = KeySize::LargestI;
    else if (m_sizeChoice[1]->isChecked()) size = KeySize::AverageI;
    else if (m_sizeChoice[2]->isChecked()) size = KeySize::Custom;
    const double n = fw::numberOr0(ss(t));
    auto r = insertKeyFrame(ss(m_path), static_cast<std::int64_t>(n), size, fw::numberOr0(ss(field("txtTarget")->text())),
                            m_analysis.summary);
    MsgBox::showAll(this, r.messages, windowTitle());
}

}  // namespace fw::gui
