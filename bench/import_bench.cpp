// The calculator's d2v import of a two-hour film: 200,000 picture lines.
// Run: build/bin/import_bench [lines]
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_util.h"
#include "core/bitrate/source_import.h"

int main(int argc, char** argv) {
    const long lines = argc > 1 ? std::stol(argv[1]) : 200000;
    const auto dir = std::filesystem::temp_directory_path() / "fw_import_bench";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "film.d2v").string();
    {
        std::ofstream out(file, std::ios::binary);
        out << "DVD2AVIProjectFile\r\n1\r\nfilm.vob\r\n\r\nField_Operation=0 (0:None 1:ForcedFILM 2:SwapOrder)\r\nFrame_Rate=25000\r\n\r\n";
        for (long i = 0; i < lines; ++i) out << "7 0 " << 2048 * i << " 2 2 2 2 2 2 2 2 2 2 2 2\r\n";
    }
    const double mb = std::filesystem::file_size(file) / 1048576.0;
    std::printf("%s: %ld picture lines, %.1f MB\n", file.c_str(), lines, mb);
    fw::bitrate::ImportResult r;
    const double ms = fw::bench::bestMs(5, [&] { r = fw::bitrate::importD2v(file); });
    fw::bench::row("importD2v", ms);
    std::printf("  %-44s %12s\n", "frames", r.framesText.c_str());
    fw::bench::row("cat FILE > /dev/null", fw::bench::commandMs(5, "cat '" + file + "' > /dev/null"));
    std::filesystem::remove_all(dir);
    return 0;
}
