// Small files that declare or repeat far more than they hold: the work each reader does must stay
// within what the file's bytes can honestly carry, and the counts must not be multiplied.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/avi/avi_health.h"
#include "core/avi/inspector.h"
#include "fixtures/byte_writer.h"
#include "support/temp_home.h"

namespace {

using Bytes = std::string;

Bytes le32(std::uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
Bytes le16(std::uint16_t v) { return {char(v), char(v >> 8)}; }
Bytes le64(std::uint64_t v) { return le32(std::uint32_t(v)) + le32(std::uint32_t(v >> 32)); }
Bytes chunk(const Bytes& id, const Bytes& data) { return id + le32(std::uint32_t(data.size())) + data + (data.size() % 2 ? Bytes(1, '\0') : ""); }

// One XviD video stream, 25 fps; extra goes into its strl (an indx), between goes between the
// header list and the movi list.
Bytes headerList(const Bytes& extra = "") {
    Bytes avih = le32(40000) + le32(0) + le32(0) + le32(0x10) + le32(1) + le32(0) + le32(1) + le32(0) + le32(320) + le32(240) + Bytes(16, '\0');
    Bytes strh = "vidsXVID" + le32(0) + le16(0) + le16(0) + le32(0) + le32(1) + le32(25) + le32(0) + le32(100) + le32(0) + le32(0) + le32(0) + Bytes(8, '\0');
    Bytes strf = le32(40) + le32(320) + le32(240) + le16(1) + le16(24) + "XVID" + Bytes(20, '\0');
    return chunk("LIST", "hdrl" + chunk("avih", avih) + chunk("LIST", "strl" + chunk("strh", strh) + chunk("strf", strf) + extra));
}

Bytes riff(const Bytes& body) { return "RIFF" + le32(std::uint32_t(4 + body.size())) + "AVI " + body; }

// A super index whose k entries point at standard indexes every 16 bytes of one pattern, each
// reading on to the end of the file.
Bytes overlappingStandardIndexes(int k) {
    auto build = [&](std::uint64_t patternPos) {
        Bytes entries;
        for (int j = 0; j < k; ++j) entries += le64(patternPos + 16u * j) + le32(0) + le32(0);
        return headerList(chunk("indx", le16(4) + Bytes(1, 0) + Bytes(1, 0) + le32(k) + "00dc" + Bytes(12, '\0') + entries));
    };
    const Bytes pattern = Bytes("\0\0dc", 4) + le32(0x7FFFFFFF) + Bytes("\2\0\0\1", 4) + le32(0x7FFFFFFF);
    Bytes movi = "movi";
    for (int j = 0; j < k; ++j) movi += pattern;
    const std::uint64_t patternPos = 12 + build(0).size() + 12;
    return riff(build(patternPos) + "LIST" + le32(std::uint32_t(movi.size())) + movi);
}

// Many RIFF AVIX parts, each with a movi list that claims 2 GB, before a few real chunks.
Bytes overlappingMoviLists(int parts, int chunks) {
    Bytes f = riff(headerList() + chunk("LIST", "movi" + chunk("00dc", "")));
    for (int p = 0; p < parts; ++p) f += "RIFF" + le32(16) + "AVIX" + "LIST" + le32(0x7FFFFFFF) + "movi";
    for (int c = 0; c < chunks; ++c) f += chunk("00dc", "");
    return f;
}

// INFO lists of empty tags.
Bytes manyInfoTags(int lists, int tagsEach) {
    Bytes info = "INFO";
    for (int i = 0; i < tagsEach; ++i) info += chunk("IXXX", "");
    Bytes body = headerList();
    for (int l = 0; l < lists; ++l) body += chunk("LIST", info);
    return riff(body + chunk("LIST", "movi" + chunk("00dc", "")));
}

TEST(HostileAvi, WorkStaysWithinWhatTheFileHolds) {
    fw::test::TempHome home;
    struct Case {
        const char* what;
        Bytes file;
        std::int64_t mostIndexEntries;  // visited through the index
        std::int64_t mostFrames;        // found in the movi lists by the check
        std::size_t mostChunkRows;      // rows of the inspector's chunk list
    };
    const Bytes odml = overlappingStandardIndexes(1024);
    const Bytes parts = overlappingMoviLists(200, 100);
    const Bytes tags = manyInfoTags(1, 100000);
    const Bytes lists = manyInfoTags(1000, 100);
    const Case cases[] = {
        // Before: about a million entries from 33 KB, each standard index reading to the end.
        {"standard indexes overlapping every 16 bytes", odml, std::int64_t(odml.size() / 8), std::int64_t(odml.size() / 8), 10000},
        // Before: every part scanned the chunks after it again, 200 x 100 frames.
        {"movi lists of 200 parts that claim 2 GB each", parts, 1000, 101, 10000},
        // Before: a row per 8-byte tag, 100,000 rows from 800 KB.
        {"an INFO list of 100,000 empty tags", tags, 1000, 1, 2000},
        // The bound is the file's, not each list's: before, 1,000 lists of 1,024 gave a million rows.
        {"1,000 INFO lists of 100 empty tags", lists, 1000, 1, 6000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = home.path("hostile.avi");
        fw::fixtures::writeBytes(path, std::vector<std::uint8_t>(c.file.begin(), c.file.end()));
        std::int64_t visited = 0;
        fw::avi::visitIndex(path, [&](const fw::avi::IndexEntryView&) { ++visited; });
        EXPECT_LE(visited, c.mostIndexEntries);
        const auto health = fw::avi::checkAvi(path);
        EXPECT_LE(health.framesInFile, c.mostFrames);
        const auto r = fw::avi::inspectAvi(path);
        EXPECT_LE(r.info.chunks.size(), c.mostChunkRows);
    }
}

}  // namespace
