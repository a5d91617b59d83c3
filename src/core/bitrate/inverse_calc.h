#pragma once
// The inverse calculator: the video is encoded already, as an AVI file; how much audio still fits
// on the chosen CDs? The largest standard audio bitrate that fills the room left.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/common/message.h"

namespace fw::bitrate {

// The opened AVI file, read at the fixed positions of a standard file.
struct InverseFile {
    bool ok = false;
    Messages messages;
    std::string path;
    std::int64_t riffSize = 0;   // the RIFF size; every part's for an OpenDML file
    std::int64_t fileLength = 0;
    bool complete = true;
    std::int32_t width = 0, height = 0;
    std::uint32_t scale = 0, rate = 0, length = 0;
    double fps = 0, frames = 0, duration = 0;
    std::array<std::string, 7> Text1;  // width, height, frames, fps, running time, size, completeness
    bool completenessYellow = false;
    double sizeMB() const { return double(riffSize) / 1048576.0; }
};
InverseFile openInverse(const std::string& path);

// The media of the window: counts and sizes of 74- and 80-minute CDs.
struct InverseMedia {
    std::string cd74, cd80;
    std::string Combo3 = "650 MB", Combo4 = "700 MB";
    bool overburn = false;
};
inline constexpr std::array<std::string_view, 6> kCdSizes = {"650 MB", "654 MB", "700 MB", "702 MB", "785 MB", "870 MB"};

struct InverseTotal {
    bool ok = false;
    Messages messages;
    std::int16_t total = 0;  // MB
};
InverseTotal inverseMediaTotal(const InverseMedia& m);

struct InverseResult {
    bool ok = false;  // false: one of the three messages (or a guard), no bitrate text
    Messages messages;
    std::int16_t totalMB = 0;
    double audioRoom = 0;  // kbit/s, before it is matched to a step
    int step = 0;          // the standard bitrate chosen
    std::string text;      // Text2: "Bitrate audio = 176 Kbit/s"
};
// The standard steps below 320 kbit/s, smallest first.
inline constexpr std::array<int, 19> kAudioSteps = {16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 288, 304};
InverseResult Calcolo_Inverso(const InverseFile& file, const InverseMedia& media);

}  // namespace fw::bitrate
