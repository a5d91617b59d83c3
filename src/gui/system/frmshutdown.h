#pragma once
// The shutdown scheduler: after a countdown or at a time of day it logs off, shuts down,
// reboots or powers off, and the program ends. The wait runs on a timer, so the window and the
// rest of the program stay usable and Stop works.
#include <QDateTime>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "core/system/shutdown.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimeEdit;

namespace fw::gui {

class frmshutdown : public QWidget {
    Q_OBJECT
public:
    // The backend ends the logon (logind when none is given); `ended` runs after it, to end the
    // program (the tests give their own).
    explicit frmshutdown(std::unique_ptr<fw::system::ExitBackend> backend = nullptr, std::function<void()> ended = nullptr,
                         QWidget* parent = nullptr);
    ~frmshutdown() override;

    int action() const;
    void setCountdown(int days, int hours, int minutes, int seconds);
    void cmdStart_Click();
    void cmdStop_Click();
    bool counting() const { return m_countdown.running(); }
    QString countdownText() const;
    QString clockText() const;
    // The calls made when the wait ended (for the tests and the dry run).
    const std::vector<fw::system::ExitCall>& callsMade() const { return m_calls; }

signals:
    void remainingChanged(const QString& text);  // the timer's cMilliseconds event

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void tick();
    void showClock();
    void endLogon();
    void setRunning(bool running);

    std::unique_ptr<fw::system::ExitBackend> m_backend;
    std::function<void()> m_ended;
    fw::system::Countdown m_countdown;
    QTimer m_wait;
    QTimer m_clock;
    bool m_cancel = false;
    std::vector<fw::system::ExitCall> m_calls;
    std::array<QRadioButton*, 4> m_actions{};
    std::array<QSpinBox*, 4> m_fields{};
    QCheckBox* m_clockMode = nullptr;
    QDateEdit* m_date = nullptr;
    QTimeEdit* m_time = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QLabel* m_display = nullptr;
    QLabel* m_now = nullptr;
    QString m_caption;
    QDateTime m_wallTarget;  // the time of day waited for, in clock mode
};

}  // namespace fw::gui
