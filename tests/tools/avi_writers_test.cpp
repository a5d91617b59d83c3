// AVI and Ogg files as today's writers make them (ffmpeg, mencoder, ogmmerge, libvorbis), read by
// the inspector and the synchronizer and cross-checked against ffprobe and ogminfo.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <regex>
#include <sstream>

#include "core/avi/inspector.h"
#include "core/avi/patchers.h"
#include "core/common/lang.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::probe;
using fw::test::probePackets;
using fw::test::quote;
using fw::test::sh;

constexpr const char* kVideo = "-f lavfi -t 4 -i testsrc2=size=320x240:rate=25";
constexpr const char* kAudio = "-f lavfi -t 4 -i sine=frequency=440:sample_rate=44100";
constexpr const char* kAudio2 = "-f lavfi -t 4 -i sine=frequency=220:sample_rate=48000";

class Writers : public ::testing::Test {
protected:
    fw::test::TempHome home;
    // An AVI made by ffmpeg from the test sources, with `args` choosing maps and codecs.
    std::string ffmpeg(const std::string& name, const std::string& inputs, const std::string& args) {
        std::string out = home.path(name);
        EXPECT_EQ(sh("ffmpeg -v error -y " + inputs + " " + args + " " + quote(out)), 0) << name;
        return out;
    }
    // mencoder re-encodes the audio of an ffmpeg-made PCM file, copying the video.
    std::string mencoder(const std::string& name, const std::string& audioArgs, const std::string& audioInput = kAudio) {
        std::string src = ffmpeg("src_" + name, std::string(kVideo) + " " + audioInput, "-c:v mpeg4 -g 12 -c:a pcm_s16le");
        std::string out = home.path(name);
        EXPECT_EQ(sh("mencoder " + quote(src) + " -o " + quote(out) + " -ovc copy " + audioArgs), 0) << name;
        return out;
    }
};

// The line of a tool's output that holds needle.
std::string lineWith(const std::string& text, const std::string& needle) {
    const auto at = text.find(needle);
    if (at == std::string::npos) return {};
    const auto begin = text.rfind('\n', at);
    const auto end = text.find('\n', at);
    return text.substr(begin == std::string::npos ? 0 : begin + 1, end == std::string::npos ? std::string::npos : end - (begin == std::string::npos ? 0 : begin + 1));
}

// The same file with the index flag cleared: what the headers alone give.
std::string withoutIndex(fw::test::TempHome& home, const std::string& file) {
    std::string bytes = fw::test::readFile(file);
    bytes[44] = static_cast<char>(bytes[44] & ~0x10);  // avih dwFlags: AVIF_HASINDEX
    std::string out = home.path("noindex.avi");
    fw::test::writeFile(out, bytes);
    return out;
}

