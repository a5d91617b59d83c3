// import and inverse: the bitrate calculator's source import, and the inverse calculator.
#include <cstdio>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/bitrate/inverse_calc.h"
#include "core/bitrate/source_import.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::cli {

using namespace fw::bitrate;

int runImport(const Argv& argv) {
    Args a(argv, {"as"}, {"json"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().size() != 1) return fail("usage: import FILE [--as info|d2v|stats] [--json]", 2);
    const std::string file = a.positionals()[0];
    std::optional<ImportKind> kind;
    if (auto as = a.get("as")) {
        kind = importKindFromText(*as);
        if (!kind) return fail("--as takes info, d2v or stats", 2);
    } else {
        kind = importKindForName(file);
        if (!kind) return fail(file + ": the reader follows the extension (.txt, .d2v, .stats); give --as", 2);
    }
    auto r = importSource(file, *kind);
    if (!r.ok) return fail(file + ": " + r.error);
    const char* reader = r.kind == ImportKind::Info ? "info" : r.kind == ImportKind::D2v ? "d2v" : "stats";
    if (a.has("json")) {
        Json j;
        j.beginObject().field("reader", reader).key("frames");
        if (r.frames) j.value(*r.frames);
        else j.null();
        if (r.kind == ImportKind::D2v) j.field("framerate_text", *r.framerateText).field("field_operation", r.fieldOperation);
        if (r.kind == ImportKind::Info) {
            j.key("width");
            if (r.resolutionText) j.value(r.width);
            else j.null();
            j.key("height");
            if (r.resolutionText) j.value(r.height);
            else j.null();
        }
        j.endObject();
        std::printf("%s\n", j.str().c_str());
    } else {
        std::printf("frames\t%s\n", r.framesText.c_str());
        if (r.framerateText) std::printf("frame rate\t%s\n", r.framerateText->c_str());
        if (r.resolutionText) std::printf("display mode\t%s x %s\n", r.resolutionText->first.c_str(), r.resolutionText->second.c_str());
    }
    return 0;
}

int runInverse(const Argv& argv) {
    Args a(argv, {"cd74", "size74", "cd80", "size80"}, {"overburn", "json"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().size() != 1)
        return fail("usage: inverse FILE [--cd74 N] [--size74 MB] [--cd80 N] [--size80 MB] [--overburn] [--json]", 2);
    InverseMedia m;
    m.cd74 = a.get("cd74").value_or("0");
    m.cd80 = a.get("cd80").value_or("0");
    for (auto [opt, combo] : {std::pair{"size74", &m.Combo3}, std::pair{"size80", &m.Combo4}}) {
        if (auto v = a.get(opt)) {
            const std::string item = trim(*v) + " MB";
            bool known = false;
            for (auto s : kCdSizes) known = known || s == item;
            if (!known) return fail(std::string("--") + opt + " takes one of 650, 654, 700, 702, 785, 870", 2);
            *combo = item;
        }
    }
    m.overburn = a.has("overburn");
    const std::string path = a.positionals()[0];
    auto f = openInverse(path);
    if (!f.messages.empty()) return failWith(f.messages.front());
    if (!f.ok) return fail(path + ": the file cannot be read as an AVI file");
    auto r = Calcolo_Inverso(f, m);
    if (a.has("json")) {
        Json j;
        j.beginObject()
            .field("width", f.width)
            .field("height", f.height)
            .field("frames", f.frames)
            .field("fps", f.fps)
            .field("duration_s", f.duration)
            .field("size_mb", f.sizeMB())
            .field("complete", f.complete)
            .field("total_mb", static_cast<int>(r.totalMB))
            .field("audio_room_kbps", r.audioRoom);
        if (r.ok) j.field("bitrate_text", r.text);
        j.endObject();
        std::printf("%s\n", j.str().c_str());
    } else {
        for (const auto& t : f.Text1) std::printf("%s\n", t.c_str());
        if (r.ok) std::printf("%s\n", r.text.c_str());
    }
    if (!r.ok) {
        for (const auto& msg : r.messages) failWith(msg);
        return 1;
    }
    return 0;
}

}  // namespace fw::cli
