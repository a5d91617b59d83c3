#include "core/common/binary_reader.h"

#include "core/common/file_io.h"

#include <bit>
#include <cstring>
#include <fstream>
#include <system_error>
#include <filesystem>

namespace fw {

namespace {
template <typename T>
T loadLe(const std::uint8_t* p) {
    T v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) v |= static_cast<T>(static_cast<T>(p[i]) << (8 * i));
    return v;
}
template <typename T>
T loadBe(const std::uint8_t* p) {
    T v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) v = static_cast<T>((v << 8) | p[i]);
    return v;
}
}  // namespace

bool BinaryReader::seek(std::size_t pos) {
    if (pos > m_bytes.size()) {
        m_failed = true;
        return false;
    }
    m_pos = pos;
    return true;
}

bool BinaryReader::skip(std::size_t len) {
    if (!canRead(len)) {
        m_failed = true;
        m_pos = m_bytes.size();
        return false;
    }
    m_pos += len;
    return true;
}

std::optional<std::span<const std::uint8_t>> BinaryReader::take(std::size_t len) {
    if (!canRead(len)) {
        m_failed = true;
        return std::nullopt;
    }
    auto s = m_bytes.subspan(m_pos, len);
    m_pos += len;
    return s;
}

std::optional<std::uint8_t> BinaryReader::u8() {
    auto s = take(1);
    if (!s) return std::nullopt;
    return (*s)[0];
}
std::optional<std::uint16_t> BinaryReader::u16le() {
    auto s = take(2);
    if (!s) return std::nullopt;
    return loadLe<std::uint16_t>(s->data());
}
std::optional<std::uint32_t> BinaryReader::u32le() {
    auto s = take(4);
    if (!s) return std::nullopt;
    return loadLe<std::uint32_t>(s->data());
}
std::optional<std::uint64_t> BinaryReader::u64le() {
    auto s = take(8);
    if (!s) return std::nullopt;
    return loadLe<std::uint64_t>(s->data());
}
std::optional<std::uint16_t> BinaryReader::u16be() {
    auto s = take(2);
    if (!s) return std::nullopt;
    return loadBe<std::uint16_t>(s->data());
}
std::optional<std::uint32_t> BinaryReader::u32be() {
    auto s = take(4);
    if (!s) return std::nullopt;
    return loadBe<std::uint32_t>(s->data());
}
std::optional<std::int16_t> BinaryReader::i16le() {
    auto v = u16le();
    if (!v) return std::nullopt;
    return static_cast<std::int16_t>(*v);
}
std::optional<std::int32_t> BinaryReader::i32le() {
    auto v = u32le();
    if (!v) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}
std::optional<std::int64_t> BinaryReader::i64le() {
    auto v = u64le();
    if (!v) return std::nullopt;
    return static_cast<std::int64_t>(*v);
}
std::optional<float> BinaryReader::f32le() {
    auto v = u32le();
    if (!v) return std::nullopt;
    return std::bit_cast<float>(*v);
}
std::optional<double> BinaryReader::f64le() {
    auto v = u64le();
    if (!v) return std::nullopt;
    return std::bit_cast<double>(*v);
}

std::optional<std::span<const std::uint8_t>> BinaryReader::bytes(std::size_t len) { return take(len); }

std::span<const std::uint8_t> BinaryReader::bytesUpTo(std::size_t len) {
    std::size_t n = std::min(len, remaining());
    if (n < len) m_failed = true;
    auto s = m_bytes.subspan(m_pos, n);
    m_pos += n;
    return s;
}

std::optional<std::string> BinaryReader::text(std::size_t len) {
    auto s = take(len);
    if (!s) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(s->data()), s->size());
}

BinaryReader BinaryReader::sub(std::size_t len) {
    std::size_t n = std::min(len, remaining());
    if (n < len) m_failed = true;
    BinaryReader r(m_bytes.subspan(m_pos, n), m_base + m_pos);
    m_pos += n;
    return r;
}

std::optional<std::uint32_t> BinaryReader::u32leAt(std::size_t pos) const {
    if (pos > m_bytes.size() || 4 > m_bytes.size() - pos) return std::nullopt;
    return loadLe<std::uint32_t>(m_bytes.data() + pos);
}
std::optional<std::uint16_t> BinaryReader::u16leAt(std::size_t pos) const {
    if (pos > m_bytes.size() || 2 > m_bytes.size() - pos) return std::nullopt;
    return loadLe<std::uint16_t>(m_bytes.data() + pos);
}

std::optional<std::vector<std::uint8_t>> readFileWindow(const std::string& path, std::uint64_t offset,
                                                        std::size_t maxLen) {
    auto bytes = readRange(path, offset, maxLen);
    if (!bytes) return std::nullopt;
    return std::vector<std::uint8_t>(bytes->begin(), bytes->end());
}

std::optional<std::uint64_t> fileSize(const std::string& path) {
    std::error_code ec;
    auto n = std::filesystem::file_size(path, ec);
    if (ec) return std::nullopt;
    return n;
}

}  // namespace fw