TEST_F(Writers, AviFiguresAgreeWithFfprobe) {
    FW_REQUIRE_TOOLS("ffmpeg", "ffprobe", "mencoder");
    struct Case {
        const char* name;
        std::string file;
        std::vector<int> tags;  // audio format tags, in stream order
        bool headerSizeExact;   // the headers alone give each audio size within 1 %
    };
    const std::string v = std::string(kVideo) + " " + kAudio;
    const std::string mpeg4 = "-c:v mpeg4 -vtag XVID -g 12 ";
    std::vector<Case> cases = {
        {"ffmpeg MPEG-4 + MP3 CBR", ffmpeg("mp3cbr.avi", v, mpeg4 + "-c:a libmp3lame -b:a 128k"), {85}, true},
        {"ffmpeg MPEG-4 + MP3 VBR", ffmpeg("mp3vbr.avi", v, mpeg4 + "-c:a libmp3lame -q:a 4"), {85}, false},
        {"ffmpeg DX50 + AC-3", ffmpeg("ac3.avi", v, "-c:v mpeg4 -vtag DX50 -g 12 -c:a ac3 -ac 2 -b:a 192k"), {8192}, true},
        {"ffmpeg PCM 8-bit mono", ffmpeg("pcm8.avi", v, mpeg4 + "-c:a pcm_u8"), {1}, true},
        {"ffmpeg PCM 16-bit mono", ffmpeg("pcm16.avi", v, mpeg4 + "-c:a pcm_s16le"), {1}, true},
        {"ffmpeg PCM 16-bit stereo", ffmpeg("pcm16s.avi", v, mpeg4 + "-c:a pcm_s16le -ac 2"), {1}, true},
        {"ffmpeg two tracks", ffmpeg("two.avi", v + " " + kAudio2, "-map 0:v -map 1:a -map 2:a " + mpeg4 + "-c:a:0 libmp3lame -b:a:0 128k -c:a:1 ac3"),
         {85, 8192}, true},
        {"ffmpeg raw video", ffmpeg("raw.avi", "-f lavfi -t 1 -i testsrc2=size=64x48:rate=25", "-c:v rawvideo -pix_fmt bgr24"), {}, true},
        {"ffmpeg without padding or tags", ffmpeg("bare.avi", v, mpeg4 + "-c:a pcm_s16le -fflags +bitexact -metadata_header_padding 0"), {1}, true},
        {"mencoder MP3 CBR (byte-counted)", mencoder("menc_mp3.avi", "-oac mp3lame -lameopts cbr:br=128"), {85}, true},
        {"mencoder PCM", mencoder("menc_pcm.avi", "-oac pcm"), {1}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = fw::avi::inspect(c.file);
        ASSERT_TRUE(r.ok);
        EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
        EXPECT_EQ(std::to_string(r.info.avih.dwWidth), probe(c.file, "v:0", "stream=width"));
        EXPECT_EQ(r.fields[10].text, probe(c.file, "v:0", "stream=nb_frames"));
        EXPECT_NEAR(r.info.duration, fw::test::num(probe(c.file, "v:0", "stream=duration")), 1e-6);
        ASSERT_TRUE(r.info.indexRead);
        EXPECT_EQ(r.info.indexKind, fw::avi::IndexKind::Idx1);
        const auto video = probePackets(c.file, "v:0");
        EXPECT_EQ(r.info.streamTotals[0].entries - r.info.streamTotals[0].emptyEntries, video.packets);
        EXPECT_EQ(r.info.keyFrames, video.keyFrames);
        EXPECT_EQ(r.info.videoBytes, video.bytes);
        std::int64_t audioBytes = 0;
        ASSERT_EQ(r.audio.size(), c.tags.size());
        for (std::size_t k = 0; k < c.tags.size(); ++k) {
            const std::string stream = "a:" + std::to_string(k);
            const auto packets = probePackets(c.file, stream);
            const auto& a = r.audio[k];
            EXPECT_EQ(a.formatTag, c.tags[k]);
            EXPECT_EQ(a.sizeSource, "index");
            EXPECT_EQ(a.sizeBytes, packets.bytes) << stream;
            // Constant rate, as mediainfo tells it, whatever the sample size says.
            std::istringstream modes(fw::test::capture("mediainfo --Inform='Audio;%BitRate_Mode%\\n' " + quote(c.file)));
            std::string mode;
            for (std::size_t line = 0; line <= k; ++line) std::getline(modes, mode);
            EXPECT_EQ(a.cbr, mode == "CBR") << stream << ": mediainfo says " << mode;
            // The bitrate is the header's average, or the index's where the header has none.
            EXPECT_NEAR(a.kbps, double(packets.bytes) * 8 / 1000 / r.info.duration, 0.05 * a.kbps + 1) << stream;
            EXPECT_EQ(std::to_string(a.channels), probe(c.file, stream, "stream=channels"));
            EXPECT_EQ(std::to_string(a.sampleRate), probe(c.file, stream, "stream=sample_rate"));
            audioBytes += packets.bytes;
        }
        // The overhead is every byte that is neither a video nor an audio packet.
        EXPECT_EQ(r.info.overheadBytes, r.info.fileLength - video.bytes - audioBytes);
        EXPECT_EQ(r.fields[20].text, fw::LangText("AviDetector", 4));
        EXPECT_EQ(r.fields[57].text, "Old Avi 1.0 (Vfw 1.1e) format");
        if (c.tags.empty()) continue;
        // The preload check reads the first movi chunks (a VBR stream with no average rate has none to show).
        if (r.info.streamFormats[0]->nAvgBytesPerSec > 0) {
            EXPECT_NE(r.fields[26].text, "");
        }
        // Without the index, the headers give each size: within 1 % for constant rates.
        auto bare = fw::avi::inspect(withoutIndex(home, c.file));
        ASSERT_EQ(bare.audio.size(), c.tags.size());
        for (std::size_t k = 0; k < c.tags.size() && c.headerSizeExact; ++k) {
            EXPECT_EQ(bare.audio[k].sizeSource, "header");
            EXPECT_NEAR(double(bare.audio[k].sizeBytes), double(r.audio[k].sizeBytes), 0.01 * double(r.audio[k].sizeBytes)) << k;
        }
    }
}

TEST_F(Writers, RawVideoIsUncompressedAndPrintable) {
    FW_REQUIRE_TOOLS("ffmpeg", "ffprobe");
    auto f = ffmpeg("raw.avi", "-f lavfi -t 1 -i testsrc2=size=64x48:rate=25", "-c:v rawvideo -pix_fmt bgr24");
    auto r = fw::avi::inspect(f);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.info.videoFormat->biHeight, -48);  // top-down, as ffmpeg writes raw frames
    EXPECT_EQ(r.fields[1].text, fw::LangText("AviDetector", 30));
    EXPECT_EQ(r.fields[2].text, "\\x00\\x00\\x00\\x00 / \\x00\\x00\\x00\\x00");
    EXPECT_EQ(r.fields[13].text, fw::LangText("AviDetector", 41));
    // Raw frames: 24 bits a pixel. The header bitrate divides by 1024, the bits per pixel by 1000.
    const double bpp = fw::test::num(r.fields[61].text.substr(r.fields[61].text.rfind(' ') + 1));
    EXPECT_NEAR(bpp, 24 * 1000.0 / 1024, 0.1);
    fw::avi::FourccSession s;
    ASSERT_TRUE(fw::avi::openFourcc(f, s).ok);
    EXPECT_EQ(s.currentLine, "\\x00\\x00\\x00\\x00");
    EXPECT_EQ(s.codecLine, fw::LangText("AviDetector", 30));
}

