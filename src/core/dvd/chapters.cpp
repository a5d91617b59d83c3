#include "core/dvd/chapters.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/avi/file_source.h"
#include "core/common/atomic_file.h"
#include "core/common/file_io.h"
#include "core/common/ini.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"
#include "core/dvd/ifo.h"
#include "core/stats/stats_file.h"

namespace fw::dvd {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        if (nl == std::string_view::npos) break;
        pos = nl + 1;
    }
    return lines;
}

// The text between the first "=" and a second "=" (or the end).
std::string betweenEquals(const std::string& line) {
    auto first = line.find('=');
    if (first == std::string::npos) return {};
    auto second = line.find('=', first + 1);
    return line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

std::vector<std::string> words(const std::string& s) {
    std::vector<std::string> out;
    for (const auto& w : isplit(s, " "))
        if (!w.empty()) out.push_back(w);
    return out;
}

int toSeconds(const std::string& hms) {
    auto parts = isplit(hms, ":");
    if (parts.size() != 3) return 0;
    return static_cast<int>(numberOr0(parts[0]) * 3600 + numberOr0(parts[1]) * 60 + numberOr0(parts[2]));
}

std::string fromSeconds(int s) {
    s %= 86400;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

// Start texts of the IFO browser have no fraction; the OGM format wants milliseconds.
std::string oggTime(const std::string& start) {
    const auto colon = start.rfind(':');
    if (colon != std::string::npos && start.find('.', colon) == std::string::npos && std::count(start.begin(), start.end(), ':') == 2)
        return start + ".000";
    return start + "0";
}

Message synchRefusal() {
    return Message::fixed(LangText("General", 14) + "\r\n" + LangText("StatsEditorMsgBox", 2) + "\r\n" + LangText("StatsEditorMsgBox", 3),
                          Icon::Critical, LangText("FormCaptions", 6));
}

}  // namespace

InfoFile CheckInfo(std::string_view text) {
    InfoFile info;
    const auto lines = splitLines(text);
    std::size_t i = 0;
    // The keys in the order they are tested; the first found anywhere in a line decides.
    enum class Into { Set, Min, Avg, Max };
    struct Key {
        const char* key;
        std::string InfoFile::*field;
        Into how = Into::Set;
    };
    const Key keys[] = {{"Name: ", &InfoFile::name},
                        {"Size (B): ", &InfoFile::size},
                        {"Frames: ", &InfoFile::frames},
                        {"Title: ", &InfoFile::title},
                        {"Angle: ", &InfoFile::angle},
                        {"MinDataRate (B/s): ", &InfoFile::bitrate, Into::Min},
                        {"AvgDataRate (B/s): ", &InfoFile::bitrate, Into::Avg},
                        {"MaxDataRate (B/s): ", &InfoFile::bitrate, Into::Max},
                        {"Compression: ", &InfoFile::compression},
                        {"TV system: ", &InfoFile::tvSystem},
                        {"Aspect ratio: ", &InfoFile::aspectRatio},
                        {"Display mode: ", &InfoFile::displayMode},
                        {"Resolution: ", &InfoFile::resolution},
                        {"Letterboxed: ", &InfoFile::letterboxed},
                        {"Mode: ", &InfoFile::mode}};
    while (i < lines.size()) {
        const std::string& line = lines[i];
        const Key* hit = nullptr;
        for (const auto& k : keys)
            if (!hit && line.find(k.key) != std::string::npos) hit = &k;
        if (hit) {
            const std::string value = replaceAll(line, hit->key, "");
            std::string& field = info.*hit->field;
            switch (hit->how) {
                case Into::Set: field = value; break;
                case Into::Min: field = value + " (Min) - "; break;
                case Into::Avg: field += value + " (Avg) - "; break;
                case Into::Max: field += value + " (Max)"; break;
            }
            ++i;
            continue;
        }
        if (line.find("Stream[") != std::string::npos) {
            while (i < lines.size() && lines[i].find("Stream[") != std::string::npos) {
                info.streams.push_back(replaceAll(lines[i], "[]", ""));
                ++i;
            }
            ++i;  // the line that ends the block is dropped
            continue;
        }
        if (ifind(line, "Chap#=Frame# Name") != std::string::npos) {
            ++i;
            int c = 0;
            while (i < lines.size() && lines[i].find("Chapter") != std::string::npos) {
                auto w = words(betweenEquals(lines[i]));
                if (w.size() < 2) return info;  // a chapter line without its name ends the reading
                info.rows.push_back({w[1], formatPattern(c, "00##"), w[0]});
                ++i;
                ++c;
            }
            ++i;
            continue;
        }
        if (line.find("Chap#=Time") != std::string::npos) {
            ++i;
            std::size_t j = 1;
            while (i < lines.size() && lines[i].find("Chapter") != std::string::npos) {
                const std::string& l = lines[i];
                std::size_t row = j;
                if (l.find("Chapter" + std::to_string(j)) == std::string::npos) {
                    // Another number (or the expected one with leading zeros): the number after "r".
                    const std::string head = l.substr(0, l.find('='));
                    const auto r = head.find('r');
                    auto n = r == std::string::npos ? std::nullopt : parseNumber(trim(head.substr(r + 1)));
                    // Judged as a number before it becomes an index: "Chapter7.7e77" is no row.
                    if (!n || *n < 1 || *n > static_cast<double>(info.rows.size()) || *n != std::floor(*n)) return info;
                    row = static_cast<std::size_t>(*n);
                }
                if (row > info.rows.size()) return info;  // a time for a row that does not exist
                info.rows[row - 1].start = betweenEquals(l);
                j = row + 1;
                ++i;
            }
            ++i;
            continue;
        }
        ++i;
    }
    return info;
}

bool CheckInfoFile(const std::string& path, InfoFile& out) {
    auto text = readRange(path, 0, 8 << 20);
    if (!text) return false;
    out = CheckInfo(*text);
    return true;
}

std::string addTimes(const std::string& a, const std::string& b) { return fromSeconds(toSeconds(a) + toSeconds(b)); }

std::vector<ChapterRow> chainRows(const clsDVD& dvd, int titleSet, int chain) {
    std::vector<ChapterRow> rows;
    std::string start = "00:00:00", previous = "00:00:00";
    for (int k = 1; k <= dvd.ProgramChain_NumChapters(titleSet, chain); ++k) {
        const std::string d = dvd.ProgramChain_PlayBackTime(titleSet, chain, k + 1);
        start = addTimes(start, previous);
        rows.push_back({"Capitolo " + std::to_string(k), start, ""});
        previous = d;
    }
    return rows;
}

std::string formatSuffix(ChapterFormat f) {
    switch (f) {
        case ChapterFormat::Ogg: return " - OGG.txt";
        case ChapterFormat::Scenarist: return " - Scenarist.txt";
        case ChapterFormat::Maestro: return " - DVDMaestro.chp";
        case ChapterFormat::Cce: return " - CCE.txt";
    }
    return {};
}

std::string chapterText(ChapterFormat f, const std::vector<ChapterRow>& rows) {
    const char* nl = "\r\n";
    std::string out;
    if (f == ChapterFormat::Maestro) out += std::string("$Spruce_IFrame_List") + nl + nl;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string nn = formatPattern(double(i + 1), "0#");
        const ChapterRow& r = rows[i];
        switch (f) {
            case ChapterFormat::Ogg:
                out += "CHAPTER" + nn + "=" + oggTime(r.start) + nl;
                out += "CHAPTER" + nn + "NAME=" + r.name + nl;
                break;
            case ChapterFormat::Scenarist: out += ireplace(r.start, ".", ";") + nl; break;
            case ChapterFormat::Maestro: out += ireplace(r.start, ".", ":") + nl; break;
            case ChapterFormat::Cce: out += "Chapter=" + r.frame + ":" + nl; break;
        }
    }
    return out;
}

