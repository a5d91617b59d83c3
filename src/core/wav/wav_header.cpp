#include "core/wav/wav_header.h"

#include <algorithm>

#include <string_view>

namespace fw::wav {
namespace {

constexpr std::size_t kDs64Payload = 28;  // RIFF size, data size, sample count (64 bits each), table length
constexpr std::uint32_t kNoSize = 0xFFFFFFFFu;

class Out {
public:
    void tag(std::string_view t) { m_b.insert(m_b.end(), t.begin(), t.end()); }
    void u16(std::uint32_t v) {
        for (int i = 0; i < 2; ++i) m_b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void u32(std::uint64_t v) {
        for (int i = 0; i < 4; ++i) m_b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void u64(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) m_b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void zeros(std::size_t n) { m_b.insert(m_b.end(), n, 0); }
    void bytes(const std::uint8_t* p, std::size_t n) { m_b.insert(m_b.end(), p, p + n); }
    std::vector<std::uint8_t> take() { return std::move(m_b); }

private:
    std::vector<std::uint8_t> m_b;
};

std::size_t fmtPayload(const PcmFormat& f) { return f.extensible() ? 40 : 16; }

std::uint32_t fit32(std::uint64_t v) { return v > kNoSize ? kNoSize : static_cast<std::uint32_t>(v); }

}  // namespace

std::size_t headerSize(const PcmFormat& f, HeaderKind kind) {
    const std::size_t plain = 12 + 8 + fmtPayload(f) + 8;
    return kind == HeaderKind::Plain ? plain : plain + 8 + kDs64Payload;
}

bool needsRf64(std::uint64_t dataBytes, std::size_t headerBytes, std::uint64_t limit) {
    return dataBytes + (dataBytes & 1) + (headerBytes - 8) > limit;
}

std::vector<std::uint8_t> unfinishedHeader(const PcmFormat& f, HeaderKind kind) {
    auto h = wavHeader(f, 0, kind == HeaderKind::Rf64 ? HeaderKind::Reserved : kind);
    std::fill_n(h.begin() + 4, 4, 0);  // the RIFF size; the data size is 0 already
    return h;
}

std::vector<std::uint8_t> wavHeader(const PcmFormat& f, std::uint64_t dataBytes, HeaderKind kind) {
    const std::size_t size = headerSize(f, kind);
    const std::uint64_t riffSize = dataBytes + (dataBytes & 1) + (size - 8);
    const std::uint64_t frames = f.blockAlign() > 0 ? dataBytes / static_cast<std::uint64_t>(f.blockAlign()) : 0;
    Out o;
    const bool rf64 = kind == HeaderKind::Rf64;
    o.tag(rf64 ? "RF64" : "RIFF");
    o.u32(rf64 ? kNoSize : fit32(riffSize));
    o.tag("WAVE");
    if (kind != HeaderKind::Plain) {
        o.tag(rf64 ? "ds64" : "JUNK");
        o.u32(kDs64Payload);
        if (rf64) {
            o.u64(riffSize);
            o.u64(dataBytes);
            o.u64(frames);
            o.u32(0);
        } else {
            o.zeros(kDs64Payload);
        }
    }
    o.tag("fmt ");
    o.u32(fmtPayload(f));
    o.u16(f.extensible() ? 0xFFFE : 1);
    o.u16(static_cast<std::uint32_t>(f.channels));
    o.u32(static_cast<std::uint32_t>(f.sampleRate));
    o.u32(f.bytesPerSecond());
    o.u16(static_cast<std::uint32_t>(f.blockAlign()));
    o.u16(static_cast<std::uint32_t>(f.bits));
    if (f.extensible()) {
        o.u16(22);
        o.u16(static_cast<std::uint32_t>(f.bits));  // valid bits
        o.u32(f.channelMask & 0xFFFFFFFFu);
        // KSDATAFORMAT_SUBTYPE_PCM: 00000001-0000-0010-8000-00aa00389b71
        static constexpr std::uint8_t kPcmGuid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                      0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        o.bytes(kPcmGuid, sizeof kPcmGuid);
    }
    o.tag("data");
    o.u32(rf64 ? kNoSize : fit32(dataBytes));
    return o.take();
}

}  // namespace fw::wav
