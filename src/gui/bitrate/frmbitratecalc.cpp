#include "gui/bitrate/frmbitratecalc.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/bitrate/source_import.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"
#include "gui/dvd/dvd_windows.h"
#include "gui/resize/frmResize.h"
#include "gui/shell/main_window.h"
#include "gui/ui/background.h"
#include "gui/ui/file_dialog.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

using fw::bitrate::Profile;

namespace {
template <typename W>
W* named(W* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

template <std::size_t N>
QStringList items(const std::array<std::string_view, N>& list) {
    QStringList out;
    for (auto s : list) out << QString::fromLatin1(s.data(), static_cast<int>(s.size()));
    return out;
}
}  // namespace

frmbitratecalc::frmbitratecalc(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmbitratecalc"));
    buildUi();
    FormLoad();
    CheckSettings();
    runFrate();
    runLengSectot();
    // The media label shows the loaded discs at once; a bad total is told at the first calculation.
    readControls();
    m_calc.spazio();
    Label3->setText(qs(m_calc.totalText()));
}

void frmbitratecalc::buildUi() {
    setWindowTitle(QStringLiteral("Bitrate Calculator"));
    auto* root = new QGridLayout(this);

    // Media.
    auto* media = named(new QGroupBox(QStringLiteral("N° CD"), this), QStringLiteral("FrameMedia"));
    auto* ml = new QGridLayout(media);
    for (int i = 0; i < 2; ++i) Option3[static_cast<std::size_t>(i)] = named(new QRadioButton(media), QStringLiteral("Option3_%1").arg(i));
    auto* g3 = new QButtonGroup(this);
    g3->addButton(Option3[0]);
    g3->addButton(Option3[1]);
    for (int i = 0; i < 3; ++i) {
        txtCD[static_cast<std::size_t>(i)] = named(new QLineEdit(media), QStringLiteral("txtCD_%1").arg(i));
        txtCD[static_cast<std::size_t>(i)]->setMaximumWidth(60);
        txtCD[static_cast<std::size_t>(i)]->installEventFilter(this);
    }
    txtCD[2]->setToolTip(QStringLiteral("Size MB"));
    for (int i = 0; i < 2; ++i) {
        auto* c = named(new QComboBox(media), QStringLiteral("Combo3_%1").arg(i));
        c->setEditable(true);
        c->addItems(items(fw::bitrate::kDiscTypes));
        Combo3[static_cast<std::size_t>(i)] = c;
    }
    overburn = named(new QCheckBox(QStringLiteral("Overburn"), media), QStringLiteral("overburn"));
    Label3 = named(new QLabel(media), QStringLiteral("Label3"));
    ml->addWidget(Option3[0], 0, 0);
    ml->addWidget(txtCD[0], 0, 1);
    ml->addWidget(new QLabel(QStringLiteral("x"), media), 0, 2);
    ml->addWidget(Combo3[0], 0, 3);
    ml->addWidget(txtCD[1], 1, 1);
    ml->addWidget(new QLabel(QStringLiteral("x"), media), 1, 2);
    ml->addWidget(Combo3[1], 1, 3);
    ml->addWidget(overburn, 2, 1, 1, 3);
    ml->addWidget(Option3[1], 3, 0);
    ml->addWidget(txtCD[2], 3, 1);
    ml->addWidget(new QLabel(QStringLiteral("MB"), media), 3, 2);
    ml->addWidget(new QLabel(QStringLiteral("Tot. MB:"), media), 4, 1, 1, 2);
    ml->addWidget(Label3, 4, 3);
    root->addWidget(media, 0, 0);

    // Running time.
    auto* timeBox = named(new QGroupBox(this), QStringLiteral("FrameTime"));
    auto* tl = new QGridLayout(timeBox);
    for (int i = 0; i < 2; ++i) Option2[static_cast<std::size_t>(i)] = named(new QRadioButton(timeBox), QStringLiteral("Option2_%1").arg(i));
    auto* g2 = new QButtonGroup(this);
    g2->addButton(Option2[0]);
    g2->addButton(Option2[1]);
    const char* units[3] = {"hh", "mm", "ss"};
    tl->addWidget(Option2[0], 0, 0, 1, 6);
    for (int i = 0; i < 3; ++i) {
        auto* t = named(new QLineEdit(timeBox), QStringLiteral("txtTime_%1").arg(i));
        t->setMaximumWidth(60);
        t->installEventFilter(this);
        txtTime[static_cast<std::size_t>(i)] = t;
        tl->addWidget(t, 1, i * 2);
        tl->addWidget(new QLabel(QString::fromLatin1(units[i]), timeBox), 1, i * 2 + 1);
    }
    frames = named(new QLineEdit(timeBox), QStringLiteral("frames"));
    frames->installEventFilter(this);
    tl->addWidget(Option2[1], 2, 0, 1, 6);
    tl->addWidget(frames, 3, 0, 1, 4);
    tl->addWidget(new QLabel(QStringLiteral("frames"), timeBox), 3, 4, 1, 2);
    root->addWidget(timeBox, 1, 0);

    // Video.
    auto* video = named(new QGroupBox(this), QStringLiteral("FrameVideo"));
    auto* vl = new QGridLayout(video);
    divx3 = named(new QRadioButton(QStringLiteral("Divx 3.xx ;-) Low Motion"), video), QStringLiteral("divx3"));
    divx3->setToolTip(QStringLiteral("Divx 3.xx LM"));
    divx3fm = named(new QRadioButton(QStringLiteral("Divx 3.xx ;-) Fast Motion"), video), QStringLiteral("divx3fm"));
    divx3fm->setToolTip(QStringLiteral("Divx 3.xx FM"));
    divx4 = named(new QRadioButton(QStringLiteral("Divx 4.xx"), video), QStringLiteral("divx4"));
    divx4->setToolTip(QStringLiteral("Divx 4.xx"));
    divx5 = named(new QRadioButton(QStringLiteral("Divx 5.xx"), video), QStringLiteral("divx5"));
    divx5->setToolTip(QStringLiteral("Divx 5.xx"));
    auto* gp = new QButtonGroup(this);
    for (auto* r : {divx3, divx3fm, divx4, divx5}) gp->addButton(r);
    Check2 = named(new QCheckBox(QStringLiteral("Frame overhead"), video), QStringLiteral("Check2"));
    framerate = named(new QComboBox(video), QStringLiteral("framerate"));
    framerate->setEditable(true);
    framerate->addItems(items(fw::bitrate::kFrameRates));
    framerate->setToolTip(QStringLiteral("Indica il framerate del filmato compresso. Non incide sul bitrate totale "
                                         "calcolato, ma solo sulla qualità di ogni singolo frame."));
    Label4 = named(new QLabel(video), QStringLiteral("Label4"));
    vl->addWidget(divx3, 0, 0, 1, 2);
    vl->addWidget(divx3fm, 1, 0, 1, 2);
    vl->addWidget(divx4, 2, 0);
    vl->addWidget(divx5, 2, 1);
    vl->addWidget(Check2, 3, 0, 1, 2);
    vl->addWidget(framerate, 4, 0);
    vl->addWidget(Label4, 4, 1);
    root->addWidget(video, 2, 0);

    // Audio.
    auto* audio = named(new QGroupBox(this), QStringLiteral("FrameAudio"));
    auto* al = new QGridLayout(audio);
    standard = named(new QRadioButton(audio), QStringLiteral("standard"));
    personalizzato = named(new QRadioButton(audio), QStringLiteral("personalizzato"));
    auto* ga = new QButtonGroup(this);
    ga->addButton(standard);
    ga->addButton(personalizzato);
    bitrate1 = named(new QComboBox(audio), QStringLiteral("bitrate1"));
    bitrate1->addItems(items(fw::bitrate::kAudioBitrates));
    bitrate1->installEventFilter(this);
    bitrate2 = named(new QLineEdit(audio), QStringLiteral("bitrate2"));
    bitrate2->installEventFilter(this);
    Kbits = named(new QLabel(QStringLiteral("Kbit/s"), audio), QStringLiteral("Kbits"));
    codecaudio = named(new QComboBox(audio), QStringLiteral("codecaudio"));
    codecaudio->addItems(items(fw::bitrate::kAudioCodecs));
    codecaudio->setToolTip(QStringLiteral("Indica il tipo di codec audio da utilizzare. E' anche possibile "
                                          "selezionare un file audio (mp3 o Ac3) già esistente."));
    VBR = named(new QCheckBox(audio), QStringLiteral("VBR"));
    al->addWidget(standard, 0, 0);
    al->addWidget(bitrate1, 0, 1, 1, 2);
    al->addWidget(personalizzato, 1, 0);
    al->addWidget(bitrate2, 1, 1);
    al->addWidget(Kbits, 1, 2);
    al->addWidget(new QLabel(QStringLiteral("Codec:"), audio), 2, 0);
    al->addWidget(codecaudio, 2, 1, 1, 2);
    // The audio file chosen for its size, named, so the user sees which one counts.
    audioFile = named(new PathLabel(audio), QStringLiteral("lblAudioFile"));
    al->addWidget(audioFile, 3, 0, 1, 3);
    al->addWidget(VBR, 4, 0, 1, 3);
    auto* inter = named(new QGroupBox(QStringLiteral("Interleaving"), audio), QStringLiteral("FrameInterleave"));
    auto* il = new QGridLayout(inter);
    Label1 = named(new QLabel(QStringLiteral("Interleave ogni:"), inter), QStringLiteral("Label1"));
    interval = named(new QLineEdit(inter), QStringLiteral("interval"));
    interval->setMaximumWidth(60);
    Option1[0] = named(new QRadioButton(QStringLiteral("Frames"), inter), QStringLiteral("Option1_0"));
    Option1[1] = named(new QRadioButton(QStringLiteral("Millisec"), inter), QStringLiteral("Option1_1"));
    auto* g1 = new QButtonGroup(this);
    g1->addButton(Option1[0]);
    g1->addButton(Option1[1]);
    il->addWidget(Label1, 0, 0);
    il->addWidget(interval, 0, 1);
    il->addWidget(Option1[0], 1, 0);
    il->addWidget(Option1[1], 1, 1);
    al->addWidget(inter, 5, 0, 1, 3);
    root->addWidget(audio, 0, 1, 2, 1);

    // Results.
    auto* results = named(new QGroupBox(this), QStringLiteral("FrameResults"));
    auto* rl = new QVBoxLayout(results);
    for (int i = 0; i < 9; ++i) {
        auto* t = named(new QLineEdit(results), QStringLiteral("Text1_%1").arg(i));
        t->setReadOnly(true);
        t->setMinimumWidth(300);
        rl->addWidget(t);
        Text1[static_cast<std::size_t>(i)] = t;
    }
    root->addWidget(results, 2, 1);

    auto* buttons = new QHBoxLayout;
    calcola = named(new QPushButton(this), QStringLiteral("calcola"));
    makeDefault(calcola);
    cmdImport[0] = named(new QPushButton(this), QStringLiteral("cmdImport_0"));
    cmdImport[1] = named(new QPushButton(QStringLiteral("I&NFO"), this), QStringLiteral("cmdImport_1"));
    cmdImport[2] = named(new QPushButton(QStringLiteral("&Size"), this), QStringLiteral("cmdImport_2"));
    esci = named(new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QString(), this),
                 QStringLiteral("esci"));
    buttons->addWidget(calcola);
    for (auto* b : cmdImport) buttons->addWidget(b);
    m_progress = named(new QProgressBar(this), QStringLiteral("ProgressImport"));
    m_progress->setVisible(false);
    m_progress->setMaximumWidth(160);
    buttons->addWidget(m_progress);
    buttons->addStretch(1);
    buttons->addWidget(esci);
    root->addLayout(buttons, 3, 0, 1, 2);
    m_runner = new BackgroundRunner(this, m_progress);

