#include "core/common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/common/file_io.h"

namespace fw {

AtomicFileWriter::AtomicFileWriter(std::string target) : m_target(std::move(target)) {
    std::filesystem::path t(m_target);
    std::filesystem::path dir = t.parent_path();
    if (dir.empty()) dir = ".";
    m_temp = (dir / ("." + t.filename().string() + ".XXXXXX")).string();
    m_fd = ::mkstemp(m_temp.data());
    if (m_fd < 0) {
        m_temp.clear();
        return;
    }
    // Keep the permissions of a file being replaced, or the usual ones for a new file (the rename
    // replaces a link itself: its target's mode is not the new file's). Not a set-user or
    // set-group bit: a write to the file itself would clear them too.
    struct stat st {};
    mode_t mode;
    if (::lstat(m_target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 0777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(m_fd, mode);
}

AtomicFileWriter::~AtomicFileWriter() {
    // The caller reports why the write failed after this cleanup: the reason must survive it.
    const int why = errno;
    if (m_fd >= 0) ::close(m_fd);
    if (!m_done && !m_temp.empty()) std::remove(m_temp.c_str());
    errno = why;
}

bool AtomicFileWriter::write(const void* data, std::size_t len) {
    if (!ok()) return false;
    if (!writeAll(m_fd, data, len)) {
        m_failed = true;
        return false;
    }
    return true;
}

bool AtomicFileWriter::writeAt(const void* data, std::size_t len, std::int64_t offset) {
    if (!ok()) return false;
    if (!writeAllAt(m_fd, data, len, offset)) {
        m_failed = true;
        return false;
    }
    return true;
}

std::string AtomicFileWriter::release() {
    if (m_fd < 0 || m_failed) return {};
    bool good = ::fsync(m_fd) == 0;
    good = (::close(m_fd) == 0) && good;
    m_fd = -1;
    if (!good) {
        m_failed = true;
        return {};
    }
    m_done = true;  // the caller owns the file now
    return m_temp;
}

bool AtomicFileWriter::commit() { return finish(true); }
bool AtomicFileWriter::commitNew() { return finish(false); }

bool AtomicFileWriter::finish(bool replace) {
    m_taken = false;
    if (m_fd >= 0) {
        if (m_failed) return false;
        bool good = ::fsync(m_fd) == 0;
        good = (::close(m_fd) == 0) && good;
        m_fd = -1;
        if (!good) {
            m_failed = true;
            return false;
        }
    } else if (m_done || m_failed || m_temp.empty()) {
        return false;
    }
    int r = 0;
    if (replace) {
        r = std::rename(m_temp.c_str(), m_target.c_str());
    } else {
        r = ::renameat2(AT_FDCWD, m_temp.c_str(), AT_FDCWD, m_target.c_str(), RENAME_NOREPLACE);
        // File systems without the flag get the check and the rename as two steps.
        if (r != 0 && errno == EINVAL) {
            struct stat st {};
            if (::lstat(m_target.c_str(), &st) == 0) errno = EEXIST;
            else r = std::rename(m_temp.c_str(), m_target.c_str());
        }
    }
    if (r == 0) {
        m_done = true;
        return true;
    }
    m_taken = !replace && errno == EEXIST;
    if (!m_taken) m_failed = true;
    return false;
}

bool copyFileInto(const std::string& src, AtomicFileWriter& out, long long maxBytes) {
    const int in = openRegular(src, O_RDONLY);
    if (in < 0) return false;
    // Blocks of 4 MB: a large copy costs no more memory than a small one.
    std::string buf(4 << 20, '\0');
    long long left = maxBytes < 0 ? -1 : maxBytes;
    bool ok = out.ok();
    while (ok && left != 0) {
        const std::size_t want = left < 0 ? buf.size() : static_cast<std::size_t>(std::min<long long>(left, static_cast<long long>(buf.size())));
        const ssize_t n = ::read(in, buf.data(), want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        ok = out.write(buf.data(), static_cast<std::size_t>(n));
        if (left > 0) left -= n;
    }
    ::close(in);
    return ok;
}

bool copyFileAtomically(const std::string& src, const std::string& dst, long long maxBytes) {
    AtomicFileWriter out(dst);
    return copyFileInto(src, out, maxBytes) && out.commit();
}

bool rewriteWithPatches(const std::string& path, const std::vector<BytePatch>& patches) {
    const int in = openRegular(path, O_RDONLY);
    if (in < 0) return false;
    AtomicFileWriter out(path);
    std::string buf(4 << 20, '\0');
    std::int64_t at = 0;
    bool ok = out.ok();
    while (ok) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        const std::int64_t end = at + n;
        for (const auto& p : patches) {
            const std::int64_t from = std::max(p.offset, at);
            const std::int64_t to = std::min<std::int64_t>(p.offset + static_cast<std::int64_t>(p.bytes.size()), end);
            if (from < to)
                std::memcpy(buf.data() + (from - at), p.bytes.data() + (from - p.offset), static_cast<std::size_t>(to - from));
        }
        ok = out.write(buf.data(), static_cast<std::size_t>(n));
        at = end;
    }
    ::close(in);
    for (const auto& p : patches)
        if (p.offset < 0 || p.offset + static_cast<std::int64_t>(p.bytes.size()) > at) ok = false;
    return ok && out.commit();
}

}  // namespace fw
