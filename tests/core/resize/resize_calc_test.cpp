#include <gtest/gtest.h>

#include "core/common/lang.h"
#include "core/resize/resize_calc.h"
#include "support/temp_home.h"

namespace {

using fw::resize::ResizeCalc;

TEST(Resize, McdByEuclid) {
    const std::array<int, 3> cases[] = {{720, 576, 144}, {576, 720, 144}, {640, 272, 16}, {7, 5, 1}, {5, 0, 0}, {0, 5, 5}};
    for (auto [a, b, g] : cases) EXPECT_EQ(fw::resize::MCD(a, b), g) << a << "," << b;
    EXPECT_EQ(fw::resize::MCD(-2147483647 - 1, -1), -1);  // no trap on the one overflowing remainder
}

TEST(Resize, OpeningTakesTheRatioFromTheSource) {
    fw::test::TempHome home;
    ResizeCalc c;
    c.open();
    EXPECT_EQ(c.in.Text4, (std::array<std::string, 2>{"5", "4"}));
    EXPECT_EQ(c.Label1[0], "Input A/R: 1.25 :1");
    EXPECT_EQ(c.in.Text3, (std::array<std::string, 2>{"89", "89"}));
    EXPECT_EQ(c.Label1[1], "Final size: 640 X 512");
    EXPECT_EQ(c.Label1[4], "1000 Kbit/sec => 0.122 Bits per pixel");
}

TEST(Resize, CalculateInEveryMode) {
    fw::test::TempHome home;
    struct Case {
        bool keep, sizeBased, heightMaster;
        std::array<std::string, 2> text2, text3;
        std::array<std::string, 2> wantText2;
        const char* wantError;
    };
    const Case cases[] = {
        {true, false, false, {"640", "1"}, {"", ""}, {"640", "512"}, "A/R error: 0 %"},
        {true, false, true, {"1", "480"}, {"", ""}, {"600", "480"}, "A/R error: 0 %"},
        {true, true, false, {"", ""}, {"50", "7"}, {"360", "288"}, "A/R error: 0 %"},
        {true, true, true, {"", ""}, {"7", "50"}, {"360", "288"}, "A/R error: 0 %"},
        {false, false, false, {"640", "272"}, {"", ""}, {"640", "272"}, "A/R error: 46.875 %"},
        {false, true, false, {"1", "272"}, {"50", "90"}, {"360", "272"}, "A/R error: 5.556 %"},
    };
    for (const auto& k : cases) {
        ResizeCalc c;
        c.open();
        c.in.Check1[0] = k.keep;
        c.in.sizeBased = k.sizeBased;
        c.in.heightMaster = k.heightMaster;
        c.in.Text2 = k.text2;
        c.in.Text3 = k.text3;
        c.calculate();
        EXPECT_EQ(c.in.Text2, k.wantText2);
        EXPECT_EQ(c.Label1[3], k.wantError);
    }
}

TEST(Resize, RoundingToMultiples) {
    fw::test::TempHome home;
    ResizeCalc c;
    c.open();
    c.in.Check1 = {false, true};
    c.in.Text2 = {"640", "270"};
    c.calculate();
    EXPECT_EQ(c.Label1[1], "Final size: 640 X 272");
    EXPECT_EQ(c.in.Text2[1], "270");  // the target keeps its unrounded value
    EXPECT_EQ(c.Label1[4], "1000 Kbit/sec => 0.231 Bits per pixel");
    c.in.Text5 = {"2000", "16"};
    c.calculate();
    EXPECT_EQ(c.Label1[1], "Final size: 640 X 272");
    // Toggling a box takes the output ratio from the rounded size.
    c.in.Text5 = {"16", "16"};
    c.checkToggled();
    EXPECT_EQ(c.Label1[2], "Output A/R: 2.35294117647059 :1");
    c.in.Text2 = {"640", "272"};
    c.in.Check1 = {false, false};
    c.calculate();
    EXPECT_EQ(c.Label1[4], "1000 Kbit/sec => 0.23 Bits per pixel");
}

TEST(Resize, PresetsAndStandards) {
    ResizeCalc c;
    c.choosePreset(16);
    EXPECT_EQ(c.in.Text1, (std::array<std::string, 2>{"720", "306"}));
    EXPECT_TRUE(c.in.sizeBased);
    c.chooseStandard(fw::resize::Standard::Ntsc);
    EXPECT_EQ(c.in.Text1[1], "480");
    c.in.Text1[1] = "999";
    c.choosePreset(fw::resize::kCustomPreset);
    EXPECT_EQ(c.in.Text1[1], "480");
    EXPECT_FALSE(c.in.sizeBased);
    EXPECT_FALSE(ResizeCalc::pairUsable({"720", "0"}));
    EXPECT_FALSE(ResizeCalc::pairUsable({"", "5"}));
    EXPECT_TRUE(ResizeCalc::pairUsable({"720", "480"}));
}

TEST(Resize, ValuesAreJudgedByWhatTheyAre) {
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"720", 720}, {" 576 ", 576}, {"0", std::nullopt}, {"00", std::nullopt}, {"0.0", std::nullopt},
        {"0.4", std::nullopt}, {"0.6", 1}, {"-640", std::nullopt}, {"1e12", std::nullopt}, {"32767", 32767},
        {"32768", std::nullopt}, {"", std::nullopt}, {"abc", std::nullopt}, {"7,5", 8},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ResizeCalc::usableValue(text), value) << text;
    EXPECT_FALSE(ResizeCalc::pairUsable({"720", "00"}));
    // No figure from an unusable pair: the labels keep their captions only.
    fw::test::TempHome home;
    ResizeCalc c;
    c.open();
    c.clearResults();
    for (const auto& l : c.Label1) EXPECT_EQ(l.find("Infinity"), std::string::npos);
    EXPECT_EQ(c.Label1[0], fw::LangText("Resizer", 11));
    // A worked-out size beyond any frame (1:2 at 20000 wide) gives no figures, not stale ones.
    ResizeCalc big;
    big.open();
    big.in.Text4 = {"1", "2"};
    big.in.Text2[0] = "20000";
    EXPECT_FALSE(big.calculate());
    EXPECT_EQ(big.Label1[4], "");
    EXPECT_EQ(big.Label1[1], fw::LangText("Resizer", 12));
}

TEST(Resize, InfoDisplayMode) {
    auto m = fw::resize::infoDisplayMode("Title: X\r\nFrames: 1000\r\nDisplay mode: 720x480\r\n");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->first, "720");
    EXPECT_EQ(m->second, "480");
    EXPECT_EQ(fw::resize::infoDisplayMode("Display mode: 720X576")->second, "576");
    EXPECT_FALSE(fw::resize::infoDisplayMode("nothing here"));
    EXPECT_FALSE(fw::resize::infoDisplayMode(""));
}

}  // namespace
