// The texts the system utilities read: the update file (lines, version sums, the comparison and
// its message), and the kernel's and the distribution's (mounts, meminfo, command line,
// os-release, a kernel release), plus the command line's time of day.
#include <cstdint>
#include <string>

#include "core/system/shutdown.h"
#include "core/system/system_report.h"
#include "core/system/update_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (bool automatic : {false, true}) {
        auto r = fw::system::evaluateUpdate(text, "3.6.2", automatic);
        for (const auto& m : r.messages) (void)m.resolve();
    }
    (void)fw::system::versionSum(text);
    (void)fw::system::updateFileName(text);
    for (const auto& m : fw::system::parseMounts(text)) (void)fw::system::isNetworkFs(m.fsType);
    (void)fw::system::parseMeminfo(text);
    (void)fw::system::bootModeFromCmdline(text);
    (void)fw::system::osNameFromRelease(text);
    unsigned a = 0, b = 0, c = 0;
    (void)fw::system::kernelVersion(text, a, b, c);
    (void)fw::system::parseLocalTime(text);
    return 0;
}
