#pragma once
// Positioned reads of a file that never go past its end: the AVI and OGM readers compute record
// positions from sizes in the file, so every position is checked before it is read.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fw::avi {

class FileSource {
public:
    explicit FileSource(const std::string& path);
    ~FileSource();
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    std::int64_t size() const { return m_size; }

    // Exactly len bytes at pos, or nothing when they are not all in the file.
    std::optional<std::vector<std::uint8_t>> read(std::int64_t pos, std::size_t len) const;
    // Up to len bytes at pos: fewer at the end of the file, none before 0 or past the end.
    std::vector<std::uint8_t> readUpTo(std::int64_t pos, std::size_t len) const;
    // The same into the caller's buffer (no allocation, nothing zeroed first): the bytes read.
    std::size_t readInto(std::int64_t pos, std::uint8_t* dst, std::size_t len) const;
    std::optional<std::int32_t> i32(std::int64_t pos) const;
    std::optional<std::uint32_t> u32(std::int64_t pos) const;
    std::optional<std::string> fourcc(std::int64_t pos) const;
    bool contains(std::int64_t pos, std::int64_t len) const {
        return pos >= 0 && len >= 0 && pos <= m_size && len <= m_size - pos;
    }

private:
    int m_fd = -1;
    std::int64_t m_size = 0;
};

}  // namespace fw::avi
