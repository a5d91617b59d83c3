#pragma once
// Ending the logon after a wait: the countdown's arithmetic and texts, and the sequence of calls
// that logs off, shuts down, reboots or powers off. The calls go to a backend: logind on this
// system (platform/logind.h), a recording one in the tests and in dry runs.
#include <chrono>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "core/common/message.h"

namespace fw::system {

enum class Action : int { LogOff = 0, ShutDown = 1, Reboot = 2, PowerOff = 3 };
// The families the sequence tells apart. This system is of the newest one.
enum class Family { Nt5, Nt4, Win9x };

// The flag values of the end-the-logon call: log off 0, shut down 1, reboot 2, power off 9
// (shut down and power off); any other action 0.
unsigned actionFlags(int action);

struct ExitCall {
    unsigned flags = 0;
    std::uint32_t reserved = 0;
    bool operator==(const ExitCall&) const = default;
};
// The three attempts: the flags as they are (reserved 0xFFFFFFFF); then the forcing variant
// (+16 on NT5, +4 otherwise); then 17 on NT5, 5 otherwise.
std::vector<ExitCall> exitSequence(int action, Family family);

class ExitBackend {
public:
    virtual ~ExitBackend() = default;
    // True when the logon is being ended. The action asked for comes along: a fallback call never
    // does more than the user chose.
    virtual bool exitWindows(int action, const ExitCall& call) = 0;
};

// Tries the sequence until a call succeeds; the calls made, in order.
std::vector<ExitCall> ShutdownSystem(int action, Family family, ExitBackend& backend);

// What an end-the-logon call is on systemd-logind: log off ends the caller's own session; shut
// down and power off are PowerOff, reboot is Reboot. The method follows the action asked for, not
// the flags: the sequence's last attempt (17 or 5, "shut down" on the platform it was made for)
// must not power off a machine whose user asked to log off or to reboot. The plain call honours
// inhibitors (other programs' "not now"); the forcing ones ignore them where the caller may.
struct LogindCall {
    std::string method;          // "TerminateSession", "PowerOff", "Reboot"
    bool ignoreInhibitors = false;
    bool operator==(const LogindCall&) const = default;
};
LogindCall logindCall(int action, const ExitCall& call);

// A backend that makes no call and keeps what it was asked, answering with the given results in
// turn (then true): the tests' and the dry run's.
class RecordingBackend : public ExitBackend {
public:
    explicit RecordingBackend(std::vector<bool> answers = {}) : m_answers(std::move(answers)) {}
    bool exitWindows(int action, const ExitCall& call) override;
    const std::vector<ExitCall>& calls() const { return m_calls; }

private:
    std::vector<bool> m_answers;
    std::vector<ExitCall> m_calls;
};

// The countdown of the window, on a steady clock.
double countdownSeconds(double days, double hours, double minutes, double seconds);
// "[clsTimer.Milliseconds]" / "Parameter MilliSeconds must be greater than 0!" for a wait that
// is not positive.
std::optional<Message> checkWait(double milliseconds);

class Countdown {
public:
    using Clock = std::chrono::steady_clock;
    // Starts a wait of ms milliseconds from now; an error (checkWait) when ms is not positive.
    std::optional<Message> start(double milliseconds, Clock::time_point now = Clock::now());
    double remainingMs(Clock::time_point now = Clock::now()) const;
    bool finished(Clock::time_point now = Clock::now()) const { return m_running && remainingMs(now) <= 0; }
    void stop() { m_stopped = true; }
    bool stopped() const { return m_stopped; }
    bool running() const { return m_running && !m_stopped; }
    // Milliseconds to sleep between checks.
    int slumberInterval = 10;

private:
    Clock::time_point m_end{};
    bool m_running = false;
    bool m_stopped = false;
};

// The remaining time as the window shows it: days, hours and minutes as "00", seconds as
// "00.0000", joined by ":" ("01:02:03:04.0000").
std::string remainingText(double ms);
// The caption of the minimised window: the first 11 characters of the trimmed remaining time and
// " Shutdown".
std::string minimisedCaption(const std::string& remaining);

// Dates and times as the window shows them: "6-Dec-2026", "4:05:09 PM", "6-Dec-2026 4:05:09 PM".
std::string dateText(const std::tm& t);
std::string timeText(const std::tm& t);
// "YYYY-MM-DD HH:MM:SS" (the command line's --at), local time; nothing when it is no valid time.
std::optional<std::time_t> parseLocalTime(const std::string& text);

}  // namespace fw::system
