// The AVI walk with the index and the analysis, and the header readers of the FourCC and frame-rate
// changers and the inverse calculator: any bytes give a result or a refusal, never a crash or hang.
#include <cstdint>

#include "core/avi/inspector.h"
#include "core/avi/patchers.h"
#include "core/bitrate/inverse_calc.h"
#include "memfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fw::fuzz::MemFile f(data, size);
    if (!f.ok()) return 0;
    auto r = fw::avi::inspectAvi(f.path());
    if (r.ok) (void)fw::avi::buildReport(r, "d", "t");
    fw::avi::FourccSession fourcc;
    (void)fw::avi::openFourcc(f.path(), fourcc);
    fw::avi::FpsSession fps;
    (void)fw::avi::openFps(f.path(), fps);
    (void)fw::bitrate::openInverse(f.path());
    return 0;
}
