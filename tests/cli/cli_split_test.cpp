#include <gtest/gtest.h>

#include "cli/cli_support.h"
#include "support/temp_home.h"

namespace {

using fw::test::runCli;

bool has(const std::string& hay, const std::string& needle) { return hay.find(needle) != std::string::npos; }

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
    EXPECT_TRUE(has(r.out, "\"piece_size\": 1000000")) << r.out;
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

}  // namespace
