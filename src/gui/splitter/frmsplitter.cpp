#include "gui/splitter/frmsplitter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStorageInfo>
#include <QStyle>
#include <QVBoxLayout>

#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"
#include "gui/system/sysinfo_window.h"
#include "gui/ui/background.h"
#include "gui/ui/file_dialog.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

using namespace fw::splitter;

frmsplitter::frmsplitter(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmsplitter"));
    buildUi();
    m_runner = new BackgroundRunner(this, m_progress);
    connect(m_runner, &BackgroundRunner::finished, this, [this] { m_stop->setEnabled(false); });
}

frmsplitter::~frmsplitter() {
    m_runner->stop();
    m_runner->wait();
}

bool frmsplitter::busy() const { return m_runner->busy(); }
QString frmsplitter::statusText() const { return m_status->currentMessage(); }

void frmsplitter::buildUi() {
    setWindowTitle(lang("FormCaptions", 18));
    auto* root = new QVBoxLayout(this);
    auto* src = new QGridLayout;
    m_source = new QLineEdit(this);
    m_source->setObjectName(QStringLiteral("Text1"));
    auto* browse = new QPushButton(lang("FileSplitter", 2), this);
    browse->setObjectName(QStringLiteral("cmdBrowse"));
    browse->setToolTip(lang("FileSplitterTooltips", 1));
    src->addWidget(new QLabel(lang("FileSplitter", 1), this), 0, 0);
    src->addWidget(m_source, 0, 1);
    src->addWidget(browse, 0, 2);
    m_size = new QLabel(this);
    m_size->setObjectName(QStringLiteral("lblSize"));
    m_folder = new PathLabel(this);
    m_folder->setObjectName(QStringLiteral("lblFolder"));
    // Two lines (caption, then the folder) from the start, so the window does not grow on the
    // first file; a long folder is shortened in the middle rather than widening the window.
    m_folder->setMinimumHeight(2 * m_folder->fontMetrics().lineSpacing());
    src->addWidget(new QLabel(lang("FileSplitter", 28), this), 1, 0);
    src->addWidget(m_size, 1, 1);
    src->addWidget(m_folder, 2, 0, 1, 3);
    root->addLayout(src);

    auto* size = new QGroupBox(lang("FileSplitter", 3), this);
    auto* sl = new QGridLayout(size);
    m_presets = new QComboBox(size);
    m_presets->setObjectName(QStringLiteral("Combo1"));
    for (const auto& p : kPresets) m_presets->addItem(QString::fromUtf8(p.entry.data(), static_cast<int>(p.entry.size())));
    m_presets->setCurrentIndex(-1);
    m_mode[0] = new QRadioButton(lang("FileSplitter", 24), size);
    m_mode[0]->setObjectName(QStringLiteral("Option1_0"));
    m_mode[1] = new QRadioButton(lang("FileSplitter", 25), size);
    m_mode[1]->setObjectName(QStringLiteral("Option1_1"));
    m_sizeMB = new QLineEdit(size);
    m_sizeMB->setObjectName(QStringLiteral("Text2"));
    m_countField = new QLineEdit(size);
    m_countField->setObjectName(QStringLiteral("Text3"));
    m_pieceLabel = new QLabel(size);
    m_pieceLabel->setObjectName(QStringLiteral("lblPieces"));
    sl->addWidget(m_presets, 0, 0, 1, 2);
    sl->addWidget(m_mode[0], 1, 0);
    sl->addWidget(m_sizeMB, 1, 1);
    sl->addWidget(m_mode[1], 2, 0);
    sl->addWidget(m_countField, 2, 1);
    sl->addWidget(new QLabel(lang("FileSplitter", 29), size), 3, 0);
    sl->addWidget(m_pieceLabel, 3, 1);
    root->addWidget(size);

    auto* opts = new QGroupBox(lang("FileSplitter", 4), this);
    auto* ol = new QVBoxLayout(opts);
    for (int i = 0; i < 3; ++i) {
        m_options[static_cast<std::size_t>(i)] = new QCheckBox(lang("FileSplitter", 5 + i), opts);
        m_options[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("Check1_%1").arg(i));
        ol->addWidget(m_options[static_cast<std::size_t>(i)]);
    }
    root->addWidget(opts);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblSummary"));
    root->addWidget(m_summary);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    root->addWidget(m_progress);

    auto* buttons = new QHBoxLayout;
    m_split = new QPushButton(lang("FileSplitter", 8), this);
    m_split->setObjectName(QStringLiteral("cmdSplit"));
    m_split->setToolTip(lang("FileSplitterTooltips", 2));
    makeDefault(m_split);
    m_join = new QPushButton(lang("FileSplitter", 19), this);
    m_join->setObjectName(QStringLiteral("cmdJoin"));
    m_join->setToolTip(lang("FileSplitterTooltips", 3));
    m_join->setEnabled(false);
    m_stop = new QPushButton(lang("FileSplitter", 20), this);
    m_stop->setObjectName(QStringLiteral("cmdStop"));
    m_stop->setToolTip(lang("FileSplitterTooltips", 4));
    m_stop->setEnabled(false);  // until something runs
    m_openFolder = new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon), QString(), this);
    m_openFolder->setObjectName(QStringLiteral("cmdOpenFolder"));
    m_openFolder->setToolTip(lang("FileSplitterTooltips", 5));
    m_openFolder->setEnabled(false);
    auto* folder = new QPushButton(style()->standardIcon(QStyle::SP_DirIcon), QString(), this);
    folder->setObjectName(QStringLiteral("cmdFolder"));
    folder->setToolTip(lang("FileSplitterTooltips", 6));
    auto* tip = new QPushButton(QStringLiteral("?"), this);
    tip->setObjectName(QStringLiteral("Command5"));
    tip->setToolTip(lang("FileSplitterTooltips", 7));
    auto* sysinfo = new QPushButton(style()->standardIcon(QStyle::SP_ComputerIcon), QString(), this);
    sysinfo->setObjectName(QStringLiteral("Command7"));
    sysinfo->setToolTip(lang("FileSplitterTooltips", 8));
    auto* esci = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QString(), this);
    esci->setObjectName(QStringLiteral("esci"));
    esci->setToolTip(lang("General", 2));
    for (auto* b : {m_split, m_join, m_stop, m_openFolder, folder, tip, sysinfo}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(esci);
    root->addLayout(buttons);
    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(false);
    root->addWidget(m_status);

    connect(browse, &QPushButton::clicked, this, [this] {
        auto r = OpenFileDialog(this, {{lang("FileSplitter", 18), QStringLiteral("*")}}, dialogTitle(3, 4));
        if (!r.cancelled()) setSource(r.path);
    });
    connect(m_source, &QLineEdit::textChanged, this, &frmsplitter::onSourceChanged);
    connect(m_presets, &QComboBox::activated, this, &frmsplitter::choosePreset);
    for (auto* f : {m_sizeMB, m_countField})
        connect(f, &QLineEdit::textChanged, this, [this, f](const QString& t) {
            if (!t.isEmpty() && !fw::isNumeric(ss(t))) {
                MsgBox::show(this, Message::lang("BitcalcMsgbox", 1), windowTitle());
                f->clear();
                return;
            }
            (f == m_sizeMB ? m_mode[0] : m_mode[1])->setChecked(true);
            // A typed size or count is not the preset any more: the list shows none.
            m_presets->setCurrentIndex(-1);
            recompute();
        });
    connect(m_options[0], &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            MsgBox::show(this,
                         lang("FileSplitterMsgBox", 10) + lang("FileSplitterMsgBox", 11) + lang("FileSplitterMsgBox", 12) +
                             lang("FileSplitterMsgBox", 13),
                         windowTitle(), Icon::Information);
        m_options[2]->setEnabled(!on);
    });
    connect(m_options[1], &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            MsgBox::show(this,
                         lang("FileSplitterMsgBox", 14) + lang("FileSplitterMsgBox", 15) + lang("FileSplitterMsgBox", 16) +
                             lang("FileSplitterMsgBox", 17),
                         windowTitle(), Icon::Question);
    });
    connect(m_split, &QPushButton::clicked, this, &frmsplitter::cmdSplit_Click);
    connect(m_join, &QPushButton::clicked, this, &frmsplitter::cmdJoin_Click);
    connect(m_stop, &QPushButton::clicked, this, &frmsplitter::cmdStop_Click);
    connect(m_openFolder, &QPushButton::clicked, this, [this] { openOrSay(this, m_outDir); });
    connect(folder, &QPushButton::clicked, this, [this] {
        QString f = FolderDialog(this, lang("FileSplitter", 23), m_outDir);
        if (f.isEmpty()) return;
        m_outDir = f;
        m_folder->setFullText(lang("FileSplitter", 9) + QStringLiteral("\n") + m_outDir);
    });
    connect(tip, &QPushButton::clicked, this, [this] { showInfoWindow(this, lang("FileSplitter", 26), lang("FileSplitter", 27)); });
    connect(esci, &QPushButton::clicked, this, &QWidget::close);
    connect(sysinfo, &QPushButton::clicked, this, [this] { showSystemInfo(this); });
}

