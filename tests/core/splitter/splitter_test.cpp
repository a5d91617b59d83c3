#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <random>

#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/splitter/splitter.h"
#include "support/temp_home.h"
#include "support/tools.h"

namespace {

using namespace fw::splitter;
namespace fs = std::filesystem;

std::string randomBytes(std::size_t n, unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
}

// Every name in a folder with its bytes (a link by where it points).
std::map<std::string, std::string> folderBytes(const fs::path& dir) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        out[e.path().filename().string()] = e.is_symlink() ? "-> " + fs::read_symlink(e.path()).string() : fw::test::readFile(e.path().string());
    return out;
}

class Splitter : public ::testing::Test {
protected:
    fw::test::TempHome home;
    std::string source(const std::string& name, std::size_t size) {
        std::string p = home.path(name);
        fw::test::writeFile(p, randomBytes(size));
        return p;
    }
};

TEST_F(Splitter, ThreeMillionBytesInMegabytePieces) {
    std::string src = source("movie.avi", 3000000);
    auto r = SplitFile({src, "", 1048576, false, false});
    ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages[0].resolve());
    ASSERT_EQ(r.pieces.size(), 3u);
    EXPECT_EQ(r.pieces[0].second, 1048576);
    EXPECT_EQ(r.pieces[2].second, 902848);
    EXPECT_EQ(fs::path(r.pieces[0].first).filename(), "movie.001");
    EXPECT_EQ(fw::test::readFile(home.path("movie.000")), "avifwsplit3fwfiles1048576");
    EXPECT_EQ(summaryLine(3000000, pieceCount(3000000, 1048576)), "2.86 MB = 3 pieces");
    EXPECT_EQ(pieceSizeForCount(3000000, 3), 1000000);
    EXPECT_EQ(pieceCount(3000000, 1000000), 3);  // an exact multiple: no empty last piece
    EXPECT_EQ(presetBytes("1024 KB"), 1048576);
    EXPECT_EQ(presetBytes("1440 KB"), 1474560);

    // Joined back byte for byte, under the name the record gives.
    const std::string original = fw::test::readFile(src);
    fs::remove(src);
    auto j = AssemblyFiles(home.path("movie.000"));
    ASSERT_TRUE(j.ok);
    EXPECT_EQ(j.output, src);
    EXPECT_EQ(fw::test::readFile(src), original);
    // The closing texts have a blank before the number.
    EXPECT_EQ(r.status.rfind(fw::LangText("FileSplitter", 10) + " ", 0), 0u) << r.status;
    EXPECT_EQ(r.messages[0].resolve().rfind(fw::LangText("FileSplitterMsgBox", 2) + " ", 0), 0u);
}

TEST_F(Splitter, RefusalsWriteNothing) {
    std::string src = source("small.avi", 700 * 1024);
    auto r = SplitFile({src, "", 737280, false, false});  // "720 KB": one piece
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages[0].text, (fw::LangKey{"FileSplitterMsgBox", 1}));
    EXPECT_FALSE(fs::exists(home.path("small.000")));
    EXPECT_FALSE(SplitFile({home.path("none.avi"), "", 1000, false, false}).ok);
    EXPECT_FALSE(SplitFile({source("noext", 5000), "", 1000, false, false}).ok);  // a name without "."
    EXPECT_TRUE(CheckForFile(""));
    EXPECT_TRUE(CheckForFile(home.path("none.avi")));
    EXPECT_FALSE(CheckForFile(src));
}

TEST_F(Splitter, NamesKeepExtensionAndPieceOneThousand) {
    std::string src = source("clip.mpeg", 1001);
    auto r = SplitFile({src, "", 1, false, true});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(fs::path(r.pieces[0].first).filename(), "clip.001.mpeg");
    EXPECT_EQ(fs::path(r.pieces[999].first).filename(), "clip.1000.mpeg");
    EXPECT_EQ(fw::test::readFile(home.path("clip.000")), "mpeg000fwsplit1001fwfiles1");
    const std::string original = fw::test::readFile(src);
    fs::remove(src);
    auto j = AssemblyFiles(home.path("clip.000"));
    ASSERT_TRUE(j.ok) << (j.messages.empty() ? "" : j.messages[0].resolve());
    EXPECT_EQ(j.output, src);  // marker dropped, suffix on each piece: the source comes back
    EXPECT_EQ(fw::test::readFile(src), original);
    EXPECT_EQ(pieceName("a.", 7, ""), "a.007");
}

