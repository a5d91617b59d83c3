#pragma once
// Opening a file the user named. A named pipe or a device would block the open or the first read
// for ever, so only regular files are opened; anything else fails as a file that cannot be opened.
#include <string>

namespace fw {

// open(2) with O_CLOEXEC, for regular files only: -1 (errno EINVAL) for a FIFO, a device, a folder.
int openRegular(const std::string& path, int flags);

}  // namespace fw
