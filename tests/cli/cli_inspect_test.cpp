#include <gtest/gtest.h>

#include "cli/cli_support.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "support/temp_home.h"

namespace {

using fw::test::runCli;

bool has(const std::string& hay, const std::string& needle) { return hay.find(needle) != std::string::npos; }

TEST(CliInspect, JsonForSeveralFilesWithAnErrorInItsOwnEntry) {
    fw::test::TempHome home;
    fw::fixtures::AviSpec spec;
    spec.extra.push_back({});
    std::string good = home.path("good.avi");
    fw::fixtures::writeBytes(good, fw::fixtures::buildAvi(spec));
    std::string bad = home.path("bad.avi");
    fw::test::writeFile(bad, "not an avi at all");
    auto r = runCli({"inspect", good, bad, "--json"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.rfind("[{\"file\": ", 0), 0u) << r.out;
    EXPECT_TRUE(has(r.out, "\"format\": \"AVI\""));
    EXPECT_TRUE(has(r.out, "\"codec\": \"XviD MPEG-4 Advanced Simple Profile\""));
    EXPECT_TRUE(has(r.out, "\"preload_ms\": 1000"));
    EXPECT_TRUE(has(r.out, "\"key_frames\": 3"));
    EXPECT_TRUE(has(r.out, "\"error\": \"This is not an AVI file.\""));
    EXPECT_TRUE(has(r.err, "bad.avi: This is not an AVI file."));
}

TEST(CliInspect, ReportAppendsAndHeaderExport) {
    fw::test::TempHome home;
    fw::fixtures::AviSpec spec;
    std::string film = home.path("film.avi");
    auto bytes = fw::fixtures::buildAvi(spec);
    fw::fixtures::writeBytes(film, bytes);
    std::string report = home.path("r.txt");
    for (int i = 0; i < 2; ++i) {
        auto r = runCli({"inspect", film, "--report", report});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(has(r.out, "File: " + film));
    }
    const std::string text = fw::test::readFile(report);
    EXPECT_NE(text.find("File: " + film, 10), std::string::npos);

    std::string hdr = home.path("hdr.avi");
    auto r = runCli({"inspect", film, "--save-header", hdr, "--kb", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(fw::test::readFile(hdr), std::string(bytes.begin(), bytes.begin() + 1024));
    EXPECT_NE(runCli({"inspect", film, "--save-header", hdr, "--kb", ""}).exitCode, 0);
    EXPECT_NE(runCli({"inspect"}).exitCode, 0);
}

}  // namespace