TEST_F(Splitter, ScriptsShortStemsAndTheShellRebuild) {
    std::string src = source("movie.avi", 5000);
    auto r = SplitFile({src, "", 2000, true, false});
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.infoFile.empty());  // a short stem: no info file with the script
    EXPECT_FALSE(fs::exists(home.path("movie.000")));
    const std::string bat = fw::test::readFile(r.batScript);
    EXPECT_EQ(fs::path(r.batScript).filename(), "movie.avi - rebuild.bat");
    EXPECT_NE(bat.find("\r\nCOPY /B movie.001+movie.002+movie.003 movie.\r\nREN movie. \"movie.avi\"\r\n"), std::string::npos);
    EXPECT_EQ(bat.rfind("@ECHO off\r\nECHO.\r\n", 0), 0u);

    const std::string original = fw::test::readFile(src);
    fs::remove(src);
    ASSERT_EQ(fw::test::sh("sh " + fw::test::quote(r.shScript)), 0);
    EXPECT_EQ(fw::test::readFile(src), original);

    std::string longName = source("long movie title.avi", 5000);
    r = SplitFile({longName, "", 2000, true, false});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(fs::path(r.pieces[0].first).filename(), "long m~1.001");
    EXPECT_EQ(fw::test::readFile(r.infoFile), "avifwsplit3fwfiles2000");
    EXPECT_NE(fw::test::readFile(r.batScript).find("REN \"long m~1.\" \"long movie title.avi\""), std::string::npos);
}

TEST_F(Splitter, SourcesNamedLikeTheirOwnPiecesAreRefusedBeforeAnyWrite) {
    // Each row: the source's name and the options. The split would overwrite or delete the source.
    struct Case {
        const char* name;
        bool script, keepExt;
    };
    const Case cases[] = {
        {"backup.000", false, false},  // the info record
        {"clip.001", false, false},    // piece 1
        {"clip.002", false, true},     // piece 2, with or without the kept extension
        {"film.003.003", false, true}, // piece 3 with the kept extension
        {"movie.001", true, false},    // piece 1, with the rebuild script
    };
    for (const auto& c : cases) {
        const std::string src = source(c.name, 5000);
        const std::string before = fw::test::readFile(src);
        auto entries = [&] { return std::distance(fs::directory_iterator(home.dir()), fs::directory_iterator()); };
        const auto files = entries();
        auto r = SplitFile({src, "", 2000, c.script, c.keepExt});
        EXPECT_FALSE(r.ok) << c.name;
        ASSERT_FALSE(r.messages.empty()) << c.name;
        EXPECT_EQ(r.messages[0].text, (fw::LangKey{"FileSplitterMsgBox", 21})) << c.name;
        EXPECT_EQ(fw::test::readFile(src), before) << c.name;
        EXPECT_EQ(entries(), files) << c.name << ": something was written";
        fs::remove(src);
    }
    // A name that only looks alike splits as usual.
    EXPECT_TRUE(SplitFile({source("clip.1", 5000), "", 2000, false, false}).ok);
}

