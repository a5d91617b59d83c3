#pragma once
// INI files with case-insensitive section and key names: the user's settings.ini and the language
// files. Reads never fail (a default stands in); writes go through a temporary file and a rename.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fw {

// Longest value a read returns, in characters; longer values are cut.
inline constexpr std::size_t kIniValueMax = 254;

std::string ReadIni(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& defaultValue);
// Carriage returns and line feeds in the value become blanks, so a value stays on one line.
// Returns false when the file could not be written (the callers ignore it, as they may).
bool WriteIni(const std::string& path, const std::string& section, const std::string& key,
              const std::string& value);
// Several keys of one section in one rewrite of the file, with WriteIni's rules.
bool WriteIniValues(const std::string& path, const std::string& section,
                    const std::vector<std::pair<std::string, std::string>>& values);

// The same lookup on INI text already in memory (the fuzz harness and tests use it).
std::string readIniData(std::string_view data, const std::string& section, const std::string& key,
                        const std::string& defaultValue);

// Writes bytes to path through a temporary file in the same folder, then renames it over path.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace fw
