#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "core/avi/inspector.h"
#include "core/avi/patchers.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "support/temp_home.h"

namespace {

using fw::avi::InspectorResult;
using fw::fixtures::AviSpec;
using fw::fixtures::AviStreamSpec;

class Inspector : public ::testing::Test {
protected:
    fw::test::TempHome home;
    int n = 0;
    InspectorResult inspect(const std::vector<std::uint8_t>& bytes, const char* name = nullptr) {
        std::string p = home.path(name ? name : ("f" + std::to_string(n++) + ".avi"));
        fw::fixtures::writeBytes(p, bytes);
        return fw::avi::inspect(p);
    }
    static AviSpec twoStreams() {
        AviSpec s;
        s.extra.push_back(AviStreamSpec{});
        return s;
    }
};

TEST_F(Inspector, CanonicalFileFieldByField) {
    AviSpec s = twoStreams();
    s.junkAfterHdrl = false;  // hdrl, LIST INFO, JUNK, movi: the layout ffmpeg writes
    s.info = {{"INAM", "A title"}, {"ISFT", "odd"}};
    auto r = inspect(fw::fixtures::buildAvi(s));
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    const std::pair<int, const char*> fields[] = {
        {1, "XviD MPEG-4 Advanced Simple Profile"}, {2, "XVID / XVID"}, {3, "4/3 <=>1.33:1"}, {4, "40000"},
        {5, "25 fps"}, {6, "640 pixels"}, {7, "480 pixels"}, {8, "24 bits"}, {10, "25"}, {11, "2"},
        {12, "0h 0' 1\""}, {14, "Yes"}, {15, "Yes"}, {16, "No"}, {20, "Complete file"},
        {21, "CBR - MPEG-1 Audio Layer 3 (MP3)"}, {22, "128"}, {23, "2"}, {24, "44100"},
        {25, "0.02"},  // the one 16000-byte audio chunk the index lists, not the header's 64000 bytes
        {26, "1000 ms - 1 sec"}, {57, "Old Avi 1.0 (Vfw 1.1e) format"}, {58, "0.04"}, {60, "0.04"},
        {62, "3"}, {63, "12 %"},
    };
    for (auto [f, text] : fields) EXPECT_EQ(r.fields[static_cast<std::size_t>(f)].text, text) << "field " << f;
    EXPECT_EQ(r.fields[21].colour, fw::avi::kDarkGreen);
    EXPECT_EQ(r.fields[13].text, "Installed");
    EXPECT_EQ(r.fields[13].colour, fw::avi::kLightBlue);
    EXPECT_EQ(r.tags[0], "A title");
    EXPECT_EQ(r.tags[5], "odd");
    EXPECT_TRUE(r.hasInfo);
    EXPECT_EQ(r.audio[0].sizeSource, "index");
    // Index: 25 video chunks of 1000 bytes, one audio chunk of 16000.
    EXPECT_EQ(r.info.videoBytes, 25000);
    EXPECT_EQ(r.info.otherBytes, 16000);
    EXPECT_EQ(r.fields[9].text, "200");  // 25000 bytes in 1 s
    // The overhead is what is neither video nor audio: headers, chunk headers, padding, the index.
    const std::int64_t overhead = r.info.fileLength - 25000 - 16000;
    EXPECT_EQ(r.info.overheadBytes, overhead);
    EXPECT_EQ(r.overheadLabel, "Overhead = " + fw::numberText(fw::roundHalfEven(overhead / 1048576.0, 3)) + " MB. = " +
                                   fw::numberText(fw::roundHalfEven(double(overhead) / r.info.fileLength * 100, 3)) + " %");
    // Field 61 from the header bitrate: (movi - audio bytes) / 1 s / 1000 * 8 against 640 x 480 x 24 bits.
    const double kbps = (double(r.info.moviSize) - 16000) / 1000 * 8;
    EXPECT_EQ(r.fields[61].text, "Comp: " + fw::numberText(fw::roundHalfEven(100 - kbps * 100 / (24.0 * 640 * 480) * 1000 / 25, 4)) +
                                     " % - bits per pixel: " + fw::numberText(fw::roundHalfEven(kbps * 1000 / 25 / (640.0 * 480), 3)));
}

TEST_F(Inspector, StreamSizesFromTheIndexOrElseTheHeaders) {
    // Each row: an audio stream header as some writer leaves it, and the bytes the header
    // alone gives when the file has no index. With the index, the size is what the index lists.
    struct Case {
        const char* writer;
        std::uint32_t scale, rate, length, sampleSize;
        std::uint16_t tag, blockAlign, blockSize;
        std::uint32_t avg;
        std::int64_t headerBytes;
    };
    const Case cases[] = {
        {"byte-counted MP3 (mencoder)", 1, 16000, 64000, 1, 0x55, 1, 418, 16000, 64000},
        {"block-counted PCM (ffmpeg)", 1, 44100, 44100, 4, 1, 4, 0, 176400, 176400},
        {"classic PCM", 4, 176400, 44100, 4, 1, 4, 0, 176400, 176400},
        {"VBR MP3 with its frame size", 1152, 44100, 1000, 0, 0x55, 1, 418, 16000, 418000},
        {"VBR MP3 with samples for a frame size (ffmpeg)", 1152, 48000, 1000, 0, 0x55, 1152, 1152, 16000, 384000},
        {"AC-3 (ffmpeg, no extension fields)", 1536, 48000, 125, 0, 0x2000, 1536, 0, 24000, 96000},
        // Damaged headers: products beyond any file are held at 4e18 bytes (found by fuzzing).
        {"all bits set", 1, 16000, 0xFFFFFFFF, 0xFFFFFFFF, 0x55, 1, 0, 16000, 4000000000000000000},
        {"a running time of centuries", 0xFFFFFFFF, 1, 0xFFFFFFFF, 0, 0x2000, 1, 0, 0x7FFFFFFF, 4000000000000000000},
    };
    for (const auto& c : cases) {
        AviSpec s;
        AviStreamSpec a;
        a.scale = c.scale, a.rate = c.rate, a.length = c.length, a.sampleSize = c.sampleSize;
        a.formatTag = c.tag, a.blockAlign = c.blockAlign, a.blockSize = c.blockSize, a.avgBytesPerSec = c.avg;
        a.chunkSize = 12345;
        s.extra.push_back(a);
        auto indexed = inspect(fw::fixtures::buildAvi(s));
        ASSERT_EQ(indexed.audio.size(), 1u) << c.writer;
        EXPECT_EQ(indexed.audio[0].sizeBytes, 12345) << c.writer;
        EXPECT_EQ(indexed.audio[0].sizeSource, "index") << c.writer;
        s.index = false;
        s.flags = 0x100;
        auto bare = inspect(fw::fixtures::buildAvi(s));
        EXPECT_EQ(bare.audio[0].sizeBytes, c.headerBytes) << c.writer;
        EXPECT_EQ(bare.audio[0].sizeSource, "header") << c.writer;
        EXPECT_EQ(bare.fields[25].text, fw::numberText(fw::roundHalfEven(c.headerBytes / 1048576.0, 2))) << c.writer;
    }
}

TEST_F(Inspector, LayoutsAfterTheHeaderList) {
    // Every order writers use finds the movi list: ffmpeg leaves the JUNK out when asked for no
    // padding, and the INFO list out when there are no tags.
    struct Case {
        bool junk;
        bool info;
        bool junkAfterInfo;
    };
    const Case cases[] = {
        {true, false, false},   // hdrl, JUNK, movi
        {false, true, true},    // hdrl, INFO, JUNK, movi
        {true, true, true},     // hdrl, JUNK, INFO, JUNK, movi
        {false, false, false},  // hdrl, movi
        {false, true, false},   // hdrl, INFO, movi
    };
    for (const auto& c : cases) {
        AviSpec s = twoStreams();
        s.junkAfterHdrl = c.junk;
        if (c.info) s.info = {{"INAM", "x"}};
        s.junkAfterInfo = c.junkAfterInfo;
        auto r = inspect(fw::fixtures::buildAvi(s));
        ASSERT_TRUE(r.ok);
        ASSERT_TRUE(r.info.moviTypePos.has_value()) << c.junk << c.info << c.junkAfterInfo;
        EXPECT_EQ(r.fields[26].text, "1000 ms - 1 sec");
        EXPECT_EQ(r.fields[62].text, "3");
        EXPECT_EQ(r.tags[0], c.info ? "x" : "");
    }
}

TEST_F(Inspector, RefusesWhatIsNotAnAviAndTooManyStreams) {
    AviSpec lower = twoStreams();
    lower.formType = "avi ";
    auto r = inspect(fw::fixtures::buildAvi(lower));
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, (fw::LangKey{"AviDetectorMsgBox", 1}));

