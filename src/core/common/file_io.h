#pragma once
// Opening a file the user named. A named pipe or a device would block the open or the first read
// for ever, so only regular files are opened; anything else fails as a file that cannot be opened.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace fw {

// open(2) with O_CLOEXEC, for regular files only: -1 (errno EINVAL) for a FIFO, a device, a folder.
int openRegular(const std::string& path, int flags);

// A whole file of at most maxBytes, opened with openRegular; nothing when it cannot be opened or
// read, or is larger.
std::optional<std::string> readFileBounded(const std::string& path, std::size_t maxBytes);
// Up to maxLen bytes from offset; fewer at the end of the file.
std::optional<std::string> readRange(const std::string& path, std::uint64_t offset, std::size_t maxLen);
// A kernel text file (/proc, /sys, /etc/os-release), read to its end up to cap bytes: these
// report no size, so it is read until the end rather than to a size. "" when it cannot be read.
std::string readKernelText(const std::string& path, std::size_t cap = 1 << 20);

// Every byte the program writes to a file goes through these two, so a test can make the disk
// "fill up" at any point (writeFaults below). Both write all or report failure (errno set).
bool writeAll(int fd, const void* data, std::size_t len);
bool writeAllAt(int fd, const void* data, std::size_t len, std::int64_t offset);
// Copies up to len bytes from in at *offset to out's end, kernel to kernel where it can; the
// bytes copied (advancing *offset), 0 at the end of in, -1 on an error.
std::int64_t copyChunk(int in, std::int64_t* offset, int out, std::size_t len);

// Starts writing [from, from + len) of fd to the disk without waiting for it, so that a long copy
// and its final fsync overlap instead of following each other.
void startWriteback(int fd, std::int64_t from, std::int64_t len);

// The test double of a full disk: after `bytes` more bytes, every write that needs new room fails
// with ENOSPC (a write that crosses the limit writes its first part, as a real disk does).
// Overwriting bytes a file already has takes no room, as on a real disk. Process-wide.
namespace writeFaults {
void failAfter(std::uint64_t bytes);
void clear();
// Bytes written through writeAll, writeAllAt and copyChunk since the process started.
std::uint64_t written();
}  // namespace writeFaults

}  // namespace fw
