#pragma once
// Wall-clock timing for the side-by-side comparisons: best of several runs, in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace fw::bench {

inline double bestMs(int runs, const std::function<void()>& fn) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        fn();
        auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

// Times a shell command; a negative result when it failed (the tool is missing, say).
inline double commandMs(int runs, const std::string& cmd) {
    bool ok = true;
    double ms = bestMs(runs, [&] { ok = ok && std::system((cmd + " >/dev/null 2>&1").c_str()) == 0; });
    return ok ? ms : -1;
}

inline void row(const char* what, double ms) {
    if (ms < 0) std::printf("  %-44s %12s\n", what, "unavailable");
    else std::printf("  %-44s %9.1f ms\n", what, ms);
}

}  // namespace fw::bench
