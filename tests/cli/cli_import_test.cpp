// import and inverse on the command line: one figure each proves the wiring; the tables are in
// the core tests.
#include <gtest/gtest.h>

#include "cli/cli_support.h"
#include "core/common/lang.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::has;
using fw::test::jsonField;
using fw::test::runCli;

TEST(CliImport, EachReaderByExtensionOrByName) {
    fw::test::TempHome home;
    const std::string d2v = home.path("movie.d2v"), info = home.path("movie_info.txt"), stats = home.path("movie.stats");
    fw::test::writeFile(d2v, "Field_Operation=1\r\nFrame_Rate=29970\r\n7 0 4 3 1 3 1\r\n");
    fw::test::writeFile(info, "Display mode: 720x480\r\nFrames: 139273\r\n");
    fw::test::writeFile(stats, std::string(4 + 68 * 1000 + 34, '\0'));
    auto r = runCli({"import", d2v, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(jsonField(r.out, "frames", "4.8")) << r.out;
    EXPECT_TRUE(jsonField(r.out, "framerate_text", "\"29.970 fps\""));
    r = runCli({"import", info, "--json"});
    EXPECT_TRUE(jsonField(r.out, "width", "720") && jsonField(r.out, "height", "480") && jsonField(r.out, "frames", "139273")) << r.out;
    r = runCli({"import", stats, "--json"});
    EXPECT_TRUE(jsonField(r.out, "frames", "1000.5")) << r.out;
    // --as overrides the extension; a file the reader cannot use is refused.
    r = runCli({"import", stats, "--as", "d2v"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r.err, "Field_Operation")) << r.err;
    EXPECT_EQ(runCli({"import", home.path("x.avi")}).exitCode, 2);
}

TEST(CliInverse, TheStepOrTheMessage) {
    fw::test::TempHome home;
    fw::fixtures::ByteWriter w;
    w.bytes = fw::fixtures::buildAvi({});
    w.put32(4, 1363148800);  // 1300 MB
    w.put32(140, 135000);    // 5400 s at 25 fps
    const std::string f = home.path("film.avi");
    fw::fixtures::writeBytes(f, w.bytes);
    auto r = runCli({"inverse", f, "--cd80", "2", "--size80", "700", "--overburn", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(jsonField(r.out, "total_mb", "1420")) << r.out;
    EXPECT_TRUE(jsonField(r.out, "bitrate_text", "\"Bitrate audio = 176 Kbit/s\""));
    // No discs: the calculator's message, no bitrate.
    r = runCli({"inverse", f, "--json"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(has(r.out, "bitrate_text"));
    EXPECT_TRUE(has(r.err, fw::LangText("BitcalcMsgBox", 5))) << r.err;
}

}  // namespace
