// The inspector on a long AVI (300,000 index entries), beside mediainfo and ffprobe on the same
// file. Run: build/bin/avi_inspect_bench [entries]
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_util.h"
#include "core/avi/inspector.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"

int main(int argc, char** argv) {
    const std::uint32_t frames = argc > 1 ? static_cast<std::uint32_t>(std::stoul(argv[1])) : 300000;
    const auto dir = std::filesystem::temp_directory_path() / "fw_avi_bench";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "long.avi").string();
    fw::fixtures::AviSpec spec;
    spec.totalFrames = frames;
    spec.frameSize = 64;
    spec.keyEvery = 250;
    spec.extra.push_back({});
    spec.extra[0].chunkSize = 640;
    fw::fixtures::writeBytes(file, fw::fixtures::buildAvi(spec));
    const auto r = fw::avi::inspectAvi(file);
    const std::uint32_t entries = frames + (frames + 24) / 25;  // a video chunk per frame, audio every 25
    std::printf("%s: %.1f MB, %u index entries, %lld key frames\n", file.c_str(),
                std::filesystem::file_size(file) / 1048576.0, entries, static_cast<long long>(r.info.keyFrames));
    const int runs = 5;
    fw::bench::row("framewise inspector (walk + whole idx1)", fw::bench::bestMs(runs, [&] { fw::avi::inspectAvi(file); }));
    fw::bench::row("mediainfo --ParseSpeed=1", fw::bench::commandMs(runs, "mediainfo --ParseSpeed=1 '" + file + "'"));
    fw::bench::row("ffprobe -count_packets", fw::bench::commandMs(runs, "ffprobe -v error -count_packets -show_streams '" + file + "'"));
    std::filesystem::remove_all(dir);
    return 0;
}
