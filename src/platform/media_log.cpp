#include "platform/media_log.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace fw::platform {

void quietMediaLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        const char* keep = std::getenv("FRAMEWISE_MEDIA_LOG");
        if (keep && std::strcmp(keep, "1") == 0) return;
        av_log_set_level(AV_LOG_QUIET);
    });
}

}  // namespace fw::platform
