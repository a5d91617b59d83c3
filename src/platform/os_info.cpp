#include "platform/os_info.h"

#include <sys/utsname.h>

#include <cstdlib>

namespace fw::platform {

OsDescription queryOsVersion() {
    OsDescription d;
    struct utsname u {};
    if (::uname(&u) != 0) return d;
    d.ok = true;
    d.family = u.sysname;
    // The kernel release reads "6.1.0-18-amd64": major, minor and the third number as the build.
    const char* p = u.release;
    std::uint32_t* fields[3] = {&d.major, &d.minor, &d.build};
    for (auto* f : fields) {
        char* end = nullptr;
        unsigned long v = std::strtoul(p, &end, 10);
        if (end == p) break;
        *f = static_cast<std::uint32_t>(v);
        p = end;
        if (*p != '.') break;
        ++p;
    }
    return d;
}

std::string statusText(const OsDescription& os) {
    return os.family + " " + std::to_string(os.major) + "." + std::to_string(os.minor) + " b" + " " +
           std::to_string(os.build);
}

}  // namespace fw::platform
