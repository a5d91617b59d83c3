#include "cli/cli_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/temp_home.h"

namespace fw::test {

void execCli(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string exe = FW_CLI_PATH;
    argv.push_back(exe.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    std::_Exit(127);
}

CliResult runCli(const std::vector<std::string>& args) {
    // Output goes to files: no pipe can fill up, and stdout and stderr stay apart.
    auto dir = std::filesystem::temp_directory_path();
    std::string outPath = (dir / ("fwcli_out_" + std::to_string(::getpid()))).string();
    std::string errPath = (dir / ("fwcli_err_" + std::to_string(::getpid()))).string();
    pid_t pid = ::fork();
    if (pid == 0) {
        std::FILE* o = std::freopen(outPath.c_str(), "w", stdout);
        std::FILE* e = std::freopen(errPath.c_str(), "w", stderr);
        (void)o;
        (void)e;
        execCli(args);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    CliResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(outPath);
    r.err = readFile(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return r;
}

}  // namespace fw::test
