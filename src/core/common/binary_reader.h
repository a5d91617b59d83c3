#pragma once
// A cursor over a byte window that never reads past its end. Every parser of a file format reads
// through it, so a size field from a damaged file can shorten a read but never overrun a buffer.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace fw {

class BinaryReader {
public:
    BinaryReader() = default;
    explicit BinaryReader(std::span<const std::uint8_t> bytes, std::uint64_t baseOffset = 0)
        : m_bytes(bytes), m_base(baseOffset) {}

    std::size_t size() const { return m_bytes.size(); }
    std::size_t pos() const { return m_pos; }
    std::size_t remaining() const { return m_bytes.size() - m_pos; }
    bool atEnd() const { return m_pos >= m_bytes.size(); }
    // File offset of the cursor, for messages and for callers that patch the same bytes later.
    std::uint64_t filePos() const { return m_base + m_pos; }
    std::uint64_t baseOffset() const { return m_base; }
    // True once any read or seek asked for more than the window holds.
    bool failed() const { return m_failed; }

    bool canRead(std::size_t len) const { return len <= m_bytes.size() - m_pos; }
    bool seek(std::size_t pos);
    bool skip(std::size_t len);

    std::optional<std::uint8_t> u8();
    std::optional<std::uint16_t> u16le();
    std::optional<std::uint32_t> u32le();
    std::optional<std::uint64_t> u64le();
    std::optional<std::uint16_t> u16be();
    std::optional<std::uint32_t> u32be();
    std::optional<std::int16_t> i16le();
    std::optional<std::int32_t> i32le();
    std::optional<std::int64_t> i64le();
    std::optional<float> f32le();
    std::optional<double> f64le();
    // Exactly len bytes, or nothing (the cursor stays where it was).
    std::optional<std::span<const std::uint8_t>> bytes(std::size_t len);
    // Up to len bytes: what the window still holds when it holds less.
    std::span<const std::uint8_t> bytesUpTo(std::size_t len);
    std::optional<std::string> text(std::size_t len);

    // A reader over the next len bytes (clamped to what is left); this cursor moves past them.
    BinaryReader sub(std::size_t len);

    // Value reads at an absolute position inside the window; the cursor does not move.
    std::optional<std::uint32_t> u32leAt(std::size_t pos) const;
    std::optional<std::uint16_t> u16leAt(std::size_t pos) const;

private:
    std::optional<std::span<const std::uint8_t>> take(std::size_t len);

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
    std::uint64_t m_base = 0;
    bool m_failed = false;
};

// Reads at most maxLen bytes of a file from offset; a short file gives a short vector.
// Returns nothing when the file cannot be opened.
std::optional<std::vector<std::uint8_t>> readFileWindow(const std::string& path, std::uint64_t offset,
                                                        std::size_t maxLen);

// The size of a file, or nothing when it cannot be queried.
std::optional<std::uint64_t> fileSize(const std::string& path);

}  // namespace fw
