#pragma once
// File names, titles and texts read from files reach the terminal through what the commands
// print. When standard output or standard error is a terminal, it gets them through a
// TerminalText: a hostile name can no longer send escape sequences. Output into a pipe or a file
// stays byte for byte, so scripts still get the exact names.
#include <cstdio>

namespace fw::cli {

// Puts the filters in place: once, at the start, before anything is printed.
void guardTerminalOutput();

// The unfiltered standard error, for the progress line's own carriage returns and erasing.
std::FILE* terminalControl();

}  // namespace fw::cli
