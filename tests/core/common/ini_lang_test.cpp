#include <gtest/gtest.h>

#include <filesystem>

#include "core/common/ini.h"
#include "core/common/lang.h"
#include "core/common/paths.h"
#include "support/temp_home.h"

namespace {

using fw::test::readFile;
using fw::test::TempHome;
using fw::test::writeFile;

TEST(Ini, ReadsWithoutRegardToCaseAndFallsBackToTheDefault) {
    TempHome home;
    std::string f = home.path("a.ini");
    writeFile(f, "[menu]\nKEY=Value\n[Other]\nq=\"  quoted  \"\n");
    EXPECT_EQ(fw::ReadIni(f, "Menu", "key", "0"), "Value");
    EXPECT_EQ(fw::ReadIni(f, "MENU", "missing", "dflt"), "dflt");
    EXPECT_EQ(fw::ReadIni(f, "None", "KEY", "0"), "0");
    EXPECT_EQ(fw::ReadIni(home.path("nofile.ini"), "Menu", "KEY", "x"), "x");
    EXPECT_EQ(fw::ReadIni(f, "other", "Q", ""), "  quoted  ");
}

TEST(Ini, LongValuesAreCutTo254Characters) {
    TempHome home;
    std::string f = home.path("b.ini");
    fw::WriteIni(f, "Preferences", "Language", std::string(300, 'a'));
    EXPECT_EQ(fw::ReadIni(f, "Preferences", "Language", "0"), std::string(254, 'a'));
    // A cut counts characters, not bytes: an accented letter is never split.
    fw::WriteIni(f, "Preferences", "Language", std::string(253, 'a') + "\xC3\xA0\xC3\xA0");
    EXPECT_EQ(fw::ReadIni(f, "Preferences", "Language", "0"), std::string(253, 'a') + "\xC3\xA0");
}

TEST(Ini, WriteKeepsValuesOnOneLineAndUpdatesInPlace) {
    TempHome home;
    std::string f = home.path("c.ini");
    writeFile(f, "; comment kept\n[BitcalcSettings]\nCD0=1\n");
    fw::WriteIni(f, "Bitcalcsettings", "cd0", "a\r\nb");
    EXPECT_EQ(fw::ReadIni(f, "BitcalcSettings", "CD0", "0"), "a  b");
    std::string text = readFile(f);
    EXPECT_NE(text.find("; comment kept"), std::string::npos);
    EXPECT_EQ(text.find("Bitcalcsettings"), std::string::npos) << "the existing section is reused";
    EXPECT_EQ(text.find("\r"), std::string::npos);
}

TEST(Ini, WriteCreatesFileAndLeavesNoTemporaryBehind) {
    TempHome home;
    std::string f = home.path("new.ini");
    EXPECT_TRUE(fw::WriteIniValues(f, "S", {{"a", "1"}, {"b", "2"}}));
    EXPECT_EQ(fw::ReadIni(f, "s", "B", ""), "2");
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(home.dir()))
        if (e.path().filename().string().rfind(".new.ini", 0) == 0) ++files;
    EXPECT_EQ(files, 0);
    EXPECT_FALSE(fw::WriteIni(home.path("no/such/dir/x.ini"), "S", "k", "v"));
}

TEST(Lang, LooksUpTheCurrentLanguageFileAnew) {
    TempHome home;
    EXPECT_EQ(fw::globals().Language, "eng");
    EXPECT_EQ(fw::LangText("Menu", 4), "&Edit");
    EXPECT_EQ(fw::LangText("menu", 4), "&Edit");
    EXPECT_EQ(fw::LangText("Bitcalc", 18), "Video bitrate = ");
    fw::globals().Language = "ita";
    EXPECT_EQ(fw::LangText("Menu", 4), "&Modifica");
    EXPECT_EQ(fw::LangText("Menu", 9999), "0");
    fw::globals().Language = "0";  // no such file: every text reads "0"
    EXPECT_EQ(fw::LangText("Menu", 4), "0");
    // A code that reaches out of the language folder is no language either.
    writeFile(home.path("texts.ini"), "[Menu]\n4=taken from elsewhere\n");
    for (const char* code : {"../texts", "../lang/../texts", "x/../../texts"}) {
        fw::globals().Language = code;
        EXPECT_EQ(fw::LangText("Menu", 4), "0") << code;
    }
}

TEST(Lang, PreferencesRoundTripAndMissingKeysGiveZero) {
    TempHome home;
    writeFile(home.settings(), "[Preferences]\n");
    fw::loadPreferences();
    EXPECT_EQ(fw::globals().Language, "0");
    EXPECT_EQ(fw::globals().CheckUpdates, 0);
    fw::globals().Language = "ita";
    fw::globals().CheckUpdates = 1;
    fw::savePreferences();
    fw::globals() = {};
    fw::loadPreferences();
    EXPECT_EQ(fw::globals().Language, "ita");
    EXPECT_EQ(fw::globals().CheckUpdates, 1);
}

TEST(Paths, PortableLayoutUsesTheProgramFolder) {
    TempHome home;
    const auto& p = fw::paths();
    EXPECT_TRUE(p.portable);
    EXPECT_EQ(p.settingsPath, home.settings());
    EXPECT_EQ(p.langDir, home.path("lang"));
    // The user's copy exists; the shipped default is never the file being written.
    EXPECT_TRUE(std::filesystem::exists(home.settings()));
    EXPECT_NE(p.settingsPath, (std::filesystem::path(p.shippedDataDir) / "settings.ini").string());
}

}  // namespace
