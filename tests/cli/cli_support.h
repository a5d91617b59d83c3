#pragma once
// Runs framewise-cli in a test's own program folder and captures what it prints.
#include <string>
#include <vector>

namespace fw::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliResult runCli(const std::vector<std::string>& args);

// In a child process: becomes framewise-cli with these arguments (exits 127 when it cannot).
[[noreturn]] void execCli(const std::vector<std::string>& args);

}  // namespace fw::test
