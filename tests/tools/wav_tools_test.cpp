// The WAV converter on files that ffmpeg makes at test time, checked sample by sample against
// ffmpeg's own decoding, and on a module the test writes, checked against openmpt123's render.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "cli/cli_support.h"
#include "fixtures/mod_builder.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

namespace fs = std::filesystem;
using fw::test::has;
using fw::test::jsonField;
using fw::test::quote;
using fw::test::runCli;
using fw::test::sh;

std::uint32_t le32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

struct Wav {
    int channels = 0, rate = 0, bits = 0;
    std::string data;
};

// The fmt fields and the data chunk of a RIFF WAVE file, whatever other chunks it holds.
Wav readWav(const std::string& path) {
    const std::string b = fw::test::readFile(path);
    Wav w;
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return w;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id = b.substr(at, 4);
        const std::size_t n = le32(b, at + 4);
        if (id == "fmt " && at + 24 <= b.size()) {
            w.channels = static_cast<unsigned char>(b[at + 10]) | static_cast<unsigned char>(b[at + 11]) << 8;
            w.rate = static_cast<int>(le32(b, at + 12));
            w.bits = static_cast<unsigned char>(b[at + 22]) | static_cast<unsigned char>(b[at + 23]) << 8;
        }
        if (id == "data") {
            w.data = b.substr(at + 8, n);
            break;
        }
        at += 8 + n + (n & 1);
    }
    return w;
}

// The largest difference between two runs of 16-bit samples of the same length.
int maxDifference(const std::string& a, const std::string& b) {
    int worst = 0;
    for (std::size_t i = 0; i + 1 < a.size() && i + 1 < b.size(); i += 2) {
        std::int16_t x, y;
        std::memcpy(&x, a.data() + i, 2);
        std::memcpy(&y, b.data() + i, 2);
        worst = std::max(worst, std::abs(x - y));
    }
    return worst;
}

// Every file in the folder, hidden temporary files included.
std::vector<std::string> listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class WavTools : public ::testing::Test {
protected:
    fw::test::TempHome home;
};

