#include "gui/shell/about.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "fw/version.h"
#include "gui/system/sysinfo_window.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

frmAbout::frmAbout(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(withoutMnemonic(lang("Menu", 20)));
    auto* root = new QVBoxLayout(this);
    auto* logo = new QLabel(this);
    logo->setPixmap(logoPixmap(300, 100));
    logo->setAlignment(Qt::AlignCenter);
    root->addWidget(logo);
    auto* text = new QLabel(QStringLiteral("Framewise %1\n%2\n\nA toolbox for DVD rips, AVI and OGM files, XviD statistics and CD-R video.")
                                .arg(QString::fromLatin1(kVersionText), QString::fromLatin1(kMaker)),
                            this);
    text->setObjectName(QStringLiteral("lblAbout"));
    text->setAlignment(Qt::AlignCenter);
    text->setWordWrap(true);
    root->addWidget(text);
    auto* buttons = new QHBoxLayout;
    auto* sys = iconButton(this, QStyle::SP_ComputerIcon, "cmdSysInfo", lang("FormCaptions", 12));
    sys->setText(lang("FormCaptions", 12));
    connect(sys, &QPushButton::clicked, this, [this] { showSystemInfo(this); });
    auto* ok = new QPushButton(lang("General", 2), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(sys);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    root->addLayout(buttons);
    closeOnEscape(this);
}

}  // namespace fw::gui
