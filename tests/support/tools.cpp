#include "support/tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fw::test {

std::string quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

int sh(const std::string& command) {
    std::string cmd = command + " >/dev/null 2>&1";
    int rc = std::system(cmd.c_str());
    if (rc != 0) std::fprintf(stderr, "command failed (%d): %s\n", rc, command.c_str());
    return rc;
}

std::string capture(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> p(::popen(command.c_str(), "r"), ::pclose);
    if (!p) return out;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p.get())) > 0) out.append(buf.data(), n);
    return out;
}

std::string probe(const std::string& file, const std::string& stream, const std::string& entry) {
    std::string out = capture("ffprobe -v error -select_streams " + stream + " -show_entries " + entry +
                              " -of default=nw=1:nk=1 " + quote(file) + " 2>/dev/null");
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

std::vector<std::size_t> diff(const std::string& a, const std::string& b) {
    EXPECT_EQ(a.size(), b.size()) << "the length changed";
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) out.push_back(i);
    return out;
}

std::string missingTool(const std::vector<std::string>& tools) {
    for (const auto& t : tools)
        if (sh("command -v " + quote(t)) != 0) return t;
    return {};
}

bool underCi() {
    const char* ci = std::getenv("CI");
    return ci && *ci && std::string(ci) != "false" && std::string(ci) != "0";
}

PacketCounts probePackets(const std::string& file, const std::string& stream) {
    PacketCounts c;
    const std::string out = capture("ffprobe -v error -select_streams " + stream +
                                    " -show_entries packet=size,flags,duration_time -of csv=p=0 " + quote(file) + " 2>/dev/null");
    std::size_t pos = 0;
    while (pos < out.size()) {
        std::size_t nl = out.find('\n', pos);
        if (nl == std::string::npos) nl = out.size();
        const std::string line = out.substr(pos, nl - pos);
        pos = nl + 1;
        if (line.empty()) continue;
        // duration_time,size,flags in the order ffprobe lists the entries of a packet.
        const auto a = line.find(','), b = line.find(',', a + 1);
        if (a == std::string::npos || b == std::string::npos) continue;
        ++c.packets;
        c.seconds += num(line.substr(0, a));
        c.bytes += std::atoll(line.substr(a + 1, b - a - 1).c_str());
        if (line.find('K', b) != std::string::npos) ++c.keyFrames;
    }
    return c;
}

bool has(const std::string& hay, const std::string& needle) { return hay.find(needle) != std::string::npos; }

bool jsonField(const std::string& json, const std::string& key, const std::string& value) {
    const std::string text = "\"" + key + "\": " + value;
    for (auto at = json.find(text); at != std::string::npos; at = json.find(text, at + 1)) {
        const std::size_t end = at + text.size();
        if (end < json.size() && (json[end] == ',' || json[end] == '}' || json[end] == ']')) return true;
    }
    return false;
}

double num(const std::string& text) {
    std::size_t b = text.find_first_not_of(" \t\n");
    if (b == std::string::npos) return 0;
    double v = 0;
    std::from_chars(text.data() + b, text.data() + text.size(), v);
    return v;
}

std::string sha256(const std::string& file) {
    std::string out = capture("sha256sum " + quote(file));
    return out.substr(0, out.find(' '));
}

}  // namespace fw::test