TEST_F(Splitter, CountModeWritesTheCountAskedFor) {
    // Count mode: N pieces of total / N bytes (halves to even), the last holding the rest. Every
    // total from 1,000,000 to 1,000,050 in 2 to 9 pieces comes back byte for byte.
    const std::string data = randomBytes(1000050, 11);
    for (std::int64_t total = 1000000; total <= 1000050; ++total) {
        const std::string src = home.path("count.bin");
        fw::test::writeFile(src, data.substr(0, static_cast<std::size_t>(total)));
        for (std::int64_t n = 2; n <= 9; ++n) {
            SplitRequest req{src, "", 0, false, false, n};
            auto r = SplitFile(req);
            ASSERT_TRUE(r.ok) << total << " in " << n;
            ASSERT_EQ(r.count, n);
            ASSERT_EQ(static_cast<std::int64_t>(r.pieces.size()), n);
            const std::int64_t size = static_cast<std::int64_t>(fw::roundHalfEven(double(total) / n, 0));
            EXPECT_EQ(r.pieceSize, size);
            EXPECT_EQ(r.pieces.back().second, total - (n - 1) * size);
            EXPECT_EQ(fw::test::readFile(home.path("count.000")), "binfwsplit" + std::to_string(n) + "fwfiles" + std::to_string(size));
            auto j = AssemblyFiles(home.path("count.000"));
            ASSERT_TRUE(j.ok) << total << " in " << n;
            ASSERT_TRUE(fw::test::readFile(src) == data.substr(0, static_cast<std::size_t>(total))) << total << " in " << n;
            for (const auto& p : r.pieces) fs::remove(p.first);
        }
    }
    // 3,000,000 bytes in 3 pieces: 1,000,000 each. More pieces than bytes: refused.
    const std::string three = source("three.bin", 3000000);
    auto r = SplitFile({three, "", 0, false, false, 3});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pieces[2].second, 1000000);
    r = SplitFile({source("tiny.bin", 3), "", 0, false, false, 4});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages[0].text, (fw::LangKey{"FileSplitterMsgBox", 22}));
}

TEST_F(Splitter, JoinReadsEverySetTheSplitRulesMake) {
    // Sets written by hand: the record and the pieces' lengths. The last piece may be empty or a
    // little longer; a middle piece must be whole.
    struct Case {
        const char* what;
        std::vector<std::int64_t> lengths;  // -1: the piece is missing
        std::int64_t pieceSize;
        bool joins;
    };
    const Case cases[] = {
        {"an empty last piece (an exact multiple, Int + 1)", {1000, 1000, 0}, 1000, true},
        {"a longer last piece (count mode)", {333, 333, 334}, 333, true},
        {"a shorter last piece", {1000, 1000, 1}, 1000, true},
        {"a short middle piece", {1000, 999, 1000}, 1000, false},
        {"a missing middle piece", {1000, -1, 1000}, 1000, false},
        {"a missing last piece", {1000, 1000, -1}, 1000, false},
        {"a last piece far too long", {1000, 1000, 5000}, 1000, false},
    };
    for (const auto& c : cases) {
        std::string expected;
        for (std::size_t k = 0; k < c.lengths.size(); ++k) {
            const std::string piece = home.path("set." + std::string(k < 9 ? "00" : "0") + std::to_string(k + 1));
            fs::remove(piece);
            if (c.lengths[k] < 0) continue;
            const std::string bytes = randomBytes(static_cast<std::size_t>(c.lengths[k]), static_cast<unsigned>(k + 1));
            fw::test::writeFile(piece, bytes);
            expected += bytes;
        }
        fw::test::writeFile(home.path("set.000"), infoRecord("bin", "", static_cast<std::int64_t>(c.lengths.size()), c.pieceSize));
        fs::remove(home.path("set.bin"));
        auto j = AssemblyFiles(home.path("set.000"));
        EXPECT_EQ(j.ok, c.joins) << c.what;
        if (c.joins) EXPECT_TRUE(fw::test::readFile(home.path("set.bin")) == expected) << c.what;
        else EXPECT_FALSE(fs::exists(home.path("set.bin"))) << c.what;
    }
}

TEST_F(Splitter, ShortNamesWithTheScriptAndKeptExtensionJoinBack) {
    std::string src = source("a long name.avi", 5000);
    auto r = SplitFile({src, "", 2000, true, true});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(fs::path(r.pieces[0].first).filename(), "a long~1.001.avi");
    const std::string original = fw::test::readFile(src);
    fs::remove(src);
    auto j = AssemblyFiles(home.path("a long~1.000"));
    ASSERT_TRUE(j.ok) << (j.messages.empty() ? "" : j.messages[0].resolve());
    // The shell script beside the pieces names the original: the join takes that name back.
    EXPECT_EQ(j.output, src);
    EXPECT_TRUE(fw::test::readFile(j.output) == original);
    EXPECT_NE(j.status.find("(a long name.avi)"), std::string::npos) << j.status;

    // Without the script, the short stem is all the join knows.
    fs::remove(src);
    fs::remove(r.shScript);
    j = AssemblyFiles(home.path("a long~1.000"));
    ASSERT_TRUE(j.ok);
    EXPECT_EQ(fs::path(j.output).filename(), "a long~1.avi");
}

