#pragma once
// Every test runs in a program folder of its own: copies of lang/ and data/, a fresh settings.ini,
// and per-user folders under it, so no test touches the real user's files.
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fw::test {

class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& dir() const { return m_dir; }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    std::string settings() const { return path("settings.ini"); }

private:
    std::filesystem::path m_dir;
    // The variables the home sets, as they were before, put back when it goes.
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

std::string sourceDir();
// Reads a whole file (empty when missing).
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

}  // namespace fw::test
