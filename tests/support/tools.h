#pragma once
// Public tools the tests make real files with and cross-check against (ffmpeg, ffprobe, ogmmerge).
#include <string>
#include <vector>

namespace fw::test {

// Runs a shell command; returns its exit status. Output goes to the test log only on failure.
int sh(const std::string& command);
// Runs a command and returns what it printed on standard output.
std::string capture(const std::string& command);
// ffprobe's value of one entry ("stream=width") of a stream ("v:0", "a:1").
std::string probe(const std::string& file, const std::string& stream, const std::string& entry);
std::string quote(const std::string& s);
// Offsets where two byte strings differ (a length difference counts as a failure of the caller's).
std::vector<std::size_t> differingBytes(const std::string& a, const std::string& b);

}  // namespace fw::test