    AviSpec many = twoStreams();
    many.declaredStreams = 23;
    r = inspect(fw::fixtures::buildAvi(many));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages[0].text, (fw::LangKey{"AviDetectorMsgBox", 4}));

    r = inspect({}, "empty.avi");
    EXPECT_FALSE(r.ok);
    r = fw::avi::inspect(home.path("missing.avi"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages[0].text.key, 6);
}

TEST_F(Inspector, TruncatedFilesAndEveryCutPoint) {
    AviSpec s = twoStreams();
    s.frameSize = 200000;  // 5 MB of video
    auto whole = fw::fixtures::buildAvi(s);
    auto r = inspect(fw::fixtures::truncateAvi(whole, 3565158));  // 3.4 MB
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fields[20].text, "Incomplete file! Missing: 3 MB");
    EXPECT_EQ(r.fields[20].colour, fw::avi::kYellow);
    EXPECT_EQ(r.fields[62].text, "N/D");  // a truncated file's index is not read

    // Cut anywhere in the header: each figure is there once the bytes it comes from are, and the
    // file reads as cut short. The main header ends at 88, the video's format at 88 + 8 + 116.
    AviSpec small = twoStreams();
    small.info = {{"INAM", "title"}};
    auto bytes = fw::fixtures::buildAvi(small);
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t tagAt = text.find("title");
    for (std::size_t cut = 0; cut < 700 && cut < bytes.size(); cut += 7) {
        std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        auto p = inspect(part, "cut.avi");
        EXPECT_EQ(p.ok, cut >= 12) << cut;
        if (!p.ok) continue;
        EXPECT_TRUE(p.info.truncated) << cut;
        EXPECT_EQ(p.fields[4].text, cut >= 88 ? "40000" : "") << cut;
        EXPECT_EQ(p.codecName, cut >= 212 ? "XviD MPEG-4 Advanced Simple Profile" : "") << cut;
        // A tag cut short shows what the file still holds of it.
        EXPECT_EQ(p.tags[0], std::string("title").substr(0, cut > tagAt ? std::min<std::size_t>(cut - tagAt, 5) : 0)) << cut;
        EXPECT_EQ(p.fields[62].text, cut >= 88 ? "N/D" : "") << cut;
    }
}

