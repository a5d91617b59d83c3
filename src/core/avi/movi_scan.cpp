#include "core/avi/movi_scan.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/common/text.h"

namespace fw::avi {

namespace {

constexpr std::uint32_t kMaxChunk = 256u << 20;      // no frame is larger; a larger size is damage
constexpr std::size_t kBlock = 64 << 10;  // a few chunk headers a read; large frames are not read through

// Sequential reads through a 64 KB window: one system call for several small chunks, and the
// data of large ones (the repair copies it in the kernel) is passed over rather than read.
class Window {
public:
    explicit Window(const FileSource& src) : m_src(src) {}
    // len bytes at pos (len <= 64), or nothing past the end.
    const std::uint8_t* at(std::int64_t pos, std::size_t len) {
        if (pos < 0 || pos + static_cast<std::int64_t>(len) > m_src.size()) return nullptr;
        if (pos < m_start || pos + static_cast<std::int64_t>(len) > m_start + static_cast<std::int64_t>(m_buf.size())) {
            m_start = pos;
            m_buf = m_src.readUpTo(pos, kBlock);
            if (m_buf.size() < len) return nullptr;
        }
        return m_buf.data() + (pos - m_start);
    }

private:
    const FileSource& m_src;
    std::int64_t m_start = -1;
    std::vector<std::uint8_t> m_buf;
};

std::uint32_t le32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

enum class Kind { Data, Skip, RecList, Bad };

Kind classify(const std::uint8_t* h, int streams) {
    const char* id = reinterpret_cast<const char*>(h);
    if (std::memcmp(id, "LIST", 4) == 0) return std::memcmp(id + 8, "rec ", 4) == 0 ? Kind::RecList : Kind::Skip;
    if (std::memcmp(id, "JUNK", 4) == 0) return Kind::Skip;
    if (id[0] == 'i' && id[1] == 'x') return Kind::Skip;  // an OpenDML standard index inside movi
    const int s = chunkStream(id);
    if (s < 0 || s >= std::max(streams, 1)) return Kind::Bad;
    const char a = id[2], b = id[3];
    const bool known = (a == 'd' && (b == 'c' || b == 'b')) || (a == 'w' && b == 'b') || (a == 't' && b == 'x') || (a == 'p' && b == 'c');
    return known ? Kind::Data : Kind::Bad;
}

}  // namespace

bool isMsMpeg4(const std::string& compression) {
    // Version 1 (MPG4) opens each frame with a start code instead, so it is not among these.
    static const char* const kCodes[] = {"DIV3", "DIV4", "DIV5", "DIV6", "MP43", "MPG3", "MP42", "AP41", "COL1", "NAVI"};
    for (const char* c : kCodes)
        if (iequals(compression, c)) return true;
    return false;
}

bool isMpeg4Asp(const std::string& compression) {
    static const char* const kCodes[] = {"XVID", "XVIX", "DIVX", "DX50", "DX40", "FMP4", "MP4V", "MP4S", "M4S2", "3IV2",
                                         "DXGM", "LMP4", "SMP4", "UMP4", "RMP4", "DM4V", "BLZ0", "SEDG", "WV1F", "DREX"};
    for (const char* c : kCodes)
        if (iequals(compression, c)) return true;
    return false;
}

int mpeg4FrameType(const std::uint8_t* d, std::size_t len) {
    for (std::size_t i = 0; i + 4 < len; ++i)
        if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1 && d[i + 3] == 0xB6) return d[i + 4] >> 6;
    return -1;
}

