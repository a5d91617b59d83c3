// The calculator's source import and the inverse calculator, on files written by hand.
#include <gtest/gtest.h>

#include <string>

#include "core/bitrate/inverse_calc.h"
#include "core/bitrate/source_import.h"
#include "core/common/lang.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "support/temp_home.h"

namespace {

using namespace fw::bitrate;

class SourceImport : public ::testing::Test {
protected:
    fw::test::TempHome home;
    std::string file(const std::string& name, const std::string& text) {
        std::string p = home.path(name);
        fw::test::writeFile(p, text);
        return p;
    }
};

TEST_F(SourceImport, StatsFramesUnrounded) {
    const std::pair<std::size_t, const char*> cases[] = {{4 + 68 * 1000, "1000"}, {4 + 68 * 1000 + 34, "1000.5"}, {4, "0"}};
    for (auto [length, frames] : cases) {
        auto r = importStats(file("f.stats", std::string(length, '\0')));
        ASSERT_TRUE(r.ok) << length;
        EXPECT_EQ(r.framesText, frames);
    }
    EXPECT_FALSE(importStats(file("short.stats", "ab")).ok);
    EXPECT_FALSE(importStats(home.path("none.stats")).ok);
}

TEST_F(SourceImport, D2vFieldOperationsRatesAndPictureFlags) {
    const std::string head = "DVD2AVIProjectFile\r\n1\r\nmovie.vob\r\n\r\n";
    struct Case {
        const char* what;
        std::string body;
        bool ok;
        const char* frames;
        const char* rate;
    };
    const Case cases[] = {
        {"two lines, no field operation", "Field_Operation=0 (0:None 1:ForcedFILM 2:SwapOrder)\r\nFrame_Rate=25000\r\n\r\n7 0 4 2 2 2 2\r\n7 1 9 2 2 2 2\r\n", true, "8", "25.000 fps"},
        {"3s and 1s count one and a half", "Field_Operation=0\r\nFrame_Rate=29970\r\n7 0 4 3 1 3 1\r\n", true, "6", "29.970 fps"},
        {"ForcedFILM keeps four fifths", "Field_Operation=1\r\nFrame_Rate=29970\r\n7 0 4 3 1 3 1\r\n", true, "4.8", "29.970 fps"},
        {"SwapOrder counts as none", "Field_Operation=2\r\nFrame_Rate=23976\r\n7 0 4 3 1 3 1\r\n", true, "6", "23.976 fps"},
        {"lines without '7 ' are not pictures", "Field_Operation=0\r\nFrame_Rate=25000\r\n1 0 4 2 2\r\n7 0 4 2\r\n", true, "1", "25.000 fps"},
        {"the frame rate before the field operation", "Frame_Rate=25000\r\nField_Operation=0\r\n7 0 4 2 2\r\n", false, "", ""},
        {"no field operation at all", "Frame_Rate=25000\r\n", false, "", ""},
        {"a field operation that is no number", "Field_Operation=x\r\nFrame_Rate=25000\r\n7 0 4 2\r\n", false, "", ""},
    };
    for (const auto& c : cases) {
        auto r = importD2v(file("movie.d2v", head + c.body));
        EXPECT_EQ(r.ok, c.ok) << c.what << ": " << r.error;
        if (!c.ok) continue;
        EXPECT_EQ(r.framesText, c.frames) << c.what;
        EXPECT_EQ(r.framerateText, c.rate) << c.what;
    }
    // A two-hour film: 200,000 picture lines in 4 MB blocks, lines across block ends counted once.
    std::string big = head + "Field_Operation=0\r\nFrame_Rate=25000\r\n";
    for (int i = 0; i < 200000; ++i) big += "7 0 " + std::to_string(1000 + i) + " 2 2 2 2 2 2 2 2 2 2 2 2\r\n";
    int reports = 0;
    auto r = importD2v(file("film.d2v", big), fw::Progress([&](std::uint64_t, std::uint64_t) { return ++reports > 0; }));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.pictureLines, 200000);
    EXPECT_EQ(r.framesText, "2400000");
    EXPECT_GE(reports, 2);
    // Stop: no figures.
    r = importD2v(home.path("film.d2v"), fw::Progress([](std::uint64_t, std::uint64_t) { return false; }));
    EXPECT_FALSE(r.ok);
}

