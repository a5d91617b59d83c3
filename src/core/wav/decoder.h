#pragma once
// A source of PCM blocks: compressed audio through FFmpeg, tracker modules through libopenmpt.
// The converter needs only the blocks and the format they come in; everything a window shows
// about the source (size, running time, title, orders, position) comes from here too.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/common/message.h"
#include "core/wav/wav_header.h"

namespace fw::wav {

enum class SourceKind { Stream, Module };

struct SourceInfo {
    SourceKind kind = SourceKind::Stream;
    PcmFormat format;
    double seconds = 0;               // running time; 0 when the source does not say
    std::uint64_t expectedBytes = 0;  // decoded length the running time predicts
    std::string codec;                // "mp3", "vorbis", ... or the module's type
    std::string title;                // modules: the song name
    int orders = 0;                   // modules: the order list's length
    std::int64_t fileSize = 0;
};

// Where the decoding is, readable from another thread while it runs.
struct DecodePosition {
    std::atomic<std::uint64_t> done{0};   // input bytes read (streams) or milliseconds played (modules)
    std::atomic<std::uint64_t> total{0};
    std::atomic<std::uint64_t> bytes{0};  // sample bytes delivered so far
    std::atomic<int> order{-1};
    std::atomic<int> row{-1};
};

class Decoder {
public:
    virtual ~Decoder() = default;
    const SourceInfo& info() const { return m_info; }
    // Up to cap bytes of interleaved little-endian samples in info().format; 0 at the end or on
    // failure, which failure() then tells.
    std::size_t read(std::uint8_t* out, std::size_t cap) {
        const std::size_t n = decode(out, cap);
        m_position.bytes += n;
        return n;
    }
    const std::optional<Message>& failure() const { return m_failure; }
    // What the user should know about a source that still plays: skipped damage, a cut module.
    const Messages& warnings() const { return m_warnings; }
    const DecodePosition& position() const { return m_position; }

protected:
    virtual std::size_t decode(std::uint8_t* out, std::size_t cap) = 0;
    SourceInfo m_info;
    std::optional<Message> m_failure;
    Messages m_warnings;
    DecodePosition m_position;
};

// Why a source cannot be played: the WavConverterMsgBox key of the second line.
enum Reason : int {
    kUnreadable = 13,
    kEmpty = 14,
    kNotAudio = 15,
    kNoDecoder = 16,
    kNoSound = 17,
    kCutShort = 18,
    kDamaged = 19,
    kTooLarge = 20,
    kMissing = 27,
};
Message cantPlay(int reason);

struct OpenResult {
    std::unique_ptr<Decoder> decoder;
    Message error;   // when no decoder could be made
    int reason = 0;  // the Reason of the error
};

// Modules are tried first when libopenmpt recognises the header, streams first otherwise; a
// source neither reads gives "Error: Can't play the file" with the reason on a second line.
OpenResult openSource(const std::string& path);

// The decoder makers, for tests and for the fuzz harnesses.
OpenResult openStream(const std::string& path);
OpenResult openModule(const std::string& path);
OpenResult openModuleFromMemory(const void* data, std::size_t size);
bool looksLikeModule(const std::string& path);

// Largest module file read into memory; real ones are a few megabytes.
inline constexpr std::int64_t kMaxModuleBytes = 256 << 20;

// The libraries as the opening check sees them.
struct LibraryState {
    unsigned avformat = 0, avcodec = 0, swresample = 0;  // FFmpeg's AV_VERSION_INT form
    unsigned openmpt = 0;                                 // libopenmpt's (major << 24 | minor << 16 | patch)
    bool decodersPresent = true;                          // MP2, MP3, Vorbis, AC-3 and the module formats
    bool initialised = true;                              // a decoder could be opened
};
LibraryState runningLibraries();
LibraryState builtLibraries();
// Nothing when the running libraries can do the work: present, the versions we build against or
// newer within the same major version, and initialised.
std::optional<Message> checkLibraries(const LibraryState& running, const LibraryState& built);

}  // namespace fw::wav
