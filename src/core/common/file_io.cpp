#include "core/common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>

namespace fw {

int openRegular(const std::string& path, int flags) {
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; it is cleared again below.
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    return fd;
}

std::optional<std::string> readRange(const std::string& path, std::uint64_t offset, std::size_t maxLen) {
    const int fd = openRegular(path, O_RDONLY);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    const auto size = static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0));
    std::string out(offset >= size ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(size - offset, maxLen)), '\0');
    std::size_t got = 0;
    bool bad = false;
    while (got < out.size()) {
        const ssize_t n = ::pread(fd, out.data() + got, out.size() - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) bad = true;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (bad) return std::nullopt;
    out.resize(got);
    return out;
}

std::string readKernelText(const std::string& path, std::size_t cap) {
    std::string out;
    const int fd = openRegular(path, O_RDONLY);
    if (fd < 0) return out;
    out.resize(cap);
    std::size_t got = 0;
    while (got < cap) {
        const ssize_t n = ::read(fd, out.data() + got, cap - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.resize(got);
    return out;
}

std::optional<std::string> readFileBounded(const std::string& path, std::size_t maxBytes) {
    auto all = readRange(path, 0, maxBytes + 1);
    if (!all || all->size() > maxBytes) return std::nullopt;
    return all;
}

namespace {

// -1: no fault; otherwise the bytes that may still be written.
std::atomic<std::int64_t> g_budget{-1};
std::atomic<std::uint64_t> g_written{0};

// How much of len may be written now; sets errno when nothing may.
std::size_t allowance(std::size_t len) {
    g_written += len;
    std::int64_t left = g_budget.load();
    while (left >= 0) {
        const std::int64_t take = std::min<std::int64_t>(left, static_cast<std::int64_t>(len));
        if (g_budget.compare_exchange_weak(left, left - take)) {
            if (take == 0) errno = ENOSPC;
            return static_cast<std::size_t>(take);
        }
    }
    return len;
}

}  // namespace

namespace writeFaults {
void failAfter(std::uint64_t bytes) { g_budget = static_cast<std::int64_t>(std::min<std::uint64_t>(bytes, INT64_MAX)); }
void clear() { g_budget = -1; }
std::uint64_t written() { return g_written.load(); }
}  // namespace writeFaults

bool writeAll(int fd, const void* data, std::size_t len) {
    const char* p = static_cast<const char*>(data);
    while (len > 0) {
        const std::size_t may = allowance(len);
        if (may == 0) return false;
        const ssize_t n = ::write(fd, p, may);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;
        if (n <= 0) return false;
        p += n;
        len -= static_cast<std::size_t>(n);
    }
    return true;
}

bool writeAllAt(int fd, const void* data, std::size_t len, std::int64_t offset) {
    const char* p = static_cast<const char*>(data);
    struct stat st {};
    const bool overwrite = ::fstat(fd, &st) == 0 && offset + static_cast<std::int64_t>(len) <= st.st_size;
    while (len > 0) {
        const std::size_t may = overwrite ? len : allowance(len);
        if (may == 0) return false;
        const ssize_t n = ::pwrite(fd, p, may, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        offset += n;
        len -= static_cast<std::size_t>(n);
    }
    return true;
}

std::int64_t copyChunk(int in, std::int64_t* offset, int out, std::size_t len) {
    const std::size_t may = allowance(len);
    if (may == 0) return -1;
    loff_t off = *offset;
    ssize_t n = ::copy_file_range(in, &off, out, nullptr, may, 0);
    if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
        // No kernel copy between these files: through a buffer instead.
        std::string buf(std::min<std::size_t>(may, 1 << 20), '\0');
        n = ::pread(in, buf.data(), buf.size(), static_cast<off_t>(*offset));
        if (n > 0 && !writeAll(out, buf.data(), static_cast<std::size_t>(n))) return -1;
    }
    if (n < 0) return -1;
    *offset += n;
    return n;
}

void startWriteback(int fd, std::int64_t from, std::int64_t len) {
    // Advice only: where the file system does not support it, the fsync does it all.
    (void)::sync_file_range(fd, static_cast<off64_t>(from), static_cast<off64_t>(len), SYNC_FILE_RANGE_WRITE);
}

}  // namespace fw
