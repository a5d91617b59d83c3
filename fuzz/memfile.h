#pragma once
// The readers take file paths; a memory-backed file gives them one without touching the disk.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace fw::fuzz {

class MemFile {
public:
    MemFile(const std::uint8_t* data, std::size_t size) {
        m_fd = ::memfd_create("fuzz", 0);
        if (m_fd < 0) return;
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = ::write(m_fd, data + done, size - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
    }
    ~MemFile() {
        if (m_fd >= 0) ::close(m_fd);
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(m_fd); }
    bool ok() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

}  // namespace fw::fuzz
