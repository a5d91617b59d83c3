// The system report against the system's own tools: df for the root file system, the kernel's
// up-time, uname for the version.
#include <gtest/gtest.h>

#include <array>
#include <regex>

#include "cli/cli_support.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::capture;
using fw::test::runCli;

long long jsonNumber(const std::string& json, const std::string& key, std::size_t from = 0) {
    const auto at = json.find("\"" + key + "\": ", from);
    return at == std::string::npos ? -1 : std::stoll(json.substr(at + key.size() + 4));
}

TEST(SysinfoTools, RootFileSystemAgreesWithDfAndTheUptimeIsHoursMinutesSeconds) {
    FW_REQUIRE_TOOLS("df", "uname");
    fw::test::TempHome home;
    // Other tests may write while this one runs: df is asked before and after, and the report's
    // figures must lie between (df -m rounds up, the report truncates: one megabyte more room).
    auto dfNow = [] {
        std::array<long long, 3> v{};
        const std::string df = capture("df -m --output=size,avail,used / | tail -n 1");
        EXPECT_EQ(std::sscanf(df.c_str(), "%lld %lld %lld", &v[0], &v[1], &v[2]), 3) << df;
        return v;
    };
    const auto before = dfNow();
    auto r = runCli({"sysinfo", "--json"});
    const auto after = dfNow();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto root = r.out.find("{\"root\": \"/\"");
    ASSERT_NE(root, std::string::npos) << r.out;
    const char* keys[3] = {"total_mb", "free_mb", "used_mb"};
    for (int i = 0; i < 3; ++i) {
        const long long ours = jsonNumber(r.out, keys[i], root);
        EXPECT_GE(ours, std::min(before[i], after[i]) - 1) << keys[i];
        EXPECT_LE(ours, std::max(before[i], after[i]) + 1) << keys[i];
    }

    const std::string release = capture("uname -r");
    EXPECT_NE(r.out.find("\"os_version\": \"" + release.substr(0, release.find_first_not_of("0123456789.")) ), std::string::npos)
        << release;

    r = runCli({"sysinfo"});
    ASSERT_EQ(r.exitCode, 0);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex(R"(Up-time: (\d{2,}):(\d{2}):(\d{2})\n)"))) << r.out;
    const long long reported = std::stoll(m[1]) * 3600 + std::stoll(m[2]) * 60 + std::stoll(m[3]);
    const double kernel = std::stod(capture("cut -d' ' -f1 /proc/uptime"));
    EXPECT_LE(std::llabs(reported - static_cast<long long>(kernel)), 2);
    EXPECT_NE(r.out.find("Fixed drive /\n"), std::string::npos);
}

}  // namespace
