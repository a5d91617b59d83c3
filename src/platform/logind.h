#pragma once
// Ending the logon through systemd-logind on the system bus. Tests never use this one: the
// sequence is tested on fw::system::RecordingBackend, and no test may shut a machine down.
#include <memory>

#include "core/system/shutdown.h"

namespace fw::platform {

std::unique_ptr<fw::system::ExitBackend> makeLogindBackend();

}  // namespace fw::platform
