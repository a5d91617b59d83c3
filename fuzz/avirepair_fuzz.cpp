// The health check, the key-frame list and the index repair on any bytes: a result or a refusal,
// never a crash, a hang or a write outside the one output file.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/avi/avi_health.h"
#include "core/avi/avi_repair.h"
#include "core/avi/keyframes.h"
#include "memfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fw::fuzz::MemFile f(data, size);
    if (!f.ok()) return 0;
    (void)fw::avi::checkAvi(f.path());
    (void)fw::avi::keyframesOf(f.path());
    // The repair writes a real file; a folder of this process's own on tmpfs keeps it off disk.
    static const std::string dir = [] {
        std::string d = (std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp") + std::string("/fw-fuzz-") + std::to_string(::getpid());
        std::filesystem::create_directories(d);
        return d;
    }();
    const std::string out = dir + "/fixed.avi";
    (void)fw::avi::repairAvi(f.path(), out);
    std::error_code ec;
    std::filesystem::remove(out, ec);
    return 0;
}