TEST_F(Inspector, OpenDmlTextStreamsAndManyStreams) {
    AviSpec s = twoStreams();
    s.odml = true;
    s.odmlFrames = 123456;
    AviStreamSpec text;
    text.fccType = "txts";
    s.extra.push_back(text);
    // An OpenDML writer counts every frame in the video stream's dwLength (at 140) and the dmlh;
    // the main header counts the first RIFF's.
    fw::fixtures::ByteWriter w;
    w.bytes = fw::fixtures::buildAvi(s);
    w.put32(140, 123456);
    auto r = inspect(w.bytes);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fields[57].text, "Avi2 - OpenDML (123456 frames)");
    EXPECT_EQ(r.fields[10].text, "123456");
    // ffmpeg adds its MP3 packets to the dmlh count: the video's own count is the one shown.
    w.bytes = fw::fixtures::buildAvi(s);
    r = inspect(w.bytes);
    EXPECT_EQ(r.fields[57].text, "Avi2 - OpenDML (25 frames)");
    EXPECT_TRUE(r.fields[27].hidden);
    EXPECT_EQ(r.fields[27].text, "Text stream (subtitles)");
    ASSERT_EQ(r.audio.size(), 2u);
    EXPECT_EQ(r.audio[1].type, "text");

    // Seven streams: three audio tabs, the seventh stream walked but shown nowhere.
    AviSpec seven;
    for (int i = 0; i < 6; ++i) seven.extra.push_back(AviStreamSpec{});
    r = inspect(fw::fixtures::buildAvi(seven));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.audioTabs, 3);
    EXPECT_EQ(r.audio.size(), 6u);
    EXPECT_EQ(r.fields[51].text, "CBR - MPEG-1 Audio Layer 3 (MP3)");
    // Eight streams: the seventh further stream is listed as not analysed, in the report too.
    seven.extra.push_back(AviStreamSpec{});
    r = inspect(fw::fixtures::buildAvi(seven));
    ASSERT_EQ(r.audio.size(), 7u);
    EXPECT_FALSE(r.audio[6].analysed);
    EXPECT_NE(fw::avi::buildReport(r, "d", "t").find(fw::LangText("AviDetector", 56) + " 7 - 7"), std::string::npos);

    // 22 streams: every slot used, the walk stays inside them.
    AviSpec full;
    for (int i = 0; i < 21; ++i) full.extra.push_back(AviStreamSpec{});
    r = inspect(fw::fixtures::buildAvi(full));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.audio.size(), 21u);
    EXPECT_EQ(r.fields[11].text, "22");
}

