#include <signal.h>

#include <csignal>
#include <cstdio>
#include <filesystem>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/json.h"
#include "core/common/lang.h"
#include "core/wav/converter.h"

namespace fw::cli {

int runToWav(const Argv& argv) {
    using namespace fw::wav;
    Args a(argv, {"out"}, {"overwrite", "prefix", "json"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().size() != 1 || (a.has("overwrite") && a.has("prefix")))
        return fail("usage: towav FILE [--out DIR] [--overwrite | --prefix] [--json]", 2);
    if (auto m = checkLibraries(runningLibraries(), builtLibraries())) return failWith(*m);
    const std::string source = a.positionals()[0];
    OpenResult opened = openSource(source);
    if (!opened.decoder) return failWith(opened.error);

    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path dir = fs::absolute(a.get("out").value_or(fs::absolute(source, ec).parent_path().string()), ec).lexically_normal();
    if (!fs::is_directory(dir, ec)) {
        Message m = Message::lang("WavConverterMsgBox", 25, Icon::Exclamation);
        m.suffix = " " + dir.string();
        return failWith(m);
    }
    // The window's question, answered by the options: --overwrite is Yes, --prefix is No, and
    // neither is Cancel.
    std::string output = outputPath(source, dir.string());
    if (auto m = checkOutput(output)) return failWith(*m);
    if (fs::exists(fs::symlink_status(output, ec))) {
        if (a.has("prefix")) {
            output = prefixedPath(output);
            if (output.empty()) return failWith(Message::lang("WavConverterMsgBox", 24, Icon::Exclamation));
        } else if (!a.has("overwrite")) {
            Message m = Message::lang("WavConverterMsgBox", 26, Icon::Exclamation);
            m.suffix = " " + output;
            return failWith(m);
        } else if (sameFile(source, output)) {
            return failWith(Message::lang("WavConverterMsgBox", 29, Icon::Exclamation));
        }
    }

    ConvertResult r;
    {
        StopOnSignals signals;
        r = convert(*opened.decoder, output, StopOnSignals::progress());
    }
    if (!r.ok && !r.stopped) {
        for (const auto& m : r.messages) failWith(m);
        return 1;
    }
    for (const auto& m : r.messages) std::fprintf(stderr, "framewise-cli: %s\n", m.resolve().c_str());
    for (const auto& m : r.warnings) std::fprintf(stderr, "framewise-cli: warning: %s\n", m.resolve().c_str());
    const SourceInfo& info = opened.decoder->info();
    const bool module = info.kind == SourceKind::Module;
    const char* format = r.header == HeaderKind::Rf64 ? "rf64" : "wav";
    if (a.has("json")) {
        Json j;
        j.beginObject()
            .field("output", r.output)
            .field("format", format)
            .field("channels", static_cast<long long>(r.format.channels))
            .field("sample_rate", static_cast<long long>(r.format.sampleRate))
            .field("bits", static_cast<long long>(r.format.bits))
            .field("data_bytes", static_cast<long long>(r.dataBytes))
            .field("frames", static_cast<long long>(r.frames))
            .field("source_kind", module ? "module" : "stream")
            .field("codec", info.codec);
        if (module) j.field("title", info.title).field("orders", static_cast<long long>(info.orders));
        std::vector<std::string> warnings;
        for (const auto& m : r.warnings) warnings.push_back(m.resolve());
        j.stringArray("warnings", warnings);
        j.field("complete", r.ok).endObject();
        std::printf("%s\n", j.str().c_str());
    } else if (r.stopped) {
        std::printf("%s\n", r.status.c_str());
    } else {
        if (module) std::printf("%s\n", moduleCaption(info).c_str());
        std::printf("%s: %s, %d channel(s), %d Hz, %d bits, %llu data bytes (%llu frames)\n", r.output.c_str(), format,
                    r.format.channels, r.format.sampleRate, r.format.bits, static_cast<unsigned long long>(r.dataBytes),
                    static_cast<unsigned long long>(r.frames));
    }
    if (r.stopped) return 128 + SIGINT;
    return 0;
}

}  // namespace fw::cli
