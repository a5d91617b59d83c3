#pragma once
// The RIFF WAVE header of a converted file, and its RF64 form for data beyond what a 32-bit RIFF
// size can say. The header is written first with sizes 0 and rewritten in place at the end, so
// every form a file may end in has the same length as the form it started in.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace fw::wav {

struct PcmFormat {
    int channels = 2;
    int sampleRate = 44100;
    int bits = 16;               // 8 (unsigned samples) or 16
    std::uint64_t channelMask = 0;  // speaker positions of more than two channels; 0 when unknown

    int blockAlign() const { return channels * bits / 8; }
    std::uint32_t bytesPerSecond() const { return static_cast<std::uint32_t>(sampleRate) * static_cast<std::uint32_t>(blockAlign()); }
    // More than two channels need the extensible format to say which speaker is which.
    bool extensible() const { return channels > 2; }
};

enum class HeaderKind {
    Plain,     // RIFF, fmt, data: 44 bytes (68 with the extensible format)
    Reserved,  // RIFF with a JUNK chunk the size of ds64, so the file can still become RF64
    Rf64,      // RF64 with its ds64 chunk: the same length as Reserved
};

// The largest RIFF size a 32-bit field holds.
inline constexpr std::uint64_t kRiffLimit = 0xFFFFFFFFu;
// True when the RIFF size (data, its pad byte and the header after the first 8 bytes) passes limit.
bool needsRf64(std::uint64_t dataBytes, std::size_t headerBytes, std::uint64_t limit = kRiffLimit);
std::size_t headerSize(const PcmFormat& f, HeaderKind kind);
// The header written before the data: both sizes 0, so a file left unfinished says so.
std::vector<std::uint8_t> unfinishedHeader(const PcmFormat& f, HeaderKind kind);
// The header for dataBytes of samples. A Plain or Reserved header whose sizes do not fit is the
// caller's error: it gets sizes 0xFFFFFFFF rather than wrapped ones.
std::vector<std::uint8_t> wavHeader(const PcmFormat& f, std::uint64_t dataBytes, HeaderKind kind);

}  // namespace fw::wav
