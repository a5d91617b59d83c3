#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_support.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "fixtures/ogm_builder.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::has;
using fw::test::runCli;

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
    EXPECT_TRUE(fw::test::jsonField(r.out, "preload_ms", "1000"));
    EXPECT_TRUE(fw::test::jsonField(r.out, "key_frames", "3"));
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
    EXPECT_NE(runCli({"inspect"}).exitCode, 0);
}

TEST(CliInspect, OptionsAreCheckedBeforeAnythingIsPrintedOrWritten) {
    fw::test::TempHome home;
    std::string film = home.path("film.avi");
    fw::fixtures::writeBytes(film, fw::fixtures::buildAvi({}));
    std::string ogm = home.path("film.ogm");
    fw::fixtures::writeBytes(ogm, fw::fixtures::OgmBuilder().video({}).comments({}).bytes());
    const std::string hdr = home.path("hdr.avi");
    struct Case {
        std::vector<std::string> args;
        const char* error;  // what standard error must name
    };
    const Case cases[] = {
        {{"inspect", film, "--save-header", hdr, "--kb", ""}, "size in KB"},
        {{"inspect", film, "--save-header", hdr, "--kb", "-2"}, "size in KB"},
        {{"inspect", film, "--save-header", hdr, "--kb", "abc"}, "size in KB"},
        {{"inspect", ogm, "--save-header", hdr}, "OGM"},
    };
    for (const auto& c : cases) {
        auto r = runCli(c.args);
        EXPECT_NE(r.exitCode, 0) << c.args.back();
        EXPECT_EQ(r.out, "") << c.args.back();
        EXPECT_TRUE(has(r.err, c.error)) << r.err;
        EXPECT_FALSE(std::filesystem::exists(hdr)) << c.args.back();
    }
}

TEST(CliInspect, JsonOfOgmFilesAndOfStreamsBeyondTheFieldsAndRawCodes) {
    fw::test::TempHome home;
    std::string ogm = home.path("film.ogm");
    fw::fixtures::OgmVideo v;
    v.bits = 12;
    fw::fixtures::writeBytes(ogm, fw::fixtures::OgmBuilder().video(v).comments({}).bytes());
    auto r = runCli({"inspect", ogm, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "\"bit_depth\": 12,")) << r.out;
    EXPECT_TRUE(has(r.out, "\"8\": \"12 bits\""));

    fw::fixtures::AviSpec seven;
    for (int i = 0; i < 7; ++i) seven.extra.push_back({});
    seven.compression = std::string(4, '\0');
    std::string film = home.path("seven.avi");
    fw::fixtures::writeBytes(film, fw::fixtures::buildAvi(seven));
    r = runCli({"inspect", film, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "{\"stream\": 6, \"type\": \"audio\", \"analysed\": true, ")) << r.out;
    EXPECT_TRUE(has(r.out, "{\"stream\": 7, \"type\": \"audio\", \"analysed\": false}"));
    EXPECT_TRUE(has(r.out, "\"size_source\": \"index\""));
    EXPECT_TRUE(has(r.out, "\"compression\": \"\\\\x00\\\\x00\\\\x00\\\\x00\""));  // \x00 as text, escaped for JSON
    // The text report holds no NUL byte, however the code is written in the file.
    r = runCli({"inspect", film});
    EXPECT_EQ(r.out.find('\0'), std::string::npos);
    EXPECT_TRUE(has(r.out, "\\x00\\x00\\x00\\x00"));
}

}  // namespace
