// Real files made at test time by ffmpeg and ogmmerge, read by the inspector and cross-checked
// against ffprobe and ogminfo.
#include <gtest/gtest.h>

#include "core/avi/inspector.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::probe;
using fw::test::quote;
using fw::test::sh;

class RealFiles : public ::testing::Test {
protected:
    fw::test::TempHome home;
    std::string make(const std::string& name, const std::string& args) {
        std::string out = home.path(name);
        const std::string cmd = "ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i "
                                "sine=frequency=440:sample_rate=44100 -f lavfi -i sine=frequency=220:sample_rate=48000 "
                                "-t 2 " + args + " " + quote(out);
        EXPECT_EQ(sh(cmd), 0);
        return out;
    }
};

TEST_F(RealFiles, VideoCodesAndAudioFormatsAgreeWithFfprobe) {
    struct Case {
        const char* name;
        const char* args;
        const char* fourcc;
        int tag;
        bool cbr;
    };
    const Case cases[] = {
        {"xvid_mp3.avi", "-map 0:v -map 1:a -c:v mpeg4 -vtag XVID -b:v 300k -c:a libmp3lame -b:a 128k", "XVID", 85, false},
        {"dx50_ac3.avi", "-map 0:v -map 1:a -c:v mpeg4 -vtag DX50 -c:a ac3 -b:a 192k", "DX50", 8192, false},
        {"div3_pcm.avi", "-map 0:v -map 1:a -c:v msmpeg4 -vtag DIV3 -c:a pcm_s16le", "DIV3", 1, true},
        {"xvid_vbr.avi", "-map 0:v -map 1:a -c:v mpeg4 -vtag XVID -c:a libmp3lame -q:a 4", "XVID", 85, false},
    };
    for (const auto& c : cases) {
        std::string f = make(c.name, c.args);
        auto r = fw::avi::inspect(f);
        ASSERT_TRUE(r.ok) << c.name;
        EXPECT_TRUE(r.warnings.empty()) << c.name << ": " << (r.warnings.empty() ? "" : r.warnings[0]);
        EXPECT_EQ(r.info.videoFormat->biCompression, c.fourcc);
        EXPECT_EQ(std::to_string(r.info.avih.dwWidth), probe(f, "v:0", "stream=width"));
        EXPECT_EQ(std::to_string(r.info.avih.dwHeight), probe(f, "v:0", "stream=height"));
        EXPECT_EQ(r.fields[5].text, "25 fps");
        EXPECT_EQ(probe(f, "v:0", "stream=r_frame_rate"), "25/1");
        EXPECT_EQ(std::to_string(r.info.avih.dwTotalFrames), probe(f, "v:0", "stream=nb_frames")) << c.name;
        EXPECT_EQ(r.fields[11].text, "2");
        ASSERT_EQ(r.audio.size(), 1u);
        EXPECT_EQ(r.audio[0].formatTag, c.tag) << c.name;
        EXPECT_EQ(r.audio[0].cbr, c.cbr) << c.name;
        EXPECT_EQ(std::to_string(r.audio[0].channels), probe(f, "a:0", "stream=channels"));
        EXPECT_EQ(std::to_string(r.audio[0].sampleRate), probe(f, "a:0", "stream=sample_rate"));
        EXPECT_TRUE(r.info.indexRead);
        EXPECT_GT(r.info.keyFrames, 0);
        EXPECT_EQ(r.fields[13].text, "Installed");
    }
}

TEST_F(RealFiles, TwoAudioTracks) {
    std::string f = make("two.avi", "-map 0:v -map 1:a -map 2:a -c:v mpeg4 -vtag XVID -c:a:0 libmp3lame -c:a:1 ac3");
    auto r = fw::avi::inspect(f);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fields[11].text, "3");
    ASSERT_EQ(r.audio.size(), 2u);
    EXPECT_EQ(r.audio[0].formatTag, 85);
    EXPECT_EQ(r.audio[1].formatTag, 8192);
    EXPECT_EQ(std::to_string(r.audio[1].sampleRate), probe(f, "a:1", "stream=sample_rate"));
    EXPECT_EQ(r.fields[27].text.rfind("VBR - AC-3", 0), 0u);
}

TEST_F(RealFiles, OgmFromOgmmerge) {
    std::string video = make("v.avi", "-map 0:v -c:v mpeg4 -b:v 300k");
    std::string audio = home.path("a.mp3");
    ASSERT_EQ(sh("ffmpeg -v error -y -f lavfi -i sine=sample_rate=44100 -t 2 -c:a libmp3lame -b:a 128k " + quote(audio)), 0);
    std::string ogm = home.path("film.ogm");
    ASSERT_EQ(sh("ogmmerge -o " + quote(ogm) + " " + quote(video) + " " + quote(audio)), 0);
    auto r = fw::avi::inspect(ogm);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.isOgm);
    const std::string info = fw::test::capture("ogminfo " + quote(ogm) + " 2>&1");
    EXPECT_NE(info.find("width height: " + std::to_string(r.info.avih.dwWidth) + "x" + std::to_string(r.info.avih.dwHeight)),
              std::string::npos) << info;
    EXPECT_NE(info.find("fps: 25.000"), std::string::npos);
    EXPECT_EQ(r.fields[5].text, "25 fps");
    EXPECT_EQ(r.fields[2].text, "FMP4");
    ASSERT_EQ(r.audio.size(), 1u);
    EXPECT_EQ(r.audio[0].formatTag, 85);  // written "55" in hexadecimal digits
    EXPECT_NE(info.find("samples per second: " + std::to_string(r.audio[0].sampleRate)), std::string::npos);
    EXPECT_NE(info.find("channels: " + std::to_string(r.audio[0].channels)), std::string::npos);
    EXPECT_NEAR(r.info.duration, 2.0, 0.1);
    EXPECT_EQ(r.fields[11].text, "2");
}

}  // namespace
