#pragma once
// The calculator's source import: the running time (and frame rate, or frame size) from an INFO
// file of a DVD ripper, a DVD2Avi project (.d2v) or an XviD first-pass stats file; and the text
// the Size button hands to the resolution calculator.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "core/bitrate/bitrate_calc.h"
#include "core/common/progress.h"

namespace fw::bitrate {

enum class ImportKind { Info, D2v, Stats };

struct ImportResult {
    bool ok = false;     // false: the import ends (the window stays silent; `error` says why)
    ImportKind kind = ImportKind::Info;
    std::string error;   // for the command line
    // What the calculator's fields get.
    std::optional<double> frames;           // unrounded
    std::string framesText;                 // the `frames` field's text
    std::optional<std::string> framerateText;  // d2v: "29.970 fps"
    // INFO: the "Display mode: " pieces, and their values.
    std::optional<std::pair<std::string, std::string>> resolutionText;
    std::int32_t width = 0, height = 0;
    // d2v details.
    std::string fieldOperation;
    std::int64_t pictureLines = 0;
};

// The reader a file name asks for: .txt INFO, .d2v, .stats (any letter case).
std::optional<ImportKind> importKindForName(const std::string& path);
std::optional<ImportKind> importKindFromText(const std::string& name);  // "info", "d2v", "stats"

ImportResult importStats(const std::string& path);
// The d2v is read in large blocks: a two-hour film's 200,000 picture lines take a fraction of a
// second. Progress is in bytes.
ImportResult importD2v(const std::string& path, Progress progress = {});
ImportResult importInfo(const std::string& path);
ImportResult importSource(const std::string& path, ImportKind kind, Progress progress = {});

// The resolution calculator's bits-per-pixel label after the Size button: the video bitrate
// (divided by 2.05 for Divx 3 Fast Motion), then the bits per pixel of that bitrate in bits per
// second (kilobits of 1024 bits for the Divx 3 profiles, of 1000 for the others) over the frame
// rate, the width and the height.
std::string sizeHandOverLabel(double videoKbps, Profile profile, double rate, std::int32_t width, std::int32_t height);

}  // namespace fw::bitrate
