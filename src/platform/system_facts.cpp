#include "platform/system_facts.h"

#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>

#include "core/common/file_io.h"
#include "core/common/paths.h"
#include "platform/network_state.h"

namespace fw::platform {

namespace fs = std::filesystem;
using fw::system::DriveFacts;

namespace {

// Removable media say so in /sys/class/block/<name>/removable (a partition asks its disk).
bool removable(const std::string& source) {
    if (source.rfind("/dev/", 0) != 0) return false;
    std::error_code ec;
    const fs::path real = fs::canonical(source, ec);
    if (ec) return false;
    const std::string name = real.filename().string();
    fs::path block = fs::path("/sys/class/block") / name;
    if (!fs::exists(block / "removable", ec) && fs::exists(block / "partition", ec))
        block = fs::canonical(block, ec).parent_path();
    return readKernelText((block / "removable").string(), 16).rfind('1', 0) == 0;
}

// statvfs of a network share that no longer answers can wait for minutes: asked on a thread of
// its own and given two seconds; a share that does not answer is shown without sizes.
bool statWithin(const std::string& path, struct statvfs& out, std::chrono::milliseconds limit) {
    struct Shared {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
        bool ok = false;
        struct statvfs v {};
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, path] {
        struct statvfs v {};
        const bool ok = ::statvfs(path.c_str(), &v) == 0;
        std::lock_guard<std::mutex> lock(shared->m);
        shared->v = v;
        shared->ok = ok;
        shared->done = true;
        shared->cv.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(shared->m);
    if (!shared->cv.wait_for(lock, limit, [&] { return shared->done; }) || !shared->ok) return false;
    out = shared->v;
    return true;
}

std::vector<DriveFacts> drives() {
    std::vector<DriveFacts> out;
    std::set<dev_t> seenDevices;
    std::set<std::string> seenSources;
    auto mounts = fw::system::parseMounts(readKernelText("/proc/self/mounts"));
    // The root first, so a device mounted again elsewhere (bind mounts) shows under "/".
    std::stable_partition(mounts.begin(), mounts.end(), [](const auto& m) { return m.mountPoint == "/"; });
    for (const auto& m : mounts) {
        const bool network = fw::system::isNetworkFs(m.fsType);
        const bool device = m.source.rfind("/dev/", 0) == 0 && m.fsType != "squashfs";
        if (!network && !device && m.mountPoint != "/") continue;
        if (network) {
            if (!seenSources.insert(m.source).second) continue;
        } else {
            struct stat st {};
            if (::stat(m.mountPoint.c_str(), &st) != 0 || !seenDevices.insert(st.st_dev).second) continue;
        }
        DriveFacts d;
        d.root = m.mountPoint;
        const bool optical = m.source.rfind("/dev/sr", 0) == 0 || m.fsType == "iso9660" || m.fsType == "udf";
        if (network) {
            d.type = 4;
            d.source = m.source;
        } else if (optical) {
            d.type = 5;
        } else if (removable(m.source)) {
            d.type = 2;
        } else {
            d.type = 3;
        }
        struct statvfs v {};
        const bool sized = network ? statWithin(m.mountPoint, v, std::chrono::seconds(2)) : ::statvfs(m.mountPoint.c_str(), &v) == 0;
        if (sized) {
            d.sized = true;
            d.totalBytes = static_cast<std::uint64_t>(v.f_blocks) * v.f_frsize;
            d.freeBytes = static_cast<std::uint64_t>(v.f_bavail) * v.f_frsize;
            d.usedBytes = static_cast<std::uint64_t>(v.f_blocks - std::min(v.f_bfree, v.f_blocks)) * v.f_frsize;
        }
        out.push_back(d);
    }
    return out;
}

std::optional<std::string> env(const char* name) {
    const char* v = std::getenv(name);
    if (!v) return std::nullopt;
    return std::string(v);
}

std::uint64_t processVirtualSize() {
    const std::string status = readKernelText("/proc/self/status");
    const auto at = status.find("VmSize:");
    return at == std::string::npos ? 0 : std::strtoull(status.c_str() + at + 7, nullptr, 10) * 1024;
}

}  // namespace

fw::system::SystemFacts gatherSystemFacts() {
    fw::system::SystemFacts f;
    f.drives = drives();
    f.network = makeSystemConnectionState()->connected();
    f.userDomain = env("USERDOMAIN");
    f.logonServer = env("LOGONSERVER");
    timespec boot{};
    if (::clock_gettime(CLOCK_BOOTTIME, &boot) == 0) f.uptimeSeconds = static_cast<double>(boot.tv_sec);
    f.bootMode = fw::system::bootModeFromCmdline(readKernelText("/proc/cmdline", 8192));

    utsname u{};
    if (::uname(&u) == 0 && fw::system::kernelVersion(u.release, f.osMajor, f.osMinor, f.osBuild)) {
        f.osKnown = true;
        f.osName = fw::system::osNameFromRelease(readKernelText("/etc/os-release", 65536));
        if (f.osName.empty()) f.osName = fw::system::osNameFromRelease(readKernelText("/usr/lib/os-release", 65536));
        if (f.osName.empty()) f.osName = u.sysname;
    }
    const auto& p = fw::paths();
    f.programFolder = p.programFolder;
    f.settingsFolder = fs::path(p.settingsPath).parent_path().string();
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0) f.computerName = host;
    if (const passwd* pw = ::getpwuid(::geteuid())) f.userName = pw->pw_name;
    else if (auto user = env("USER")) f.userName = *user;

    const auto mem = fw::system::parseMeminfo(readKernelText("/proc/meminfo"));
    if (mem.ok) {
        fw::system::MemoryFacts m;
        m.physTotal = mem.memTotal;
        m.physFree = mem.memAvailable;
        m.swapTotal = mem.swapTotal;
        m.swapFree = mem.swapFree;
        m.loadPercent = static_cast<int>((mem.memTotal - std::min(mem.memAvailable, mem.memTotal)) * 100 / mem.memTotal);
        // The address space: the process's limit, or the 47 bits a 64-bit user process has.
        rlimit as{};
        const std::uint64_t space = ::getrlimit(RLIMIT_AS, &as) == 0 && as.rlim_cur != RLIM_INFINITY
                                        ? static_cast<std::uint64_t>(as.rlim_cur)
                                        : (sizeof(void*) == 8 ? std::uint64_t{1} << 47 : std::uint64_t{3} << 30);
        m.virtTotal = space;
        const std::uint64_t used = processVirtualSize();
        m.virtFree = space > used ? space - used : 0;
        f.memory = m;
    }
    return f;
}

}  // namespace fw::platform
