#include <gtest/gtest.h>

#include "cli/cli_support.h"
#include "core/common/lang.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::has;
using fw::test::runCli;

TEST(CliCodecs, LooksCodesUpAndListsKeys) {
    fw::test::TempHome home;
    auto r = runCli({"codecs", "fourcc", "XVID"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Codec: XviD MPEG-4 Advanced Simple Profile\n")) << r.out;
    // A tag in decimal, with leading zeros, or in hexadecimal.
    for (const char* tag : {"85", "0085", "0x55", "0X0055"}) {
        r = runCli({"codecs", "audio", tag, "--json"});
        ASSERT_EQ(r.exitCode, 0) << tag;
        EXPECT_TRUE(has(r.out, "\"codec\": \"MPEG-1 Audio Layer 3 (MP3)\"")) << tag << r.out;
    }
    r = runCli({"codecs", "list", "audio", "--json"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(has(r.out, "[\"1\", \"2\", \"3\", ")) << r.out.substr(0, 80);  // by number
    r = runCli({"codecs", "list", "fourcc"});
    EXPECT_TRUE(has(r.out, "\nXVID\n"));
}

TEST(CliCodecs, NotFoundExitsOneWithTheMessage) {
    fw::test::TempHome home;
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"codecs", "fourcc", "X'Y"}, "This FourCC code is not in the database."},
        {{"codecs", "audio", "99999"}, "This audio format tag is not in the database."},
    };
    for (const auto& [args, msg] : cases) {
        auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(has(r.err, msg)) << r.err;
    }
    EXPECT_EQ(runCli({"codecs", "fourcc"}).exitCode, 2);
    EXPECT_EQ(runCli({"codecs", "list", "video"}).exitCode, 2);
    // The lookup of a quote harmed nothing.
    EXPECT_EQ(runCli({"codecs", "fourcc", "XVID"}).exitCode, 0);
}

TEST(CliResize, TheWindowsLabelsAndFigures) {
    fw::test::TempHome home;
    auto r = runCli({"resize", "--width", "640", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fw::test::jsonField(r.out, "height", "512")) << r.out;
    EXPECT_TRUE(fw::test::jsonField(r.out, "ar_error_percent", "0"));
    EXPECT_TRUE(fw::test::jsonField(r.out, "input_ar", "1.25"));
    r = runCli({"resize", "--no-ar", "--width", "640", "--height", "270", "--mod", "16x16", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "\"final_width\": 640, \"final_height\": 272")) << r.out;
    r = runCli({"resize", "--source", "720x480", "--height-percent", "50", "--keep-ar", "16:9"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "427 X 240\n")) << r.out;
    EXPECT_TRUE(has(r.out, "Input A/R: 1.5 :1\n"));
}

TEST(CliResize, Refusals) {
    fw::test::TempHome home;
    const std::vector<std::string> cases[] = {
        {"resize"},
        {"resize", "--width", "640", "--height", "480"},
        {"resize", "--source", "720x0", "--width", "640"},
        {"resize", "--width", "abc"},
        {"resize", "--width", "640", "--keep-ar", "16/9"},
    };
    for (const auto& c : cases) EXPECT_NE(runCli(c).exitCode, 0) << c.back();
    // Values judged by what they are, with the window's messages, and no figures printed.
    const std::pair<std::vector<std::string>, int> guarded[] = {
        {{"resize", "--width", "0"}, 1},         {{"resize", "--width", "-640"}, 1},
        {{"resize", "--width", "1e12"}, 1},      {{"resize", "--source", "720x00"}, 1},
        {{"resize", "--source", "720x0.4"}, 1},  {{"resize", "--width", "640", "--keep-ar", "0:0"}, 2},
        {{"resize", "--no-ar", "--width", "640", "--height", "270", "--mod", "0x16"}, 3},
    };
    for (const auto& [args, key] : guarded) {
        auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 1) << args.back();
        EXPECT_EQ(r.out, "") << args.back();
        EXPECT_TRUE(has(r.err, fw::LangText("ResizerMsgBox", key))) << r.err;
    }
}

}  // namespace