TEST_F(WavTools, StreamsDecodeAsFfmpegDecodesThem) {
    FW_REQUIRE_TOOLS("ffmpeg", "ffprobe");
    const struct {
        const char* name;
        const char* make;  // ffmpeg arguments between the input and the output name
        int channels, rate, bits;
        const char* codec;
    } cases[] = {
        {"stereo.mp3", "-ac 2 -ar 44100 -c:a libmp3lame -b:a 128k", 2, 44100, 16, "mp3"},
        {"mono.mp3", "-ac 1 -ar 22050 -c:a libmp3lame -b:a 64k", 1, 22050, 16, "mp3"},
        {"song.ogg", "-ac 2 -ar 44100 -c:a libvorbis -q:a 3", 2, 44100, 16, "vorbis"},
        {"surround.ac3", "-ac 6 -ar 48000 -c:a ac3 -b:a 384k", 6, 48000, 16, "ac3"},
        {"eight.wav", "-ac 1 -ar 11025 -c:a pcm_u8", 1, 11025, 8, "pcm_u8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string src = home.path(c.name);
        ASSERT_EQ(sh(std::string("ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=3 -f lavfi -i "
                                 "anoisesrc=d=3:a=0.1 -filter_complex amix=inputs=2 ") +
                     c.make + " " + quote(src)),
                  0);
        fs::create_directory(home.path("out"));
        auto r = runCli({"towav", src, "--out", home.path("out"), "--json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string wav = home.path("out") + "/" + fs::path(c.name).stem().string() + ".wav";
        EXPECT_TRUE(jsonField(r.out, "output", "\"" + wav + "\"")) << r.out;
        EXPECT_TRUE(jsonField(r.out, "format", "\"wav\""));
        EXPECT_TRUE(jsonField(r.out, "source_kind", "\"stream\""));
        EXPECT_TRUE(jsonField(r.out, "codec", std::string("\"") + c.codec + "\"")) << r.out;
        EXPECT_TRUE(jsonField(r.out, "channels", std::to_string(c.channels)));
        EXPECT_TRUE(jsonField(r.out, "sample_rate", std::to_string(c.rate)));
        EXPECT_TRUE(jsonField(r.out, "bits", std::to_string(c.bits)));

        const Wav ours = readWav(wav);
        EXPECT_EQ(ours.channels, c.channels);
        EXPECT_EQ(ours.rate, c.rate);
        EXPECT_EQ(ours.bits, c.bits);
        EXPECT_TRUE(jsonField(r.out, "data_bytes", std::to_string(ours.data.size())));
        EXPECT_TRUE(jsonField(r.out, "frames", std::to_string(ours.data.size() / static_cast<std::size_t>(c.channels * c.bits / 8))));
        // ffprobe reads our file as what we say it is.
        EXPECT_EQ(fw::test::probe(wav, "a:0", "stream=channels"), std::to_string(c.channels));
        EXPECT_EQ(fw::test::probe(wav, "a:0", "stream=sample_rate"), std::to_string(c.rate));

        const std::string ref = home.path("ref.raw");
        const char* refCodec = c.bits == 8 ? "-f u8 -acodec pcm_u8" : "-f s16le -acodec pcm_s16le";
        ASSERT_EQ(sh("ffmpeg -v error -y -i " + quote(src) + " " + refCodec + " " + quote(ref)), 0);
        const std::string expected = fw::test::readFile(ref);
        ASSERT_EQ(ours.data.size(), expected.size());
        if (c.bits == 8) {
            EXPECT_EQ(ours.data, expected);
        } else {
            EXPECT_LE(maxDifference(ours.data, expected), 1);
        }
        fs::remove_all(home.path("out"));
    }
}

TEST_F(WavTools, ModulesRenderAsOpenmpt123RendersThem) {
    FW_REQUIRE_TOOLS("openmpt123");
    const struct {
        const char* name;
        fw::fixtures::ModuleFormat format;
    } cases[] = {
        {"tune.mod", fw::fixtures::ModuleFormat::Mod},
        {"tune.s3m", fw::fixtures::ModuleFormat::S3m},
        {"tune.xm", fw::fixtures::ModuleFormat::Xm},
        {"tune.it", fw::fixtures::ModuleFormat::It},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string src = home.path(c.name);
        fw::test::writeFile(src, fw::fixtures::buildModule(c.format, {"fw test tune", 3, 8}));
        auto r = runCli({"towav", src, "--json", "--overwrite"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(jsonField(r.out, "source_kind", "\"module\""));
        EXPECT_TRUE(jsonField(r.out, "title", "\"fw test tune\""));
        EXPECT_TRUE(jsonField(r.out, "orders", "3"));
        EXPECT_TRUE(jsonField(r.out, "sample_rate", "44100"));
        EXPECT_TRUE(jsonField(r.out, "channels", "2"));
        const Wav ours = readWav(home.path("tune.wav"));
        ASSERT_GT(ours.data.size(), 44100u * 4 * 20);

        // openmpt123 with the same settings: 44100 Hz, stereo, 16 bits, no dither.
        ASSERT_EQ(sh("cd " + quote(home.dir().string()) +
                     " && openmpt123 --quiet --render --force --samplerate 44100 --channels 2 --no-float --dither 0 " +
                     c.name),
                  0);
        const Wav ref = readWav(home.path(std::string(c.name) + ".wav"));
        EXPECT_EQ(ref.rate, 44100);
        ASSERT_EQ(ours.data.size(), ref.data.size());
        EXPECT_TRUE(ours.data == ref.data) << "largest difference " << maxDifference(ours.data, ref.data);
    }
}

TEST_F(WavTools, BadInputGetsAMessageAndLeavesNothing) {
    FW_REQUIRE_TOOLS("ffmpeg");
    const std::string full = home.path("full.mp3");
    const std::string cbr = home.path("cbr.mp3");
    ASSERT_EQ(sh("ffmpeg -v error -y -f lavfi -i sine=duration=5 -ac 2 -c:a libmp3lame -b:a 128k " + quote(full)), 0);
    ASSERT_EQ(sh("ffmpeg -v error -y -f lavfi -i sine=duration=5 -ac 2 -c:a libmp3lame -b:a 128k -write_xing 0 " + quote(cbr)), 0);
    const std::string mp3 = fw::test::readFile(full);
    const std::string plain = fw::test::readFile(cbr);
    const fs::path dir = home.path("bad");
    fs::create_directory(dir);
    const struct {
        const char* name;
        std::string bytes;
        const char* why;  // a piece of the second line
    } cases[] = {
        {"half.mp3", mp3.substr(0, mp3.size() / 2), "cut short"},      // its Xing header counts more frames
        {"midframe.mp3", plain.substr(0, 40000), "cut short"},          // no Xing header; the last frame is partial
        {"noise.mp3", std::string(20000, '\x5A'), "no audio"},
        {"empty.mp3", "", "empty"},
        {"three.mod", fw::fixtures::buildMod().substr(0, 3), "no audio"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string src = (dir / c.name).string();
        fw::test::writeFile(src, c.bytes);
        const auto before = listing(dir);
        auto r = runCli({"towav", src, "--overwrite"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(has(r.err, "Error: Can't play the file")) << r.err;
        EXPECT_TRUE(has(r.err, c.why)) << r.err;
        EXPECT_EQ(listing(dir), before);
    }
}

TEST_F(WavTools, AnExistingOutputIsRefusedUnlessTheUserSaysWhat) {
    FW_REQUIRE_TOOLS("ffmpeg");
    const std::string src = home.path("a.mp3");
    ASSERT_EQ(sh("ffmpeg -v error -y -f lavfi -i sine=duration=1 -c:a libmp3lame " + quote(src)), 0);
    fw::test::writeFile(home.path("a.wav"), "keep me");
    auto r = runCli({"towav", src});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r.err, "--overwrite")) << r.err;
    EXPECT_EQ(fw::test::readFile(home.path("a.wav")), "keep me");
    r = runCli({"towav", src, "--prefix", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(jsonField(r.out, "output", "\"" + home.path("001_a.wav") + "\"")) << r.out;
    r = runCli({"towav", src, "--prefix"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(fs::exists(home.path("002_a.wav")));  // No never writes over an earlier 001_
    EXPECT_EQ(fw::test::readFile(home.path("a.wav")), "keep me");
    r = runCli({"towav", src, "--overwrite"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(readWav(home.path("a.wav")).rate, 44100);

    // A WAV source whose output would be itself: Yes is refused, No writes beside it.
    const std::string self = home.path("self.wav");
    ASSERT_EQ(sh("ffmpeg -v error -y -f lavfi -i sine=duration=1 -c:a pcm_s16le " + quote(self)), 0);
    const std::string original = fw::test::readFile(self);
    r = runCli({"towav", self, "--overwrite"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(fw::test::readFile(self), original);
    r = runCli({"towav", self, "--prefix"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(readWav(home.path("001_self.wav")).data, readWav(self).data);
}

TEST_F(WavTools, DamageIsSkippedAsFfmpegSkipsItAndSaidWhenItIsInTheAudio) {
    FW_REQUIRE_TOOLS("ffmpeg");
    const std::string base = home.path("base.mp3");
    ASSERT_EQ(sh("ffmpeg -v error -y -f lavfi -i sine=duration=6 -ac 2 -c:a libmp3lame -b:a 128k -id3v2_version 3 "
                 "-metadata title=t " + quote(base)), 0);
    const std::string mp3 = fw::test::readFile(base);
    std::string corrupt = mp3;
    for (std::size_t i = 0; i < 200; ++i) corrupt[mp3.size() / 2 + i] = static_cast<char>(i * 37);
    const struct {
        const char* name;
        std::string bytes;
        bool warned;
    } cases[] = {
        {"joined.mp3", mp3 + mp3, true},                             // cat of two files: a tag mid-stream
        {"corrupt.mp3", corrupt, true},                              // 200 bad bytes in the middle
        {"zeros.mp3", mp3 + std::string(2048, '\0'), false},         // padding after the last frame
        {"lyrics.mp3", mp3 + "LYRICSBEGININD0000200LYRICS200", false},  // a tag after the last frame
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string src = home.path(c.name);
        fw::test::writeFile(src, c.bytes);
        auto r = runCli({"towav", src, "--json", "--overwrite"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(has(r.out, "\"warnings\": []"), !c.warned) << r.out;
        const std::string wav = home.path(fs::path(c.name).stem().string() + ".wav");
        ASSERT_EQ(sh("ffmpeg -v quiet -y -i " + quote(src) + " -f s16le " + quote(home.path("ref.raw"))), 0);
        EXPECT_EQ(readWav(wav).data.size(), fw::test::readFile(home.path("ref.raw")).size());
    }
}

TEST_F(WavTools, AFilmCutShortIsWrittenWithAWarning) {
    FW_REQUIRE_TOOLS("ffmpeg");
    const std::string base = home.path("base.avi");
    ASSERT_EQ(sh("ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine=duration=6 -t 6 "
                 "-c:v mpeg4 -c:a libmp3lame -b:a 128k " + quote(base)), 0);
    const std::string avi = fw::test::readFile(base);
    // Written into a pipe, ffmpeg cannot come back to its headers: their lengths are placeholders.
    ASSERT_EQ(sh("ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine=duration=6 -t 6 "
                 "-c:v mpeg4 -c:a libmp3lame -b:a 128k -f avi pipe:1 | tee " + quote(home.path("piped"))), 0);
    const struct {
        const char* name;
        std::string bytes;
        bool warned;
    } cases[] = {
        {"whole.avi", avi, false},
        {"half.avi", avi.substr(0, avi.size() / 2), true},  // its audio header still says 6 s
        {"piped.avi", fw::test::readFile(home.path("piped")), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string src = home.path(c.name);
        fw::test::writeFile(src, c.bytes);
        auto r = runCli({"towav", src, "--json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(has(r.out, "may be cut short"), c.warned) << r.out;
        EXPECT_EQ(has(r.out, "\"warnings\": []"), !c.warned) << r.out;
    }
}

TEST_F(WavTools, ATerminatedConversionLeavesNoTemporaryFileAndNoReplacedOne) {
    FW_REQUIRE_TOOLS("ffmpeg");
    const std::string src = home.path("long.mp3");
    ASSERT_EQ(sh("ffmpeg -v error -y -f lavfi -i sine=duration=600 -ac 1 -ar 22050 -c:a libmp3lame -b:a 32k " + quote(src)), 0);
    // The signal may land before, during or after the work; whichever, nothing is left half done.
    for (const char* signal : {"TERM", "HUP", "INT"}) {
        fw::test::writeFile(home.path("long.wav"), "keep me");
        const auto before = listing(home.dir());
        const int status = std::system(("FRAMEWISE_HOME=" + quote(home.dir().string()) + " timeout --preserve-status -s " + signal +
                                        " 0.1 " + quote(FW_CLI_PATH) + " towav " + quote(src) + " --overwrite >/dev/null 2>&1")
                                           .c_str());
        EXPECT_EQ(listing(home.dir()), before) << signal;
        if (status != 0) {
            EXPECT_EQ(fw::test::readFile(home.path("long.wav")), "keep me") << signal;
        }
    }
}

}  // namespace
