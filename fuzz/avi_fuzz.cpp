// The AVI walk with the index and the analysis: any bytes give a result, never a crash or hang.
#include <cstdint>

#include "core/avi/inspector.h"
#include "memfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fw::fuzz::MemFile f(data, size);
    if (!f.ok()) return 0;
    auto r = fw::avi::inspectAvi(f.path());
    if (r.ok) (void)fw::avi::buildReport(r, "d", "t");
    return 0;
}