TEST_F(Writers, SynchronizerProposalsOnEachWritersFiles) {
    FW_REQUIRE_TOOLS("ffmpeg", "ffprobe", "mencoder");
    // The audio stops 0.1 s before the video. A writer's constant-rate file gets a rate that makes
    // the video end with its audio; VBR audio is refused, and nothing is written either way. ffmpeg
    // writes CBR MP3 and AC-3 frame-counted with a sample size of 0, as if they were VBR.
    const std::string shortAudio = "-f lavfi -t 3.9 -i sine=sample_rate=44100";
    const std::string inputs = std::string(kVideo) + " " + shortAudio;
    struct Case {
        const char* name;
        std::string file;
        int samplesPerFrame;  // 0: PCM, whose running time is its bytes; -1: refused as VBR
    };
    std::vector<Case> cases = {
        {"ffmpeg PCM 8-bit mono", ffmpeg("s8.avi", inputs, "-c:v mpeg4 -c:a pcm_u8"), 0},
        {"ffmpeg PCM 16-bit mono", ffmpeg("s16.avi", inputs, "-c:v mpeg4 -c:a pcm_s16le"), 0},
        {"ffmpeg PCM 16-bit stereo", ffmpeg("s16s.avi", inputs, "-c:v mpeg4 -c:a pcm_s16le -ac 2"), 0},
        {"ffmpeg AC-3", ffmpeg("sac3.avi", inputs, "-c:v mpeg4 -c:a ac3"), 1536},
        {"ffmpeg MP3 CBR", ffmpeg("smp3.avi", inputs, "-c:v mpeg4 -c:a libmp3lame -b:a 128k"), 1152},
        {"ffmpeg MP3 VBR", ffmpeg("svbr.avi", inputs, "-c:v mpeg4 -c:a libmp3lame -q:a 4"), -1},
        {"mencoder MP3 CBR", mencoder("smenc_mp3.avi", "-oac mp3lame -lameopts cbr:br=128", shortAudio), 1152},
        {"mencoder PCM", mencoder("smenc_pcm.avi", "-oac pcm", shortAudio), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string sum = fw::test::sha256(c.file);
        fw::avi::SyncSession s;
        auto o = fw::avi::openSync(c.file, s);
        if (c.samplesPerFrame < 0) {
            EXPECT_FALSE(o.ok);
            ASSERT_FALSE(o.messages.empty());
            EXPECT_EQ(o.messages[0].text, (fw::LangKey{"SynchronizerMsgBox", 1}));
            EXPECT_TRUE(s.headerRead);
            EXPECT_EQ(fw::test::sha256(c.file), sum);
            continue;
        }
        ASSERT_TRUE(o.ok) << (o.messages.empty() ? "" : o.messages[0].resolve());
        ASSERT_FALSE(s.inSync);
        // The true running time of the audio: its bytes at the PCM rate, or its MP3 or AC-3 frames.
        const std::string rate = probe(c.file, "a:0", "stream=sample_rate");
        double seconds = 0;
        if (c.samplesPerFrame == 0) {
            const double blockAlign = fw::test::num(probe(c.file, "a:0", "stream=channels")) *
                                      fw::test::num(probe(c.file, "a:0", "stream=bits_per_sample")) / 8;
            seconds = double(probePackets(c.file, "a:0").bytes) / blockAlign / fw::test::num(rate);
        } else {
            const std::string frames = fw::test::capture("ffprobe -v error -count_frames -select_streams a:0 -show_entries "
                                                         "stream=nb_read_frames -of default=nw=1:nk=1 " + quote(c.file));
            seconds = fw::test::num(frames) * c.samplesPerFrame / fw::test::num(rate);
        }
        const double trueFps = double(s.frames) / seconds;
        EXPECT_NEAR(s.newFps(), trueFps, trueFps * 1e-4) << s.audioSeconds << " s against " << seconds << " s";
        EXPECT_EQ(fw::test::sha256(c.file), sum);  // opening writes nothing
        ::chmod(c.file.c_str(), 0644);
        auto saved = fw::avi::saveSync(s);
        ASSERT_TRUE(saved.ok);
        EXPECT_TRUE(saved.modified);
        const std::string fraction = probe(c.file, "v:0", "stream=avg_frame_rate");
        const auto slash = fraction.find('/');
        ASSERT_NE(slash, std::string::npos) << fraction;
        EXPECT_NEAR(fw::test::num(fraction.substr(0, slash)) / fw::test::num(fraction.substr(slash + 1)), s.newFps(), 1e-9);
    }
}

// The number after a label in a line of ogminfo, or -1.
double after(const std::string& text, const std::string& pattern) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(pattern))) return -1;
    return fw::test::num(m[1].str());
}

