#pragma once
// A terminate, hang-up or interrupt signal (logging out, kill, Ctrl+C in the terminal that started
// the program) closes the windows as the user would, so long work stops at a safe point and no
// temporary file is left behind. Without this the process would end in the middle of a write.
#include <functional>

namespace fw::platform {

// Calls onSignal on the Qt event loop's thread when one of the signals arrives. Once per process.
void closeOnTerminationSignals(std::function<void()> onSignal);
// True once such a signal has come: windows ask nothing more and open nothing new.
bool terminating();

}  // namespace fw::platform
