#include "gui/shell/tools.h"

#include "gui/avi/frmAviDetector.h"
#include "gui/avi/patcher_windows.h"
#include "gui/bitrate/calcolo_inverso.h"
#include "gui/bitrate/frmbitratecalc.h"
#include "gui/codecdb/codec_windows.h"
#include "gui/dvd/dvd_windows.h"
#include "gui/resize/frmResize.h"
#include "gui/splitter/frmsplitter.h"
#include "gui/stats/frmStats.h"
#include "gui/system/codecs_window.h"
#include "gui/system/frmshutdown.h"
#include "gui/system/frmupdate.h"
#include "gui/wav/frmWriteWave.h"
#include "gui/shell/main_window.h"
#include "gui/shell/preferences.h"

namespace fw::gui {

void registerTools(frmMain& main) {
    main.registerTool(QStringLiteral("preferences"), [] { return new frmlanguage; });
    main.registerTool(QStringLiteral("calc"), [] { return new frmbitratecalc; });
    main.registerTool(QStringLiteral("resizer"), [] { return new frmResize; });
    main.registerTool(QStringLiteral("calcinv"), [] { return new Calcolo_Inverso; });
    main.registerTool(QStringLiteral("avidet"), [] { return new frmAviDetector; });
    main.registerTool(QStringLiteral("fccchange"), [] { return new fcc_changer; });
    main.registerTool(QStringLiteral("fpschange"), [] { return new fps_changer; });
    main.registerTool(QStringLiteral("synchronizer"), [] { return new synchro; });
    main.registerTool(QStringLiteral("stats"), [] { return new frmStats; });
    main.registerTool(QStringLiteral("splitter"), [] { return new frmsplitter; });
    main.registerTool(QStringLiteral("chapter"), [] { return new frmCapitoli; });
    main.registerTool(QStringLiteral("convert2wav"), [] { return new frmWriteWave; });
    main.registerTool(QStringLiteral("video"), [] { return new frmCodecs; });
    main.registerTool(QStringLiteral("shutdown"), [] { return new frmshutdown; });
    // The update window the start-up check opened, when it is open; otherwise a new one.
    main.registerTool(QStringLiteral("updates"), [&main]() -> QWidget* {
        if (auto* service = dynamic_cast<UpdateService*>(main.updateChecker()); service && service->window() && service->window()->isVisible())
            return service->window();
        return new frmUpdate(main.connection());
    });
    // The start-up check, unless the program was given one of its own (the tests' fakes).
    if (!main.updateChecker()) main.setUpdateChecker(std::make_shared<UpdateService>(main.connection()));
    main.registerTool(QStringLiteral("ifoparser"), [] { return new frmIfoParser; });
    main.registerTool(QStringLiteral("fourcc"), [] { return new CodecBrowser(fw::codecdb::Table::Video); });
    main.registerTool(QStringLiteral("audio"), [] { return new CodecBrowser(fw::codecdb::Table::Audio); });
    main.registerTool(QStringLiteral("databupd"), [] { return new database_updater; });
    main.registerTool(QStringLiteral("Fourcc_updater"), [] { return new CodecEditor(fw::codecdb::Table::Video); });
    main.registerTool(QStringLiteral("Audio_codec_updater"), [] { return new CodecEditor(fw::codecdb::Table::Audio); });
}

}  // namespace fw::gui