TEST_F(Writers, OgmFromOgmmergeAgreesWithOgminfo) {
    FW_REQUIRE_TOOLS("ffmpeg", "ogmmerge", "ogminfo");
    const std::string video = ffmpeg("v.avi", "-f lavfi -t 3 -i testsrc2=size=320x240:rate=25", "-c:v mpeg4 -vtag XVID");
    const std::string vorbis = ffmpeg("a.ogg", "-f lavfi -t 3 -i sine=sample_rate=44100", "-c:a libvorbis");
    const std::string mp3 = ffmpeg("a.mp3", "-f lavfi -t 3 -i sine=sample_rate=44100", "-c:a libmp3lame -b:a 128k");
    const std::string ac3 = ffmpeg("a.ac3", "-f lavfi -t 3 -i sine=sample_rate=48000", "-c:a ac3 -ac 2");
    struct Case {
        const char* name;
        std::vector<std::string> audio;
        std::vector<int> tags;
    };
    const Case cases[] = {
        {"XviD + Vorbis", {vorbis}, {26447}},
        {"XviD + MP3", {mp3}, {85}},
        {"XviD + AC-3", {ac3}, {8192}},
        {"XviD + all three", {vorbis, mp3, ac3}, {26447, 85, 8192}},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string ogm = home.path("film" + std::to_string(n++) + ".ogm");
        std::string cmd = "ogmmerge -o " + quote(ogm) + " " + quote(video);
        for (const auto& a : c.audio) cmd += " " + quote(a);
        ASSERT_EQ(sh(cmd), 0);
        auto r = fw::avi::inspect(ogm);
        ASSERT_TRUE(r.ok);
        EXPECT_TRUE(r.isOgm);
        EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
        const std::string info = fw::test::capture("ogminfo " + quote(ogm) + " 2>&1");
        EXPECT_DOUBLE_EQ(after(info, R"(fps: ([0-9.]+))"), r.fps);
        EXPECT_EQ(after(info, R"(width height: (\d+)x)"), r.info.avih.dwWidth);
        EXPECT_EQ(after(info, R"(width height: \d+x(\d+))"), r.info.avih.dwHeight);
        EXPECT_EQ(r.fields[11].text, std::to_string(1 + c.audio.size()));
        ASSERT_EQ(r.audio.size(), c.tags.size());
        for (std::size_t k = 0; k < c.tags.size(); ++k) {
            // ogminfo numbers its audio streams a1, a2...; Vorbis lines read "channels 1 rate 44100".
            const std::string line = lineWith(info, "(a" + std::to_string(k + 1) + "/");
            EXPECT_EQ(r.audio[k].formatTag, c.tags[k]);
            EXPECT_EQ(after(line, R"(channels:? (\d+))"), r.audio[k].channels) << line;
            EXPECT_EQ(after(line, R"((?:rate|samples per second:) (\d+))"), r.audio[k].sampleRate) << line;
        }
        // The video's own frames (ffprobe's packets), not the longest stream's running time.
        EXPECT_EQ(std::to_string(r.oggFrames), fw::test::capture("ffprobe -v error -count_packets -select_streams v:0 -show_entries "
                                                                 "stream=nb_read_packets -of default=nw=1:nk=1 " + quote(ogm)).substr(0, std::to_string(r.oggFrames).size()));
        // Each audio stream's real bytes: ffprobe's packets. ffprobe misreads Vorbis in OGM, so a
        // Vorbis stream is checked against the .ogg it came from.
        for (std::size_t k = 0; k < c.audio.size(); ++k) {
            EXPECT_EQ(r.audio[k].sizeSource, "pages");
            const auto packets = c.tags[k] == 26447 ? probePackets(c.audio[k], "a:0") : probePackets(ogm, "a:" + std::to_string(k));
            EXPECT_EQ(r.audio[k].sizeBytes, packets.bytes) << c.audio[k];
        }
    }
}

