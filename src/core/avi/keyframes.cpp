#include "core/avi/keyframes.h"

#include "core/avi/avi_layout.h"
#include "core/avi/inspector.h"
#include "core/avi/movi_scan.h"
#include "core/common/file_io.h"
#include "core/common/lang.h"
#include "core/stats/stats_file.h"

namespace fw::avi {

KeyframeList keyframesOf(const std::string& path, Progress progress) {
    KeyframeList k;
    const auto head = readRange(path, 0, 12);
    if (!head) {
        k.error = LangText("KeyFrames", 1);
        return k;
    }
    if (head->size() >= 12 && head->compare(0, 4, "RIFF") == 0 && head->compare(8, 4, "AVI ") == 0) {
        std::int64_t n = 0;
        int videoStream = 0;
        const FileSource src(path);
        if (auto l = readLayout(src); l && l->videoStream >= 0) {
            videoStream = l->videoStream;
            // The frames the file holds, whatever its headers say, to tell a cut index.
            scanMovi(src, *l, [&](const MoviChunk& c) {
                if (c.video() && c.stream == videoStream) ++k.framesInFile;
                return true;
            });
        }
        const IndexKind kind = visitIndex(path, [&](const IndexEntryView& e) {
            if (!e.video || e.stream != videoStream) return;
            if (e.key) k.frames.push_back(n);
            ++n;
        }, std::move(progress));
        if (kind == IndexKind::None) {
            k.error = LangText("KeyFrames", 2);
            return k;
        }
        k.source = "index";
        k.totalFrames = n;
        k.ok = true;
        return k;
    }
    auto stats = fw::stats::keyFrameNumbers(path, std::move(progress));
    if (!stats) {
        k.error = LangText("KeyFrames", 3);
        return k;
    }
    k.source = "stats";
    k.frames = std::move(stats->first);
    k.totalFrames = stats->second;
    k.ok = true;
    return k;
}

std::string KeyframeList::incompleteText() const {
    if (complete()) return {};
    std::string t = LangText("KeyFrames", 6);
    for (const auto& [mark, v] : {std::pair{"%1", totalFrames}, std::pair{"%2", framesInFile}})
        if (auto at = t.find(mark); at != std::string::npos) t.replace(at, 2, std::to_string(v));
    return t;
}

std::string keyframeText(const KeyframeList& k, KeyframeFormat f) {
    std::string out;
    if (f == KeyframeFormat::KeyframesV1) out = "# keyframe format v1\nfps 0\n";
    for (std::int64_t n : k.frames) {
        out += std::to_string(n);
        out += f == KeyframeFormat::Qpfile ? " I\n" : "\n";
    }
    return out;
}

}  // namespace fw::avi
