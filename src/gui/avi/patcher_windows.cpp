#include "gui/avi/patcher_windows.h"

#include <cmath>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/common/lang.h"
#include "core/common/number.h"
#include "gui/codecdb/codec_windows.h"
#include "gui/ui/file_dialog.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

namespace {


QLabel* value(QWidget* owner, const char* name) {
    auto* l = new QLabel(owner);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

QString chooseAvi(QWidget* owner, bool allFilesSecond) {
    std::vector<FileFilter> filters{{QStringLiteral("Files avi (*.avi)"), QStringLiteral("*.avi")}};
    if (allFilesSecond) filters.push_back({QStringLiteral("files (*.*)"), QStringLiteral("*")});
    else filters.push_back({QStringLiteral("Files avi (*.divx)"), QStringLiteral("*.divx")});
    return OpenFileDialog(owner, filters, lang("AviDetector", 1)).path;
}

// A file row, a grid of labelled values and a button row: the three windows share the shape.
struct Frame {
    QGridLayout* grid;
    QHBoxLayout* buttons;
    QLineEdit* file;
};
Frame frame(QWidget* w) {
    auto* root = new QVBoxLayout(w);
    auto* top = new QHBoxLayout;
    auto* file = new QLineEdit(w);
    file->setObjectName(QStringLiteral("Text1"));
    file->setReadOnly(true);
    file->setMinimumWidth(360);
    top->addWidget(new QLabel(lang("AviDetector", 51), w));
    top->addWidget(file, 1);
    root->addLayout(top);
    auto* grid = new QGridLayout;
    root->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    root->addLayout(buttons);
    return {grid, buttons, file};
}

void showOutcome(QWidget* w, const fw::avi::PatchOutcome& o, const QString& title) {
    if (!o.ok) {
        MsgBox::showAll(w, o.messages, w->windowTitle());
        return;
    }
    MsgBox::show(w, lang("AviDetectorMsgBox", 3), title, Icon::Information);
}

}  // namespace

// ---- FourCC changer -------------------------------------------------------------------------
fcc_changer::fcc_changer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("fcc_changer"));
    setWindowTitle(lang("FormCaptions", 4));
    auto f = frame(this);
    m_file = f.file;
    m_current = value(this, "lblCurrent");
    m_codec = value(this, "lblCodec");
    m_presets = new QComboBox(this);
    m_presets->setObjectName(QStringLiteral("Combo1"));
    for (const auto& p : fw::avi::kFourccPresets) m_presets->addItem(QString::fromLatin1(p.entry.data(), static_cast<int>(p.entry.size())));
    m_presets->setCurrentIndex(-1);
    m_presets->setEnabled(false);
    f.grid->addWidget(new QLabel(lang("FccChanger", 1), this), 0, 0);
    f.grid->addWidget(m_current, 0, 1);
    f.grid->addWidget(new QLabel(lang("AviDetector", 5), this), 1, 0);
    f.grid->addWidget(m_codec, 1, 1);
    f.grid->addWidget(new QLabel(lang("FccChanger", 2), this), 2, 0);
    f.grid->addWidget(m_presets, 2, 1);
    auto* open = iconButton(this, QStyle::SP_DialogOpenButton, "cmdOpen", lang("General", 3));
    m_save = iconButton(this, QStyle::SP_DialogSaveButton, "cmdSave", lang("FccChangerTooltips", 2));
    m_db = iconButton(this, QStyle::SP_FileDialogContentsView, "cmdDatabase", lang("FccChangerTooltips", 1));
    auto* info = iconButton(this, QStyle::SP_MessageBoxInformation, "cmdInfo", lang("FccChangerTooltips", 3));
    auto* esci = iconButton(this, QStyle::SP_DialogCloseButton, "esci", lang("General", 2));
    for (auto* b : {open, m_save, m_db, info}) f.buttons->addWidget(b);
    f.buttons->addStretch(1);
    f.buttons->addWidget(esci);
    m_save->setEnabled(false);
    m_db->setEnabled(false);
    connect(open, &QPushButton::clicked, this, &fcc_changer::cmdOpen_Click);
    connect(m_presets, &QComboBox::activated, this, &fcc_changer::Combo1_Click);
    connect(m_save, &QPushButton::clicked, this, &fcc_changer::cmdSave_Click);
    makeDefault(m_save);
    connect(m_db, &QPushButton::clicked, this, [this] { openFourccBrowser(qs(m_session.compression)); });
    connect(info, &QPushButton::clicked, this,
            [this] { showInfoWindow(this, QStringLiteral("Fourcc changer - info"), lang("Infos", 5)); });
    connect(esci, &QPushButton::clicked, this, &QWidget::close);
}

