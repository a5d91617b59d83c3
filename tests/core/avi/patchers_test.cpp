#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "core/avi/patchers.h"
#include "core/common/number.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using namespace fw::avi;
using fw::test::diff;
using fw::fixtures::AviSpec;
using fw::fixtures::AviStreamSpec;

std::vector<std::size_t> range(std::int64_t from, int n) {
    std::vector<std::size_t> v;
    for (int i = 0; i < n; ++i) v.push_back(static_cast<std::size_t>(from + i));
    return v;
}

class Patchers : public ::testing::Test {
public:
    fw::test::TempHome home;
    std::string write(const AviSpec& s, const char* name = "film.avi") {
        std::string p = home.path(name);
        fw::fixtures::writeBytes(p, fw::fixtures::buildAvi(s));
        ::chmod(p.c_str(), 0644);
        return p;
    }
};

TEST_F(Patchers, FourccWritesBothPositionsAndNothingElse) {
    AviSpec s;
    s.handler = "divx";
    s.compression = "DIVX";
    std::string p = write(s);
    const std::string before = fw::test::readFile(p);
    FourccSession f;
    ASSERT_TRUE(openFourcc(p, f).ok);
    EXPECT_EQ(f.formatPos, 88 + 76);  // strh of 56 bytes: S0 + 76
    EXPECT_EQ(f.currentLine, "DIVX / divx");
    EXPECT_EQ(f.codecLine, "DivX 4 (OpenDivX) MPEG-4 Visual");
    auto o = saveFourcc(f, *fourccPresetCode("XVID"));
    ASSERT_TRUE(o.ok);
    EXPECT_TRUE(o.modified);
    const std::string after = fw::test::readFile(p);
    // Pinned by the layout, not taken from the session: the first strl at 88, its strh data at
    // 108 with fccHandler at 112, its strf at 164 with biCompression at 188.
    EXPECT_EQ(f.handlerPos, 112);
    auto expected = range(112, 4);
    auto second = range(188, 4);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(diff(before, after), expected);
    EXPECT_EQ(after.substr(112, 4), "XVID");
    EXPECT_EQ(after.substr(188, 4), "XVID");

    // The MS MPEG-4 presets are written in lower case.
    EXPECT_EQ(fourccPresetCode("MP43"), "mp43");
    EXPECT_EQ(fourccPresetCode("MP43  MS MPEG-4 V3"), "mp43");
    EXPECT_EQ(fourccPresetCode("xvid"), "XVID");
    EXPECT_FALSE(fourccPresetCode("H264"));
    ASSERT_TRUE(openFourcc(p, f).ok);
    ASSERT_TRUE(saveFourcc(f, "mp43").ok);
    EXPECT_EQ(fw::test::readFile(p).substr(188, 4), "mp43");

    // A code the database does not know: the handler alone, the code as the name.
    AviSpec unknown;
    unknown.handler = "QQQQ";
    unknown.compression = "ZZZZ";
    ASSERT_TRUE(openFourcc(write(unknown, "u.avi"), f).ok);
    EXPECT_EQ(f.currentLine, "QQQQ");
    EXPECT_EQ(f.codecLine, "ZZZZ");
}

TEST_F(Patchers, FrameRateWorkedCases) {
    struct Case {
        std::uint32_t rate, scale;
        double preset;
        std::uint32_t newScale;
        bool modified;
    };
    // 60 / 24 = 2.5: halves go to even, so 2 (24 fps becomes 30).
    const Case cases[] = {{25000, 1000, 23.976, 1043, true}, {30000, 1001, 25.0, 1200, true}, {25, 1, 24.0, 1, false},
                          {60, 1, 24.0, 2, true}};
    for (const auto& c : cases) {
        AviSpec s;
        s.rate = c.rate;
        s.scale = c.scale;
        std::string p = write(s);
        const std::string before = fw::test::readFile(p);
        FpsSession f;
        ASSERT_TRUE(openFps(p, f).ok);
        EXPECT_EQ(f.rate, c.rate);
        EXPECT_EQ(f.scale, c.scale);
        const std::uint32_t ns = proposedScale(f, c.preset);
        EXPECT_EQ(ns, c.newScale);
        auto o = saveFps(f, ns);
        ASSERT_TRUE(o.ok);
        EXPECT_EQ(o.modified, c.modified);
        const std::string after = fw::test::readFile(p);
        auto d = diff(before, after);
        for (auto pos : d) EXPECT_TRUE(pos >= 128 && pos < 132) << pos;
        EXPECT_EQ(d.empty(), !c.modified);
    }
    EXPECT_EQ(ratePreset("23.976 fps"), 23.976);
    EXPECT_EQ(ratePreset("29.97"), 29.97);
    EXPECT_FALSE(ratePreset("50"));
}

