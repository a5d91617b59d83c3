// Decoding a 60-minute MP3 to WAV, beside ffmpeg -i X -f wav of the same file.
// Run: build/bin/wav_bench [minutes]   (needs ffmpeg; about 700 MB of free space per hour)
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_util.h"
#include "core/wav/converter.h"

extern "C" {
#include <libavutil/log.h>
}

int main(int argc, char** argv) {
    const int minutes = argc > 1 ? std::stoi(argv[1]) : 60;
    av_log_set_level(AV_LOG_QUIET);
    const auto dir = std::filesystem::temp_directory_path() / "fw_wav_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string mp3 = (dir / "hour.mp3").string();
    const std::string make = "ffmpeg -v error -y -f lavfi -i \"sine=frequency=440:duration=" + std::to_string(minutes * 60) +
                             "\" -f lavfi -i \"anoisesrc=d=" + std::to_string(minutes * 60) +
                             ":a=0.05:r=44100\" -filter_complex amix=inputs=2 -ac 2 -ar 44100 -c:a libmp3lame -b:a 192k '" + mp3 + "'";
    std::printf("making %d minutes of 192 kbit/s stereo MP3...\n", minutes);
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "ffmpeg could not make the source\n");
        return 1;
    }
    std::printf("%s: %.1f MB\n", mp3.c_str(), static_cast<double>(std::filesystem::file_size(mp3)) / 1048576.0);
    const std::string ours = (dir / "ours.wav").string();
    std::uint64_t bytes = 0;
    fw::bench::row("framewise towav", fw::bench::bestMs(3, [&] {
        auto opened = fw::wav::openSource(mp3);
        if (!opened.decoder) return;
        bytes = fw::wav::convert(*opened.decoder, ours).dataBytes;
    }));
    fw::bench::row("ffmpeg -i X -f wav", fw::bench::commandMs(3, "ffmpeg -v error -y -i '" + mp3 + "' -f wav '" + (dir / "ffmpeg.wav").string() + "'"));
    const std::string ref = (dir / "ref.raw").string();
    const bool same = fw::bench::commandMs(1, "ffmpeg -v error -y -i '" + mp3 + "' -f s16le '" + ref + "' && tail -c " +
                                                  std::to_string(bytes) + " '" + ours + "' | cmp -s - '" + ref + "'") >= 0;
    std::printf("  %llu data bytes; PCM identical to ffmpeg's: %s\n", static_cast<unsigned long long>(bytes), same ? "yes" : "no");
    std::filesystem::remove_all(dir);
    return 0;
}
