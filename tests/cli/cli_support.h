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

}  // namespace fw::test