TEST_F(Inspector, VbrAudioPreloadAndOddChunks) {
    AviSpec s = twoStreams();
    auto& a = s.extra[0];
    a.sampleSize = 0;  // VBR MP3: frames of 1152 samples
    a.scale = 1152;
    a.rate = 44100;
    a.length = 1000;
    a.blockSize = 418;
    a.chunkSize = 4001;  // odd: a pad byte follows
    s.audioFirst = true;
    auto r = inspect(fw::fixtures::buildAvi(s));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fields[21].text, "VBR - MPEG-1 Audio Layer 3 (MP3)");
    EXPECT_EQ(r.fields[21].colour, fw::avi::kDarkRed);
    EXPECT_EQ(r.fields[26].text, "250 ms - 0.25 sec");
    EXPECT_EQ(r.info.otherBytes, 4001);  // the pad byte is not audio
    s.index = false;
    s.flags = 0x100;
    r = inspect(fw::fixtures::buildAvi(s));
    EXPECT_EQ(r.fields[25].text, "0.4");  // without an index: 418 x 1000 bytes

    AviSpec videoFirst = twoStreams();
    videoFirst.audioFirst = false;
    r = inspect(fw::fixtures::buildAvi(videoFirst));
    EXPECT_EQ(r.fields[26].text, "No audio preload");
}

TEST_F(Inspector, OddSizesArePaddedInInfoAndPreload) {
    // "odd1" and its NUL are 5 bytes: a pad byte follows before the next tag.
    AviSpec s = twoStreams();
    s.info = {{"INAM", "odd1"}, {"IART", "Next"}};
    // Two audio tracks: the preload check reads two chunks, and the second lies after the pad
    // byte of the first (4001 bytes).
    s.extra[0].chunkSize = 4001;
    s.extra.push_back(AviStreamSpec{});
    auto r = inspect(fw::fixtures::buildAvi(s));
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    EXPECT_EQ(r.tags[0], "odd1");
    EXPECT_EQ(r.tags[1], "Next");
    auto inam = std::find_if(r.chunks.begin(), r.chunks.end(), [](const auto& c) { return c.id == "INAM"; });
    ASSERT_NE(inam, r.chunks.end());
    EXPECT_EQ(inam->size, 5);
    EXPECT_EQ(r.fields[26].text, "250 ms - 0.25 sec");  // 4001 bytes at 16000 a second
    EXPECT_EQ(r.fields[32].text, "1000 ms - 1 sec");    // the chunk after the pad byte
}

