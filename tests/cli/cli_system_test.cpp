#include <gtest/gtest.h>

#include "cli/cli_support.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::has;
using fw::test::jsonField;
using fw::test::runCli;

TEST(CliSystem, ShutdownDryRunShowsTheWaitAndTheCallsAndMakesNone) {
    fw::test::TempHome home;
    auto r = runCli({"shutdown", "--in", "1:2:3:4", "--action", "poweroff", "--dry-run", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(jsonField(r.out, "wait_s", "93784")) << r.out;
    EXPECT_TRUE(has(r.out, "{\"flags\": 9, \"reserved\": 4294967295, \"logind\": \"PowerOff\", \"ignore_inhibitors\": false}")) << r.out;
    EXPECT_TRUE(has(r.out, "{\"flags\": 25, \"reserved\": 0, \"logind\": \"PowerOff\", \"ignore_inhibitors\": true}"));
    EXPECT_TRUE(has(r.out, "{\"flags\": 17, "));
    r = runCli({"shutdown", "--in", "0:0:0:5", "--action", "logoff", "--dry-run"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(has(r.out, "wait 5 s, then logoff")) << r.out;
    EXPECT_TRUE(has(r.out, "logind TerminateSession"));

    const std::vector<std::vector<std::string>> refused = {
        {"shutdown", "--in", "1:2:3", "--action", "reboot", "--dry-run"},
        {"shutdown", "--in", "0:0:0:1", "--action", "hibernate", "--dry-run"},
        {"shutdown", "--in", "0:0:0:1", "--at", "2030-01-01 00:00:00", "--action", "reboot", "--dry-run"},
        {"shutdown", "--at", "2030-02-30 00:00:00", "--action", "reboot", "--dry-run"},
        {"shutdown", "--action", "reboot", "--dry-run"},
    };
    for (const auto& args : refused) EXPECT_EQ(runCli(args).exitCode, 2) << args[2];
    r = runCli({"shutdown", "--at", "2001-01-01 00:00:00", "--action", "reboot", "--dry-run"});
    EXPECT_EQ(r.exitCode, 1);  // a past time: the window's refusal
}

TEST(CliSystem, InstalledCodecsByCategory) {
    fw::test::TempHome home;
    auto r = runCli({"codecs", "installed", "audio-compressors", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(jsonField(r.out, "category", "\"audio-compressors\""));
    EXPECT_TRUE(has(r.out, "\"ac3 - ")) << r.out.substr(0, 200);
    r = runCli({"codecs", "installed", "video-compressors"});
    EXPECT_TRUE(has(r.out, "\nmpeg4 - ") || r.out.rfind("mpeg4 - ", 0) == 0);
    r = runCli({"codecs", "installed", "scanners"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(has(r.err, "video-compressors|audio-compressors|filters|video-capture|audio-capture|audio-renderers|midi")) << r.err;
}

TEST(CliSystem, UpdateCheckWithoutAServerWarnsAndFails) {
    fw::test::TempHome home;
    auto r = runCli({"update-check", "--url", "http://127.0.0.1:9/framewise_update.txt", "--json"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(jsonField(r.out, "running", "\"3.6.2\"")) << r.out;
    EXPECT_TRUE(has(r.err, "could not be downloaded")) << r.err;
    EXPECT_EQ(runCli({"update-check", "--url", "ftp://host/framewise_update.txt"}).exitCode, 1);
}

}  // namespace
