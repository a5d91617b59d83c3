#pragma once
// Key-frame lists for encoders and subtitle editors: the frame numbers (counted from 0) of an
// AVI's key frames, by its index, or of a first-pass stats file's I-frames.
#include <cstdint>
#include <string>
#include <vector>

#include "core/common/progress.h"

namespace fw::avi {

struct KeyframeList {
    bool ok = false;
    std::string error;
    std::string source;  // "index" (an AVI) or "stats"
    std::vector<std::int64_t> frames;
    std::int64_t totalFrames = 0;
    std::int64_t framesInFile = 0;  // the video frames the movi lists hold, walked chunk by chunk
    // An index cut short (a download that stopped) lists fewer frames than the file holds: the
    // key frames after its end are missing from the list.
    bool complete() const { return source != "index" || totalFrames >= framesInFile; }
    // Why the list is incomplete, in the user's language; "" when it is complete.
    std::string incompleteText() const;
};

KeyframeList keyframesOf(const std::string& path, Progress progress = {});

enum class KeyframeFormat { List, Qpfile, KeyframesV1 };
// list: one number a line; qpfile: "N I" a line (x264's --qpfile); keyframes-v1: the
// "# keyframe format v1" header, "fps 0", then one number a line.
std::string keyframeText(const KeyframeList& k, KeyframeFormat f);

}  // namespace fw::avi
