#include "platform/optical_drives.h"

#include <QStorageInfo>
#include <algorithm>

namespace fw::platform {

std::vector<std::string> opticalMountPoints() {
    std::vector<std::string> out;
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
        if (!s.isValid() || !s.isReady()) continue;
        const QByteArray device = s.device();
        const QByteArray type = s.fileSystemType().toLower();
        if (device.startsWith("/dev/sr") || type == "iso9660" || type == "udf") out.push_back(s.rootPath().toStdString());
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace fw::platform
