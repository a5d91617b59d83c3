// The index of an AVI file added up per stream: the idx1 of a file in the old format, or the
// OpenDML indexes (an indx super index in each stream list, pointing at ix## standard indexes
// spread over every RIFF part) of a file above 1 GiB, whose idx1 covers the first part only.
#include <cstring>
#include <functional>
#include <set>

#include "core/avi/avi_internal.h"
#include "core/common/text.h"

namespace fw::avi {

namespace {

// Entries are read in blocks of this many bytes: one read per block, not per entry, and memory
// stays bounded whatever the index size.
constexpr std::size_t kIndexBlock = 4 * 1024 * 1024;

std::uint32_t le32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

bool isVideoType(char a, char b) {
    const char x = toLowerAscii(a), y = toLowerAscii(b);
    // "dc" compressed, "db" uncompressed frames.
    return x == 'd' && (y == 'c' || y == 'b');
}

// The stream number of a chunk id such as "01wb", or -1.
int streamNumber(char a, char b) {
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

class Totals {
public:
    Totals(AviFileInfo& info, const IndexVisitor* visit) : m_info(info), m_visit(visit) {
        m_info.streamTotals.assign(static_cast<std::size_t>(std::max<int>(info.streamCount, 1)), {});
        m_info.keyFrames = m_info.videoBytes = m_info.otherBytes = 0;
    }
    void add(int stream, bool video, bool key, std::uint32_t length, std::int64_t dataPos) {
        if (m_visit && *m_visit) (*m_visit)(IndexEntryView{stream, video, key, length, dataPos});
        if (stream >= 0 && stream < static_cast<int>(m_info.streamTotals.size())) {
            auto& t = m_info.streamTotals[static_cast<std::size_t>(stream)];
            ++t.entries;
            if (length == 0) ++t.emptyEntries;
            t.bytes += length;
            if (key) ++t.keyFrames;
        }
        if (video) {
            if (key) ++m_info.keyFrames;
            m_info.videoBytes += length;
        } else {
            m_info.otherBytes += length;
        }
    }

private:
    AviFileInfo& m_info;
    const IndexVisitor* m_visit;
};

// Where idx1 offsets count from: the "movi" type field, as the format says and writers do, or
// the start of the file, as some old writers did. Told by the first entry's chunk id.
std::int64_t idx1Base(const FileSource& src, const AviFileInfo& info, std::int64_t entriesPos) {
    auto e = src.read(entriesPos, 16);
    if (!e || !info.moviTypePos) return info.moviTypePos.value_or(0);
    const std::string id(reinterpret_cast<const char*>(e->data()), 4);
    const std::int64_t off = le32(e->data() + 8);
    if (src.fourcc(*info.moviTypePos + off) == id) return *info.moviTypePos;
    if (src.fourcc(off) == id) return 0;
    return *info.moviTypePos;
}

bool readIdx1(FileSource& src, AviFileInfo& info, Walk& walk, Progress& progress, const IndexVisitor* visit) {
    // The index follows the movi list; a few chunks (JUNK) may come between. Whatever else lies
    // there is not read as an index: a damaged file's frame data would give invented entries.
    std::int64_t pos = *info.indexPos;
    for (int hops = 0;; ++hops) {
        const auto id = src.fourcc(pos);
        const auto size = src.u32(pos + 4);
        if (id && iequals(*id, "idx1")) break;
        if (!id || !size || hops == 16 || !iequals(*id, "JUNK")) {
            walk.warn("The index the header announces is missing.");
            return false;
        }
        pos += 8 + std::int64_t(*size) + (*size & 1);
    }
    auto sizeField = src.i32(pos + 4);
    if (!sizeField) {
        walk.warn("The index the header announces is missing.");
        return false;
    }
    const std::int64_t size = std::max<std::int32_t>(*sizeField, 0);
    // A chunk after the index (padding some writers add) is listed; the end of the file is no fault.
    if (auto b = src.read(pos + size + 8, 8)) walk.listChunk(*ChunkHeader::parse(*b), pos + size + 8);
    if (size % 16 != 0) walk.warn("The index size is not a whole number of entries.");
    // Entries that the file does not hold are not read.
    std::int64_t entries = size / 16;
    const std::int64_t available = std::max<std::int64_t>(0, (info.fileLength - (pos + 8)) / 16);
    if (entries > available) {
        walk.warn("The index is cut short by the end of the file.");
        entries = available;
    }
    Totals totals(info, visit);
    const std::int64_t base = idx1Base(src, info, pos + 8);
    std::int64_t done = 0;
    std::int64_t at = pos + 8;
    while (done < entries) {
        std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(entries - done, kIndexBlock / 16)) * 16;
        auto block = src.readUpTo(at, want);
        const std::size_t n = block.size() / 16;
        if (n == 0) break;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t* e = block.data() + i * 16;
            const char* id = reinterpret_cast<const char*>(e);
            // A "rec " entry spans chunks that have entries of their own: counting it too would
            // count their bytes twice.
            if (iequals(std::string_view(id, 4), "rec ")) continue;
            const std::uint32_t flags = le32(e + 4);
            totals.add(streamNumber(id[0], id[1]), isVideoType(id[2], id[3]), (flags & AVIIF_KEYFRAME) != 0, le32(e + 12),
                       base + std::int64_t(le32(e + 8)) + 8);
        }
        done += static_cast<std::int64_t>(n);
        at += static_cast<std::int64_t>(n) * 16;
        if (!progress.report(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(entries))) {
            walk.warn("The index reading was stopped.");
            return false;
        }
    }
    info.indexKind = IndexKind::Idx1;
    return true;
}

// A standard index (ix##, or an indx that indexes chunks itself): where its entries are.
struct ChunkIndex {
    int stream = 0;
    bool video = false;
    std::int64_t base = 0;  // qwBaseOffset: entries' offsets count from here
    std::int64_t entriesPos = 0;
    std::int64_t entries = 0;
    std::int64_t stride = 8;
};

// Reads the 32-byte header of an index chunk at pos. Entries are bounded by the chunk's size
// and by the file, whatever the count field says.
std::optional<ChunkIndex> standardIndexAt(const FileSource& src, std::int64_t pos, int stream) {
    auto h = src.read(pos, 32);
    if (!h) return std::nullopt;
    const std::uint8_t* b = h->data();
    const std::uint16_t longs = static_cast<std::uint16_t>(b[8] | b[9] << 8);
    if (b[11] != 1 || (longs != 2 && longs != 3)) return std::nullopt;  // AVI_INDEX_OF_CHUNKS
    ChunkIndex ix;
    ix.stream = stream;
    ix.video = isVideoType(static_cast<char>(b[18]), static_cast<char>(b[19]));
    ix.stride = longs * 4;
    ix.entriesPos = pos + 32;
    std::uint64_t base;
    std::memcpy(&base, b + 20, 8);
    ix.base = base > static_cast<std::uint64_t>(src.size()) ? 0 : static_cast<std::int64_t>(base);
    const std::int64_t declared = le32(b + 12);
    const std::int64_t bySize = (std::int64_t(le32(b + 4)) - 24) / ix.stride;
    const std::int64_t byFile = (src.size() - ix.entriesPos) / ix.stride;
    ix.entries = std::max<std::int64_t>(0, std::min({declared, bySize, byFile}));
    return ix;
}

bool readOpenDml(FileSource& src, AviFileInfo& info, Walk& walk, Progress& progress, const IndexVisitor* visit) {
    std::vector<ChunkIndex> indexes;
    std::set<std::int64_t> seen;  // an index listed twice is read once
    const int streams = std::min<int>(info.streamCount, kMaxStreams);
    for (int s = 0; s < streams; ++s) {
        const auto& at = info.superIndexPos[static_cast<std::size_t>(s)];
        if (!at) continue;
        auto h = src.read(*at, 32);
        if (!h) continue;
        const std::uint8_t* b = h->data();
        if (b[11] == 1) {  // the indx indexes the chunks itself
            if (auto ix = standardIndexAt(src, *at, s); ix && seen.insert(*at).second) indexes.push_back(*ix);
            continue;
        }
        const std::uint16_t longs = static_cast<std::uint16_t>(b[8] | b[9] << 8);
        if (b[11] != 0 || longs != 4) continue;  // AVI_INDEX_OF_INDEXES, 16-byte entries
        const std::int64_t declared = le32(b + 12);
        const std::int64_t bySize = (std::int64_t(le32(b + 4)) - 24) / 16;
        const std::int64_t count = std::max<std::int64_t>(0, std::min(declared, bySize));
        auto table = src.readUpTo(*at + 32, static_cast<std::size_t>(std::min<std::int64_t>(count, kIndexBlock / 16) * 16));
        for (std::size_t e = 0; e + 16 <= table.size(); e += 16) {
            std::uint64_t offset;
            std::memcpy(&offset, table.data() + e, 8);
            if (offset > static_cast<std::uint64_t>(src.size())) {
                walk.warn("An OpenDML index points past the end of the file.");
                continue;
            }
            const auto pos = static_cast<std::int64_t>(offset);
            if (!seen.insert(pos).second) continue;
            if (auto ix = standardIndexAt(src, pos, s)) indexes.push_back(*ix);
            else walk.warn("An OpenDML index entry does not point at a standard index.");
        }
    }
    // Standard indexes never share bytes in a real file. One whose header lies inside another's
    // entries is dropped: otherwise a few kilobytes could list a standard index every 16 bytes,
    // each reading all the entries after it, and the work would grow with the square of the file.
    {
        std::vector<std::size_t> order(indexes.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return indexes[a].entriesPos < indexes[b].entriesPos; });
        std::vector<bool> drop(indexes.size(), false);
        std::int64_t coveredTo = 0;
        for (std::size_t i : order) {
            const ChunkIndex& ix = indexes[i];
            if (ix.entriesPos - 32 < coveredTo) {
                drop[i] = true;
                continue;
            }
            coveredTo = ix.entriesPos + ix.entries * ix.stride;
        }
        std::size_t kept = 0;
        for (std::size_t i = 0; i < indexes.size(); ++i)
            if (!drop[i]) indexes[kept++] = indexes[i];
        if (kept < indexes.size()) walk.warn("OpenDML indexes overlap; the overlapping ones were not read.");
        indexes.resize(kept);
    }
    bool videoIndexed = false;
    std::int64_t total = 0;
    for (const auto& ix : indexes) {
        videoIndexed = videoIndexed || (ix.stream == 0 && ix.entries > 0);
        total += ix.entries;
    }
    if (!videoIndexed) return false;

