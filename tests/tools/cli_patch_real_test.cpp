// The three header patchers on real files made by ffmpeg, driven through framewise-cli and
// checked byte by byte against the original and with ffprobe.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "cli/cli_support.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::probe;
using fw::test::quote;
using fw::test::diff;
using fw::test::has;
using fw::test::runCli;

class CliPatch : public ::testing::Test {
protected:
    fw::test::TempHome home;
    std::string original;
    void SetUp() override {
        FW_REQUIRE_TOOLS("ffmpeg", "ffprobe");
        original = home.path("orig.avi");
        // 8-bit mono PCM is written byte-counted (dwScale 1, dwSampleSize 1), the constant-bitrate
        // kind the synchronizer works on; the audio is shorter than the video. The NTSC rate gives
        // dwRate 30000 / dwScale 1001, so the frame-rate presets have something to change.
        ASSERT_EQ(fw::test::sh("ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=30000/1001 -f lavfi -i "
                               "sine=sample_rate=22050 -t 3 -map 0:v -map 1:a -c:v mpeg4 -vtag DIVX -b:v 200k "
                               "-c:a pcm_u8 -af atrim=0:2.5 " + quote(original)), 0);
    }
    std::string copy(const char* name) {
        std::string p = home.path(name);
        fw::test::writeFile(p, fw::test::readFile(original));
        ::chmod(p.c_str(), 0644);
        return p;
    }
};

TEST_F(CliPatch, FourccChangesExactlyTheTwoCodes) {
    std::string f = copy("fourcc.avi");
    auto r = runCli({"fourcc", f, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "\"compression\": \"DIVX\"")) << r.out;
    r = runCli({"fourcc", f, "--set", "XVID", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "\"modified\": true"));
    auto d = diff(fw::test::readFile(original), fw::test::readFile(f));
    ASSERT_EQ(d.size(), 8u);  // "DIVX" -> "XVID" differs in every byte, at both places
    EXPECT_EQ(d[3] - d[0], 3u);
    EXPECT_EQ(d[7] - d[4], 3u);
    EXPECT_EQ(probe(f, "v:0", "stream=codec_tag_string"), "XVID");
    r = runCli({"fourcc", f, "--set", "mp43"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(probe(f, "v:0", "stream=codec_tag_string"), "mp43");
}

TEST_F(CliPatch, FpsChangesOnlyTheScale) {
    std::string f = copy("fps.avi");
    auto r = runCli({"fps", f, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "\"rate\": 30000, \"scale\": 1001, \"fps\": 29.97")) << r.out;
    r = runCli({"fps", f, "--set", "25.000", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "\"new_scale\": 1200")) << r.out;
    auto d = diff(fw::test::readFile(original), fw::test::readFile(f));
    ASSERT_FALSE(d.empty());
    for (auto pos : d) EXPECT_TRUE(pos >= 128 && pos < 132) << pos;
    EXPECT_EQ(probe(f, "v:0", "stream=r_frame_rate"), "25/1");
}

TEST_F(CliPatch, SyncWritesTheVideoRateAndScale) {
    std::string f = copy("sync.avi");
    auto r = runCli({"sync", f, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "\"ok\": false")) << r.out;
    EXPECT_EQ(fw::test::readFile(f), fw::test::readFile(original));  // showing writes nothing
    r = runCli({"sync", f, "--apply", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto d = diff(fw::test::readFile(original), fw::test::readFile(f));
    ASSERT_FALSE(d.empty());
    EXPECT_LT(d.back() - d.front(), 8u);  // inside the video stream's dwScale and dwRate
    // 90 frames over 2.5 s of audio: 36 frames per second.
    EXPECT_TRUE(has(r.out, "\"new_scale\": 100000, \"new_rate\": 3600000")) << r.out;
    EXPECT_EQ(probe(f, "v:0", "stream=r_frame_rate"), "36/1");
    r = runCli({"sync", f, "--json"});
    EXPECT_TRUE(has(r.out, "\"ok\": true")) << r.out;
}

TEST_F(CliPatch, RefusalsNameTheReasonAndLeaveTheFile) {
    std::string vbr = home.path("vbr.avi");
    ASSERT_EQ(fw::test::sh("ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine -t 1 "
                           "-c:v mpeg4 -c:a libmp3lame " + quote(vbr)), 0);
    const std::string before = fw::test::readFile(vbr);
    auto r = runCli({"sync", vbr, "--apply"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(has(r.err, "variable bitrate")) << r.err;

    std::string ro = copy("ro.avi");
    ::chmod(ro.c_str(), 0444);
    r = runCli({"fourcc", ro, "--set", "XVID"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(has(r.err, "read-only")) << r.err;
    EXPECT_EQ(fw::test::readFile(ro), fw::test::readFile(original));

    std::string notAvi = home.path("x.avi");
    fw::test::writeFile(notAvi, std::string(200, 'x'));
    EXPECT_NE(runCli({"fps", notAvi, "--set", "25"}).exitCode, 0);
    EXPECT_EQ(runCli({"fps", ro, "--set", "50"}).exitCode, 2);
    EXPECT_EQ(runCli({"fourcc", ro, "--set", "H264"}).exitCode, 2);
    EXPECT_EQ(fw::test::readFile(vbr), before);
}

}  // namespace
