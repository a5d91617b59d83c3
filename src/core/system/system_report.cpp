#include "core/system/system_report.h"

#include <cstdio>
#include <cstdlib>

#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::system {

namespace {

const std::string kBreak = "\r\n";

std::string envItem(const std::optional<std::string>& value, int key) {
    return kBreak + LangText("SysInfo", key) + " " + (value && !value->empty() ? *value : LangText("SysInfo", 39));
}

std::string two(std::uint64_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02llu", static_cast<unsigned long long>(v));
    return buf;
}

}  // namespace

std::uint64_t wholeMB(std::uint64_t bytes) { return bytes / 1024 / 1024; }

std::string driveItem(const DriveFacts& d) {
    const std::uint64_t total = wholeMB(d.totalBytes);
    if (!d.sized || total < 1) return {};
    int key = 25;
    switch (d.type) {
        case 0: key = 18; break;
        case 1: key = 19; break;
        case 2: key = 20; break;
        case 3: key = 21; break;
        case 4: key = 22; break;
        case 5: key = 23; break;
        case 6: key = 24; break;
        default: break;
    }
    std::string type = LangText("SysInfo", key);
    if (d.type == 4) type += " " + d.source;
    const std::uint64_t free = wholeMB(d.freeBytes);
    return kBreak + type + " drive " + d.root + kBreak + "\t" + LangText("SysInfo", 26) + " " + std::to_string(total) + " MB" + kBreak +
           "\t" + LangText("SysInfo", 27) + " " + std::to_string(free) + " MB" + kBreak + "\t" + LangText("SysInfo", 28) + " " +
           std::to_string(wholeMB(d.usedBytes)) + " MB";
}

std::string uptimeItem(double seconds) {
    const auto s = static_cast<std::uint64_t>(std::max(0.0, seconds));
    const std::uint64_t hours = s / 3600;
    const std::uint64_t minutes = (s - hours * 3600) / 60;
    return kBreak + LangText("SysInfo", 37) + " " + two(hours) + ":" + two(minutes) + ":" + two(s % 60);
}

std::string systemReport(const SystemFacts& f) {
    std::string r;
    for (const auto& d : f.drives) r += driveItem(d);
    r += kBreak + LangText("SysInfo", f.network ? 2 : 3);
    r += envItem(f.userDomain, 17);
    r += envItem(f.logonServer, 29);
    if (f.uptimeSeconds) r += uptimeItem(*f.uptimeSeconds);
    r += kBreak + LangText("SysInfo", f.bootMode == 0 ? 4 : f.bootMode == 1 ? 5 : f.bootMode == 2 ? 6 : 7);
    r += kBreak;
    if (f.osKnown) {
        r += kBreak + (f.osName.empty() ? LangText("SysInfo", 11) : f.osName);
        r += kBreak + LangText("SysInfo", 12) + " " + std::to_string(f.osMajor) + "." + std::to_string(f.osMinor) + "." +
             std::to_string(f.osBuild);
    } else {
        r += kBreak + LangText("SysInfo", 13);
    }
    r += kBreak + LangText("SysInfo", 14) + " " + f.programFolder;
    r += kBreak + LangText("SysInfo", 15) + " " + f.settingsFolder;
    r += kBreak + LangText("SysInfo", 16) + " " + f.computerName;
    r += kBreak + LangText("SysInfo", 38) + " " + f.userName;
    r += kBreak;
    if (f.memory) {
        const MemoryFacts& m = *f.memory;
        r += kBreak + LangText("SysInfo", 30) + " " + std::to_string(m.loadPercent) + " %";
        const std::uint64_t amounts[6] = {m.physTotal, m.physFree, m.swapTotal, m.swapFree, m.virtTotal, m.virtFree};
        for (int i = 0; i < 6; ++i) r += kBreak + LangText("SysInfo", 31 + i) + "\t" + std::to_string(wholeMB(amounts[i])) + " MB";
    }
    r += kBreak;
    return r;
}

