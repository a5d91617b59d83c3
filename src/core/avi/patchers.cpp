#include "core/avi/patchers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

#include "core/avi/avi_internal.h"
#include "core/avi/avi_records.h"
#include "core/avi/file_source.h"
#include "core/codecdb/codec_db.h"
#include "core/common/file_io.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::avi {

namespace {

Message patchMessage(int key) { return Message::lang("AviPatchMsgBox", key, Icon::Critical); }

std::vector<std::uint8_t> le32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}
std::vector<std::uint8_t> bytesOf(std::string_view s) { return {s.begin(), s.end()}; }

// Reads the file's canonical header layout: the ids and where they are. Fills `base` and returns
// the first strl position, or a refusal.
struct Layout {
    std::int64_t s0 = 0;          // first LIST strl
    std::int32_t avihSize = 0;
    std::int32_t strlSize = 0;
};

bool expectText(const FileSource& src, PatchBase& base, std::int64_t pos, std::string_view text) {
    auto b = src.read(pos, text.size());
    if (!b || std::string(b->begin(), b->end()) != text) return false;
    base.layout.push_back({pos, *b});
    return true;
}

PatchOutcome patchRefusal(int key) {
    PatchOutcome o;
    o.messages.push_back(patchMessage(key));
    return o;
}

OpenOutcome refuse(Message m) {
    OpenOutcome o;
    o.messages.push_back(std::move(m));
    return o;
}

// The form type first (its own message), then the canonical layout up to the first stream header.
std::optional<OpenOutcome> readLayout(const FileSource& src, PatchBase& base, Layout& l) {
    // A missing file, a folder or one we may not read: the inspector's words for it.
    if (!src.isOpen()) return refuse(Message::lang("AviDetectorMsgBox", 6, Icon::Critical));
    auto form = src.fourcc(kFormTypePos);
    if (!form || *form != "AVI ") return refuse(Message::lang("AviDetectorMsgBox", 1, Icon::Critical));
    base.fileSize = src.size();
    base.layout.clear();
    auto avih = src.i32(kAvihPos);
    if (!avih) return refuse(patchMessage(7));
    l.avihSize = *avih;
    l.s0 = kFirstStrlBase + std::int64_t(l.avihSize);
    if (!expectText(src, base, 0, "RIFF") || !expectText(src, base, 8, "AVI ") || !expectText(src, base, 12, "LIST") ||
        !expectText(src, base, kHdrlTypePos, "hdrl") || !expectText(src, base, kAvihIdPos, "avih"))
        return refuse(patchMessage(1));
    if (l.avihSize < 0 || !src.contains(l.s0, 24)) return refuse(patchMessage(7));
    if (!expectText(src, base, l.s0, "LIST") || !expectText(src, base, l.s0 + 8, "strl") ||
        !expectText(src, base, l.s0 + 12, "strh") || !expectText(src, base, l.s0 + 20, "vids"))
        return refuse(patchMessage(1));
    l.strlSize = src.i32(l.s0 + 4).value_or(0);
    return std::nullopt;
}

