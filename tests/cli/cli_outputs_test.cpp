// Every command that writes where the user says: never over the file it reads (named as it is or
// through a link), and over another existing file only with --overwrite.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "cli/cli_support.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "fixtures/stats_builder.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

namespace fs = std::filesystem;
using fw::test::runCli;

TEST(CliOutputs, NeverOverTheInputAndOverOtherFilesOnlyWhenAsked) {
    fw::test::TempHome home;
    const std::string film = home.path("film.avi");
    fw::fixtures::writeBytes(film, fw::fixtures::buildAvi(fw::fixtures::AviSpec{}));
    const std::string stats = home.path("film.stats");
    fw::fixtures::writeBytes(stats, fw::fixtures::buildStats(fw::fixtures::statsPattern(100, 25, false)));
    const std::string info = home.path("ch - CCE.txt");  // the name chapters --out ch would write
    fw::test::writeFile(info, "Chap#=Frame# Name\nChapter1=2 A\nChapter2=5 B\n");
    const auto outArg = [](std::vector<std::string> head, const char* option) {
        return [head, option](const std::string& out) {
            auto args = head;
            args.insert(args.end(), {option, out});
            return args;
        };
    };
    struct Row {
        const char* what;
        std::string input;
        std::function<std::vector<std::string>(const std::string& out)> args;
        bool appends = false;
    };
    const Row rows[] = {
        {"keyframes --out", film, outArg({"keyframes", film}, "--out")},
        {"inspect --save-header", film, outArg({"inspect", film, "--kb", "1"}, "--save-header")},
        {"inspect --report", film, outArg({"inspect", film}, "--report"), true},
        {"stats --report", stats, outArg({"stats", stats}, "--report")},
        {"stats --rescale --out", stats, outArg({"stats", stats, "--rescale", "500"}, "--out")},
        {"chapters --out", info,
         [&](const std::string& out) {
             return std::vector<std::string>{"chapters", "--info", info, "--format", "cce", "--out", out.substr(0, out.size() - 10)};
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string before = fw::test::readFile(row.input);
        const std::string link = home.path("link - CCE.txt");
        fs::remove(link);
        fs::create_symlink(row.input, link);
        const std::string other = home.path(std::string("other - CCE.txt"));
        fw::test::writeFile(other, "precious");
        const auto run = [&](const std::string& out, bool overwrite) {
            auto args = row.args(out);
            if (overwrite) args.push_back("--overwrite");
            return runCli(args);
        };
        for (bool overwrite : {false, !row.appends}) {
            for (const auto& out : {row.input, link}) {
                auto r = run(out, overwrite);
                EXPECT_EQ(r.exitCode, 1) << out << (overwrite ? " --overwrite" : "") << "\n" << r.err;
                EXPECT_TRUE(fw::test::has(r.err, "is the file being read")) << r.err;
                EXPECT_EQ(fw::test::readFile(row.input), before);
            }
        }
        if (row.appends) continue;
        auto refused = run(other, false);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(fw::test::has(refused.err, "--overwrite replaces it")) << refused.err;
        EXPECT_EQ(fw::test::readFile(other), "precious");
        EXPECT_EQ(run(other, true).exitCode, 0);
        EXPECT_NE(fw::test::readFile(other), "precious");
    }

    // A pipe or a device under the name would be replaced by a plain file: refused, asked or not.
    const std::string fifo = home.path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto intoPipe = runCli({"keyframes", film, "--out", fifo, "--overwrite"});
    EXPECT_EQ(intoPipe.exitCode, 1);
    EXPECT_TRUE(fw::test::has(intoPipe.err, "is not a plain file")) << intoPipe.err;
    EXPECT_TRUE(fs::is_fifo(fifo));

    // The join's output is named by the set: a file there already is the user's.
    ASSERT_EQ(runCli({"split", film, "--pieces", "2"}).exitCode, 0);
    const std::string filmBytes = fw::test::readFile(film);
    fw::test::writeFile(film, "precious");
    auto join = runCli({"join", home.path("film.000")});
    EXPECT_EQ(join.exitCode, 1);
    EXPECT_TRUE(fw::test::has(join.err, film)) << join.err;
    EXPECT_EQ(fw::test::readFile(film), "precious");
    EXPECT_EQ(runCli({"join", home.path("film.000"), "--overwrite"}).exitCode, 0);
    EXPECT_EQ(fw::test::readFile(film), filmBytes);
}

}  // namespace
