// check, repair and keyframes: the answers an archive of old AVI files needs, for scripts.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/json.h"
#include "cli/terminal.h"
#include "core/avi/avi_health.h"
#include "core/avi/avi_repair.h"
#include "core/avi/keyframes.h"
#include "core/common/atomic_file.h"
#include "core/common/lang.h"
#include "core/common/number.h"

namespace fw::cli {

using namespace fw::avi;

namespace {

const std::set<std::string> kAviExtensions = {".avi", ".divx"};

std::string fixed(double v, int places) { return numberText(roundHalfEven(v, places)); }

// A percentage on standard error while long work runs, when a person is watching it.
Progress terminalProgress(const char* what) {
    if (!::isatty(STDERR_FILENO)) return {};
    return Progress([what, last = -1](std::uint64_t done, std::uint64_t total) mutable {
        const int pct = total ? static_cast<int>(done * 100 / total) : 0;
        if (pct != last) {
            last = pct;
            std::fprintf(terminalControl(), "\r%s %3d %%", what, pct);
            std::fflush(terminalControl());
        }
        return true;
    });
}

void endTerminalProgress() {
    if (::isatty(STDERR_FILENO)) std::fprintf(terminalControl(), "\r\033[K");
}

void writeJson(Json& j, const std::string& file, const HealthReport& r) {
    j.beginObject().field("file", file).field("ok", r.ok()).field("readable", r.readable);
    if (!r.readable) {
        j.field("error", r.error).endObject();
        return;
    }
    j.key("problems").beginArray();
    for (const auto& p : r.problems)
        j.beginObject().field("code", p.code).field("severity", severityName(p.severity)).field("text", p.text).endObject();
    j.endArray();
    j.key("frame_rate").beginObject().field("num", static_cast<long long>(r.rateNum)).field("den", static_cast<long long>(r.rateDen));
    j.key("name");
    if (r.rateName.empty()) j.null();
    else j.value(r.rateName);
    j.endObject();
    j.field("frames_in_file", static_cast<long long>(r.framesInFile)).field("seconds_in_file", roundHalfEven(r.secondsInFile, 3));
    // Without an index the key frames are unknown, not none.
    if (!r.indexRead) {
        j.key("key_frames").null();
        j.key("gop").null();
        j.key("longest_gap_s").null();
        j.endObject();
        return;
    }
    j.field("key_frames", static_cast<long long>(r.keyFrames));
    j.key("gop").beginObject().field("shortest", static_cast<long long>(r.gopShortest)).field("longest", static_cast<long long>(r.gopLongest))
        .field("mean", roundHalfEven(r.gopMean, 2)).endObject();
    j.field("longest_gap_s", roundHalfEven(r.longestGapSeconds, 3)).endObject();
}

std::vector<std::string> csvOf(const std::string& file, const HealthReport& r) {
    std::string codes, texts;
    for (const auto& p : r.problems) {
        codes += (codes.empty() ? "" : ";") + p.code;
        texts += (texts.empty() ? "" : " | ") + p.text;
    }
    if (!r.readable) return {file, "false", "false", "", "", "", "", "", "", "", "", "", "", "", r.error};
    return {file,
            r.ok() ? "true" : "false",
            "true",
            codes,
            r.rateDen ? std::to_string(r.rateNum) + "/" + std::to_string(r.rateDen) : "",
            r.rateName,
            std::to_string(r.framesInFile),
            fixed(r.secondsInFile, 3),
            r.indexRead ? std::to_string(r.keyFrames) : "",
            r.indexRead ? std::to_string(r.gopShortest) : "",
            r.indexRead ? std::to_string(r.gopLongest) : "",
            r.indexRead ? fixed(r.gopMean, 2) : "",
            r.indexRead ? fixed(r.longestGapSeconds, 3) : "",
            texts,
            ""};
}

void printText(const std::string& file, const HealthReport& r) {
    if (!r.readable) {
        std::printf("%s: %s\n", file.c_str(), r.error.c_str());
        return;
    }
    std::printf("%s\n", file.c_str());
    if (r.problems.empty()) std::printf("  %s\n", LangText("AviHealth", 19).c_str());
    for (const auto& p : r.problems) std::printf("  %-7s %s: %s\n", severityName(p.severity), p.code.c_str(), p.text.c_str());
    if (r.rateDen)
        std::printf("  %s: %u/%u%s\n", LangText("AviHealth", 21).c_str(), r.rateNum, r.rateDen,
                    r.rateName.empty() ? "" : (" (" + r.rateName + ")").c_str());
    std::printf("  %s: %lld (%s s)\n", LangText("AviHealth", 22).c_str(), static_cast<long long>(r.framesInFile),
                fixed(r.secondsInFile, 2).c_str());
    if (r.keyFrames > 0) {
        std::printf("  %s: %lld\n", LangText("AviHealth", 23).c_str(), static_cast<long long>(r.keyFrames));
        if (r.keyFrames > 1) {
            std::printf("  %s: %lld / %lld / %s %s\n", LangText("AviHealth", 24).c_str(), static_cast<long long>(r.gopShortest),
                        static_cast<long long>(r.gopLongest), fixed(r.gopMean, 2).c_str(), LangText("AviHealth", 29).c_str());
            std::printf("  %s: %s s\n", LangText("AviHealth", 25).c_str(), fixed(r.longestGapSeconds, 2).c_str());
        }
    }
}

}  // namespace

int runCheck(const Argv& argv) {
    Args a(argv, {}, {"json", "csv", "recursive"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().empty()) return fail("usage: check FILE|FOLDER... [--recursive] [--json | --csv]", 2);
    if (a.has("json") && a.has("csv")) return fail("--json and --csv exclude each other", 2);
    std::vector<std::string> errors;
    const auto files = expandFiles(a.positionals(), a.has("recursive"), kAviExtensions, &errors);
    for (const auto& e : errors) fail(e);
    bool many = files.size() != 1 || a.positionals().size() != 1 || std::filesystem::is_directory(a.positionals()[0]);
    int status = errors.empty() ? 0 : 2;
    Json j;
    if (a.has("json") && many) j.beginArray();
    if (a.has("csv"))
        std::fputs(csvRow({"file", "ok", "readable", "problems", "frame_rate", "frame_rate_name", "frames_in_file", "seconds_in_file",
                           "key_frames", "gop_shortest", "gop_longest", "gop_mean", "longest_gap_s", "details", "error"})
                       .c_str(),
                   stdout);
    for (const auto& f : files) {
        const HealthReport r = checkAvi(f, files.size() == 1 ? terminalProgress("check") : Progress{});
        if (files.size() == 1) endTerminalProgress();
        status = std::max(status, !r.readable ? 2 : r.ok() ? 0 : 1);
        if (a.has("json")) writeJson(j, f, r);
        else if (a.has("csv")) std::fputs(csvRow(csvOf(f, r)).c_str(), stdout);
        else printText(f, r);
    }
    if (a.has("json")) {
        if (many) j.endArray();
        std::printf("%s\n", j.str().c_str());
    }
    return status;
}

int runRepair(const Argv& argv) {
    Args a(argv, {"out"}, {"json", "overwrite"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().size() != 1 || !a.has("out")) return fail("usage: repair FILE --out FIXED.avi [--overwrite] [--json]", 2);
    const std::string source = a.positionals()[0];
    const std::string out = *a.get("out");
    std::error_code ec;
    if (std::filesystem::is_directory(out, ec)) return fail(out + ": is a folder; --out names the new file", 2);
    if (std::filesystem::exists(out, ec) && !a.has("overwrite") && !std::filesystem::equivalent(source, out, ec))
        return fail(out + ": the file exists; --overwrite replaces it", 1);  // a refusal, as towav's
    RepairResult r;
    {
        StopOnSignals signals;
        r = repairAvi(source, out, StopOnSignals::progress(terminalProgress("repair")));
    }
    endTerminalProgress();
    if (r.stopped) {
        fail("stopped: nothing was written");
        return 128 + SIGINT;
    }
    if (!r.ok) {
        for (const auto& m : r.messages) failWith(m);
        return 1;
    }
    if (a.has("json")) {
        Json j;
        j.beginObject().field("output", out).field("chunks_kept", static_cast<long long>(r.chunksKept))
            .field("frames_kept", static_cast<long long>(r.framesKept)).field("key_frames", static_cast<long long>(r.keyFrames))
            .field("seconds", roundHalfEven(r.seconds, 3)).field("damaged_regions", static_cast<long long>(r.damagedRegions))
            .field("skipped_bytes", static_cast<long long>(r.skippedBytes)).field("cut_short", r.cutShort)
            .field("bytes_written", static_cast<long long>(r.bytesWritten))
            .field("key_frame_source", r.keys == KeySource::VideoData ? "video-data"
                                       : r.keys == KeySource::OldIndex ? "old-index"
                                       : r.keys == KeySource::EveryFrame ? "every-frame"
                                                                         : "mixed")
            .endObject();
        std::printf("%s\n", j.str().c_str());
    } else {
        std::printf("%s %s\n%lld %s %lld %s %lld %s (%s s)\n%s\n", LangText("AviHealth", 30).c_str(), out.c_str(),
                    static_cast<long long>(r.chunksKept), LangText("AviHealth", 31).c_str(), static_cast<long long>(r.keyFrames),
                    LangText("AviHealth", 32).c_str(), static_cast<long long>(r.framesKept), LangText("AviHealth", 29).c_str(),
                    fixed(r.seconds, 2).c_str(), keySourceText(r.keys).c_str());
        if (r.damagedRegions > 0)
            std::printf("%s %lld (%lld %s)\n", LangText("AviHealth", 4).c_str(), static_cast<long long>(r.damagedRegions),
                        static_cast<long long>(r.skippedBytes), LangText("AviHealth", 5).c_str());
    }
    return 0;
}

int runKeyframes(const Argv& argv) {
    Args a(argv, {"format", "out"}, {"json", "overwrite"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().size() != 1)
        return fail("usage: keyframes FILE [--format list|qpfile|keyframes-v1] [--out OUT [--overwrite]] [--json]", 2);
    if (auto out = a.get("out"))
        if (auto refusal = outputRefusal(*out, a.positionals(), a.has("overwrite"))) return fail(*refusal);
    KeyframeFormat format = KeyframeFormat::List;
    if (auto f = a.get("format")) {
        if (*f == "list") format = KeyframeFormat::List;
        else if (*f == "qpfile") format = KeyframeFormat::Qpfile;
        else if (*f == "keyframes-v1") format = KeyframeFormat::KeyframesV1;
        else return fail("unknown format " + *f + " (list, qpfile, keyframes-v1)", 2);
    }
    if (a.has("json") && a.has("format")) return fail("--json and --format exclude each other", 2);
    const KeyframeList k = keyframesOf(a.positionals()[0]);
    if (!k.ok) return fail(a.positionals()[0] + ": " + k.error);
    std::string text;
    if (a.has("json")) {
        Json j;
        j.beginObject().field("file", a.positionals()[0]).field("source", k.source).field("total_frames", static_cast<long long>(k.totalFrames));
        j.field("complete", k.complete());
        j.key("key_frames").beginArray();
        for (auto n : k.frames) j.value(static_cast<long long>(n));
        j.endArray().endObject();
        text = j.str() + "\n";
    } else {
        text = keyframeText(k, format);
    }
    // A list from a cut index is written (its key frames are right) but said to be incomplete,
    // with status 1, so a script does not take it for the whole film's.
    const int status = k.complete() ? 0 : 1;
    if (!k.complete()) fail(a.positionals()[0] + ": " + k.incompleteText());
    if (auto out = a.get("out")) {
        AtomicFileWriter w(*out);
        if (!w.ok() || !w.write(text.data(), text.size()) || !w.commit())
            return fail(*out + ": " + LangText("AviRepair", 3) + " (" + std::strerror(errno) + ")");
        return status;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return status;
}

}  // namespace fw::cli
