#pragma once
// The seven lists of the installed-codecs window, as this system has them: FFmpeg's video and
// audio encoders and its filters; V4L2 video capture devices; ALSA's capture and playback
// devices and its MIDI (sequencer) ports, read from /sys and /proc as the kernel publishes them.
#include <string>
#include <vector>

namespace fw::system {

enum class CodecCategory {
    VideoCompressors = 0,
    AudioCompressors = 1,
    Filters = 2,
    VideoCapture = 3,
    AudioCapture = 4,
    AudioRenderers = 5,
    MidiRenderers = 6,
};

// The option order the window tests them in: 3, 0, 4, 1, 5, 6, 2.
const std::vector<CodecCategory>& refreshOrder();
// "video-compressors", "audio-compressors", "filters", "video-capture", "audio-capture",
// "audio-renderers", "midi" (the command line's names).
const char* categoryName(CodecCategory c);
bool categoryFromName(const std::string& name, CodecCategory& out);

struct CategoryList {
    bool ok = true;  // false when the category cannot be listed here (no ALSA, no /sys)
    std::vector<std::string> names;
};

// Where the kernel's views are found; tests point these at folders of their own.
struct DeviceRoots {
    std::string sys = "/sys";
    std::string proc = "/proc";
};

CategoryList listCategory(CodecCategory c, const DeviceRoots& roots = {});

// The kernel's texts behind the ALSA lists. The devices that play ("playback") or record
// ("capture") in /proc/asound/pcm, as "NAME (hw:C,D)"; the ports that take MIDI in
// /proc/asound/seq/clients, as "NAME (CLIENT:PORT)".
std::vector<std::string> parseAlsaPcm(const std::string& text, const char* direction);
std::vector<std::string> parseSeqClients(const std::string& text);

}  // namespace fw::system
