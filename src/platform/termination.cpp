#include "platform/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace fw::platform {

namespace {

int g_pipe[2] = {-1, -1};
bool g_terminating = false;

void onSignal(int) {
    const char c = 1;
    // Only async-signal-safe calls here; the event loop does the rest.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &c, 1);
}

}  // namespace

bool terminating() { return g_terminating; }

void closeOnTerminationSignals(std::function<void()> handler) {
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [handler = std::move(handler)] {
        char buf[16];
        while (::read(g_pipe[0], buf, sizeof buf) > 0) {
        }
        g_terminating = true;
        handler();
    });
    struct sigaction act {};
    act.sa_handler = onSignal;
    act.sa_flags = SA_RESTART;
    sigemptyset(&act.sa_mask);
    for (int s : {SIGTERM, SIGHUP, SIGINT}) sigaction(s, &act, nullptr);
}

}  // namespace fw::platform