    // Handlers.
    for (int i = 0; i < 3; ++i)
        connect(txtCD[static_cast<std::size_t>(i)], &QLineEdit::textChanged, this, [this, i] { onCdChanged(i); });
    for (auto* c : Combo3) connect(c, &QComboBox::activated, this, [this] { runSpazio(); });
    connect(overburn, &QCheckBox::clicked, this, [this] { runSpazio(); });
    for (auto* t : txtTime) connect(t, &QLineEdit::textChanged, this, [this] { onTimeChanged(); });
    connect(frames, &QLineEdit::textChanged, this, [this] { onFramesChanged(); });
    for (auto* f : {interval, bitrate2})
        connect(f, &QLineEdit::textChanged, this, [this, f](const QString& t) {
            if (m_updating || t.isEmpty() || fw::isNumeric(ss(t))) return;
            CheckNumeric(f);
        });
    connect(framerate, &QComboBox::activated, this, [this] { runFrate(); });
    connect(bitrate1, &QComboBox::activated, this, [this] {
        if (auto b = fw::bitrate::Bitcalc::listBitrate(ss(bitrate1->currentText()))) m_calc.audioBitrate = *b;
    });
    connect(codecaudio, &QComboBox::activated, this, [this] { onCodecChosen(); });
    connect(calcola, &QPushButton::clicked, this, &frmbitratecalc::calcola_Click);
    connect(cmdImport[0], &QPushButton::clicked, this, &frmbitratecalc::cmdImport0_Click);
    connect(cmdImport[1], &QPushButton::clicked, this, &frmbitratecalc::cmdImport1_Click);
    connect(cmdImport[2], &QPushButton::clicked, this, &frmbitratecalc::cmdImport2_Click);
    connect(esci, &QPushButton::clicked, this, &frmbitratecalc::esci_Click);
}

