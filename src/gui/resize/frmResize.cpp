#include "gui/resize/frmResize.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/common/ini.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"
#include "gui/bitrate/frmbitratecalc.h"
#include "gui/shell/main_window.h"
#include "gui/ui/file_dialog.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

using fw::resize::Standard;

namespace {
QLineEdit* edit(QWidget* parent, const QString& name, int width = 70) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaximumWidth(width);
    return e;
}
QRadioButton* option(QWidget* parent, const QString& name, const QString& caption) {
    auto* o = new QRadioButton(caption, parent);
    o->setObjectName(name);
    return o;
}
void setGroupChecked(QRadioButton* on, std::initializer_list<QRadioButton*> all) {
    QButtonGroup* g = on ? on->group() : (*all.begin())->group();
    if (g) g->setExclusive(false);
    for (auto* o : all) o->setChecked(o == on);
    if (g) g->setExclusive(true);
}
}  // namespace

frmResize::frmResize(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmResize"));
    setWindowTitle(QStringLiteral("Resizer"));
    buildUi();
    m_calc.open();
    writeControls();
}

void frmResize::buildUi() {
    auto* root = new QGridLayout(this);

    auto* original = new QGroupBox(lang("Resizer", 1), this);
    original->setObjectName(QStringLiteral("FrameOriginal"));
    auto* ol = new QGridLayout(original);
    for (int i = 0; i < 2; ++i) {
        Text1[static_cast<std::size_t>(i)] = edit(original, QStringLiteral("Text1_%1").arg(i));
        Text1[static_cast<std::size_t>(i)]->installEventFilter(this);
    }
    ol->addWidget(new QLabel(lang("Resizer", 2), original), 0, 0);
    ol->addWidget(Text1[0], 0, 1);
    ol->addWidget(new QLabel(lang("Resizer", 3), original), 1, 0);
    ol->addWidget(Text1[1], 1, 1);
    Option3[0] = option(original, QStringLiteral("Option3_0"), QStringLiteral("PAL (720x576)"));
    Option3[1] = option(original, QStringLiteral("Option3_1"), QStringLiteral("NTSC (720x480)"));
    auto* g3 = new QButtonGroup(this);
    g3->addButton(Option3[0]);
    g3->addButton(Option3[1]);
    ol->addWidget(Option3[0], 2, 0, 1, 2);
    ol->addWidget(Option3[1], 3, 0, 1, 2);
    root->addWidget(original, 0, 0);

    auto* ar = new QGroupBox(QStringLiteral("Aspect Ratio"), this);
    ar->setObjectName(QStringLiteral("FrameAR"));
    auto* al = new QGridLayout(ar);
    auto* g4 = new QButtonGroup(this);
    for (int i = 0; i < 19; ++i) {
        auto cap = fw::resize::kAspectPresets[static_cast<std::size_t>(i)].caption;
        auto* o = option(ar, QStringLiteral("Option4_%1").arg(i), QString::fromLatin1(cap.data(), static_cast<int>(cap.size())));
        g4->addButton(o, i);
        al->addWidget(o, i % 7, i / 7);
        Option4[static_cast<std::size_t>(i)] = o;
    }
    root->addWidget(ar, 0, 1, 1, 2);

    auto* mode = new QGroupBox(this);
    mode->setObjectName(QStringLiteral("FrameMode"));
    auto* ml = new QGridLayout(mode);
    Option1[0] = option(mode, QStringLiteral("Option1_0"), lang("Resizer", 4));
    Option1[1] = option(mode, QStringLiteral("Option1_1"), lang("Resizer", 5));
    auto* g1 = new QButtonGroup(this);
    g1->addButton(Option1[0]);
    g1->addButton(Option1[1]);
    ml->addWidget(Option1[0], 0, 0, 1, 3);
    ml->addWidget(Option1[1], 1, 0, 1, 3);
    auto* pixel = new QGroupBox(lang("Resizer", 6), mode);
    pixel->setObjectName(QStringLiteral("FramePixel"));
    auto* pl = new QGridLayout(pixel);
    auto* percent = new QGroupBox(lang("Resizer", 7), mode);
    percent->setObjectName(QStringLiteral("FramePercent"));
    auto* cl = new QGridLayout(percent);
    auto* g2 = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        Option2[static_cast<std::size_t>(i)] =
            option(mode, QStringLiteral("Option2_%1").arg(i), i == 0 ? lang("Resizer", 2) : lang("Resizer", 3));
        g2->addButton(Option2[static_cast<std::size_t>(i)]);
        Text2[static_cast<std::size_t>(i)] = edit(pixel, QStringLiteral("Text2_%1").arg(i));
        Text2[static_cast<std::size_t>(i)]->installEventFilter(this);
        Text3[static_cast<std::size_t>(i)] = edit(percent, QStringLiteral("Text3_%1").arg(i));
        ml->addWidget(Option2[static_cast<std::size_t>(i)], 2 + i, 0);
        pl->addWidget(Text2[static_cast<std::size_t>(i)], i, 0);
        cl->addWidget(Text3[static_cast<std::size_t>(i)], i, 0);
        cl->addWidget(new QLabel(QStringLiteral("%"), percent), i, 1);
    }
    ml->addWidget(pixel, 2, 1, 2, 1);
    ml->addWidget(percent, 2, 2, 2, 1);
    Check1[0] = new QCheckBox(lang("Resizer", 9), mode);
    Check1[0]->setObjectName(QStringLiteral("Check1_0"));
    Check1[1] = new QCheckBox(lang("Resizer", 10), mode);
    Check1[1]->setObjectName(QStringLiteral("Check1_1"));
    for (int i = 0; i < 2; ++i) {
        Text4[static_cast<std::size_t>(i)] = edit(mode, QStringLiteral("Text4_%1").arg(i), 50);
        Text5[static_cast<std::size_t>(i)] = edit(mode, QStringLiteral("Text5_%1").arg(i), 50);
    }
    ml->addWidget(Check1[0], 4, 0);
    auto* arRow = new QHBoxLayout;
    arRow->addWidget(Text4[0]);
    arRow->addWidget(new QLabel(QStringLiteral(":"), mode));
    arRow->addWidget(Text4[1]);
    arRow->addStretch(1);
    ml->addLayout(arRow, 4, 1, 1, 2);
    ml->addWidget(Check1[1], 5, 0);
    auto* mRow = new QHBoxLayout;
    mRow->addWidget(Text5[0]);
    mRow->addWidget(new QLabel(QStringLiteral("x"), mode));
    mRow->addWidget(Text5[1]);
    mRow->addStretch(1);
    ml->addLayout(mRow, 5, 1, 1, 2);
    root->addWidget(mode, 1, 0, 1, 2);
    // Tab goes along each row (the box, then its two fields), as the eye reads them.
    QWidget::setTabOrder(Check1[0], Text4[0]);
    QWidget::setTabOrder(Text4[0], Text4[1]);
    QWidget::setTabOrder(Text4[1], Check1[1]);
    QWidget::setTabOrder(Check1[1], Text5[0]);
    QWidget::setTabOrder(Text5[0], Text5[1]);

    auto* results = new QGroupBox(lang("Resizer", 8), this);
    results->setObjectName(QStringLiteral("FrameResults"));
    auto* rl = new QVBoxLayout(results);
    for (int i = 0; i < 5; ++i) {
        auto* l = new QLabel(results);
        l->setObjectName(QStringLiteral("Label1_%1").arg(i));
        // Room for the longest result line from the start, and no more: the window keeps its
        // size and layout however the figures change.
        l->setMinimumWidth(l->fontMetrics().averageCharWidth() * 44);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        rl->addWidget(l);
        Label1[static_cast<std::size_t>(i)] = l;
    }
    root->addWidget(results, 1, 2);

    auto* buttons = new QHBoxLayout;
    cmdImport[0] = new QPushButton(QStringLiteral("&") + lang("BitCalc", 11), this);
    cmdImport[0]->setObjectName(QStringLiteral("cmdImport_0"));
    cmdImport[0]->setToolTip(lang("BitCalcTooltips", 10));
    cmdImport[1] = new QPushButton(QStringLiteral("I&NFO"), this);
    cmdImport[1]->setObjectName(QStringLiteral("cmdImport_1"));
    cmdImport[1]->setToolTip(lang("Resizer", 15));
    cmdImport[1]->setEnabled(false);
    auto* esci = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QString(), this);
    esci->setObjectName(QStringLiteral("esci"));
    esci->setToolTip(lang("General", 2));
    buttons->addWidget(cmdImport[0]);
    buttons->addWidget(cmdImport[1]);
    buttons->addStretch(1);
    buttons->addWidget(esci);
    root->addLayout(buttons, 2, 0, 1, 3);

    for (auto* t : Text1) connect(t, &QLineEdit::textChanged, this, [this] { onSourceChanged(); });
    for (auto* t : Text2) connect(t, &QLineEdit::textChanged, this, [this] { onTargetChanged(false); });
    for (auto* t : Text3) connect(t, &QLineEdit::textChanged, this, [this] { onTargetChanged(true); });
    for (auto* t : {Text4[0], Text4[1], Text5[0], Text5[1]})
        connect(t, &QLineEdit::textChanged, this, [this, t](const QString& s) {
            if (!m_updating && !s.isEmpty() && !fw::isNumeric(ss(s))) CheckNumeric(t);
        });
    for (auto* c : Check1) connect(c, &QCheckBox::clicked, this, [this] { onCheckToggled(); });
    for (auto* o : Option1) connect(o, &QRadioButton::clicked, this, [this] { onModeChanged(); });
    for (int i = 0; i < 2; ++i)
        connect(Option3[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] {
            readControls();
            m_calc.chooseStandard(i == 0 ? Standard::Pal : Standard::Ntsc);
            writeControls();
            Option4[fw::resize::kCustomPreset]->setChecked(true);
            onSourceChanged();
        });
    connect(g4, &QButtonGroup::idClicked, this, [this](int id) {
        readControls();
        m_calc.choosePreset(id);
        writeControls();
        onModeChanged();
        onSourceChanged();
    });
    connect(cmdImport[0], &QPushButton::clicked, this, &frmResize::cmdImport0_Click);
    connect(cmdImport[1], &QPushButton::clicked, this, [this] {
        if (auto* m = mainWindow()) {
            if (QWidget* w = m->openTool(QStringLiteral("chapter"))) QMetaObject::invokeMethod(w, "loadInfo", Q_ARG(QString, m_infoPath));
        }
    });
    connect(esci, &QPushButton::clicked, this, &frmResize::esci_Click);
}

