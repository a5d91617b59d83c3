#include "gui/shell/tools.h"

#include "gui/bitrate/frmbitratecalc.h"
#include "gui/shell/main_window.h"
#include "gui/shell/preferences.h"

namespace fw::gui {

void registerTools(frmMain& main) {
    main.registerTool(QStringLiteral("preferences"), [] { return new frmlanguage; });
    main.registerTool(QStringLiteral("calc"), [] { return new frmbitratecalc; });
}

}  // namespace fw::gui
