#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fw/version.h"

#include "core/common/paths.h"
#include "gui/shell/main_window.h"
#include "gui/shell/splash.h"
#include "gui/shell/tools.h"
#include "gui/ui/widgets.h"
#include "platform/termination.h"

namespace {
const char* const kWaysOn =
    "Run it from a desktop, over ssh -X, or with QT_QPA_PLATFORM=vnc and a VNC viewer on localhost:5900;\n"
    "every tool also runs without a display: framewise-cli --help.\n";
}  // namespace

int main(int argc, char** argv) {
    // --help and --version need no desktop: answered before Qt looks for a display.
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--version") {
            std::printf("Framewise %s\n", fw::kVersionText);
            return 0;
        }
        if (a == "--help" || a == "-h") {
            std::printf("usage: framewise [--version] [--help]\n"
                        "The Framewise desktop toolbox; it needs a desktop session (X11 or Wayland).\n"
                        "Every tool also runs without one: framewise-cli --help lists them.\n");
            return 0;
        }
    }
    // Without a desktop session Qt would abort with a core dump. A platform chosen by the user
    // (QT_QPA_PLATFORM=vnc or offscreen, or -platform) needs none.
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    const bool platformChosen = set("QT_QPA_PLATFORM") || std::any_of(argv + 1, argv + argc, [](const char* a) {
                                    return std::string(a) == "-platform" || std::string(a) == "--platform";
                                });
    if (!platformChosen && !set("DISPLAY") && !set("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "framewise: this session has no display (neither DISPLAY nor WAYLAND_DISPLAY is set).\n%s", kWaysOn);
        return 1;
    }
    // A display that is named but cannot be reached (a stale DISPLAY after ssh, a Wayland socket
    // without its plugin) ends in Qt's fatal message and an abort: the same clear words instead.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
            std::fprintf(stderr, "framewise: the display cannot be reached (DISPLAY=%s, WAYLAND_DISPLAY=%s).\n%s",
                         std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "", std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "",
                         kWaysOn);
            std::_Exit(1);
        }
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    });
    // A program folder named by FRAMEWISE_HOME keeps everything, Qt's own per-user files too:
    // a run (the tests' included) leaves nothing under the user's ~/.config or ~/.cache.
    if (const char* home = std::getenv("FRAMEWISE_HOME"); home && *home) {
        const std::string h = home;
        ::setenv("XDG_CONFIG_HOME", (h + "/.config").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (h + "/.cache").c_str(), 1);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Framewise"));
    QApplication::setOrganizationName(QStringLiteral("Framewise"));
    // Ties the windows to the desktop entry (its icon in the task bar, its name in the dock).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.framewise.Framewise"));
    QApplication::setWindowIcon(fw::gui::appIcon());
    fw::initPaths();
    fw::ensureUserSettings();

    fw::gui::frmMain mainWindow;
    fw::gui::registerTools(mainWindow);
    QStringList files = QApplication::arguments().mid(1);
    files.erase(std::remove_if(files.begin(), files.end(), [](const QString& a) { return a.startsWith(QLatin1Char('-')); }), files.end());
    mainWindow.setFilesToOpen(files);
    fw::platform::closeOnTerminationSignals([] {
        // Each window stops its work as its own Close would; then the program ends.
        QApplication::closeAllWindows();
        QApplication::quit();
    });
    fw::gui::frmSplash splash(&mainWindow);
    splash.show();
    splash.setFocus();
    // For bench/compare: the time from start to the first window shown.
    if (qEnvironmentVariableIsSet("FRAMEWISE_QUIT_WHEN_SHOWN")) QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