void frmResize::readControls() {
    auto& in = m_calc.in;
    for (std::size_t i = 0; i < 2; ++i) {
        in.Text1[i] = ss(Text1[i]->text());
        in.Text2[i] = ss(Text2[i]->text());
        in.Text3[i] = ss(Text3[i]->text());
        in.Text4[i] = ss(Text4[i]->text());
        in.Text5[i] = ss(Text5[i]->text());
        in.Check1[i] = Check1[i]->isChecked();
    }
    in.Option3 = Option3[0]->isChecked() ? Standard::Pal : Option3[1]->isChecked() ? Standard::Ntsc : Standard::None;
    in.sizeBased = Option1[1]->isChecked();
    in.heightMaster = Option2[1]->isChecked();
}

void frmResize::writeControls() {
    const auto& in = m_calc.in;
    m_updating = true;
    for (std::size_t i = 0; i < 2; ++i) {
        Text1[i]->setText(qs(in.Text1[i]));
        Text2[i]->setText(qs(in.Text2[i]));
        Text3[i]->setText(qs(in.Text3[i]));
        Text4[i]->setText(qs(in.Text4[i]));
        Text5[i]->setText(qs(in.Text5[i]));
        Check1[i]->setChecked(in.Check1[i]);
    }
    setGroupChecked(in.Option3 == Standard::Pal ? Option3[0] : in.Option3 == Standard::Ntsc ? Option3[1] : nullptr,
                    {Option3[0], Option3[1]});
    setGroupChecked(in.sizeBased ? Option1[1] : Option1[0], {Option1[0], Option1[1]});
    setGroupChecked(in.heightMaster ? Option2[1] : Option2[0], {Option2[0], Option2[1]});
    for (std::size_t i = 0; i < 5; ++i) Label1[i]->setText(qs(m_calc.Label1[i]));
    for (auto* t : Text2) t->setEnabled(!in.sizeBased);
    for (auto* t : Text3) t->setEnabled(in.sizeBased);
    m_updating = false;
}

