#pragma once
// The system information report: what was found out about the computer (SystemFacts, gathered
// by platform/system_facts.h) written as the window's plain text, one fragment per item, each
// starting with CR LF.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fw::system {

// The drive types of the report: 0 unknown, 1 no root, 2 removable, 3 fixed, 4 network,
// 5 optical, 6 RAM disk.
struct DriveFacts {
    int type = 3;
    std::string root;    // the mount point
    std::string source;  // the network resource of a network mount
    std::uint64_t totalBytes = 0, freeBytes = 0;  // free: what the user may still write
    std::uint64_t usedBytes = 0;                   // what files take (the reserve not counted)
    bool sized = false;  // the free-space query succeeded
};

struct MemoryFacts {
    int loadPercent = 0;
    std::uint64_t physTotal = 0, physFree = 0, swapTotal = 0, swapFree = 0, virtTotal = 0, virtFree = 0;
};

struct SystemFacts {
    std::vector<DriveFacts> drives;
    bool network = false;
    std::optional<std::string> userDomain, logonServer;  // the environment's USERDOMAIN, LOGONSERVER
    std::optional<double> uptimeSeconds;
    int bootMode = 0;  // 0 normal, 1 fail-safe, 2 fail-safe with network, other: other
    bool osKnown = false;
    std::string osName;  // the distribution's name
    unsigned osMajor = 0, osMinor = 0, osBuild = 0;
    std::string programFolder, settingsFolder, computerName, userName;
    std::optional<MemoryFacts> memory;
};

// One drive's block, or "" when it has no size (no medium) or less than 1 MB.
std::string driveItem(const DriveFacts& d);
// "Up-time: 25:01:01": hours not wrapped at 24.
std::string uptimeItem(double seconds);
std::string systemReport(const SystemFacts& f);

// Whole megabytes, truncated, as the report prints sizes.
std::uint64_t wholeMB(std::uint64_t bytes);

// Readers of the kernel's and the distribution's texts the facts come from.
struct MountEntry {
    std::string source, mountPoint, fsType;
};
// /proc/self/mounts, with the octal escapes of blanks undone.
std::vector<MountEntry> parseMounts(const std::string& text);
// Network file systems: their mounts are network drives, with the source as the resource name.
bool isNetworkFs(const std::string& fsType);
// /proc/meminfo: total and available memory and swap, in bytes.
struct MemInfo {
    std::uint64_t memTotal = 0, memAvailable = 0, swapTotal = 0, swapFree = 0;
    bool ok = false;
};
MemInfo parseMeminfo(const std::string& text);
// The boot mode of /proc/cmdline: 0 normal, 1 rescue (single user), 3 emergency (other).
int bootModeFromCmdline(const std::string& cmdline);
// PRETTY_NAME (else NAME) of /etc/os-release, quotes removed.
std::string osNameFromRelease(const std::string& text);
// "6.1.0-18-amd64" -> 6, 1, 0.
bool kernelVersion(const std::string& release, unsigned& major, unsigned& minor, unsigned& build);

}  // namespace fw::system
