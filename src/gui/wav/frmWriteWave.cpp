#include "gui/wav/frmWriteWave.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QVBoxLayout>
#include <filesystem>

#include "core/common/lang.h"
#include "core/splitter/splitter.h"
#include "core/wav/converter.h"
#include "gui/ui/background.h"
#include "gui/ui/file_dialog.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

using namespace fw::wav;

frmWriteWave::frmWriteWave(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmWriteWave"));
    buildUi();
    m_runner = new BackgroundRunner(this, m_progress);
    m_positionTimer.setInterval(100);
    connect(&m_positionTimer, &QTimer::timeout, this, &frmWriteWave::showPosition);
    // Without working decoders the window has nothing to offer; the program ends, as it always has.
    if (auto m = checkLibraries(runningLibraries(), builtLibraries())) {
        QTimer::singleShot(0, this, [this, m = *m] {
            MsgBox::show(this, m, windowTitle());
            close();
            QCoreApplication::exit(1);
        });
    }
}

frmWriteWave::~frmWriteWave() {
    m_closing->store(true);
    m_runner->stop();
    m_runner->wait();
}

bool frmWriteWave::busy() const { return m_runner->busy(); }
QString frmWriteWave::statusText() const { return m_status->text(); }

void frmWriteWave::buildUi() {
    setWindowTitle(lang("FormCaptions", 14));
    auto* root = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    m_source = new QLineEdit(this);
    m_source->setObjectName(QStringLiteral("txtSource"));
    m_source->setReadOnly(true);
    m_load = iconButton(this, QStyle::SP_DialogOpenButton, "cmdLoad", lang("WavConverterTooltips", 1));
    m_load->setText(lang("WavConverter", 3));
    grid->addWidget(new QLabel(lang("WavConverter", 2), this), 0, 0);
    grid->addWidget(m_source, 0, 1);
    grid->addWidget(m_load, 0, 2);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("lblCaption"));
    m_caption->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_caption->setTextFormat(Qt::PlainText);  // a module's title is the file's own text
    grid->addWidget(m_caption, 1, 0, 1, 3);
    m_size = new QLabel(this);
    m_size->setObjectName(QStringLiteral("lblSize"));
    m_time = new QLabel(this);
    m_time->setObjectName(QStringLiteral("lblTime"));
    grid->addWidget(m_size, 2, 0, 1, 2);
    grid->addWidget(m_time, 2, 2);
    m_folder = new QLabel(this);
    m_folder->setObjectName(QStringLiteral("lblFolder"));
    m_folder->setWordWrap(true);
    m_folder->setTextFormat(Qt::PlainText);
    m_folderButton = iconButton(this, QStyle::SP_DirIcon, "cmdFolder", lang("WavConverterTooltips", 4));
    grid->addWidget(m_folder, 3, 0, 1, 2);
    grid->addWidget(m_folderButton, 3, 2);
    m_free = new QLabel(this);
    m_free->setObjectName(QStringLiteral("lblFree"));
    grid->addWidget(m_free, 4, 0, 1, 3);
    root->addLayout(grid);

    m_position = new QLabel(lang("WavConverter", 1), this);
    m_position->setObjectName(QStringLiteral("lblPosition"));
    root->addWidget(m_position);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    root->addWidget(m_progress);

    auto* buttons = new QHBoxLayout;
    m_convert = new QPushButton(lang("WavConverter", 4), this);
    m_convert->setObjectName(QStringLiteral("cmdConvert"));
    m_convert->setToolTip(lang("WavConverterTooltips", 2));
    m_convert->setEnabled(false);
    makeDefault(m_convert);
    m_stop = new QPushButton(lang("WavConverter", 5), this);
    m_stop->setObjectName(QStringLiteral("cmdStop"));
    m_stop->setToolTip(lang("WavConverterTooltips", 3));
    m_stop->setEnabled(false);
    auto* exit = new QPushButton(lang("WavConverter", 10), this);
    exit->setObjectName(QStringLiteral("cmdExit"));
    exit->setToolTip(lang("WavConverterTooltips", 5));
    buttons->addWidget(m_convert);
    buttons->addWidget(m_stop);
    buttons->addStretch(1);
    buttons->addWidget(exit);
    root->addLayout(buttons);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setWordWrap(true);
    root->addWidget(m_status);

    connect(m_load, &QPushButton::clicked, this, [this] {
        const QString pattern = QStringLiteral("*.mp?;*.ogg;*.mo3;*.xm;*.mod;*.s3m;*.it;*.mtm;*.umx");
        auto r = OpenFileDialog(this,
                                {{QStringLiteral("Convertable files (*.mp?;*.ogg;*.mo3;*.xm;*.mod;*.s3m;*.it;*.mtm;*.umx)"), pattern},
                                 {lang("WavConverter", 12), QStringLiteral("*")}},
                                dialogTitle(3, 9));
        if (!r.cancelled()) load(r.path);
    });
    connect(m_folderButton, &QPushButton::clicked, this, [this] {
        const QString f = FolderDialog(this, lang("WavConverter", 11), m_outDir);
        if (!f.isEmpty()) setOutputFolder(f);
    });
    connect(m_convert, &QPushButton::clicked, this, &frmWriteWave::cmdConvert_Click);
    connect(m_stop, &QPushButton::clicked, this, &frmWriteWave::cmdStop_Click);
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
}