void frmResize::onSourceChanged() {
    if (m_updating) return;
    readControls();
    if (fw::resize::ResizeCalc::pairUsable(m_calc.in.Text1)) {
        m_calc.refreshInputRatio();
        m_calc.ratioFromSource();
        m_calc.calculate();
        writeControls();
        return;
    }
    guardPair(Text1);
}

void frmResize::onTargetChanged(bool percent) {
    if (m_updating) return;
    readControls();
    const auto& pair = percent ? m_calc.in.Text3 : m_calc.in.Text2;
    if (fw::resize::ResizeCalc::pairUsable(pair)) {
        m_calc.calculate();
        writeControls();
        return;
    }
    guardPair(percent ? Text3 : Text2);
}

void frmResize::guardPair(const std::array<QLineEdit*, 2>& pair) {
    for (auto* t : pair) {
        const std::string text = ss(t->text());
        if (text.empty()) continue;
        if (!fw::isNumeric(text)) {
            CheckNumeric(t);
        } else if (auto v = fw::parseNumber(text); v && (*v < 0 || *v > 32767.5)) {
            // Out of any frame's range: said, and the field emptied.
            MsgBox::show(this, fw::Message::lang("ResizerMsgBox", 1, fw::Icon::Exclamation), windowTitle());
            t->clear();
        }
    }
    // "0", "00" or "0.4" while typing: no figures from them, and none stale from before.
    m_calc.clearResults();
    m_updating = true;
    for (std::size_t i = 0; i < 5; ++i) Label1[i]->setText(qs(m_calc.Label1[i]));
    m_updating = false;
}