TEST_F(Writers, PlainOggTagsAgreeWithFfprobe) {
    FW_REQUIRE_TOOLS("ffmpeg", "ffprobe");
    // libvorbis puts the comment and setup headers in one page: the tags sit mid-page.
    const std::string ogg = ffmpeg("song.ogg", "-f lavfi -t 2 -i sine=sample_rate=48000",
                                   "-c:a libvorbis -ac 2 -metadata title=\"A Song\" -metadata date=1999 -metadata genre=Ambient "
                                   "-metadata comment=\"made at test time\"");
    auto r = fw::avi::inspect(ogg);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fields[11].text, "1");
    ASSERT_EQ(r.audio.size(), 1u);
    EXPECT_EQ(r.audio[0].formatTag, 26447);
    EXPECT_EQ(std::to_string(r.audio[0].channels), probe(ogg, "a:0", "stream=channels"));
    EXPECT_EQ(std::to_string(r.audio[0].sampleRate), probe(ogg, "a:0", "stream=sample_rate"));
    EXPECT_EQ(r.tags[0], probe(ogg, "a:0", "stream_tags=title") + "/");
    EXPECT_EQ(r.tags[6], probe(ogg, "a:0", "stream_tags=date"));
    EXPECT_EQ(r.tags[8], probe(ogg, "a:0", "stream_tags=genre"));
    EXPECT_EQ(r.tags[4], probe(ogg, "a:0", "stream_tags=comment"));  // ffmpeg writes it as DESCRIPTION
    EXPECT_EQ(r.tagCaptions[4], "Description");
    EXPECT_NEAR(r.info.duration, fw::test::num(probe(ogg, "a:0", "format=duration")), 0.05);
    EXPECT_EQ(r.audio[0].sizeBytes, probePackets(ogg, "a:0").bytes);
    EXPECT_EQ(r.audio[0].sizeSource, "pages");
}

}  // namespace
