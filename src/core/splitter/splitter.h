#pragma once
// Splitting a file into numbered pieces with an info record and rebuild scripts, and joining them
// again. Pieces and joined files are written under temporary names and renamed when complete, so
// a failure or a stop never leaves a file that looks finished.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/message.h"
#include "core/common/progress.h"

namespace fw::splitter {

struct PresetSize {
    std::string_view entry;
    std::int64_t bytes;
};
inline constexpr std::array<PresetSize, 14> kPresets = {{
    {"16 KB", 16384},       {"32 KB", 32768},       {"64 KB", 65536},       {"128 KB", 131072},
    {"256 KB", 262144},     {"512 KB", 524288},     {"720 KB", 737280},     {"1024 KB", 1048576},
    {"1200 KB", 1228800},   {"1440 KB (Floppy da 3.5\")", 1474560},       {"10 MB", 10485760},
    {"25 MB", 26214400},    {"50 MB", 52428800},    {"100 MB", 104857600},
}};
std::optional<std::int64_t> presetBytes(std::string_view entry);  // "1024 KB" or the whole entry

// Pieces needed for a piece size: rounded up, so no empty last piece is written.
std::int64_t pieceCount(std::int64_t total, std::int64_t pieceSize);
// Piece size for a count: total / count rounded half to even.
std::int64_t pieceSizeForCount(std::int64_t total, std::int64_t count);
// "3.00 MB = 3 pieces" as the window's summary line shows it.
std::string summaryLine(std::int64_t total, std::int64_t count);

struct NameParts {
    std::string stem;       // up to and including the last "." of the file name: "movie."
    std::string extension;  // after the last ".": "avi"
};
std::optional<NameParts> nameParts(const std::string& fileName);
std::string shortStem(const std::string& stem);  // first 6 characters + "~1." when longer than 9
std::string pieceName(const std::string& stem, std::int64_t k, const std::string& suffix);
std::string infoRecord(const std::string& extension, const std::string& marker, std::int64_t count, std::int64_t pieceSize);

// An info record read back. The suffix ends every piece name: "." and the extension for a
// keep-extension split, else nothing.
struct InfoRecord {
    std::string extension;
    std::string suffix;
    std::int64_t count = 0;
    std::int64_t pieceSize = 0;
};
// Nothing when text is no record a split writes: markers missing or out of order, a count or a
// size that is not a whole number from 1 (up to 10^6 pieces, a set below 2^63 bytes), or an
// extension with a "/" or a NUL in it, which would put the joined file in another folder.
std::optional<InfoRecord> parseInfoRecord(std::string_view text);
// The original name a rebuild script gives the pieces with this stem ("mv 'STEMrebuild-part'
// 'NAME'"); nothing when it gives none, or a name that is not a file in the script's own folder.
std::optional<std::string> nameInRebuildScript(std::string_view script, const std::string& stem);

struct SplitRequest {
    std::string source;     // full path
    std::string outDir;     // where pieces go (the source's folder by default)
    std::int64_t pieceSize = 0;
    bool script = false;
    bool keepExtension = false;
    // Count mode: when above 0, exactly this many pieces of total / count bytes (halves to even),
    // the last one holding what is left; pieceSize is then worked out, not read.
    std::int64_t count = 0;
};

struct SplitResult {
    bool ok = false;
    bool stopped = false;
    std::int64_t count = 0;
    std::int64_t pieceSize = 0;
    std::vector<std::pair<std::string, std::int64_t>> pieces;  // paths and sizes written
    std::string infoFile, batScript, shScript;                  // empty when not written
    double elapsed = 0;
    std::string status;      // the status line
    Messages messages;       // the closing message or the failure
};

// Writes the pieces, the info record and the scripts. Refuses one piece, a count the file cannot
// be cut into, a source whose name is one of the names the split writes, a folder without room
// and a source it cannot read, with nothing written.
SplitResult SplitFile(const SplitRequest& r, Progress progress = {});

struct JoinResult {
    bool ok = false;
    bool stopped = false;
    std::string output;
    std::int64_t bytes = 0;
    double elapsed = 0;
    std::string status;
    Messages messages;
};
// Joins the pieces an info file (name ending in "000") describes, after checking that every
// piece is there with its size: every piece but the last holds the piece size; the last may be
// empty (an exact multiple split by the count rule) or a little longer (a count-mode split). A
// keep-extension split comes back under its source name. Without `replace`, a file already under
// the joined name is refused (the command line's rule) instead of replaced (the window's).
JoinResult AssemblyFiles(const std::string& infoPath, Progress progress = {}, bool replace = true);

// The rebuild scripts: the batch file (CR LF) and its POSIX shell twin.
std::string rebuildBat(const std::string& stem, std::int64_t count, const std::string& suffix, const std::string& sourceName);
std::string rebuildSh(const std::string& stem, std::int64_t count, const std::string& suffix, const std::string& sourceName);

// Source check of the split and join buttons: a message when the name is empty or missing.
std::optional<Message> CheckForFile(const std::string& name);
// Free space of the folder's file system in MB (2 decimals), and the status bar's text.
double freeSpaceMB(const std::string& folder);
std::string freeSpaceText(double fileMB, double freeMB, const std::string& mountPoint);

}  // namespace fw::splitter