TEST_F(Inspector, DamagedIndexes) {
    // Each row: how the idx1 is damaged, what the reading says, and whether the figures stay.
    AviSpec s = twoStreams();
    const auto good = fw::fixtures::buildAvi(s);
    const std::string text(good.begin(), good.end());
    const std::size_t idx1 = text.rfind("idx1");
    ASSERT_NE(idx1, std::string::npos);
    struct Case {
        const char* what;
        std::function<std::vector<std::uint8_t>()> make;
        const char* warning;
        bool read;
    };
    auto sized = [&](std::uint32_t size) {
        fw::fixtures::ByteWriter w;
        w.bytes = good;
        w.put32(idx1 + 4, size);
        return w.bytes;
    };
    const std::uint32_t entries = static_cast<std::uint32_t>(good.size() - idx1 - 8) / 16;
    const Case cases[] = {
        {"runs past the end", [&] { return sized(entries * 16 + 16 * 1000); }, "The index is cut short by the end of the file.", true},
        {"not a whole number of entries", [&] { return sized(entries * 16 - 5); }, "The index size is not a whole number of entries.", true},
        {"missing while the flag is set",
         [&] {
             fw::fixtures::ByteWriter w;  // a complete file that ends with its movi list
             w.bytes.assign(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(idx1));
             w.put32(4, static_cast<std::uint32_t>(idx1 - 8));
             return w.bytes;
         },
         "The index the header announces is missing.", false},
    };
    for (const auto& c : cases) {
        auto r = inspect(c.make());
        ASSERT_TRUE(r.ok) << c.what;
        EXPECT_EQ(r.info.indexRead, c.read) << c.what;
        if (*c.warning) {
            EXPECT_NE(std::find(r.warnings.begin(), r.warnings.end(), c.warning), r.warnings.end()) << c.what;
        }
        if (c.read) {
            EXPECT_GE(r.info.keyFrames, 2) << c.what;
        } else {
            EXPECT_EQ(r.fields[62].text, "N/D") << c.what;
        }
    }
}

TEST_F(Inspector, WhatFfmpegWritesThatOlderToolsDidNot) {
    // The JUNK that reserves room for an OpenDML header is not one.
    AviSpec junk = twoStreams();
    junk.odmlJunk = true;
    auto r = inspect(fw::fixtures::buildAvi(junk));
    EXPECT_FALSE(r.info.openDml);
    EXPECT_EQ(r.fields[57].text, "Old Avi 1.0 (Vfw 1.1e) format");

    // Raw video: a zero compression field and a top-down (negative) height.
    AviSpec raw;
    raw.handler = std::string(4, '\0');
    raw.compression = std::string(4, '\0');
    raw.width = 64, raw.height = 48, raw.biHeight = -48;
    raw.frameSize = 64 * 48 * 3;
    r = inspect(fw::fixtures::buildAvi(raw));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fields[1].text, fw::LangText("AviDetector", 30));
    EXPECT_EQ(r.fields[2].text, "\\x00\\x00\\x00\\x00 / \\x00\\x00\\x00\\x00");
    EXPECT_EQ(r.fields[13].text, "Installed");
    // A top-down bitmap has as many rows as one stored bottom-up: the same compression figures.
    AviSpec bottomUp = raw;
    bottomUp.biHeight = 48;
    EXPECT_EQ(r.fields[61].text, inspect(fw::fixtures::buildAvi(bottomUp)).fields[61].text);
    EXPECT_EQ(r.fields[61].text.find(": -"), std::string::npos) << r.fields[61].text;
    const std::string report = fw::avi::buildReport(r, "d", "t");
    EXPECT_EQ(report.find('\0'), std::string::npos);
}

TEST_F(Inspector, HeaderBitrateDividesByAThousandForMpeg4AspCodes) {
    AviSpec dx50 = twoStreams();
    dx50.compression = "DX50";
    dx50.flags = 0;  // no index: the header figure stays
    AviSpec mp43 = dx50;
    mp43.compression = "MP43";
    auto a = inspect(fw::fixtures::buildAvi(dx50));
    auto b = inspect(fw::fixtures::buildAvi(mp43));
    EXPECT_NEAR(a.info.videoBitrate / b.info.videoBitrate, 1.024, 1e-12);
    EXPECT_EQ(a.fields[62].text, "N/D");
}