void fcc_changer::cmdOpen_Click() {
    QString path = chooseAvi(this, false);
    if (path.isEmpty()) {
        m_save->setEnabled(false);
        return;
    }
    openFile(path);
}

void fcc_changer::openFile(const QString& path) {
    m_loaded = false;
    m_code.clear();
    m_save->setEnabled(false);
    m_file->setText(path);
    auto o = fw::avi::openFourcc(ss(path), m_session);
    if (!o.ok) {
        MsgBox::showAll(this, o.messages, windowTitle());
        m_current->clear();
        m_codec->clear();
        m_db->setEnabled(false);
        return;
    }
    m_loaded = true;
    m_current->setText(qs(m_session.currentLine));
    m_codec->setText(qs(m_session.codecLine));
    m_presets->setEnabled(true);
    m_db->setEnabled(true);
}

void fcc_changer::Combo1_Click(int index) {
    if (index < 0 || index >= static_cast<int>(fw::avi::kFourccPresets.size())) return;
    m_code = qs(std::string(fw::avi::kFourccPresets[static_cast<std::size_t>(index)].code));
    m_save->setEnabled(m_loaded);
}

void fcc_changer::cmdSave_Click() {
    if (!m_loaded || m_code.isEmpty()) return;
    auto o = fw::avi::saveFourcc(m_session, ss(m_code));
    showOutcome(this, o, lang("FormCaptions", 4));
    if (o.ok) openFile(m_file->text());  // show what the file holds now
}

// ---- Frame-rate changer ---------------------------------------------------------------------
fps_changer::fps_changer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("fps_changer"));
    setWindowTitle(lang("FormCaptions", 5));
    auto f = frame(this);
    m_file = f.file;
    m_fps = value(this, "lblFps");
    m_mspf = value(this, "lblMspf");
    m_frames = value(this, "lblFrames");
    m_new = value(this, "lblNew");
    m_new->setWordWrap(true);
    m_presets = new QComboBox(this);
    m_presets->setObjectName(QStringLiteral("Combo1"));
    for (const auto& p : fw::avi::kRatePresets) m_presets->addItem(QString::fromLatin1(p.entry.data(), static_cast<int>(p.entry.size())));
    m_presets->setCurrentIndex(-1);
    m_presets->setEnabled(false);
    int row = 0;
    for (auto [key, w] : {std::pair{1, m_fps}, std::pair{3, m_mspf}, std::pair{4, m_frames}}) {
        f.grid->addWidget(new QLabel(lang("FpsChanger", key), this), row, 0);
        f.grid->addWidget(w, row++, 1);
    }
    f.grid->addWidget(new QLabel(lang("FpsChanger", 2), this), row, 0);
    f.grid->addWidget(m_presets, row++, 1);
    // The outcome of a choice, on a row of its own with room for two lines from the start, so a
    // longer text wraps instead of being cut or growing the window.
    f.grid->addWidget(m_new, row, 0, 1, 3);
    m_new->setMinimumHeight(2 * m_new->fontMetrics().lineSpacing());
    auto* open = iconButton(this, QStyle::SP_DialogOpenButton, "cmdOpen", lang("General", 1));
    m_save = iconButton(this, QStyle::SP_DialogSaveButton, "cmdSave", lang("FpsChangerTooltips", 2));
    m_play = iconButton(this, QStyle::SP_MediaPlay, "cmdPlay", lang("FpsChangerTooltips", 1));
    auto* info = iconButton(this, QStyle::SP_MessageBoxInformation, "cmdInfo", lang("FccChangerTooltips", 3));
    auto* esci = iconButton(this, QStyle::SP_DialogCloseButton, "esci", lang("General", 2));
    for (auto* b : {open, m_save, m_play, info}) f.buttons->addWidget(b);
    f.buttons->addStretch(1);
    f.buttons->addWidget(esci);
    m_save->setEnabled(false);
    m_play->setEnabled(false);
    connect(open, &QPushButton::clicked, this, &fps_changer::cmdOpen_Click);
    connect(m_presets, &QComboBox::activated, this, &fps_changer::Combo1_Click);
    connect(m_save, &QPushButton::clicked, this, &fps_changer::cmdSave_Click);
    makeDefault(m_save);
    connect(m_play, &QPushButton::clicked, this, [this] { openOrSay(this, m_file->text()); });
    connect(info, &QPushButton::clicked, this,
            [this] { showInfoWindow(this, QStringLiteral("Fps changer - info"), lang("Infos", 6)); });
    connect(esci, &QPushButton::clicked, this, &QWidget::close);
}

