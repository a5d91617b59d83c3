// check, repair, keyframes and the batch tables of inspect, as scripts use them: exit statuses,
// JSON, CSV rows (one per file, errors included), folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_support.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::has;
using fw::test::runCli;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

class CliCheck : public ::testing::Test {
protected:
    fw::test::TempHome home;
    std::string sound, cut, notAvi;
    void SetUp() override {
        fw::fixtures::AviSpec spec;
        spec.extra.push_back({});
        spec.extra[0].length = 16000;  // 1 s of audio, as long as the 25 frames
        const auto bytes = fw::fixtures::buildAvi(spec);
        std::filesystem::create_directories(home.path("films/old"));
        sound = home.path("films/sound, final.avi");  // a comma: the CSV field is quoted
        cut = home.path("films/old/cut.avi");
        notAvi = home.path("films/old/notes.avi");
        fw::fixtures::writeBytes(sound, bytes);
        fw::fixtures::writeBytes(cut, fw::fixtures::truncateAvi(bytes, 1500));
        fw::test::writeFile(notAvi, "not an avi");
        fw::test::writeFile(home.path("films/readme.txt"), "not looked at");
    }
};

TEST_F(CliCheck, ExitStatusSortsFiles) {
    const struct {
        std::vector<std::string> files;
        int status;
    } cases[] = {
        {{sound}, 0},
        {{cut}, 1},
        {{notAvi}, 2},
        {{sound, cut}, 1},
        {{sound, cut, notAvi}, 2},
        {{home.path("missing.avi")}, 2},
        {{home.path("films/old")}, 2},  // a folder with a file it cannot read
        {{home.path("empty")}, 2},      // a folder with no AVI file: said, not silent
    };
    std::filesystem::create_directories(home.path("empty/sub"));
    for (const auto& c : cases) {
        std::vector<std::string> args = {"check"};
        args.insert(args.end(), c.files.begin(), c.files.end());
        auto r = runCli(args);
        EXPECT_EQ(r.exitCode, c.status) << c.files.size() << " " << c.files.back() << "\n" << r.out << r.err;
    }
}

TEST_F(CliCheck, JsonProblemsWithCodeSeverityAndText) {
    auto r = runCli({"check", cut, "--json"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.rfind("{\"file\": ", 0), 0u) << r.out;  // one file: one object
    EXPECT_TRUE(fw::test::jsonField(r.out, "ok", "false"));
    EXPECT_TRUE(has(r.out, "{\"code\": \"truncated\", \"severity\": \"error\", \"text\": \"The file is cut short: it holds 23 whole frames (0.92 s).\"}"))
        << r.out;
    EXPECT_TRUE(has(r.out, "\"frame_rate\": {\"num\": 25, \"den\": 1, \"name\": \"PAL 25\"}"));

    auto many = runCli({"check", sound, notAvi, "--json"});
    EXPECT_EQ(many.out.rfind("[{\"file\": ", 0), 0u) << many.out;
    EXPECT_TRUE(has(many.out, "\"ok\": true, \"readable\": true, \"problems\": []"));
    EXPECT_TRUE(has(many.out, "\"readable\": false, \"error\": \"This is not an AVI file.\""));
}

TEST_F(CliCheck, CsvOfAFolderOneRowPerFile) {
    // Without --recursive only the folder's own AVI files; with it, those of its sub-folders too.
    auto flat = runCli({"check", home.path("films"), "--csv"});
    auto deep = runCli({"check", home.path("films"), "--csv", "--recursive"});
    const auto f = lines(flat.out), d = lines(deep.out);
    ASSERT_EQ(f.size(), 2u) << flat.out;
    ASSERT_EQ(d.size(), 4u) << deep.out;
    EXPECT_EQ(f[0].rfind("file,ok,readable,problems,frame_rate,", 0), 0u);
    EXPECT_EQ(f[1].rfind("\"" + sound + "\",true,true,,25/1,PAL 25,25,1,3,", 0), 0u) << f[1];
    EXPECT_EQ(deep.exitCode, 2);
    EXPECT_EQ(d[1].rfind(cut + ",false,true,truncated;no-index,", 0), 0u) << d[1];
    EXPECT_EQ(d[2], notAvi + ",false,false,,,,,,,,,,,,This is not an AVI file.");
}

TEST_F(CliCheck, InspectCsvWithErrorRows) {
    auto r = runCli({"inspect", home.path("films"), "--recursive", "--csv"});
    EXPECT_EQ(r.exitCode, 1);
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 4u) << r.out;
    EXPECT_EQ(rows[0].rfind("file,format,complete,missing_mb,width,height,fps,total_frames,duration_s,", 0), 0u);
    EXPECT_EQ(rows[1].rfind(cut + ",AVI,false,0,640,480,25,25,1,XVID,", 0), 0u) << rows[1];
    EXPECT_EQ(rows[2].rfind(notAvi + ",", 0), 0u);
    EXPECT_TRUE(has(rows[2], ",This is not an AVI file.")) << rows[2];
    EXPECT_EQ(rows[3].rfind("\"" + sound + "\",AVI,true,", 0), 0u) << rows[3];
    EXPECT_EQ(runCli({"inspect", sound, "--csv", "--json"}).exitCode, 2);
}

