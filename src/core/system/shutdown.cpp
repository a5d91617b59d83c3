#include "core/system/shutdown.h"

#include <cmath>
#include <cstdio>

#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::system {

unsigned actionFlags(int action) {
    switch (action) {
        case 0: return 0;
        case 1: return 1;
        case 2: return 2;
        case 3: return 9;
        default: return 0;
    }
}

std::vector<ExitCall> exitSequence(int action, Family family) {
    const unsigned flags = actionFlags(action);
    const bool nt5 = family == Family::Nt5;
    return {{flags, 0xFFFFFFFFu}, {flags + (nt5 ? 16u : 4u), 0}, {nt5 ? 17u : 5u, 0}};
}

std::vector<ExitCall> ShutdownSystem(int action, Family family, ExitBackend& backend) {
    std::vector<ExitCall> made;
    for (const ExitCall& c : exitSequence(action, family)) {
        made.push_back(c);
        if (backend.exitWindows(action, c)) break;
    }
    return made;
}

LogindCall logindCall(int action, const ExitCall& call) {
    constexpr unsigned kForce = 4, kForceIfHung = 16;
    LogindCall l;
    l.ignoreInhibitors = (call.flags & (kForce | kForceIfHung)) != 0;
    switch (action) {
        case 1:
        case 3: l.method = "PowerOff"; break;
        case 2: l.method = "Reboot"; break;
        default: l.method = "TerminateSession"; break;
    }
    return l;
}

bool RecordingBackend::exitWindows(int, const ExitCall& call) {
    const std::size_t i = m_calls.size();
    m_calls.push_back(call);
    return i < m_answers.size() ? m_answers[i] : true;
}

double countdownSeconds(double days, double hours, double minutes, double seconds) {
    return days * 86400 + hours * 3600 + minutes * 60 + seconds;
}

std::optional<Message> checkWait(double milliseconds) {
    if (milliseconds > 0) return std::nullopt;
    return Message::fixed("Parameter MilliSeconds must be greater than 0!", Icon::Critical, "[clsTimer.Milliseconds]");
}

std::optional<Message> Countdown::start(double milliseconds, Clock::time_point now) {
    if (auto e = checkWait(milliseconds)) return e;
    m_end = now + std::chrono::microseconds(static_cast<std::int64_t>(std::llround(milliseconds * 1000)));
    m_running = true;
    m_stopped = false;
    return std::nullopt;
}

double Countdown::remainingMs(Clock::time_point now) const {
    if (!m_running) return 0;
    return std::max(0.0, std::chrono::duration<double, std::milli>(m_end - now).count());
}

std::string remainingText(double ms) {
    const double total = std::max(0.0, ms) / 1000.0;
    const auto days = static_cast<long long>(total / 86400);
    double rest = total - static_cast<double>(days) * 86400;
    const auto hours = static_cast<long long>(rest / 3600);
    rest -= static_cast<double>(hours) * 3600;
    const auto minutes = static_cast<long long>(rest / 60);
    rest -= static_cast<double>(minutes) * 60;
    return formatPattern(static_cast<double>(days), "00") + ":" + formatPattern(static_cast<double>(hours), "00") + ":" +
           formatPattern(static_cast<double>(minutes), "00") + ":" + formatPattern(rest, "00.0000");
}

std::string minimisedCaption(const std::string& remaining) {
    const std::string t = trim(remaining);
    return t.substr(0, 11) + " Shutdown";
}

namespace {
constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
}

std::string dateText(const std::tm& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d-%s-%04d", t.tm_mday, kMonths[((t.tm_mon % 12) + 12) % 12], t.tm_year + 1900);
    return buf;
}

std::string timeText(const std::tm& t) {
    const int h12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h12, t.tm_min, t.tm_sec, t.tm_hour < 12 ? "AM" : "PM");
    return buf;
}

std::optional<std::time_t> parseLocalTime(const std::string& text) {
    std::tm t{};
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min, &t.tm_sec, &tail) != 6)
        return std::nullopt;
    const std::tm asked = t;
    if (asked.tm_year < 1970) return std::time_t{0};  // long past: the caller says so
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    t.tm_isdst = -1;
    const std::time_t when = std::mktime(&t);
    // mktime moves 31 February to 3 March: a date that moved was not a date. A time the clock
    // skips when summer time begins (02:30 on that night) moves an hour on, and is that time.
    const bool sameDay = t.tm_year + 1900 == asked.tm_year && t.tm_mon + 1 == asked.tm_mon && t.tm_mday == asked.tm_mday;
    const bool sameTime = t.tm_hour == asked.tm_hour && t.tm_min == asked.tm_min;
    const bool skipped = t.tm_hour == asked.tm_hour + 1 && t.tm_min == asked.tm_min && t.tm_isdst > 0;
    if (asked.tm_mon < 1 || asked.tm_mon > 12 || asked.tm_mday < 1 || asked.tm_hour > 23 || asked.tm_min > 59 || asked.tm_sec > 59 ||
        asked.tm_hour < 0 || asked.tm_min < 0 || asked.tm_sec < 0 || !sameDay || !(sameTime || skipped))
        return std::nullopt;
    return when;
}

}  // namespace fw::system
