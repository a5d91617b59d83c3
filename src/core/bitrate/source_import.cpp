#include "core/bitrate/source_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <vector>

#include "core/common/file_io.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::bitrate {

namespace {

constexpr std::size_t kBlock = 4 << 20;
// An INFO file is a page of text; anything far longer is not one.
constexpr std::int64_t kMaxInfoBytes = 16 << 20;

ImportResult failure(ImportKind kind, std::string why) {
    ImportResult r;
    r.kind = kind;
    r.error = std::move(why);
    return r;
}

// Calls onLine for every line of the file (without its CR LF or LF), reading in large blocks, until
// onLine returns false. Returns false when the file cannot be read or the progress asked to stop.
template <typename F>
bool forEachLine(const std::string& path, Progress& progress, F&& onLine, std::int64_t maxBytes = -1) {
    const int fd = openRegular(path, O_RDONLY);
    if (fd < 0) return false;
    struct stat st {};
    ::fstat(fd, &st);
    const auto total = static_cast<std::uint64_t>(st.st_size);
    if (maxBytes >= 0 && st.st_size > maxBytes) {
        ::close(fd);
        return false;
    }
    // A small file gets a buffer its size, not the 4 MB block a large one is read in.
    std::vector<char> buf(static_cast<std::size_t>(std::clamp<std::uint64_t>(total + 1, 4096, kBlock)));
    // A line that runs over the end of a block. No line these files hold comes near 64 KB; a file
    // without line breaks keeps only that much of its one line, not all of it.
    constexpr std::size_t kMaxLine = 64 << 10;
    std::string carry;
    auto keep = [&](std::string_view part) { carry.append(part.substr(0, kMaxLine - std::min(kMaxLine, carry.size()))); };
    std::uint64_t done = 0;
    bool go = true;
    auto emit = [&](std::string_view line) {
        line = line.substr(0, kMaxLine);  // the same cut wherever the line falls in the blocks
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return onLine(line);
    };
    while (go) {
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        done += static_cast<std::uint64_t>(n);
        std::string_view block(buf.data(), static_cast<std::size_t>(n));
        std::size_t pos = 0;
        while (go) {
            const std::size_t nl = block.find('\n', pos);
            if (nl == std::string_view::npos) {
                keep(block.substr(pos));
                break;
            }
            if (carry.empty()) {
                go = emit(block.substr(pos, nl - pos));
            } else {
                keep(block.substr(pos, nl - pos));
                go = emit(carry);
                carry.clear();
            }
            pos = nl + 1;
        }
        if (go && !progress.report(done, total)) go = false;
    }
    ::close(fd);
    if (go && !carry.empty()) emit(carry);
    return go || !progress.stopped();
}

}  // namespace

std::optional<ImportKind> importKindFromText(const std::string& name) {
    if (iequals(name, "info")) return ImportKind::Info;
    if (iequals(name, "d2v")) return ImportKind::D2v;
    if (iequals(name, "stats")) return ImportKind::Stats;
    return std::nullopt;
}

std::optional<ImportKind> importKindForName(const std::string& path) {
    const std::string ext = toLower(std::filesystem::path(path).extension().string());
    if (ext == ".txt") return ImportKind::Info;
    if (ext == ".d2v") return ImportKind::D2v;
    if (ext == ".stats") return ImportKind::Stats;
    return std::nullopt;
}

ImportResult importStats(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return failure(ImportKind::Stats, "the file cannot be read");
    const auto length = static_cast<std::int64_t>(std::filesystem::file_size(path, ec));
    if (ec || length < 4) return failure(ImportKind::Stats, "the file is too short to be a stats file");
    ImportResult r;
    r.ok = true;
    r.kind = ImportKind::Stats;
    // Records of 68 bytes after a 4-byte version word, counted unrounded: a part record shows.
    r.frames = double(length - 4) / 68;
    r.framesText = numberText(*r.frames);
    return r;
}

