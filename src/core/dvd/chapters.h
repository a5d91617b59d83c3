#pragma once
// The chapter list: read from a DVD ripper's INFO file or a disc's program chain, written in the
// OGM, Scenarist, DVD Maestro and CCE layouts, and used to force key frames in an XviD stats file.
#include <string>
#include <string_view>
#include <vector>

#include "core/common/message.h"

namespace fw::dvd {

class clsDVD;

struct ChapterRow {
    std::string name;
    std::string start;
    std::string frame;
    bool operator==(const ChapterRow&) const = default;
};

// What an INFO file describes beside its chapters.
struct InfoFile {
    std::string name, size, frames, title, angle, bitrate;
    std::string compression, tvSystem, aspectRatio, video4, displayMode, resolution, letterboxed, mode;
    std::vector<std::string> streams;
    std::vector<ChapterRow> rows;
};

// Reads INFO text line by line; a malformed chapter line ends the reading, keeping what was read.
InfoFile CheckInfo(std::string_view text);
// Reads an INFO file (at most a few MB of it); nothing when it cannot be opened.
bool CheckInfoFile(const std::string& path, InfoFile& out);

// Rows of one program chain as the IFO browser hands them over: "Capitolo k", start = the sum
// of the durations before it (hh:mm:ss), no frame.
std::vector<ChapterRow> chainRows(const clsDVD& dvd, int titleSet, int chain);
// hh:mm:ss + seconds, wrapping after 24 hours.
std::string addTimes(const std::string& a, const std::string& b);

enum class ChapterFormat { Ogg, Scenarist, Maestro, Cce };
std::string formatSuffix(ChapterFormat f);
// The file's text, every line ending in CR LF.
std::string chapterText(ChapterFormat f, const std::vector<ChapterRow>& rows);
// Writes base + suffix through a temporary file and a rename; returns the path or "" on failure.
std::string writeChapters(const std::string& base, ChapterFormat f, const std::vector<ChapterRow>& rows);

struct SynchResult {
    bool ok = false;
    std::vector<long long> changed;  // the frames made key frames
    std::string backup;
    Messages messages;
};
// Makes every row's frame a key frame in the stats file, after a backup beside it. Refuses an
// empty list, a frame that is not a whole number, a frame beyond the file, a file it cannot open.
SynchResult StatSynch(const std::string& statsPath, const std::vector<ChapterRow>& rows);

}  // namespace fw::dvd