TEST_F(Patchers, SynchronizerWorkedCases) {
    AviSpec s;
    s.scale = 1;
    s.rate = 25;
    s.totalFrames = 100;  // the header says 90000 frames below; the movi holds 100
    s.index = false;      // an index would hold the 4 s of audio the movi has, not 3598.56 s
    s.flags = 0x100;
    AviStreamSpec a;      // byte-counted CBR: 16000 bytes per second
    a.length = static_cast<std::uint32_t>(3598.56 * 16000);
    s.extra.push_back(a);
    auto bytes = fw::fixtures::buildAvi(s);
    fw::fixtures::ByteWriter w;
    w.bytes = bytes;
    w.put32(48, 90000);
    std::string p = home.path("sync.avi");
    fw::fixtures::writeBytes(p, w.bytes);
    const std::string before = fw::test::readFile(p);
    SyncSession ss;
    ASSERT_TRUE(openSync(p, ss).ok);
    EXPECT_DOUBLE_EQ(ss.videoSeconds, 3600);
    EXPECT_NEAR(ss.audioSeconds, 3598.56, 1e-9);
    EXPECT_FALSE(ss.indexSeconds);
    EXPECT_FALSE(ss.inSync);
    EXPECT_EQ(ss.newRate, 2501000u);
    EXPECT_DOUBLE_EQ(ss.newFps(), 25.01);
    auto o = saveSync(ss);
    ASSERT_TRUE(o.ok);
    const std::string after = fw::test::readFile(p);
    // Only the video stream's dwScale and dwRate change: the 8 bytes from 88 + 20 + 20.
    auto changed = diff(before, after);
    EXPECT_FALSE(changed.empty());
    for (auto pos : changed) EXPECT_TRUE(pos >= 128 && pos < 136) << pos;
    FpsSession check;
    ASSERT_TRUE(openFps(p, check).ok);
    EXPECT_EQ(check.scale, 100000u);
    EXPECT_EQ(check.rate, 2501000u);

    // dwLength counts units of dwScale / dwRate seconds: ffmpeg's PCM counts blocks of 4 bytes.
    struct Units {
        std::uint32_t scale, rate, length, sampleSize;
        double seconds;
    };
    const Units units[] = {{1, 16000, 32000, 1, 2.0}, {1, 44100, 88200, 4, 2.0}, {4, 176400, 88200, 4, 2.0}, {1, 8000, 4000, 1, 0.5}};
    for (const auto& u : units) {
        AviSpec pcm;
        pcm.index = false;
        pcm.flags = 0x100;
        pcm.totalFrames = 75;  // 3 s of video
        AviStreamSpec pa;
        pa.scale = u.scale, pa.rate = u.rate, pa.length = u.length, pa.sampleSize = u.sampleSize;
        pcm.extra.push_back(pa);
        ASSERT_TRUE(openSync(write(pcm, "units.avi"), ss).ok);
        EXPECT_DOUBLE_EQ(ss.audioSeconds, u.seconds) << u.scale << "/" << u.rate;
        EXPECT_EQ(ss.newRate, static_cast<std::uint32_t>(fw::roundHalfEven(100000.0 / u.seconds * 75, 0)));
    }

    // The 0.001 s threshold: half a millisecond more video than audio is in sync; 2 ms is not.
    for (auto [audioBytes, inSync] : {std::pair{15992u, true}, std::pair{15968u, false}}) {
        AviSpec t;
        t.index = false;
        t.flags = 0x100;
        t.totalFrames = 25;
        AviStreamSpec ta;
        ta.length = audioBytes;  // 1 s of video against 0.9995 s or 0.998 s of audio
        t.extra.push_back(ta);
        ASSERT_TRUE(openSync(write(t, "edge.avi"), ss).ok);
        EXPECT_EQ(ss.inSync, inSync) << ss.videoSeconds - ss.audioSeconds;
    }

    // Audio longer than the video: "OK!!", nothing to write.
    AviSpec longer;
    longer.index = false;
    AviStreamSpec la;
    la.length = 16000 * 5;
    longer.extra.push_back(la);
    ASSERT_TRUE(openSync(write(longer, "longer.avi"), ss).ok);
    EXPECT_TRUE(ss.inSync);
}