bool writeAll(PatchIo& io, int fd, std::int64_t pos, const std::vector<std::uint8_t>& b) {
    std::size_t done = 0;
    while (done < b.size()) {
        ssize_t n = io.pwrite(fd, b.data() + done, b.size() - done, pos + static_cast<std::int64_t>(done));
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool readAll(PatchIo& io, int fd, std::int64_t pos, std::vector<std::uint8_t>& b) {
    std::size_t done = 0;
    while (done < b.size()) {
        ssize_t n = io.pread(fd, b.data() + done, b.size() - done, pos + static_cast<std::int64_t>(done));
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

ssize_t PatchIo::pwrite(int fd, const void* data, std::size_t len, std::int64_t pos) {
    return writeAllAt(fd, data, len, pos) ? static_cast<ssize_t>(len) : -1;
}
ssize_t PatchIo::pread(int fd, void* data, std::size_t len, std::int64_t pos) { return ::pread(fd, data, len, static_cast<off_t>(pos)); }
int PatchIo::fsync(int fd) { return ::fsync(fd); }

PatchOutcome applyPatch(const PatchBase& base, const std::vector<PatchWrite>& writes) {
    PatchIo io;
    return applyPatch(base, writes, io);
}

PatchOutcome applyPatch(const PatchBase& base, const std::vector<PatchWrite>& writes, PatchIo& io) {
    PatchOutcome out;
    auto fail = [&](int key) {
        out.messages.push_back(patchMessage(key));
        return out;
    };
    struct stat st {};
    if (::stat(base.path.c_str(), &st) != 0) return fail(2);
    // A file marked read-only is the user's word, even for root, who could write it regardless.
    if ((st.st_mode & 0222) == 0) return fail(3);
    int fd = openRegular(base.path, O_RDWR);
    if (fd < 0) return fail(3);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0 || st.st_size != base.fileSize) return fail(2);
    for (const auto& e : base.layout) {
        std::vector<std::uint8_t> now(e.bytes.size());
        if (!readAll(io, fd, e.pos, now) || now != e.bytes) return fail(2);
    }
    for (const auto& w : writes) {
        std::vector<std::uint8_t> now(w.oldBytes.size());
        if (w.oldBytes.size() != w.newBytes.size() || w.pos < 0 || w.pos + std::int64_t(w.newBytes.size()) > base.fileSize)
            return fail(1);
        if (!readAll(io, fd, w.pos, now) || now != w.oldBytes) return fail(2);
    }
    bool changes = false;
    for (const auto& w : writes) changes = changes || w.oldBytes != w.newBytes;
    if (!changes) {
        out.ok = true;  // the file already holds these values: nothing to write
        return out;
    }
    bool good = true;
    for (const auto& w : writes)
        if (w.oldBytes != w.newBytes) good = good && writeAll(io, fd, w.pos, w.newBytes);
    good = good && io.fsync(fd) == 0;
    for (const auto& w : writes) {
        std::vector<std::uint8_t> back(w.newBytes.size());
        good = good && readAll(io, fd, w.pos, back) && back == w.newBytes;
    }
    if (!good) {
        // Put back what was there; the length never changed, so the file is as it was.
        for (const auto& w : writes) writeAll(io, fd, w.pos, w.oldBytes);
        io.fsync(fd);
        return fail(6);
    }
    out.ok = true;
    out.modified = true;
    return out;
}

// ---- FourCC changer -------------------------------------------------------------------------
std::optional<std::string> fourccPresetCode(std::string_view code) {
    for (const auto& p : kFourccPresets)
        if (iequals(p.code, code) || p.entry == code) return std::string(p.code);
    return std::nullopt;
}

OpenOutcome openFourcc(const std::string& path, FourccSession& s) {
    s = {};
    s.base.path = path;
    FileSource src(path);
    Layout l;
    if (auto refusal = readLayout(src, s.base, l)) return *refusal;
    s.handlerPos = l.s0 + 24;
    auto strhSize16 = src.read(l.s0 + 16, 2);
    auto handler = src.fourcc(s.handlerPos);
    if (!strhSize16 || !handler) return refuse(patchMessage(7));
    const std::int64_t strhSize = static_cast<std::int16_t>((*strhSize16)[0] | (*strhSize16)[1] << 8);
    s.formatPos = l.s0 + 20 + strhSize;
    if (!expectText(src, s.base, s.formatPos, "strf")) return refuse(patchMessage(1));
    auto compression = src.fourcc(s.formatPos + kStrfCompressionOffset + 4);
    if (!compression) return refuse(patchMessage(7));
    s.handler = *handler;
    s.compression = *compression;
    auto row = fw::codecdb::check_video(s.compression);
    s.currentLine = printableCode(s.compression) + " / " + printableCode(s.handler);
    // A zero compression field (BI_RGB, what ffmpeg writes for raw video) is uncompressed, as "DIB " is.
    if (s.handler == "DIB " || isUncompressed(s.compression)) {
        s.codecLine = LangText("AviDetector", 30);
        s.currentLine = printableCode(s.handler);
    } else if (row) {
        s.codecLine = row->codec();
    } else {
        s.currentLine = printableCode(s.handler);
        s.codecLine = printableCode(s.compression);
    }
    return {true, {}};
}

PatchOutcome saveFourcc(const FourccSession& s, const std::string& code) {
    if (code.size() != 4) {
        return patchRefusal(8);
    }
    return applyPatch(s.base, {{s.handlerPos, bytesOf(s.handler), bytesOf(code)},
                               {s.formatPos + kStrfCompressionOffset + 4, bytesOf(s.compression), bytesOf(code)}});
}

// ---- Frame-rate changer ---------------------------------------------------------------------
std::optional<double> ratePreset(std::string_view text) {
    // "23.976", "23.976 fps" or the whole entry: the number decides.
    auto v = parseNumber(trim(ireplace(text, "fps", "")));
    if (!v) return std::nullopt;
    for (const auto& p : kRatePresets)
        if (std::fabs(p.rate - *v) < 1e-9) return p.rate;
    return std::nullopt;
}

OpenOutcome openFps(const std::string& path, FpsSession& s) {
    s = {};
    s.base.path = path;
    FileSource src(path);
    Layout l;
    if (auto refusal = readLayout(src, s.base, l)) return *refusal;
    s.avihSize = l.avihSize;
    // The rate fields sit at fixed offsets only when the main header is 56 bytes.
    if (s.avihSize != 56) return refuse(patchMessage(4));
    auto mspf = src.i32(32), frames = src.i32(48), w = src.i32(64), h = src.i32(68);
    auto scale = src.u32(kFpsScalePos), rate = src.u32(kFpsRatePos);
    if (!mspf || !frames || !w || !h || !scale || !rate) return refuse(patchMessage(7));
    s.microSecPerFrame = *mspf;
    s.totalFrames = *frames;
    s.width = *w;
    s.height = *h;
    s.scale = *scale;
    s.rate = *rate;
    if (s.scale == 0 || s.rate == 0) return refuse(patchMessage(5));
    s.base.layout.push_back({kFpsRatePos, le32(s.rate)});
    return {true, {}};
}

std::uint32_t proposedScale(const FpsSession& s, double rate) {
    double v = roundHalfEven(double(s.rate) / rate, 0);
    if (v < 1) v = 1;
    if (v > 4294967295.0) v = 4294967295.0;
    return static_cast<std::uint32_t>(v);
}

PatchOutcome saveFps(const FpsSession& s, std::uint32_t newScale) {
    if (newScale == 0) {
        return patchRefusal(5);
    }
    return applyPatch(s.base, {{kFpsScalePos, le32(s.scale), le32(newScale)}});
}

// ---- Audio/video synchronizer ---------------------------------------------------------------
OpenOutcome openSync(const std::string& path, SyncSession& s) {
    s = {};
    s.base.path = path;
    FileSource src(path);
    Layout l;
    if (auto refusal = readLayout(src, s.base, l)) return *refusal;
    s.t1 = l.s0 + 20;
    const std::int64_t l1 = l.s0 + 8 + std::int64_t(l.strlSize);
    s.t2 = l1 + 20;
    // A video-only file, or one whose second stream is not audio, has nothing to synchronise.
    if (auto streams = src.i32(56); streams && *streams < 2) return refuse(patchMessage(10));
    if (!src.contains(l1, 64)) return refuse(patchMessage(7));
    if (!expectText(src, s.base, l1, "LIST") || !expectText(src, s.base, l1 + 8, "strl") ||
        !expectText(src, s.base, l1 + 12, "strh"))
        return refuse(patchMessage(1));
    if (!expectText(src, s.base, s.t2, "auds")) return refuse(patchMessage(10));
    auto mspf = src.i32(32), frames = src.i32(48), w = src.i32(64), h = src.i32(68);
    auto vScale = src.u32(s.t1 + kStrhScaleOffset - 4), vRate = src.u32(s.t1 + kStrhRateOffset - 4);
    auto aScale = src.u32(s.t2 + kStrhScaleOffset - 4);
    auto aRate = src.u32(s.t2 + kStrhRateOffset - 4), aLength = src.u32(s.t2 + kStrhLengthOffset - 4);
    auto aSample = src.read(s.t2 + kStrhSampleSizeOffset - 4, 2);
    auto aStrh = src.i32(l1 + 16);
    if (!mspf || !frames || !w || !h || !vScale || !vRate || !aScale || !aRate || !aLength || !aSample || !aStrh)
        return refuse(patchMessage(7));
    s.microSecPerFrame = *mspf;
    s.totalFrames = *frames;
    s.frames = std::uint32_t(*frames);  // a count: 0xFFFFFFFF frames is not -1 frames
    s.width = *w;
    s.height = *h;
    s.videoScale = *vScale;
    s.videoRate = *vRate;
    s.headerRead = true;
    s.audioScale = *aScale;
    s.audioRate = *aRate;
    s.audioLength = *aLength;
    s.audioSampleSize = static_cast<std::uint16_t>((*aSample)[0] | (*aSample)[1] << 8);
    // Every input of the proposal is checked again when saving.
    s.base.layout.push_back({48, le32(static_cast<std::uint32_t>(*frames))});
    s.base.layout.push_back({s.t2 + kStrhScaleOffset - 4, le32(s.audioScale)});
    s.base.layout.push_back({s.t2 + kStrhRateOffset - 4, le32(s.audioRate)});
    s.base.layout.push_back({s.t2 + kStrhLengthOffset - 4, le32(s.audioLength)});
    s.base.layout.push_back({s.t2 + kStrhSampleSizeOffset - 4, *aSample});
    const std::int64_t strfPos = l1 + 20 + std::int64_t(*aStrh);
    if (expectText(src, s.base, strfPos, "strf")) {
        if (auto avg = src.u32(strfPos + 16)) {
            s.audioAvgBytes = *avg;
            s.base.layout.push_back({strfPos + 16, le32(*avg)});
        }
    }
    auto scan = scanAvi(path, true);
    const bool indexed = scan && scan->indexRead && scan->streamTotals.size() > 1;
    // A sample size of 0 is the variable-bitrate convention, but ffmpeg writes constant-rate MP3
    // and AC-3 that way too, frame-counted: those have a running time the header gives exactly.
    bool constant = s.audioSampleSize != 0;
    if (!constant && scan && scan->streamHeaders[0] && scan->streamFormats[0])
        constant = constantBitrate(*scan->streamHeaders[0], *scan->streamFormats[0],
                                   indexed ? std::optional<std::int64_t>(scan->streamTotals[1].bytes) : std::nullopt);
    if (!constant) return refuse(Message::lang("SynchronizerMsgBox", 1, Icon::Information, LangText("FormCaptions", 13)));
    if (s.videoScale == 0 || s.videoRate == 0 || s.audioRate == 0 || s.audioScale == 0) return refuse(patchMessage(5));

    // The main header counts the first RIFF of an OpenDML file only; the video stream's length
    // counts them all.
    if (scan && scan->openDml && scan->totalFrames > 0) {
        s.frames = scan->totalFrames;
        s.base.layout.push_back({s.t1 + kStrhLengthOffset - 4, le32(static_cast<std::uint32_t>(s.frames))});
    }
    s.videoSeconds = double(s.videoScale) / s.videoRate * double(s.frames);
    // dwLength counts units of dwScale / dwRate seconds, whichever way the writer counted: bytes
    // (byte-counted MP3), blocks (ffmpeg's and mencoder's PCM) or the classic PCM convention.
    s.audioSeconds = double(s.audioLength) * s.audioScale / s.audioRate;
    if (indexed && s.audioAvgBytes > 0) {
        s.indexSeconds = double(scan->streamTotals[1].bytes) / s.audioAvgBytes;
        if (std::fabs(*s.indexSeconds - s.audioSeconds) > 1.0) {
            Message m = Message::lang("AviPatchMsgBox", 9, Icon::Exclamation, LangText("FormCaptions", 13));
            m.suffix = " " + numberText(roundHalfEven(s.audioSeconds, 3)) + " / " + numberText(roundHalfEven(*s.indexSeconds, 3));
            return refuse(m);
        }
    }
    s.inSync = !(s.videoSeconds - s.audioSeconds > 0.001) || s.audioSeconds <= 0;
    if (!s.inSync) {
        double r = roundHalfEven(100000.0 / s.audioSeconds * double(s.frames), 0);
        if (r < 1 || r > 4294967295.0) return refuse(patchMessage(5));
        s.newRate = static_cast<std::uint32_t>(r);
    }
    return {true, {}};
}

PatchOutcome saveSync(const SyncSession& s) {
    if (s.inSync || s.newRate == 0) {
        PatchOutcome o;
        o.ok = true;  // nothing proposed, nothing to write
        return o;
    }
    return applyPatch(s.base, {{s.t1 + kStrhScaleOffset - 4, le32(s.videoScale), le32(s.newScale)},
                               {s.t1 + kStrhRateOffset - 4, le32(s.videoRate), le32(s.newRate)}});
}

}  // namespace fw::avi
