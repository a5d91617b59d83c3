#include <gtest/gtest.h>

#include "cli/cli_support.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::has;
using fw::test::runCli;

TEST(CliSplit, SplitAndJoin) {
    fw::test::TempHome home;
    std::string f = home.path("movie.avi");
    std::string bytes(3000000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    fw::test::writeFile(f, bytes);
    auto r = runCli({"split", f, "--preset", "1024 KB", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "{\"name\": \"movie.003\", \"size\": 902848}")) << r.out;
    EXPECT_TRUE(has(r.out, "\"piece_size\": 1048576, \"count\": 3"));
    r = runCli({"split", f, "--pieces", "3", "--out", home.path(""), "--json"});
    EXPECT_TRUE(fw::test::jsonField(r.out, "piece_size", "1000000")) << r.out;
    std::remove(f.c_str());
    r = runCli({"join", home.path("movie.000"), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(fw::test::readFile(f), bytes);
    std::remove(home.path("movie.002").c_str());
    r = runCli({"join", home.path("movie.000")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(has(r.err, "movie.002")) << r.err;
    EXPECT_NE(runCli({"join", f}).exitCode, 0);  // not a .000 name
    EXPECT_NE(runCli({"split", f, "--preset", "100 MB"}).exitCode, 0);
    EXPECT_NE(runCli({"split", home.path("movie.001")}).exitCode, 0);
}

TEST(CliSplit, CountModeAndNameClashes) {
    fw::test::TempHome home;
    std::string f = home.path("clip.bin");
    fw::test::writeFile(f, std::string(1000000, 'x'));
    // 1,000,000 bytes in 3 pieces: three pieces, not the four a rounded-up size would give.
    auto r = runCli({"split", f, "--pieces", "3", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "\"piece_size\": 333333, \"count\": 3")) << r.out;
    EXPECT_TRUE(has(r.out, "{\"name\": \"clip.003\", \"size\": 333334}")) << r.out;
    // A source named like its own first piece is refused, and stays as it was.
    std::string clash = home.path("tape.001");
    fw::test::writeFile(clash, std::string(5000, 'y'));
    r = runCli({"split", clash, "--piece-size", "2000", "--delete-source"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r.err, "tape.001")) << r.err;
    EXPECT_EQ(fw::test::readFile(clash), std::string(5000, 'y'));
}

}  // namespace
