#include "support/temp_home.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/common/lang.h"
#include "core/common/paths.h"

namespace fw::test {

namespace fs = std::filesystem;

std::string sourceDir() { return FW_SOURCE_DIR; }

TempHome::TempHome() {
    std::string tmpl = (fs::temp_directory_path() / "fwtest.XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    m_dir = tmpl;
    fs::copy(fs::path(sourceDir()) / "lang", m_dir / "lang", fs::copy_options::recursive);
    fs::copy(fs::path(sourceDir()) / "data", m_dir / "data", fs::copy_options::recursive);
    fs::create_directories(m_dir / "config");
    fs::create_directories(m_dir / "userdata");
    auto set = [&](const char* name, const fs::path& value) {
        const char* old = std::getenv(name);
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name, value.c_str(), 1);
    };
    set("FRAMEWISE_HOME", m_dir);
    set("XDG_CONFIG_HOME", m_dir / "config");
    set("XDG_DATA_HOME", m_dir / "userdata");
    fw::initPaths();
    fw::ensureUserSettings();
    fw::loadPreferences();
}

TempHome::~TempHome() {
    std::error_code ec;
    fs::remove_all(m_dir, ec);
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->second) ::setenv(it->first.c_str(), it->second->c_str(), 1);
        else ::unsetenv(it->first.c_str());
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace fw::test
