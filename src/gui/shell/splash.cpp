#include "gui/shell/splash.h"

#include <QLabel>
#include <QVBoxLayout>

#include "fw/version.h"
#include "gui/shell/main_window.h"
#include "gui/ui/widgets.h"

namespace fw::gui {

frmSplash::frmSplash(frmMain* main) : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), m_main(main) {
    setObjectName(QStringLiteral("frmSplash"));
    // Loading the main window comes first: its preferences and captions are ready before the
    // splash is visible, and the start-up update check talks to the user from here.
    m_main->load();
    setWindowIcon(m_main->windowIcon());

    auto* lay = new QVBoxLayout(this);
    auto* pic = new QLabel(this);
    pic->setObjectName(QStringLiteral("imgLogo"));
    pic->setPixmap(logoPixmap(420, 160));
    pic->setAlignment(Qt::AlignCenter);
    lay->addWidget(pic);
    auto* product = new QLabel(QStringLiteral("Framewise"), this);
    product->setObjectName(QStringLiteral("lblProductName"));
    QFont f = product->font();
    f.setPointSizeF(f.pointSizeF() * 1.6);
    f.setBold(true);
    product->setFont(f);
    product->setAlignment(Qt::AlignCenter);
    lay->addWidget(product);
    auto* platform = new QLabel(QStringLiteral("v. %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision), this);
    platform->setObjectName(QStringLiteral("lblPlatform"));
    platform->setAlignment(Qt::AlignCenter);
    lay->addWidget(platform);
    auto* maker = new QLabel(QString::fromLatin1(kMaker), this);
    maker->setObjectName(QStringLiteral("lblCompany"));
    maker->setAlignment(Qt::AlignCenter);
    lay->addWidget(maker);

    setFocusPolicy(Qt::StrongFocus);
    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setInterval(1000);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &frmSplash::finish);
    m_timer.start();
}

void frmSplash::keyPressEvent(QKeyEvent*) { finish(); }

void frmSplash::finish() {
    if (m_done) return;
    m_done = true;
    m_timer.stop();
    close();
    m_main->show();
}

}  // namespace fw::gui
