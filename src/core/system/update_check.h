#pragma once
// The update check's own rules: the file's lines, the version on its first line, the comparison
// by sums, and what the user is told. Downloading is the platform's (platform/http_fetch.h).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/message.h"

namespace fw::system {

inline constexpr std::size_t kUpdateFileCap = 64 * 1024;
inline constexpr int kUpdateTimeoutMs = 10000;

// Where the update file is saved: a folder of its own in the user's data folder, under a fixed
// name, so no address can make the download replace another file of the program's.
std::string updateFilePath();

// The last "/"-separated piece of the URL (query and fragment left out): "framewise_update.txt".
std::string updateFileName(std::string_view url);

// Lines split at line feeds; a carriage return before a line feed stays part of its line.
std::vector<std::string> updateLines(std::string_view bytes);

// The sum of the first three "."-separated numbers, each a 16-bit integer (blanks and a trailing
// carriage return around a number are allowed). Nothing when there are fewer than three pieces,
// one is no integer of 16 bits, or the sum leaves 16 bits.
std::optional<int> versionSum(std::string_view version);

enum class Comparison { Same, Newer, Older, Unknown };
// Newer: the remote version's sum is the greater one.
Comparison compareVersions(std::string_view running, std::string_view remote);

// What CompareVer shows: nothing, the "up to date" information (by hand only), or the question
// whether to download (Yes/No by hand; Yes/No/Cancel at start-up, where Cancel opens the window).
// A remote version that cannot be read is told by hand and kept quiet at start-up.
std::optional<Message> comparisonMessage(Comparison c, bool automatic);

// The whole check after the download: the change log, the newest-version label and the
// messages in the order they are shown (a missing file gives the warning of key 2).
struct UpdateCheck {
    std::vector<std::string> lines;
    std::string remote;  // line 0, or empty
    Comparison comparison = Comparison::Unknown;
    Messages messages;
};
UpdateCheck evaluateUpdate(const std::optional<std::string>& fileBytes, std::string_view running, bool automatic);

}  // namespace fw::system