bool frmWriteWave::load(const QString& path) {
    if (busy()) return false;
    m_decoder.reset();
    m_caption->clear();
    m_size->clear();
    m_time->clear();
    m_status->clear();
    m_position->setText(lang("WavConverter", 1));
    m_progress->setValue(0);
    m_convert->setEnabled(false);
    OpenResult opened = openSource(ss(path));
    if (!opened.decoder) {
        m_source->clear();
        m_sourcePath.clear();
        m_info = {};
        MsgBox::show(this, opened.error, windowTitle());
        return false;
    }
    m_decoder = std::move(opened.decoder);
    m_info = m_decoder->info();
    m_sourcePath = path;
    m_source->setText(path);
    if (m_info.kind == SourceKind::Module) {
        m_caption->setText(qs(moduleCaption(m_info)));
        m_time->setText(qs(sizeLabel(m_info)));
    } else {
        m_caption->setText(qs(m_info.codec) + QStringLiteral(", %1 Hz, %2 ch").arg(m_info.format.sampleRate).arg(m_info.format.channels));
        m_size->setText(qs(sizeLabel(m_info)));
        m_time->setText(lang("InvCalc", 6) + QLatin1Char(' ') + qs(timeLabel(m_info.seconds)));
    }
    if (m_outDir.isEmpty()) setOutputFolder(QFileInfo(path).absolutePath());
    else updateFreeSpace();
    m_convert->setEnabled(true);
    return true;
}

void frmWriteWave::setOutputFolder(const QString& folder) {
    m_outDir = folder;
    m_folder->setText(lang("WavConverter", 6) + QLatin1Char(' ') + QDir::toNativeSeparators(folder));
    updateFreeSpace();
}

void frmWriteWave::updateFreeSpace() {
    if (m_outDir.isEmpty()) return;
    const double wavMB = static_cast<double>(m_info.expectedBytes) / 1048576.0;
    QStorageInfo storage(m_outDir);
    m_free->setText(qs(fw::splitter::freeSpaceText(wavMB, fw::splitter::freeSpaceMB(ss(m_outDir)), ss(storage.rootPath()))));
}

void frmWriteWave::setIdle(bool idle) {
    m_load->setEnabled(idle);
    m_folderButton->setEnabled(idle);
    m_convert->setEnabled(idle && !m_sourcePath.isEmpty());
    m_stop->setEnabled(!idle);
}

void frmWriteWave::cmdConvert_Click() {
    if (busy() || m_sourcePath.isEmpty()) return;
    const std::string source = ss(m_sourcePath);
    std::string output = outputPath(source, ss(m_outDir));
    if (auto m = checkOutput(output)) {
        MsgBox::show(this, *m, windowTitle());
        return;
    }
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(output, ec))) {
        switch (MsgBox::show(this, existsQuestion(output), windowTitle())) {
            case Answer::Yes:
                if (sameFile(source, output)) {
                    MsgBox::show(this, Message::lang("WavConverterMsgBox", 23, Icon::Exclamation), windowTitle());
                    return;
                }
                break;
            case Answer::No:
                output = prefixedPath(output);
                if (output.empty()) {
                    MsgBox::show(this, Message::lang("WavConverterMsgBox", 24, Icon::Exclamation), windowTitle());
                    return;
                }
                break;
            default:
                return;
        }
    }
    // A second conversion of the same source decodes it again from the start.
    if (!m_decoder) {
        OpenResult opened = openSource(source);
        if (!opened.decoder) {
            MsgBox::show(this, opened.error, windowTitle());
            return;
        }
        m_decoder = std::move(opened.decoder);
    }
    auto decoder = m_decoder;
    m_decoder.reset();
    auto result = std::make_shared<ConvertResult>();
    auto closing = m_closing;
    setIdle(false);
    m_status->setText(lang("WavConverter", 13));
    m_positionTimer.start();
    m_runner->start([decoder, output, result, closing](fw::Progress p) { *result = convert(*decoder, output, p, {closing.get()}); },
                    [this, decoder, result] {
                        m_positionTimer.stop();
                        m_position->setText(qs(positionLabel(m_info, decoder->position())));
                        setIdle(true);
                        m_status->setText(qs(result->status));
                        if (result->ok || result->stopped) m_lastOutput = qs(result->output);
                        if (result->ok) QApplication::beep();
                        MsgBox::showAll(this, result->messages, windowTitle());
                        MsgBox::showAll(this, result->warnings, windowTitle());
                        updateFreeSpace();
                        emit finished();
                    });
    // The decoder moved to the conversion; the position timer reads it through this copy.
    m_positionDecoder = decoder;
}

void frmWriteWave::showPosition() {
    if (auto d = m_positionDecoder.lock()) m_position->setText(qs(positionLabel(m_info, d->position())));
}

void frmWriteWave::cmdStop_Click() { m_runner->stop(); }

void frmWriteWave::closeEvent(QCloseEvent* e) {
    if (busy()) {
        // Closing mid-way keeps what was written, with its sizes, as the window always has.
        m_closing->store(true);
        m_runner->stop();
        m_runner->wait();
    }
    QWidget::closeEvent(e);
}

}  // namespace fw::gui
