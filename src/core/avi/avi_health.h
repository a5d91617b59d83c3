#pragma once
// The health check of an AVI file: what a user should know before trusting it, in plain
// sentences and as codes for scripts. Truncation, the index against the movi list, the frame
// counts, audio against video, the frame rate as a fraction, packed bitstream, the key-frame
// spacing, missing pad bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "core/common/progress.h"

namespace fw::avi {

enum class Severity { Info, Warning, Error };

struct Problem {
    std::string code;  // "truncated", "no-index", "index-outside-movi", ...
    Severity severity = Severity::Warning;
    std::string text;
};

struct HealthReport {
    bool readable = false;  // false: no AVI this check can read (exit status 2)
    std::string error;
    std::vector<Problem> problems;
    // Figures worth knowing whatever the problems.
    std::uint32_t rateNum = 0, rateDen = 0;  // the video's frame rate, reduced
    std::string rateName;                     // "PAL 25", "NTSC film 23.976", ...
    std::int64_t framesInFile = 0;            // whole video chunks in the movi list
    double secondsInFile = 0;
    bool indexRead = false;                   // false: no index, so no key-frame figures
    std::int64_t keyFrames = 0;
    std::int64_t gopShortest = 0, gopLongest = 0;
    double gopMean = 0;
    double longestGapSeconds = 0;
    bool ok() const { return readable && problems.empty(); }
};

HealthReport checkAvi(const std::string& path, Progress progress = {});

const char* severityName(Severity s);
// The frame rate's common name: "NTSC 29.97" for 30000/1001 and so on; "" when it has none.
std::string frameRateName(std::uint32_t num, std::uint32_t den);

}  // namespace fw::avi
