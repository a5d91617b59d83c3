// Tracker modules through libopenmpt: any bytes are refused or play, never a crash. The render is
// cut after a fraction of a second of audio: loading is where a hostile file does its harm.
#include <cstdint>
#include <vector>

#include "core/wav/decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto opened = fw::wav::openModuleFromMemory(data, size);
    if (!opened.decoder) return 0;
    std::vector<std::uint8_t> block(1 << 14);
    for (int i = 0; i < 2; ++i)
        if (opened.decoder->read(block.data(), block.size()) == 0) break;
    return 0;
}