void frmbitratecalc::FormLoad() {
    auto frame = [this](const char* name, const QString& title) {
        if (auto* g = findChild<QGroupBox*>(QString::fromLatin1(name))) g->setTitle(title);
    };
    frame("FrameTime", lang("Bitcalc", 1));
    frame("FrameVideo", lang("Bitcalc", 2));
    frame("FrameAudio", lang("Bitcalc", 3));
    frame("FrameResults", lang("Bitcalc", 6));
    overburn->setToolTip(lang("BitcalcTooltips", 1));
    txtTime[0]->setToolTip(lang("BitcalcTooltips", 2));
    txtTime[1]->setToolTip(lang("BitcalcTooltips", 3));
    txtTime[2]->setToolTip(lang("BitcalcTooltips", 4));
    Option2[0]->setText(lang("Bitcalc", 12));
    Option2[1]->setText(lang("Bitcalc", 13));
    standard->setText(lang("Bitcalc", 4));
    standard->setToolTip(lang("BitcalcTooltips", 5));
    personalizzato->setText(lang("Bitcalc", 5));
    personalizzato->setToolTip(lang("BitcalcTooltips", 6));
    VBR->setText(lang("Bitcalc", 10));
    VBR->setToolTip(lang("BitcalcTooltips", 9));
    Label1->setText(lang("Bitcalc", 9));
    Label1->setToolTip(lang("BitcalcTooltips", 8));
    calcola->setText(QStringLiteral("&") + lang("Bitcalc", 7));
    cmdImport[0]->setText(QStringLiteral("&") + lang("Bitcalc", 11));
    cmdImport[0]->setToolTip(lang("BitcalcTooltips", 10));
    Text1[8]->setToolTip(lang("BitcalcTooltips", 11));
    esci->setToolTip(lang("General", 2));
    // The INFO hand-over waits for an INFO import.
    cmdImport[1]->setEnabled(false);
}

