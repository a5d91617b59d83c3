#pragma once
// Long work reports how far it got and learns whether the user asked it to stop.
#include <atomic>
#include <cstdint>
#include <functional>

namespace fw {

// Called with the work done and the work in all (same unit, usually bytes or records).
// Returns false to ask the work to stop at the next safe point.
using ProgressFn = std::function<bool(std::uint64_t done, std::uint64_t total)>;

class Progress {
public:
    Progress() = default;
    Progress(ProgressFn fn) : m_fn(std::move(fn)) {}  // NOLINT: implicit from a callback on purpose
    // True to go on; false once the callback has asked to stop (and from then on).
    bool report(std::uint64_t done, std::uint64_t total) {
        if (m_stopped) return false;
        if (m_fn && !m_fn(done, total)) m_stopped = true;
        return !m_stopped;
    }
    bool stopped() const { return m_stopped; }

private:
    ProgressFn m_fn;
    bool m_stopped = false;
};

// A stop request shared between a window's Stop button and the work it started; cleared when a
// new run starts.
class StopFlag {
public:
    void request() { m_flag.store(true, std::memory_order_relaxed); }
    void clear() { m_flag.store(false, std::memory_order_relaxed); }
    bool requested() const { return m_flag.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_flag{false};
};

}  // namespace fw
