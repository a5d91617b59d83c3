#pragma once
// In-place AVI header patchers: the FourCC changer, the frame-rate changer and the audio/video
// synchronizer. Each opens a file into a session that records the canonical layout it relies on
// and the bytes it will replace; saving re-checks all of that on the file as it is now, writes
// only the named bytes, keeps the length, flushes, and reads them back.
#include <sys/types.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/message.h"

namespace fw::avi {

// Bytes that must be at a position when the patch is written.
struct ExpectedBytes {
    std::int64_t pos = 0;
    std::vector<std::uint8_t> bytes;
};

struct PatchWrite {
    std::int64_t pos = 0;
    std::vector<std::uint8_t> oldBytes;
    std::vector<std::uint8_t> newBytes;
};

struct PatchOutcome {
    bool ok = false;        // false: refused or failed; the messages say why
    bool modified = false;  // true when bytes of the file changed
    Messages messages;
};

// What a session recorded when the file was opened.
struct PatchBase {
    std::string path;
    std::int64_t fileSize = 0;
    std::vector<ExpectedBytes> layout;  // chunk ids of the canonical layout
};

// The file operations of an in-place patch. Tests give one that fails, to see the old bytes put
// back; the program uses the system's.
class PatchIo {
public:
    virtual ~PatchIo() = default;
    virtual ssize_t pwrite(int fd, const void* data, std::size_t len, std::int64_t pos);
    virtual ssize_t pread(int fd, void* data, std::size_t len, std::int64_t pos);
    virtual int fsync(int fd);
};

// Writes `writes` into base.path when the layout, the size and every old byte are still as
// recorded; restores the old bytes when a write, the flush or the read-back fails.
PatchOutcome applyPatch(const PatchBase& base, const std::vector<PatchWrite>& writes);
PatchOutcome applyPatch(const PatchBase& base, const std::vector<PatchWrite>& writes, PatchIo& io);

struct OpenOutcome {
    bool ok = false;
    Messages messages;
};

// ---- FourCC changer -------------------------------------------------------------------------
struct FourccPreset {
    std::string_view entry;
    std::string_view code;
};
inline constexpr std::array<FourccPreset, 8> kFourccPresets = {{
    {"MP41  MS MPEG-4 V", "mp41"},
    {"MP42  MS MPEG-4 V2", "mp42"},
    {"MP43  MS MPEG-4 V3", "mp43"},
    {"DIV3  DivX;-) Low Motion", "DIV3"},
    {"DIV4  DivX;-) Fast Motion", "DIV4"},
    {"DIVX  OpenDivX e DivX 4.x", "DIVX"},
    {"DX50  DivX 5.x", "DX50"},
    {"XVID  XviD (anche DX50, DIVX)", "XVID"},
}};
// The preset a code names, compared without regard to case ("MP43" gives "mp43").
std::optional<std::string> fourccPresetCode(std::string_view code);

struct FourccSession {
    PatchBase base;
    std::int64_t handlerPos = 0;
    std::int64_t formatPos = 0;  // the strf chunk id; biCompression is 24 bytes on
    std::string handler;
    std::string compression;
    std::string currentLine;  // the current-code line
    std::string codecLine;    // the codec-name line
};
OpenOutcome openFourcc(const std::string& path, FourccSession& s);
PatchOutcome saveFourcc(const FourccSession& s, const std::string& code);

// ---- Frame-rate changer ---------------------------------------------------------------------
struct RatePreset {
    std::string_view entry;
    double rate;
};
inline constexpr std::array<RatePreset, 6> kRatePresets = {{
    {"23.970 fps", 23.97}, {"23.976 fps", 23.976}, {"24.000 fps", 24.0},
    {"25.000 fps", 25.0},  {"29.970 fps", 29.97},  {"30.000 fps", 30.0},
}};
std::optional<double> ratePreset(std::string_view text);  // "23.976" or "23.976 fps"

inline constexpr std::int64_t kFpsScalePos = 128;
inline constexpr std::int64_t kFpsRatePos = 132;

struct FpsSession {
    PatchBase base;
    std::int32_t avihSize = 0;
    std::int32_t microSecPerFrame = 0;
    std::int32_t totalFrames = 0;
    std::int32_t width = 0, height = 0;
    std::uint32_t scale = 0, rate = 0;
    double fps() const { return scale ? double(rate) / scale : 0; }
};
OpenOutcome openFps(const std::string& path, FpsSession& s);
// The whole dwScale nearest to the chosen rate.
std::uint32_t proposedScale(const FpsSession& s, double rate);
PatchOutcome saveFps(const FpsSession& s, std::uint32_t newScale);

// ---- Audio/video synchronizer ---------------------------------------------------------------
struct SyncSession {
    PatchBase base;
    std::int64_t t1 = 0, t2 = 0;  // fccType of the first and the second stream
    bool headerRead = false;      // the rate, microseconds and frame count below were read
    std::int32_t microSecPerFrame = 0, totalFrames = 0, width = 0, height = 0;
    std::int64_t frames = 0;      // totalFrames, or the OpenDML count of the whole file
    std::uint32_t videoScale = 0, videoRate = 0;
    std::uint32_t audioScale = 0, audioRate = 0, audioLength = 0, audioAvgBytes = 0;
    std::uint16_t audioSampleSize = 0;
    double videoSeconds = 0, audioSeconds = 0;
    std::optional<double> indexSeconds;  // the audio's bytes in the index at its average rate
    bool inSync = false;  // nothing to propose ("OK!!")
    std::uint32_t newScale = 100000, newRate = 0;
    double videoFps() const { return videoScale ? double(videoRate) / videoScale : 0; }
    double newFps() const { return newRate / 100000.0; }
};
// Refuses variable-bitrate audio (sample size 0) with the synchronizer's message, and audio whose
// header and index disagree on its running time by more than a second.
OpenOutcome openSync(const std::string& path, SyncSession& s);
PatchOutcome saveSync(const SyncSession& s);

}  // namespace fw::avi
