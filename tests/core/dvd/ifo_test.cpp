#include <gtest/gtest.h>

#include <filesystem>

#include "core/dvd/chapters.h"
#include "core/dvd/ifo.h"
#include "fixtures/byte_writer.h"
#include "fixtures/ifo_builder.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using namespace fw::dvd;
using fw::fixtures::IfoSpec;
namespace fs = std::filesystem;

class Ifo : public ::testing::Test {
protected:
    fw::test::TempHome home;
    std::string folder(const std::vector<IfoSpec>& sets, const char* dirName = "VIDEO_TS") {
        fs::path dir = home.dir() / "disc" / dirName;
        fs::create_directories(dir);
        for (std::size_t i = 0; i < sets.size(); ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "VTS_%02zu_0.IFO", i + 1);
            fw::fixtures::writeBytes((dir / name).string(), fw::fixtures::buildIfo(sets[i]));
        }
        return (home.dir() / "disc").string();
    }
};

TEST_F(Ifo, TitleSetStreamsAndChains) {
    IfoSpec s;
    s.audio = {{0, "en"}, {6, "it"}, {4, "  "}, {1, std::string("\0\0", 2)}};
    s.subpictures = {"it", "de", "zz"};
    clsDVD dvd;
    ASSERT_EQ(dvd.OpenFile(folder({s})), 1);
    ASSERT_EQ(dvd.NumberIFOread(), 1);
    EXPECT_EQ(dvd.IFO_Video(1), "MPEG2 720x576 PAL 16:9");
    EXPECT_EQ(dvd.IFO_AudioNumberOfTracks(1), 4);
    EXPECT_EQ(dvd.IFO_Audio(1, 1), "0x80, English - AC3 6Ch ");
    EXPECT_EQ(dvd.IFO_Audio(1, 2), "0x81, Italiano - DTS 6Ch ");
    EXPECT_EQ(dvd.IFO_Audio(1, 3), "0x82, Not Specified - LPCM 6Ch ");
    EXPECT_EQ(dvd.IFO_Audio(1, 4), "0x83, ??? - ??? 6Ch ");  // two zero bytes; coding mode 1
    EXPECT_EQ(dvd.IFO_Audio(1, 5), "");
    EXPECT_EQ(dvd.IFO_SubPic(1, 2), "0x21, Deutsch");
    EXPECT_EQ(dvd.IFO_SubPic(1, 3), "0x22, ???");
    EXPECT_EQ(dvd.NumberProgramChains(1), 1);
    EXPECT_EQ(dvd.ProgramChain_NumChapters(1, 1), 3);
    EXPECT_EQ(dvd.ProgramChain_PlayBackTime(1, 1, 0), "00:04:00");
    EXPECT_EQ(dvd.ProgramChain_PlayBackTime(1, 1, 2), "00:01:30");
    EXPECT_EQ(dvd.ProgramChain_PlayBackTime(1, 1, 4), "00:00:30");
    for (int bad : {0, 2}) {
        EXPECT_EQ(dvd.IFO_FileName(bad), "");
        EXPECT_EQ(dvd.NumberProgramChains(bad), 0);
    }
    auto rows = chainRows(dvd, 1, 1);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (ChapterRow{"Capitolo 1", "00:00:00", ""}));
    EXPECT_EQ(rows[1].start, "00:01:30");
    EXPECT_EQ(rows[2].start, "00:03:30");
}