void frmResize::onModeChanged() {
    readControls();
    writeControls();
}

void frmResize::onCheckToggled() {
    readControls();
    m_calc.checkToggled();
    writeControls();
}

bool frmResize::eventFilter(QObject* obj, QEvent* ev) {
    if (ev->type() == QEvent::MouseButtonPress) {
        for (std::size_t i = 0; i < 2; ++i) {
            if (obj == Text1[i]) {
                Option1[1]->setChecked(true);
                Option2[i]->setChecked(true);
                onModeChanged();
            } else if (obj == Text2[i]) {
                Option2[i]->setChecked(true);
            }
        }
    }
    return QWidget::eventFilter(obj, ev);
}

void frmResize::cmdImport0_Click() {
    auto r = OpenFileDialog(this, {{QStringLiteral("INFO file (*.txt)"), QStringLiteral("*.txt")}}, dialogTitle(3, 3));
    if (r.cancelled()) return;
    QFile f(r.path);
    // A failed read ends the import silently.
    if (!f.open(QIODevice::ReadOnly)) return;
    QByteArray bytes = f.read(16 * 1024 * 1024);
    auto mode = fw::resize::infoDisplayMode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (mode) {
        readControls();
        m_calc.in.Text1 = {mode->first, mode->second};
        m_calc.in.Option3 = mode->second == "480" ? Standard::Ntsc : Standard::Pal;
        writeControls();
        onSourceChanged();
    }
    m_infoPath = r.path;
    // The chapter editor takes the file on; the button works once that window exists.
    auto* m = mainWindow();
    cmdImport[1]->setEnabled(m && m->action(QStringLiteral("chapter")) && m->action(QStringLiteral("chapter"))->isEnabled());
}

void frmResize::setSource(const QString& width, const QString& height) {
    Text1[0]->setText(width);
    Text1[1]->setText(height);
}

void frmResize::setTarget(std::int32_t width, std::int32_t height) {
    Text2[0]->setText(QString::number(width));
    Text2[1]->setText(QString::number(height));
}

void frmResize::setBitsPerPixelText(const QString& text) {
    m_calc.Label1[4] = ss(text);
    Label1[4]->setText(text);
}

void frmResize::esci_Click() {
    readControls();
    auto w = fw::toInt32(fw::numberOr0(m_calc.in.Text2[0])).value_or(0);
    auto h = fw::toInt32(fw::numberOr0(m_calc.in.Text2[1])).value_or(0);
    auto* m = mainWindow();
    if (auto* calc = m ? m->tool<frmbitratecalc>(QStringLiteral("calc")) : nullptr) {
        calc->setResolution(w, h);
    } else {
        // The calculator is not open: it reads the frame size from its settings when it opens.
        if (!fw::WriteIni(fw::globals().SettingsPath, "Bitcalcsettings", "Compression",
                          std::to_string(w) + " X " + std::to_string(h)))
            MsgBox::settingsNotSaved(this, fw::globals().SettingsPath, windowTitle());
    }
    close();
}

}  // namespace fw::gui
