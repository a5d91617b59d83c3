// The health check, the index repair and key-frame lists on files built byte by byte, where each
// departure from a sound file is exactly known. Files from real writers are in tests/tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "core/avi/avi_health.h"
#include "core/avi/avi_repair.h"
#include "core/avi/keyframes.h"
#include "core/avi/movi_scan.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "fixtures/stats_builder.h"
#include "support/temp_home.h"

namespace {

using fw::avi::HealthReport;
using fw::fixtures::AviSpec;
using fw::fixtures::AviStreamSpec;
using Bytes = std::vector<std::uint8_t>;

std::size_t find(const Bytes& b, const char* tag, std::size_t from = 0) {
    auto it = std::search(b.begin() + static_cast<std::ptrdiff_t>(from), b.end(), tag, tag + std::strlen(tag));
    return static_cast<std::size_t>(it - b.begin());
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::vector<std::string> codes(const HealthReport& r) {
    std::vector<std::string> c;
    for (const auto& p : r.problems) c.push_back(p.code);
    return c;
}

// 200 frames of 999 bytes, more than the scan's read window holds, and no index.
void unpaddedSpec(AviSpec& s) {
    s.frameSize = 999;
    s.index = false;
    s.totalFrames = 200;
    s.extra[0].length = 128000;
}
// Removes every pad byte after a 999-byte frame, as some writers forget it.
void unpad(Bytes& b) {
    Bytes out;
    std::size_t i = 0;
    const std::size_t movi = find(b, "movi");
    while (i < b.size()) {
        out.push_back(b[i]);
        if (i > movi && i + 8 < b.size() && std::memcmp(&b[i], "00dc", 4) == 0) {
            for (std::size_t k = 1; k < 8 + 999; ++k) out.push_back(b[i + k]);
            i += 8 + 999 + 1;
            continue;
        }
        ++i;
    }
    put32(out, find(out, "movi") - 4, static_cast<std::uint32_t>(out.size() - find(out, "movi")));
    put32(out, 4, static_cast<std::uint32_t>(out.size() - 8));
    b = out;
}

class Health : public ::testing::Test {
protected:
    fw::test::TempHome home;
    int n = 0;
    std::string write(const Bytes& b) {
        std::string p = home.path("f" + std::to_string(n++) + ".avi");
        fw::fixtures::writeBytes(p, b);
        return p;
    }
    HealthReport check(const Bytes& b) { return fw::avi::checkAvi(write(b)); }
    static AviSpec withAudio() {
        AviSpec s;
        s.extra.push_back(AviStreamSpec{});
        s.totalFrames = 50;  // 2 s; the audio header says 64000 bytes at 16000 a second: 4 s
        s.extra[0].length = 32000;
        return s;
    }
};

TEST_F(Health, SoundFileHasNoProblemAndItsFigures) {
    auto r = check(fw::fixtures::buildAvi(withAudio()));
    ASSERT_TRUE(r.readable);
    EXPECT_TRUE(r.ok()) << codes(r).front();
    EXPECT_EQ(r.rateNum, 25u);
    EXPECT_EQ(r.rateDen, 1u);
    EXPECT_EQ(r.rateName, "PAL 25");
    EXPECT_EQ(r.framesInFile, 50);
    EXPECT_DOUBLE_EQ(r.secondsInFile, 2.0);
    // A key frame every 10 frames: 0, 10, 20, 30, 40.
    EXPECT_EQ(r.keyFrames, 5);
    EXPECT_EQ(r.gopShortest, 10);
    EXPECT_EQ(r.gopLongest, 10);
    EXPECT_DOUBLE_EQ(r.gopMean, 10.0);
    EXPECT_DOUBLE_EQ(r.longestGapSeconds, 0.4);
}

TEST_F(Health, FrameRatesAsFractionsAndTheirNames) {
    struct Case {
        std::uint32_t rate, scale, num, den;
        const char* name;
        bool rounded;
    } cases[] = {
        {30000, 1001, 30000, 1001, "NTSC 29.97", false},
        {24000, 1001, 24000, 1001, "NTSC film 23.976", false},
        {2997, 100, 2997, 100, "29.97 rounded", true},
        {23970, 1000, 2397, 100, "23.970, a rounded film rate", true},
        {25000000, 1000000, 25, 1, "PAL 25", false},
        {17, 1, 17, 1, "", false},
    };
    for (const auto& c : cases) {
        AviSpec s;
        s.rate = c.rate;
        s.scale = c.scale;
        auto r = check(fw::fixtures::buildAvi(s));
        EXPECT_EQ(r.rateNum, c.num) << c.rate;
        EXPECT_EQ(r.rateDen, c.den) << c.rate;
        EXPECT_EQ(r.rateName, c.name) << c.rate;
        const auto cs = codes(r);
        EXPECT_EQ(std::count(cs.begin(), cs.end(), "rounded-frame-rate"), c.rounded ? 1 : 0) << c.rate;
    }
}

TEST_F(Health, EachDamageNamedByItsCode) {
    struct Case {
        const char* what;
        std::function<void(AviSpec&)> spec;
        std::function<void(Bytes&)> damage;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"cut inside movi", {}, [](Bytes& b) { b.resize(find(b, "idx1") - 2500); }, {"truncated", "no-index"}},
        {"no index", [](AviSpec& s) { s.index = false; }, {}, {"no-index"}},
        {"index cut in half",
         {},
         [](Bytes& b) {
             const std::size_t at = find(b, "idx1");
             std::uint32_t size;
             std::memcpy(&size, &b[at + 4], 4);
             put32(b, at + 4, size / 2);
             b.resize(at + 8 + size / 2);
             put32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
         },
         {"index-frames-mismatch"}},
        {"entry pointing past movi",
         {},
         [](Bytes& b) { put32(b, find(b, "idx1") + 8 + 16 * 3 + 8, 0x7FFFFFF0); },
         {"index-outside-movi"}},
        {"entry with a wrong size", {}, [](Bytes& b) { put32(b, find(b, "idx1") + 8 + 16 * 3 + 12, 999); }, {"index-size-mismatch"}},
        {"chunk header overwritten",
         {},
         [](Bytes& b) {
             const std::size_t at = find(b, "00dc", find(b, "movi") + 30000);
             std::memcpy(&b[at], "\xde\xad\xbe\xef\xff\xff\xff\x7f", 8);
         },
         {"damaged-movi", "index-size-mismatch", "index-frames-mismatch"}},
        {"main header frames", {}, [](Bytes& b) { put32(b, find(b, "avih") + 8 + 16, 49); }, {"frame-count-mismatch"}},
        {"audio 1 s longer than the video",
         [](AviSpec& s) {
             s.extra[0].length = 48000;
             s.extra[0].chunkSize = 24000;
         },
         {},
         {"audio-video-length"}},
        {"second audio stream 1 s short",
         [](AviSpec& s) {
             s.extra.push_back(s.extra[0]);
             s.extra[1].chunkSize = 8000;
         },
         {},
         {"audio-video-length"}},
        {"every key flag cleared",
         [](AviSpec& s) { s.keyEvery = 0; },
         {},
         {"no-key-frames"}},
        {"no frame rate", [](AviSpec& s) { s.scale = 0; }, {}, {"no-frame-rate"}},
        {"index renamed to JUNK", {}, [](Bytes& b) { std::memcpy(&b[find(b, "idx1")], "JUNK", 4); }, {"no-index"}},
        {"odd frames without their pad byte", unpaddedSpec, unpad, {"missing-pad-bytes", "no-index"}},
        {"audio format running past its list",
         {},
         [](Bytes& b) { put32(b, find(b, "strf", find(b, "auds")) + 4, 0xFFFFFFFF); },
         {"audio-format"}},
        {"audio format without a sample rate",
         {},
         [](Bytes& b) { put32(b, find(b, "strf", find(b, "auds")) + 12, 0); },
         {"audio-format"}},
        // What a writer stopped before its last header update leaves.
        {"RIFF size left at 0", {}, [](Bytes& b) { put32(b, 4, 0); }, {"truncated"}},
        // Every frame is found; the index after them reads as the list's damaged tail.
        {"movi size left at 0", {}, [](Bytes& b) { put32(b, find(b, "movi") - 4, 0); }, {"damaged-movi", "no-index"}},
    };
    for (const auto& c : cases) {
        AviSpec s = withAudio();
        if (c.spec) c.spec(s);
        Bytes b = fw::fixtures::buildAvi(s);
        if (c.damage) c.damage(b);
        auto r = check(b);
        ASSERT_TRUE(r.readable) << c.what;
        EXPECT_EQ(codes(r), c.expected) << c.what;
        for (const auto& p : r.problems) EXPECT_FALSE(p.text.empty()) << c.what << " " << p.code;
    }
}

TEST_F(Health, CutShortSaysWhatRemains) {
    Bytes b = fw::fixtures::buildAvi(withAudio());
    // Past frame 20's header by 10 bytes: 20 whole frames remain (0.8 s).
    std::size_t at = find(b, "movi");
    for (int f = 0; f <= 20; ++f) at = find(b, "00dc", at + 1);
    b.resize(at + 18);
    auto r = check(b);
    EXPECT_EQ(r.framesInFile, 20);
    ASSERT_FALSE(r.problems.empty());
    EXPECT_EQ(r.problems[0].code, "truncated");
    EXPECT_NE(r.problems[0].text.find(" 20 "), std::string::npos) << r.problems[0].text;
    EXPECT_NE(r.problems[0].text.find("0.8 s"), std::string::npos) << r.problems[0].text;
}

TEST_F(Health, PackedBitstreamFromTheEncodersUserData) {
    for (const char* user : {"DivX503b1393p", "XviD0046p", "DivX503b1393", "XviD0046"}) {
        Bytes b = fw::fixtures::buildAvi(withAudio());
        const std::size_t at = find(b, "00dc", find(b, "movi")) + 8;
        const std::uint8_t start[] = {0, 0, 1, 0xB2};
        std::memcpy(&b[at + 20], start, 4);
        std::memcpy(&b[at + 24], user, std::strlen(user) + 1);
        const auto cs = codes(check(b));
        const bool packed = user[std::strlen(user) - 1] == 'p';
        EXPECT_EQ(std::count(cs.begin(), cs.end(), "packed-bitstream"), packed ? 1 : 0) << user;
    }
}

TEST_F(Health, WhatIsNoAviCannotBeChecked) {
    for (const Bytes& b : {Bytes{}, Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, Bytes(100, 0)}) {
        auto r = check(b);
        EXPECT_FALSE(r.readable);
        EXPECT_FALSE(r.error.empty());
        EXPECT_FALSE(r.ok());
    }
    EXPECT_FALSE(fw::avi::checkAvi(home.path("missing.avi")).readable);
}

TEST(MoviScan, FrameTypesFromTheBitstream) {
    struct Case {
        Bytes data;
        int type;
    } cases[] = {
        {{0, 0, 1, 0xB6, 0x00}, 0},                                         // I-VOP
        {{0, 0, 1, 0xB6, 0x40}, 1},                                         // P-VOP
        {{0, 0, 1, 0xB6, 0x80}, 2},                                         // B-VOP
        {{0, 0, 1, 0xB0, 1, 0, 0, 1, 0xB5, 9, 0, 0, 1, 0xB6, 0x10}, 0},    // VOS and VO headers first
        {{0, 0, 1, 0xB6}, -1},                                              // nothing after the start code
        {{0xFF, 0xD8, 0xFF, 0xE0}, -1},                                     // a JPEG
        {{}, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(fw::avi::mpeg4FrameType(c.data.data(), c.data.size()), c.type);
    EXPECT_TRUE(fw::avi::isMsMpeg4("div3"));
    EXPECT_FALSE(fw::avi::isMsMpeg4("MPG4"));  // version 1 has start codes instead
    EXPECT_TRUE(fw::avi::isMpeg4Asp("FMP4"));
    EXPECT_FALSE(fw::avi::isMpeg4Asp("H264"));
}

// Start code, then fields of (width, value) packed MSB first.
Bytes withBits(std::uint8_t code, std::initializer_list<std::pair<int, std::uint32_t>> fields) {
    Bytes b{0, 0, 1, code};
    int used = 8;
    for (auto [width, value] : fields)
        for (int i = width - 1; i >= 0; --i) {
            if (used == 8) {
                b.push_back(0);
                used = 0;
            }
            if ((value >> i) & 1) b.back() |= static_cast<std::uint8_t>(0x80 >> used);
            ++used;
        }
    return b;
}

TEST(MoviScan, PackedBitstreamPlaceholdersAreNoKeyFrames) {
    // A layer header with a time resolution of 30000 (15 bits), then VOP headers.
    const Bytes vol = withBits(0x20, {{1, 0}, {8, 1}, {1, 0}, {4, 1}, {1, 0}, {2, 0}, {1, 1}, {16, 30000}, {1, 1}, {1, 0}});
    auto vop = [](std::uint32_t type, std::uint32_t coded, int seconds) {
        return withBits(0xB6, {{2, type}, {seconds + 1, ((1u << seconds) - 1) << 1}, {1, 1}, {15, 1001}, {1, 1}, {1, coded}, {8, 0}});
    };
    struct Case {
        const char* what;
        Bytes data;
        int type;
    } cases[] = {
        {"I-VOP before any layer header", vop(0, 0, 0), 0},
        {"layer header and I-VOP", [&] { Bytes b = vol; const Bytes v = vop(0, 1, 0); b.insert(b.end(), v.begin(), v.end()); return b; }(), 0},
        {"P-VOP", vop(1, 1, 0), 1},
        {"placeholder typed I", vop(0, 0, 0), fw::avi::Mpeg4Frames::kNotCoded},
        {"placeholder typed P, two seconds in", vop(1, 0, 2), fw::avi::Mpeg4Frames::kNotCoded},
        {"B-VOP three seconds in", vop(2, 1, 3), 2},
        {"cut inside the header", {0, 0, 1, 0xB6, 0x00}, 0},
    };
    fw::avi::Mpeg4Frames frames;
    for (const auto& c : cases) EXPECT_EQ(frames.frameType(c.data.data(), c.data.size()), c.type) << c.what;
}

class Repair : public Health {};

TEST_F(Repair, KeepsEveryWholeChunkAndWritesAFreshIndex) {
    Bytes b = fw::fixtures::buildAvi(withAudio());
    b.resize(find(b, "idx1") - 2500);  // cut inside the last frames; no index
    const std::string src = write(b), out = home.path("fixed.avi");
    const std::string before = fw::test::readFile(src);
    auto r = fw::avi::repairAvi(src, out);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(fw::test::readFile(src), before);  // the original is only read
    EXPECT_TRUE(r.cutShort);
    EXPECT_EQ(r.framesKept, 47);
    EXPECT_EQ(r.chunksKept, 47 + 2);  // and the two audio chunks
    // The builder's frames hold no VOP header; the old index is gone: every frame a key frame.
    EXPECT_EQ(r.keys, fw::avi::KeySource::EveryFrame);
    EXPECT_EQ(r.keyFrames, 47);
    auto h = fw::avi::checkAvi(out);
    EXPECT_TRUE(h.ok()) << codes(h).front();
    EXPECT_EQ(h.framesInFile, 47);
}

TEST_F(Repair, OddChunksWithoutPadBytesGetThemBack) {
    AviSpec s = withAudio();
    unpaddedSpec(s);
    Bytes b = fw::fixtures::buildAvi(s);
    unpad(b);
    const std::string src = write(b), out = home.path("fixed.avi");
    EXPECT_EQ(fw::avi::checkAvi(src).framesInFile, 200);
    auto r = fw::avi::repairAvi(src, out);
    ASSERT_TRUE(r.ok) << (r.messages.empty() ? -1 : r.messages[0].text.key);
    EXPECT_EQ(r.framesKept, 200);
    auto h = fw::avi::checkAvi(out);
    EXPECT_TRUE(h.ok()) << codes(h).front();
    EXPECT_EQ(h.framesInFile, 200);
}

TEST_F(Repair, KeyFlagsFromTheOldIndexWhenTheDataDoesNotSay) {
    Bytes b = fw::fixtures::buildAvi(withAudio());
    std::memcpy(&b[find(b, "00dc", find(b, "movi") + 30000)], "\xde\xad\xbe\xef\xff\xff\xff\x7f", 8);
    const std::string src = write(b), out = home.path("fixed.avi");
    auto r = fw::avi::repairAvi(src, out);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.keys, fw::avi::KeySource::OldIndex);
    EXPECT_EQ(r.damagedRegions, 1);
    EXPECT_EQ(r.framesKept, 49);
    EXPECT_EQ(r.keyFrames, 5);
    auto h = fw::avi::checkAvi(out);
    EXPECT_TRUE(h.ok()) << codes(h).front();
}

TEST_F(Repair, RefusesWhatItCannotDoAndLeavesNothingBehind) {
    // A second RIFF part (AVIX) makes an OpenDML file; a dmlh header alone does not.
    Bytes odml = fw::fixtures::buildAvi(withAudio());
    odml.insert(odml.end(), {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', 'X'});
    const std::string sound = write(fw::fixtures::buildAvi(withAudio()));
    struct Case {
        std::string source, output;
        int key;
    } cases[] = {
        {write(Bytes(64, 0)), home.path("a.avi"), 1},
        {write(odml), home.path("b.avi"), 2},
        {sound, sound, 5},
        {sound, home.path("no-such-folder/c.avi"), 3},
    };
    for (const auto& c : cases) {
        const std::string before = fw::test::readFile(c.source);
        auto r = fw::avi::repairAvi(c.source, c.output);
        EXPECT_FALSE(r.ok) << c.key;
        ASSERT_FALSE(r.messages.empty()) << c.key;
        EXPECT_EQ(r.messages[0].text.key, c.key);
        EXPECT_EQ(fw::test::readFile(c.source), before) << c.key;
    }
    EXPECT_FALSE(std::filesystem::exists(home.path("a.avi")));
    EXPECT_FALSE(std::filesystem::exists(home.path("b.avi")));
}

TEST_F(Repair, StoppedLeavesNoFile) {
    const std::string src = write(fw::fixtures::buildAvi(withAudio())), out = home.path("fixed.avi");
    auto r = fw::avi::repairAvi(src, out, fw::Progress([](std::uint64_t, std::uint64_t) { return false; }));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.stopped);
    EXPECT_FALSE(std::filesystem::exists(out));
    for (const auto& e : std::filesystem::directory_iterator(home.dir()))
        EXPECT_EQ(e.path().filename().string().find("fixed"), std::string::npos) << e.path();
}

TEST_F(Health, KeyFramesOfAnIndexAndOfAStatsFile) {
    auto k = fw::avi::keyframesOf(write(fw::fixtures::buildAvi(withAudio())));
    ASSERT_TRUE(k.ok);
    EXPECT_EQ(k.source, "index");
    EXPECT_EQ(k.frames, (std::vector<std::int64_t>{0, 10, 20, 30, 40}));
    EXPECT_EQ(k.totalFrames, 50);
    EXPECT_EQ(fw::avi::keyframeText(k, fw::avi::KeyframeFormat::List), "0\n10\n20\n30\n40\n");
    EXPECT_EQ(fw::avi::keyframeText(k, fw::avi::KeyframeFormat::Qpfile), "0 I\n10 I\n20 I\n30 I\n40 I\n");
    EXPECT_EQ(fw::avi::keyframeText(k, fw::avi::KeyframeFormat::KeyframesV1), "# keyframe format v1\nfps 0\n0\n10\n20\n30\n40\n");

    const std::string stats = home.path("pass.stats");
    fw::fixtures::writeBytes(stats, fw::fixtures::buildStats(fw::fixtures::statsPattern(600, 250)));
    auto s = fw::avi::keyframesOf(stats);
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(s.source, "stats");
    EXPECT_EQ(s.frames, (std::vector<std::int64_t>{0, 250, 500}));
    EXPECT_EQ(s.totalFrames, 600);

    AviSpec noIndex;
    noIndex.index = false;
    for (const std::string& bad : {write(fw::fixtures::buildAvi(noIndex)), write(Bytes(10, 7)), home.path("missing")}) {
        auto e = fw::avi::keyframesOf(bad);
        EXPECT_FALSE(e.ok) << bad;
        EXPECT_FALSE(e.error.empty()) << bad;
    }
}

}  // namespace
