#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "core/common/lang.h"
#include "core/wav/converter.h"
#include "fixtures/mod_builder.h"
#include "support/temp_home.h"

namespace {

using namespace fw::wav;
namespace fs = std::filesystem;

std::uint32_t u32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}
std::uint16_t u16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}
std::uint64_t u64(const std::string& b, std::size_t at) { return u32(b, at) | std::uint64_t{u32(b, at + 4)} << 32; }
std::string bytes(const std::vector<std::uint8_t>& v) { return {v.begin(), v.end()}; }

// A decoder that hands out given bytes in small blocks, and can fail part-way like a cut file.
class FakeDecoder : public Decoder {
public:
    FakeDecoder(PcmFormat f, std::string data, std::uint64_t expected = 0, std::size_t failAt = std::string::npos)
        : m_data(std::move(data)), m_failAt(failAt) {
        m_info.format = f;
        m_info.expectedBytes = expected ? expected : m_data.size();
        m_position.total = m_data.size();
    }

protected:
    std::size_t decode(std::uint8_t* out, std::size_t cap) override {
        if (m_pos >= m_failAt) {
            m_failure = cantPlay(kDamaged);
            return 0;
        }
        const std::size_t n = std::min({cap, m_data.size() - m_pos, std::size_t{1000}, m_failAt - m_pos});
        std::memcpy(out, m_data.data() + m_pos, n);
        m_pos += n;
        m_position.done = m_pos;
        return n;
    }

private:
    std::string m_data;
    std::size_t m_failAt;
    std::size_t m_pos = 0;
};

std::string pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + 3);
    return s;
}

