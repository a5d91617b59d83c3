#include "core/avi/avi_health.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numeric>

#include "core/avi/avi_layout.h"
#include "core/avi/inspector.h"
#include "core/avi/movi_scan.h"
#include "core/avi/patchers.h"
#include "core/common/lang.h"
#include "core/common/number.h"

namespace fw::avi {

namespace {

std::string n2(double v, int places = 2) { return numberText(roundHalfEven(v, places)); }
std::string text(int key) { return LangText("AviHealth", key); }

}  // namespace

const char* severityName(Severity s) {
    switch (s) {
        case Severity::Info: return "info";
        case Severity::Warning: return "warning";
        case Severity::Error: return "error";
    }
    return "";
}

std::string frameRateName(std::uint32_t num, std::uint32_t den) {
    struct Named {
        std::uint32_t num, den;
        const char* name;
    };
    static const Named kNames[] = {
        {25, 1, "PAL 25"},        {30000, 1001, "NTSC 29.97"},      {24000, 1001, "NTSC film 23.976"},
        {24, 1, "film 24"},       {30, 1, "30"},                    {50, 1, "PAL fields 50"},
        {60000, 1001, "NTSC fields 59.94"}, {2997, 100, "29.97 rounded"}, {2397, 100, "23.970, a rounded film rate"},
        {23976, 1000, "23.976 rounded"},    {15, 1, "15"},          {12, 1, "12"},
    };
    for (const auto& n : kNames)
        if (n.num == num && n.den == den) return n.name;
    return {};
}

namespace {
// "%1", "%2"... of a language text replaced by the figures.
std::string filled(std::string t, std::initializer_list<std::string> values) {
    int n = 1;
    for (const auto& v : values) {
        const std::string mark = "%" + std::to_string(n++);
        if (auto at = t.find(mark); at != std::string::npos) t.replace(at, mark.size(), v);
    }
    return t;
}

// What the synchronizer would do with the file: its proposal, its refusal, or nothing to change.
std::string synchronizerAdvice(const std::string& path) {
    SyncSession s;
    const OpenOutcome o = openSync(path, s);
    if (!o.ok) {
        std::string why;
        for (const auto& m : o.messages) why += " " + m.resolve();
        return text(43) + why;
    }
    if (s.inSync) return text(44);
    return filled(text(42), {n2(s.newFps(), 4)});
}
}  // namespace

HealthReport checkAvi(const std::string& path, Progress progress) {
    HealthReport r;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        r.error = text(34);
        return r;
    }
    FileSource src(path);
    auto layout = readLayout(src, &r.error);
    if (!layout) return r;
    r.readable = true;
    const AviLayout& l = *layout;
    auto add = [&](const char* code, Severity s, std::string t) { r.problems.push_back({code, s, std::move(t)}); };
    const StreamLayout* video = l.videoStream >= 0 ? &l.streams[static_cast<std::size_t>(l.videoStream)] : nullptr;
    // No video plays below one frame a second or above a thousand: such a rate is damage, and
    // no running time is derived from it.
    const double headerFps = video && video->scale ? double(video->rate) / video->scale : 0;
    const bool plausibleRate = headerFps >= 1 && headerFps <= 1000;
    const double fps = plausibleRate ? headerFps : 0;

    // The frame rate as the exact fraction the header holds.
    if (video && !plausibleRate) {
        add("no-frame-rate", Severity::Error, filled(text(39), {std::to_string(video->rate), std::to_string(video->scale)}));
    } else if (video) {
        const std::uint32_t g = std::gcd(video->rate, video->scale);
        r.rateNum = video->rate / g;
        r.rateDen = video->scale / g;
        r.rateName = frameRateName(r.rateNum, r.rateDen);
        if ((r.rateNum == 2997 && r.rateDen == 100) || (r.rateNum == 2397 && r.rateDen == 100) || (r.rateNum == 23976 && r.rateDen == 1000))
            add("rounded-frame-rate", Severity::Warning,
                text(1) + " " + std::to_string(r.rateNum) + "/" + std::to_string(r.rateDen) + " (" + r.rateName + ")");
    }