// A set comes from anywhere, with whatever files beside it: the join writes its one joined file,
// and reads only the set's own pieces.
TEST_F(Splitter, HostileSetsWriteOnlyTheirJoinedFile) {
    const auto script = [&](const std::string& file, const std::string& named) {
        fw::test::writeFile(home.path("set/" + file), "#!/bin/sh\nmv 'a long~1.rebuild-part' '" + named + "'\n");
    };
    struct Case {
        const char* what;
        std::function<void()> arrange;
        const char* joined;  // nothing: refused
    };
    const Case cases[] = {
        {"the set's own script", [&] { script("a long name.avi - rebuild.sh", "a long name.avi"); }, "a long name.avi"},
        {"a script that names another file", [&] { script("x - rebuild.sh", "precious.txt"); }, "a long~1.avi"},
        {"a script that names a file already there",
         [&] {
             fw::test::writeFile(home.path("set/a long name.avi"), "mine");
             script("a long name.avi - rebuild.sh", "a long name.avi");
         },
         "a long~1.avi"},
        {"a script named for a file the stem is not short for",
         [&] { script("precious.txt - rebuild.sh", "precious.txt"); }, "a long~1.avi"},
        {"a script whose line names another file than its name",
         [&] {
             fw::test::writeFile(home.path("set/a long precious.txt"), "mine");
             script("a long name.avi - rebuild.sh", "a long precious.txt");
         },
         "a long~1.avi"},
        {"a piece that links to a file outside the set",
         [&] {
             fs::remove(home.path("set/a long~1.002"));
             fs::create_symlink("../secret", home.path("set/a long~1.002"));
         },
         nullptr},
    };
    fw::test::writeFile(home.path("secret"), std::string(1000, 's'));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(home.path("set"));
        fs::create_directories(home.path("set"));
        fw::test::writeFile(home.path("set/a long~1.000"), "avifwsplit2fwfiles1000");
        for (const char* piece : {"set/a long~1.001", "set/a long~1.002"}) fw::test::writeFile(home.path(piece), std::string(1000, 'p'));
        fw::test::writeFile(home.path("set/precious.txt"), "mine");
        c.arrange();
        const auto before = folderBytes(home.path("set"));
        auto j = AssemblyFiles(home.path("set/a long~1.000"));
        EXPECT_EQ(j.ok, c.joined != nullptr);
        if (c.joined) {
            EXPECT_EQ(j.output, home.path(std::string("set/") + c.joined));
            EXPECT_EQ(fw::test::readFile(j.output), std::string(2000, 'p'));
        } else {
            EXPECT_EQ(j.messages.at(0).text, (fw::LangKey{"FileSplitterMsgBox", 27}));
            EXPECT_EQ(j.messages.at(0).suffix, " " + home.path("set/a long~1.002"));
        }
        auto after = folderBytes(home.path("set"));
        if (c.joined) after.erase(c.joined);
        EXPECT_EQ(after, before);
        EXPECT_EQ(fw::test::readFile(home.path("set/precious.txt")), "mine");
        EXPECT_EQ(fw::test::readFile(home.path("secret")), std::string(1000, 's'));
    }
}

