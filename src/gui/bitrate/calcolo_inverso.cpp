#include "gui/bitrate/calcolo_inverso.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/common/text.h"
#include "gui/ui/file_dialog.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

namespace {
QComboBox* cdSizes(QWidget* parent, const char* name, const char* chosen) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    for (auto s : fw::bitrate::kCdSizes) c->addItem(QString::fromLatin1(s.data(), static_cast<int>(s.size())));
    c->setCurrentText(QString::fromLatin1(chosen));
    return c;
}
}  // namespace

Calcolo_Inverso::Calcolo_Inverso(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Calcolo_Inverso"));
    setWindowTitle(lang("InvCalc", 1));
    auto* root = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    inv_avifile = new QLineEdit(this);
    inv_avifile->setObjectName(QStringLiteral("inv_avifile"));
    inv_avifile->setReadOnly(true);
    inv_avifile->setMinimumWidth(360);
    auto* open = iconButton(this, QStyle::SP_DialogOpenButton, "Command1", lang("General", 3));
    top->addWidget(inv_avifile, 1);
    top->addWidget(open);
    root->addLayout(top);

    // The opened file: width, height, frames, frame rate, running time, size; then completeness.
    auto* figures = new QGridLayout;
    for (int i = 0; i < 7; ++i) {
        auto* t = new QLineEdit(this);
        t->setObjectName(QStringLiteral("Text1_%1").arg(i));
        t->setReadOnly(true);
        Text1[static_cast<std::size_t>(i)] = t;
        if (i < 6) {
            auto* l = new QLabel(lang("InvCalc", 2 + i), this);
            l->setObjectName(QStringLiteral("Label1_%1").arg(i));
            Label1[static_cast<std::size_t>(i)] = l;
            figures->addWidget(l, i / 2, (i % 2) * 2);
            figures->addWidget(t, i / 2, (i % 2) * 2 + 1);
        } else {
            figures->addWidget(t, 3, 0, 1, 4);
        }
    }
    root->addLayout(figures);

    auto* frame = new QGroupBox(lang("InvCalc", 1), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setToolTip(lang("InvCalcTooltips", 1));
    auto* fl = new QGridLayout(frame);
    cd74 = new QLineEdit(frame);
    cd74->setObjectName(QStringLiteral("cd74"));
    cd74->setToolTip(QStringLiteral("Inserisci il numero di cd da 74 min.  che intendi utilizzare"));
    cd80 = new QLineEdit(frame);
    cd80->setObjectName(QStringLiteral("cd80"));
    cd80->setToolTip(QStringLiteral("Inserisci il numero di cd da 80 min. che intendi utilizzare"));
    Combo3 = cdSizes(frame, "Combo3", "650 MB");
    Combo4 = cdSizes(frame, "Combo4", "700 MB");
    overburn = new QCheckBox(QStringLiteral("Overburn"), frame);
    overburn->setObjectName(QStringLiteral("overburn"));
    overburn->setToolTip(lang("BitcalcTooltips", 1));
    fl->addWidget(new QLabel(QStringLiteral("74 min."), frame), 0, 0);
    fl->addWidget(cd74, 0, 1);
    fl->addWidget(Combo3, 0, 2);
    fl->addWidget(new QLabel(QStringLiteral("80 min."), frame), 1, 0);
    fl->addWidget(cd80, 1, 1);
    fl->addWidget(Combo4, 1, 2);
    fl->addWidget(overburn, 2, 0, 1, 3);
    root->addWidget(frame);

    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setReadOnly(true);
    root->addWidget(Text2);

    auto* buttons = new QHBoxLayout;
    Command2 = new QPushButton(lang("InvCalc", 8), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setEnabled(false);
    makeDefault(Command2);
    play = iconButton(this, QStyle::SP_MediaPlay, "play", lang("FpsChangerTooltips", 1));
    play->setEnabled(false);
    auto* exit = new QPushButton(QStringLiteral("Esci"), this);
    exit->setObjectName(QStringLiteral("cmdExit"));
    exit->setToolTip(lang("General", 2));
    buttons->addWidget(Command2);
    buttons->addWidget(play);
    buttons->addStretch(1);
    buttons->addWidget(exit);
    root->addLayout(buttons);

    connect(open, &QPushButton::clicked, this, &Calcolo_Inverso::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Calcolo_Inverso::Command2_Click);
    connect(play, &QPushButton::clicked, this, [this] { openOrSay(this, inv_avifile->text()); });
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    for (auto* f : {cd74, cd80}) connect(f, &QLineEdit::textChanged, this, [this, f] { onCountChanged(f); });
}

void Calcolo_Inverso::Command1_Click() {
    auto r = OpenFileDialog(this,
                            {{QStringLiteral("Files avi (*.avi)"), QStringLiteral("*.avi")},
                             {QStringLiteral("Files divx (*.divx)"), QStringLiteral("*.divx")}},
                            lang("AviDetector", 1));
    if (r.cancelled()) return;
    openFile(r.path);
}

void Calcolo_Inverso::openFile(const QString& path) {
    inv_avifile->setText(path);
    const bool named = !path.isEmpty() && !path.startsWith(QLatin1Char(' '));
    Command2->setEnabled(named);
    play->setEnabled(named);
    auto f = fw::bitrate::openInverse(ss(path));
    MsgBox::showAll(this, f.messages, windowTitle());
    // A file that cannot be read leaves the previous figures (and its completeness line) alone.
    if (!f.messages.empty()) return;
    Text1[6]->setText(qs(f.Text1[6]));
    Text1[6]->setStyleSheet(f.completenessYellow ? QStringLiteral("QLineEdit { background: yellow; color: black; }") : QString());
    if (!f.ok) return;
    for (std::size_t i = 0; i < 6; ++i) Text1[i]->setText(qs(f.Text1[i]));
    m_file = f;
}

fw::bitrate::InverseMedia Calcolo_Inverso::media() const {
    fw::bitrate::InverseMedia m;
    m.cd74 = ss(cd74->text());
    m.cd80 = ss(cd80->text());
    m.Combo3 = ss(Combo3->currentText());
    m.Combo4 = ss(Combo4->currentText());
    m.overburn = overburn->isChecked();
    return m;
}

void Calcolo_Inverso::onCountChanged(QLineEdit* field) {
    if (!field->text().isEmpty() && !fw::isNumeric(ss(field->text()))) CheckNumeric(field);
}

void Calcolo_Inverso::Command2_Click() {
    for (auto* f : {cd74, cd80})
        if (f->text().trimmed().isEmpty()) f->setText(QStringLiteral("0"));
    auto r = fw::bitrate::Calcolo_Inverso(m_file, media());
    MsgBox::showAll(this, r.messages, windowTitle());
    Text2->setText(r.ok ? qs(r.text) : QString());
}

}  // namespace fw::gui
