#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/common/lang.h"
#include "core/stats/stats_file.h"
#include "fixtures/byte_writer.h"
#include "fixtures/stats_builder.h"
#include "support/temp_home.h"

namespace {

using namespace fw::stats;
using fw::fixtures::statsFrame;

class Stats : public ::testing::Test {
protected:
    fw::test::TempHome home;
    std::string write(const std::vector<StatsRecord>& frames, const char* name = "film.stats", std::int32_t version = -20) {
        std::string p = home.path(name);
        fw::fixtures::writeBytes(p, fw::fixtures::buildStats(frames, version));
        return p;
    }
};

TEST_F(Stats, SummaryOfAKnownFile) {
    std::vector<StatsRecord> f = {statsFrame(30000, 'I'), statsFrame(8000, 'P'), statsFrame(2000, 'B'),
                                  statsFrame(10000, 'P'), statsFrame(4000, 'B', kSkipFlag | kDelayFlag),
                                  statsFrame(6000, 'P', kDelayFlag)};
    auto a = AnalizeStats(write(f));
    ASSERT_TRUE(a.ok);
    const auto& s = a.summary;
    EXPECT_EQ(s.m, 6);
    EXPECT_EQ(s.T, 60000);
    EXPECT_EQ(s.Max, 30000);
    EXPECT_EQ(s.Min, 2000);
    EXPECT_EQ(s.skip, 1);  // skip and delay together count as skip only
    EXPECT_EQ(s.delay, 1);
    const auto& d = a.display;
    EXPECT_EQ(d.special, "1/0/1");
    EXPECT_EQ(d.iFrames + "/" + d.pFrames + "/" + d.bFrames, "1/3/2");
    EXPECT_EQ(d.totalKB, "59");                 // 60000 / 1024 = 58.59
    EXPECT_EQ(d.px, "174080");                  // 680 blocks of 256 pixels
    EXPECT_EQ(d.bpp, ".46");                    // 8 * 10000 / 174080 = 0.4596
    EXPECT_EQ(d.avgP, "8000");
    EXPECT_EQ(d.maxB, "4000");
    EXPECT_EQ(d.avgB, "3000");
    EXPECT_EQ(d.avgPB, "6000");
    EXPECT_EQ(d.avgFrame, "10000");
    EXPECT_EQ(d.maxVsAvg, "300 %");
    EXPECT_EQ(d.minBelowAvg, "80 %");
    EXPECT_EQ(d.key, "37.5");  // (680 + 5 * 170) / (6 * 680)
}

TEST_F(Stats, FrameCountVersionAndEdgeFiles) {
    // (length - 4) / 68, halves to even: a tail of exactly half a record is a frame after an odd
    // count (5.5 -> 6) and nothing after an even one (4.5 -> 4).
    const std::pair<std::int64_t, std::int64_t> counts[] = {{4, 0},          {4 + 68 * 5, 5},      {4 + 68 * 5 + 33, 5},
                                                            {4 + 68 * 5 + 34, 6}, {4 + 68 * 5 + 35, 6}, {4 + 68 * 4 + 34, 4},
                                                            {4 + 68 * 4 + 35, 5}};
    for (auto [len, m] : counts) EXPECT_EQ(frameCount(len), m) << len;

    auto wrong = AnalizeStats(write({statsFrame(100)}, "v.stats", -19));
    EXPECT_FALSE(wrong.ok);
    EXPECT_TRUE(wrong.wrongVersion);
    EXPECT_FALSE(AnalizeStats(home.path("missing.stats")).ok);

    // Frame 0 of size 0 is the smallest; without B-frames the P+B average is the P average.
    auto zero = AnalizeStats(write({statsFrame(0, 'I'), statsFrame(500), statsFrame(700)}, "z.stats"));
    ASSERT_TRUE(zero.ok);
    EXPECT_EQ(zero.display.min, "0");
    EXPECT_EQ(zero.display.maxB, "No B-Frame");
    EXPECT_EQ(zero.display.avgPB, zero.display.avgP);

    // A tail of 40 bytes is a short last frame; it reads as zeros past the end.
    auto bytes = fw::fixtures::buildStats({statsFrame(900), statsFrame(800)});
    bytes.resize(bytes.size() - 28);
    std::string p = home.path("short.stats");
    fw::fixtures::writeBytes(p, bytes);
    auto s = AnalizeStats(p);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.summary.m, 2);
    EXPECT_EQ(readFrame(p, 2)->frameSize, 800);
    EXPECT_FALSE(readFrame(p, 3));
    EXPECT_FALSE(readFrame(p, 0));
}

