// The system utilities on the command line: the system report, the update check and the shutdown
// scheduler.
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>
#include <thread>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/common/ini.h"
#include "core/common/number.h"
#include "core/common/paths.h"
#include "core/system/shutdown.h"
#include "core/system/system_report.h"
#include "core/system/update_check.h"
#include "fw/version.h"
#include "platform/http_fetch.h"
#include "platform/logind.h"
#include "platform/system_facts.h"

namespace fw::cli {

using namespace fw::system;

int runSysinfo(const Argv& argv) {
    Args a(argv, {}, {"json"});
    if (!a.ok() || !a.positionals().empty()) return fail("usage: sysinfo [--json]", 2);
    const SystemFacts f = fw::platform::gatherSystemFacts();
    if (!a.has("json")) {
        std::string report = systemReport(f);
        // The report's own CR LF line ends are for the window; a terminal wants LF.
        std::string out;
        for (char c : report)
            if (c != '\r') out += c;
        std::printf("%s", out.c_str());
        return 0;
    }
    Json j;
    j.beginObject().key("drives").beginArray();
    for (const auto& d : f.drives) {
        if (!d.sized || wholeMB(d.totalBytes) < 1) continue;
        static const char* kTypes[] = {"unknown", "no-root", "removable", "fixed", "network", "optical", "ram"};
        j.beginObject()
            .field("root", d.root)
            .field("type", d.type >= 0 && d.type <= 6 ? kTypes[d.type] : "other")
            .field("total_mb", static_cast<long long>(wholeMB(d.totalBytes)))
            .field("free_mb", static_cast<long long>(wholeMB(d.freeBytes)))
            .field("used_mb", static_cast<long long>(wholeMB(d.usedBytes)));
        if (d.type == 4) j.field("source", d.source);
        j.endObject();
    }
    j.endArray().field("network", f.network);
    j.key("user_domain");
    if (f.userDomain) j.value(*f.userDomain);
    else j.null();
    j.key("logon_server");
    if (f.logonServer) j.value(*f.logonServer);
    else j.null();
    j.key("uptime_s");
    if (f.uptimeSeconds) j.value(static_cast<long long>(*f.uptimeSeconds));
    else j.null();
    static const char* kBoot[] = {"normal", "rescue", "fail-safe-network", "other"};
    j.field("boot_mode", kBoot[std::min(std::max(f.bootMode, 0), 3)]);
    j.field("os", f.osName).field("os_version", std::to_string(f.osMajor) + "." + std::to_string(f.osMinor) + "." + std::to_string(f.osBuild));
    j.field("program_folder", f.programFolder).field("settings_folder", f.settingsFolder);
    j.field("computer_name", f.computerName).field("user_name", f.userName);
    if (f.memory) {
        const auto& m = *f.memory;
        j.key("memory_mb").beginObject()
            .field("load_percent", static_cast<long long>(m.loadPercent))
            .field("physical_total", static_cast<long long>(wholeMB(m.physTotal)))
            .field("physical_free", static_cast<long long>(wholeMB(m.physFree)))
            .field("swap_total", static_cast<long long>(wholeMB(m.swapTotal)))
            .field("swap_free", static_cast<long long>(wholeMB(m.swapFree)))
            .field("address_space_total", static_cast<long long>(wholeMB(m.virtTotal)))
            .field("address_space_free", static_cast<long long>(wholeMB(m.virtFree)))
            .endObject();
    }
    j.endObject();
    std::printf("%s\n", j.str().c_str());
    return 0;
}

int runUpdateCheck(const Argv& argv) {
    Args a(argv, {"url", "timeout-ms"}, {"json"});
    if (!a.ok() || !a.positionals().empty()) return fail("usage: update-check [--url URL] [--json]", 2);
    const std::string url = a.get("url").value_or(
        fw::ReadIni(fw::paths().settingsPath, "Update", "UpdateUrl", "https://framewise.example.org/framewise_update.txt"));
    int timeout = kUpdateTimeoutMs;
    if (auto t = a.get("timeout-ms")) {
        auto v = parseNumber(*t);
        if (!v || *v < 1 || *v > 600000) return fail("--timeout-ms takes 1 to 600000", 2);
        timeout = static_cast<int>(*v);
    }
    int qtArgc = 1;
    char name[] = "framewise-cli";
    char* qtArgv[] = {name, nullptr};
    QCoreApplication app(qtArgc, qtArgv);
    const QString file = QString::fromStdString(updateFilePath());
    QFile::remove(file);
    const auto fetched = fw::platform::fetchBlocking(QUrl(QString::fromStdString(url)), file, timeout, static_cast<qint64>(kUpdateFileCap));
    std::optional<std::string> bytes;
    if (fetched.ok) {
        QFile f(fetched.path);
        if (f.open(QIODevice::ReadOnly)) bytes = f.read(static_cast<qint64>(kUpdateFileCap) + 1).toStdString();
    }
    const UpdateCheck r = evaluateUpdate(bytes, kVersionText, false);
    if (!bytes) {
        if (a.has("json")) {
            Json j;
            j.beginObject().field("running", kVersionText).field("error", fetched.detail.toStdString()).endObject();
            std::printf("%s\n", j.str().c_str());
        }
        failWith(r.messages.front());
        std::fprintf(stderr, "framewise-cli: %s\n", fw::platform::fetchFailureText(fetched).c_str());
        return 1;
    }
    const bool newer = r.comparison == Comparison::Newer;
    // Lines as the file has them in JSON; on a terminal without the carriage return that would
    // send the cursor back over what was printed.
    auto plain = [](std::string t) {
        t.erase(std::remove(t.begin(), t.end(), '\r'), t.end());
        return t;
    };
    if (a.has("json")) {
        Json j;
        j.beginObject().field("running", kVersionText).field("remote", r.remote).field("newer", newer);
        j.field("comparison", r.comparison == Comparison::Same    ? "same"
                              : r.comparison == Comparison::Newer ? "newer"
                              : r.comparison == Comparison::Older ? "older"
                                                                  : "unknown");
        j.stringArray("lines", r.lines).endObject();
        std::printf("%s\n", j.str().c_str());
    } else {
        std::printf("running %s, newest %s%s\n", kVersionText, plain(r.remote).c_str(), newer ? ": a newer version has been released" : "");
        for (const auto& l : r.lines) std::printf("  %s\n", plain(l).c_str());
    }
    // A version that cannot be read is told, as the window tells it, and fails the check.
    if (r.comparison == Comparison::Unknown) {
        failWith(*comparisonMessage(Comparison::Unknown, false));
        return 1;
    }
    return 0;
}

namespace {

const char* actionName(int action) {
    static const char* kNames[] = {"logoff", "shutdown", "reboot", "poweroff"};
    return action >= 0 && action <= 3 ? kNames[action] : "?";
}

// "D:H:M:S" with whole, non-negative parts.
std::optional<double> countdownText(const std::string& text) {
    long long parts[4] = {};
    char tail = 0;
    if (std::sscanf(text.c_str(), "%lld:%lld:%lld:%lld%c", &parts[0], &parts[1], &parts[2], &parts[3], &tail) != 4) return std::nullopt;
    // At most 999 days, as the window's fields allow; hours, minutes and seconds as the clock has them.
    if (parts[0] < 0 || parts[0] > 999) return std::nullopt;
    for (int i = 1; i < 4; ++i)
        if (parts[i] < 0 || parts[i] > 99) return std::nullopt;
    return countdownSeconds(static_cast<double>(parts[0]), static_cast<double>(parts[1]), static_cast<double>(parts[2]),
                            static_cast<double>(parts[3]));
}

}  // namespace

int runShutdown(const Argv& argv) {
    Args a(argv, {"in", "at", "action"}, {"dry-run", "json", "now"});
    const char* usage =
        "usage: shutdown (--in D:H:M:S | --at \"YYYY-MM-DD HH:MM:SS\") --action logoff|shutdown|reboot|poweroff [--now] [--dry-run] "
        "[--json]";
    if (!a.ok() || !a.positionals().empty() || a.has("in") == a.has("at") || !a.has("action")) return fail(usage, 2);
    for (const char* o : {"in", "at", "action"})
        if (a.all(o).size() > 1) return fail(std::string("--") + o + " given twice", 2);
    int action = -1;
    for (int i = 0; i < 4; ++i)
        if (*a.get("action") == actionName(i)) action = i;
    if (action < 0) return fail(usage, 2);
    double wait = 0;
    std::optional<std::time_t> target;
    if (a.has("in")) {
        auto s = countdownText(*a.get("in"));
        if (!s) return fail("--in takes D:H:M:S, e.g. 0:1:30:0", 2);
        wait = *s;
    } else {
        auto when = parseLocalTime(*a.get("at"));
        if (!when) return fail("--at takes \"YYYY-MM-DD HH:MM:SS\" in local time", 2);
        wait = std::difftime(*when, std::time(nullptr));
        if (wait < 0) return failWith(Message::lang("ShutDownMsgBox", 11, Icon::Exclamation));
        target = *when;
    }
    // A zero wait acts at once: the window asks first, the command line wants it said.
    if (wait <= 0 && !a.has("now") && !a.has("dry-run"))
        return fail("the wait is zero: the " + std::string(actionName(action)) + " would happen at once; give --now to mean it", 2);
    RecordingBackend dry;
    if (a.has("dry-run")) {
        // The calls the sequence would make if every attempt failed, so all three are shown.
        dry = RecordingBackend({false, false, false});
        ShutdownSystem(action, Family::Nt5, dry);
        if (a.has("json")) {
            Json j;
            j.beginObject().field("action", actionName(action)).field("wait_s", static_cast<long long>(wait)).key("calls").beginArray();
            for (const auto& c : dry.calls()) {
                const auto l = logindCall(action, c);
                j.beginObject()
                    .field("flags", static_cast<long long>(c.flags))
                    .field("reserved", static_cast<long long>(c.reserved))
                    .field("logind", l.method)
                    .field("ignore_inhibitors", l.ignoreInhibitors)
                    .endObject();
            }
            j.endArray().endObject();
            std::printf("%s\n", j.str().c_str());
        } else {
            std::printf("wait %lld s, then %s\n", static_cast<long long>(wait), actionName(action));
            for (const auto& c : dry.calls()) {
                const auto l = logindCall(action, c);
                std::printf("  flags %u, reserved 0x%08X: logind %s%s\n", c.flags, c.reserved, l.method.c_str(),
                            l.ignoreInhibitors ? " (inhibitors ignored)" : "");
            }
        }
        return 0;
    }
    std::fprintf(stderr, "framewise-cli: %s in %lld s (interrupt to cancel)\n", actionName(action), static_cast<long long>(wait));
    // A time of day is a time of day: waited for on the wall clock, so a suspend on the way
    // does not make it late. A countdown is a length of time, on the steady clock.
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(wait));
    for (;;) {
        const bool due = target ? std::time(nullptr) >= *target : std::chrono::steady_clock::now() >= end;
        if (due) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    auto backend = fw::platform::makeLogindBackend();
    struct Judged : ExitBackend {
        ExitBackend& real;
        bool any = false;
        explicit Judged(ExitBackend& r) : real(r) {}
        bool exitWindows(int act, const ExitCall& c) override { return any = real.exitWindows(act, c); }
    } judged(*backend);
    ShutdownSystem(action, Family::Nt5, judged);
    if (!judged.any) {
        std::fprintf(stderr, "framewise-cli: logind refused every attempt to %s\n", actionName(action));
        return 1;
    }
    return 0;
}

}  // namespace fw::cli
