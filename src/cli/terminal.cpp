#include "cli/terminal.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "core/common/text.h"

namespace fw::cli {

namespace {

struct Guard {
    int fd = -1;
    fw::TerminalText text;
};

Guard gOut{STDOUT_FILENO, {}};
Guard gErr{STDERR_FILENO, {}};
std::FILE* gControl = nullptr;

bool writeAll(int fd, const std::string& s) {
    for (std::size_t done = 0; done < s.size();) {
        const ssize_t n = ::write(fd, s.data() + done, s.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

ssize_t filteredWrite(void* cookie, const char* buf, std::size_t size) {
    auto* g = static_cast<Guard*>(cookie);
    return writeAll(g->fd, g->text.feed({buf, size})) ? static_cast<ssize_t>(size) : -1;
}

int filteredClose(void* cookie) {
    auto* g = static_cast<Guard*>(cookie);
    return writeAll(g->fd, g->text.finish()) ? 0 : -1;
}

std::FILE* filtered(Guard& g, int mode) {
    cookie_io_functions_t io{};
    io.write = filteredWrite;
    io.close = filteredClose;
    std::FILE* f = ::fopencookie(&g, "w", io);
    if (f) std::setvbuf(f, nullptr, mode, mode == _IONBF ? 0 : BUFSIZ);
    return f;
}

// exit() flushes the streams but closes none: a sequence cut at the very end would go unsaid.
void finishAtExit() {
    for (Guard* g : {&gOut, &gErr}) {
        std::fflush(g == &gOut ? stdout : stderr);
        writeAll(g->fd, g->text.finish());
    }
}

}  // namespace

void guardTerminalOutput() {
    gControl = stderr;
    std::atexit(finishAtExit);
    // glibc lets a program set its standard streams; every printf and fputs below then goes
    // through the filter, the ones written later included.
    if (::isatty(STDOUT_FILENO))
        if (std::FILE* f = filtered(gOut, _IOLBF)) stdout = f;
    if (::isatty(STDERR_FILENO))
        if (std::FILE* f = filtered(gErr, _IONBF)) stderr = f;
}

std::FILE* terminalControl() { return gControl ? gControl : stderr; }

}  // namespace fw::cli
