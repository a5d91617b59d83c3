#include <cstdio>
#include <cmath>
#include <ctime>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/common/number.h"
#include "core/common/text.h"
#include "core/stats/stats_file.h"

namespace fw::cli {

using namespace fw::stats;

namespace {

void writeSummaryJson(const AnalysisResult& a, const CurveResult& c) {
    const StatsSummary& s = a.summary;
    const StatsDisplay& d = a.display;
    auto n = [](const std::string& t) { return parseNumber(t).value_or(0); };
    Json j;
    j.beginObject()
        .field("frames", static_cast<long long>(s.m))
        .field("total_kb", n(d.totalKB))
        .field("max", s.Max)
        .field("min", s.Min)
        .field("i_frames", static_cast<long long>(s.countI))
        .field("p_frames", static_cast<long long>(s.countP))
        .field("b_frames", static_cast<long long>(s.countB))
        .field("skip", static_cast<long long>(s.skip))
        .field("pad", static_cast<long long>(s.pad))
        .field("delay", static_cast<long long>(s.delay))
        .field("pixels_per_frame", static_cast<long long>(s.Px))
        .field("bits_per_pixel", n(d.bpp))
        .field("max_i", s.maxI)
        .field("avg_i", n(d.avgI))
        .field("max_p", s.maxP)
        .field("avg_p", n(d.avgP));
    j.key("max_b");
    if (s.maxB) j.value(s.maxB);
    else j.null();
    j.key("avg_b");
    if (s.maxB) j.value(n(d.avgB));
    else j.null();
    j.field("avg_pb", n(d.avgPB))
        .field("avg_frame", n(d.avgFrame))
        .field("max_vs_avg", d.maxVsAvg)
        .field("min_below_avg", d.minBelowAvg)
        .field("moved_blocks", n(d.moved))
        .field("unchanged_blocks", n(d.unchanged))
        .field("key_blocks", n(d.key));
    const Distribution& dist = c.distribution;
    j.key("distribution").beginObject().field("below", static_cast<long long>(dist.countBelow))
        .field("equal", static_cast<long long>(dist.countEqual)).field("above", static_cast<long long>(dist.countAbove));
    j.key("above_buckets").beginArray();
    for (double v : dist.above) j.value(v);
    j.endArray().key("below_buckets").beginArray();
    for (double v : dist.below) j.value(v);
    j.endArray().endObject().endObject();
    std::printf("%s\n", j.str().c_str());
}

}  // namespace

int runStats(const Argv& argv) {
    Args a(argv, {"frame", "report", "rescale", "out", "keyframe", "size"}, {"json", "frames-table", "overwrite"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().size() != 1)
        return fail("usage: stats FILE [--json] [--frame N] [--report OUT [--frames-table] [--overwrite]] "
                    "[--rescale KB --out OUT [--overwrite]] [--keyframe N [--size largest|average|custom:BYTES|keep]]", 2);
    const std::string file = a.positionals()[0];
    for (const char* option : {"report", "out"})
        if (auto out = a.get(option))
            if (auto refusal = outputRefusal(*out, {file}, a.has("overwrite"))) return fail(*refusal);
    AnalysisResult an = AnalizeStats(file);
    if (!an.ok) {
        for (const auto& m : an.messages) failWith(m);
        return 1;
    }
    if (auto f = a.get("frame")) {
        auto n = parseNumber(*f);
        auto rec = n ? readFrame(file, static_cast<std::int64_t>(*n)) : std::nullopt;
        if (!rec || *n != std::floor(*n)) return failWith(Message::lang("StatsEditorMsgBox", 17));
        const FrameKind kind = frameKind(*rec);
        if (a.has("json")) {
            Json j;
            j.beginObject().field("frame", static_cast<long long>(*n)).field("frame_size", rec->frameSize)
                .field("quant", static_cast<long long>(rec->Quant & 255)).field("kblk", rec->kblk).field("mblk", rec->mblk)
                .field("ublk", rec->ublk).field("kind", kind.text).field("special", specialWord(*rec))
                .field("details", frameDetails(*rec)).endObject();
            std::printf("%s\n", j.str().c_str());
        } else {
            std::printf("%s\r\n%s\r\n%s\n", frameDetails(*rec).c_str(), kind.text.c_str(), specialWord(*rec).c_str());
        }
        return 0;
    }
    if (auto out = a.get("report")) {
        std::string d, h;
        dateAndTime(d, h);
        if (!writeStatsReport(*out, file, an, a.has("frames-table"), d, h)) return fail("cannot write the report " + *out);
        std::printf("%s\n", out->c_str());
        return 0;
    }
    if (auto kb = a.get("rescale")) {
        auto out = a.get("out");
        if (!out) return fail("--rescale needs --out OUT", 2);
        auto target = parseNumber(*kb);
        if (!target) return failWith(checkNumericMessage());
        auto r = rescaleStats(file, *out, *target, an.summary);
        if (!r.ok) {
            for (const auto& m : r.messages) failWith(m);
            return 1;
        }
        std::printf("%s\n", r.closingText.c_str());
        return 0;
    }
    if (auto k = a.get("keyframe")) {
        auto n = parseNumber(*k);
        if (!n) return failWith(Message::lang("StatsEditorMsgBox", 17));
        KeySize size = KeySize::Keep;
        double custom = 0;
        const std::string choice = a.get("size").value_or("keep");
        if (choice == "largest") size = KeySize::LargestI;
        else if (choice == "average") size = KeySize::AverageI;
        else if (choice.rfind("custom:", 0) == 0) {
            auto v = parseNumber(choice.substr(7));
            if (!v) return failWith(checkNumericMessage());
            size = KeySize::Custom;
            custom = *v;
        } else if (choice != "keep") return fail("--size takes largest, average, custom:BYTES or keep", 2);
        auto r = insertKeyFrame(file, static_cast<std::int64_t>(*n), size, custom, an.summary);
        for (const auto& m : r.messages) std::fprintf(r.ok ? stdout : stderr, "%s\n", m.resolve().c_str());
        if (!r.ok) return 1;
        std::printf("%s\n", r.modified ? "modified" : "unchanged");
        return 0;
    }
    if (a.has("json")) {
        writeSummaryJson(an, ScaleCurve(file, an, 1));
        return 0;
    }
    const StatsDisplay& d = an.display;
    std::printf("frames\t\t%lld\ntotal KB\t%s\nmax\t\t%s\nmin\t\t%s\nI/P/B\t\t%s/%s/%s\nskip/pad/delay\t%s\n"
                "pixels/frame\t%s\nbits per pixel\t%s\nmax I / avg I\t%s / %s\nmax P / avg P\t%s / %s\n"
                "max B / avg B\t%s / %s\navg P&B\t\t%s\navg frame\t%s\nmax vs avg\t%s\nmin below avg\t%s\n"
                "moved/unchanged/key blocks %%\t%s / %s / %s\n",
                static_cast<long long>(an.summary.m), d.totalKB.c_str(), d.max.c_str(), d.min.c_str(), d.iFrames.c_str(),
                d.pFrames.c_str(), d.bFrames.c_str(), d.special.c_str(), d.px.c_str(), d.bpp.c_str(), d.maxI.c_str(),
                d.avgI.c_str(), d.maxP.c_str(), d.avgP.c_str(), d.maxB.c_str(), d.avgB.c_str(), d.avgPB.c_str(),
                d.avgFrame.c_str(), d.maxVsAvg.c_str(), d.minBelowAvg.c_str(), d.moved.c_str(), d.unchanged.c_str(),
                d.key.c_str());
    return 0;
}

}  // namespace fw::cli