TEST_F(Splitter, RefusalsNameTheirCause) {
    const std::string src = source("film.avi", 5000);
    fw::test::writeFile(home.path("a-file"), "x");
    struct Case {
        SplitRequest request;
        int key;
    };
    const Case cases[] = {
        {{src, "", 0, false, false, 1}, 25},          {{src, "", 0, false, false, -2}, 25},
        {{src, "", 0, false, false}, 26},             {{src, "", -5, false, false}, 26},
        {{src, home.path("no/such/dir"), 1000, false, false}, 24}, {{src, home.path("a-file"), 1000, false, false}, 24},
    };
    for (const auto& c : cases) {
        auto r = SplitFile(c.request);
        EXPECT_FALSE(r.ok) << c.key;
        ASSERT_FALSE(r.messages.empty()) << c.key;
        EXPECT_EQ(r.messages[0].text, (fw::LangKey{"FileSplitterMsgBox", c.key}));
    }
    EXPECT_FALSE(fs::exists(home.path("film.000")));
}

TEST_F(Splitter, DamagedInfoRecordsAreRefusedBeforeAnyWrite) {
    fw::test::writeFile(home.path("set.001"), std::string(1000, 'a'));
    // A set that brings a folder named like its joined file: a "/" in the extension would write
    // through it to anywhere.
    fs::create_directories(home.path("set.x"));
    const std::string records[] = {
        "avi",                                 // no markers
        "avifwsplitfwfiles1000",               // no count
        "avifwsplit0fwfiles1000",              // no pieces
        "avifwsplit2.5fwfiles1000",            // half a piece
        "avifwsplit3fwfiles-5",                // a negative size
        "avifwsplit3fwfiles1e30",              // past any integer
        "avifwsplit3fwfilesinf",
        "avifwsplit1000000fwfiles10000000000000",  // a set past 2^63 bytes
        "x/../outsidefwsplit1fwfiles1000",     // a folder in the extension
        "x/../outside000fwsplit1fwfiles1000",
        std::string("avi\0x", 5) + "fwsplit1fwfiles1000",  // a NUL would cut the name short
    };
    for (const std::string& record : records) {
        fw::test::writeFile(home.path("set.000"), record);
        auto r = fw::splitter::AssemblyFiles(home.path("set.000"));
        EXPECT_FALSE(r.ok) << record;
        ASSERT_FALSE(r.messages.empty()) << record;
        EXPECT_EQ(r.messages[0].text, (fw::LangKey{"FileSplitterMsgBox", 4})) << record;
        EXPECT_FALSE(fs::exists(home.path("set.avi"))) << record;
        EXPECT_FALSE(fs::exists(home.path("outside"))) << record;
    }
}

