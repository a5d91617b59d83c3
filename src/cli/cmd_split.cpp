#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/json.h"
#include "core/common/number.h"
#include "core/common/text.h"
#include "core/splitter/splitter.h"

namespace fw::cli {

using namespace fw::splitter;

int runSplit(const Argv& argv) {
    Args a(argv, {"piece-size", "preset", "size-mb", "pieces", "out"}, {"script", "keep-ext", "delete-source", "json"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().size() != 1)
        return fail("usage: split FILE (--piece-size BYTES | --preset \"1024 KB\" | --size-mb N | --pieces N) [--script] "
                    "[--keep-ext] [--delete-source] [--out DIR] [--json]", 2);
    SplitRequest r;
    r.source = a.positionals()[0];
    if (auto m = CheckForFile(r.source)) return failWith(*m);
    std::error_code ec;
    const int modes = a.has("piece-size") + a.has("preset") + a.has("size-mb") + a.has("pieces");
    if (modes != 1) return fail("give one of --piece-size, --preset, --size-mb, --pieces", 2);
    auto number = [&](const char* opt) { return parseNumber(*a.get(opt)); };
    const Message notNumber = Message::lang("BitcalcMsgbox", 1);
    const Message notPositive = Message::lang("FileSplitterMsgBox", 26, Icon::Exclamation);
    if (a.has("piece-size")) {
        auto v = number("piece-size");
        if (!v) return failWith(notNumber);
        if (!(*v >= 1) || *v > 9.0e18) return failWith(notPositive);
        r.pieceSize = static_cast<std::int64_t>(*v);
    } else if (a.has("preset")) {
        auto b = presetBytes(*a.get("preset"));
        if (!b) return fail("unknown preset " + *a.get("preset") + " (16 KB ... 100 MB)", 2);
        r.pieceSize = *b;
    } else if (a.has("size-mb")) {
        auto v = number("size-mb");
        if (!v) return failWith(notNumber);
        if (!(*v * 1048576 >= 0.5) || *v > 8.0e12) return failWith(notPositive);
        r.pieceSize = static_cast<std::int64_t>(roundHalfEven(*v * 1048576, 0));
    } else {
        // A count is read as the window reads it: the nearest whole number, halves to even.
        auto v = number("pieces");
        if (!v) return failWith(notNumber);
        const std::int64_t n = toInt64Saturated(*v);
        if (n < 2) return failWith(Message::lang("FileSplitterMsgBox", 25, Icon::Exclamation));
        r.count = n;
    }
    r.outDir = a.get("out").value_or("");
    r.script = a.has("script");
    r.keepExtension = a.has("keep-ext");
    SplitResult res;
    {
        StopOnSignals signals;
        res = SplitFile(r, StopOnSignals::progress());
    }
    if (res.stopped) {
        fail("stopped: the pieces written so far and the info file stay");
        return 128 + SIGINT;
    }
    if (!res.ok) {
        for (const auto& m : res.messages) failWith(m);
        return 1;
    }
    if (a.has("delete-source")) std::filesystem::remove(r.source, ec);
    if (a.has("json")) {
        Json j;
        j.beginObject().key("pieces").beginArray();
        for (const auto& [path, size] : res.pieces)
            j.beginObject().field("name", std::filesystem::path(path).filename().string()).field("size", static_cast<long long>(size)).endObject();
        j.endArray();
        j.key("info_file");
        if (res.infoFile.empty()) j.null();
        else j.value(res.infoFile);
        j.key("script");
        if (res.batScript.empty()) j.null();
        else j.value(res.batScript);
        j.key("shell_script");
        if (res.shScript.empty()) j.null();
        else j.value(res.shScript);
        j.field("piece_size", static_cast<long long>(res.pieceSize)).field("count", static_cast<long long>(res.count))
            .field("elapsed_s", roundHalfEven(res.elapsed, 3)).endObject();
        std::printf("%s\n", j.str().c_str());
    } else {
        for (const auto& [path, size] : res.pieces) std::printf("%s\t%lld\n", path.c_str(), static_cast<long long>(size));
        std::printf("%s\n", res.status.c_str());
    }
    return 0;
}

int runJoin(const Argv& argv) {
    Args a(argv, {}, {"json", "overwrite"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().size() != 1) return fail("usage: join INFO_FILE [--overwrite] [--json]", 2);
    const std::string info = a.positionals()[0];
    if (auto m = CheckForFile(info)) return failWith(*m);
    if (info.size() < 3 || info.compare(info.size() - 3, 3, "000") != 0)
        return failWith(Message::lang("FileSplitterMsgBox", 18, Icon::Exclamation));
    JoinResult res;
    {
        StopOnSignals signals;
        res = AssemblyFiles(info, StopOnSignals::progress(), a.has("overwrite"));
    }
    if (res.stopped) {
        fail("stopped: nothing was joined");
        return 128 + SIGINT;
    }
    if (!res.ok) {
        for (const auto& m : res.messages) failWith(m);
        if (res.messages.empty()) fail(res.status);
        return 1;
    }
    if (a.has("json")) {
        Json j;
        j.beginObject().field("output", res.output).field("bytes", static_cast<long long>(res.bytes))
            .field("elapsed_s", roundHalfEven(res.elapsed, 3)).endObject();
        std::printf("%s\n", j.str().c_str());
    } else {
        std::printf("%s\n%s\n", res.output.c_str(), res.status.c_str());
    }
    return 0;
}

}  // namespace fw::cli
