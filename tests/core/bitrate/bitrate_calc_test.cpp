#include <gtest/gtest.h>

#include <cmath>

#include "core/bitrate/bitrate_calc.h"
#include "core/common/ini.h"
#include "core/common/lang.h"
#include "support/temp_home.h"

namespace {

using fw::bitrate::Bitcalc;
using fw::bitrate::Profile;

// The worked example: 1 x 700 MB, 1:30:00, 25 fps, 128 Kbps MP3 CBR, interleave 2 frames,
// frame overhead, 640 x 272.
Bitcalc workedExample(Profile p) {
    Bitcalc c;
    c.in.bitrate1 = "128 Kbps";
    c.in.Check2 = true;
    c.in.profile = p;
    c.width = 640;
    c.height = 272;
    return c;
}

TEST(Bitcalc, WorkedExampleForEveryProfile) {
    fw::test::TempHome home;
    struct Case {
        Profile profile;
        double kbps;
        double bpp;
        const char* text0;
        const char* text7;
    };
    const Case cases[] = {
        {Profile::Divx4, 949.14, 0.2181, "Video bitrate = 949 Kbit/s", "Res: 640 X 272 - bits per pixel: 0.2181"},
        {Profile::Divx5, 949.14, 0.2181, "Video bitrate = 949 Kbit/s", "Res: 640 X 272 - bits per pixel: 0.2181"},
        {Profile::None, 949.14, 0.2181, "Video bitrate = 949 Kbit/s", "Res: 640 X 272 - bits per pixel: 0.2181"},
        {Profile::Divx3, 926.89, 0.2181, "Video bitrate = 926 Kbit/s", "Res: 640 X 272 - bits per pixel: 0.2181"},
        {Profile::Divx3fm, 1899.67, 0.218, "Video bitrate = 1899 Kbit/s", "Res: 640 X 272 - bits per pixel: 0.218"},
    };
    for (const auto& c : cases) {
        Bitcalc calc = workedExample(c.profile);
        auto r = calc.calcola();
        ASSERT_TRUE(r.computed);
        EXPECT_TRUE(r.messages.empty());
        EXPECT_NEAR(r.videoKbps, c.kbps, 0.005);
        EXPECT_NEAR(r.bitsPerPixel, c.bpp, 0.00005);
        EXPECT_EQ(r.texts[0], c.text0);
        EXPECT_EQ(r.texts[7], c.text7);
    }
    Bitcalc calc = workedExample(Profile::Divx4);
    auto r = calc.calcola();
    EXPECT_EQ(calc.interleave, 80);
    EXPECT_EQ(r.texts[1], "Running time = 5400 sec.");
    EXPECT_EQ(r.texts[2], "Audio size = 84.375 MB");
    EXPECT_EQ(r.texts[3], "Frames = 135000");
    EXPECT_EQ(r.texts[4], "Kbits per frame = 37.97");
    EXPECT_EQ(r.texts[5], "Video overhead = 3.09 MB");
    EXPECT_EQ(r.texts[6], "Audio overhead = 1.545 MB");
    EXPECT_EQ(r.texts[8], "Video size (KB) = 625654");
    EXPECT_NEAR(r.netMB, 610.99, 1e-9);
}

TEST(Bitcalc, MediaTotals) {
    Bitcalc c;
    c.in.txtCD = {"2", "1", ""};
    c.in.Combo3 = {"700 MB", "650 MB"};
    c.in.overburn = true;
    EXPECT_FALSE(c.spazio());
    EXPECT_EQ(c.totalSize, 2080);
    c.in.Option3_0 = false;
    c.in.txtCD[2] = " 4480 ";
    EXPECT_FALSE(c.spazio());
    EXPECT_EQ(c.totalSize, 4480);
    // Beyond 16 bits and garbage in an editable list: a message, not a wrapped number.
    c.in.txtCD[2] = "40000";
    ASSERT_TRUE(c.spazio());
    EXPECT_EQ(c.spazio()->text, (fw::LangKey{"BitcalcMsgBox", 7}));
    c.in.Option3_0 = true;
    c.in.Combo3[0] = "lots MB";
    EXPECT_TRUE(c.spazio());
}

TEST(Bitcalc, RunningTimeBothWays) {
    Bitcalc c;
    c.in.framerate = "23.976 fps";
    c.frate();
    EXPECT_DOUBLE_EQ(static_cast<double>(c.rate), static_cast<double>(23.976f));
    c.LengSectot();
    EXPECT_EQ(c.in.frames, "129470.399093628");
    EXPECT_EQ(c.in.txtTime[2], "0");  // empty fields become "0"

    Bitcalc f;
    f.in.Option2_0 = false;
    f.in.Option2_1 = true;
    f.in.frames = "135000";
    f.in.txtTime = {"", "", ""};
    f.frate();
    f.LengSectot();
    EXPECT_EQ(f.in.txtTime, (std::array<std::string, 3>{"1", "30", "0"}));
    EXPECT_DOUBLE_EQ(f.duration, 5400);

    f.in.framerate = "29,970 fps";  // a comma reads as the decimal separator
    f.frate();
    EXPECT_FLOAT_EQ(f.rate, 29.97f);
}

TEST(Bitcalc, AudioOverhead) {
    fw::test::TempHome home;
    Bitcalc c;
    c.in.interval = "500";
    c.in.Option1_0 = false;
    c.in.Option1_1 = true;
    c.in.VBR = true;
    c.frate();
    fw::Messages m;
    EXPECT_DOUBLE_EQ(c.aoverhead(m), 0.412);
    EXPECT_TRUE(m.empty());

    c.in.interval = "0.0001";  // rounds to 0 ms
    EXPECT_DOUBLE_EQ(c.aoverhead(m), 0.0);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text, (fw::LangKey{"BitcalcMsgBox", 8}));