TEST(WavHeader, FieldsForEachFormat) {
    struct Case {
        PcmFormat f;
        std::uint16_t tag, channels, align, bits;
        std::uint32_t rate, perSecond;
        std::size_t size;
    } cases[] = {
        {{2, 44100, 16, 0}, 1, 2, 4, 16, 44100, 176400, 44},
        {{1, 22050, 8, 0}, 1, 1, 1, 8, 22050, 22050, 44},
        {{1, 44100, 16, 0}, 1, 1, 2, 16, 44100, 88200, 44},
        // 5.1 needs the extensible format to say which speaker is which.
        {{6, 48000, 16, 0x3F}, 0xFFFE, 6, 12, 16, 48000, 576000, 68},
    };
    for (const auto& c : cases) {
        const std::string h = bytes(wavHeader(c.f, 1000, HeaderKind::Plain));
        ASSERT_EQ(h.size(), c.size);
        EXPECT_EQ(h.substr(0, 4), "RIFF");
        EXPECT_EQ(u32(h, 4), 1000 + c.size - 8);
        EXPECT_EQ(h.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(u16(h, 20), c.tag);
        EXPECT_EQ(u16(h, 22), c.channels);
        EXPECT_EQ(u32(h, 24), c.rate);
        EXPECT_EQ(u32(h, 28), c.perSecond);
        EXPECT_EQ(u16(h, 32), c.align);
        EXPECT_EQ(u16(h, 34), c.bits);
        EXPECT_EQ(h.substr(c.size - 8, 4), "data");
        EXPECT_EQ(u32(h, c.size - 4), 1000u);
        if (c.tag == 0xFFFE) {
            EXPECT_EQ(u32(h, 40), 0x3Fu);  // channel mask
            EXPECT_EQ(u16(h, 44), 1);      // the PCM sub-format
        }
    }
}

TEST(WavHeader, UnfinishedSaysZeroAndRf64TakesOverPastTheLimit) {
    const PcmFormat f;
    const std::string open = bytes(unfinishedHeader(f, HeaderKind::Plain));
    EXPECT_EQ(u32(open, 4), 0u);
    EXPECT_EQ(u32(open, 40), 0u);
    // A plain header holds data up to 4 GiB - 1 minus the 36 bytes the RIFF size also counts.
    const std::uint64_t last = 0xFFFFFFFFull - 36;
    EXPECT_FALSE(needsRf64(last - 1, 44));  // odd: its pad byte fits too
    EXPECT_FALSE(needsRf64(last, 44) && (last & 1) == 0);
    EXPECT_TRUE(needsRf64(last + 2, 44));
    EXPECT_TRUE(needsRf64(6'000'000'000ull, 44));

    // Reserved and RF64 are the same length, so one can be rewritten into the other in place.
    const std::size_t n = headerSize(f, HeaderKind::Rf64);
    EXPECT_EQ(n, 80u);
    EXPECT_EQ(headerSize(f, HeaderKind::Reserved), n);
    const std::string reserved = bytes(wavHeader(f, 1000, HeaderKind::Reserved));
    EXPECT_EQ(reserved.substr(12, 4), "JUNK");
    EXPECT_EQ(u32(reserved, 4), 1000 + n - 8);
    const std::uint64_t big = 6'000'000'000ull;
    const std::string rf = bytes(wavHeader(f, big, HeaderKind::Rf64));
    EXPECT_EQ(rf.substr(0, 4), "RF64");
    EXPECT_EQ(u32(rf, 4), 0xFFFFFFFFu);
    EXPECT_EQ(rf.substr(12, 4), "ds64");
    EXPECT_EQ(u64(rf, 20), big + n - 8);
    EXPECT_EQ(u64(rf, 28), big);
    EXPECT_EQ(u64(rf, 36), big / 4);  // sample frames
    EXPECT_EQ(u32(rf, n - 4), 0xFFFFFFFFu);
    // Asked for a plain header it cannot hold, it says "too big" rather than a wrapped size.
    EXPECT_EQ(u32(bytes(wavHeader(f, big, HeaderKind::Plain)), 40), 0xFFFFFFFFu);
}

class WavConvert : public ::testing::Test {
protected:
    fw::test::TempHome home;
    std::string out() const { return home.path("out.wav"); }
    int filesIn(const fs::path& dir) const {
        int n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
        return n;
    }
};

TEST_F(WavConvert, CompleteFileIsHeaderPlusDataWithItsSizes) {
    const std::string data = pattern(44100 * 4 / 10);
    FakeDecoder d({2, 44100, 16, 0}, data);
    auto r = convert(d, out());
    ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages[0].resolve());
    const std::string f = fw::test::readFile(out());
    ASSERT_EQ(f.size(), 44 + data.size());
    EXPECT_EQ(u32(f, 4), f.size() - 8);
    EXPECT_EQ(u32(f, 40), data.size());
    EXPECT_EQ(f.substr(44), data);
    EXPECT_EQ(r.frames, data.size() / 4);
    EXPECT_EQ(r.header, HeaderKind::Plain);
}

TEST_F(WavConvert, OddEightBitDataGetsItsPadByte) {
    FakeDecoder d({1, 8000, 8, 0}, pattern(8001));
    auto r = convert(d, out());
    ASSERT_TRUE(r.ok);
    const std::string f = fw::test::readFile(out());
    EXPECT_EQ(f.size(), 44u + 8001 + 1);
    EXPECT_EQ(u32(f, 4), f.size() - 8);
    EXPECT_EQ(u32(f, 40), 8001u);
    EXPECT_EQ(u16(f, 32), 1);
    EXPECT_EQ(u16(f, 34), 8);
}

TEST_F(WavConvert, StopKeepsThePartWithSizesZeroAndNeverReplacesAFile) {
    auto stopNow = fw::Progress([](std::uint64_t, std::uint64_t) { return false; });
    for (bool closing : {false, true}) {
        fs::remove(out());
        FakeDecoder d({2, 44100, 16, 0}, pattern(10000));
        std::atomic<bool> sizes{closing};
        auto r = convert(d, out(), stopNow, {&sizes});
        EXPECT_FALSE(r.ok);
        ASSERT_TRUE(r.stopped);
        const std::string f = fw::test::readFile(out());
        ASSERT_EQ(f.size(), 44u + 1000);  // the first block, as written
        // Stop says "unfinished" with sizes 0; the window closing mid-way gives the part its sizes.
        EXPECT_EQ(u32(f, 4), closing ? f.size() - 8 : 0u);
        EXPECT_EQ(u32(f, 40), closing ? 1000u : 0u);
        EXPECT_EQ(r.status, fw::LangText("WavConverter", 8));
    }
    // Over an earlier file, a stop leaves that file as it was and nothing beside it.
    fw::test::writeFile(out(), "the user's earlier file");
    const int before = filesIn(home.dir());
    FakeDecoder d({2, 44100, 16, 0}, pattern(10000));
    std::atomic<bool> sizes{true};
    auto r = convert(d, out(), stopNow, {&sizes});
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.status, fw::LangText("WavConverter", 14));
    EXPECT_EQ(fw::test::readFile(out()), "the user's earlier file");
    EXPECT_EQ(filesIn(home.dir()), before);
}

TEST_F(WavConvert, FailureLeavesNothingAndKeepsAnExistingFile) {
    fw::test::writeFile(out(), "the user's earlier file");
    const int before = filesIn(home.dir());
    FakeDecoder d({2, 44100, 16, 0}, pattern(10000), 0, 3000);
    auto r = convert(d, out());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.stopped);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_NE(r.messages[0].resolve().find(fw::LangText("WavConverterMsgBox", 19)), std::string::npos);
    EXPECT_NE(r.messages[0].resolve().find(fw::LangText("WavConverterMsgBox", 21)), std::string::npos);
    EXPECT_EQ(fw::test::readFile(out()), "the user's earlier file");
    EXPECT_EQ(filesIn(home.dir()), before);  // no temporary file left behind
}