TEST_F(Stats, FrameBrowser) {
    StatsRecord b = statsFrame(1234, 'B', kPadFlag);
    EXPECT_EQ(specialWord(b), "Pad Frame");
    EXPECT_EQ(frameKind(statsFrame(1, 'I')).text, "Intra-Frame (I)");
    EXPECT_EQ(frameKind(statsFrame(1, 'I')).colour, 192u);
    EXPECT_EQ(frameKind(statsFrame(1, 'B')).text, "Bidir-Frame (B)");
    EXPECT_EQ(frameKind(b).text, "Inter-Frame (P)");  // dd_v is not exactly the B flag
    EXPECT_EQ(frameKind(statsFrame(1, 'P')).colour, 0xC00000u);
    const std::string details = frameDetails(b);
    EXPECT_EQ(details.rfind("FrameSize 1234\r\ndk_v = 0\r\n", 0), 0u);
    EXPECT_NE(details.find("\r\ndd_v = 1342177280\r\n"), std::string::npos);
    EXPECT_NE(details.find("\r\nLum_noise = 1.5"), std::string::npos);
    struct Case {
        std::int64_t n, m;
        std::array<bool, 6> on;
    };
    const Case cases[] = {
        {1, 500, {true, true, true, false, false, false}},
        {500, 500, {false, false, false, true, true, true}},
        {11, 20, {true, false, false, true, true, false}},
        {1, 1, {false, false, false, false, false, false}},
    };
    for (const auto& c : cases) EXPECT_EQ(stepButtons(c.n, c.m), c.on) << c.n << "/" << c.m;
}