    m.clear();
    c.in.interval = "abc";
    EXPECT_DOUBLE_EQ(c.aoverhead(m), 0.0);
    EXPECT_EQ(c.in.interval, "");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text, (fw::LangKey{"BitcalcMsgBox", 1}));
}

TEST(Bitcalc, RefusalsLeaveThePreviousBitrate) {
    fw::test::TempHome home;
    Bitcalc c = workedExample(Profile::Divx4);
    ASSERT_TRUE(c.calcola().computed);
    const double before = c.videoBitrate;

    struct Case {
        void (*change)(Bitcalc&);
        int key;
    };
    const Case cases[] = {
        {[](Bitcalc& b) { b.in.txtCD = {"", "", ""}; }, 5},
        {[](Bitcalc& b) { b.in.txtTime = {"0", "0", "0"}; }, 6},
        {[](Bitcalc& b) { b.in.framerate = "fast"; }, 10},
        {[](Bitcalc& b) {
             b.in.standard = false;
             b.in.personalizzato = true;
             b.in.bitrate2 = "99999";
         },
         11},
        // Negative or impossible inputs: a message, no result.
        {[](Bitcalc& b) { b.in.txtCD = {"-1", "", ""}; }, 12},
        {[](Bitcalc& b) { b.in.Combo3[0] = "-700 MB"; }, 12},
        {[](Bitcalc& b) {
             b.in.Option3_0 = false;
             b.in.Option3_1 = true;
             b.in.txtCD[2] = "-700";
         },
         12},
        {[](Bitcalc& b) { b.in.txtTime = {"-1", "30", "0"}; }, 12},
        {[](Bitcalc& b) { b.in.txtTime = {"2", "-10", "0"}; }, 12},
        {[](Bitcalc& b) {
             b.in.Option2_0 = false;
             b.in.Option2_1 = true;
             b.in.frames = "-135000";
         },
         12},
        {[](Bitcalc& b) {
             b.in.Option2_0 = false;
             b.in.Option2_1 = true;
             b.in.frames = "1e400";  // overflows to infinity
         },
         4},
        {[](Bitcalc& b) {
             b.in.codecaudio = "Mp3 (da file)";
             b.audioSize = 800;  // more than the 700 MB disc
         },
         13},
        {[](Bitcalc& b) { b.in.interval = "2000"; }, 14},  // 2000 frames = 80 s: too long
        {[](Bitcalc& b) { b.in.interval = "0.001"; }, 8},   // rounds to 0 ms
    };
    for (const auto& k : cases) {
        Bitcalc b = c;
        k.change(b);
        auto r = b.calcola();
        EXPECT_FALSE(r.computed);
        ASSERT_EQ(r.messages.size(), 1u) << k.key;
        EXPECT_EQ(r.messages[0].text.key, k.key);
        EXPECT_DOUBLE_EQ(b.videoBitrate, before);
        EXPECT_TRUE(std::isfinite(b.videoBitrate));
    }
    // An unknown frame size still gives the bitrate, with a message about bits per pixel.
    Bitcalc z = workedExample(Profile::Divx4);
    z.width = 0;
    auto r = z.calcola();
    EXPECT_TRUE(r.computed);
    EXPECT_FALSE(r.bitsPerPixelValid);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text.key, 9);
}

