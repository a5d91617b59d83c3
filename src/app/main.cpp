#include <QApplication>

#include "core/common/paths.h"
#include "gui/shell/main_window.h"
#include "gui/shell/splash.h"
#include "gui/shell/tools.h"
#include "gui/ui/widgets.h"
#include "platform/media_log.h"
#include "platform/termination.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Framewise"));
    QApplication::setOrganizationName(QStringLiteral("Framewise"));
    QApplication::setWindowIcon(fw::gui::appIcon());
    fw::platform::quietMediaLibraries();
    fw::initPaths();
    fw::ensureUserSettings();

    fw::gui::frmMain mainWindow;
    fw::gui::registerTools(mainWindow);
    fw::platform::closeOnTerminationSignals([] {
        // Each window stops its work as its own Close would; then the program ends.
        QApplication::closeAllWindows();
        QApplication::quit();
    });
    fw::gui::frmSplash splash(&mainWindow);
    splash.show();
    splash.setFocus();
    return QApplication::exec();
}