void frmbitratecalc::setChecked(QRadioButton* a, QRadioButton* b, bool aOn, bool bOn) {
    // Both options of a group may be off (a settings file can say so); Qt's exclusive groups
    // cannot uncheck, so the group is relaxed while the state is set.
    QButtonGroup* g = a->group();
    if (g) g->setExclusive(false);
    a->setChecked(aOn);
    b->setChecked(bOn && !aOn);
    if (g) g->setExclusive(true);
}

void frmbitratecalc::CheckSettings() {
    fw::bitrate::loadBitcalcSettings(fw::globals().SettingsPath, m_calc);
    writeControls();
}

void frmbitratecalc::readControls() {
    auto& in = m_calc.in;
    in.Option3_0 = Option3[0]->isChecked();
    in.Option3_1 = Option3[1]->isChecked();
    for (std::size_t i = 0; i < 3; ++i) in.txtCD[i] = ss(txtCD[i]->text());
    for (std::size_t i = 0; i < 2; ++i) in.Combo3[i] = ss(Combo3[i]->currentText());
    in.overburn = overburn->isChecked();
    for (std::size_t i = 0; i < 3; ++i) in.txtTime[i] = ss(txtTime[i]->text());
    in.frames = ss(frames->text());
    in.Option2_0 = Option2[0]->isChecked();
    in.Option2_1 = Option2[1]->isChecked();
    in.profile = divx3->isChecked()     ? Profile::Divx3
                 : divx3fm->isChecked() ? Profile::Divx3fm
                 : divx4->isChecked()   ? Profile::Divx4
                 : divx5->isChecked()   ? Profile::Divx5
                                        : Profile::None;
    in.Check2 = Check2->isChecked();
    in.framerate = ss(framerate->currentText());
    in.VBR = VBR->isChecked();
    in.interval = ss(interval->text());
    in.Option1_0 = Option1[0]->isChecked();
    in.Option1_1 = Option1[1]->isChecked();
    in.standard = standard->isChecked();
    in.standardEnabled = standard->isEnabled();
    in.bitrate1 = ss(bitrate1->currentText());
    in.bitrate1Enabled = bitrate1->isEnabled();
    in.personalizzato = personalizzato->isChecked();
    in.personalizzatoEnabled = personalizzato->isEnabled();
    in.bitrate2 = ss(bitrate2->text());
    in.bitrate2Enabled = bitrate2->isEnabled();
    in.codecaudio = ss(codecaudio->currentText());
}

