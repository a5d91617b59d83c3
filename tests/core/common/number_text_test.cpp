#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/common/number.h"
#include "core/common/text.h"
#include "support/tools.h"

namespace {

struct RoundCase {
    double x;
    int decimals;
    double expected;
};

TEST(Number, RoundHalfEvenTable) {
    const RoundCase cases[] = {
        {2.5, 0, 2},           {3.5, 0, 4},          {-2.5, 0, -2},           {0.125, 2, 0.12},
        {0.135, 2, 0.14},      {2.675, 2, 2.68},     {1.5449523925781, 3, 1.545}, {3.0899047851562, 3, 3.09},
        {625653.76, 0, 625654}, {0.21812, 4, 0.2181}, {949.1396, 2, 949.14},   {1e-20, 2, 0},
        {123456789.0, -2, 123456800}, {0.0, 3, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(fw::roundHalfEven(c.x, c.decimals), c.expected) << c.x << " to " << c.decimals;
}

TEST(Number, NumberTextShortestAtMost15Digits) {
    const std::pair<double, const char*> cases[] = {
        {5400, "5400"},
        {0.5, "0.5"},
        {23.9759998321533, "23.9759998321533"},
        {static_cast<double>(23.976f) * 5400, "129470.399093628"},
        {1e16, "1E+16"},
        {1.5e-5, "1.5E-05"},
        {-0.0, "0"},
        {84.375, "84.375"},
        {0.1 + 0.2, "0.3"},
    };
    for (const auto& [x, text] : cases) EXPECT_EQ(fw::numberText(x), text);
    EXPECT_EQ(fw::intFloor(-1.5), -2);
    EXPECT_EQ(fw::intFloor(949.9), 949);
}

TEST(Number, FormatPatterns) {
    struct Case {
        double x;
        const char* pattern;
        const char* expected;
    };
    const Case cases[] = {
        {5, "00", "05"},      {59, "00", "59"},         {1, "0#", "01"},           {100, "0#", "100"},
        {0, "00##", "00"},    {7, "00##", "07"},        {100, "00##", "100"},      {29.97, "##.000", "29.970"},
        {0.5, "##.000", "0.500"}, {0.25, ".###", ".25"}, {1.2345, ".###", "1.234"}, {0, ".###", "0"},
        {5.12345, "00.0000", "05.1234"}, {59.99995, "00.0000", "60.0000"},
    };
    for (const auto& c : cases) EXPECT_EQ(fw::formatPattern(c.x, c.pattern), c.expected) << c.pattern << " " << c.x;
}

TEST(Number, TheProcessLocaleChangesNothing) {
    // Under Italian and German the C library writes and reads "0,218". The numbers the core
    // writes into files and texts, and the ones it reads, keep the point; what a user types may
    // use either separator.
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"it_IT.UTF-8", "de_DE.UTF-8"}) {
        if (!std::setlocale(LC_ALL, name)) {
            std::setlocale(LC_ALL, saved.c_str());
            if (fw::test::underCi()) FAIL() << name << " is not installed (scripts/install-deps generates it)";
            GTEST_SKIP() << name << " is not installed";
        }
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 0.5);
        ASSERT_STREQ(probe, "0,5") << name << ": the locale does not write a comma";
        EXPECT_EQ(fw::numberText(0.218), "0.218") << name;
        EXPECT_EQ(fw::numberText(1e16), "1E+16") << name;
        EXPECT_EQ(fw::numberText(2.86), "2.86") << name;
        EXPECT_DOUBLE_EQ(fw::roundHalfEven(2.675, 2), 2.68) << name;
        EXPECT_DOUBLE_EQ(fw::roundHalfEven(0.125, 2), 0.12) << name;
        EXPECT_EQ(fw::formatPattern(29.97, "##.000"), "29.970") << name;
        EXPECT_EQ(fw::formatPattern(0.25, ".###"), ".25") << name;
        EXPECT_EQ(fw::parseNumber("23.976"), 23.976) << name;
        EXPECT_EQ(fw::parseNumber("23,976"), 23.976) << name;
        EXPECT_EQ(fw::parseNumber("+1.5e3"), 1500) << name;
        EXPECT_TRUE(std::isinf(*fw::parseNumber("1e400"))) << name;
        EXPECT_EQ(fw::numberOr0("59.99"), 59.99) << name;
    }
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(Number, IntegerConversionsCheckTheirWidth) {
    EXPECT_EQ(fw::toInt16(32767.4), 32767);
    EXPECT_FALSE(fw::toInt16(32767.5));  // rounds to 32768
    EXPECT_EQ(fw::toInt16(-32768), -32768);
    EXPECT_EQ(fw::toInt16(80.5), 80);
    EXPECT_FALSE(fw::toInt32(NAN));
    EXPECT_FALSE(fw::toInt32(3e9));
}

TEST(Text, NumericRule) {
    const std::pair<const char*, bool> cases[] = {
        {"12", true},   {" 12 ", true}, {"-3.5", true}, {"+.5", true}, {"1,5", true}, {"1e3", true},
        {"2.5E-2", true}, {"", false},  {" ", false},   {".", false},  {"1.2.3", false}, {"1e", false},
        {"abc", false}, {"12a", false}, {"--1", false}, {"1 2", false}, {"0x10", false},
    };
    for (const auto& [t, numeric] : cases) EXPECT_EQ(fw::isNumeric(t), numeric) << '"' << t << '"';
    EXPECT_DOUBLE_EQ(*fw::parseNumber("1,5"), 1.5);
    EXPECT_DOUBLE_EQ(fw::numberOr0("x"), 0.0);
}

TEST(Text, CaseInsensitiveHelpers) {
    EXPECT_EQ(fw::ifind("720 x 576", " X "), 3u);
    EXPECT_EQ(fw::ireplace("23.976 FPS", " fps", ""), "23.976");
    EXPECT_EQ(fw::ireplace("128 kbps Kbps", "KBPS", "!"), "128 ! !");
    EXPECT_EQ(fw::replaceFirst("700 MB MB", "MB", ""), "700  MB");
    EXPECT_EQ(fw::replaceFirst("700 mb", "MB", ""), "700 mb");  // exact case only
    auto parts = fw::isplit("1024 x 576@0.2", " X ");
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[1], "576@0.2");
    EXPECT_EQ(fw::isplit("", ",").size(), 1u);
    EXPECT_EQ(fw::trim("\t a b  "), "a b");
}

