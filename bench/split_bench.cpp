// Splitting and joining a 2 GiB file, beside split -b and cat of the same pieces.
// Run: build/bin/split_bench [MiB]   (needs about three times the file size of free disk)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_util.h"
#include "core/splitter/splitter.h"

int main(int argc, char** argv) {
    const std::int64_t mib = argc > 1 ? std::stoll(argv[1]) : 2048;
    const auto dir = std::filesystem::temp_directory_path() / "fw_split_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "tool");
    const std::string file = (dir / "big.bin").string();
    {
        std::ofstream out(file, std::ios::binary);
        std::vector<char> block(1 << 20);
        for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131);
        for (std::int64_t i = 0; i < mib; ++i) out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    const std::int64_t piece = 100 << 20;  // the "100 MB" preset
    std::printf("%s: %lld MiB in %lld-byte pieces\n", file.c_str(), static_cast<long long>(mib), static_cast<long long>(piece));
    fw::bench::row("framewise split", fw::bench::bestMs(1, [&] { fw::splitter::SplitFile({file, "", piece, false, false}); }));
    fw::bench::row("split -b", fw::bench::commandMs(1, "cd '" + (dir / "tool").string() + "' && split -b " + std::to_string(piece) + " '" + file + "' part."));
    std::filesystem::rename(file, file + ".orig");
    fw::bench::row("framewise join", fw::bench::bestMs(1, [&] { fw::splitter::AssemblyFiles((dir / "big.000").string()); }));
    fw::bench::row("cat of the same pieces", fw::bench::commandMs(1, "cat '" + dir.string() + "'/big.[0-9][0-9][0-9] > '" + dir.string() + "/cat.bin'"));
    const bool same = fw::bench::commandMs(1, "cmp '" + file + "' '" + file + ".orig'") >= 0;
    std::printf("  joined file identical to the source: %s\n", same ? "yes" : "NO");
    std::filesystem::remove_all(dir);
    return same ? 0 : 1;
}