void frmbitratecalc::writeControls() {
    const auto& in = m_calc.in;
    m_updating = true;
    setChecked(Option3[0], Option3[1], in.Option3_0, in.Option3_1);
    for (std::size_t i = 0; i < 3; ++i) txtCD[i]->setText(qs(in.txtCD[i]));
    for (std::size_t i = 0; i < 2; ++i) Combo3[i]->setCurrentText(qs(in.Combo3[i]));
    overburn->setChecked(in.overburn);
    for (std::size_t i = 0; i < 3; ++i) txtTime[i]->setText(qs(in.txtTime[i]));
    frames->setText(qs(in.frames));
    setChecked(Option2[0], Option2[1], in.Option2_0, in.Option2_1);
    {
        QButtonGroup* g = divx3->group();
        g->setExclusive(false);
        divx3->setChecked(in.profile == Profile::Divx3);
        divx3fm->setChecked(in.profile == Profile::Divx3fm);
        divx4->setChecked(in.profile == Profile::Divx4);
        divx5->setChecked(in.profile == Profile::Divx5);
        g->setExclusive(true);
    }
    Check2->setChecked(in.Check2);
    framerate->setCurrentText(qs(in.framerate));
    VBR->setChecked(in.VBR);
    interval->setText(qs(in.interval));
    setChecked(Option1[0], Option1[1], in.Option1_0, in.Option1_1);
    setChecked(standard, personalizzato, in.standard, in.personalizzato);
    standard->setEnabled(in.standardEnabled);
    int idx = bitrate1->findText(qs(in.bitrate1));
    if (idx >= 0) bitrate1->setCurrentIndex(idx);
    bitrate1->setEnabled(in.bitrate1Enabled);
    personalizzato->setEnabled(in.personalizzatoEnabled);
    bitrate2->setText(qs(in.bitrate2));
    bitrate2->setEnabled(in.bitrate2Enabled);
    Kbits->setEnabled(in.bitrate2Enabled);
    int c = codecaudio->findText(qs(in.codecaudio));
    if (c >= 0) codecaudio->setCurrentIndex(c);
    Label3->setText(qs(m_calc.totalText()));
    Label4->setText(qs(m_calc.rateText()));
    m_updating = false;
}

void frmbitratecalc::showMessages(const fw::Messages& ms) { MsgBox::showAll(this, ms, windowTitle()); }

void frmbitratecalc::runSpazio() {
    readControls();
    if (auto m = m_calc.spazio()) showMessages({*m});
    Label3->setText(qs(m_calc.totalText()));
}