void fps_changer::cmdOpen_Click() {
    QString path = chooseAvi(this, false);
    if (path.isEmpty()) {
        m_save->setEnabled(false);
        return;
    }
    openFile(path);
}

void fps_changer::openFile(const QString& path) {
    m_newScale = 0;
    m_save->setEnabled(false);
    m_new->clear();
    m_presets->setCurrentIndex(-1);  // a choice belongs to the file it was made for
    m_file->setText(path);
    m_play->setEnabled(true);
    auto o = fw::avi::openFps(ss(path), m_session);
    if (!o.ok) {
        MsgBox::showAll(this, o.messages, windowTitle());
        for (auto* l : {m_fps, m_mspf, m_frames}) l->clear();
        m_presets->setEnabled(false);
        return;
    }
    m_fps->setText(qs(fw::numberText(fw::roundHalfEven(m_session.fps(), 4))));
    m_mspf->setText(QString::number(m_session.microSecPerFrame));
    m_frames->setText(QString::number(m_session.totalFrames));
    m_presets->setEnabled(true);
}

void fps_changer::Combo1_Click(int index) {
    if (index < 0 || index >= static_cast<int>(fw::avi::kRatePresets.size())) return;
    m_newScale = fw::avi::proposedScale(m_session, fw::avi::kRatePresets[static_cast<std::size_t>(index)].rate);
    QString text = QStringLiteral("dwScale %1 = %2 fps")
                       .arg(m_newScale)
                       .arg(qs(fw::numberText(fw::roundHalfEven(double(m_session.rate) / m_newScale, 4))));
    // A file that counts whole frames (dwRate 25, dwScale 1, as ffmpeg writes) has no other whole
    // dwScale near the chosen rate: there is nothing to save, and the user is told why.
    const bool same = m_newScale == m_session.scale;
    const double chosen = fw::avi::kRatePresets[static_cast<std::size_t>(index)].rate;
    if (same)
        text += QStringLiteral(", ") + (std::fabs(chosen - m_session.fps()) < 0.0005 ? lang("FpsChanger", 6) : lang("FpsChanger", 5).arg(m_session.rate));
    m_new->setText(text);
    m_new->setToolTip(same ? text : QString());
    m_save->setEnabled(!same);
}

void fps_changer::cmdSave_Click() {
    if (m_newScale == 0) return;
    auto o = fw::avi::saveFps(m_session, m_newScale);
    showOutcome(this, o, lang("FormCaptions", 5));
    if (o.ok) openFile(m_file->text());
}