TEST_F(Patchers, SynchronizerRefusalsLeaveTheFileAlone) {
    // VBR audio: the synchronizer's message, after the rate, microseconds and frames were read.
    AviSpec vbr;
    AviStreamSpec va;
    va.sampleSize = 0;
    vbr.extra.push_back(va);
    SyncSession ss;
    auto refused = openSync(write(vbr, "vbr.avi"), ss);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.messages[0].text, (fw::LangKey{"SynchronizerMsgBox", 1}));
    EXPECT_TRUE(ss.headerRead);
    EXPECT_EQ(ss.videoFps(), 25);
    EXPECT_EQ(ss.microSecPerFrame, 40000);
    EXPECT_EQ(ss.totalFrames, 25);

    // The header says 10 s of audio, the index holds 1 s: no proposal.
    AviSpec liar;
    AviStreamSpec lie;
    lie.length = 16000 * 10;
    liar.extra.push_back(lie);
    liar.totalFrames = 300;
    std::string p = write(liar, "liar.avi");
    const std::string sum = fw::test::sha256(p);
    refused = openSync(p, ss);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.messages[0].text, (fw::LangKey{"AviPatchMsgBox", 9}));
    EXPECT_EQ(refused.messages[0].suffix, " 10 / 12");
    EXPECT_FALSE(saveSync(ss).modified);
    EXPECT_EQ(fw::test::sha256(p), sum);

    // Any input of the proposal changed between open and save: refused, nothing written.
    AviSpec good;
    good.index = false;
    good.flags = 0x100;
    good.totalFrames = 75;
    AviStreamSpec ga;
    ga.length = 32000;
    good.extra.push_back(ga);
    const auto original = fw::fixtures::buildAvi(good);
    const std::int64_t t2 = 88 + 8 + 116 + 20;  // the second strl follows a video strl of 116 bytes
    const std::pair<const char*, std::int64_t> inputs[] = {
        {"dwTotalFrames", 48},     {"video dwScale", 128},       {"video dwRate", 132},     {"audio dwScale", t2 + 20},
        {"audio dwRate", t2 + 24}, {"audio dwLength", t2 + 32},  {"audio dwSampleSize", t2 + 44},
    };
    for (const auto& [what, pos] : inputs) {
        p = home.path("changed.avi");
        fw::fixtures::writeBytes(p, original);
        ASSERT_TRUE(openSync(p, ss).ok) << what;
        ASSERT_FALSE(ss.inSync) << what;
        auto changed = original;
        changed[static_cast<std::size_t>(pos)] ^= 1;
        fw::fixtures::writeBytes(p, changed);
        const std::string changedSum = fw::test::sha256(p);
        auto o = saveSync(ss);
        EXPECT_FALSE(o.ok) << what;
        ASSERT_FALSE(o.messages.empty()) << what;
        EXPECT_EQ(o.messages[0].text, (fw::LangKey{"AviPatchMsgBox", 2})) << what;
        EXPECT_EQ(fw::test::sha256(p), changedSum) << what;
    }
}

TEST_F(Patchers, HostileFilesAreRefusedWithNothingWritten) {
    AviSpec base;
    base.extra.push_back({});
    struct Case {
        const char* name;
        std::function<std::string(Patchers&)> make;  // returns the file's path
        int tool;  // 0 fourcc, 1 fps, 2 sync
        int key;   // AviPatchMsgBox key expected at open (0: open works, refusal at save)
    };
    auto build = [&](Patchers& t, AviSpec s, const char* n) { return t.write(s, n); };
    std::vector<Case> cases;
    cases.push_back({"truncated before the stream header", [&](Patchers& t) {
                         auto b = fw::fixtures::buildAvi(base);
                         b.resize(96);
                         std::string p = t.home.path("trunc.avi");
                         fw::fixtures::writeBytes(p, b);
                         return p;
                     }, 0, 7});
    cases.push_back({"avih of 64 bytes", [&](Patchers& t) {
                         AviSpec s = base;
                         s.avihSize = 64;
                         return build(t, s, "avih64.avi");
                     }, 1, 4});
    cases.push_back({"a stream list not where the layout says", [&](Patchers& t) {
                         AviSpec s = base;
                         s.avihSize = 64;
                         auto b = fw::fixtures::buildAvi(s);
                         fw::fixtures::ByteWriter w;
                         w.bytes = b;
                         w.put32(28, 56);  // avih claims 56 bytes: the strl is 8 bytes further on
                         std::string p = t.home.path("moved.avi");
                         fw::fixtures::writeBytes(p, w.bytes);
                         return p;
                     }, 0, 1});
    cases.push_back({"second stream is not audio", [&](Patchers& t) {
                         AviSpec s = base;
                         s.extra[0].fccType = "txts";
                         return build(t, s, "text.avi");
                     }, 2, 10});
    cases.push_back({"video only", [&](Patchers& t) { return build(t, AviSpec{}, "video.avi"); }, 2, 10});
    for (const auto& c : cases) {
        std::string p = c.make(*this);
        const std::string before = fw::test::readFile(p);
        OpenOutcome o;
        if (c.tool == 0) {
            FourccSession s;
            o = openFourcc(p, s);
        } else if (c.tool == 1) {
            FpsSession s;
            o = openFps(p, s);
        } else {
            SyncSession s;
            o = openSync(p, s);
        }
        EXPECT_FALSE(o.ok) << c.name;
        ASSERT_FALSE(o.messages.empty()) << c.name;
        EXPECT_EQ(o.messages[0].text, (fw::LangKey{"AviPatchMsgBox", c.key})) << c.name;
        EXPECT_EQ(fw::test::readFile(p), before) << c.name;
    }
}

