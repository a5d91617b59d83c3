#pragma once
// The AVI records at fixed positions, as the inspector reads them and the header patchers
// overwrite them. Positions are file offsets; each record is parsed from the bytes read at its
// position, so a short read simply gives no record.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace fw::avi {

// Fixed positions of the canonical layout: RIFF header, LIST hdrl, avih first.
inline constexpr std::int64_t kFormTypePos = 8;    // "AVI "
inline constexpr std::int64_t kRiffSizePos = 4;
inline constexpr std::int64_t kHdrlSizePos = 16;
inline constexpr std::int64_t kHdrlTypePos = 20;   // "hdrl"
inline constexpr std::int64_t kAvihIdPos = 24;     // "avih"
inline constexpr std::int64_t kAvihPos = 28;       // the avih size field; the record starts here
inline constexpr std::int64_t kFirstStrlBase = 32; // + avih size = the first strl list

struct MainHeader {  // avih, 60 bytes read at its size field
    std::int32_t cb = 0;
    std::int32_t dwMicroSecPerFrame = 0;
    std::int32_t dwMaxBytesPerSec = 0;
    std::int32_t dwPaddingGranularity = 0;
    std::int32_t dwFlags = 0;
    std::int32_t dwTotalFrames = 0;
    std::int32_t dwInitialFrames = 0;
    std::int32_t dwStreams = 0;
    std::int32_t dwSuggestedBufferSize = 0;
    std::int32_t dwWidth = 0;
    std::int32_t dwHeight = 0;
    static constexpr std::size_t kSize = 60;
    static std::optional<MainHeader> parse(std::span<const std::uint8_t> b);
};

inline constexpr std::int32_t AVIF_HASINDEX = 0x10;
inline constexpr std::int32_t AVIF_MUSTUSEINDEX = 0x20;
inline constexpr std::int32_t AVIF_ISINTERLEAVED = 0x100;
inline constexpr std::int32_t AVIF_TRUSTCKTYPE = 0x800;
inline constexpr std::int32_t AVIF_WASCAPTUREFILE = 0x10000;
inline constexpr std::int32_t AVIF_COPYRIGHTED = 0x20000;

struct ListHeader {  // 16 bytes: LIST, size, type, first sub-chunk id
    std::string id;
    std::int32_t size = 0;
    std::string type;
    std::string firstChunk;
    static constexpr std::size_t kSize = 16;
    static std::optional<ListHeader> parse(std::span<const std::uint8_t> b);
};

// Offsets inside a stream header record read at the strh size field.
inline constexpr std::int64_t kStrhHandlerOffset = 8;
inline constexpr std::int64_t kStrhScaleOffset = 24;
inline constexpr std::int64_t kStrhRateOffset = 28;
inline constexpr std::int64_t kStrhLengthOffset = 36;
inline constexpr std::int64_t kStrhSampleSizeOffset = 48;

struct StreamHeader {  // strh, 60 bytes read at its size field
    std::int32_t cb = 0;
    std::string fccType;
    std::string fccHandler;        // as text (the video stream)
    std::uint32_t handlerNumber = 0;  // the same four bytes as a number (further streams)
    std::int32_t dwFlags = 0;
    std::int16_t wPriority = 0;
    std::int16_t wLanguage = 0;
    std::int32_t dwInitialFrames = 0;
    std::int32_t dwScale = 0;
    std::int32_t dwRate = 0;
    std::int32_t dwStart = 0;
    std::int32_t dwLength = 0;
    std::int32_t dwSuggestedBufferSize = 0;
    std::int32_t dwQuality = 0;
    std::int32_t dwSampleSize = 0;
    static constexpr std::size_t kSize = 60;
    static std::optional<StreamHeader> parse(std::span<const std::uint8_t> b);
};

// Offset of biCompression inside the video format record read at the strf size field.
inline constexpr std::int64_t kStrfCompressionOffset = 20;

struct BitmapFormat {  // strf of the video stream, 44 bytes read at its size field
    std::int32_t cb = 0;
    std::int32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::int16_t biPlanes = 0;
    std::int16_t biBitCount = 0;
    std::string biCompression;
    std::int32_t biSizeImage = 0;
    static constexpr std::size_t kSize = 44;
    static std::optional<BitmapFormat> parse(std::span<const std::uint8_t> b);
};

struct WaveFormat {  // strf of a further stream, 40 bytes read at its chunk id
    std::string id;
    std::int32_t size = 0;
    std::int16_t wFormatTag = 0;
    std::int16_t nChannels = 0;
    std::int32_t nSamplesPerSec = 0;
    std::int32_t nAvgBytesPerSec = 0;
    std::int16_t nBlockAlign = 0;
    std::int16_t wBitsPerSample = 0;
    std::int16_t cbSize = 0;
    std::int16_t wID = 0;
    std::int32_t fdwFlags = 0;
    std::int16_t nBlockSize = 0;
    std::int16_t nFramesPerBlock = 0;
    std::int16_t nCodecDelay = 0;
    static constexpr std::size_t kSize = 40;
    static std::optional<WaveFormat> parse(std::span<const std::uint8_t> b);
};

struct ChunkHeader {  // 12 bytes: id, size, two data bytes
    std::string id;
    std::int32_t size = 0;
    static constexpr std::size_t kSize = 12;
    static std::optional<ChunkHeader> parse(std::span<const std::uint8_t> b);
};

struct DataChunkHeader {  // 8 bytes inside movi: "01wb", size
    std::string stream;  // two digits
    std::string type;    // "dc", "wb"...
    std::int32_t size = 0;
    static constexpr std::size_t kSize = 8;
    static std::optional<DataChunkHeader> parse(std::span<const std::uint8_t> b);
};

struct IndexEntry {  // idx1, 16 bytes
    char stream[2];
    char type[2];
    std::uint32_t dwFlags;
    std::uint32_t dwChunkOffset;
    std::uint32_t dwChunkLength;
    static constexpr std::size_t kSize = 16;
};
inline constexpr std::uint32_t AVIIF_KEYFRAME = 0x10;

}  // namespace fw::avi
