// Damaged copies of AVI files that ffmpeg writes (XviD, DivX 3, H.264): the health check names
// the damage, the repair writes a file that ffprobe reads without an error, with one packet per
// chunk kept, the original's key frames and the original's decoded pictures; the key-frame list of
// a sound file is ffprobe's.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <sstream>

#include "cli/cli_support.h"
#include "core/avi/avi_health.h"
#include "core/avi/avi_repair.h"
#include "core/avi/keyframes.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using fw::test::capture;
using fw::test::quote;

struct Source {
    const char* name;
    const char* args;
    bool keysInData;  // the repair reads key frames from the bitstream
};

const Source kSources[] = {
    {"xvid.avi", "-c:v libxvid -g 12 -bf 2 -q:v 5 -c:a libmp3lame -b:a 128k", true},
    {"div3.avi", "-c:v msmpeg4 -g 15 -q:v 5 -c:a pcm_s16le", true},
    {"h264.avi", "-c:v libx264 -g 25 -bf 0 -c:a ac3 -b:a 128k", true},
    // ffmpeg's own MPEG-4 with B-frames: no empty chunks, so its packets are the file's frames.
    {"fmp4.avi", "-c:v mpeg4 -vtag XVID -g 12 -bf 2 -q:v 5 -c:a libmp3lame -b:a 96k", true},
};

