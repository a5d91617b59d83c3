#include "core/common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

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
    // Keep the permissions of a file being replaced, or the usual ones for a new file.
    struct stat st {};
    mode_t mode;
    if (::stat(m_target.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(m_fd, mode);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_done && !m_temp.empty()) std::remove(m_temp.c_str());
}

bool AtomicFileWriter::write(const void* data, std::size_t len) {
    if (!ok()) return false;
    const char* p = static_cast<const char*>(data);
    while (len > 0) {
        ssize_t n = ::write(m_fd, p, len);
        if (n <= 0) {
            m_failed = true;
            return false;
        }
        p += n;
        len -= static_cast<std::size_t>(n);
    }
    return true;
}

bool AtomicFileWriter::commit() {
    if (!ok()) return false;
    bool good = ::fsync(m_fd) == 0;
    good = (::close(m_fd) == 0) && good;
    m_fd = -1;
    if (good && std::rename(m_temp.c_str(), m_target.c_str()) == 0) {
        m_done = true;
        return true;
    }
    m_failed = true;
    return false;
}

}  // namespace fw