namespace {
class Bits {
public:
    Bits(const std::uint8_t* d, std::size_t len) : m_d(d), m_len(len) {}
    // -1 past the end.
    std::int64_t get(int n) {
        std::int64_t v = 0;
        for (int i = 0; i < n; ++i) {
            if (m_pos >= m_len * 8) return -1;
            v = (v << 1) | ((m_d[m_pos / 8] >> (7 - m_pos % 8)) & 1);
            ++m_pos;
        }
        return v;
    }

private:
    const std::uint8_t* m_d;
    std::size_t m_len, m_pos = 0;
};

// vop_time_increment_resolution of a video object layer header (after its start code), or 0.
int volTimeResolution(const std::uint8_t* d, std::size_t len) {
    Bits b(d, len);
    b.get(1);  // random_accessible_vol
    b.get(8);  // video_object_type_indication
    std::int64_t verid = 1;
    if (b.get(1) == 1) {
        verid = b.get(4);
        b.get(3);
    }
    if (b.get(4) == 15) b.get(16);  // extended pixel aspect ratio
    if (b.get(1) == 1) {            // vol_control_parameters
        b.get(3);                   // chroma_format, low_delay
        if (b.get(1) == 1) b.get(79);  // vbv_parameters
    }
    const std::int64_t shape = b.get(2);
    if (shape == 3 && verid != 1) b.get(4);
    if (b.get(1) != 1) return 0;  // marker
    const std::int64_t res = b.get(16);
    return res > 0 ? static_cast<int>(res) : 0;
}
}  // namespace

int Mpeg4Frames::frameType(const std::uint8_t* d, std::size_t len) {
    for (std::size_t i = 0; i + 4 < len; ++i) {
        if (!(d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1)) continue;
        const std::uint8_t code = d[i + 3];
        if (code >= 0x20 && code <= 0x2F) {
            if (const int res = volTimeResolution(d + i + 4, len - i - 4); res > 0) {
                m_timeBits = 1;
                while (m_timeBits < 16 && ((res - 1) >> m_timeBits) != 0) ++m_timeBits;
            }
        } else if (code == 0xB6) {
            Bits b(d + i + 4, len - i - 4);
            const std::int64_t type = b.get(2);
            if (type < 0) return -1;
            if (m_timeBits == 0) return static_cast<int>(type);
            std::int64_t bit;
            int seconds = 0;
            while ((bit = b.get(1)) == 1 && ++seconds < 64) {
            }  // modulo_time_base
            if (bit < 0 || b.get(1) != 1) return static_cast<int>(type);  // marker: not what was expected
            b.get(m_timeBits);
            if (b.get(1) != 1) return static_cast<int>(type);
            return b.get(1) == 0 ? kNotCoded : static_cast<int>(type);
        }
    }
    return -1;
}

bool isH264(const std::string& compression) {
    static const char* const kCodes[] = {"H264", "X264", "AVC1", "DAVC", "VSSH", "x264"};
    for (const char* c : kCodes)
        if (iequals(compression, c)) return true;
    return false;
}

int h264FrameKey(const std::uint8_t* d, std::size_t len) {
    // The first slice decides: an IDR slice (NAL type 5) starts a key frame, any other slice
    // (type 1) does not. Parameter sets and SEI come before it and are passed over.
    for (std::size_t i = 0; i + 3 < len; ++i) {
        if (!(d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1)) continue;
        const int type = d[i + 3] & 0x1F;
        if (type == 5) return 1;
        if (type == 1) return 0;
        i += 2;
    }
    return -1;
}