    // The movi lists themselves (every RIFF part's): whole chunks, damage, missing pad bytes, and
    // what each stream really holds.
    std::int64_t videoFrames = 0;
    std::vector<std::int64_t> firstVideo;  // a few video chunks for the bitstream check
    std::vector<std::int64_t> streamBytes(l.streams.size(), 0), streamChunks(l.streams.size(), 0);
    auto scan = scanMovi(src, l, [&](const MoviChunk& c) {
        if (c.stream >= 0 && c.stream < static_cast<int>(l.streams.size())) {
            streamBytes[static_cast<std::size_t>(c.stream)] += c.size;
            ++streamChunks[static_cast<std::size_t>(c.stream)];
        }
        if (c.video() && c.stream == l.videoStream) {
            ++videoFrames;
            if (firstVideo.size() < 8 && c.size > 0) firstVideo.push_back(c.pos);
        }
        return true;
    }, progress);
    r.framesInFile = videoFrames;
    r.secondsInFile = fps > 0 ? videoFrames / fps : 0;
    if (l.riffEnd > l.fileLength || l.lastRiffEnd > l.fileLength || scan.cutShort)
        add("truncated", Severity::Error,
            text(2) + " " + std::to_string(videoFrames) + " " + text(3) + n2(r.secondsInFile) + " s).");
    if (scan.damagedRegions > 0)
        add("damaged-movi", Severity::Error,
            text(4) + " " + std::to_string(scan.damagedRegions) + " (" + std::to_string(scan.skippedBytes) + " " + text(5) + ")");
    if (scan.padsMissing > 0) add("missing-pad-bytes", Severity::Warning, text(6) + " " + std::to_string(scan.padsMissing));

    // The index against the lists and the headers.
    std::vector<AviLayout::Range> lists{{l.moviDataPos, l.moviEnd}};
    lists.insert(lists.end(), l.moreMovi.begin(), l.moreMovi.end());
    std::sort(lists.begin(), lists.end(), [](const auto& a, const auto& b) { return a.dataPos < b.dataPos; });
    auto inLists = [&](std::int64_t header, std::int64_t end) {
        auto it = std::upper_bound(lists.begin(), lists.end(), header + 4, [](std::int64_t v, const auto& g) { return v < g.dataPos; });
        if (it == lists.begin()) return false;
        --it;
        return end <= std::min(it->end, l.fileLength);
    };
    std::int64_t entries = 0, outside = 0, wrongSize = 0, videoEntries = 0, keys = 0;
    std::int64_t lastKey = -1, shortest = 0, longest = 0, intervals = 0, sumIntervals = 0;
    const IndexKind kind = visitIndex(path, [&](const IndexEntryView& e) {
        ++entries;
        const std::int64_t header = e.dataPos - 8;
        if (!inLists(header, e.dataPos + e.size)) {
            ++outside;
        } else if (auto h = src.read(header, 8)) {
            std::uint32_t size;
            std::memcpy(&size, h->data() + 4, 4);
            if (size != e.size) ++wrongSize;
        }
        if (!(e.video && e.stream == l.videoStream)) return;
        if (e.key) {
            if (lastKey >= 0) {
                const std::int64_t gap = videoEntries - lastKey;
                shortest = intervals ? std::min(shortest, gap) : gap;
                longest = std::max(longest, gap);
                sumIntervals += gap;
                ++intervals;
            }
            lastKey = videoEntries;
            ++keys;
        }
        ++videoEntries;
    });
    r.indexRead = kind != IndexKind::None;
    if (kind == IndexKind::None) {
        // An OpenDML file's indexes are not rebuilt here: no repair is offered for it.
        add("no-index", Severity::Error, text(l.openDml ? 45 : 7));
    } else {
        if (outside > 0) add("index-outside-movi", Severity::Error, text(8) + " " + std::to_string(outside) + "/" + std::to_string(entries));
        if (wrongSize > 0) add("index-size-mismatch", Severity::Error, text(9) + " " + std::to_string(wrongSize));
        if (videoEntries != videoFrames)
            add("index-frames-mismatch", Severity::Warning, filled(text(40), {std::to_string(videoEntries), std::to_string(videoFrames)}));
        if (videoEntries > 0 && keys == 0) add("no-key-frames", Severity::Error, text(38));
    }
    r.keyFrames = keys;
    r.gopShortest = shortest;
    r.gopLongest = longest;
    r.gopMean = intervals ? double(sumIntervals) / intervals : 0;
    r.longestGapSeconds = fps > 0 ? longest / fps : 0;