TEST_F(WavConvert, DataPastTheRiffLimitEndsAsRf64) {
    // A limit of 2000 bytes stands in for 4 GiB.
    struct Case {
        std::size_t data;
        std::uint64_t expected;  // what the running time predicted
        const char* riff;
        std::size_t header;
    } cases[] = {
        {1500, 900, "RIFF", 44},    // predicted and stayed small: the plain header
        {5000, 900, "RF64", 80},    // predicted small, grew: rewritten behind an RF64 header
        {5000, 5000, "RF64", 80},   // predicted large: the reserved room becomes ds64 in place
        {1500, 5000, "RIFF", 80},   // predicted large, stayed small: a RIFF file with a JUNK chunk
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        const std::string data = pattern(c.data);
        FakeDecoder d({2, 44100, 16, 0}, data, c.expected);
        auto r = convert(d, out(), {}, {nullptr, 2000});
        ASSERT_TRUE(r.ok);
        const std::string f = fw::test::readFile(out());
        ASSERT_EQ(f.size(), c.header + c.data);
        EXPECT_EQ(f.substr(0, 4), c.riff);
        EXPECT_EQ(f.substr(c.header), data);
        if (std::string(c.riff) == "RF64") {
            EXPECT_EQ(r.header, HeaderKind::Rf64);
            EXPECT_EQ(f.substr(12, 4), "ds64");
            EXPECT_EQ(u64(f, 20), f.size() - 8);
            EXPECT_EQ(u64(f, 28), c.data);
        } else {
            EXPECT_EQ(u32(f, 4), f.size() - 8);
            EXPECT_EQ(u32(f, c.header - 4), c.data);
        }
    }
}

TEST(WavNames, WholeExtensionReplacedAndPrefixNeverOverwrites) {
    const struct {
        const char* source;
        const char* out;
    } names[] = {{"/m/song.mp3", "/o/song.wav"}, {"/m/tune.xm", "/o/tune.wav"}, {"/m/a.b.it", "/o/a.b.wav"},
                 {"/m/track", "/o/track.wav"}, {"/m/x.mp2", "/o/x.wav"}};
    for (const auto& n : names) EXPECT_EQ(outputPath(n.source, "/o"), n.out) << n.source;

    fw::test::TempHome home;
    const std::string wav = home.path("song.wav");
    EXPECT_EQ(prefixedPath(wav), home.path("001_song.wav"));
    fw::test::writeFile(home.path("001_song.wav"), "taken");
    EXPECT_EQ(prefixedPath(wav), home.path("002_song.wav"));
    fw::test::writeFile(wav, "x");
    EXPECT_TRUE(sameFile(wav, home.path(".") + "/song.wav"));
    EXPECT_FALSE(sameFile(wav, home.path("001_song.wav")));
    const std::string q = existsQuestion(wav).resolve();
    EXPECT_NE(q.find(wav), std::string::npos);
    EXPECT_NE(q.find("002_song.wav"), std::string::npos);  // the name No would give
    EXPECT_EQ(existsQuestion(wav).buttons, fw::Buttons::YesNoCancel);
}

TEST(WavLabels, TimesAndPositions) {
    fw::test::TempHome home;
    for (auto [s, text] : std::initializer_list<std::pair<double, const char*>>{
             {150, "2:30"}, {90, "1:30"}, {65, "1:05"}, {0, "0:00"}, {3599.6, "60:00"}, {-3, "0:00"}})
        EXPECT_EQ(timeLabel(s), text) << s;
    SourceInfo module;
    module.kind = SourceKind::Module;
    module.title = "tune";
    module.orders = 12;
    module.seconds = 150;
    EXPECT_EQ(moduleCaption(module), "Playing MOD music \\tune\\ [12 orders]");
    EXPECT_EQ(sizeLabel(module), fw::LangText("InvCalc", 6) + " 2:30");
    DecodePosition pos;
    pos.order = 3;
    pos.row = 17;
    EXPECT_EQ(positionLabel(module, pos), fw::LangText("WavConverter", 1) + " 3:17");
    SourceInfo stream;
    stream.expectedBytes = 882000;
    pos.bytes = 441000;
    EXPECT_EQ(sizeLabel(stream), fw::LangText("InvCalc", 7) + " 882000 bytes");
    EXPECT_EQ(positionLabel(stream, pos), fw::LangText("WavConverter", 1) + " 441000");
}

