#include <gtest/gtest.h>

#include "cli/cli_support.h"
#include "fixtures/byte_writer.h"
#include "fixtures/stats_builder.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::has;
using fw::test::runCli;

TEST(CliStats, SummaryFramesReportRescaleKeyframe) {
    fw::test::TempHome home;
    std::string f = home.path("film.stats");
    fw::fixtures::writeBytes(f, fw::fixtures::buildStats(fw::fixtures::statsPattern(100, 25, false)));
    auto r = runCli({"stats", f, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fw::test::jsonField(r.out, "frames", "100")) << r.out;
    EXPECT_TRUE(fw::test::jsonField(r.out, "i_frames", "4"));
    EXPECT_TRUE(has(r.out, "\"max_b\": null"));
    EXPECT_TRUE(has(r.out, "\"distribution\": {\"below\": "));

    r = runCli({"stats", f, "--frame", "26"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(has(r.out, "FrameSize 30400\r\n"));
    EXPECT_TRUE(has(r.out, "Intra-Frame (I)"));
    EXPECT_NE(runCli({"stats", f, "--frame", "101"}).exitCode, 0);

    std::string report = home.path("r.txt");
    ASSERT_EQ(runCli({"stats", f, "--report", report, "--frames-table"}).exitCode, 0);
    EXPECT_TRUE(has(fw::test::readFile(report), std::string(96, '-')));

    std::string out = home.path("small.stats");
    r = runCli({"stats", f, "--rescale", "500", "--out", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Scale factor: "));
    r = runCli({"stats", out, "--json"});
    // Scaled below the smallest frame, the P-frames are all held at it: the file cannot get to 500 KB.
    EXPECT_TRUE(has(r.out, "\"frames\": 100, \"total_kb\": 814, \"max\": 16504, \"min\": 8000")) << r.out;

    r = runCli({"stats", f, "--keyframe", "2", "--size", "largest"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "modified"));
    r = runCli({"stats", f, "--keyframe", "2"});
    EXPECT_TRUE(has(r.out, "unchanged"));
}

TEST(CliStats, Refusals) {
    fw::test::TempHome home;
    std::string bad = home.path("bad.stats");
    fw::fixtures::writeBytes(bad, fw::fixtures::buildStats({fw::fixtures::statsFrame(5)}, -21));
    auto r = runCli({"stats", bad});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(has(r.err, "version word")) << r.err;
    r = runCli({"stats", home.path("none.stats")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(has(r.err, "cannot be found")) << r.err;
    std::string f = home.path("f.stats");
    fw::fixtures::writeBytes(f, fw::fixtures::buildStats(fw::fixtures::statsPattern(10)));
    EXPECT_NE(runCli({"stats", f, "--keyframe", "11"}).exitCode, 0);
    EXPECT_NE(runCli({"stats", f, "--rescale", "100"}).exitCode, 0);
}

}  // namespace
