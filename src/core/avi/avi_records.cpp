#include "core/avi/avi_records.h"

#include <algorithm>

#include "core/common/binary_reader.h"

namespace fw::avi {

namespace {
std::string chars(BinaryReader& r, std::size_t n) { return r.text(n).value_or(std::string()); }
}  // namespace

std::optional<MainHeader> MainHeader::parse(std::span<const std::uint8_t> b) {
    if (b.size() < kSize) return std::nullopt;
    BinaryReader r(b);
    MainHeader h;
    h.cb = *r.i32le();
    h.dwMicroSecPerFrame = *r.i32le();
    h.dwMaxBytesPerSec = *r.i32le();
    h.dwPaddingGranularity = *r.i32le();
    h.dwFlags = *r.i32le();
    h.dwTotalFrames = *r.i32le();
    h.dwInitialFrames = *r.i32le();
    h.dwStreams = *r.i32le();
    h.dwSuggestedBufferSize = *r.i32le();
    h.dwWidth = *r.i32le();
    h.dwHeight = *r.i32le();
    return h;
}

std::optional<ListHeader> ListHeader::parse(std::span<const std::uint8_t> b) {
    if (b.size() < kSize) return std::nullopt;
    BinaryReader r(b);
    ListHeader h;
    h.id = chars(r, 4);
    h.size = *r.i32le();
    h.type = chars(r, 4);
    h.firstChunk = chars(r, 4);
    return h;
}

std::optional<StreamHeader> StreamHeader::parse(std::span<const std::uint8_t> b) {
    if (b.size() < kSize) return std::nullopt;
    BinaryReader r(b);
    StreamHeader h;
    h.cb = *r.i32le();
    h.fccType = chars(r, 4);
    h.handlerNumber = *r.u32leAt(8);
    h.fccHandler = chars(r, 4);
    h.dwFlags = *r.i32le();
    h.wPriority = *r.i16le();
    h.wLanguage = *r.i16le();
    h.dwInitialFrames = *r.i32le();
    h.dwScale = *r.i32le();
    h.dwRate = *r.i32le();
    h.dwStart = *r.i32le();
    h.dwLength = *r.i32le();
    h.dwSuggestedBufferSize = *r.i32le();
    h.dwQuality = *r.i32le();
    h.dwSampleSize = *r.i32le();
    return h;
}

std::optional<BitmapFormat> BitmapFormat::parse(std::span<const std::uint8_t> b) {
    if (b.size() < kSize) return std::nullopt;
    BinaryReader r(b);
    BitmapFormat f;
    f.cb = *r.i32le();
    f.biSize = *r.i32le();
    f.biWidth = *r.i32le();
    f.biHeight = *r.i32le();
    f.biPlanes = *r.i16le();
    f.biBitCount = *r.i16le();
    f.biCompression = chars(r, 4);
    f.biSizeImage = *r.i32le();
    return f;
}

std::optional<WaveFormat> WaveFormat::parse(std::span<const std::uint8_t> raw) {
    if (raw.size() < kSize) return std::nullopt;
    // Fields past the end of the chunk belong to whatever follows it (ffmpeg's AC-3 and PCM
    // formats are 16 or 18 bytes, followed by a JUNK chunk): they read as 0.
    std::array<std::uint8_t, kSize> b{};
    const std::int64_t chunkSize = std::int32_t(std::uint32_t(raw[4]) | std::uint32_t(raw[5]) << 8 |
                                                std::uint32_t(raw[6]) << 16 | std::uint32_t(raw[7]) << 24);
    const std::size_t valid = static_cast<std::size_t>(std::clamp<std::int64_t>(8 + chunkSize, 8, kSize));
    std::copy_n(raw.begin(), valid, b.begin());
    BinaryReader r(b);
    WaveFormat f;
    f.id = chars(r, 4);
    f.size = *r.i32le();
    f.wFormatTag = *r.i16le();
    f.nChannels = *r.i16le();
    f.nSamplesPerSec = *r.i32le();
    f.nAvgBytesPerSec = *r.i32le();
    f.nBlockAlign = *r.i16le();
    f.wBitsPerSample = *r.i16le();
    f.cbSize = *r.i16le();
    f.wID = *r.i16le();
    f.fdwFlags = *r.i32le();
    f.nBlockSize = *r.i16le();
    f.nFramesPerBlock = *r.i16le();
    f.nCodecDelay = *r.i16le();
    return f;
}

std::optional<ChunkHeader> ChunkHeader::parse(std::span<const std::uint8_t> b) {
    if (b.size() < 8) return std::nullopt;  // the two data bytes are never used
    BinaryReader r(b);
    ChunkHeader h;
    h.id = chars(r, 4);
    h.size = *r.i32le();
    return h;
}

std::optional<DataChunkHeader> DataChunkHeader::parse(std::span<const std::uint8_t> b) {
    if (b.size() < kSize) return std::nullopt;
    BinaryReader r(b);
    DataChunkHeader h;
    h.stream = chars(r, 2);
    h.type = chars(r, 2);
    h.size = *r.i32le();
    return h;
}

}  // namespace fw::avi
