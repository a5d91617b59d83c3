#pragma once
// Index repair: a new AVI made from every whole chunk of a file whose index is missing, broken or
// cut off, with the header's counts set to what remains and a fresh idx1. The original is only
// read; the new file is written through a temporary name and a rename.
#include <cstdint>
#include <string>

#include "core/common/message.h"
#include "core/common/progress.h"

namespace fw::avi {

enum class KeySource { VideoData, OldIndex, EveryFrame, Mixed };

struct RepairResult {
    bool ok = false;
    bool stopped = false;
    std::int64_t chunksKept = 0;
    std::int64_t framesKept = 0;      // video chunks
    std::int64_t keyFrames = 0;
    std::int64_t damagedRegions = 0;
    std::int64_t skippedBytes = 0;
    std::int64_t bytesWritten = 0;
    double seconds = 0;               // the video kept, at its frame rate
    KeySource keys = KeySource::VideoData;
    bool cutShort = false;
    Messages messages;
};

RepairResult repairAvi(const std::string& source, const std::string& output, Progress progress = {});

// "key frames from the video data (MPEG-4)", "... from the old index", "every frame marked as a
// key frame: the video's codec does not say which are".
std::string keySourceText(KeySource k);

}  // namespace fw::avi