// ---- Audio/video synchronizer ---------------------------------------------------------------
synchro::synchro(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("synchro"));
    setWindowTitle(lang("FormCaptions", 13));
    auto f = frame(this);
    m_file = f.file;
    m_file->setObjectName(QStringLiteral("titolo"));
    m_fps = value(this, "lblFps");
    m_mspf = value(this, "lblMspf");
    m_frames = value(this, "lblFrames");
    m_video = value(this, "lblVideo");
    m_audio = value(this, "lblAudio");
    m_suggested = new QLineEdit(this);
    m_suggested->setObjectName(QStringLiteral("suggested"));
    m_suggested->setReadOnly(true);
    int row = 0;
    const std::pair<QString, QWidget*> rows[] = {
        {lang("FpsChanger", 1), m_fps},    {lang("FpsChanger", 3), m_mspf},   {lang("FpsChanger", 4), m_frames},
        {lang("Synchronizer", 1), m_video}, {lang("Synchronizer", 2), m_audio}, {lang("Synchronizer", 3), m_suggested}};
    for (const auto& [caption, w] : rows) {
        f.grid->addWidget(new QLabel(caption, this), row, 0);
        f.grid->addWidget(w, row++, 1);
    }
    auto* open = iconButton(this, QStyle::SP_DialogOpenButton, "cmdOpen", lang("General", 3));
    m_save = iconButton(this, QStyle::SP_DialogSaveButton, "cmdSave", lang("SynchronizerTooltips", 1));
    m_play = iconButton(this, QStyle::SP_MediaPlay, "cmdPlay", lang("FpsChangerTooltips", 1));
    auto* info = iconButton(this, QStyle::SP_MessageBoxInformation, "cmdInfo", lang("FccChangerTooltips", 3));
    auto* esci = iconButton(this, QStyle::SP_DialogCloseButton, "esci", lang("General", 2));
    for (auto* b : {open, m_save, m_play, info}) f.buttons->addWidget(b);
    f.buttons->addStretch(1);
    f.buttons->addWidget(esci);
    m_save->setEnabled(false);
    m_play->setEnabled(false);
    // A new title (file) puts the proposal field back to its plain colour.
    connect(m_file, &QLineEdit::textChanged, this, [this] { m_suggested->setStyleSheet(QString()); });
    connect(open, &QPushButton::clicked, this, &synchro::cmdOpen_Click);
    connect(m_save, &QPushButton::clicked, this, &synchro::cmdSave_Click);
    makeDefault(m_save);
    connect(m_play, &QPushButton::clicked, this, [this] { openOrSay(this, m_file->text()); });
    connect(info, &QPushButton::clicked, this,
            [this] { showInfoWindow(this, QStringLiteral("Audio/Video Synchronizer - info"), lang("Infos", 8)); });
    connect(esci, &QPushButton::clicked, this, &QWidget::close);
}

void synchro::cmdOpen_Click() {
    QString path = chooseAvi(this, true);
    if (path.isEmpty()) return;
    openFile(path);
}

void synchro::openFile(const QString& path) {
    m_save->setEnabled(false);
    m_file->setText(path);
    m_play->setEnabled(true);
    for (auto* l : {m_fps, m_mspf, m_frames, m_video, m_audio}) l->clear();
    m_suggested->clear();
    auto o = fw::avi::openSync(ss(path), m_session);
    // The rate, microseconds and frame count are shown before any refusal (variable-bitrate
    // audio, say), so the user sees what was read.
    if (m_session.headerRead) {
        m_fps->setText(qs(fw::numberText(fw::roundHalfEven(m_session.videoFps(), 5))));
        m_mspf->setText(QString::number(m_session.microSecPerFrame));
        m_frames->setText(QString::number(m_session.frames));
    }
    if (!o.ok) {
        MsgBox::showAll(this, o.messages, windowTitle());
        return;
    }
    m_video->setText(qs(fw::numberText(fw::roundHalfEven(m_session.videoSeconds, 3))));
    m_audio->setText(qs(fw::numberText(fw::roundHalfEven(m_session.audioSeconds, 3))));
    if (m_session.inSync) {
        m_suggested->setText(QStringLiteral("OK!!"));
        return;
    }
    m_suggested->setText(qs(fw::numberText(fw::roundHalfEven(m_session.newFps(), 5))));
    m_suggested->setStyleSheet(QStringLiteral("QLineEdit { background: yellow; color: black; }"));
    m_save->setEnabled(true);
}

void synchro::cmdSave_Click() {
    if (m_session.inSync) return;
    auto o = fw::avi::saveSync(m_session);
    showOutcome(this, o, lang("FormCaptions", 13));
    // Show the file as it now is: the new rate, and the durations that now agree.
    if (o.ok) openFile(m_file->text());
}

}  // namespace fw::gui