std::vector<MountEntry> parseMounts(const std::string& text) {
    auto unescape = [](const std::string& f) {
        std::string out;
        for (std::size_t i = 0; i < f.size(); ++i) {
            auto octal = [&](std::size_t k) { return f[k] >= '0' && f[k] <= '7'; };
            if (f[i] == '\\' && i + 3 < f.size() && f[i + 1] <= '3' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
                out.push_back(static_cast<char>((f[i + 1] - '0') * 64 + (f[i + 2] - '0') * 8 + (f[i + 3] - '0')));
                i += 3;
            } else {
                out.push_back(f[i]);
            }
        }
        return out;
    };
    std::vector<MountEntry> out;
    for (const std::string& line : isplit(text, "\n")) {
        std::string fields[3];
        std::size_t pos = 0;
        int n = 0;
        for (; n < 3; ++n) {
            while (pos < line.size() && line[pos] == ' ') ++pos;
            if (pos >= line.size()) break;
            const auto sp = line.find(' ', pos);
            fields[n] = line.substr(pos, sp == std::string::npos ? std::string::npos : sp - pos);
            pos = sp == std::string::npos ? line.size() : sp;
        }
        if (n == 3) out.push_back({unescape(fields[0]), unescape(fields[1]), fields[2]});
    }
    return out;
}

bool isNetworkFs(const std::string& t) {
    static const char* const kNet[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph", "glusterfs",
                                       "fuse.sshfs", "sshfs", "fuse.glusterfs", "davfs", "fuse.davfs2", "fuse.rclone"};
    for (const char* n : kNet)
        if (t == n) return true;
    return false;
}

MemInfo parseMeminfo(const std::string& text) {
    MemInfo m;
    int found = 0;
    for (const std::string& line : isplit(text, "\n")) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = line.substr(0, colon);
        const std::uint64_t kb = std::strtoull(line.c_str() + colon + 1, nullptr, 10);
        std::uint64_t* slot = key == "MemTotal" ? &m.memTotal : key == "MemAvailable" ? &m.memAvailable
                              : key == "SwapTotal" ? &m.swapTotal : key == "SwapFree" ? &m.swapFree : nullptr;
        if (slot) {
            *slot = kb * 1024;
            ++found;
        }
    }
    m.ok = m.memTotal > 0 && found >= 2;
    return m;
}

int bootModeFromCmdline(const std::string& cmdline) {
    int mode = 0;
    std::size_t pos = 0;
    while (pos < cmdline.size()) {
        while (pos < cmdline.size() && (cmdline[pos] == ' ' || cmdline[pos] == '\n')) ++pos;
        auto end = cmdline.find_first_of(" \n", pos);
        if (end == std::string::npos) end = cmdline.size();
        const std::string w = cmdline.substr(pos, end - pos);
        pos = end;
        if (w == "systemd.unit=emergency.target" || w == "emergency" || w == "-b") return 3;
        if (w == "systemd.unit=rescue.target" || w == "rescue" || w == "single" || w == "s" || w == "S" || w == "1") mode = 1;
    }
    return mode;
}

std::string osNameFromRelease(const std::string& text) {
    std::string pretty, name;
    for (const std::string& line : isplit(text, "\n")) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (line.compare(0, eq, "PRETTY_NAME") == 0) pretty = value;
        else if (line.compare(0, eq, "NAME") == 0) name = value;
    }
    return pretty.empty() ? name : pretty;
}

bool kernelVersion(const std::string& release, unsigned& major, unsigned& minor, unsigned& build) {
    major = minor = build = 0;
    unsigned* parts[3] = {&major, &minor, &build};
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (pos >= release.size() || release[pos] < '0' || release[pos] > '9') return i >= 2;
        unsigned v = 0;
        while (pos < release.size() && release[pos] >= '0' && release[pos] <= '9' && v < 100000) v = v * 10 + static_cast<unsigned>(release[pos++] - '0');
        *parts[i] = v;
        if (pos < release.size() && release[pos] == '.') ++pos;
        else return i >= 1;
    }
    return true;
}

}  // namespace fw::system
