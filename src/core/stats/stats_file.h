#pragma once
// XviD first-pass statistics files: a version word (-20) and one 68-byte record per frame. The
// analysis, the frame browser, the curve and distribution, the report, rescaling to a target size
// and key-frame insertion all work on the file in large blocks, in bounded memory.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/common/message.h"
#include "core/common/progress.h"

namespace fw::stats {

inline constexpr std::int32_t kStatsVersion = -20;
inline constexpr std::size_t kRecordSize = 68;
inline constexpr std::uint32_t kKeyFrameFlag = 0x80000000u;
inline constexpr std::uint32_t kBFrameFlag = 0x40000000u;
inline constexpr std::uint32_t kSkipFlag = 0x20000000u;
inline constexpr std::uint32_t kPadFlag = 0x10000000u;
inline constexpr std::uint32_t kDelayFlag = 0x08000000u;
inline constexpr std::uint32_t kCreditsFlag = 0x04000000u;
inline constexpr std::uint32_t kForcedKeyQuant = 0x80000002u;  // key frame at quantiser 2

struct StatsRecord {
    std::int32_t frameSize = 0;
    std::int32_t dk_v = 0, dk_u = 0, dk_y = 0;
    std::uint32_t dd_v = 0;
    std::int32_t dd_u = 0, dd_y = 0, mk_u = 0, mk_y = 0, md_u = 0, md_y = 0;
    std::uint32_t Quant = 0;
    std::int32_t kblk = 0, mblk = 0, ublk = 0;
    double Lum_noise = 0;

    // A record cut short by the end of the file reads its missing bytes as zeros.
    static StatsRecord parse(const std::uint8_t* p, std::size_t len);
    void store(std::uint8_t* p) const;

    std::uint32_t QuantSize() const { return Quant & 0x0FFFFFFFu; }
    bool IFrame() const { return (Quant & kKeyFrameFlag) != 0; }
    bool PFrame() const { return !IFrame(); }
    bool BFrame() const { return (dd_v & kBFrameFlag) != 0; }
    enum class Type : std::uint8_t { I, P, B };
    Type type() const { return IFrame() ? Type::I : BFrame() ? Type::B : Type::P; }
    enum class Special { None, Skip, Pad, Delay, Credits };
    Special special() const;
    // The blocks of a frame made a key frame, all counted as intra blocks. Hostile counts wrap as
    // the 32-bit field would, instead of overflowing.
    std::int32_t allBlocks() const {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(kblk) + static_cast<std::uint32_t>(mblk) + static_cast<std::uint32_t>(ublk));
    }
};

// (length - 4) / 68 rounded half to even: a tail of more than 34 bytes counts as a short frame, one
// of exactly 34 only after an odd number of whole records.
std::int64_t frameCount(std::int64_t fileLength);

// Summary of one pass over every record.
struct StatsSummary {
    std::int64_t fileLength = 0;
    std::int64_t m = 0;
    double T = 0;
    std::int32_t Max = 0, Min = 0;
    std::int64_t countI = 0, countP = 0, countB = 0;
    std::int32_t maxI = 0, maxP = 0, maxB = 0;
    double sumI = 0, sumP = 0, sumB = 0;
    std::int64_t skip = 0, pad = 0, delay = 0;
    double credits = 0;
    std::int64_t Bk = 0, Px = 0;
    double sumK = 0, sumM = 0, sumU = 0;
    double average() const;  // Round(T / m)
};

// Every text the summary shows, as the window and the report show them.
struct StatsDisplay {
    std::string special;  // "skip/pad/delay"
    std::string max, min, iFrames, pFrames, bFrames, totalKB, px, bpp;
    std::string maxI, avgI, maxP, avgP, maxB, avgB, avgPB, avgFrame, maxVsAvg, minBelowAvg;
    std::string moved, unchanged, key;
};

