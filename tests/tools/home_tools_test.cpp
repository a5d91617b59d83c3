// A run with FRAMEWISE_HOME set keeps everything under it: Qt's own per-user files too. Checked
// the way a user would see it, with a fresh HOME whose ~/.config must stay empty.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_home.h"
#include "support/tools.h"

namespace {

namespace fs = std::filesystem;
using fw::test::quote;

std::vector<std::string> filesUnder(const fs::path& dir) {
    std::vector<std::string> out;
    std::error_code ec;
    if (!fs::exists(dir, ec)) return out;
    for (const auto& e : fs::recursive_directory_iterator(dir, ec)) out.push_back(e.path().string());
    return out;
}

TEST(HomeTools, NothingIsWrittenUnderTheUsersConfigFolder) {
    fw::test::TempHome home;
    const fs::path user = home.dir() / "user-home";
    fs::create_directories(user);
    const std::string env = "HOME=" + quote(user.string()) + " XDG_CONFIG_HOME= XDG_CACHE_HOME= QT_QPA_PLATFORM=offscreen ";
    // The program, started and ended by a terminate signal, as a session would end it.
    std::system((env + "FRAMEWISE_HOME=" + quote(home.dir().string()) + " timeout -s TERM 3 " + quote(FW_GUI_PATH) +
                 " >/dev/null 2>&1")
                    .c_str());
    // A whole window test run, the way scripts/test runs it.
    const int rc = std::system((env + quote(std::string(FW_GUI_TEST_DIR) + "/shell_test") + " >/dev/null 2>&1").c_str());
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(filesUnder(user / ".config"), std::vector<std::string>{});
}

}  // namespace
