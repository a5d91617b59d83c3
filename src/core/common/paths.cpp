#include "core/common/paths.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <pwd.h>
#include <unistd.h>

#include "core/common/atomic_file.h"

namespace fw {

namespace fs = std::filesystem;

namespace {
AppPaths g_paths;
bool g_init = false;

std::string envOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : fallback;
}

// $HOME, else the account's home from the user database (a service or cron job may run without
// HOME): never a shared folder such as /tmp, where other users could read or plant settings.
std::string userHome() {
    if (const char* v = std::getenv("HOME"); v && *v) return v;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir) return pw->pw_dir;
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    return ec ? std::string("/") : here.string();
}

bool writableDir(const fs::path& p) { return ::access(p.c_str(), W_OK) == 0; }
}  // namespace

std::string executableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return fs::current_path(ec).string();
    return exe.parent_path().string();
}

const AppPaths& initPaths() { return initPathsFor(executableFolder()); }

const AppPaths& initPathsFor(const std::string& exeFolder) {
    AppPaths p;
    std::error_code ec;
    const char* home = std::getenv("FRAMEWISE_HOME");
    fs::path folder = (home && *home) ? fs::path(home) : fs::path(exeFolder);
    p.programFolder = folder.string();
    const bool hasLang = fs::is_directory(folder / "lang", ec);
    if ((home && *home) || (hasLang && writableDir(folder))) {
        p.portable = true;
        p.settingsPath = (folder / "settings.ini").string();
        p.langDir = (folder / "lang").string();
        p.shippedDataDir = (folder / "data").string();
        p.userDataDir = folder.string();
    } else {
        // Shipped files from <prefix>/share/framewise, or from the program folder itself when it
        // holds them but may not be written.
        fs::path share = folder.parent_path() / "share" / "framewise";
        if (!fs::is_directory(share / "lang", ec) && hasLang) share = folder;
        const std::string account = userHome();
        fs::path config = fs::path(envOr("XDG_CONFIG_HOME", account + "/.config")) / "framewise";
        fs::path data = fs::path(envOr("XDG_DATA_HOME", account + "/.local/share")) / "framewise";
        fs::create_directories(config, ec);
        fs::create_directories(data, ec);
        p.settingsPath = (config / "settings.ini").string();
        p.langDir = (share / "lang").string();
        p.shippedDataDir = (share / "data").string();
        p.userDataDir = data.string();
    }
    g_paths = std::move(p);
    g_init = true;
    return g_paths;
}

const AppPaths& paths() {
    if (!g_init) initPaths();
    return g_paths;
}

const AppPaths* knownPaths() { return g_init ? &g_paths : nullptr; }

bool ensureUserSettings() {
    const AppPaths& p = paths();
    std::error_code ec;
    if (fs::exists(p.settingsPath, ec)) return true;
    // Through a temporary file: a copy cut short by a full disk must not stay as the user's
    // settings (it would never be copied again); the next start tries again instead.
    const std::string shipped = (fs::path(p.shippedDataDir) / "settings.ini").string();
    if (!fs::exists(shipped, ec)) {
        errno = ENOENT;
        return false;
    }
    AtomicFileWriter out(p.settingsPath);
    if (!copyFileInto(shipped, out)) return false;
    return out.commitNew() || out.targetTaken();  // taken: another start made it meanwhile
}

}  // namespace fw
