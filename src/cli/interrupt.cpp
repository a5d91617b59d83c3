#include "cli/interrupt.h"

#include <signal.h>

#include <csignal>
#include <memory>

namespace fw::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[3] {};

void onSignal(int) { g_interrupted = 1; }

}  // namespace

StopOnSignals::StopOnSignals() {
    g_interrupted = 0;
    struct sigaction act {};
    act.sa_handler = onSignal;
    act.sa_flags = SA_RESTART;  // a read or write the signal lands in goes on; the work stops after it
    sigemptyset(&act.sa_mask);
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &act, &g_previous[i]);
}

StopOnSignals::~StopOnSignals() {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
}

bool StopOnSignals::requested() { return g_interrupted != 0; }

Progress StopOnSignals::progress(Progress inner) {
    auto shared = std::make_shared<Progress>(std::move(inner));
    return Progress([shared](std::uint64_t done, std::uint64_t total) { return shared->report(done, total) && !requested(); });
}

}  // namespace fw::cli
