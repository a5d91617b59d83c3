#include "core/stats/stats_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "core/avi/file_source.h"
#include "core/common/atomic_file.h"
#include "core/common/file_io.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "fw/version.h"

namespace fw::stats {

using fw::avi::FileSource;

namespace {

// Records are read this many at a time: one read per block, never one per frame.
constexpr std::size_t kBlockRecords = 16384;

double rnd(double x, int d = 0) { return roundHalfEven(x, d); }
std::string num(double x) { return numberText(x); }

template <typename T>
T load(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Calls fn(i, record) for every record from the first, reading the file in large blocks.
// Returns false when the progress callback asked to stop.
template <typename Fn>
bool forEachRecord(const FileSource& src, std::int64_t m, Progress& progress, Fn&& fn) {
    std::int64_t i = 0;
    // One buffer for every block: no allocation and no zeroing per block.
    std::vector<std::uint8_t> block(static_cast<std::size_t>(std::min<std::int64_t>(kBlockRecords, std::max<std::int64_t>(m, 1))) * kRecordSize);
    while (i < m) {
        const std::int64_t count = std::min<std::int64_t>(kBlockRecords, m - i);
        const std::size_t got = src.readInto(4 + i * std::int64_t(kRecordSize), block.data(), static_cast<std::size_t>(count) * kRecordSize);
        for (std::int64_t k = 0; k < count; ++k) {
            const std::size_t at = static_cast<std::size_t>(k) * kRecordSize;
            const std::size_t len = at < got ? std::min(kRecordSize, got - at) : 0;
            fn(i + k, StatsRecord::parse(len ? block.data() + at : nullptr, len));
        }
        i += count;
        if (!progress.report(static_cast<std::uint64_t>(i), static_cast<std::uint64_t>(m))) return false;
    }
    return true;
}

Message missingFileMessage(const std::string& path) {
    Message m = Message::fixed(LangText("StatsEditorMsgBox", 5) + " '" + path + "' " + LangText("StatsEditorMsgBox", 6) +
                                   "\r\n" + LangText("StatsEditorMsgBox", 7),
                               Icon::Exclamation, LangText("FormCaptions", 6));
    m.text = {"StatsEditorMsgBox", 5};
    return m;
}

}  // namespace

StatsRecord StatsRecord::parse(const std::uint8_t* p, std::size_t len) {
    // A whole record is read where it lies; only a cut-short last one is copied and padded first.
    std::uint8_t padded[kRecordSize];  // zeroed only when used: this runs once a frame
    const std::uint8_t* buf = p;
    if (!p || len < kRecordSize) {
        std::memset(padded, 0, kRecordSize);
        if (p && len) std::memcpy(padded, p, len);
        buf = padded;
    }
    StatsRecord r;
    r.frameSize = load<std::int32_t>(buf + 0);
    r.dk_v = load<std::int32_t>(buf + 4);
    r.dk_u = load<std::int32_t>(buf + 8);
    r.dk_y = load<std::int32_t>(buf + 12);
    r.dd_v = load<std::uint32_t>(buf + 16);
    r.dd_u = load<std::int32_t>(buf + 20);
    r.dd_y = load<std::int32_t>(buf + 24);
    r.mk_u = load<std::int32_t>(buf + 28);
    r.mk_y = load<std::int32_t>(buf + 32);
    r.md_u = load<std::int32_t>(buf + 36);
    r.md_y = load<std::int32_t>(buf + 40);
    r.Quant = load<std::uint32_t>(buf + 44);
    r.kblk = load<std::int32_t>(buf + 48);
    r.mblk = load<std::int32_t>(buf + 52);
    r.ublk = load<std::int32_t>(buf + 56);
    r.Lum_noise = load<double>(buf + 60);
    return r;
}

void StatsRecord::store(std::uint8_t* p) const {
    auto put = [&](std::size_t off, auto v) { std::memcpy(p + off, &v, sizeof v); };
    put(0, frameSize);
    put(4, dk_v);
    put(8, dk_u);
    put(12, dk_y);
    put(16, dd_v);
    put(20, dd_u);
    put(24, dd_y);
    put(28, mk_u);
    put(32, mk_y);
    put(36, md_u);
    put(40, md_y);
    put(44, Quant);
    put(48, kblk);
    put(52, mblk);
    put(56, ublk);
    put(60, Lum_noise);
}

StatsRecord::Special StatsRecord::special() const {
    if (dd_v & kSkipFlag) return Special::Skip;
    if (dd_v & kPadFlag) return Special::Pad;
    if (dd_v & kDelayFlag) return Special::Delay;
    if (dd_v & kCreditsFlag) return Special::Credits;
    return Special::None;
}

std::int64_t frameCount(std::int64_t fileLength) {
    if (fileLength <= 4) return 0;
    return static_cast<std::int64_t>(roundHalfEven(double(fileLength - 4) / double(kRecordSize), 0));
}

double StatsSummary::average() const { return m > 0 ? rnd(T / double(m)) : 0; }

AnalysisResult AnalizeStats(const std::string& path, Progress progress) {
    AnalysisResult res;
    FileSource src(path);
    if (!src.isOpen()) {
        res.messages.push_back(missingFileMessage(path));
        return res;
    }
    auto version = src.i32(0);
    if (!version || *version != kStatsVersion) {
        res.wrongVersion = true;
        res.messages.push_back(Message::lang("StatsEditor", 1, Icon::Exclamation, LangText("FormCaptions", 16)));
        return res;
    }
    StatsSummary& s = res.summary;
    s.fileLength = src.size();
    s.m = frameCount(s.fileLength);
    const bool keep = s.m <= AnalysisResult::kKeptFrames;
    if (keep) {
        res.sizes.reserve(static_cast<std::size_t>(s.m));
        res.types.reserve(static_cast<std::size_t>(s.m));
    }
    bool first = true;
    res.stopped = !forEachRecord(src, s.m, progress, [&](std::int64_t, const StatsRecord& r) {
        const std::int32_t size = r.frameSize;
        if (keep) {
            res.sizes.push_back(size);
            res.types.push_back(r.type());
        }
        s.T += size;
        s.Max = std::max(s.Max, size);
        if (first) {
            s.Min = size;
            s.Bk = std::int64_t(r.kblk) + r.mblk + r.ublk;
            s.Px = s.Bk * 256;
            first = false;
        } else if (size != 0 && size < s.Min) {
            s.Min = size;
        }
        switch (r.type()) {
            case StatsRecord::Type::I:
                ++s.countI;
                s.maxI = std::max(s.maxI, size);
                s.sumI += size;
                break;
            case StatsRecord::Type::B:
                ++s.countB;
                s.maxB = std::max(s.maxB, size);
                s.sumB += size;
                break;
            case StatsRecord::Type::P:
                ++s.countP;
                s.maxP = std::max(s.maxP, size);
                s.sumP += size;
                break;
        }
        switch (r.special()) {
            case StatsRecord::Special::Skip: ++s.skip; break;
            case StatsRecord::Special::Pad: ++s.pad; break;
            case StatsRecord::Special::Delay: ++s.delay; break;
            case StatsRecord::Special::Credits: s.credits += 1; break;
            case StatsRecord::Special::None: break;
        }
        s.sumK += r.kblk;
        s.sumM += r.mblk;
        s.sumU += r.ublk;
    });
    if (res.stopped) return res;
    res.display = displayTexts(s);
    res.ok = true;
    return res;
}

StatsDisplay displayTexts(const StatsSummary& s) {
    StatsDisplay d;
    auto ratio = [](double a, double b) { return b != 0 ? a / b : 0.0; };
    const double avg = ratio(s.T, double(s.m));
    d.special = num(double(s.skip)) + "/" + num(double(s.pad)) + "/" + num(double(s.delay));
    d.max = num(s.Max);
    d.min = num(s.Min);
    d.iFrames = num(double(s.countI));
    d.pFrames = num(double(s.countP));
    d.bFrames = num(double(s.countB));
    d.totalKB = num(rnd(s.T / 1024));
    d.px = num(double(s.Px));
    d.bpp = formatPattern(rnd(ratio(8 * avg, double(s.Px)), 3), ".###");
    d.maxI = num(s.maxI);
    d.avgI = num(rnd(ratio(s.sumI, double(s.countI))));
    d.maxP = num(s.maxP);
    d.avgP = num(rnd(ratio(s.sumP, double(s.countP))));
    if (s.maxB == 0) {
        d.maxB = "No B-Frame";
        d.avgPB = d.avgP;
    } else {
        d.maxB = num(s.maxB);
        d.avgB = num(rnd(ratio(s.sumB, double(s.countB))));
        d.avgPB = num(rnd(ratio(s.sumP + s.sumB, double(s.countP + s.countB))));
    }
    d.avgFrame = num(rnd(avg));
    d.maxVsAvg = num(rnd(ratio(100.0 * s.Max, avg))) + " %";
    d.minBelowAvg = num(rnd(100 - ratio(100.0 * s.Min, avg))) + " %";
    const double blocks = double(s.m) * double(s.Bk);
    d.moved = num(rnd(ratio(100 * s.sumM, blocks), 3));
    d.unchanged = num(rnd(ratio(100 * s.sumU, blocks), 3));
    d.key = num(rnd(ratio(100 * s.sumK, blocks), 3));
    return d;
}

std::optional<StatsRecord> readFrame(const std::string& path, std::int64_t n) {
    FileSource src(path);
    if (!src.isOpen() || n < 1 || n > frameCount(src.size())) return std::nullopt;
    auto bytes = src.readUpTo(4 + (n - 1) * std::int64_t(kRecordSize), kRecordSize);
    return StatsRecord::parse(bytes.data(), bytes.size());
}

std::string frameDetails(const StatsRecord& r) {
    const char* nl = "\r\n";
    std::string t = LangText("StatsEditor", 23) + " " + std::to_string(r.frameSize) + nl;
    const std::pair<const char*, std::string> lines[] = {
        {"dk_v = ", std::to_string(r.dk_v)},   {"dk_u = ", std::to_string(r.dk_u)},   {"dk_y = ", std::to_string(r.dk_y)},
        {"dd_v = ", std::to_string(r.dd_v)},   {"dd_u = ", std::to_string(r.dd_u)},   {"dd_y = ", std::to_string(r.dd_y)},
        {"mk_u = ", std::to_string(r.mk_u)},   {"mk_y = ", std::to_string(r.mk_y)},   {"md_u = ", std::to_string(r.md_u)},
        {"md_y = ", std::to_string(r.md_y)},   {"Quant = ", std::to_string(r.Quant)}, {"kblk = ", std::to_string(r.kblk)},
        {"mblk = ", std::to_string(r.mblk)},   {"ublk = ", std::to_string(r.ublk)},   {"Lum_noise = ", num(r.Lum_noise)},
    };
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        t += lines[i].first + lines[i].second;
        if (i + 1 < std::size(lines)) t += nl;
    }
    return t;
}

std::string specialWord(const StatsRecord& r) {
    switch (r.special()) {
        case StatsRecord::Special::Skip: return "Skip Frame";
        case StatsRecord::Special::Pad: return "Pad Frame";
        case StatsRecord::Special::Delay: return "Delay Frame";
        case StatsRecord::Special::Credits: return "Credit Frame";
        default: return "";
    }
}

FrameKind frameKind(const StatsRecord& r) {
    if (r.Quant == kForcedKeyQuant) return {"Intra-Frame (I)", 192};
    // The B test looks at the record shown, not at the one the analysis read last.
    if (r.dd_v == kBFrameFlag && r.BFrame()) return {"Bidir-Frame (B)", 0x80FF80};
    return {"Inter-Frame (P)", 0xC00000};
}

std::array<bool, 6> stepButtons(std::int64_t n, std::int64_t m) {
    std::array<bool, 6> on{};
    const std::int64_t steps[3] = {1, 10, 100};
    for (int k = 0; k < 3; ++k) {
        on[static_cast<std::size_t>(k)] = n + steps[k] <= m;
        on[static_cast<std::size_t>(k + 3)] = n - steps[k] > 0;
    }
    return on;
}

namespace {
// The curve's columns and the distribution, one frame at a time.
class CurveBuilder {
public:
    CurveBuilder(double average, std::int32_t Max, std::int32_t Min, std::int64_t frames, std::size_t maxColumns) {
        c.average = average;
        c.Max = Max;
        c.Min = Min;
        c.frames = frames;
        const std::size_t cols = static_cast<std::size_t>(std::min<std::int64_t>(frames, std::int64_t(std::max<std::size_t>(maxColumns, 1))));
        c.columns.assign(cols, {});
        filled.assign(cols, 0);
        nextFirst = firstOf(1);
    }
    // Frames come in order: frame i falls in column i * columns / frames, so the column moves on
    // when i reaches the first frame of the next (no division per frame).
    void add(std::int64_t i, std::int32_t size, StatsRecord::Type type) {
        auto rank = [](StatsRecord::Type t) { return t == StatsRecord::Type::I ? 2 : t == StatsRecord::Type::B ? 1 : 0; };
        while (i >= nextFirst && col + 1 < c.columns.size()) nextFirst = firstOf(++col + 1);
        CurveColumn& cc = c.columns[col];
        if (!filled[col] || size > cc.size) cc.size = std::max(cc.size, size);
        if (!filled[col] || rank(type) > rank(cc.type)) cc.type = type;
        filled[col] = true;
        const double s = size;
        const double average = c.average;
        if (average <= 0) return;
        Distribution& d = c.distribution;
        if (s < average) {
            d.below[static_cast<std::size_t>(std::clamp<double>(std::floor(10 * s / average), 0, 9))] += 1;
            ++d.countBelow;
        } else if (s == average) {
            ++d.countEqual;
        } else {
            d.above[static_cast<std::size_t>(std::min<double>(std::floor(1.5 * s / average), 11))] += 1;
            ++d.countAbove;
        }
    }
    CurveResult finish() {
        // One line per bucket, the highest above-average bucket first; above bucket 0 cannot be
        // reached (a frame above the average gives at least 1), so 21 lines with keys 2 to 22.
        Distribution& d = c.distribution;
        int key = 2;
        for (int b = 11; b >= 1; --b, ++key) {
            if (!d.text.empty()) d.text += "\r\n";
            d.text += LangText("StatsEditor", key) + " " + num(d.above[static_cast<std::size_t>(b)]);
        }
        for (int b = 9; b >= 0; --b, ++key) d.text += "\r\n" + LangText("StatsEditor", key) + " " + num(d.below[static_cast<std::size_t>(b)]);
        return std::move(c);
    }

private:
    // The first frame i with i * columns / frames >= k.
    std::int64_t firstOf(std::size_t k) const {
        const auto cols = std::int64_t(c.columns.size());
        return cols ? (std::int64_t(k) * c.frames + cols - 1) / cols : 0;
    }
    CurveResult c;
    std::vector<char> filled;
    std::size_t col = 0;
    std::int64_t nextFirst = 0;
};
}  // namespace

CurveResult ScaleCurve(const std::string& path, double average, std::int32_t Max, std::int32_t Min,
                       std::size_t maxColumns, Progress progress) {
    FileSource src(path);
    if (!src.isOpen()) {
        CurveResult c;
        c.average = average;
        c.Max = Max;
        c.Min = Min;
        return c;
    }
    const std::int64_t frames = frameCount(src.size());
    CurveBuilder b(average, Max, Min, frames, maxColumns);
    forEachRecord(src, frames, progress, [&](std::int64_t i, const StatsRecord& r) { b.add(i, r.frameSize, r.type()); });
    return b.finish();
}

CurveResult ScaleCurve(const std::string& path, const AnalysisResult& a, std::size_t maxColumns, Progress progress) {
    const StatsSummary& s = a.summary;
    if (static_cast<std::int64_t>(a.sizes.size()) != s.m || a.types.size() != a.sizes.size())
        return ScaleCurve(path, s.average(), s.Max, s.Min, maxColumns, std::move(progress));
    CurveBuilder b(s.average(), s.Max, s.Min, s.m, maxColumns);
    for (std::size_t i = 0; i < a.sizes.size(); ++i) b.add(static_cast<std::int64_t>(i), a.sizes[i], a.types[i]);
    progress.report(static_cast<std::uint64_t>(s.m), static_cast<std::uint64_t>(s.m));
    return b.finish();
}

std::string reportFileName(const std::string& chosen, const char* extension) {
    namespace fs = std::filesystem;
    fs::path p(chosen);
    std::string name = p.filename().string();
    std::string clean;
    for (char ch : name)
        if (ch != ' ' && ch != '\0') clean += ch;
    if (clean.size() < std::strlen(extension) || clean.compare(clean.size() - std::strlen(extension), std::string::npos, extension) != 0)
        clean += extension;
    return (p.parent_path() / clean).string();
}

bool writeStatsReport(const std::string& outPath, const std::string& statsPath, const AnalysisResult& a,
                      bool framesTable, const std::string& date, const std::string& time, Progress progress) {
    AtomicFileWriter out(outPath);
    std::string buf;
    auto line = [&](const std::string& s = {}) {
        buf += s;
        buf += "\r\n";
        if (buf.size() > (1 << 20)) {
            out.write(buf.data(), buf.size());
            buf.clear();
        }
    };
    const StatsSummary& s = a.summary;
    const StatsDisplay& d = a.display;
    const std::string boxEdge = "+-------------------------------------+";
    const std::string boxBlank = "|                                     |";
    line(LangText("AviDetector", 32) + " " + statsPath);
    line(LangText("StatsEditor", 36) + " " + kVersionText);
    line(LangText("AviDetector", 34) + " " + date + " " + LangText("AviDetector", 35) + " " + time);
    line();
    line("========================================");
    line();
    line(boxEdge);
    line(boxBlank);
    line("|     " + LangText("StatsEditor", 25) + "    |");
    line(boxBlank);
    line(boxEdge);
    line();
    line(LangText("StatsEditor", 26) + "\t\t" + num(double(s.fileLength)));
    line(LangText("StatsEditor", 27) + "\t\t" + d.totalKB);
    line(LangText("StatsEditor", 28) + "\t\t" + num(double(s.m)));
    line(LangText("StatsEditor", 29) + "\t\t" + d.max);
    line(LangText("StatsEditor", 30) + "\t\t" + d.min);
    line("Pixel/Frame:          " + d.px);
    line("bits*(pixel/frame):   " + d.bpp);
    line("I-Frames:             " + d.iFrames);
    line("P-Frames:             " + d.pFrames);
    line("B-Frames:             " + d.bFrames);
    line();
    line(boxEdge);
    line(boxBlank);
    line("|             Frames Info             |");
    line(boxBlank);
    line(boxEdge);
    line();
    line("Max I-Frames:         " + d.maxI);
    line("Avg I-Frames:         " + d.avgI);
    line("Max P-Frames:         " + d.maxP);
    line("Avg P-Frames:         " + d.avgP);
    line("Max B-Frames:         " + d.maxB);
    line("Avg B-Frames:         " + d.avgB);
    line("Avg P&B-Frames:       " + d.avgPB);
    line();
    bool ok = true;
    if (framesTable) {
        const std::string stars(51, '*');
        const std::string starBlank = "*" + std::string(49, ' ') + "*";
        line(stars);
        line(starBlank);
        line("*   " + LangText("StatsEditor", 31) + "   *");
        line(starBlank);
        line(stars);
        line();
        const bool special = s.skip + s.pad + s.delay > 0;
        std::string header = "No\t\tFrameSize\tFrameType\tKeyblocks\tMoved Blocks\tUnchanged Blocks";
        if (special) header += "\tSpecial Frames";
        line(header);
        line(std::string(special ? 116 : 96, '-'));
        FileSource src(statsPath);
        ok = forEachRecord(src, s.m, progress, [&](std::int64_t i, const StatsRecord& r) {
            const char* type = r.IFrame() ? "I-Frame" : r.BFrame() ? "B-Frame" : "P-Frame";
            std::string row = std::to_string(i) + "\t\t" + std::to_string(r.frameSize) + "\t\t" + type + "\t\t" +
                              std::to_string(r.kblk) + "\t\t" + std::to_string(r.mblk) + "\t\t" + std::to_string(r.ublk);
            if (special) {
                const char* word = "";
                switch (r.special()) {
                    case StatsRecord::Special::Skip: word = "SkipFrame"; break;
                    case StatsRecord::Special::Pad: word = "PadFrame"; break;
                    case StatsRecord::Special::Delay: word = "DelayFrame"; break;
                    default: break;
                }
                row += std::string("\t\t\t") + word;
            }
            line(row);
        });
        line();
    }
    line(LangText("StatsEditor", 32));
    line(LangText("StatsEditor", 33));
    line("https://framewise.example.org/");
    line("N.B." + LangText("StatsEditor", 34));
    line(LangText("StatsEditor", 35));
    out.write(buf.data(), buf.size());
    return ok && out.commit();
}

RescaleResult rescaleStats(const std::string& in, const std::string& out, double targetKB, const StatsSummary& s,
                           Progress progress) {
    RescaleResult res;
    const double current = rnd(s.T / 1024);
    if (!(targetKB > 0)) {
        res.messages.push_back(Message::lang("StatsEditorMsgBox", 26, Icon::Exclamation));
        return res;
    }
    // Frames that add up to less than half a kilobyte round to 0 KB: no ratio can be taken.
    if (current <= 0) {
        res.messages.push_back(Message::lang("StatsEditorMsgBox", 29, Icon::Exclamation));
        return res;
    }
    // Frame sizes are 32-bit fields: a target that would grow the largest frame past them is refused.
    if (!std::isfinite(targetKB) || double(s.Max) * (targetKB / current) > 2147483647.0) {
        res.messages.push_back(Message::lang("StatsEditorMsgBox", 30, Icon::Exclamation));
        return res;
    }
    res.r = targetKB / current;
    res.ratio = rnd(current / targetKB, 3);
    FileSource src(in);
    auto version = src.read(0, 4);
    if (!version) {
        res.messages.push_back(Message::fixed(LangText("StatsEditorMsgBox", 5) + " '" + in + "' " + LangText("StatsEditorMsgBox", 6),
                                              Icon::Exclamation));
        return res;
    }
    AtomicFileWriter w(out);
    w.write(version->data(), 4);
    std::vector<std::uint8_t> buf;
    buf.reserve(kBlockRecords * kRecordSize);
    const double Min = s.Min;
    bool ok = forEachRecord(src, s.m, progress, [&](std::int64_t, const StatsRecord& rec) {
        StatsRecord r = rec;
        const double size = r.frameSize;
        if (size <= Min) {
            res.A += Min - size * res.r;
            ++res.u;
        } else {
            double scaled = rnd(size * res.r);
            if (scaled < Min) {
                res.B += Min - scaled;
                scaled = Min;
                ++res.c;
            }
            r.frameSize = static_cast<std::int32_t>(std::clamp(scaled, -2147483648.0, 2147483647.0));
        }
        std::uint8_t bytes[kRecordSize];
        r.store(bytes);
        buf.insert(buf.end(), bytes, bytes + kRecordSize);
        if (buf.size() >= kBlockRecords * kRecordSize) {
            w.write(buf.data(), buf.size());
            buf.clear();
        }
    });
    w.write(buf.data(), buf.size());
    if (!ok || !w.commit()) {
        res.messages.push_back(Message::lang("StatsEditorMsgBox", 27, Icon::Critical));
        return res;
    }
    res.ok = true;
    auto k = [](int key) { return LangText("StatsEditorMsgBox", key); };
    // The target with its unit, and "1 frame" said as one.
    res.closingText = k(9) + in + k(10) + num(targetKB) + " KB\r\n" + k(11) + num(rnd(res.r * 100, 3)) + "% (" + num(res.ratio) +
                      ":1)\r\n" + "- " + num(double(res.u)) + (res.u == 1 ? k(32) : k(12)) + num(rnd(res.A)) + k(13) + "\r\n" + "- " +
                      num(double(res.c)) + (res.c == 1 ? k(33) : k(14)) + num(rnd(res.B)) + k(15);
    res.messages.push_back(Message::fixed(res.closingText, Icon::Information, k(16)));
    return res;
}

KeyFrameResult insertKeyFrame(const std::string& path, std::int64_t n, KeySize size, double custom,
                              const StatsSummary& s) {
    KeyFrameResult res;
    const std::string title = LangText("FormCaptions", 6);
    FileSource src(path);
    const std::int64_t m = src.isOpen() ? frameCount(src.size()) : 0;
    if (n < 1 || n > m) {
        res.messages.push_back(Message::lang("StatsEditorMsgBox", 17, Icon::Critical, title));
        return res;
    }
    // A frame size is a 32-bit field: a custom size beyond it is refused, not cut down.
    if (size == KeySize::Custom && !(std::isfinite(custom) && rnd(custom) <= 2147483647.0)) {
        res.messages.push_back(Message::lang("StatsEditorMsgBox", 31, Icon::Exclamation, title));
        return res;
    }
    const std::int64_t offset = 4 + (n - 1) * std::int64_t(kRecordSize);
    auto bytes = src.readUpTo(offset, kRecordSize);
    // A last record cut short by the end of the file has no room for the key-frame flag.
    if (bytes.size() < kRecordSize) {
        res.messages.push_back(Message::fixed(LangText("StatsEditorMsgBox", 19) + " " + std::to_string(n) + " " +
                                                  LangText("StatsEditorMsgBox", 28),
                                              Icon::Exclamation, title));
        return res;
    }
    StatsRecord r = StatsRecord::parse(bytes.data(), bytes.size());
    if (r.Quant == kForcedKeyQuant) {
        res.ok = true;
        res.messages.push_back(Message::fixed(LangText("StatsEditorMsgBox", 19) + " " + std::to_string(n) + " " +
                                                  LangText("StatsEditorMsgBox", 20),
                                              Icon::Information, title));
        return res;
    }
    // The backup is written first and takes its place once the change is made, so a failure
    // at any point leaves the stats file and any earlier backup as they were.
    const std::string backup = (std::filesystem::path(path).parent_path() / "StatsReader.bak").string();
    AtomicFileWriter backupWriter(backup);
    if (!copyFileInto(path, backupWriter)) {
        res.messages.push_back(Message::lang("StatsEditorMsgBox", 27, Icon::Critical, title));
        return res;
    }
    r.kblk = r.allBlocks();
    bool raised = false;
    switch (size) {
        case KeySize::LargestI: r.frameSize = s.maxI; break;
        case KeySize::AverageI: r.frameSize = static_cast<std::int32_t>(s.countI ? rnd(s.sumI / double(s.countI)) : 0); break;
        case KeySize::Custom:
            if (custom >= s.Min) {
                r.frameSize = static_cast<std::int32_t>(std::clamp(rnd(custom), 0.0, 2147483647.0));
            } else {
                r.frameSize = s.Min;
                raised = true;
            }
            break;
        case KeySize::Keep: break;
    }
    r.Quant = kForcedKeyQuant;
    std::uint8_t out[kRecordSize];
    r.store(out);
    // The whole file is written anew and renamed over the old: a failing disk leaves it as it was.
    const bool ok = fw::rewriteWithPatches(path, {{static_cast<std::int64_t>(offset), std::string(reinterpret_cast<const char*>(out), bytes.size())}}) &&
                    backupWriter.commit();
    if (!ok) {
        res.messages.push_back(Message::lang("StatsEditorMsgBox", 27, Icon::Critical, title));
        return res;
    }
    res.ok = true;
    res.modified = true;
    if (raised)
        res.messages.push_back(Message::fixed(LangText("StatsEditorMsgBox", 21) + "\r\n" + LangText("StatsEditorMsgBox", 22),
                                              Icon::Information, LangText("StatsEditorMsgBox", 23)));
    return res;
}

std::optional<std::pair<std::vector<std::int64_t>, std::int64_t>> keyFrameNumbers(const std::string& path, Progress progress) {
    FileSource src(path);
    if (!src.isOpen()) return std::nullopt;
    auto version = src.i32(0);
    if (!version || *version != kStatsVersion) return std::nullopt;
    const std::int64_t m = frameCount(src.size());
    std::vector<std::int64_t> keys;
    if (!forEachRecord(src, m, progress, [&](std::int64_t i, const StatsRecord& r) {
            if (r.IFrame()) keys.push_back(i);
        }))
        return std::nullopt;
    return std::make_pair(std::move(keys), m);
}

}  // namespace fw::stats
