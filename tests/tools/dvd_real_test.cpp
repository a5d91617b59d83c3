// A DVD folder authored by dvdauthor from an ffmpeg-made MPEG-2 stream, read by the IFO reader
// and cross-checked against lsdvd.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <regex>

#include "core/dvd/ifo.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

TEST(DvdReal, DiscAuthoredByDvdauthorAgreesWithLsdvd) {
    FW_REQUIRE_TOOLS("ffmpeg", "dvdauthor", "lsdvd");
    fw::test::TempHome home;
    using fw::dvd::clsDVD;
    const std::string dir = home.path("real");
    const std::string mpg = home.path("src.mpg");
    ASSERT_EQ(fw::test::sh("ffmpeg -v error -y -f lavfi -i testsrc=size=720x576:rate=25 -f lavfi -i sine -t 10 "
                           "-target pal-dvd -b:v 1500k " + fw::test::quote(mpg)), 0);
    ASSERT_EQ(fw::test::sh("VIDEO_FORMAT=PAL dvdauthor -o " + fw::test::quote(dir) + " -t -c 0,0:03,0:07 " + fw::test::quote(mpg)), 0);
    ASSERT_EQ(fw::test::sh("VIDEO_FORMAT=PAL dvdauthor -o " + fw::test::quote(dir) + " -T"), 0);
    clsDVD dvd;
    dvd.OpenFile(dir);
    ASSERT_EQ(dvd.NumberIFOread(), 1);
    const std::string lsdvd = fw::test::capture("lsdvd -c " + fw::test::quote(dir) + " 2>/dev/null");
    // lsdvd's figures, parsed out of its lines: the title's length, its chapter count and each
    // chapter's length. The IFO reader gives whole seconds (the frames byte is not read).
    auto seconds = [](const std::string& hms) {
        const auto a = hms.find(':'), b = hms.rfind(':');
        return fw::test::num(hms.substr(0, a)) * 3600 + fw::test::num(hms.substr(a + 1, b - a - 1)) * 60 + fw::test::num(hms.substr(b + 1));
    };
    std::smatch m;
    ASSERT_TRUE(std::regex_search(lsdvd, m, std::regex(R"(Title: 0*1, Length: ([0-9:.]+) Chapters: (\d+))"))) << lsdvd;
    EXPECT_EQ(std::floor(seconds(m[1].str())), seconds(dvd.ProgramChain_PlayBackTime(1, 1, 0)));
    EXPECT_EQ(std::stoi(m[2].str()), dvd.ProgramChain_NumChapters(1, 1));
    EXPECT_EQ(dvd.NumberProgramChains(1), 1);
    const std::regex chapter(R"(Chapter: 0*(\d+), Length: ([0-9:.]+))");
    int seen = 0;
    for (auto it = std::sregex_iterator(lsdvd.begin(), lsdvd.end(), chapter); it != std::sregex_iterator(); ++it) {
        const int k = std::stoi((*it)[1].str());
        ASSERT_LE(k, dvd.ProgramChain_NumChapters(1, 1));
        EXPECT_EQ(std::floor(seconds((*it)[2].str())), seconds(dvd.ProgramChain_PlayBackTime(1, 1, k + 1))) << k;
        ++seen;
    }
    EXPECT_EQ(seen, dvd.ProgramChain_NumChapters(1, 1));
    EXPECT_EQ(dvd.IFO_Video(1), "MPEG2 720x576 PAL 4:3");
}

}  // namespace