TEST(WavLibraries, PresentRecentEnoughAndInitialised) {
    fw::test::TempHome home;
    const LibraryState built = builtLibraries();
    EXPECT_FALSE(checkLibraries(runningLibraries(), built)) << "this machine's libraries should do";
    auto key = [&](LibraryState s) {
        auto m = checkLibraries(s, built);
        return m ? m->text.key : 0;
    };
    LibraryState s = built;
    EXPECT_EQ(key(s), 0);
    s.avcodec = built.avcodec + (1 << 8);  // a newer minor version
    s.openmpt = built.openmpt + (1 << 16);
    EXPECT_EQ(key(s), 0);
    for (auto older : {&LibraryState::avformat, &LibraryState::avcodec, &LibraryState::swresample}) {
        LibraryState o = built;
        o.*older = built.*older - (1 << 8);
        EXPECT_EQ(key(o), 11);
        o.*older = built.*older + (1 << 16);  // another major version is another ABI
        EXPECT_EQ(key(o), 11);
    }
    s = built;
    s.openmpt = built.openmpt - (1 << 16);
    EXPECT_EQ(key(s), 11);
    s = built;
    s.decodersPresent = false;
    EXPECT_EQ(key(s), 10);
    s = built;
    s.initialised = false;
    EXPECT_EQ(key(s), 12);
    auto m = checkLibraries(s, built);
    EXPECT_EQ(m->icon, fw::Icon::Critical);
    EXPECT_EQ(m->title, fw::LangText("FormCaptions", 14));
}

TEST(WavSources, ModulesAreReadAndBadInputIsNamed) {
    fw::test::TempHome home;
    const std::string mod = home.path("tune.mod");
    fw::test::writeFile(mod, fw::fixtures::buildMod({"fw test tune", 2, 8}));
    auto opened = openSource(mod);
    ASSERT_TRUE(opened.decoder) << opened.error.resolve();
    const SourceInfo& info = opened.decoder->info();
    EXPECT_EQ(info.kind, SourceKind::Module);
    EXPECT_EQ(info.title, "fw test tune");
    EXPECT_EQ(info.orders, 2);
    EXPECT_NEAR(info.seconds, 15.36, 0.01);  // 2 patterns x 64 rows x 6 ticks at 125 BPM
    EXPECT_EQ(info.format.channels, 2);
    EXPECT_EQ(info.format.sampleRate, 44100);
    auto r = convert(*opened.decoder, home.path("tune.wav"));
    ASSERT_TRUE(r.ok);
    EXPECT_NEAR(static_cast<double>(r.frames), 15.36 * 44100, 44100 * 0.2);

    EXPECT_TRUE(opened.decoder->warnings().empty());

    // A cut module still plays (libopenmpt fills in silence), but the user is told what is missing.
    const std::string whole = fw::fixtures::buildMod();
    fw::test::writeFile(home.path("cut.mod"), whole.substr(0, 1500));
    auto cut = openSource(home.path("cut.mod"));
    ASSERT_TRUE(cut.decoder);
    ASSERT_EQ(cut.decoder->warnings().size(), 1u);
    EXPECT_EQ(cut.decoder->warnings()[0].text.key, 32);
    EXPECT_EQ(cut.decoder->warnings()[0].suffix, " " + std::to_string(whole.size() - 1500));

    const std::string dir = home.path("folder.mp3");
    fs::create_directory(dir);
    const std::string fifo = home.path("pipe.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string noise(5000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    const struct {
        const char* name;
        std::string bytes;
        int reason;
    } bad[] = {
        {"empty.mp3", "", kEmpty},
        {"tiny.mod", fw::fixtures::buildMod().substr(0, 3), kNotAudio},
        {"noise.bin", noise, kNotAudio},
    };
    for (const auto& b : bad) {
        fw::test::writeFile(home.path(b.name), b.bytes);
        auto o = openSource(home.path(b.name));
        EXPECT_FALSE(o.decoder) << b.name;
        EXPECT_EQ(o.reason, b.reason) << b.name;
        EXPECT_EQ(o.error.resolve().rfind("Error: Can't play the file\n", 0), 0u) << b.name;
    }
    for (const auto& p : {dir, fifo}) EXPECT_EQ(openSource(p).reason, kUnreadable) << p;
    EXPECT_EQ(openSource(home.path("missing.mp3")).reason, kMissing);
}

}  // namespace
