#pragma once
// What the system information report says about this computer, asked of the kernel, the
// distribution and the environment.
#include "core/system/system_report.h"

namespace fw::platform {

fw::system::SystemFacts gatherSystemFacts();

}  // namespace fw::platform