TEST(Text, ValidUtf8KeepsGoodSequencesAndReadsTheRestAsLatin1) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain.mp3", "plain.mp3"},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5"},  // stays as it is
        {"bad\xff\xfename", "bad\xc3\xbf\xc3\xbename"},
        {"caf\xe9.mp3", "caf\xc3\xa9.mp3"},                  // Latin-1 e acute
        {"\xc3", "\xc3\x83"},                                  // a sequence cut at the end
        {"\xc0\xaf", "\xc3\x80\xc2\xaf"},                    // an overlong '/' is not let through
        {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xc2\x80"},      // nor a surrogate
        {std::string("nul\0x", 5), std::string("nul\0x", 5)},
    };
    for (const auto& c : cases) EXPECT_EQ(fw::validUtf8(c.in), c.out) << c.in;
}

TEST(Text, TerminalTextShowsTerminalCommandsAsQuestionMarks) {
    const struct {
        std::vector<std::string> pieces;  // as a stream hands them over
        std::string shown;
    } cases[] = {
        {{"film.avi\tok\n"}, "film.avi\tok\n"},
        {{"\x1b]0;owned\x07x.avi"}, "?]0;owned?x.avi"},          // retitle the window
        {{"a\x1b[2J\x1b[Hb"}, "a?[2J?[Hb"},                      // clear the screen
        {{"red\xc2\x9b" "31m"}, "red?31m"},                          // C1 CSI as UTF-8
        {{"raw\x9b" "31m"}, "raw?31m"},                                // and as a lone byte
        {{"line\r\n", "cover\rfake"}, "line\r\ncover?fake"},      // CR LF kept, lone CR not
        {{"end\r", "\nnext"}, "end\r\nnext"},                       // CR LF cut between writes
        {{"del\x7f", std::string("nul\0", 4)}, "del?nul?"},
        {{"caf\xc3", "\xa9 \xe2\x82", "\xac"}, "caf\xc3\xa9 \xe2\x82\xac"},  // cut sequences
        {{"caf\xe9.avi"}, "caf?.avi"},                                // Latin-1 name
        {{"\xc0\xaf\xed\xa0\x80"}, "?????"},                          // overlong, surrogate
        {{"tail\xe2\x82"}, "tail??"},                                 // cut at the very end
        {{"tail\r"}, "tail?"},
    };
    for (const auto& c : cases) {
        fw::TerminalText t;
        std::string shown;
        for (const auto& p : c.pieces) shown += t.feed(p);
        shown += t.finish();
        EXPECT_EQ(shown, c.shown) << ::testing::PrintToString(c.pieces);
    }
}

}  // namespace