TEST(Bitcalc, FieldGuards) {
    struct Case {
        int field;
        const char* text;
        int key;  // 0: no message; -1: the numeric-value message
        const char* after;
    };
    const Case cases[] = {
        {0, "8", 0, nullptr},  {0, "9", 2, ""},     {1, "59", 0, nullptr}, {1, "60", 3, ""},
        {2, "59.99", 0, nullptr}, {2, "60", 2, ""}, {2, "x", -1, ""},      {0, "", 0, nullptr},
        {0, "-1", 12, ""},     {2, "-0.5", 12, ""},
    };
    for (const auto& k : cases) {
        Bitcalc c;
        c.in.txtTime[static_cast<std::size_t>(k.field)] = k.text;
        auto v = c.guardTime(k.field);
        if (k.key == 0) {
            EXPECT_TRUE(v.messages.empty()) << k.text;
        } else {
            ASSERT_EQ(v.messages.size(), 1u);
            if (k.key > 0) EXPECT_EQ(v.messages[0].text.key, k.key);
            else EXPECT_EQ(v.messages[0].fixedText, "You must insert a numeric value");
        }
        EXPECT_EQ(v.newText.has_value(), k.after != nullptr);
    }
    Bitcalc c;
    c.in.frames = "810000";
    auto v = c.guardFrames();
    EXPECT_EQ(v.newText, "809999.75");
    ASSERT_EQ(v.messages.size(), 1u);
    EXPECT_EQ(v.messages[0].text.key, 4);
    c.in.frames = "-1";
    v = c.guardFrames();
    EXPECT_EQ(v.newText, "");
    EXPECT_EQ(v.messages.at(0).text.key, 12);
}

TEST(Bitcalc, CompressionValues) {
    EXPECT_EQ(fw::bitrate::parseCompression("1024 X 576@0.2181"), (std::pair<int, int>{1024, 576}));
    EXPECT_EQ(fw::bitrate::parseCompression(" 720 x 576 "), (std::pair<int, int>{720, 576}));
    EXPECT_FALSE(fw::bitrate::parseCompression("0"));
    EXPECT_FALSE(fw::bitrate::parseCompression("a X b"));
    EXPECT_EQ(fw::bitrate::compressionFromResultText("Res: 640 X 272 - bits per pixel: 0.2181"), "640 X 272@0.2181");
    EXPECT_EQ(fw::bitrate::compressionFromResultText(""), "720 X 576");
}

TEST(Bitcalc, SettingsRoundTrip) {
    fw::test::TempHome home;
    Bitcalc shipped;
    fw::bitrate::loadBitcalcSettings(home.settings(), shipped);
    EXPECT_EQ(shipped.in.Combo3[0], "700 MB");
    EXPECT_EQ(shipped.in.profile, Profile::Divx4);
    EXPECT_EQ(shipped.width, 720);
    EXPECT_EQ(shipped.height, 576);
    EXPECT_TRUE(shipped.in.standard);

    Bitcalc c = workedExample(Profile::Divx3fm);
    c.in.personalizzato = true;
    c.in.standard = false;
    c.in.bitrate2 = "111";
    c.in.bitrate1Enabled = false;
    c.in.Option2_0 = false;
    c.in.Option2_1 = false;
    c.audioSize = 12.5;
    fw::bitrate::saveBitcalcSettings(home.settings(), c, "Res: 640 X 272 - bits per pixel: 0.218");
    EXPECT_EQ(fw::ReadIni(home.settings(), "BitcalcSettings", "Compression", ""), "640 X 272@0.218");
    EXPECT_EQ(fw::ReadIni(home.settings(), "BitcalcSettings", "divx3fm", ""), "-1");
    EXPECT_EQ(fw::ReadIni(home.settings(), "BitcalcSettings", "FrameOverhead", ""), "1");
    Bitcalc back;
    fw::bitrate::loadBitcalcSettings(home.settings(), back);
    EXPECT_EQ(back.in.profile, Profile::Divx3fm);
    EXPECT_TRUE(back.in.personalizzato);
    EXPECT_FALSE(back.in.standard);
    EXPECT_FALSE(back.in.bitrate1Enabled);
    EXPECT_FALSE(back.in.Option2_0);
    EXPECT_FALSE(back.in.Option2_1);
    EXPECT_EQ(back.in.bitrate2, "111");
    EXPECT_DOUBLE_EQ(back.audioSize, 12.5);
    EXPECT_EQ(back.width, 640);

    // Keys the file does not hold read as "0": neither media option is selected, and leaving
    // writes "0" for both, not "-1".
    fw::writeFileAtomically(home.settings(), "[BitcalcSettings]\nCD0=1\nType1=700 MB\n");
    Bitcalc bare;
    fw::bitrate::loadBitcalcSettings(home.settings(), bare);
    EXPECT_FALSE(bare.in.Option3_0);
    EXPECT_FALSE(bare.in.Option3_1);
    fw::bitrate::saveBitcalcSettings(home.settings(), bare, "");
    EXPECT_EQ(fw::ReadIni(home.settings(), "BitcalcSettings", "Fixed", ""), "0");
    EXPECT_EQ(fw::ReadIni(home.settings(), "BitcalcSettings", "NotFixed", ""), "0");
}

}  // namespace
