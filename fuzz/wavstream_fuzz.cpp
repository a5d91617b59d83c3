// Compressed audio through FFmpeg's probe, demuxers and decoders: any bytes give a decoder or a
// reason, never a crash or a hang. Decoding stops after a few megabytes of samples.
#include <cstdint>
#include <vector>

#include "core/wav/decoder.h"
#include "memfile.h"

extern "C" {
#include <libavutil/log.h>
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;
    fw::fuzz::MemFile f(data, size);
    if (!f.ok()) return 0;
    auto opened = fw::wav::openStream(f.path());
    if (!opened.decoder) return 0;
    std::vector<std::uint8_t> block(1 << 16);
    for (int i = 0; i < 64; ++i)
        if (opened.decoder->read(block.data(), block.size()) == 0) break;
    return 0;
}
