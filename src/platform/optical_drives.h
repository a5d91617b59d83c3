#pragma once
// Optical discs as this system shows them: mounted volumes of /dev/sr* devices or of the disc
// file systems (iso9660, udf), in mount-point order. They stand for the drive letters of a DVD
// drive: the first is "the first DVD drive".
#include <string>
#include <vector>

namespace fw::platform {

std::vector<std::string> opticalMountPoints();

}  // namespace fw::platform