TEST_F(Patchers, AFailingWriteOrReadBackPutsTheOldBytesBack) {
    // A file system that fails at one step of the patch: the old bytes are written back and the
    // file ends as it began.
    struct Faulty : PatchIo {
        enum class Step { SecondWrite, Flush, ReadBack } step;
        int writes = 0, reads = 0;
        bool wrote = false;
        explicit Faulty(Step s) : step(s) {}
        ssize_t pwrite(int fd, const void* d, std::size_t n, std::int64_t pos) override {
            wrote = true;
            if (step == Step::SecondWrite && ++writes == 2) return -1;
            return PatchIo::pwrite(fd, d, n, pos);
        }
        ssize_t pread(int fd, void* d, std::size_t n, std::int64_t pos) override {
            ssize_t r = PatchIo::pread(fd, d, n, pos);
            // The read-back comes after the writes: one flipped bit there.
            if (step == Step::ReadBack && wrote && ++reads == 1 && r > 0) static_cast<std::uint8_t*>(d)[0] ^= 1;
            return r;
        }
        int fsync(int fd) override { return step == Step::Flush && wrote ? -1 : PatchIo::fsync(fd); }
    };
    for (auto step : {Faulty::Step::SecondWrite, Faulty::Step::Flush, Faulty::Step::ReadBack}) {
        AviSpec s;
        s.handler = "divx";
        s.compression = "DIVX";
        std::string p = write(s);
        const std::string before = fw::test::readFile(p);
        FourccSession f;
        ASSERT_TRUE(openFourcc(p, f).ok);
        Faulty io(step);
        auto o = applyPatch(f.base, {{112, {'d', 'i', 'v', 'x'}, {'X', 'V', 'I', 'D'}}, {188, {'D', 'I', 'V', 'X'}, {'X', 'V', 'I', 'D'}}}, io);
        EXPECT_FALSE(o.ok) << static_cast<int>(step);
        EXPECT_FALSE(o.modified);
        ASSERT_EQ(o.messages.size(), 1u);
        EXPECT_EQ(o.messages[0].text, (fw::LangKey{"AviPatchMsgBox", 6}));
        EXPECT_EQ(fw::test::readFile(p), before) << static_cast<int>(step);
    }
}

TEST_F(Patchers, WhatCannotBeOpenedSaysSo) {
    // A missing file and a folder are "cannot be opened", as in the inspector, for every patcher.
    std::filesystem::create_directories(home.path("folder.avi"));
    for (const std::string& p : {home.path("missing.avi"), home.path("folder.avi")}) {
        FourccSession f;
        FpsSession r;
        SyncSession s;
        for (const auto& o : {openFourcc(p, f), openFps(p, r), openSync(p, s)}) {
            EXPECT_FALSE(o.ok) << p;
            ASSERT_EQ(o.messages.size(), 1u) << p;
            EXPECT_EQ(o.messages[0].text, (fw::LangKey{"AviDetectorMsgBox", 6})) << p;
        }
    }
}

TEST_F(Patchers, ChangedOrReadOnlyFilesAreNotWritten) {
    AviSpec s;
    s.extra.push_back({});
    // Replaced between open and save: a different file of the same size.
    std::string p = write(s);
    FourccSession f;
    ASSERT_TRUE(openFourcc(p, f).ok);
    AviSpec other = s;
    other.compression = "DX50";
    fw::fixtures::writeBytes(p, fw::fixtures::buildAvi(other));
    std::string before = fw::test::readFile(p);
    auto o = saveFourcc(f, "XVID");
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.messages[0].text.key, 2);
    EXPECT_EQ(fw::test::readFile(p), before);

    // Grown between open and save.
    ASSERT_TRUE(openFourcc(p, f).ok);
    fw::test::writeFile(p, before + "more");
    EXPECT_EQ(saveFourcc(f, "XVID").messages[0].text.key, 2);

    // Read-only.
    p = write(s, "ro.avi");
    FpsSession fps;
    ASSERT_TRUE(openFps(p, fps).ok);
    ::chmod(p.c_str(), 0444);
    before = fw::test::readFile(p);
    auto r = saveFps(fps, 2);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages[0].text.key, 3);
    EXPECT_EQ(fw::test::readFile(p), before);

    // Deleted.
    p = write(s, "gone.avi");
    SyncSession sync;
    ASSERT_TRUE(openFourcc(p, f).ok);
    std::remove(p.c_str());
    EXPECT_FALSE(saveFourcc(f, "XVID").ok);
}

}  // namespace
