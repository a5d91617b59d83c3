// fourcc, fps and sync: the header patchers on the command line.
#include <cmath>
#include <cstdio>
#include <functional>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/avi/patchers.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::cli {

using namespace fw::avi;

namespace {

int refusal(const Messages& ms) {
    int code = 1;
    for (const auto& m : ms) code = failWith(m, 1);
    return code;
}

// A refusal with --json: the file, the message, and what was read before it.
int jsonRefusal(const std::string& file, const Messages& ms, const std::function<void(Json&)>& read = {}) {
    Json j;
    j.beginObject().field("file", file).field("error", ms.empty() ? std::string("refused") : ms.front().resolve());
    if (read) read(j);
    j.endObject();
    std::printf("%s\n", j.str().c_str());
    return refusal(ms);
}

// After a patch: the outcome's messages on error, "modified" in the output either way.
int finish(const PatchOutcome& o) {
    if (!o.ok) return refusal(o.messages);
    return 0;
}

}  // namespace

int runFourcc(const Argv& argv) {
    Args a(argv, {"set"}, {"json"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().size() != 1) return fail("usage: fourcc FILE [--set CODE] [--json]", 2);
    std::optional<std::string> code;
    if (auto c = a.get("set")) {
        code = fourccPresetCode(*c);
        if (!code) return fail("--set takes one of mp41, mp42, mp43, DIV3, DIV4, DIVX, DX50, XVID", 2);
    }
    FourccSession s;
    auto opened = openFourcc(a.positionals()[0], s);
    if (!opened.ok) return a.has("json") ? jsonRefusal(a.positionals()[0], opened.messages) : refusal(opened.messages);
    PatchOutcome o;
    if (code) {
        o = saveFourcc(s, *code);
        if (!o.ok) return finish(o);
    }
    if (a.has("json")) {
        Json j;
        j.beginObject().field("compression", printableCode(s.compression)).field("handler", printableCode(s.handler)).field("codec", s.codecLine);
        if (code) j.field("new_code", *code).field("modified", o.modified);
        j.endObject();
        std::printf("%s\n", j.str().c_str());
    } else {
        std::printf("%s\n%s\n", s.currentLine.c_str(), s.codecLine.c_str());
        if (code) std::printf("%s\n", o.modified ? ("written: " + *code).c_str() : "unchanged");
    }
    return 0;
}

int runFps(const Argv& argv) {
    Args a(argv, {"set"}, {"json"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().size() != 1) return fail("usage: fps FILE [--set RATE] [--json]", 2);
    std::optional<double> rate;
    if (auto r = a.get("set")) {
        rate = ratePreset(*r);
        if (!rate) return fail("--set takes one of 23.970, 23.976, 24.000, 25.000, 29.970, 30.000", 2);
    }
    FpsSession s;
    auto opened = openFps(a.positionals()[0], s);
    if (!opened.ok) return a.has("json") ? jsonRefusal(a.positionals()[0], opened.messages) : refusal(opened.messages);
    PatchOutcome o;
    std::uint32_t newScale = 0;
    // A rate that gives the file's own dwScale again writes nothing, and says why: the file has
    // that rate already, or its dwRate leaves the rate out of reach (ffmpeg's dwRate 25 with 24).
    std::string unchanged;
    bool outOfReach = false;
    if (rate) {
        newScale = proposedScale(s, *rate);
        if (newScale == s.scale) {
            outOfReach = std::fabs(*rate - s.fps()) >= 0.0005;
            unchanged = outOfReach ? LangText("FpsChanger", 5) : LangText("FpsChanger", 6);
            if (auto at = unchanged.find("%1"); at != std::string::npos) unchanged.replace(at, 2, std::to_string(s.rate));
        } else {
            o = saveFps(s, newScale);
            if (!o.ok) return finish(o);
        }
    }
    if (a.has("json")) {
        Json j;
        j.beginObject()
            .field("rate", static_cast<unsigned long long>(s.rate))
            .field("scale", static_cast<unsigned long long>(s.scale))
            .field("fps", roundHalfEven(s.fps(), 4))
            .field("microsec_per_frame", s.microSecPerFrame)
            .field("total_frames", s.totalFrames);
        if (rate) j.field("new_scale", static_cast<unsigned long long>(newScale))
                      .field("new_fps", roundHalfEven(double(s.rate) / newScale, 4))
                      .field("modified", o.modified);
        if (!unchanged.empty()) j.field("unchanged", unchanged);
        j.endObject();
        std::printf("%s\n", j.str().c_str());
    } else {
        std::printf("%s fps (dwRate %u / dwScale %u), %d microseconds per frame, %d frames\n",
                    numberText(roundHalfEven(s.fps(), 4)).c_str(), s.rate, s.scale, s.microSecPerFrame, s.totalFrames);
        if (rate)
            std::printf("new dwScale %u: %s fps, %s\n", newScale, numberText(roundHalfEven(double(s.rate) / newScale, 4)).c_str(),
                        o.modified ? "written" : !unchanged.empty() ? unchanged.c_str() : "unchanged");
    }
    return outOfReach ? 1 : 0;
}

int runSync(const Argv& argv) {
    Args a(argv, {}, {"apply", "json"});
    if (!a.ok()) return fail(a.error(), 2);
    if (a.positionals().size() != 1) return fail("usage: sync FILE [--apply] [--json]", 2);
    SyncSession s;
    auto opened = openSync(a.positionals()[0], s);
    if (!opened.ok) {
        // What was read before the refusal is shown, as the window shows it.
        if (a.has("json"))
            return jsonRefusal(a.positionals()[0], opened.messages, [&](Json& j) {
                if (s.headerRead)
                    j.field("fps", roundHalfEven(s.videoFps(), 5)).field("microsec_per_frame", s.microSecPerFrame)
                        .field("total_frames", static_cast<long long>(s.frames));
            });
        if (s.headerRead)
            std::printf("%s fps, %d microseconds per frame, %lld frames\n", numberText(roundHalfEven(s.videoFps(), 5)).c_str(),
                        s.microSecPerFrame, static_cast<long long>(s.frames));
        return refusal(opened.messages);
    }
    PatchOutcome o;
    if (a.has("apply") && !s.inSync) {
        o = saveSync(s);
        if (!o.ok) return finish(o);
    }
    if (a.has("json")) {
        Json j;
        j.beginObject()
            .field("fps", roundHalfEven(s.videoFps(), 5))
            .field("microsec_per_frame", s.microSecPerFrame)
            .field("total_frames", static_cast<long long>(s.frames))
            .field("video_s", roundHalfEven(s.videoSeconds, 3))
            .field("audio_s", roundHalfEven(s.audioSeconds, 3));
        j.key("audio_index_s");
        if (s.indexSeconds) j.value(roundHalfEven(*s.indexSeconds, 3));
        else j.null();
        j.field("ok", s.inSync);
        if (!s.inSync)
            j.field("new_scale", static_cast<unsigned long long>(s.newScale))
                .field("new_rate", static_cast<unsigned long long>(s.newRate))
                .field("new_fps", roundHalfEven(s.newFps(), 5))
                .field("modified", o.modified);
        j.endObject();
        std::printf("%s\n", j.str().c_str());
    } else {
        std::printf("video %s s, audio %s s\n", numberText(roundHalfEven(s.videoSeconds, 3)).c_str(),
                    numberText(roundHalfEven(s.audioSeconds, 3)).c_str());
        if (s.inSync) std::printf("OK!!\n");
        else
            std::printf("new frame rate %s (dwRate %u / dwScale %u)%s\n", numberText(roundHalfEven(s.newFps(), 5)).c_str(),
                        s.newRate, s.newScale, o.modified ? ", written" : "");
    }
    return 0;
}

}  // namespace fw::cli