void frmbitratecalc::runFrate() {
    readControls();
    m_calc.frate();
    Label4->setText(qs(m_calc.rateText()));
}

void frmbitratecalc::runLengSectot() {
    readControls();
    m_calc.LengSectot();
    writeControls();
}

void frmbitratecalc::onCdChanged(int i) {
    if (m_updating) return;
    QLineEdit* f = txtCD[static_cast<std::size_t>(i)];
    if (fw::isNumeric(ss(f->text()))) runSpazio();
    else if (!f->text().isEmpty()) CheckNumeric(f);
}

void frmbitratecalc::onTimeChanged() {
    if (m_updating) return;
    for (int i = 0; i < 3; ++i) {
        readControls();
        auto v = m_calc.guardTime(i);
        showMessages(v.messages);
        if (v.newText) {
            m_updating = true;
            txtTime[static_cast<std::size_t>(i)]->setText(qs(*v.newText));
            m_updating = false;
        }
    }
}

void frmbitratecalc::onFramesChanged() {
    if (m_updating) return;
    readControls();
    auto v = m_calc.guardFrames();
    showMessages(v.messages);
    if (v.newText) {
        m_updating = true;
        frames->setText(qs(*v.newText));
        m_updating = false;
    }
}

void frmbitratecalc::setAudioControlsEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{standard, bitrate1, personalizzato, bitrate2, Kbits}) w->setEnabled(on);
}

void frmbitratecalc::onCodecChosen() {
    auto choice = fw::bitrate::audioFileChoice(ss(codecaudio->currentText()));
    if (!choice) {
        setAudioControlsEnabled(true);
        audioFile->setFullText(QString());
        return;
    }
    auto r = OpenFileDialog(this, {{qs(choice->description), qs(choice->pattern)}}, qs(fw::LangText(choice->title)));
    setAudioControlsEnabled(false);
    if (r.cancelled()) return;
    m_calc.audioSize = static_cast<double>(QFileInfo(r.path).size()) / 1048576.0;
    audioFile->setFullText(QFileInfo(r.path).fileName() + QStringLiteral(" (") +
                           qs(fw::numberText(fw::roundHalfEven(m_calc.audioSize, 2))) + QStringLiteral(" MB)"));
    audioFile->setToolTip(r.path);
}

bool frmbitratecalc::eventFilter(QObject* obj, QEvent* ev) {
    if (ev->type() == QEvent::MouseButtonPress) {
        if (obj == txtCD[0] || obj == txtCD[1]) Option3[0]->setChecked(true);
        else if (obj == txtCD[2]) Option3[1]->setChecked(true);
        else if (obj == txtTime[0] || obj == txtTime[1] || obj == txtTime[2]) Option2[0]->setChecked(true);
        else if (obj == frames) Option2[1]->setChecked(true);
        else if (obj == bitrate2 && personalizzato->isEnabled()) personalizzato->setChecked(true);
    } else if (ev->type() == QEvent::FocusIn && obj == bitrate1 && standard->isEnabled()) {
        standard->setChecked(true);
    }
    return QWidget::eventFilter(obj, ev);
}

void frmbitratecalc::calcola_Click() {
    readControls();
    auto r = m_calc.calcola();
    writeControls();
    showMessages(r.messages);
    if (!r.computed) return;
    for (std::size_t i = 0; i < 9; ++i) Text1[i]->setText(qs(r.texts[i]));
}

void frmbitratecalc::esci_Click() {
    readControls();
    // The inputs are kept for the next time; a full disk costs them, and the user should know.
    if (!fw::bitrate::saveBitcalcSettings(fw::globals().SettingsPath, m_calc, ss(Text1[7]->text())))
        MsgBox::settingsNotSaved(this, fw::globals().SettingsPath, windowTitle());
    close();
}

bool frmbitratecalc::importBusy() const { return m_runner->busy(); }

