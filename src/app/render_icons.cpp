// Build-time tool: writes the program's icon as PNG files of the desktop's icon theme sizes, from
// the same drawing the windows use. Run with QT_QPA_PLATFORM=offscreen.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "gui/ui/widgets.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fw_render_icons HICOLOR_DIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        if (!QDir().mkpath(dir) || !fw::gui::appIconImage(size).save(dir + QStringLiteral("/org.framewise.Framewise.png"))) {
            std::fprintf(stderr, "fw_render_icons: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