MoviScan scanMovi(const FileSource& src, const AviLayout& l, const std::function<bool(const MoviChunk&)>& onChunk,
                  Progress progress) {
    MoviScan r;
    Window w(src);
    // Look-ahead past a candidate header has its own window: on damage the candidates come one
    // byte apart, and sharing one window would read 64 KB twice for each of them.
    Window ahead(src);
    const int streams = static_cast<int>(l.streams.size());
    // The first RIFF's movi list, then those of the RIFF AVIX parts of an OpenDML file.
    std::vector<AviLayout::Range> ranges{{l.moviDataPos, l.moviEnd}};
    ranges.insert(ranges.end(), l.moreMovi.begin(), l.moreMovi.end());
    // A list never starts inside one before it: a part whose movi size runs past its own RIFF
    // would otherwise have every later part scanned again, up to 4096 times the file.
    std::int64_t coveredTo = 0;
    for (auto& g : ranges) {
        g.dataPos = std::max(g.dataPos, coveredTo);
        g.end = std::max(g.end, g.dataPos);
        coveredTo = std::max(coveredTo, std::min(g.end, l.fileLength));
    }
    std::uint64_t total = 0, before = 0;
    for (const auto& g : ranges) total += static_cast<std::uint64_t>(std::max<std::int64_t>(0, std::min(g.end, l.fileLength) - g.dataPos));
    std::uint64_t steps = 0;
    for (const auto& g : ranges) {
        const std::int64_t limit = std::min(g.end, l.fileLength);
        auto report = [&](std::int64_t at) { return progress.report(before + static_cast<std::uint64_t>(std::max<std::int64_t>(0, at - g.dataPos)), total); };
        // A header is taken for a chunk when its id is one and its size fits the file.
        auto plausibleIn = [&](Window& win, std::int64_t pos) {
            const std::uint8_t* h = win.at(pos, 12);
            if (!h) return false;
            const Kind k = classify(h, streams);
            const std::uint32_t size = le32(h + 4);
            return k != Kind::Bad && size <= kMaxChunk;
        };
        auto plausible = [&](std::int64_t pos) { return plausibleIn(w, pos); };
        std::int64_t pos = g.dataPos;
        while (pos + 8 <= limit) {
            // A copy (a list's type too, when the file has it): the look-ahead below may move the
            // window under a pointer into it.
            std::uint8_t h[12] = {};
            if (const std::uint8_t* at = w.at(pos, 12)) std::memcpy(h, at, 12);
            else if (const std::uint8_t* at8 = w.at(pos, 8)) std::memcpy(h, at8, 8);
            else break;
            Kind kind = classify(h, streams);
            const std::uint32_t size = le32(h + 4);
            if (kind == Kind::Bad || size > kMaxChunk) {
                // Damage: the next place where a chunk header fits, and a second one after it (or
                // the end of the list), is where the walk goes on.
                if (r.firstDamage < 0) r.firstDamage = pos;
                ++r.damagedRegions;
                std::int64_t probe = pos + 1;
                bool found = false;
                for (; probe + 8 <= limit; ++probe) {
                    if (!plausible(probe)) continue;
                    const std::uint8_t* ph = w.at(probe, 8);
                    const std::int64_t after = probe + 8 + le32(ph + 4);
                    if (after + 8 > limit || plausibleIn(ahead, after) || plausibleIn(ahead, after + 1)) {
                        found = true;
                        break;
                    }
                    if ((++steps & 0xFFFFF) == 0 && !report(probe)) return r;
                }
                r.skippedBytes += (found ? probe : limit) - pos;
                if (!found) break;
                pos = probe;
                continue;
            }
            if (kind == Kind::RecList) {
                pos += 12;
                continue;
            }
            const std::int64_t end = pos + 8 + size;
            if (end > l.fileLength) {
                r.cutShort = true;
                break;
            }
            std::int64_t next = end;
            bool padMissing = false;
            if (size & 1) {
                // RIFF pads odd chunks; some writers forget. The next header says which; the last
                // chunk of the list has no room for its pad when the list (or the file) ends with it.
                if (end + 1 > limit || (end + 8 <= limit && !plausible(end + 1) && plausible(end))) padMissing = true;
                else next = end + 1;
            }
            if (kind == Kind::Data) {
                MoviChunk c;
                c.stream = chunkStream(reinterpret_cast<const char*>(h));
                c.kind[0] = static_cast<char>(h[2]);
                c.kind[1] = static_cast<char>(h[3]);
                c.pos = pos;
                c.size = size;
                c.padMissing = padMissing;
                ++r.chunks;
                if (c.video()) ++r.videoChunks;
                if (padMissing) ++r.padsMissing;
                r.dataEnd = end;
                if (!onChunk(c)) return r;
            }
            pos = next;
            // The first chunk reports too, so a stop asked for at once is honoured at once.
            if ((steps++ & 0xFFF) == 0 && !report(pos)) return r;
        }
        // A file cut inside a movi list loses the header of its last chunk as well.
        if (g.end > l.fileLength && pos + 8 > l.fileLength && pos < l.fileLength) r.cutShort = true;
        if (r.cutShort) break;
        before += static_cast<std::uint64_t>(std::max<std::int64_t>(0, limit - g.dataPos));
    }
    r.ok = true;
    return r;
}

}  // namespace fw::avi
