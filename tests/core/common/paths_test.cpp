// Where the program finds its files: the installed layout under a prefix, with the user's files in
// the XDG folders and settings.ini copied from the shipped default on first use.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "core/common/file_io.h"
#include "core/common/ini.h"
#include "core/common/lang.h"
#include "core/common/paths.h"
#include "support/temp_home.h"

namespace {

namespace fs = std::filesystem;

// Runs without FRAMEWISE_HOME (which forces the portable layout), and puts it back after.
class Installed : public ::testing::Test {
protected:
    fw::test::TempHome home;
    fs::path prefix = home.dir() / "prefix";
    void SetUp() override {
        fs::create_directories(prefix / "bin");
        fs::create_directories(prefix / "share/framewise");
        fs::copy(home.dir() / "lang", prefix / "share/framewise/lang", fs::copy_options::recursive);
        fs::copy(home.dir() / "data", prefix / "share/framewise/data", fs::copy_options::recursive);
        ::unsetenv("FRAMEWISE_HOME");
    }
    void TearDown() override {
        ::setenv("FRAMEWISE_HOME", home.dir().c_str(), 1);
        fw::initPaths();
        fw::loadPreferences();
    }
};

TEST_F(Installed, ShippedFilesFromThePrefixTheUsersFromXdg) {
    const auto& p = fw::initPathsFor((prefix / "bin").string());
    EXPECT_FALSE(p.portable);
    EXPECT_EQ(p.settingsPath, (home.dir() / "config/framewise/settings.ini").string());
    EXPECT_EQ(p.userDataDir, (home.dir() / "userdata/framewise").string());
    EXPECT_EQ(p.langDir, (prefix / "share/framewise/lang").string());
    EXPECT_EQ(p.shippedDataDir, (prefix / "share/framewise/data").string());
    // First run: the shipped settings.ini is copied; later runs keep what the user changed.
    EXPECT_FALSE(fs::exists(p.settingsPath));
    fw::ensureUserSettings();
    EXPECT_EQ(fw::ReadIni(p.settingsPath, "BitcalcSettings", "Type1", ""), "700 MB");
    fw::WriteIni(p.settingsPath, "BitcalcSettings", "Type1", "650 MB");
    fw::ensureUserSettings();
    EXPECT_EQ(fw::ReadIni(p.settingsPath, "BitcalcSettings", "Type1", ""), "650 MB");
    fw::loadPreferences();
    EXPECT_EQ(fw::LangText("FormCaptions", 9), "Preferences");
    // Nothing was written under the prefix.
    for (const auto& e : fs::recursive_directory_iterator(prefix))
        EXPECT_TRUE(e.is_directory() || e.path().string().find("/share/framewise/") != std::string::npos) << e.path();
}

TEST_F(Installed, AProgramFolderThatCannotBeWrittenShipsItsOwnFiles) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes any folder: this case needs an ordinary user";
    const fs::path folder = home.dir() / "opt";
    fs::copy(home.dir() / "lang", folder / "lang", fs::copy_options::recursive);
    fs::copy(home.dir() / "data", folder / "data", fs::copy_options::recursive);
    ::chmod(folder.c_str(), 0555);
    const auto& p = fw::initPathsFor(folder.string());
    EXPECT_FALSE(p.portable);
    EXPECT_EQ(p.langDir, (folder / "lang").string());
    EXPECT_EQ(p.settingsPath, (home.dir() / "config/framewise/settings.ini").string());
    ::chmod(folder.c_str(), 0755);
}

// A first start on a full disk: no cut copy stays as the user's settings (without its Language
// key every text would read "0", and it would never be made again); the next start makes it.
TEST(UserSettings, AFirstCopyThatFailsLeavesNothingAndTheDefaultsHold) {
    fw::test::TempHome home;
    const fs::path settings = home.settings();
    for (std::uint64_t budget : {0, 10}) {
        SCOPED_TRACE(budget);
        fs::remove(settings);
        fw::writeFaults::failAfter(budget);
        fw::ensureUserSettings();
        fw::writeFaults::clear();
        EXPECT_FALSE(fs::exists(settings));
        std::size_t files = 0;
        for (const auto& e : fs::directory_iterator(home.dir())) files += e.is_regular_file();
        EXPECT_EQ(files, 0u) << "a temporary file was left";
    }
    fw::ensureUserSettings();
    const std::string shipped = fw::test::readFile((home.dir() / "data" / "settings.ini").string());
    EXPECT_EQ(fw::test::readFile(settings.string()), shipped);
    fw::loadPreferences();
    EXPECT_EQ(fw::globals().Language, "eng");

    // Nor does a window that saves its inputs later in the same run: the file it makes is whole.
    fs::remove(settings);
    ASSERT_TRUE(fw::WriteIni(settings.string(), "XviD", "stats1", "a.stats"));
    EXPECT_EQ(fw::ReadIni(settings.string(), "XviD", "stats1", ""), "a.stats");
    EXPECT_GT(fw::test::readFile(settings.string()).size(), shipped.size());
    fw::loadPreferences();
    EXPECT_EQ(fw::globals().Language, "eng");
}

}  // namespace
