#pragma once
// Long work off the UI thread: the work runs on the thread pool with a progress callback that
// can be told to stop; a timer mirrors its progress into a progress bar; the window gets the
// finish call back on the UI thread. The work never touches a widget.
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>

#include "core/common/progress.h"

namespace fw::gui {

class BackgroundRunner : public QObject {
    Q_OBJECT
public:
    explicit BackgroundRunner(QObject* parent, QProgressBar* bar = nullptr);
    ~BackgroundRunner() override;

    bool busy() const { return m_busy; }
    // Starts work(progress) unless busy; done() runs on the UI thread afterwards. A new run
    // clears the stop request of the last one.
    bool start(std::function<void(fw::Progress)> work, std::function<void()> done);
    void stop();
    // Blocks until the running work ends (tests, and the window closing).
    void wait();

signals:
    void finished();

private:
    struct Shared {
        std::atomic<std::uint64_t> done{0}, total{0};
        std::atomic<bool> stop{false};
        std::atomic<bool> finished{false};
    };
    QPointer<QProgressBar> m_bar;
    QTimer m_timer;
    std::shared_ptr<Shared> m_shared;
    std::function<void()> m_done;
    bool m_busy = false;
};

}  // namespace fw::gui
