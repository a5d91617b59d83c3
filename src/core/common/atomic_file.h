#pragma once
// A file written under a temporary name in the target's folder and renamed over the target only
// when everything was written and flushed: a failure or a stop never leaves a file that looks done.
#include <cstddef>
#include <string>

namespace fw {

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string target);
    ~AtomicFileWriter();  // without commit(), the temporary file is removed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool ok() const { return m_fd >= 0 && !m_failed; }
    bool write(const void* data, std::size_t len);
    // Flushes, renames over the target and returns true when all went well.
    bool commit();
    // The same, except that a target that exists by now is left alone: false with targetTaken(),
    // and the file can be committed under another name with retarget() and a new commit.
    bool commitNew();
    bool targetTaken() const { return m_taken; }
    void retarget(std::string target) { m_target = std::move(target); }
    const std::string& tempPath() const { return m_temp; }
    // The temporary file's descriptor, for copies that go kernel to kernel.
    int fd() const { return m_fd; }
    void markFailed() { m_failed = true; }

private:
    std::string m_target;
    std::string m_temp;
    int m_fd = -1;
    bool m_failed = false;
    bool m_done = false;
    bool m_taken = false;

    bool finish(bool replace);
};

// Copies the first maxBytes bytes of src (all of it when negative) to dst through an
// AtomicFileWriter, in blocks. False when src cannot be read or dst cannot be written.
bool copyFileAtomically(const std::string& src, const std::string& dst, long long maxBytes = -1);

}  // namespace fw