TEST_F(Stats, ReportColumnsAndRules) {
    std::string plain = write(fw::fixtures::statsPattern(30, 10, false), "plain.stats");
    auto a = AnalizeStats(plain);
    std::string out = home.path("report.txt");
    ASSERT_TRUE(writeStatsReport(out, plain, a, true, "2026-12-05", "12:00:00"));
    std::string text = fw::test::readFile(out);
    EXPECT_NE(text.find("\r\n" + std::string(96, '-') + "\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Special Frames"), std::string::npos);
    EXPECT_NE(text.find("\r\n0\t\t30000\t\tI-Frame\t\t680\t\t0\t\t0\r\n"), std::string::npos);
    EXPECT_NE(text.find("Max B-Frames:         No B-Frame\r\n"), std::string::npos);

    auto frames = fw::fixtures::statsPattern(30, 10, true);
    frames[4].dd_v |= kPadFlag;
    std::string special = write(frames, "special.stats");
    a = AnalizeStats(special);
    ASSERT_TRUE(writeStatsReport(out, special, a, true, "d", "t"));
    text = fw::test::readFile(out);
    EXPECT_NE(text.find("\tUnchanged Blocks\tSpecial Frames\r\n" + std::string(116, '-') + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("\t\t\tPadFrame\r\n"), std::string::npos);
    // Without the table: no star box.
    ASSERT_TRUE(writeStatsReport(out, special, a, false, "d", "t"));
    EXPECT_EQ(fw::test::readFile(out).find("*****"), std::string::npos);
    EXPECT_EQ(reportFileName("/tmp/my report", ".txt"), "/tmp/myreport.txt");
    EXPECT_EQ(reportFileName("/tmp/a.stats", ".stats"), "/tmp/a.stats");
}

TEST_F(Stats, Rescaling) {
    std::vector<StatsRecord> f = {statsFrame(10240, 'I'), statsFrame(5120), statsFrame(1024), statsFrame(2048)};
    std::string in = write(f);
    auto a = AnalizeStats(in);  // 18432 bytes = 18 KB, Min 1024
    std::string out = home.path("out.stats");

    // r = 1: every frame above Min unchanged; the closing text says 100 % and 1:1.
    auto r = rescaleStats(in, out, 18, a.summary);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(fw::test::readFile(out), fw::test::readFile(in));
    EXPECT_NE(r.closingText.find("100% (1:1)"), std::string::npos) << r.closingText;
    EXPECT_EQ(r.u, 1);

    // Half the size: the 2048 frame would fall to 1024 = Min (not below), 5120 -> 2560.
    r = rescaleStats(in, out, 9, a.summary);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(readFrame(out, 1)->frameSize, 5120);
    EXPECT_EQ(readFrame(out, 2)->frameSize, 2560);
    EXPECT_EQ(readFrame(out, 3)->frameSize, 1024);  // at Min: written unchanged, counted in u
    EXPECT_EQ(r.c, 0);

    // A quarter: 2048 -> 512 is below Min and raised to it.
    r = rescaleStats(in, out, 4.5, a.summary);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(readFrame(out, 1)->frameSize, 2560);
    EXPECT_EQ(r.c, 1);
    EXPECT_EQ(r.B, 512);
    EXPECT_EQ(readFrame(out, 4)->frameSize, 1024);

    // Every frame at Min: an identical file, all counted in u.
    std::string flat = write({statsFrame(700), statsFrame(700), statsFrame(700)}, "flat.stats");
    auto fa = AnalizeStats(flat);
    r = rescaleStats(flat, out, 1, fa.summary);
    EXPECT_EQ(r.u, 3);
    EXPECT_EQ(fw::test::readFile(out), fw::test::readFile(flat));

    // A longer old output is replaced whole; a zero target is refused.
    fw::test::writeFile(out, std::string(100000, 'x'));
    ASSERT_TRUE(rescaleStats(in, out, 18, a.summary).ok);
    EXPECT_EQ(fw::test::readFile(out).size(), fw::test::readFile(in).size());
    // A zero target, and a file whose frames round to 0 KB, each with its own message.
    // Refusals, each with its message and no output: a zero target, a file whose frames round to
    // 0 KB, and targets that would grow a frame past its 32-bit field.
    const std::string tiny = write({statsFrame(100), statsFrame(200)}, "tiny.stats");
    struct Refusal {
        std::string file;
        double target;
        int key;
    };
    const Refusal refusals[] = {{in, 0, 26}, {tiny, 5, 29}, {in, 1e12, 30}, {in, HUGE_VAL, 30}, {in, NAN, 26}};
    for (const auto& c : refusals) {
        std::filesystem::remove(out);
        auto rr = rescaleStats(c.file, out, c.target, AnalizeStats(c.file).summary);
        EXPECT_FALSE(rr.ok) << c.target;
        ASSERT_FALSE(rr.messages.empty());
        EXPECT_EQ(rr.messages[0].text, (fw::LangKey{"StatsEditorMsgBox", c.key})) << c.target;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.target;
    }
}

TEST_F(Stats, KeyFrameInsertion) {
    std::vector<StatsRecord> f = {statsFrame(30000, 'I'), statsFrame(8000), statsFrame(5000), statsFrame(20000, 'I')};
    std::string p = write(f);
    auto a = AnalizeStats(p);
    const std::string original = fw::test::readFile(p);
    auto r = insertKeyFrame(p, 2, KeySize::AverageI, 0, a.summary);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.modified);
    const std::string backup = (std::filesystem::path(p).parent_path() / "StatsReader.bak").string();
    EXPECT_EQ(fw::test::readFile(backup), original);
    auto k = readFrame(p, 2);
    EXPECT_EQ(k->Quant, kForcedKeyQuant);
    EXPECT_EQ(k->frameSize, 25000);
    EXPECT_EQ(k->kblk, 680);
    EXPECT_EQ(k->mblk, 340);  // kept
    const std::string once = fw::test::readFile(p);
    // Twice at one place: the second time changes nothing and says so.
    r = insertKeyFrame(p, 2, KeySize::LargestI, 0, a.summary);
    EXPECT_FALSE(r.modified);
    EXPECT_EQ(fw::test::readFile(p), once);
    EXPECT_EQ(r.messages[0].fixedText, "Frame 2 is a key frame already: nothing changed.");
    // The backup is replaced by each insertion.
    r = insertKeyFrame(p, 3, KeySize::Custom, 10, a.summary);
    EXPECT_EQ(fw::test::readFile(backup), once);
    EXPECT_EQ(readFrame(p, 3)->frameSize, 5000);  // raised to Min, with a notice
    ASSERT_EQ(r.messages.size(), 1u);
    // Outside 1..m: refused, the file untouched.
    const std::string now = fw::test::readFile(p);
    for (std::int64_t n : {0, -3, 5}) EXPECT_FALSE(insertKeyFrame(p, n, KeySize::Keep, 0, a.summary).ok);
    EXPECT_EQ(fw::test::readFile(p), now);

    // A custom size beyond the 32-bit field is refused, not cut down to it.
    for (double custom : {2147483648.0, 1e12, double(HUGE_VAL), double(NAN)}) {
        r = insertKeyFrame(p, 1, KeySize::Custom, custom, a.summary);
        EXPECT_FALSE(r.ok) << custom;
        EXPECT_EQ(r.messages.at(0).text, (fw::LangKey{"StatsEditorMsgBox", 31})) << custom;
    }
    EXPECT_EQ(fw::test::readFile(p), now);

    // A last record cut short (40 of its 68 bytes) counts as a frame but has no room for the flag.
    fw::test::writeFile(p, original.substr(0, 4 + 3 * 68 + 40));
    const std::string cut = fw::test::readFile(p);
    r = insertKeyFrame(p, 4, KeySize::Keep, 0, AnalizeStats(p).summary);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.modified);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_NE(r.messages[0].fixedText.find(fw::LangText("StatsEditorMsgBox", 28)), std::string::npos);
    EXPECT_EQ(fw::test::readFile(p), cut);
}

TEST_F(Stats, CurveAndDistribution) {
    std::vector<StatsRecord> f;
    for (int i = 0; i < 10; ++i) f.push_back(statsFrame(1000));
    f.push_back(statsFrame(9000, 'I'));  // 10 x 1000 + 9000 = 19000 / 11: average 1727
    std::string p = write(f);
    auto a = AnalizeStats(p);
    auto c = ScaleCurve(p, a.summary.average(), a.summary.Max, a.summary.Min, 4);
    EXPECT_EQ(c.columns.size(), 4u);
    EXPECT_EQ(c.columns[3].type, StatsRecord::Type::I);
    EXPECT_EQ(c.columns[3].size, 9000);
    EXPECT_EQ(c.distribution.countBelow, 10);
    EXPECT_EQ(c.distribution.countAbove, 1);
    EXPECT_EQ(c.distribution.below[5], 10);  // 1000 / 1727 = 0.58
    EXPECT_EQ(c.distribution.above[7], 1);   // 1.5 * 9000 / 1727 = 7.8
    EXPECT_EQ(std::count(c.distribution.text.begin(), c.distribution.text.end(), '\n'), 20);
}

}  // namespace
