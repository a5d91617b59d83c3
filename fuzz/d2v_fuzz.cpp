// The DVD2Avi project reader of the calculator's import: any bytes give a count or a refusal.
#include <cstdint>

#include "core/bitrate/source_import.h"
#include "memfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fw::fuzz::MemFile f(data, size);
    if (!f.ok()) return 0;
    (void)fw::bitrate::importD2v(f.path());
    return 0;
}
