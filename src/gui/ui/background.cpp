#include "gui/ui/background.h"

#include <QCoreApplication>
#include <QThread>
#include <QtConcurrent/QtConcurrent>

namespace fw::gui {

BackgroundRunner::BackgroundRunner(QObject* parent, QProgressBar* bar) : QObject(parent), m_bar(bar) {
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (!m_shared) return;
        if (m_bar && m_shared->total > 0) {
            m_bar->setRange(0, 1000);
            m_bar->setValue(static_cast<int>(m_shared->done * 1000 / m_shared->total));
        }
        if (m_shared->finished) {
            m_timer.stop();
            m_busy = false;
            // A run that never said how much it had to do still ends on a full, still bar.
            if (m_bar) {
                if (m_bar->maximum() == 0) m_bar->setRange(0, 1000);
                m_bar->setValue(m_bar->maximum());
            }
            auto done = std::move(m_done);
            m_done = nullptr;
            if (done) done();
            emit finished();
        }
    });
}

BackgroundRunner::~BackgroundRunner() {
    stop();
    wait();
}

bool BackgroundRunner::start(std::function<void(fw::Progress)> work, std::function<void()> done) {
    if (m_busy) return false;
    m_busy = true;
    m_shared = std::make_shared<Shared>();
    m_done = std::move(done);
    auto shared = m_shared;
    if (m_bar) {
        m_bar->setRange(0, 0);
        m_bar->setValue(0);
    }
    (void)QtConcurrent::run([shared, work = std::move(work)] {
        work(fw::Progress([shared](std::uint64_t d, std::uint64_t t) {
            shared->done = d;
            shared->total = t;
            return !shared->stop.load();
        }));
        shared->finished = true;
    });
    m_timer.start();
    return true;
}

void BackgroundRunner::stop() {
    if (m_shared) m_shared->stop = true;
}

void BackgroundRunner::wait() {
    while (m_shared && !m_shared->finished) QThread::msleep(2);
}

}  // namespace fw::gui
