// `cmake --install` into a prefix of the test's own, then the installed programs run as a user
// runs them: the command line, an inspection, the desktop program started offscreen with a
// fresh home. Nothing may be written under the prefix; the desktop files pass their validators;
// the manual page and the shell completion know every command --help lists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>

#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

namespace fs = std::filesystem;
using fw::test::capture;
using fw::test::quote;

std::map<std::string, fs::file_time_type> listing(const fs::path& dir) {
    std::map<std::string, fs::file_time_type> out;
    for (const auto& e : fs::recursive_directory_iterator(dir)) out[e.path().string()] = fs::last_write_time(e.path());
    return out;
}

TEST(InstallTools, TheInstalledProgramRunsAndWritesOnlyToXdgFolders) {
    FW_REQUIRE_TOOLS("desktop-file-validate", "appstreamcli");
    fw::test::TempHome home;
    const fs::path prefix = home.dir() / "prefix";
    ASSERT_EQ(fw::test::sh(quote(FW_CMAKE) + " --install " + quote(FW_BUILD_DIR) + " --prefix " + quote(prefix.string())), 0);
    for (const char* f : {"bin/framewise", "bin/framewise-cli", "share/framewise/lang/eng.ini", "share/framewise/data/codecs.sql",
                          "share/applications/org.framewise.Framewise.desktop", "share/metainfo/org.framewise.Framewise.metainfo.xml",
                          "share/icons/hicolor/scalable/apps/org.framewise.Framewise.svg",
                          "share/icons/hicolor/16x16/apps/org.framewise.Framewise.png",
                          "share/icons/hicolor/256x256/apps/org.framewise.Framewise.png", "share/man/man1/framewise-cli.1.gz",
                          "share/man/man1/framewise.1.gz", "share/bash-completion/completions/framewise-cli",
                          "share/doc/framewise/copyright", "share/doc/framewise/changelog.gz"})
        EXPECT_TRUE(fs::exists(prefix / f)) << f;
    EXPECT_EQ(fw::test::sh("desktop-file-validate " + quote((prefix / "share/applications/org.framewise.Framewise.desktop").string())), 0);
    EXPECT_EQ(fw::test::sh("appstreamcli validate --no-net " + quote((prefix / "share/metainfo/org.framewise.Framewise.metainfo.xml").string())), 0);

    // A user of the installed program: a home of their own, no FRAMEWISE_HOME.
    const fs::path user = home.dir() / "user";
    fs::create_directories(user);
    const std::string env = "env -u FRAMEWISE_HOME HOME=" + quote(user.string()) + " XDG_CONFIG_HOME=" + quote((user / ".config").string()) +
                            " XDG_DATA_HOME=" + quote((user / ".local/share").string()) + " XDG_CACHE_HOME=" + quote((user / ".cache").string()) + " ";
    const std::string cli = quote((prefix / "bin/framewise-cli").string());
    const auto before = listing(prefix);
    EXPECT_NE(capture(env + cli + " --version").find("3.6.2"), std::string::npos);
    const std::string avi = home.path("film.avi");
    fw::fixtures::writeBytes(avi, fw::fixtures::buildAvi({}));
    const std::string inspected = capture(env + cli + " inspect " + quote(avi) + " --json");
    EXPECT_TRUE(fw::test::jsonField(inspected, "format", "\"AVI\"")) << inspected;
    // The desktop program, started offscreen and ended by a terminate signal, as a session ends.
    std::system((env + "QT_QPA_PLATFORM=offscreen timeout -s TERM 3 " + quote((prefix / "bin/framewise").string()) + " >/dev/null 2>&1").c_str());
    EXPECT_TRUE(fs::exists(user / ".config/framewise/settings.ini"));
    EXPECT_TRUE(fs::exists(user / ".local/share/framewise/codecs.sqlite"));
    EXPECT_FALSE(fs::exists(user / ".config/Framewise")) << "a second settings folder";
    // No desktop session: one clear message and status 1, not Qt's abort; --version still works.
    const std::string gui = quote((prefix / "bin/framewise").string());
    const std::string headless = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + env;
    EXPECT_EQ(capture(headless + gui + " >/dev/null 2>&1; echo $?"), "1\n");
    EXPECT_NE(capture(headless + gui + " 2>&1").find("no display"), std::string::npos);
    EXPECT_NE(capture(headless + gui + " --version").find("3.6.2"), std::string::npos);
    // A display that is named but cannot be reached: the same, not Qt's abort.
    const std::string unreachable = "env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:254 " + env;
    EXPECT_EQ(capture(unreachable + gui + " >/dev/null 2>&1; echo $?"), "1\n");
    EXPECT_NE(capture(unreachable + gui + " 2>&1").find("cannot be reached"), std::string::npos);
    EXPECT_EQ(listing(prefix), before) << "something was written under the prefix";

    // The manual page and the completion know every command the help lists.
    const std::string help = capture(cli + " --help");
    const std::string man = capture("gzip -dc " + quote((prefix / "share/man/man1/framewise-cli.1.gz").string()));
    const std::string completion = fw::test::readFile((prefix / "share/bash-completion/completions/framewise-cli").string());
    const std::regex command(R"(\n  ([a-z][a-z-]+)  )");
    int commands = 0;
    for (std::sregex_iterator it(help.begin(), help.end(), command), end; it != end; ++it, ++commands) {
        const std::string name = (*it)[1];
        EXPECT_NE(man.find("\n  " + name + " "), std::string::npos) << name << " is not in the manual page";
        const bool listed = std::regex_search(completion, std::regex("local commands=\"([a-z -]* )?" + name + "[ \"]"));
        EXPECT_TRUE(listed) << name << " is not in the shell completion";
    }
    EXPECT_GE(commands, 18);
}

}  // namespace
