#include <cstdio>
#include <filesystem>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/bitrate/bitrate_calc.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::cli {

using fw::bitrate::Bitcalc;
using fw::bitrate::Profile;

namespace {

bool parsePair(const std::string& s, char sep, std::string& a, std::string& b) {
    auto p = toLower(s).find(sep);
    if (p == std::string::npos) return false;
    a = trim(s.substr(0, p));
    b = trim(s.substr(p + 1));
    return !a.empty() && !b.empty();
}

std::string codecForFile(const std::string& path) {
    std::string ext = toLower(std::filesystem::path(path).extension().string());
    if (ext == ".ac3") return "AC3 Dolby D.";
    if (ext == ".dts") return "DTS Audio";
    if (ext == ".ogg") return "OGG (da file)";
    return "Mp3 (da file)";
}

}  // namespace

int runBitrate(const Argv& argv) {
    Args a(argv,
           {"discs", "size", "time", "frames", "fps", "audio-kbps", "audio-file", "codec", "interleave", "profile",
            "resolution"},
           {"overburn", "vbr", "interleave-ms", "frame-overhead", "json"});
    if (!a.ok()) return fail(a.error(), 2);
    if (!a.positionals().empty()) return fail("unexpected argument " + a.positionals().front(), 2);

    Bitcalc calc;
    auto& in = calc.in;
    calc.width = 720;
    calc.height = 576;

    auto discs = a.all("discs");
    if (discs.size() > 2) return fail("at most two --discs", 2);
    if (!discs.empty() && a.has("size")) return fail("--discs and --size exclude each other", 2);
    if (!discs.empty()) {
        in.Option3_0 = true;
        in.Option3_1 = false;
        in.txtCD[1].clear();
        for (std::size_t i = 0; i < discs.size(); ++i) {
            std::string count, size;
            if (!parsePair(discs[i], 'x', count, size)) return fail("--discs takes COUNTxSIZE, e.g. 2x700", 2);
            std::string type = size + " MB";
            bool known = false;
            for (auto t : fw::bitrate::kDiscTypes) known = known || t == type;
            if (!known) return fail("disc size " + size + " is not one of 650, 654, 700, 702, 785, 870", 2);
            if (!isNumeric(count)) return fail("disc count " + count + " is not a number", 2);
            in.txtCD[i] = count;
            in.Combo3[i] = type;
        }
    }
    if (auto s = a.get("size")) {
        in.Option3_0 = false;
        in.Option3_1 = true;
        in.txtCD[2] = *s;
    }
    in.overburn = a.has("overburn");

    if (a.has("time") && a.has("frames")) return fail("--time and --frames exclude each other", 2);
    if (auto t = a.get("time")) {
        std::vector<std::string> parts = isplit(*t, ":");
        if (parts.size() > 3) return fail("--time takes H:M:S", 2);
        while (parts.size() < 3) parts.insert(parts.begin(), "0");
        for (std::size_t i = 0; i < 3; ++i) in.txtTime[i] = parts[i];
        in.Option2_0 = true;
        in.Option2_1 = false;
        for (int i = 0; i < 3; ++i) {
            auto v = calc.guardTime(i);
            if (!v.messages.empty()) return failWith(v.messages.front());
        }
    }
    if (auto f = a.get("frames")) {
        in.frames = *f;
        in.Option2_0 = false;
        in.Option2_1 = true;
        auto v = calc.guardFrames();
        if (!v.messages.empty()) return failWith(v.messages.front());
    }
    if (auto f = a.get("fps")) in.framerate = ifind(*f, "fps") == std::string::npos ? *f + " fps" : *f;

    if (auto c = a.get("codec")) {
        bool known = false;
        for (auto k : fw::bitrate::kAudioCodecs)
            if (iequals(k, *c)) {
                in.codecaudio = std::string(k);
                known = true;
            }
        if (!known) return fail("unknown audio codec " + *c, 2);
    }
    if (auto path = a.get("audio-file")) {
        std::error_code ec;
        auto size = std::filesystem::file_size(*path, ec);
        if (ec) return fail("cannot read the audio file " + *path, 1);
        if (!a.has("codec") || fw::bitrate::codecSizedByBitrate(in.codecaudio)) in.codecaudio = codecForFile(*path);
        calc.audioSize = static_cast<double>(size) / 1048576.0;
        in.standard = in.personalizzato = false;
    } else if (fw::bitrate::audioFileChoice(in.codecaudio)) {
        return fail("the codec " + in.codecaudio + " takes its size from --audio-file", 2);
    }
    if (auto k = a.get("audio-kbps")) {
        if (!isNumeric(*k)) return failWith(checkNumericMessage());
        std::string item = trim(*k) + " Kbps";
        bool listed = false;
        for (auto b : fw::bitrate::kAudioBitrates) listed = listed || b == item;
        in.standard = listed;
        in.personalizzato = !listed;
        if (listed) in.bitrate1 = item;
        else in.bitrate2 = *k;
    }
    in.VBR = a.has("vbr");
    if (auto i = a.get("interleave")) {
        if (!isNumeric(*i)) return failWith(Message::lang("BitcalcMsgBox", 1));
        in.interval = *i;
    }
    in.Option1_0 = !a.has("interleave-ms");
    in.Option1_1 = a.has("interleave-ms");
    if (auto p = a.get("profile")) {
        if (*p == "divx3") in.profile = Profile::Divx3;
        else if (*p == "divx3fm") in.profile = Profile::Divx3fm;
        else if (*p == "divx4") in.profile = Profile::Divx4;
        else if (*p == "divx5") in.profile = Profile::Divx5;
        else return fail("--profile takes divx3, divx3fm, divx4 or divx5", 2);
    }
    in.Check2 = a.has("frame-overhead");
    if (auto r = a.get("resolution")) {
        auto wh = fw::bitrate::parseCompression(ireplace(*r, "x", " X "));
        if (!wh) return fail("--resolution takes WIDTHxHEIGHT, e.g. 640x272", 2);
        calc.width = wh->first;
        calc.height = wh->second;
    }

    auto r = calc.calcola();
    if (!r.computed) return failWith(r.messages.empty() ? Message::lang("BitcalcMsgBox", 6) : r.messages.front());
    for (const auto& m : r.messages) std::fprintf(stderr, "framewise-cli: %s\n", m.resolve().c_str());

    if (a.has("json")) {
        Json j;
        j.beginObject()
            .field("total_mb", r.totalMB)
            .field("duration_s", r.durationS)
            .field("frames", r.frames)
            .field("audio_mb", r.audioMB)
            .field("audio_overhead_mb", r.audioOverheadMB)
            .field("frame_overhead_mb", r.frameOverheadMB)
            .field("net_mb", r.netMB)
            // Rounded as the window shows them.
            .field("video_kbps", roundHalfEven(r.videoKbps, 2))
            .field("kbits_per_frame", roundHalfEven(r.kbitsPerFrame, 2));
        j.key("bits_per_pixel");
        if (r.bitsPerPixelValid) j.value(roundHalfEven(r.bitsPerPixel, 4));
        else j.null();
        j.field("video_kb", r.videoKB)
            .field("width", calc.width)
            .field("height", calc.height)
            .stringArray("texts", std::vector<std::string>(r.texts.begin(), r.texts.end()))
            .endObject();
        std::printf("%s\n", j.str().c_str());
    } else {
        for (const auto& t : r.texts) std::printf("%s\n", t.c_str());
    }
    return 0;
}

}  // namespace fw::cli
