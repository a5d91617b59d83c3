// The stats reader: analysis, curve, frame browser and report on any bytes, never a crash.
#include <cstdint>

#include "core/stats/stats_file.h"
#include "memfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fw::fuzz::MemFile f(data, size);
    if (!f.ok()) return 0;
    auto a = fw::stats::AnalizeStats(f.path());
    if (!a.ok) return 0;
    const auto& s = a.summary;
    (void)fw::stats::ScaleCurve(f.path(), s.average(), s.Max, s.Min, 64);
    for (std::int64_t n : {std::int64_t(1), s.m, s.m + 1})
        if (auto r = fw::stats::readFrame(f.path(), n)) (void)fw::stats::frameDetails(*r);
    return 0;
}
