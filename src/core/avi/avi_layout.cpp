#include "core/avi/avi_layout.h"

#include <cstring>

#include "core/common/lang.h"

namespace fw::avi {

namespace {

std::uint32_t le32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

std::string tag(const std::uint8_t* p) { return std::string(reinterpret_cast<const char*>(p), 4); }

// Chunks are walked by their sizes; each step moves on at least one header, and a walk stops
// after this many: a list cannot make it run for ever.
constexpr int kMaxSteps = 100000;

void readStrl(const FileSource& src, std::int64_t from, std::int64_t to, AviLayout& l) {
    StreamLayout s;
    int steps = 0;
    for (std::int64_t pos = from; pos + 8 <= to && ++steps < kMaxSteps;) {
        auto h = src.read(pos, 8);
        if (!h) break;
        const std::string id = tag(h->data());
        const std::int64_t size = le32(h->data() + 4);
        const std::int64_t data = pos + 8;
        if (id == "strh") {
            if (auto b = src.read(data, 56)) {
                s.type = tag(b->data());
                s.handler = tag(b->data() + 4);
                s.strhPos = data;
                s.scale = le32(b->data() + 20);
                s.rate = le32(b->data() + 24);
                s.length = le32(b->data() + 32);
                s.sampleSize = le32(b->data() + 44);
            }
        } else if (id == "strf") {
            if (s.type == "vids") {
                if (auto b = src.read(data + 16, 4)) s.compression = tag(b->data());
            } else if (auto b = src.read(data, 14)) {
                s.formatWhole = size >= 14 && data + size <= to;
                s.channels = static_cast<std::uint16_t>(b->data()[2] | b->data()[3] << 8);
                s.sampleRate = le32(b->data() + 4);
                s.avgBytes = le32(b->data() + 8);
                s.blockAlign = static_cast<std::uint16_t>(b->data()[12] | b->data()[13] << 8);
            }
        } else if (id == "indx") {
            l.openDml = true;
        }
        pos = data + size + (size & 1);
    }
    if (s.type == "vids" && l.videoStream < 0) l.videoStream = static_cast<int>(l.streams.size());
    l.streams.push_back(s);
}

void readHdrl(const FileSource& src, std::int64_t from, std::int64_t to, AviLayout& l) {
    int steps = 0;
    for (std::int64_t pos = from; pos + 8 <= to && ++steps < kMaxSteps;) {
        auto h = src.read(pos, 12);
        if (!h) break;
        const std::string id = tag(h->data());
        const std::int64_t size = le32(h->data() + 4);
        if (id == "avih") {
            l.avihPos = pos + 8;
            if (auto b = src.read(l.avihPos, 20)) {
                l.usPerFrame = le32(b->data());
                l.flags = le32(b->data() + 12);
                l.totalFrames = le32(b->data() + 16);
            }
        } else if (id == "LIST" && tag(h->data() + 8) == "strl") {
            readStrl(src, pos + 12, std::min(to, pos + 8 + size), l);
        } else if (id == "LIST" && tag(h->data() + 8) == "odml") {
            if (auto d = src.read(pos + 12, 8); d && tag(d->data()) == "dmlh") l.dmlhPos = pos + 20;
        }
        pos += 8 + size + (size & 1);
    }
}

}  // namespace

int chunkStream(const char* id) {
    if (id[0] < '0' || id[0] > '9' || id[1] < '0' || id[1] > '9') return -1;
    return (id[0] - '0') * 10 + (id[1] - '0');
}

std::optional<AviLayout> readLayout(const FileSource& src, std::string* why) {
    auto fail = [&](const std::string& text) -> std::optional<AviLayout> {
        if (why) *why = text;
        return std::nullopt;
    };
    if (!src.isOpen()) return fail(LangText("AviHealth", 35));
    auto head = src.read(0, 12);
    if (!head || tag(head->data()) != "RIFF" || tag(head->data() + 8) != "AVI ") return fail(LangText("AviDetectorMsgBox", 1));
    AviLayout l;
    l.fileLength = src.size();
    // A writer that never finished leaves 0 where the RIFF and movi sizes go, as others leave -1:
    // the size is unknown, and the file runs to its end.
    const auto known = [](std::uint32_t size) { return std::int64_t(size < 4 ? 0xFFFFFFFFu : size); };
    l.riffEnd = 8 + known(le32(head->data() + 4));
    l.lastRiffEnd = l.riffEnd;
    int steps = 0;
    for (std::int64_t pos = 12; pos + 8 <= l.fileLength && ++steps < kMaxSteps;) {
        auto h = src.read(pos, 12);
        if (!h) break;
        const std::string id = tag(h->data());
        const std::int64_t size = le32(h->data() + 4);
        if (id == "LIST" && tag(h->data() + 8) == "hdrl") {
            readHdrl(src, pos + 12, std::min(l.fileLength, pos + 8 + size), l);
        } else if (id == "LIST" && tag(h->data() + 8) == "movi" && l.moviListPos < 0) {
            l.moviListPos = pos;
            l.moviDataPos = pos + 12;
            l.moviEnd = pos + 8 + known(static_cast<std::uint32_t>(size));
        } else if (id == "idx1" && l.idx1Pos < 0) {
            l.idx1Pos = pos;
            l.idx1Size = size;
        } else if (id == "RIFF") {
            l.openDml = true;  // a RIFF AVIX part follows the first
            l.lastRiffEnd = pos + 8 + size;
            // Its movi list, among a few other chunks (JUNK).
            int inner = 0;
            for (std::int64_t p = pos + 12; p + 12 <= std::min(l.lastRiffEnd, l.fileLength) && ++inner < 64;) {
                auto c = src.read(p, 12);
                if (!c) break;
                const std::int64_t csize = le32(c->data() + 4);
                if (tag(c->data()) == "LIST" && tag(c->data() + 8) == "movi") {
                    if (l.moreMovi.size() < 4096) l.moreMovi.push_back({p + 12, p + 8 + csize});
                    break;
                }
                p += 8 + csize + (csize & 1);
            }
        }
        // The first RIFF ends where it says; a movi list that runs past the end of the file
        // ends the walk there.
        pos += 8 + size + (size & 1);
        if (pos >= l.riffEnd && id != "RIFF") {
            if (auto next = src.read(pos, 4); !next || tag(next->data()) != "RIFF") break;
        }
    }
    if (l.avihPos < 0) return fail(LangText("AviHealth", 36));
    if (l.moviListPos < 0) return fail(LangText("AviHealth", 37));
    return l;
}

}  // namespace fw::avi