std::uint32_t le32(const std::string& b, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
void put32(std::string& b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

// Each packet ffprobe reads: its stream and whether it is a key frame; and what ffprobe said on
// standard error.
struct Packets {
    std::vector<int> stream;
    std::vector<bool> videoKeys;
    std::string errors;
    long long count(int s) const { return std::count(stream.begin(), stream.end(), s); }
};
Packets packets(const std::string& file) {
    Packets p;
    const std::string out = capture("ffprobe -v error -show_entries packet=stream_index,flags -of csv=p=0 " + quote(file) + " 2>&1");
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const auto comma = line.find(',');
        if (comma == std::string::npos || line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) {
            p.errors += line + "\n";
            continue;
        }
        const int s = std::stoi(line.substr(0, comma));
        p.stream.push_back(s);
        if (s == 0) p.videoKeys.push_back(line[comma + 1] == 'K');
    }
    return p;
}

// The key flags of the video entries of a file's idx1, as written: ffprobe re-derives MPEG-4 key
// frames from the bitstream and would not show a wrong flag.
std::vector<bool> indexKeys(const std::string& b) {
    std::vector<bool> keys;
    const std::size_t at = b.rfind("idx1");
    if (at == std::string::npos) return keys;
    const std::size_t end = std::min(b.size(), at + 8 + le32(b, at + 4));
    for (std::size_t e = at + 8; e + 16 <= end; e += 16)
        if (b[e + 2] == 'd') keys.push_back((le32(b, e + 4) & 0x10) != 0);
    return keys;
}

// The checksum of each decoded picture by its time stamp.
std::map<long long, std::string> pictures(const std::string& file) {
    std::map<long long, std::string> m;
    std::istringstream in(capture("ffmpeg -v error -i " + quote(file) + " -map 0:v -f framemd5 - 2>/dev/null"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f;
        std::stringstream ls(line);
        for (std::string x; std::getline(ls, x, ',');) f.push_back(x);
        if (f.size() == 6) m[std::stoll(f[2])] = f[5];
    }
    return m;
}

// The chunks of a file's movi list, walked by their sizes (the sound originals only).
struct Chunk {
    std::size_t pos;
    std::string id;
    std::uint32_t size;
};
std::vector<Chunk> chunks(const std::string& b) {
    std::vector<Chunk> out;
    const std::size_t movi = b.find("LIST", b.find("hdrl") + 4);
    std::size_t list = movi;
    while (list != std::string::npos && b.compare(list + 8, 4, "movi") != 0) list = b.find("LIST", list + 4);
    const std::size_t end = list + 8 + le32(b, list + 4);
    for (std::size_t p = list + 12; p + 8 <= end;) {
        const std::uint32_t size = le32(b, p + 4);
        if (b.compare(p, 4, "LIST") == 0) {
            p += 12;
            continue;
        }
        out.push_back({p, b.substr(p, 4), size});
        p += 8 + size + (size & 1);
    }
    return out;
}

class RepairReal : public ::testing::Test {
protected:
    static inline std::string dir;
    fw::test::TempHome home;

    static void SetUpTestSuite() {
        if (!fw::test::missingTool({"ffmpeg", "ffprobe"}).empty()) return;
        char tmpl[] = "/tmp/fw-repair-XXXXXX";
        dir = ::mkdtemp(tmpl);
        for (const auto& s : kSources)
            fw::test::sh("ffmpeg -v error -y -f lavfi -i testsrc2=size=320x240:rate=25 -f lavfi -i sine=frequency=440:sample_rate=44100 "
                         "-t 8 " + std::string(s.args) + " " + quote(dir + "/" + s.name));
    }
    static void TearDownTestSuite() {
        if (!dir.empty()) std::filesystem::remove_all(dir);
    }
    void SetUp() override { FW_REQUIRE_TOOLS("ffmpeg", "ffprobe"); }

    // Damages a copy of `source` and checks the check and the repair of it. `lostChunk` is the
    // video chunk the damage destroys, counted among all video chunks, `lostPacket` the same frame
    // among those that hold data (ffprobe skips the empty chunks ffmpeg writes for B-frames); -1
    // when no frame is lost.
    void verify(const Source& source, const std::string& what, const std::string& bytes, const std::vector<std::string>& codes,
                int lostChunk = -1, int lostPacket = -1, bool cut = false) {
        SCOPED_TRACE(std::string(source.name) + ": " + what);
        const std::string original = dir + "/" + source.name;
        const std::string damaged = home.path("damaged.avi"), fixed = home.path("fixed.avi");
        fw::test::writeFile(damaged, bytes);
        std::filesystem::remove(fixed);

        const auto h = fw::avi::checkAvi(damaged);
        ASSERT_TRUE(h.readable);
        for (const auto& c : codes)
            EXPECT_TRUE(std::any_of(h.problems.begin(), h.problems.end(), [&](const auto& p) { return p.code == c; })) << c;

        const auto r = fw::avi::repairAvi(damaged, fixed);
        ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages[0].resolve());
        EXPECT_EQ(fw::test::readFile(damaged), bytes);  // the damaged file is only read
        // The repaired file has no problem the sound original did not have (a packed bitstream).
        const auto soundProblems = fw::avi::checkAvi(original).problems;
        for (const auto& p : fw::avi::checkAvi(fixed).problems)
            EXPECT_TRUE(std::any_of(soundProblems.begin(), soundProblems.end(), [&](const auto& o) { return o.code == p.code; })) << p.text;

        // ffprobe: no error, one packet for every chunk kept that holds data.
        const Packets got = packets(fixed);
        EXPECT_EQ(got.errors, "");
        const std::string out = fw::test::readFile(fixed);
        const std::size_t idx1 = out.size() - 8 - 16 * static_cast<std::size_t>(r.chunksKept);
        ASSERT_EQ(out.compare(idx1, 4, "idx1"), 0);
        long long empty = 0, emptyVideo = 0;
        for (long long i = 0; i < r.chunksKept; ++i) {
            const std::size_t e = idx1 + 8 + 16 * static_cast<std::size_t>(i);
            if (le32(out, e + 12) != 0) continue;
            ++empty;
            emptyVideo += out.compare(e, 2, "00") == 0;
        }
        EXPECT_EQ(static_cast<long long>(got.stream.size()), r.chunksKept - empty);
        EXPECT_EQ(got.count(0), r.framesKept - emptyVideo);

        // Key frames: the original's, for the frames kept.
        const Packets orig = packets(original);
        std::vector<bool> expected = orig.videoKeys;
        if (lostPacket >= 0) expected.erase(expected.begin() + lostPacket);
        expected.resize(got.videoKeys.size());
        if (r.keys == fw::avi::KeySource::EveryFrame) {
            EXPECT_FALSE(source.keysInData);
            expected.assign(expected.size(), true);
        } else if (source.keysInData) {
            EXPECT_EQ(r.keys, fw::avi::KeySource::VideoData);
        }
        EXPECT_EQ(got.videoKeys, expected);

        // Pictures: the original's, by time stamp; after a lost frame, one frame earlier, from
        // beyond the next key frame (the groups here are 25 frames at most). In between, where a
        // reference is missing, the decoder's guess is its own.
        const auto before = pictures(original), after = pictures(fixed);
        long long compared = 0, skipped = 0;
        const long long last = after.empty() ? 0 : after.rbegin()->first;
        for (const auto& [pts, md5] : after) {
            long long at = pts;
            // The last pictures of a cut file may be ones whose B-frames were cut away.
            if (cut && pts > last - 2) {
                ++skipped;
                continue;
            }
            if (lostChunk >= 0) {
                if (pts >= lostChunk - 3 && pts < lostChunk + 30) {
                    ++skipped;
                    continue;
                }
                if (pts >= lostChunk + 30) at = pts + 1;
            }
            auto it = before.find(at);
            ASSERT_NE(it, before.end()) << pts;
            EXPECT_EQ(it->second, md5) << "picture " << pts;
            ++compared;
        }
        EXPECT_GE(compared + skipped, r.framesKept - emptyVideo - 1);
    }
};

TEST_F(RepairReal, CutAtRandomPlaces) {
    std::mt19937 random(16);
    for (const auto& s : kSources) {
        const std::string bytes = fw::test::readFile(dir + "/" + s.name);
        const auto cs = chunks(bytes);
        ASSERT_GT(cs.size(), 100u);
        const std::size_t from = cs.front().pos + 1, to = cs.back().pos + 8 + cs.back().size;
        const int cuts = &s == &kSources[0] ? 10 : 3;
        for (int i = 0; i < cuts; ++i) {
            const std::size_t at = std::uniform_int_distribution<std::size_t>(from, to - 1)(random);
            verify(s, "cut at " + std::to_string(at), bytes.substr(0, at), {"truncated", "no-index"}, -1, -1, true);
        }
    }
}

TEST_F(RepairReal, IndexRemovedOrCutShort) {
    for (const auto& s : kSources) {
        const std::string bytes = fw::test::readFile(dir + "/" + s.name);
        const std::size_t idx1 = bytes.rfind("idx1");
        ASSERT_NE(idx1, std::string::npos);
        // Removed: the file ends where the index began, and its RIFF size says so.
        std::string removed = bytes.substr(0, idx1);
        put32(removed, 4, static_cast<std::uint32_t>(removed.size() - 8));
        verify(s, "index removed", removed, {"no-index"});
        // Every frame kept: the new index's key flags are the writer's, one by one (packed
        // bitstream placeholders included, which code nothing and are no key frames).
        const std::string damaged = home.path("noidx.avi"), fixed = home.path("fixed-flags.avi");
        fw::test::writeFile(damaged, removed);
        ASSERT_TRUE(fw::avi::repairAvi(damaged, fixed).ok) << s.name;
        EXPECT_EQ(indexKeys(fw::test::readFile(fixed)), indexKeys(bytes)) << s.name;
        std::filesystem::remove(fixed);
        // Cut: a download that stopped a third of the way into the index.
        verify(s, "index cut", bytes.substr(0, idx1 + 8 + le32(bytes, idx1 + 4) / 3), {"truncated", "index-frames-mismatch"});
    }
}

TEST_F(RepairReal, ChunkHeaderOverwrittenInTheMiddle) {
    for (const auto& s : kSources) {
        const std::string bytes = fw::test::readFile(dir + "/" + s.name);
        const auto cs = chunks(bytes);
        // An audio chunk: every picture survives.
        for (std::size_t i = cs.size() / 2; i < cs.size(); ++i)
            if (cs[i].id == "01wb") {
                std::string b = bytes;
                std::memcpy(b.data() + cs[i].pos, "\xde\xad\xbe\xef\xff\xff\xff\xff", 8);
                verify(s, "audio chunk header", b, {"damaged-movi", "index-size-mismatch"});
                break;
            }
        // A video frame that is no key frame.
        const Packets orig = packets(dir + "/" + s.name);
        int chunk = 0, packet = 0;
        for (std::size_t i = 0; i < cs.size(); ++i) {
            if (cs[i].id != "00dc") continue;
            if (i > cs.size() / 2 && cs[i].size > 0 && !orig.videoKeys[static_cast<std::size_t>(packet)]) {
                std::string b = bytes;
                std::memcpy(b.data() + cs[i].pos, "\xde\xad\xbe\xef\xff\xff\xff\xff", 8);
                verify(s, "video chunk header", b, {"damaged-movi", "index-size-mismatch", "index-frames-mismatch"}, chunk, packet);
                break;
            }
            ++chunk;
            packet += cs[i].size > 0;
        }
    }
}

TEST_F(RepairReal, KeyFrameListsAreFfprobes) {
    // The list counts chunks, one a frame, as VirtualDub and AviSynth number an AVI's frames.
    // libxvid through ffmpeg writes empty chunks for its B-frame delay, which ffprobe's packet
    // numbering skips; those files are left out here.
    for (const auto& s : kSources) {
        if (std::string(s.name) == "xvid.avi") continue;
        const std::string file = dir + "/" + s.name;
        std::vector<std::int64_t> expected;
        const Packets p = packets(file);
        for (std::size_t i = 0; i < p.videoKeys.size(); ++i)
            if (p.videoKeys[i]) expected.push_back(static_cast<std::int64_t>(i));
        const auto k = fw::avi::keyframesOf(file);
        ASSERT_TRUE(k.ok) << s.name;
        EXPECT_EQ(k.frames, expected) << s.name;
        EXPECT_EQ(k.totalFrames, 200) << s.name;
        // The command line writes the same list, in each format.
        auto list = fw::test::runCli({"keyframes", file});
        EXPECT_EQ(list.exitCode, 0);
        auto qp = fw::test::runCli({"keyframes", file, "--format", "qpfile"});
        std::string expectedList, expectedQp;
        for (auto n : expected) {
            expectedList += std::to_string(n) + "\n";
            expectedQp += std::to_string(n) + " I\n";
        }
        EXPECT_EQ(list.out, expectedList) << s.name;
        EXPECT_EQ(qp.out, expectedQp) << s.name;
    }
}

}  // namespace
