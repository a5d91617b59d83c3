#pragma once
// A file written under a temporary name in the target's folder and renamed over the target only
// when everything was written and flushed: a failure or a stop never leaves a file that looks done.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fw {

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string target);
    ~AtomicFileWriter();  // without commit(), the temporary file is removed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool ok() const { return m_fd >= 0 && !m_failed; }
    bool write(const void* data, std::size_t len);
    // Over bytes already written (a header filled in at the end).
    bool writeAt(const void* data, std::size_t len, std::int64_t offset);
    // Flushes, renames over the target and returns true when all went well.
    bool commit();
    // The same, except that a target that exists by now is left alone: false with targetTaken(),
    // and the file can be committed under another name with retarget() and a new commit.
    bool commitNew();
    bool targetTaken() const { return m_taken; }
    // Flushes and closes, and leaves the file under its temporary name for the caller to rename:
    // for a set of files that must replace the old ones together or not at all. Empty on failure.
    std::string release();
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
// The same into a writer the caller commits: a backup that takes its place only once the change
// it backs up has been made.
bool copyFileInto(const std::string& src, AtomicFileWriter& out, long long maxBytes = -1);

// Rewrites path through an AtomicFileWriter with the given bytes put at their offsets (each inside
// the file): the file changes whole or not at all. False when it cannot be read or written.
struct BytePatch {
    std::int64_t offset = 0;
    std::string bytes;
};
bool rewriteWithPatches(const std::string& path, const std::vector<BytePatch>& patches);

}  // namespace fw
