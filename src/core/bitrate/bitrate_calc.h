#pragma once
// The bitrate calculator: which video bitrate fills the chosen media once the audio and the
// container's overheads are taken off. The window and the command line hold a Bitcalc, put the
// controls' texts into `in`, and show what comes back.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/message.h"

namespace fw::bitrate {

enum class Profile { None, Divx3, Divx3fm, Divx4, Divx5 };

inline constexpr std::array<std::string_view, 6> kDiscTypes = {"650 MB", "654 MB", "700 MB",
                                                               "702 MB", "785 MB", "870 MB"};
inline constexpr std::array<std::string_view, 7> kFrameRates = {
    "13.000 fps", "15.000 fps", "23.976 fps", "24.000 fps", "25.000 fps", "29.970 fps", "30.000 fps"};
inline constexpr std::array<std::string_view, 16> kAudioBitrates = {
    "0 Kbps",   "8 Kbps",   "16 Kbps",  "24 Kbps",  "32 Kbps",  "64 Kbps",  "80 Kbps",  "96 Kbps",
    "112 Kbps", "128 Kbps", "160 Kbps", "192 Kbps", "224 Kbps", "256 Kbps", "288 Kbps", "320 Kbps"};
inline constexpr std::array<std::string_view, 7> kAudioCodecs = {
    "Mp3 CBR", "DivX wma V1", "DivX wma V2", "AC3 Dolby D.", "DTS Audio", "Mp3 (da file)", "OGG (da file)"};

// The most frames the running time may hold: 8 h 59 min 59.99 s at 25 frames per second.
inline constexpr double kMaxFrames = 809999.75;

// The controls' values, named as the window's controls. The defaults are the window's design values.
struct BitcalcInputs {
    bool Option3_0 = true;   // media as disc presets
    bool Option3_1 = false;  // media as a custom size in txtCD_2 (neither: the custom size is read)
    std::array<std::string, 3> txtCD{"1", "", ""};
    std::array<std::string, 2> Combo3{"700 MB", "650 MB"};
    bool overburn = false;
    std::array<std::string, 3> txtTime{"1", "30", ""};
    std::string frames;
    bool Option2_0 = true;   // running time from hours, minutes, seconds
    bool Option2_1 = false;  // running time from the frame count
    Profile profile = Profile::Divx4;
    bool Check2 = false;  // frame overhead
    std::string framerate = "25.000 fps";
    bool VBR = false;
    std::string interval = "2";
    bool Option1_0 = true;   // interleave counted in frames
    bool Option1_1 = false;  // interleave counted in milliseconds
    bool standard = true;
    bool standardEnabled = true;
    std::string bitrate1 = "96 Kbps";
    bool bitrate1Enabled = true;
    bool personalizzato = false;
    bool personalizzatoEnabled = true;
    std::string bitrate2;
    bool bitrate2Enabled = true;
    std::string codecaudio = "Mp3 CBR";
};

struct CalcResult {
    bool computed = false;  // false: a message explains why no new bitrate exists
    Messages messages;
    std::array<std::string, 9> texts;  // Text1_0 .. Text1_8
    double totalMB = 0, durationS = 0, frames = 0, audioMB = 0, audioOverheadMB = 0, frameOverheadMB = 0,
           netMB = 0, videoKbps = 0, kbitsPerFrame = 0, bitsPerPixel = 0, videoKB = 0;
    bool bitsPerPixelValid = false;
};

// A field guard's verdict: messages to show and, when set, the text the field gets afterwards.
struct FieldVerdict {
    Messages messages;
    std::optional<std::string> newText;
};

class Bitcalc {
public:
    BitcalcInputs in;

    // Window-level values, in the widths the calculator has always used.
    std::int16_t totalSize = 0;  // MB
    float rate = 0.0f;           // frames per second
    double duration = 0.0;       // seconds
    std::int16_t audioBitrate = 0;
    double audioSize = 0.0;  // MB
    std::int16_t interleave = 0;  // ms
    double videoBitrate = 0.0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    // Total media size in MB; a message when a count or size is not a whole number in range.
    std::optional<Message> spazio();
    void frate();
    void LengSectot();
    // Audio interleave overhead in MB. May empty `in.interval` and add a message; `unusable` is
    // set when the interleave cannot be used (too short or too long), so no result follows.
    double aoverhead(Messages& messages);
    double aoverhead(Messages& messages, bool& unusable);
    CalcResult calcola();

    // Field guards, run when the user changes a field.
    FieldVerdict guardTime(int index) const;  // hours, minutes, seconds
    FieldVerdict guardFrames() const;
    // Text of the label beside the frame-rate list and of the total label.
    std::string rateText() const;
    std::string totalText() const;

    // The audio bitrate named by a list item ("128 Kbps" -> 128).
    static std::optional<std::int16_t> listBitrate(std::string_view item);
};

// Audio codecs whose size comes from an existing file, and how to ask for it.
struct AudioFileChoice {
    std::string description;  // "Files mp3 (*.mp3)"
    std::string pattern;      // "*.mp3"
    LangKey title;
};
std::optional<AudioFileChoice> audioFileChoice(std::string_view codec);
// Codecs whose size follows from the bitrate.
bool codecSizedByBitrate(std::string_view codec);

// width " X " height "@" bits per pixel, or "720 X 576"; nothing when there is no " X ".
std::optional<std::pair<std::int32_t, std::int32_t>> parseCompression(std::string_view value);
std::string compressionFromResultText(std::string_view text7);

// settings.ini section BitcalcSettings.
void loadBitcalcSettings(const std::string& settingsPath, Bitcalc& calc);
bool saveBitcalcSettings(const std::string& settingsPath, const Bitcalc& calc, std::string_view text7);

}  // namespace fw::bitrate