struct AnalysisResult {
    bool ok = false;
    bool wrongVersion = false;
    bool stopped = false;
    StatsSummary summary;
    StatsDisplay display;
    Messages messages;
    // Each frame's size and type, kept for the curve that follows the analysis so the file is
    // read once: 5 bytes a frame, for files of up to kKeptFrames frames (20 MB); empty above,
    // where the curve reads the file again.
    static constexpr std::int64_t kKeptFrames = 4 << 20;
    std::vector<std::int32_t> sizes;
    std::vector<StatsRecord::Type> types;
};

AnalysisResult AnalizeStats(const std::string& path, Progress progress = {});
StatsDisplay displayTexts(const StatsSummary& s);

// ---- frame browser ---------------------------------------------------------------------------
std::optional<StatsRecord> readFrame(const std::string& path, std::int64_t n);  // 1-based
// The details box: key 23's label and the size, then one "name = value" line per field, CR LF.
std::string frameDetails(const StatsRecord& r);
std::string specialWord(const StatsRecord& r);  // "Skip Frame"... or "" when none matches
struct FrameKind {
    std::string text;
    std::uint32_t colour;  // 0x00BBGGRR
};
FrameKind frameKind(const StatsRecord& r);
// Which of the six step buttons (+1, +10, +100, -1, -10, -100) are enabled at frame n of m.
std::array<bool, 6> stepButtons(std::int64_t n, std::int64_t m);

// ---- curve and distribution ------------------------------------------------------------------
struct CurveColumn {
    std::int32_t size = 0;  // the largest frame of the column
    StatsRecord::Type type = StatsRecord::Type::P;  // I wins over B over P when a column holds several
};
struct Distribution {
    std::array<double, 12> above{};
    std::array<double, 10> below{};
    std::int64_t countBelow = 0, countEqual = 0, countAbove = 0;
    std::string text;  // one line per bucket, from above bucket 11 down to below bucket 0, CR LF
};
struct CurveResult {
    std::vector<CurveColumn> columns;  // at most maxColumns; frame i falls in column i * columns / m
    double average = 0;
    std::int32_t Max = 0, Min = 0;
    std::int64_t frames = 0;
    Distribution distribution;
};
CurveResult ScaleCurve(const std::string& path, double average, std::int32_t Max, std::int32_t Min,
                       std::size_t maxColumns = 4096, Progress progress = {});
// The same from an analysis of the file: from the frames it kept, or from the file.
CurveResult ScaleCurve(const std::string& path, const AnalysisResult& a, std::size_t maxColumns = 4096, Progress progress = {});

// ---- report ----------------------------------------------------------------------------------
// Writes the text report (CR LF) with or without the per-frame table.
bool writeStatsReport(const std::string& outPath, const std::string& statsPath, const AnalysisResult& a,
                      bool framesTable, const std::string& date, const std::string& time, Progress progress = {});
// The report's file name: blanks and NULs removed, ".txt" appended.
std::string reportFileName(const std::string& chosen, const char* extension);

// ---- rescaling and key frames ------------------------------------------------------------------
struct RescaleResult {
    bool ok = false;
    double r = 0, ratio = 0;
    double A = 0, B = 0;
    std::int64_t u = 0, c = 0;
    Messages messages;  // the closing information box, or the failure
    std::string closingText;
};
// Writes a copy of `in` whose frame sizes add up to targetKB, through a temporary file and a
// rename (an existing longer file is replaced whole).
RescaleResult rescaleStats(const std::string& in, const std::string& out, double targetKB, const StatsSummary& s,
                           Progress progress = {});

enum class KeySize { LargestI, AverageI, Custom, Keep };
struct KeyFrameResult {
    bool ok = false;
    bool modified = false;
    Messages messages;
};
// The frame numbers (from 0) of a first-pass file's I-frames and its frame count; nothing when
// the file is no stats file of the supported version.
std::optional<std::pair<std::vector<std::int64_t>, std::int64_t>> keyFrameNumbers(const std::string& path, Progress progress = {});

// Makes frame n (1-based) a key frame at quantiser 2, after copying the file to StatsReader.bak.
KeyFrameResult insertKeyFrame(const std::string& path, std::int64_t n, KeySize size, double custom,
                              const StatsSummary& s);

}  // namespace fw::stats
