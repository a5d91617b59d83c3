// Every writer against a disk that fills up at any point: the user's original stays bit for
// bit, nothing that looks finished stays under the final name, no temporary file is left, and
// the writer says it failed. (The in-place patchers overwrite bytes the file has, which takes no
// room; their failing write, flush and read-back are tested with their own I/O double.) First with the test double of a full disk (writes fail after N
// bytes), then, when the tests run as root, on a real small file system.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <cstring>
#include <map>

#include "core/avi/avi_repair.h"
#include "core/avi/inspector.h"
#include "core/codecdb/codec_db.h"
#include "core/common/file_io.h"
#include "core/common/ini.h"
#include "core/dvd/chapters.h"
#include "core/splitter/splitter.h"
#include "core/stats/stats_file.h"
#include "core/wav/converter.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "fixtures/mod_builder.h"
#include "fixtures/stats_builder.h"
#include "support/temp_home.h"

namespace {

namespace fs = std::filesystem;
using Snapshot = std::map<std::string, std::string>;

// Every file under dir (hidden ones too) with its bytes.
Snapshot snapshot(const fs::path& dir) {
    Snapshot s;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) s[fs::relative(e.path(), dir).string()] = fw::test::readFile(e.path().string());
    return s;
}

// What differs between two snapshots, by name: "" when nothing does.
std::string differences(const Snapshot& before, const Snapshot& after) {
    std::string d;
    for (const auto& [name, bytes] : after) {
        auto it = before.find(name);
        if (it == before.end()) d += " added " + name + ";";
        else if (it->second != bytes) d += " changed " + name + ";";
    }
    for (const auto& [name, bytes] : before)
        if (!after.count(name)) d += " removed " + name + ";";
    return d;
}

struct Writer {
    const char* name;
    // Makes the inputs in dir (with the disk still working).
    std::function<void(const fs::path& dir)> setup;
    // Runs the writer; true when it says it succeeded.
    std::function<bool(const fs::path& dir)> run;
};

void writeBytes(const fs::path& p, const std::vector<std::uint8_t>& b) { fw::test::writeFile(p.string(), std::string(b.begin(), b.end())); }

std::vector<Writer> writers() {
    using namespace fw;
    auto avi = [](const fs::path& d) { writeBytes(d / "movie.avi", fw::fixtures::buildAvi({})); };
    auto stats = [](const fs::path& d) { writeBytes(d / "movie.stats", fw::fixtures::buildStats(fw::fixtures::statsPattern(3000))); };
    return {
        {"inspector report", [](const fs::path& d) { fw::test::writeFile((d / "report.txt").string(), "an earlier report\r\n"); },
         [](const fs::path& d) { return avi::appendReport((d / "report.txt").string(), std::string(3000, 'r')); }},
        {"header export", avi,
         [](const fs::path& d) { return avi::saveHeader((d / "movie.avi").string(), (d / "header.avi").string(), 2000); }},
        {"stats rescale", stats,
         [](const fs::path& d) {
             auto a = stats::AnalizeStats((d / "movie.stats").string());
             return a.ok && stats::rescaleStats((d / "movie.stats").string(), (d / "small.stats").string(), 500, a.summary).ok;
         }},
        {"stats report", stats,
         [](const fs::path& d) {
             auto a = stats::AnalizeStats((d / "movie.stats").string());
             return a.ok && stats::writeStatsReport((d / "report.txt").string(), (d / "movie.stats").string(), a, true, "d", "t");
         }},
        {"stats key frame", stats,
         [](const fs::path& d) {
             auto a = stats::AnalizeStats((d / "movie.stats").string());
             return a.ok && stats::insertKeyFrame((d / "movie.stats").string(), 100, stats::KeySize::LargestI, 0, a.summary).modified;
         }},
        {"chapter file", [](const fs::path&) {},
         [](const fs::path& d) {
             std::vector<dvd::ChapterRow> rows(40, {"Chapter", "00:01:00.000", "1500"});
             return !dvd::writeChapters((d / "movie").string(), dvd::ChapterFormat::Ogg, rows).empty();
         }},
        {"chapter key frames", stats,
         [](const fs::path& d) {
             std::vector<dvd::ChapterRow> rows;
             for (int f = 100; f < 2900; f += 100) rows.push_back({"c", "00:00:00.000", std::to_string(f)});
             return dvd::StatSynch((d / "movie.stats").string(), rows).ok;
         }},
        {"split", [](const fs::path& d) { fw::test::writeFile((d / "big.bin").string(), std::string(300000, 'b')); },
         [](const fs::path& d) {
             splitter::SplitRequest r;
             r.source = (d / "big.bin").string();
             r.outDir = d.string();
             r.pieceSize = 100000;
             r.script = true;
             return splitter::SplitFile(r).ok;
         }},
        // An earlier set under the same names stays whole until the new one is complete.
        {"split over an earlier set",
         [](const fs::path& d) {
             fw::test::writeFile((d / "big.bin").string(), std::string(300000, 'o'));
             splitter::SplitFile({(d / "big.bin").string(), d.string(), 100000});
             fw::test::writeFile((d / "big.bin").string(), std::string(300000, 'n'));
         },
         [](const fs::path& d) { return splitter::SplitFile({(d / "big.bin").string(), d.string(), 100000}).ok; }},
        {"join",
         [](const fs::path& d) {
             fs::create_directories(d / "pieces");
             splitter::SplitRequest r{(d / "pieces" / "big.bin").string(), (d / "pieces").string(), 100000};
             fw::test::writeFile(r.source, std::string(300000, 'j'));
             splitter::SplitFile(r);
             fs::remove(r.source);
         },
         [](const fs::path& d) { return splitter::AssemblyFiles((d / "pieces" / "big.000").string()).ok; }},
        {"WAV output", [](const fs::path& d) { fw::test::writeFile((d / "tune.mod").string(), fw::fixtures::buildMod()); },
         [](const fs::path& d) {
             auto o = wav::openSource((d / "tune.mod").string());
             return o.decoder && wav::convert(*o.decoder, (d / "tune.wav").string()).ok;
         }},
        {"index repair",
         [](const fs::path& d) {
             fw::fixtures::AviSpec s;
             s.index = false;
             s.totalFrames = 100;
             fw::fixtures::writeBytes((d / "broken.avi").string(), fw::fixtures::buildAvi(s));
         },
         [](const fs::path& d) { return avi::repairAvi((d / "broken.avi").string(), (d / "fixed.avi").string()).ok; }},
        {"settings", [](const fs::path& d) { fw::test::writeFile((d / "settings.ini").string(), "[Preferences]\r\nLanguage=eng\r\n"); },
         [](const fs::path& d) { return WriteIni((d / "settings.ini").string(), "Preferences", "Language", std::string(200, 'i')); }},
    };
}

