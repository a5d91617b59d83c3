// The stats analysis of a 1,000,000-frame file, beside a plain sequential read of the same file.
// Run: build/bin/stats_bench [frames]
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_util.h"
#include "core/stats/stats_file.h"
#include "fixtures/byte_writer.h"
#include "fixtures/stats_builder.h"

int main(int argc, char** argv) {
    const std::size_t frames = argc > 1 ? std::stoul(argv[1]) : 1000000;
    const auto dir = std::filesystem::temp_directory_path() / "fw_stats_bench";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "long.stats").string();
    fw::fixtures::writeBytes(file, fw::fixtures::buildStats(fw::fixtures::statsPattern(frames)));
    const double mb = std::filesystem::file_size(file) / 1048576.0;
    std::printf("%s: %zu frames, %.1f MB\n", file.c_str(), frames, mb);
    const int runs = 5;
    fw::stats::AnalysisResult a;
    const double analyse = fw::bench::bestMs(runs, [&] { a = fw::stats::AnalizeStats(file); });
    const double curve = fw::bench::bestMs(runs, [&] {
        fw::stats::ScaleCurve(file, a.summary.average(), a.summary.Max, a.summary.Min);
    });
    const double cat = fw::bench::commandMs(runs, "cat '" + file + "' > /dev/null");
    fw::bench::row("AnalizeStats (one pass)", analyse);
    std::printf("  %-44s %9.0f MB/s\n", "  throughput", mb / (analyse / 1000));
    fw::bench::row("ScaleCurve (curve and distribution pass)", curve);
    fw::bench::row("cat FILE > /dev/null", cat);
    std::filesystem::remove_all(dir);
    return 0;
}
