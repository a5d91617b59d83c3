// An OpenDML AVI above 1 GiB, as ffmpeg writes it (RIFF AVIX parts, indx super indexes, ix##
// standard indexes), made at test time and deleted after. It takes about ten seconds and 1.7 GB
// of disk, so it carries the label "long": `ctest -LE long` leaves it out, scripts/test runs it.
#include <gtest/gtest.h>

#include <sys/statvfs.h>

#include <filesystem>

#include "core/avi/avi_health.h"
#include "core/avi/inspector.h"
#include "core/common/lang.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::probe;
using fw::test::probePackets;
using fw::test::quote;
using fw::test::sh;

TEST(OpenDml, WholeFileFiguresAgreeWithFfprobe) {
    FW_REQUIRE_TOOLS("ffmpeg", "ffprobe");
    fw::test::TempHome home;
    struct statvfs fs {};
    if (::statvfs(home.dir().c_str(), &fs) == 0 && double(fs.f_bavail) * fs.f_frsize < 4.0e9)
        GTEST_SKIP() << "less than 4 GB free under " << home.dir();
    // Ten seconds of MPEG-4 at 24 Mbit/s with MP3, copied 56 times over: about 1.7 GB.
    const std::string clip = home.path("clip.avi"), big = home.path("big.avi");
    ASSERT_EQ(sh("ffmpeg -v error -y -f lavfi -i testsrc2=size=640x480:rate=25 -f lavfi -i sine=sample_rate=48000 -t 10 "
                 "-c:v mpeg4 -b:v 24M -minrate 24M -maxrate 24M -bufsize 2M -g 25 -c:a libmp3lame -b:a 128k " + quote(clip)), 0);
    ASSERT_EQ(sh("ffmpeg -v error -y -stream_loop 55 -i " + quote(clip) + " -c copy " + quote(big)), 0);
    std::filesystem::remove(clip);
    ASSERT_GT(std::filesystem::file_size(big), 1536ull << 20);

    auto r = fw::avi::inspect(big);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    EXPECT_TRUE(r.info.openDml);
    EXPECT_GE(r.info.riffParts, 2);
    EXPECT_EQ(r.info.indexKind, fw::avi::IndexKind::OpenDml);
    EXPECT_EQ(r.fields[20].text, fw::LangText("AviDetector", 4));
    EXPECT_EQ(r.fields[57].text.rfind("Avi2 - OpenDML (", 0), 0u);
    // Frames and running time over every RIFF part, not the first one's.
    EXPECT_EQ(r.fields[10].text, probe(big, "v:0", "stream=nb_frames"));
    EXPECT_NEAR(r.info.duration, fw::test::num(probe(big, "v:0", "stream=duration")), 1e-6);
    const auto video = probePackets(big, "v:0");
    const auto audio = probePackets(big, "a:0");
    EXPECT_EQ(r.info.streamTotals[0].entries - r.info.streamTotals[0].emptyEntries, video.packets);
    EXPECT_EQ(r.info.keyFrames, video.keyFrames);
    EXPECT_EQ(r.info.videoBytes, video.bytes);
    ASSERT_EQ(r.audio.size(), 1u);
    EXPECT_EQ(r.audio[0].sizeBytes, audio.bytes);
    EXPECT_EQ(r.audio[0].sizeSource, "index");
    EXPECT_EQ(r.info.overheadBytes, r.info.fileLength - video.bytes - audio.bytes);
    EXPECT_LT(double(r.info.overheadBytes) / r.info.fileLength, 0.02);  // headers and indexes: well under 2 %
    // 24 Mbit/s of video, within the rate control's slack.
    EXPECT_NEAR(r.info.videoBitrate, 24000, 2400);

    // The health check walks every RIFF part's movi list and the OpenDML indexes: sound.
    auto h = fw::avi::checkAvi(big);
    EXPECT_TRUE(h.ok()) << (h.problems.empty() ? "" : h.problems[0].text);
    EXPECT_EQ(std::to_string(h.framesInFile), probe(big, "v:0", "stream=nb_frames"));
    EXPECT_EQ(h.keyFrames, video.keyFrames);

    // Cut 100 MB off the end: an incomplete file, whose index is not read.
    const auto length = std::filesystem::file_size(big);
    std::filesystem::resize_file(big, length - (100u << 20));
    r = fw::avi::inspect(big);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.info.truncated);
    EXPECT_EQ(r.fields[20].text, fw::LangText("AviDetector", 3) + "100 MB");
    EXPECT_EQ(r.fields[62].text, "N/D");
    h = fw::avi::checkAvi(big);
    ASSERT_FALSE(h.problems.empty());
    EXPECT_EQ(h.problems[0].code, "truncated");
    EXPECT_LT(h.framesInFile, std::stoll(probe(big, "v:0", "stream=nb_frames")));
}

}  // namespace