TEST_F(SourceImport, InfoFramesAndDisplayMode) {
    auto r = importInfo(file("movie_info.txt", "Title: 1\r\nDisplay mode: 720x576\r\nFrames: 139273\r\n"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.framesText, "139273");
    EXPECT_EQ(r.width, 720);
    EXPECT_EQ(r.height, 576);
    EXPECT_EQ(r.resolutionText->second, "576");
    r = importInfo(file("ntsc.txt", "Display mode: 720X480\n"));  // the "x" in any case
    EXPECT_EQ(r.height, 480);
    EXPECT_FALSE(importInfo(file("other.txt", "nothing to see\n")).ok);
    EXPECT_FALSE(importInfo(file("bad.txt", "Display mode: 720\n")).ok);
    EXPECT_EQ(importKindForName("A.D2V"), ImportKind::D2v);
    EXPECT_EQ(importKindForName("x.stats"), ImportKind::Stats);
    EXPECT_FALSE(importKindForName("x.avi"));
}

TEST(SizeHandOver, KilobitsOfEachProfile) {
    // 949.14 kbit/s at 25 fps and 640 x 272: 1000-bit kilobits, 1024-bit ones, and Fast Motion's 2.05.
    EXPECT_EQ(sizeHandOverLabel(949.14, Profile::Divx4, 25, 640, 272), "949 Kbit/sec => 0.218 Bits per pixel");
    EXPECT_EQ(sizeHandOverLabel(949.14, Profile::Divx3, 25, 640, 272), "949 Kbit/sec => 0.223 Bits per pixel");
    EXPECT_EQ(sizeHandOverLabel(1899.67, Profile::Divx3fm, 25, 640, 272), "927 Kbit/sec => 0.218 Bits per pixel");
    EXPECT_EQ(sizeHandOverLabel(949.14, Profile::Divx4, 25, 0, 272), "949 Kbit/sec => 0 Bits per pixel");
}

class Inverse : public ::testing::Test {
protected:
    fw::test::TempHome home;
    // A header whose RIFF size and frame count are patched in: the calculator reads nothing else.
    InverseFile avi(std::uint32_t riffSize, std::uint32_t frames) {
        fw::fixtures::ByteWriter w;
        w.bytes = fw::fixtures::buildAvi({});
        w.put32(4, riffSize);
        w.put32(140, frames);  // the first stream's dwLength, right after a 56-byte main header
        std::string p = home.path("film.avi");
        fw::fixtures::writeBytes(p, w.bytes);
        return openInverse(p);
    }
};

TEST_F(Inverse, OpeningReadsTheFixedPositions) {
    auto f = avi(1363148800, 135000);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.Text1[0], "640");
    EXPECT_EQ(f.Text1[1], "480");
    EXPECT_EQ(f.Text1[2], "135000");
    EXPECT_EQ(f.Text1[3], "25");
    EXPECT_EQ(f.Text1[4], "5400 sec");
    EXPECT_EQ(f.Text1[5], "1300 MB");
    EXPECT_FALSE(f.complete);  // the RIFF size says more than the file holds
    EXPECT_TRUE(f.completenessYellow);
    EXPECT_EQ(f.Text1[6].rfind(fw::LangText("AviDetector", 3), 0), 0u);
    fw::test::writeFile(home.path("not.avi"), "RIFF\x04\x00\x00\x00WAVEfmt ");
    auto bad = openInverse(home.path("not.avi"));
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.messages.at(0).text, (fw::LangKey{"AviDetectorMsgBox", 1}));
}

TEST_F(Inverse, TheLargestStepThatFits) {
    // 8192 s of video: the room in kbit/s is the MB left. Each row: the RIFF size in MB, what shows.
    struct Case {
        double videoMB;
        const char* text;
        int key;  // InvCalcTooltips key of the message, 0: none
    };
    const Case cases[] = {
        {684, "Bitrate audio = 16 Kbit/s", 0}, {684.1, "", 2},  {470, "Bitrate audio = 224 Kbit/s", 0},
        {700, "", 4},                          {380, "Bitrate audio = 320 Kbit/sec", 0}, {380.001, "Bitrate audio = 304 Kbit/s", 0},
        {800, "", 4},
    };
    InverseMedia media;
    media.cd80 = "1";
    for (const auto& c : cases) {
        auto f = avi(static_cast<std::uint32_t>(c.videoMB * 1048576), 8192 * 25);
        auto r = Calcolo_Inverso(f, media);
        EXPECT_EQ(r.text, c.text) << c.videoMB;
        EXPECT_EQ(r.ok, c.key == 0) << c.videoMB;
        if (c.key == 4) {
            EXPECT_EQ(r.messages.at(0).text, (fw::LangKey{"InvCalcTooltips", 4})) << c.videoMB;
        } else if (c.key == 2) {
            EXPECT_EQ(r.messages.at(0).fixedText, fw::LangText("InvCalcTooltips", 2) + "\r\n" + fw::LangText("InvCalcTooltips", 3));
        }
    }
    // Two 80-minute CDs of 700 MB with overburn: 1420 MB; 1300 MB of video over 5400 s leave
    // 182.04 kbit/s, shown as the 176 step.
    media.cd80 = "2";
    media.overburn = true;
    auto r = Calcolo_Inverso(avi(1363148800, 135000), media);
    EXPECT_EQ(r.totalMB, 1420);
    EXPECT_NEAR(r.audioRoom, 182.04, 0.005);
    EXPECT_EQ(r.text, "Bitrate audio = 176 Kbit/s");
    // No discs: the calculator's no-media message; counts that are no numbers or negative.
    const std::pair<std::string, fw::LangKey> refusals[] = {{"0", {"BitcalcMsgBox", 5}}, {"-1", {"BitcalcMsgBox", 12}}, {"99999", {"BitcalcMsgBox", 7}}};
    for (const auto& [count, key] : refusals) {
        InverseMedia m;
        m.cd74 = count;
        auto rr = Calcolo_Inverso(avi(1363148800, 135000), m);
        EXPECT_FALSE(rr.ok) << count;
        EXPECT_EQ(rr.messages.at(0).text, key) << count;
        EXPECT_EQ(rr.text, "");
    }
}

}  // namespace