void frmbitratecalc::cmdImport0_Click() {
    if (m_runner->busy()) return;
    auto r = OpenFileDialog(this,
                            {{QStringLiteral("INFO file (*.txt)"), QStringLiteral("*.txt")},
                             {QStringLiteral("DVD2Avi (*.d2v)"), QStringLiteral("*.d2v")},
                             {QStringLiteral("XviD 1st pass (*.stats)"), QStringLiteral("*.stats")}},
                            lang("FileSplitter", 1322));
    if (r.cancelled()) return;
    // The filter chosen in the dialog names the reader.
    const auto kind = r.filterIndex == 2 ? fw::bitrate::ImportKind::D2v
                      : r.filterIndex == 3 ? fw::bitrate::ImportKind::Stats
                                           : fw::bitrate::ImportKind::Info;
    importFile(r.path, kind);
}

void frmbitratecalc::importFile(const QString& path, fw::bitrate::ImportKind kind) {
    if (m_runner->busy()) return;
    auto result = std::make_shared<fw::bitrate::ImportResult>();
    const std::string p = ss(path);
    m_progress->setVisible(true);
    cmdImport[0]->setEnabled(false);
    m_runner->start([p, kind, result](fw::Progress progress) { *result = fw::bitrate::importSource(p, kind, progress); },
                    [this, result, path] {
                        m_progress->setVisible(false);
                        cmdImport[0]->setEnabled(true);
                        applyImport(*result, path);
                        emit imported();
                    });
}

void frmbitratecalc::applyImport(const fw::bitrate::ImportResult& r, const QString& path) {
    using fw::bitrate::ImportKind;
    // A file the reader cannot use ends the import without a word, as it always has.
    if (!r.ok) return;
    m_updating = true;
    if (r.frames) frames->setText(qs(r.framesText));
    else if (!r.framesText.empty()) frames->setText(qs(r.framesText));
    if (r.framerateText) {
        framerate->setCurrentText(qs(*r.framerateText));
    }
    m_updating = false;
    if (r.framerateText) runFrate();
    if (r.kind == ImportKind::Info) {
        m_infoPath = path;
        if (r.resolutionText) {
            m_infoResolution = std::pair{qs(r.resolutionText->first), qs(r.resolutionText->second)};
            m_calc.width = r.width;
            m_calc.height = r.height;
            m_resolutionState = 1;
            if (auto* m = mainWindow())
                if (auto* resizer = m->tool<frmResize>(QStringLiteral("resizer")))
                    resizer->setSource(m_infoResolution->first, m_infoResolution->second);
        }
        cmdImport[1]->setEnabled(true);
    } else if (r.kind == ImportKind::D2v) {
        cmdImport[1]->setEnabled(false);
    }
    // The running time follows the frame count from now on.
    Option2[0]->setChecked(false);
    Option2[1]->setChecked(true);
    onFramesChanged();
}

void frmbitratecalc::cmdImport1_Click() {
    auto* m = mainWindow();
    if (!m || m_infoPath.isEmpty()) return;
    if (auto* chapters = qobject_cast<frmCapitoli*>(m->openTool(QStringLiteral("chapter")))) chapters->loadInfo(m_infoPath);
}

void frmbitratecalc::cmdImport2_Click() {
    auto* m = mainWindow();
    if (!m) return;
    auto* resizer = qobject_cast<frmResize*>(m->openTool(QStringLiteral("resizer")));
    if (!resizer) return;
    readControls();
    m_calc.frate();
    resizer->setTarget(m_calc.width, m_calc.height);
    if (m_resolutionState == 1) {
        m_resolutionState = 2;
        if (m_infoResolution) resizer->setSource(m_infoResolution->first, m_infoResolution->second);
    } else if (m_resolutionState == 2 && m_infoResolution) {
        resizer->setSource(m_infoResolution->first, m_infoResolution->second);
    }
    resizer->setBitsPerPixelText(qs(fw::bitrate::sizeHandOverLabel(m_calc.videoBitrate, m_calc.in.profile,
                                                                   static_cast<double>(m_calc.rate), m_calc.width, m_calc.height)));
}

void frmbitratecalc::setResolution(std::int32_t width, std::int32_t height) {
    m_calc.width = width;
    m_calc.height = height;
}

void frmbitratecalc::setFrameCount(const QString& f) {
    // A frame count handed over is the running time: the frame-count mode follows it.
    Option2[1]->setChecked(true);
    frames->setText(f);
}

}  // namespace fw::gui
