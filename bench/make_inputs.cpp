// Writes the synthetic inputs bench/compare times: a two-hour AVI's index (300,000 entries), a
// 1,000,000-frame stats file, a 200,000-line d2v project, 200 small AVIs and a tracker module.
// Run: build/bin/make_inputs DIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "fixtures/mod_builder.h"
#include "fixtures/stats_builder.h"

int main(int argc, char** argv) {
    // "--help" is a question, not a folder to fill with a hundred megabytes.
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: make_inputs DIR (writes about 140 MB of benchmark inputs into DIR)\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path dir = argv[1];
    fs::create_directories(dir / "small");
    // Two hours at 25 fps: 180,000 video chunks and 120,000 audio chunks in idx1.
    fw::fixtures::AviSpec film;
    film.totalFrames = 180000;
    film.frameSize = 64;
    film.keyEvery = 250;
    film.extra.push_back({});
    film.extra[0].chunkSize = 640;
    fw::fixtures::writeBytes((dir / "long.avi").string(), fw::fixtures::buildAvi(film));
    fw::fixtures::writeBytes((dir / "long.stats").string(), fw::fixtures::buildStats(fw::fixtures::statsPattern(1000000)));
    {
        std::ofstream out(dir / "film.d2v", std::ios::binary);
        out << "DVD2AVIProjectFile\r\n1\r\nfilm.vob\r\n\r\nField_Operation=0 (0:None 1:ForcedFILM 2:SwapOrder)\r\nFrame_Rate=25000\r\n\r\n";
        for (long i = 0; i < 200000; ++i) out << "7 0 " << 2048 * i << " 2 2 2 2 2 2 2 2 2 2 2 2\r\n";
    }
    fw::fixtures::AviSpec clip;
    clip.totalFrames = 250;
    clip.frameSize = 200;
    clip.extra.push_back({});
    for (int i = 0; i < 200; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "clip%03d.avi", i);
        fw::fixtures::writeBytes((dir / "small" / name).string(), fw::fixtures::buildAvi(clip));
    }
    const std::string mod = fw::fixtures::buildMod({"bench tune", 24, 16});
    fw::fixtures::writeBytes((dir / "tune.mod").string(), {mod.begin(), mod.end()});
    return 0;
}