void frmsplitter::setSource(const QString& path) {
    m_source->setText(path);
    QFileInfo fi(path);
    m_total = fi.size();
    m_size->setText(qs(fw::numberText(fw::roundHalfEven(m_total / 1048576.0, 2))) + QStringLiteral(" MB"));
    m_outDir = fi.absolutePath();
    m_folder->setFullText(lang("FileSplitter", 9) + QStringLiteral("\n") + m_outDir);
    QStorageInfo storage(m_outDir);
    m_status->showMessage(qs(freeSpaceText(m_total / 1048576.0, freeSpaceMB(ss(m_outDir)), ss(storage.rootPath()))));
    recompute();
}

void frmsplitter::onSourceChanged() {
    const QString t = m_source->text();
    const bool info = t.section(QLatin1Char('.'), -1) == QLatin1String("000") && t.contains(QLatin1Char('.'));
    m_join->setEnabled(info);
    m_options[2]->setEnabled(!info && !m_options[0]->isChecked());
    m_split->setEnabled(!info);
}

void frmsplitter::choosePreset(int index) {
    if (index < 0 || index >= static_cast<int>(kPresets.size())) return;
    m_mode[0]->setAutoExclusive(false);
    m_mode[1]->setAutoExclusive(false);
    m_mode[0]->setChecked(false);
    m_mode[1]->setChecked(false);
    m_mode[0]->setAutoExclusive(true);
    m_mode[1]->setAutoExclusive(true);
    m_pieceSize = kPresets[static_cast<std::size_t>(index)].bytes;
    m_count = fw::splitter::pieceCount(m_total, m_pieceSize);
    updateSummary();
}

