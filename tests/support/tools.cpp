#include "support/tools.h"

#include <algorithm>
#include <array>
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

std::vector<std::size_t> differingBytes(const std::string& a, const std::string& b) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) out.push_back(i);
    return out;
}

}  // namespace fw::test
