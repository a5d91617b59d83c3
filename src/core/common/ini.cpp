#include "core/common/ini.h"

#include "core/common/file_io.h"

// Values are UTF-8 bytes handled as they are; no wide-character conversion is needed.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

#include "core/common/atomic_file.h"
#include "core/common/paths.h"

namespace fw {

namespace {

std::string cutToChars(std::string s, std::size_t maxChars) {
    // Count UTF-8 code points, so a cut never splits a character.
    std::size_t chars = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        if ((c & 0xC0) != 0x80) {
            if (chars == maxChars) {
                s.resize(i);
                return s;
            }
            ++chars;
        }
    }
    return s;
}

std::string finishValue(const char* v, const std::string& defaultValue) {
    if (!v) return cutToChars(defaultValue, kIniValueMax);
    std::string s(v);
    // A value wrapped in matching quotes is read without them, as INI readers have always done.
    if (s.size() >= 2 && ((s.front() == '"' && s.back() == '"') || (s.front() == '\'' && s.back() == '\'')))
        s = s.substr(1, s.size() - 2);
    return cutToChars(std::move(s), kIniValueMax);
}

std::string oneLine(std::string v) {
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    return v;
}

bool loadFile(CSimpleIniA& ini, const std::string& path) {
    // Settings and language files are a few kilobytes; a FIFO or a huge file is not one.
    auto data = readFileBounded(path, 16 << 20);
    if (!data) return false;
    return ini.LoadData(data->data(), data->size()) >= 0;
}

}  // namespace

std::string readIniData(std::string_view data, const std::string& section, const std::string& key,
                        const std::string& defaultValue) {
    CSimpleIniA ini(/*isUtf8*/ true, /*multiKey*/ false, /*multiLine*/ false);
    if (ini.LoadData(data.data(), data.size()) < 0) return cutToChars(defaultValue, kIniValueMax);
    return finishValue(ini.GetValue(section.c_str(), key.c_str(), nullptr), defaultValue);
}

namespace {

// Parsed files kept between reads: a window's load looks up dozens of texts, a batch inspection
// hundreds, and parsing the language file for each cost more than the work itself. A file is
// parsed again as soon as it is another file (inode), or was changed (time, size): an edit to
// the language file is seen at the next lookup, as it always was.
struct CachedIni {
    dev_t dev = 0;
    ino_t ino = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t size = -1;
    std::shared_ptr<CSimpleIniA> ini;
};

std::mutex& cacheMutex() {
    static std::mutex m;
    return m;
}
std::map<std::string, CachedIni>& cache() {
    static std::map<std::string, CachedIni> c;
    return c;
}

std::shared_ptr<CSimpleIniA> parsed(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    const std::int64_t mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    {
        std::lock_guard<std::mutex> lock(cacheMutex());
        auto it = cache().find(path);
        if (it != cache().end() && it->second.dev == st.st_dev && it->second.ino == st.st_ino &&
            it->second.mtimeNs == mtimeNs && it->second.size == st.st_size)
            return it->second.ini;
    }
    auto ini = std::make_shared<CSimpleIniA>(true, false, false);
    if (!loadFile(*ini, path)) return nullptr;
    std::lock_guard<std::mutex> lock(cacheMutex());
    // A handful of files are ever read (settings, one or two language files); the map stays small.
    if (cache().size() > 16) cache().clear();
    cache()[path] = {st.st_dev, st.st_ino, mtimeNs, st.st_size, ini};
    return ini;
}

}  // namespace

std::string ReadIni(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& defaultValue) {
    auto ini = parsed(path);
    if (!ini) return cutToChars(defaultValue, kIniValueMax);
    // SimpleIni's reads do not change the object; the lock covers other threads' reads all the same.
    std::lock_guard<std::mutex> lock(cacheMutex());
    return finishValue(ini->GetValue(section.c_str(), key.c_str(), nullptr), defaultValue);
}

bool WriteIniValues(const std::string& path, const std::string& section,
                    const std::vector<std::pair<std::string, std::string>>& values) {
    CSimpleIniA ini(true, false, false);
    std::error_code ec;
    // The user's settings start as the shipped file whoever writes them first: a file of one
    // section, made after the first copy failed, would stand for good in place of the defaults.
    // Without a shipped file to start from (ENOENT: a bare build) the values alone still do.
    bool present = std::filesystem::exists(path, ec);
    const AppPaths* p = knownPaths();
    if (!present && p && path == p->settingsPath) {
        present = ensureUserSettings();
        if (!present && errno != ENOENT) return false;
    }
    errno = 0;
    if (present && !loadFile(ini, path)) {
        if (errno == 0) errno = EINVAL;  // read, but too large or not an INI file
        return false;
    }
    for (const auto& [key, value] : values) ini.SetValue(section.c_str(), key.c_str(), oneLine(value).c_str());
    std::string out;
    if (ini.Save(out, false) < 0) {
        errno = ENOMEM;
        return false;
    }
    return writeFileAtomically(path, out);
}

bool WriteIni(const std::string& path, const std::string& section, const std::string& key,
              const std::string& value) {
    return WriteIniValues(path, section, {{key, value}});
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFileWriter out(path);
    out.write(bytes.data(), bytes.size());
    return out.commit();
}

}  // namespace fw