class FaultInjection : public ::testing::Test {
protected:
    fw::test::TempHome home;
    void TearDown() override { fw::writeFaults::clear(); }
};

TEST_F(FaultInjection, EveryWriterFailsCleanlyWhereverTheDiskFillsUp) {
    for (const Writer& w : writers()) {
        // Sizes of what this writer writes when nothing fails: the budgets cut inside it. Paths of
        // the same length as the runs', since a report names its source.
        const fs::path probe = home.dir() / "a" / "run";
        fs::remove_all(probe);
        fs::create_directories(probe);
        w.setup(probe);
        const std::uint64_t start = fw::writeFaults::written();
        ASSERT_TRUE(w.run(probe)) << w.name << " does not work even without faults";
        const std::uint64_t written = fw::writeFaults::written() - start;
        ASSERT_GT(written, 0u) << w.name;

        for (std::uint64_t budget : {std::uint64_t{0}, std::uint64_t{1}, written / 3, written * 2 / 3, written - 1}) {
            SCOPED_TRACE(std::string(w.name) + ", disk full after " + std::to_string(budget) + " bytes");
            const fs::path dir = home.dir() / "b" / "run";
            fs::remove_all(dir);
            fs::create_directories(dir);
            w.setup(dir);
            const Snapshot original = snapshot(dir);
            fw::writeFaults::failAfter(budget);
            const bool ok = w.run(dir);
            fw::writeFaults::clear();
            EXPECT_FALSE(ok) << "succeeded although the disk was full";
            // Nothing changed, nothing added: the originals bit for bit, no partial output under
            // its final name, no temporary file.
            EXPECT_EQ(differences(original, snapshot(dir)), "");
        }
    }
}

// A real small file system: a 256 KB tmpfs, mounted when the tests run as root.
TEST_F(FaultInjection, ARealFullDiskToo) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    const fs::path mnt = home.dir() / "small";
    fs::create_directories(mnt);
    if (::mount("fwtest", mnt.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "this system does not let the tests mount a tmpfs (" << std::strerror(errno) << ")";
    struct Unmount {
        fs::path p;
        ~Unmount() { ::umount2(p.c_str(), MNT_DETACH); }
    } unmount{mnt};

    // Inputs beside the small disk, outputs on it, each too large for what is left.
    fw::test::writeFile((home.dir() / "big.bin").string(), std::string(400000, 'b'));
    fw::test::writeFile((mnt / "settings.ini").string(), "[Preferences]\r\nLanguage=eng\r\n");
    fw::test::writeFile((mnt / "filler").string(), std::string(200000, 'f'));
    const Snapshot original = snapshot(mnt);

    fw::splitter::SplitRequest r{(home.dir() / "big.bin").string(), mnt.string(), 150000};
    auto split = fw::splitter::SplitFile(r);
    EXPECT_FALSE(split.ok);
    EXPECT_FALSE(split.messages.empty());
    EXPECT_FALSE(fw::avi::saveHeader((home.dir() / "big.bin").string(), (mnt / "header.avi").string(), 300000));
    EXPECT_FALSE(fw::WriteIni((mnt / "settings.ini").string(), "Preferences", "Language", std::string(100000, 'x')));
    fw::test::writeFile((home.dir() / "tune.mod").string(), fw::fixtures::buildMod());
    auto o = fw::wav::openSource((home.dir() / "tune.mod").string());
    ASSERT_TRUE(o.decoder);
    auto wav = fw::wav::convert(*o.decoder, (mnt / "tune.wav").string());
    EXPECT_FALSE(wav.ok);
    EXPECT_EQ(wav.messages.size(), 1u);
    EXPECT_EQ(differences(original, snapshot(mnt)), "");

    // The codec database: made from its seed on first use, into a folder that cannot hold it.
    fs::remove(mnt / "filler");
    fw::test::writeFile((mnt / "filler").string(), std::string(250000, 'f'));
    fw::codecdb::CodecDb db((mnt / "codecs.sqlite").string());
    EXPECT_FALSE(db.isOpen());
    EXPECT_FALSE(fs::exists(mnt / "codecs.sqlite"));
    for (const auto& e : fs::directory_iterator(mnt)) EXPECT_EQ(e.path().filename().string().front() != '.', true) << e.path();
}

}  // namespace
