#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_support.h"
#include "fixtures/byte_writer.h"
#include "fixtures/ifo_builder.h"
#include "fixtures/stats_builder.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::has;
using fw::test::runCli;

TEST(CliDvd, IfoJsonAndChapterFiles) {
    fw::test::TempHome home;
    namespace fs = std::filesystem;
    fs::create_directories(home.dir() / "disc" / "VIDEO_TS");
    fw::fixtures::writeBytes((home.dir() / "disc" / "VIDEO_TS" / "VTS_01_0.IFO").string(), fw::fixtures::buildIfo({}));
    auto r = runCli({"ifo", home.path("disc"), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "\"video\": \"MPEG2 720x576 PAL 16:9\", \"audio\": [\"0x80, English - AC3 6Ch \"]")) << r.out;
    EXPECT_TRUE(has(r.out, "\"program_chains\": [{\"time\": \"00:04:00\", \"chapters\": [{\"duration\": \"00:01:30\", "
                           "\"start\": \"00:00:00\"}, {\"duration\": \"00:02:00\", \"start\": \"00:01:30\"}"));
    r = runCli({"chapters", "--dvd", home.path("disc"), "--format", "maestro", "--out", home.path("dvd")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(fw::test::readFile(home.path("dvd - DVDMaestro.chp")), "$Spruce_IFrame_List\r\n\r\n00:00:00\r\n00:01:30\r\n00:03:30\r\n");
    // A wrong path is said to be one, not taken for an empty drive.
    for (const auto& [path, says] : {std::pair{home.path("nothing"), "does not exist"}, std::pair{home.path("lang"), "no IFO file here"}}) {
        auto bad = runCli({"ifo", path});
        EXPECT_NE(bad.exitCode, 0);
        EXPECT_TRUE(has(bad.err, says)) << bad.err;
    }

    std::string info = home.path("info.txt");
    fw::test::writeFile(info, "Chap#=Frame# Name\nChapter1=2 A\nChapter2=5 B\n");
    r = runCli({"chapters", "--info", info, "--format", "cce", "--out", home.path("x")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(fw::test::readFile(home.path("x - CCE.txt")), "Chapter=2:\r\nChapter=5:\r\n");
    std::string stats = home.path("s.stats");
    fw::fixtures::writeBytes(stats, fw::fixtures::buildStats(fw::fixtures::statsPattern(10, 100, false)));
    r = runCli({"chapters", "--info", info, "--sync-stats", stats});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "2 key frames set"));
    fw::fixtures::writeBytes(stats, fw::fixtures::buildStats(fw::fixtures::statsPattern(5, 100, false)));
    EXPECT_NE(runCli({"chapters", "--info", info, "--sync-stats", stats}).exitCode, 0);
}

}  // namespace
