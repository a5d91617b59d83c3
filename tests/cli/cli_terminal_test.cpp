// What the command line shows on a terminal when a file's name carries escape sequences: the name
// prints with them as '?', while the same output into a file keeps the exact bytes for scripts.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "cli/cli_support.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::has;

// Runs the command with standard output and error on a pseudo-terminal, as a person's shell has.
std::string runOnTerminal(const std::vector<std::string>& args) {
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0) return "forkpty failed";
    if (pid == 0) fw::test::execCli(args);
    std::string seen;
    char buf[4096];
    // Read until the child closes its side (EIO on Linux); the poll keeps a stuck child from
    // holding the test for ever.
    for (pollfd p{master, POLLIN, 0}; ::poll(&p, 1, 60000) > 0;) {
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        seen.append(buf, static_cast<std::size_t>(n));
    }
    ::close(master);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return seen;
}

TEST(CliTerminal, NamesWithEscapeSequencesPrintWithoutThem) {
    fw::test::TempHome home;
    const std::string evil = "x\x1b]0;owned\x07\x1b[2J\xc2\x9b" "31m\rcover";
    const std::string shown = "x?]0;owned??[2J?31m?cover";
    const std::string notAvi = home.path(evil + ".avi");
    fw::test::writeFile(notAvi, "not an avi at all");
    const std::string film = home.path(evil + "-film.avi");
    fw::fixtures::writeBytes(film, fw::fixtures::buildAvi(fw::fixtures::AviSpec{}));

    const struct {
        std::vector<std::string> args;
        std::string expected;  // on the terminal
        bool progress;         // the progress line's own erase must still reach it
    } cases[] = {
        {{"inspect", notAvi}, shown + ".avi: This is not an AVI file.", false},
        {{"check", film}, shown + "-film.avi", true},
    };
    for (const auto& c : cases) {
        const std::string seen = runOnTerminal(c.args);
        EXPECT_TRUE(has(seen, c.expected)) << ::testing::PrintToString(seen);
        EXPECT_EQ(seen.find("\x1b]"), std::string::npos) << ::testing::PrintToString(seen);
        EXPECT_EQ(seen.find("\x1b[2J"), std::string::npos);
        EXPECT_EQ(seen.find("\xc2\x9b"), std::string::npos);
        EXPECT_EQ(has(seen, "\r\x1b[K"), c.progress) << ::testing::PrintToString(seen);
        // Into a file, the name stays exactly the file's name.
        const auto r = fw::test::runCli(c.args);
        EXPECT_TRUE(has(r.out + r.err, evil)) << c.args[0];
    }
}

}  // namespace