ImportResult importD2v(const std::string& path, Progress progress) {
    ImportResult r;
    r.kind = ImportKind::D2v;
    enum class Want { FieldOperation, FrameRate, Pictures } want = Want::FieldOperation;
    std::int64_t counts[4] = {0, 0, 0, 0};
    std::string error;
    const bool read = forEachLine(path, progress, [&](std::string_view line) {
        switch (want) {
            case Want::FieldOperation: {
                if (line.find("Field_Operation") == std::string_view::npos) return true;
                auto parts = isplit(ireplace(line, " (0:None 1:ForcedFILM 2:SwapOrder)", ""), "=");
                if (parts.size() < 2) {
                    error = "the Field_Operation line has no value";
                    return false;
                }
                r.fieldOperation = trim(parts[1]);
                want = Want::FrameRate;
                return true;
            }
            case Want::FrameRate: {
                if (line.find("Frame_Rate") == std::string_view::npos) return true;
                auto parts = isplit(line, "=");
                auto rate = parts.size() >= 2 ? parseNumber(parts[1]) : std::nullopt;
                if (!rate) {
                    error = "the Frame_Rate line has no number";
                    return false;
                }
                r.framerateText = replaceAll(formatPattern(*rate / 1000, "##.000") + " fps", ",", ".");
                want = Want::Pictures;
                return true;
            }
            case Want::Pictures: {
                if (line.find("7 ") == std::string_view::npos) return true;
                // The picture flags: every piece from the fourth on, split at single blanks.
                std::size_t at = 0;
                for (int blanks = 0; blanks < 3 && at != std::string_view::npos; ++blanks) {
                    at = line.find(' ', at);
                    if (at != std::string_view::npos) ++at;
                }
                ++r.pictureLines;
                if (at == std::string_view::npos) return true;
                for (char c : line.substr(at))
                    if (c >= '0' && c <= '3') ++counts[c - '0'];
                return true;
            }
        }
        return true;
    });
    if (!error.empty()) return failure(ImportKind::D2v, error);
    if (!read) return failure(ImportKind::D2v, progress.stopped() ? "stopped" : "the file cannot be read");
    if (want == Want::FieldOperation) return failure(ImportKind::D2v, "no Field_Operation line: not a DVD2Avi project");
    if (want == Want::FrameRate) return failure(ImportKind::D2v, "no Frame_Rate line after the Field_Operation line");
    const auto op = parseNumber(r.fieldOperation);
    if (!op) return failure(ImportKind::D2v, "the field operation is not a number");
    const double frames = double(counts[0] + counts[2]) + 1.5 * double(counts[1] + counts[3]);
    // ForcedFILM (1) keeps four frames of every five.
    r.frames = (*op == 0 || *op == 2) ? frames : 0.8 * frames;
    r.framesText = numberText(*r.frames);
    r.ok = true;
    return r;
}

ImportResult importInfo(const std::string& path) {
    ImportResult r;
    r.kind = ImportKind::Info;
    Progress none;
    bool bad = false;
    const bool read = forEachLine(
        path, none,
        [&](std::string_view line) {
            if (line.find("Frames: ") != std::string_view::npos) {
                r.framesText = replaceAll(line, "Frames: ", "");
                r.frames = parseNumber(r.framesText);
            } else if (line.find("Display mode: ") != std::string_view::npos) {
                auto parts = isplit(replaceAll(line, "Display mode: ", ""), "x");
                if (parts.size() < 2) {
                    bad = true;
                    return false;
                }
                r.resolutionText = std::pair{parts[0], parts[1]};
                auto w = parseNumber(parts[0]), h = parseNumber(parts[1]);
                r.width = w ? toInt32(*w).value_or(0) : 0;
                r.height = h ? toInt32(*h).value_or(0) : 0;
            }
            return true;
        },
        kMaxInfoBytes);
    if (bad) return failure(ImportKind::Info, "the Display mode line has no WIDTHxHEIGHT");
    if (!read) return failure(ImportKind::Info, "the file cannot be read");
    if (!r.frames && !r.resolutionText) return failure(ImportKind::Info, "no Frames: or Display mode: line: not an INFO file");
    r.ok = true;
    return r;
}

ImportResult importSource(const std::string& path, ImportKind kind, Progress progress) {
    switch (kind) {
        case ImportKind::Info: return importInfo(path);
        case ImportKind::D2v: return importD2v(path, std::move(progress));
        case ImportKind::Stats: return importStats(path);
    }
    return {};
}

std::string sizeHandOverLabel(double videoKbps, Profile profile, double rate, std::int32_t width, std::int32_t height) {
    const bool fm = profile == Profile::Divx3fm;
    const bool divx3 = profile == Profile::Divx3 || fm;
    const double kbps = fm ? videoKbps / 2.05 : videoKbps;
    std::string bpp = "0";
    if (rate > 0 && width > 0 && height > 0)
        bpp = numberText(roundHalfEven(kbps * (divx3 ? 1024 : 1000) / rate / width / height, 3));
    return numberText(roundHalfEven(kbps, 0)) + " Kbit/sec => " + bpp + " Bits per pixel";
}

}  // namespace fw::bitrate