    // The frame counts a file carries. An OpenDML file's main header counts its first part only.
    if (video) {
        const std::int64_t header = l.totalFrames, length = video->length;
        // An index that disagrees with the movi list is reported above; here it counts only when
        // it agrees with the list, and so the headers are what is wrong.
        const bool indexAgrees = kind != IndexKind::None && videoEntries == videoFrames;
        if ((!l.openDml && header != length) || (indexAgrees && videoEntries != length))
            add("frame-count-mismatch", Severity::Warning,
                text(12) + " " + std::to_string(header) + ", " + text(13) + " " + std::to_string(length) + ", " + text(10) + " " +
                    std::to_string(videoEntries));
    }

    // An audio format a player cannot set its decoder up from.
    for (std::size_t i = 0; i < l.streams.size(); ++i) {
        const auto& s = l.streams[i];
        if (s.type == "auds" && (!s.formatWhole || s.channels == 0 || s.sampleRate == 0))
            add("audio-format", Severity::Error, filled(text(46), {std::to_string(i)}));
    }

    // Each audio stream against the video, by what the file holds: bytes at the average rate for
    // constant-bitrate audio, one block a chunk for variable-bitrate audio.
    bool advised = false;
    const double videoSeconds = fps > 0 ? videoFrames / fps : 0;
    for (std::size_t i = 0; i < l.streams.size(); ++i) {
        const auto& s = l.streams[i];
        if (s.type != "auds" || !video || videoSeconds <= 0) continue;
        double audio = 0;
        if (s.sampleSize > 0 && s.avgBytes > 0) audio = double(streamBytes[i]) / s.avgBytes;
        else if (s.rate > 0) audio = double(streamChunks[i]) * s.scale / s.rate;
        else continue;
        if (std::fabs(audio - videoSeconds) <= 0.5) continue;
        std::string t = filled(text(41), {std::to_string(i), n2(audio), n2(videoSeconds)});
        // The synchronizer works on the second stream; its own answer, not a guess at it.
        if (!advised && i == 1) t += " " + synchronizerAdvice(path);
        advised = true;
        add("audio-video-length", Severity::Warning, t);
    }

    // Packed bitstream: the encoder's user data ("DivX503b1393p") ends in "p".
    for (std::int64_t pos : firstVideo) {
        const auto head = src.readUpTo(pos + 8, 1024);
        bool found = false;
        for (std::size_t i = 0; i + 8 < head.size() && !found; ++i) {
            if (!(head[i] == 0 && head[i + 1] == 0 && head[i + 2] == 1 && head[i + 3] == 0xB2)) continue;
            std::string user;
            for (std::size_t k = i + 4; k < head.size() && head[k] != 0 && user.size() < 64; ++k) user += static_cast<char>(head[k]);
            if ((user.rfind("DivX", 0) == 0 || user.rfind("XviD", 0) == 0) && !user.empty() && user.back() == 'p') {
                add("packed-bitstream", Severity::Warning, text(18) + " (" + user + ")");
                found = true;
            }
        }
        if (found) break;
    }
    return r;
}

}  // namespace fw::avi
