#include <gtest/gtest.h>

#include "cli/cli_support.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::runCli;

const std::vector<std::string> kExample = {"bitrate", "--discs", "1x700", "--time", "1:30:0", "--audio-kbps", "128",
                                           "--frame-overhead", "--resolution", "640x272", "--json"};

std::vector<std::string> withProfile(const char* p) {
    auto a = kExample;
    a.push_back("--profile");
    a.push_back(p);
    return a;
}

TEST(CliBitrate, WorkedExampleAsJson) {
    fw::test::TempHome home;
    auto r = runCli(withProfile("divx4"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fw::test::jsonField(r.out, "video_kbps", "949.14")) << r.out;
    EXPECT_TRUE(fw::test::jsonField(r.out, "bits_per_pixel", "0.2181")) << r.out;
    EXPECT_TRUE(fw::test::jsonField(r.out, "video_kb", "625654"));
    EXPECT_NE(r.out.find("\"texts\": [\"Video bitrate = 949 Kbit/s\""), std::string::npos);

    r = runCli(withProfile("divx3"));
    EXPECT_TRUE(fw::test::jsonField(r.out, "video_kbps", "926.89")) << r.out;
    r = runCli(withProfile("divx3fm"));
    EXPECT_TRUE(fw::test::jsonField(r.out, "video_kbps", "1899.67")) << r.out;
    EXPECT_NE(r.out.find("bits per pixel: 0.218\""), std::string::npos) << r.out;
}

TEST(CliBitrate, TextOutputIsTheNineLines) {
    fw::test::TempHome home;
    auto a = kExample;
    a.pop_back();
    auto r = runCli(a);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Video bitrate = 949 Kbit/s\nRunning time = 5400 sec.\nAudio size = 84.375 MB\nFrames = 135000\n"
              "Kbits per frame = 37.97\nVideo overhead = 3.09 MB\nAudio overhead = 1.545 MB\n"
              "Res: 640 X 272 - bits per pixel: 0.2181\nVideo size (KB) = 625654\n");
}

TEST(CliBitrate, RefusalsExitNonZeroWithTheWindowsMessage) {
    fw::test::TempHome home;
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"bitrate", "--size", "0"}, "No media size"},
        {{"bitrate", "--time", "0:0:0"}, "No running time"},
        {{"bitrate", "--time", "1:60:0"}, "Minutes may be at most 59"},
        {{"bitrate", "--frames", "900000"}, "at most 809999.75"},
        {{"bitrate", "--discs", "1x123"}, "not one of 650"},
        {{"bitrate", "--discs", "1x700", "--discs", "1x700", "--discs", "1x700"}, "at most two"},
        {{"bitrate", "--profile", "divx9"}, "--profile takes"},
        {{"bitrate", "--bogus"}, "unknown option --bogus"},
        {{"bitrate", "--audio-kbps", "lots"}, "You must insert a numeric value"},
        {{"bitrate", "--audio-file", "/no/such/file.mp3"}, "cannot read the audio file"},
        {{"bitrate", "--discs", "-2x700"}, "must not be negative"},
        {{"bitrate", "--time", "-1:30:0"}, "must not be negative"},
        {{"bitrate", "--interleave", "5000"}, "too long"},
    };
    for (const auto& c : cases) {
        auto r = runCli(c.args);
        EXPECT_NE(r.exitCode, 0) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(CliBitrate, TwoDiscTypesFramesAndAudioFile) {
    fw::test::TempHome home;
    auto r = runCli({"bitrate", "--discs", "2x700", "--discs", "1x650", "--overburn", "--frames", "135000", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fw::test::jsonField(r.out, "total_mb", "2080")) << r.out;
    EXPECT_TRUE(fw::test::jsonField(r.out, "duration_s", "5400"));

    std::string audio = home.path("track.ac3");
    fw::test::writeFile(audio, std::string(1048576 * 2, 'a'));
    r = runCli({"bitrate", "--audio-file", audio, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fw::test::jsonField(r.out, "audio_mb", "2")) << r.out;
}

TEST(CliBitrate, VersionAndHelp) {
    auto r = runCli({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "3.6.2\n");
    r = runCli({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("bitrate"), std::string::npos);
    r = runCli({"frobnicate"});
    EXPECT_NE(r.exitCode, 0);
    // No arguments: a line of usage on standard error, exit 2, nothing on standard output.
    r = runCli({});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
}

// FFmpeg's libraries (and the 170 they bring) are opened by the commands that decode or name
// codecs, not by every start: the loader's own record of what it opened says which.
TEST(CliBitrate, FfmpegIsLoadedOnlyWhenACommandNeedsIt) {
    fw::test::TempHome home;
    const std::string cli = fw::test::quote(FW_CLI_PATH);
    const struct {
        std::string args;
        bool loads;
    } cases[] = {
        {"--version", false},
        {"bitrate --discs 1x700 --time 1:30:0", false},
        {"resize --source 720x576 --width 640", false},
        {"codecs installed audio-compressors", true},
    };
    for (const auto& c : cases) {
        const std::string libs = fw::test::capture("LD_DEBUG=files " + cli + " " + c.args + " 2>&1 >/dev/null");
        EXPECT_EQ(libs.find("libavcodec.so") != std::string::npos, c.loads) << c.args;
    }
}

}  // namespace