TEST_F(Ifo, StreamNumbersAndCodes) {
    IfoSpec s;
    s.audio.clear();
    for (int i = 0; i < 8; ++i) s.audio.push_back({0, "fr"});
    for (int i = 0; i < 11; ++i) s.subpictures.push_back("en");
    s.video0 = 0x00;  // MPEG1 NTSC 4:3
    s.video1 = 0x0C;  // resolution code 3
    clsDVD dvd;
    dvd.OpenFile(folder({s}));
    EXPECT_EQ(dvd.IFO_Audio(1, 8).substr(0, 5), "0x87,");
    EXPECT_EQ(dvd.IFO_SubPic(1, 10).substr(0, 5), "0x29,");
    EXPECT_EQ(dvd.IFO_SubPic(1, 11).substr(0, 6), "0x210,");
    EXPECT_EQ(dvd.IFO_Video(1), "MPEG1 352x240 NTSC 4:3");
    EXPECT_EQ(fromBcd(0x59), 59);
    EXPECT_EQ(formatPlayTime({fromBcd(0x01), fromBcd(0x29), fromBcd(0x59), 0}), "01:29:59");
    EXPECT_EQ(clsDVD::languageName("iw"), "Hebrew");
    EXPECT_EQ(clsDVD::languageName("zu"), "Zulu");
    EXPECT_EQ(clsDVD::languageName("xx"), "???");
    EXPECT_EQ(utl_NumEntrys(" a;b;c "), 3);
    EXPECT_EQ(utl_Entry("C:\\VIDEO_TS\\VTS_01_0.IFO", 3, '\\'), "VTS_01_0.IFO");
    EXPECT_EQ(utl_Entry("a;b", 3), "");
    EXPECT_TRUE(utl_IsEntry("b", "a;b"));
    EXPECT_FALSE(utl_IsEntry("c", "a;b"));
}

TEST_F(Ifo, HostileFilesStopAtTheLimitsAndTheEnd) {
    IfoSpec big;
    big.declaredAudio = 200;
    big.chains.assign(30, {{0, 0, 5}, {{0, 0, 5}}});
    IfoSpec manyChapters;
    manyChapters.chains = {{{1, 0, 0}, std::vector<fw::fixtures::IfoTime>(60, {0, 0, 1})}};
    clsDVD dvd;
    std::string disc = folder({big, manyChapters, IfoSpec{}});
    // The third file's program-chain table sector points beyond its end.
    auto third = fw::fixtures::buildIfo(IfoSpec{});
    third[0xCC] = 0;
    third[0xCD] = 0;
    third[0xCE] = 0x03;
    third[0xCF] = 0x84;  // sector 900
    fw::fixtures::writeBytes(disc + "/VIDEO_TS/VTS_03_0.IFO", third);
    dvd.OpenFile(disc);
    ASSERT_EQ(dvd.NumberIFOread(), 3);
    EXPECT_EQ(dvd.IFO_AudioNumberOfTracks(1), 9);
    EXPECT_EQ(dvd.NumberProgramChains(1), 25);
    EXPECT_EQ(dvd.ProgramChain_NumChapters(2, 1), 48);
    EXPECT_EQ(dvd.NumberProgramChains(3), 0);
    EXPECT_GE(dvd.warnings().size(), 4u);

    // Every cut of a file reads without harm.
    auto bytes = fw::fixtures::buildIfo(IfoSpec{});
    std::string p = home.path("cut.IFO");
    for (std::size_t cut = 0; cut < bytes.size(); cut += 97) {
        fw::fixtures::writeBytes(p, {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)});
        clsDVD d;
        d.OpenFile(p);
        (void)chainRows(d, 1, 1);
    }
}

TEST_F(Ifo, PathsDrivesAndFolders) {
    std::string disc = folder({IfoSpec{}, IfoSpec{}}, "video_ts");  // any letter case
    clsDVD dvd;
    EXPECT_EQ(dvd.OpenFile(disc), 1);
    EXPECT_EQ(dvd.NumberIFOread(), 2);
    EXPECT_EQ(fs::path(dvd.IFO_FileName(2)).filename(), "VTS_02_0.IFO");
    clsDVD direct;
    direct.OpenFile(disc + "/video_ts");
    EXPECT_EQ(direct.NumberIFOread(), 2);
    clsDVD one;
    one.OpenFile(disc + "/video_ts/VTS_01_0.IFO");
    EXPECT_EQ(one.NumberIFOread(), 1);
    // An empty path: the first optical drive the system lists.
    clsDVD drive;
    drive.setDriveLister([&] { return std::vector<std::string>{disc, "/elsewhere"}; });
    EXPECT_EQ(drive.FirstDVD_DriveLetter(), disc);
    drive.OpenFile("");
    EXPECT_EQ(drive.NumberIFOread(), 2);
    clsDVD none;
    EXPECT_EQ(none.OpenFile(""), 1);
    EXPECT_EQ(none.NumberIFOread(), 0);
    clsDVD missing;
    EXPECT_EQ(missing.OpenFile(home.path("nothing/here.IFO")), 0);
}

}  // namespace
