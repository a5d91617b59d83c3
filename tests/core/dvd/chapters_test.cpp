#include <gtest/gtest.h>

#include <filesystem>

#include "core/dvd/chapters.h"
#include "core/stats/stats_file.h"
#include "fixtures/byte_writer.h"
#include "fixtures/stats_builder.h"
#include "support/temp_home.h"

namespace {

using namespace fw::dvd;

const char* kInfo =
    "Name: MOVIE\r\nSize (B): 123456\r\nFrames: 3300\r\nMinDataRate (B/s): 10\r\nAvgDataRate (B/s): 20\r\nMaxDataRate (B/s): 30\r\n"
    "Stream[0]: Video\r\nStream[1]: Audio AC3\r\nend of streams\r\n"
    "Display mode: 720x576\r\nChap#=Frame# Name\r\nChapter1=0 Start\r\nChapter2=3150 Middle\r\n"
    "\r\nChap#=Time\r\nChapter1=00:00:00.00\r\nChapter2=00:02:06.00\r\n";

TEST(Chapters, InfoFileExampleAndItsOggLines) {
    InfoFile f = CheckInfo(kInfo);
    ASSERT_EQ(f.rows.size(), 2u);
    EXPECT_EQ(f.rows[0], (ChapterRow{"Start", "00:00:00.00", "0"}));
    EXPECT_EQ(f.rows[1], (ChapterRow{"Middle", "00:02:06.00", "3150"}));
    EXPECT_EQ(f.name, "MOVIE");
    EXPECT_EQ(f.bitrate, "10 (Min) - 20 (Avg) - 30 (Max)");
    EXPECT_EQ(f.streams, (std::vector<std::string>{"Stream[0]: Video", "Stream[1]: Audio AC3"}));  // only "[]" goes
    EXPECT_EQ(f.displayMode, "720x576");
    EXPECT_EQ(chapterText(ChapterFormat::Ogg, f.rows),
              "CHAPTER01=00:00:00.000\r\nCHAPTER01NAME=Start\r\nCHAPTER02=00:02:06.000\r\nCHAPTER02NAME=Middle\r\n");
}

TEST(Chapters, InfoBlocksEdgeCases) {
    // Without a time block the starts keep their placeholders.
    auto f = CheckInfo("Chap#=Frame# Name\nChapter01=12 Intro part\nChapter02=40 Next\n");
    ASSERT_EQ(f.rows.size(), 2u);
    EXPECT_EQ(f.rows[0], (ChapterRow{"Intro", "00", "12"}));
    EXPECT_EQ(f.rows[1].start, "01");
    // A time block starting at chapter 3 fills row 3 first; leading zeros are accepted, never looped on.
    f = CheckInfo("CHAP#=FRAME# NAME\nChapter1=0 a\nChapter2=1 b\nChapter3=2 c\nChapter4=3 d\nx\n"
                  "Chap#=Time\nChapter3=00:00:03.00\nChapter04=00:00:04.00\n");
    ASSERT_EQ(f.rows.size(), 4u);
    EXPECT_EQ(f.rows[2].start, "00:00:03.00");
    EXPECT_EQ(f.rows[3].start, "00:00:04.00");
    EXPECT_EQ(f.rows[0].start, "00");
    // A header right after the frame block is lost with the block's last line.
    f = CheckInfo("Chap#=Frame# Name\nChapter1=0 a\nChap#=Time\nChapter1=00:00:09.00\n");
    EXPECT_EQ(f.rows[0].start, "00");
    // A chapter line without its name ends the reading; a time for a missing row too.
    f = CheckInfo("Chap#=Frame# Name\nChapter1=0 a\nChapter2=5\nName: never read\n");
    EXPECT_EQ(f.rows.size(), 1u);
    EXPECT_EQ(f.name, "");
    f = CheckInfo("Chap#=Time\nChapter1=00:00:01.00\n");
    EXPECT_TRUE(f.rows.empty());
}

TEST(Chapters, WritersByteForByte) {
    std::vector<ChapterRow> rows = {{"Capitolo 1", "00:00:00", ""}, {"Two", "00:01:02.50", "1562"}};
    for (int i = 3; i <= 10; ++i) rows.push_back({"c", "00:00:0" + std::to_string(i % 10) + ".10", std::to_string(i)});
    const std::string ogg = chapterText(ChapterFormat::Ogg, rows);
    EXPECT_EQ(ogg.rfind("CHAPTER01=00:00:00.000\r\nCHAPTER01NAME=Capitolo 1\r\nCHAPTER02=00:01:02.500\r\n", 0), 0u);
    EXPECT_NE(ogg.find("\r\nCHAPTER10=00:00:00.100\r\nCHAPTER10NAME=c\r\n"), std::string::npos);
    EXPECT_EQ(chapterText(ChapterFormat::Scenarist, {rows[1]}), "00:01:02;50\r\n");
    EXPECT_EQ(chapterText(ChapterFormat::Maestro, {rows[1]}), "$Spruce_IFrame_List\r\n\r\n00:01:02:50\r\n");
    EXPECT_EQ(chapterText(ChapterFormat::Maestro, {}), "$Spruce_IFrame_List\r\n\r\n");
    EXPECT_EQ(chapterText(ChapterFormat::Cce, {rows[1]}), "Chapter=1562:\r\n");
    fw::test::TempHome home;
    const std::string base = home.path("film.txt");
    EXPECT_EQ(writeChapters(base, ChapterFormat::Maestro, {rows[1]}), base + " - DVDMaestro.chp");
    EXPECT_EQ(fw::test::readFile(base + " - DVDMaestro.chp"), "$Spruce_IFrame_List\r\n\r\n00:01:02:50\r\n");
    const std::pair<ChapterFormat, const char*> suffixes[] = {{ChapterFormat::Ogg, " - OGG.txt"},
                                                              {ChapterFormat::Scenarist, " - Scenarist.txt"},
                                                              {ChapterFormat::Cce, " - CCE.txt"}};
    for (auto [f, s] : suffixes) EXPECT_EQ(formatSuffix(f), s);
    EXPECT_EQ(addTimes("23:59:00", "00:02:00"), "00:01:00");
}

TEST(Chapters, StatSynchTurnsExactlyTheListedRecordsIntoKeyFrames) {
    fw::test::TempHome home;
    using fw::fixtures::statsFrame;
    std::vector<fw::stats::StatsRecord> frames;
    for (int i = 0; i < 10; ++i) frames.push_back(statsFrame(1000 + i, 'P', i == 4 ? fw::stats::kDelayFlag : 0));
    frames[3].Quant = 4;                           // quantiser 4, no key flag: gets the flag, keeps 4
    frames[7] = statsFrame(5000, 'I');             // already a key frame at quantiser 2: untouched
    std::string p = home.path("movie.stats");
    fw::fixtures::writeBytes(p, fw::fixtures::buildStats(frames));
    const std::string before = fw::test::readFile(p);
    // Rows name frames 2, 3 and 6: records 3, 4 and 7 (frame + 1) are the ones changed.
    auto r = StatSynch(p, {{"a", "", "2"}, {"b", "", "3"}, {"c", "", "6"}});
    ASSERT_TRUE(r.ok) << r.messages[0].resolve();
    EXPECT_EQ(std::filesystem::path(r.backup).filename(), "StatsReader_movie.stats.bak");
    EXPECT_EQ(fw::test::readFile(r.backup), before);
    const std::string after = fw::test::readFile(p);
    for (int rec = 0; rec < 10; ++rec) {
        const bool changed = rec == 3 || rec == 4;  // record 7 is a key frame already
        EXPECT_EQ(after.substr(4 + 68 * rec, 68) != before.substr(4 + 68 * rec, 68), changed) << rec;
    }
    auto r3 = fw::stats::readFrame(p, 4);  // record 3
    EXPECT_EQ(r3->Quant, 0x80000004u);
    EXPECT_EQ(r3->kblk, 680);
    EXPECT_EQ(r3->mblk, 0);
    auto r4 = fw::stats::readFrame(p, 5);
    EXPECT_EQ(r4->dd_v, 0u);

    // Refusals: the file and its backup left alone.
    const std::string now = fw::test::readFile(p);
    const std::vector<std::vector<ChapterRow>> refused = {{}, {{"a", "", "x"}}, {{"a", "", "9"}}, {{"a", "", "2.5"}},
                                                          {{"a", "", "1e300"}}, {{"a", "", "-1e300"}, {"b", "", "1"}}};
    for (const auto& rows : refused) EXPECT_FALSE(StatSynch(p, rows).ok);
    EXPECT_FALSE(StatSynch(home.path("none.stats"), {{"a", "", "1"}}).ok);
    EXPECT_EQ(fw::test::readFile(p), now);
}

}  // namespace