    Totals totals(info, visit);
    std::int64_t done = 0;
    for (const auto& ix : indexes) {
        std::int64_t left = ix.entries;
        std::int64_t at = ix.entriesPos;
        const std::int64_t perBlock = static_cast<std::int64_t>(kIndexBlock) / ix.stride;
        while (left > 0) {
            const std::int64_t n = std::min(left, perBlock);
            auto block = src.readUpTo(at, static_cast<std::size_t>(n * ix.stride));
            const std::int64_t got = static_cast<std::int64_t>(block.size()) / ix.stride;
            if (got == 0) break;
            for (std::int64_t i = 0; i < got; ++i) {
                // The size's top bit marks a chunk that is not a key frame.
                const std::uint8_t* e = block.data() + i * ix.stride;
                const std::uint32_t size = le32(e + 4);
                totals.add(ix.stream, ix.video, (size & 0x80000000u) == 0, size & 0x7FFFFFFFu, ix.base + std::int64_t(le32(e)));
            }
            left -= got;
            at += got * ix.stride;
            done += got;
            if (!progress.report(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(total))) {
                walk.warn("The index reading was stopped.");
                return false;
            }
        }
    }
    info.indexKind = IndexKind::OpenDml;
    return true;
}

}  // namespace

bool readIndexes(FileSource& src, AviFileInfo& info, Walk& walk, Progress& progress, const IndexVisitor* visit) {
    if (info.truncated && !visit) return false;
    bool read = false;
    if (info.superIndexPos[0]) read = readOpenDml(src, info, walk, progress, visit);
    if (!read && !progress.stopped() && info.hasIndex && info.indexPos) read = readIdx1(src, info, walk, progress, visit);
    if (!read) {
        info.streamTotals.clear();
        info.keyFrames = info.videoBytes = info.otherBytes = 0;
        info.indexKind = IndexKind::None;
        return false;
    }
    info.indexRead = true;
    info.overheadBytes = info.fileLength - info.videoBytes - info.otherBytes;
    return true;
}

IndexKind visitIndex(const std::string& path, const IndexVisitor& visit, Progress progress) {
    FileSource src(path);
    if (!src.isOpen()) return IndexKind::None;
    InspectorResult scratch;
    AviFileInfo info;
    info.fileName = path;
    Walk walk{src, info, scratch};
    if (!walk.run()) return IndexKind::None;
    readIndexes(src, info, walk, progress, &visit);
    return info.indexKind;
}

std::optional<AviFileInfo> scanAvi(const std::string& path, bool withIndex) {
    FileSource src(path);
    if (!src.isOpen()) return std::nullopt;
    InspectorResult scratch;
    AviFileInfo info;
    info.fileName = path;
    Walk walk{src, info, scratch};
    if (!walk.run()) return std::nullopt;
    if (withIndex) {
        Progress none;
        readIndexes(src, info, walk, none);
    }
    return info;
}

}  // namespace fw::avi