TEST_F(CliCheck, RepairWritesANewFileAndRefusesItsSource) {
    const std::string fixed = home.path("fixed.avi");
    auto r = runCli({"repair", cut, "--out", fixed, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fw::test::jsonField(r.out, "frames_kept", "23"));
    EXPECT_TRUE(fw::test::jsonField(r.out, "cut_short", "true"));
    EXPECT_TRUE(has(r.out, "\"key_frame_source\": \"every-frame\""));
    EXPECT_EQ(runCli({"check", fixed}).exitCode, 0);
    // An output that exists is another file of the user's: replaced only when asked.
    const std::string fixedBefore = fw::test::readFile(fixed);
    auto again = runCli({"repair", cut, "--out", fixed});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(has(again.err, "--overwrite")) << again.err;
    EXPECT_EQ(runCli({"repair", cut, "--out", fixed, "--overwrite"}).exitCode, 0);
    EXPECT_EQ(fw::test::readFile(fixed), fixedBefore);
    EXPECT_EQ(runCli({"repair", cut, "--out", home.path("films")}).exitCode, 2);
    auto missing = runCli({"repair", home.path("nothing.avi"), "--out", home.path("x.avi")});
    EXPECT_TRUE(has(missing.err, "does not exist")) << missing.err;

    const std::string before = fw::test::readFile(cut);
    auto same = runCli({"repair", cut, "--out", cut});
    EXPECT_EQ(same.exitCode, 1);
    EXPECT_TRUE(has(same.err, "must not be the file being repaired")) << same.err;
    EXPECT_EQ(fw::test::readFile(cut), before);
    EXPECT_EQ(runCli({"repair", cut}).exitCode, 2);
    auto notOne = runCli({"repair", notAvi, "--out", home.path("x.avi")});
    EXPECT_EQ(notOne.exitCode, 1);
    EXPECT_TRUE(has(notOne.err, "cannot be read as an AVI file")) << notOne.err;
}

TEST_F(CliCheck, KeyframesFormatsAndOutputFile) {
    const struct {
        std::vector<std::string> extra;
        std::string out;
    } cases[] = {
        {{}, "0\n10\n20\n"},
        {{"--format", "list"}, "0\n10\n20\n"},
        {{"--format", "qpfile"}, "0 I\n10 I\n20 I\n"},
        {{"--format", "keyframes-v1"}, "# keyframe format v1\nfps 0\n0\n10\n20\n"},
        {{"--json"}, "{\"file\": \"" + sound + "\", \"source\": \"index\", \"total_frames\": 25, \"complete\": true, \"key_frames\": [0, 10, 20]}\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"keyframes", sound};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
    }
    const std::string out = home.path("keys.txt");
    ASSERT_EQ(runCli({"keyframes", sound, "--format", "qpfile", "--out", out}).exitCode, 0);
    EXPECT_EQ(fw::test::readFile(out), "0 I\n10 I\n20 I\n");
    EXPECT_EQ(runCli({"keyframes", sound, "--format", "x264"}).exitCode, 2);
    auto none = runCli({"keyframes", cut});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(has(none.err, "no index")) << none.err;
    // An index cut after 12 of its entries: the list it gives, said to be incomplete.
    std::string bytes = fw::test::readFile(sound);
    const std::size_t idx1 = bytes.rfind("idx1");
    bytes.resize(idx1 + 8 + 12 * 16);
    const std::string cutIndex = home.path("cut-index.avi");
    fw::test::writeFile(cutIndex, bytes);
    auto partial = runCli({"keyframes", cutIndex, "--json"});
    EXPECT_EQ(partial.exitCode, 1);
    EXPECT_TRUE(has(partial.out, "\"complete\": false")) << partial.out;
    EXPECT_TRUE(has(partial.err, "of the 25 frames the file holds")) << partial.err;
}

}  // namespace
