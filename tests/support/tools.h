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
// Offsets where two files' bytes differ; a patched file keeps its length, so a length difference
// fails the test.
std::vector<std::size_t> diff(const std::string& a, const std::string& b);

// The first of these programs that is not on PATH, or empty when all are.
std::string missingTool(const std::vector<std::string>& tools);
// True under CI (CI set and not "false"), where every tool a test needs must be there.
bool underCi();

// What ffprobe counts for one stream ("v:0", "a:1"): packets, their bytes and key frames.
struct PacketCounts {
    long long packets = 0;
    long long bytes = 0;
    long long keyFrames = 0;
    double seconds = 0;  // the sum of the packets' durations
};
PacketCounts probePackets(const std::string& file, const std::string& stream);

// Whether hay holds needle.
bool has(const std::string& hay, const std::string& needle);
// Whether a JSON text holds "key": value as a whole value (followed by ",", "}" or "]"), so 2080
// does not match 20800.
bool jsonField(const std::string& json, const std::string& key, const std::string& value);

// A number a tool printed ("2.960000"), read with a point whatever the locale the tests run under.
double num(const std::string& text);

// The SHA-256 of a file, as sha256sum prints it.
std::string sha256(const std::string& file);

}  // namespace fw::test

// Skips a test that needs public tools when one is missing on a developer's machine, and fails it
// under CI, where scripts/install-deps installs them all.
#define FW_REQUIRE_TOOLS(...)                                                                   \
    do {                                                                                       \
        const std::string fwMissing_ = ::fw::test::missingTool({__VA_ARGS__});                 \
        if (!fwMissing_.empty()) {                                                             \
            if (::fw::test::underCi()) FAIL() << "CI needs " << fwMissing_ << " on PATH";      \
            GTEST_SKIP() << fwMissing_ << " is not installed";                                 \
        }                                                                                      \
    } while (0)

namespace fw::test {

}  // namespace fw::test
