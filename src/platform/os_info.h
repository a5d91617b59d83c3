#pragma once
// The operating system's name and version numbers, as the main window's status bar shows them.
#include <cstdint>
#include <string>

namespace fw::platform {

struct OsDescription {
    bool ok = false;
    std::string family;  // "Linux", "FreeBSD"...
    std::uint32_t major = 0, minor = 0, build = 0;
};

OsDescription queryOsVersion();

// family, a blank, major "." minor, " b", a blank, build: "Linux 6.1 b 0".
std::string statusText(const OsDescription& os);

}  // namespace fw::platform
