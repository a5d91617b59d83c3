#include "core/avi/file_source.h"

#include "core/common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace fw::avi {

FileSource::FileSource(const std::string& path) {
    m_fd = openRegular(path, O_RDONLY);
    if (m_fd < 0) return;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_size = st.st_size;
}

FileSource::~FileSource() {
    if (m_fd >= 0) ::close(m_fd);
}

std::vector<std::uint8_t> FileSource::readUpTo(std::int64_t pos, std::size_t len) const {
    std::vector<std::uint8_t> out;
    if (m_fd < 0 || pos < 0 || pos >= m_size) return out;
    const std::int64_t left = m_size - pos;
    out.resize(static_cast<std::uint64_t>(left) < len ? static_cast<std::size_t>(left) : len);
    out.resize(readInto(pos, out.data(), out.size()));
    return out;
}

std::size_t FileSource::readInto(std::int64_t pos, std::uint8_t* dst, std::size_t len) const {
    if (m_fd < 0 || pos < 0 || pos >= m_size) return 0;
    const std::int64_t left = m_size - pos;
    const std::size_t n = static_cast<std::uint64_t>(left) < len ? static_cast<std::size_t>(left) : len;
    std::size_t got = 0;
    while (got < n) {
        ssize_t r = ::pread(m_fd, dst + got, n - got, static_cast<off_t>(pos + static_cast<std::int64_t>(got)));
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}

std::optional<std::vector<std::uint8_t>> FileSource::read(std::int64_t pos, std::size_t len) const {
    if (!contains(pos, static_cast<std::int64_t>(len))) return std::nullopt;
    auto v = readUpTo(pos, len);
    if (v.size() != len) return std::nullopt;
    return v;
}

std::optional<std::uint32_t> FileSource::u32(std::int64_t pos) const {
    auto b = read(pos, 4);
    if (!b) return std::nullopt;
    return std::uint32_t((*b)[0]) | std::uint32_t((*b)[1]) << 8 | std::uint32_t((*b)[2]) << 16 |
           std::uint32_t((*b)[3]) << 24;
}

std::optional<std::int32_t> FileSource::i32(std::int64_t pos) const {
    auto v = u32(pos);
    if (!v) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

std::optional<std::string> FileSource::fourcc(std::int64_t pos) const {
    auto b = read(pos, 4);
    if (!b) return std::nullopt;
    return std::string(b->begin(), b->end());
}

}  // namespace fw::avi