TEST_F(Inspector, NamedPipesAreNotFilesToWait) {
    // A FIFO would block an open or a read for ever: every reader says it cannot open it.
    const std::string fifo = home.path("pipe.avi");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto r = fw::avi::inspect(fifo);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages.at(0).text, (fw::LangKey{"AviDetectorMsgBox", 6}));
    r = fw::avi::inspectOgm(fifo);
    EXPECT_FALSE(r.ok);
    fw::avi::SyncSession s;
    EXPECT_EQ(fw::avi::openSync(fifo, s).messages.at(0).text, (fw::LangKey{"AviDetectorMsgBox", 6}));
    fw::avi::PatchBase base;
    base.path = fifo;
    EXPECT_FALSE(fw::avi::applyPatch(base, {}).ok);
}

TEST(InspectorText, DurationAspectAndDispatch) {
    EXPECT_EQ(fw::avi::formatDurationText(5025.678), "1h 23' 45.678\"");
    EXPECT_EQ(fw::avi::formatDurationText(0), "0h 0' 0\"");
    const std::pair<const char*, bool> names[] = {{"/a/film.OGM", true}, {"film.avi", false}, {"/x/blogger.avi", true},
                                                  {"/ogg/film.avi", false}, {"clip.ogg", true}};
    for (auto [name, ogm] : names) EXPECT_EQ(fw::avi::looksLikeOgm(name), ogm) << name;
    EXPECT_TRUE(fw::avi::decoderInstalled("xvid"));
    EXPECT_TRUE(fw::avi::decoderInstalled("dx50"));
    EXPECT_FALSE(fw::avi::decoderInstalled("zzzz"));
    EXPECT_EQ(fw::avi::bitrateText(949.13996, true), "949.14");
}

TEST_F(Inspector, ReportsAppendAndHeadersExport) {
    auto bytes = fw::fixtures::buildAvi(twoStreams());
    std::string src = home.path("film.avi");
    fw::fixtures::writeBytes(src, bytes);
    auto r = fw::avi::inspect(src);
    std::string report = fw::avi::buildReport(r, "2026-12-05", "12:00:00");
    EXPECT_EQ(report.rfind("File: " + src + "\n", 0), 0u);
    EXPECT_NE(report.find("Codec\t\tXviD MPEG-4 Advanced Simple Profile\n"), std::string::npos);
    EXPECT_NE(report.find("\t\tAudio stream 1\n"), std::string::npos);
    EXPECT_NE(report.find("AVIF_HASINDEX\t\tYes\n"), std::string::npos);
    std::string out = home.path("report.txt");
    ASSERT_TRUE(fw::avi::appendReport(out, report));
    ASSERT_TRUE(fw::avi::appendReport(out, report));
    EXPECT_EQ(fw::test::readFile(out), report + report);

    EXPECT_EQ(fw::avi::proposedHeaderSize(r), r.info.hdrlSize + 33);
    // A 64 KB export of a file of 200 KB: the first 65536 bytes, exactly.
    AviSpec big = twoStreams();
    big.frameSize = 8000;
    const auto bigBytes = fw::fixtures::buildAvi(big);
    ASSERT_GT(bigBytes.size(), 200000u);
    std::string bigSrc = home.path("big.avi");
    fw::fixtures::writeBytes(bigSrc, bigBytes);
    std::string hdr = home.path("header.avi");
    const std::pair<std::int64_t, std::size_t> exports[] = {{64 * 1024, 65536}, {100, 100}, {1, 1}, {10 << 20, bigBytes.size()}};
    for (auto [asked, got] : exports) {
        ASSERT_TRUE(fw::avi::saveHeader(bigSrc, hdr, asked)) << asked;
        EXPECT_TRUE(fw::test::readFile(hdr) == std::string(bigBytes.begin(), bigBytes.begin() + static_cast<std::ptrdiff_t>(got))) << asked;
    }
}

}  // namespace