TEST(RebuildScript, NamesOnlyAFileInItsOwnFolder) {
    const struct {
        std::string line;
        std::optional<std::string> name;
    } cases[] = {
        {"mv 'clip.rebuild-part' 'it'\\''s.avi'\n", "it's.avi"},
        {"mv 'clip.rebuild-part' 'last line.avi'", "last line.avi"},
        {"mv 'other.rebuild-part' 'x.avi'\n", std::nullopt},  // another set's script
        {"mv 'clip.rebuild-part' '../x.avi'\n", std::nullopt},
        {"mv 'clip.rebuild-part' '/etc/x'\n", std::nullopt},
        {"mv 'clip.rebuild-part' '..'\n", std::nullopt},
        {"mv 'clip.rebuild-part' ''\n", std::nullopt},
        {"mv 'clip.rebuild-part' 'open\n", std::nullopt},
        {"mv 'clip.rebuild-part' 'a'b'\n", std::nullopt},
        {std::string("mv 'clip.rebuild-part' 'a\0b'\n", 29), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(nameInRebuildScript("#!/bin/sh\n" + c.line, "clip."), c.name) << c.line;
}

TEST_F(Splitter, AJoinNeverWritesOverItsOwnSet) {
    // clip.001 split into another folder: its set is clip.000, clip.001... and the joined file
    // would be clip.001, piece 1. The join refuses before writing.
    fs::create_directories(home.path("a"));
    fs::create_directories(home.path("b"));
    const std::string src = home.path("a/clip.001");
    fw::test::writeFile(src, randomBytes(3000));
    ASSERT_TRUE(SplitFile({src, home.path("b"), 0, false, false, 3}).ok);
    std::vector<std::string> before;
    for (int k = 0; k <= 3; ++k) before.push_back(fw::test::readFile(home.path("b/clip.00" + std::to_string(k))));
    auto j = AssemblyFiles(home.path("b/clip.000"));
    EXPECT_FALSE(j.ok);
    EXPECT_EQ(j.messages.at(0).text, (fw::LangKey{"FileSplitterMsgBox", 23}));
    for (int k = 0; k <= 3; ++k) EXPECT_EQ(fw::test::readFile(home.path("b/clip.00" + std::to_string(k))), before[static_cast<std::size_t>(k)]);
    // An info record that ends with a line break still reads.
    fw::test::writeFile(home.path("b/other.000"), "binfwsplit3fwfiles1000\r\n");
    for (int k = 1; k <= 3; ++k) fw::test::writeFile(home.path("b/other.00" + std::to_string(k)), std::string(1000, 'x'));
    EXPECT_TRUE(AssemblyFiles(home.path("b/other.000")).ok);
}

TEST_F(Splitter, RebuildScriptsTakeAnyName) {
    // Names a shell or cmd would misread: blanks, quotes, "$", "&", a line break. The shell script
    // rebuilds the file byte for byte and makes nothing else; the batch file quotes what cmd splits.
    for (const std::string name : {"two words.avi", "it's $HOME & more.avi", "ab\ntouch PWNED\n.avi"}) {
        fs::remove_all(home.path("s"));
        fs::create_directories(home.path("s"));
        const std::string src = home.path("s/" + name);
        const std::string bytes = randomBytes(5000);
        fw::test::writeFile(src, bytes);
        auto r = SplitFile({src, "", 2000, true, false});
        ASSERT_TRUE(r.ok) << name;
        fs::remove(src);
        ASSERT_EQ(fw::test::sh("cd " + fw::test::quote(home.path("s")) + " && sh " + fw::test::quote(r.shScript)), 0) << name;
        EXPECT_TRUE(fw::test::readFile(src) == bytes) << name;
        EXPECT_FALSE(fs::exists(home.path("s/PWNED")));
        const std::string bat = fw::test::readFile(r.batScript);
        // Short stems keep their first six characters: "two wo~1." has a blank, "it's $~1." a "$"
        // that cmd takes as it is, so only the first is quoted.
        EXPECT_EQ(bat.find("COPY /B \"two wo~1.001\"") != std::string::npos, name == "two words.avi") << bat;
    }
    // A short stem holds a blank of its own: "long m~1." is quoted.
    const std::string longName = source("long movie title.avi", 5000);
    auto r = SplitFile({longName, "", 2000, true, false});
    ASSERT_TRUE(r.ok);
    EXPECT_NE(fw::test::readFile(r.batScript).find("COPY /B \"long m~1.001\"+\"long m~1.002\"+\"long m~1.003\" \"long m~1.\"\r\n"), std::string::npos);
}

TEST_F(Splitter, RoundTripsAroundBlockBoundaries) {
    const std::int64_t block = 16 << 20;
    const std::int64_t sizes[] = {block - 1, block, block + 1, 2 * block + 7};
    for (std::int64_t total : sizes) {
        for (std::int64_t piece : {block - 1, block, block + 1, total / 2 + 1}) {
            if (pieceCount(total, piece) < 2) continue;
            std::string src = source("round.bin", static_cast<std::size_t>(total));
            const std::string original = fw::test::readFile(src);
            auto r = SplitFile({src, "", piece, false, false});
            ASSERT_TRUE(r.ok) << total << "/" << piece;
            fs::remove(src);
            ASSERT_TRUE(AssemblyFiles(home.path("round.000")).ok) << total << "/" << piece;
            EXPECT_TRUE(fw::test::readFile(src) == original) << total << "/" << piece;
            for (const auto& p : r.pieces) fs::remove(p.first);
        }
    }
}

// Over an earlier set of the same names, a split that ends early never leaves a set that joins
// half old, half new.
// A split that fails leaves an earlier set of the same names as it was, bit for bit, and one that
// stops leaves no set that joins half old, half new.
TEST_F(Splitter, AFailedSplitLeavesAnEarlierSetWhole) {
    struct Case {
        const char* what;
        std::function<void()> arrange;  // after the earlier set is in place
        std::function<bool(std::uint64_t, std::uint64_t)> progress;
        int key;  // the refusal's message; 0: a stop
    };
    const std::string blocker = home.path("set/mix.004");
    int calls = 0;
    const Case cases[] = {
        {"a folder under a piece's name", [&] { fs::create_directories(blocker + "/inside"); }, {}, 28},
        {"a folder that comes while the pieces are written", [] {},
         [&](std::uint64_t done, std::uint64_t total) {
             if (done == total) fs::create_directories(blocker + "/inside");
             return true;
         },
         3},
        {"a stop after the first piece", [] {}, [&](std::uint64_t, std::uint64_t) { return ++calls < 2; }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(home.path("set"));
        fs::create_directories(home.path("set"));
        const std::string src = home.path("set/mix.bin");
        const std::string earlier = randomBytes(3000, 1);
        fw::test::writeFile(src, earlier);
        ASSERT_TRUE(SplitFile({src, "", 1000, false, false}).ok);  // the earlier set: 000 to 003
        c.arrange();
        const std::string newer = randomBytes(4000, 2) + "new";
        fw::test::writeFile(src, newer);
        const auto before = folderBytes(home.path("set"));
        calls = 0;
        auto r = SplitFile({src, "", 1000, false, false}, fw::Progress(c.progress));
        EXPECT_FALSE(r.ok);
        fs::remove(src);
        if (c.key) {
            ASSERT_FALSE(r.messages.empty());
            EXPECT_EQ(r.messages[0].text, (fw::LangKey{"FileSplitterMsgBox", c.key}));
            auto after = folderBytes(home.path("set"));
            after["mix.bin"] = newer;
            if (!before.count("mix.004")) after.erase("mix.004");  // the folder that came
            EXPECT_TRUE(after == before);
            ASSERT_TRUE(AssemblyFiles(home.path("set/mix.000")).ok);
            EXPECT_EQ(fw::test::readFile(src), earlier);
        } else {
            auto j = AssemblyFiles(home.path("set/mix.000"));
            EXPECT_TRUE(!j.ok || fw::test::readFile(src) == newer) << "a joined mix";
        }
        for (const auto& e : fs::directory_iterator(home.path("set")))
            EXPECT_NE(e.path().filename().string().rfind(".mix", 0), 0u) << "left behind: " << e.path();
    }
}

TEST_F(Splitter, StopAndMissingPiecesLeaveNothingThatLooksFinished) {
    std::string src = source("stop.avi", 3 * 1048576);
    int calls = 0;
    auto r = SplitFile({src, "", 1048576, false, false}, fw::Progress([&](std::uint64_t, std::uint64_t) { return ++calls < 2; }));
    EXPECT_TRUE(r.stopped);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.pieces.size(), 1u);  // the finished first piece stays
    EXPECT_FALSE(fs::exists(home.path("stop.002")));
    for (const auto& e : fs::directory_iterator(home.dir()))
        EXPECT_EQ(e.path().filename().string().find(".stop.002"), std::string::npos) << "a temporary piece was left";

    // A join with a short piece names it and writes nothing.
    r = SplitFile({src, "", 1048576, false, false});
    ASSERT_TRUE(r.ok);
    fs::remove(src);
    fw::test::writeFile(home.path("stop.002"), "short");
    auto j = AssemblyFiles(home.path("stop.000"));
    EXPECT_FALSE(j.ok);
    EXPECT_NE(j.messages[0].resolve().find("stop.002"), std::string::npos);
    EXPECT_FALSE(fs::exists(src));
    fs::remove(home.path("stop.003"));
    fw::test::writeFile(home.path("stop.002"), std::string(1048576, 'x'));
    j = AssemblyFiles(home.path("stop.000"));
    EXPECT_NE(j.messages[0].resolve().find("stop.003"), std::string::npos);
    // Not an info record at all.
    fw::test::writeFile(home.path("junk.000"), "hello");
    EXPECT_EQ(AssemblyFiles(home.path("junk.000")).messages[0].text.key, 4);
}

}  // namespace
