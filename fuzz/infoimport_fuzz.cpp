// The INFO reader of the calculator's import: any bytes give figures or a refusal.
#include <cstdint>

#include "core/bitrate/source_import.h"
#include "memfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fw::fuzz::MemFile f(data, size);
    if (!f.ok()) return 0;
    (void)fw::bitrate::importInfo(f.path());
    (void)fw::bitrate::importStats(f.path());
    return 0;
}