void frmsplitter::recompute() {
    if (m_mode[0]->isChecked()) {
        auto mb = fw::parseNumber(ss(m_sizeMB->text()));
        if (!mb || *mb <= 0) return;
        m_pieceSize = static_cast<std::int64_t>(fw::roundHalfEven(*mb * 1048576, 0));
        m_count = fw::splitter::pieceCount(m_total, m_pieceSize);
    } else if (m_mode[1]->isChecked()) {
        auto n = fw::parseNumber(ss(m_countField->text()));
        if (!n || *n < 1) return;
        m_count = fw::toInt64Saturated(*n);  // "2,5" is 2 pieces, "3,5" is 4: halves to even
        m_pieceSize = pieceSizeForCount(m_total, m_count);
    } else if (m_presets->currentIndex() >= 0) {
        choosePreset(m_presets->currentIndex());
        return;
    }
    updateSummary();
}

void frmsplitter::updateSummary() {
    m_pieceLabel->setText(QStringLiteral("%1 x %2 bytes").arg(m_count).arg(m_pieceSize));
    m_summary->setText(qs(summaryLine(m_total, m_count)));
}

void frmsplitter::cmdSplit_Click() {
    if (busy()) return;
    if (auto m = CheckForFile(ss(m_source->text()))) {
        MsgBox::show(this, *m, windowTitle());
        return;
    }
    SplitRequest r;
    r.source = ss(m_source->text().trimmed());
    r.outDir = ss(m_outDir);
    r.pieceSize = m_pieceSize;
    // In count mode the typed count is the count written; the engine works out the sizes.
    if (m_mode[1]->isChecked()) r.count = m_count;
    r.script = m_options[0]->isChecked();
    r.keepExtension = m_options[2]->isChecked();
    const bool deleteSource = m_options[1]->isChecked();
    auto result = std::make_shared<SplitResult>();
    m_split->setEnabled(false);
    m_stop->setEnabled(true);
    m_runner->start([r, result](fw::Progress p) { *result = SplitFile(r, p); },
                    [this, result, deleteSource, r] {
                        if (result->stopped) {
                            m_split->setEnabled(true);
                            emit finished();
                            return;
                        }
                        QApplication::beep();
                        m_status->showMessage(qs(result->status));
                        MsgBox::showAll(this, result->messages, windowTitle());
                        if (result->ok) {
                            m_openFolder->setEnabled(true);
                            if (deleteSource && !CheckForFile(r.source)) std::remove(r.source.c_str());
                        } else {
                            m_split->setEnabled(true);
                        }
                        emit finished();
                    });
}

void frmsplitter::cmdJoin_Click() {
    if (busy()) return;
    const std::string name = ss(m_source->text().trimmed());
    if (auto m = CheckForFile(name)) {
        MsgBox::show(this, *m, windowTitle());
        return;
    }
    if (name.size() < 3 || name.compare(name.size() - 3, 3, "000") != 0) {
        MsgBox::show(this, Message::lang("FileSplitterMsgBox", 18, Icon::Exclamation, LangText("FormCaptions", 18)), windowTitle());
        return;
    }
    auto result = std::make_shared<JoinResult>();
    m_join->setEnabled(false);
    m_stop->setEnabled(true);
    m_runner->start([name, result](fw::Progress p) { *result = AssemblyFiles(name, p); },
                    [this, result] {
                        if (!result->stopped) QApplication::beep();
                        m_status->showMessage(qs(result->status));
                        MsgBox::showAll(this, result->messages, windowTitle());
                        if (!result->ok) m_join->setEnabled(true);
                        emit finished();
                    });
}

void frmsplitter::cmdStop_Click() { m_runner->stop(); }

}  // namespace fw::gui