std::string writeChapters(const std::string& base, ChapterFormat f, const std::vector<ChapterRow>& rows) {
    std::string cut = base.substr(0, base.find('\0'));
    const std::string path = cut + formatSuffix(f);
    return writeFileAtomically(path, chapterText(f, rows)) ? path : std::string();
}

SynchResult StatSynch(const std::string& statsPath, const std::vector<ChapterRow>& rows) {
    SynchResult res;
    fw::avi::FileSource src(statsPath);
    if (rows.empty() || !src.isOpen()) {
        res.messages.push_back(synchRefusal());
        return res;
    }
    const double m = double(src.size() - 4) / double(fw::stats::kRecordSize);
    std::vector<long long> frames;
    for (const auto& r : rows) {
        auto f = parseNumber(trim(r.frame));
        // Beyond 10^15 no stats file holds the frame; the bound also keeps the conversion defined.
        if (!f || *f != std::floor(*f) || std::fabs(*f) > 1e15) {
            res.messages.push_back(synchRefusal());
            return res;
        }
        frames.push_back(static_cast<long long>(*f));
    }
    // The last row has the highest frame; every record touched must lie whole inside the file.
    long long highest = frames.back();
    for (long long f : frames) highest = std::max(highest, std::llabs(f));
    if (!(m > double(frames.back())) || double(highest + 2) > m + 1e-9) {
        res.messages.push_back(synchRefusal());
        return res;
    }
    const fs::path p(statsPath);
    res.backup = (p.parent_path() / ("StatsReader_" + trim(p.filename().string()) + ".bak")).string();
    AtomicFileWriter backupWriter(res.backup);
    if (!copyFileInto(statsPath, backupWriter)) {
        res.messages.push_back(synchRefusal());
        return res;
    }
    const int fd = fw::openRegular(statsPath, O_RDONLY);
    if (fd < 0) {
        res.messages.push_back(synchRefusal());
        return res;
    }
    // Every key frame is set in a new copy of the file that replaces the old one whole: a
    // failing disk leaves the stats file as it was, not half changed.
    std::vector<BytePatch> patches;
    bool ok = true;
    for (long long f : frames) {
        const off_t offset = static_cast<off_t>(4 + 68 * std::llabs(f + 1));
        std::uint8_t rec[68];
        if (::pread(fd, rec, sizeof rec, offset) != static_cast<ssize_t>(sizeof rec)) {
            ok = false;
            break;
        }
        auto r = fw::stats::StatsRecord::parse(rec, sizeof rec);
        if (r.Quant == fw::stats::kForcedKeyQuant) continue;
        r.kblk = r.allBlocks();
        r.Quant |= fw::stats::kKeyFrameFlag;
        r.mblk = 0;
        r.ublk = 0;
        r.dd_v = 0;
        r.store(rec);
        patches.push_back({static_cast<std::int64_t>(offset), std::string(reinterpret_cast<const char*>(rec), sizeof rec)});
        res.changed.push_back(f);
    }
    ::close(fd);
    ok = ok && rewriteWithPatches(statsPath, patches) && backupWriter.commit();
    if (!ok) {
        res.changed.clear();
        res.messages.push_back(synchRefusal());
        return res;
    }
    res.ok = true;
    res.messages.push_back(Message::lang("StatsEditorMsgBox", 1, Icon::Information, LangText("FormCaptions", 6)));
    return res;
}

}  // namespace fw::dvd
