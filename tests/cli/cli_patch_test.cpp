// The patchers' refusals on the command line: what was read comes first, and --json always prints.
#include <gtest/gtest.h>

#include "cli/cli_support.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "support/temp_home.h"

namespace {

using fw::test::runCli;

TEST(CliPatchRefusals, WhatWasReadIsPrintedBeforeTheMessage) {
    fw::test::TempHome home;
    fw::fixtures::AviSpec vbr;
    fw::fixtures::AviStreamSpec audio;
    audio.sampleSize = 0;
    audio.avgBytesPerSec = 0;  // no average: variable bitrate
    vbr.extra.push_back(audio);
    const std::string f = home.path("vbr.avi");
    fw::fixtures::writeBytes(f, fw::fixtures::buildAvi(vbr));

    auto r = runCli({"sync", f});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "25 fps, 40000 microseconds per frame, 25 frames\n");
    EXPECT_NE(r.err.find("variable bitrate"), std::string::npos) << r.err;

    r = runCli({"sync", f, "--json"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\"error\": \"The audio has a variable bitrate"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"fps\": 25, \"microsec_per_frame\": 40000, \"total_frames\": 25}"), std::string::npos) << r.out;

    // Every patcher prints a JSON object for a file it cannot open.
    for (const char* tool : {"fourcc", "fps", "sync"}) {
        r = runCli({tool, home.path("missing.avi"), "--json"});
        EXPECT_EQ(r.exitCode, 1) << tool;
        EXPECT_NE(r.out.find("\"error\": \"The file cannot be opened.\""), std::string::npos) << tool << ": " << r.out;
    }
}

// A rate the file's dwRate cannot reach with a whole dwScale writes nothing and says why (status
// 1); the file's own rate writes nothing either, and is no failure.
TEST(CliPatchRefusals, FrameRateOutOfReachOrAlreadyThere) {
    fw::test::TempHome home;
    fw::fixtures::AviSpec whole;  // dwRate 25, dwScale 1, as ffmpeg writes
    const std::string f = home.path("whole.avi");
    fw::fixtures::writeBytes(f, fw::fixtures::buildAvi(whole));
    const std::string before = fw::test::readFile(f);
    const struct {
        const char* rate;
        int status;
        const char* says;
    } cases[] = {{"24.000", 1, "no whole dwScale"}, {"25.000", 0, "already has this rate"}};
    for (const auto& c : cases) {
        auto r = runCli({"fps", f, "--set", c.rate});
        EXPECT_EQ(r.exitCode, c.status) << c.rate;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
        EXPECT_EQ(fw::test::readFile(f), before) << c.rate;
    }
}

}  // namespace
