#include "core/bitrate/inverse_calc.h"

#include <cmath>

#include "core/avi/file_source.h"
#include "core/avi/inspector.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::bitrate {

InverseFile openInverse(const std::string& path) {
    InverseFile f;
    f.path = path;
    fw::avi::FileSource src(path);
    if (!src.isOpen()) return f;  // the window stays silent on a file it cannot read
    auto form = src.fourcc(8);
    if (!form || *form != "AVI ") {
        f.messages.push_back(Message::lang("AviDetectorMsgBox", 1));
        return f;
    }
    f.fileLength = src.size();
    f.riffSize = src.u32(4).value_or(0);
    // An OpenDML file's first RIFF holds its first gigabyte only: the parts after it count too.
    if (auto scan = fw::avi::scanAvi(path, false); scan && scan->riffParts > 1) f.riffSize = scan->riffEnd - 8;
    f.complete = !(f.riffSize > f.fileLength);
    f.completenessYellow = !f.complete;
    f.Text1[6] = f.complete ? LangText("AviDetector", 4)
                            : LangText("AviDetector", 3) + numberText(roundHalfEven(double(f.riffSize - f.fileLength) / 1048576, 2)) + " MB";
    // The fixed positions of a standard file: the first stream header right after the main one.
    auto s = src.i32(28);
    if (!s || *s < 0) return f;
    auto w = src.i32(64), h = src.i32(68);
    auto scale = src.u32(72 + std::int64_t(*s)), rate = src.u32(76 + std::int64_t(*s)), length = src.u32(84 + std::int64_t(*s));
    if (!w || !h || !scale || !rate || !length || *scale == 0 || *rate == 0) return f;
    f.width = *w;
    f.height = *h;
    f.scale = *scale;
    f.rate = *rate;
    f.length = *length;
    f.fps = double(f.rate) / f.scale;
    f.frames = f.length;
    f.duration = f.frames / f.fps;
    f.Text1[0] = std::to_string(f.width);
    f.Text1[1] = std::to_string(f.height);
    f.Text1[2] = std::to_string(f.length);
    f.Text1[3] = numberText(f.fps);
    f.Text1[4] = numberText(roundHalfEven(f.duration, 1)) + " sec";
    f.Text1[5] = numberText(roundHalfEven(f.sizeMB(), 3)) + " MB";
    f.ok = true;
    return f;
}

InverseTotal inverseMediaTotal(const InverseMedia& m) {
    InverseTotal t;
    auto fail = [&](Message msg) {
        t.messages.push_back(std::move(msg));
        return t;
    };
    auto count = [&](const std::string& text) -> std::optional<double> {
        const std::string v = trim(text);
        return v.empty() ? std::optional<double>(0) : parseNumber(v);
    };
    auto size = [](const std::string& combo) {
        for (auto s : kCdSizes)
            if (combo == s) return std::stoi(std::string(s));
        return 0;
    };
    const auto c74 = count(m.cd74), c80 = count(m.cd80);
    if (!c74 || !c80) return fail(checkNumericMessage());
    if (*c74 < 0 || *c80 < 0) return fail(Message::lang("BitcalcMsgBox", 12, Icon::Exclamation));
    const auto n74 = toInt16(*c74), n80 = toInt16(*c80);
    const auto part74 = n74 ? toInt16(double(*n74) * size(m.Combo3)) : std::nullopt;
    const auto part80 = n80 ? toInt16(double(*n80) * size(m.Combo4)) : std::nullopt;
    const auto discs = n74 && n80 ? toInt16(double(*n74) + *n80) : std::nullopt;
    if (!part74 || !part80 || !discs) return fail(Message::lang("BitcalcMsgBox", 7, Icon::Exclamation));
    const double total = double(*part74) + *part80 + (m.overburn ? 10.0 * *discs : 0.0);
    const auto t16 = toInt16(total);
    if (!t16) return fail(Message::lang("BitcalcMsgBox", 7, Icon::Exclamation));
    t.total = *t16;
    t.ok = true;
    return t;
}

InverseResult Calcolo_Inverso(const InverseFile& file, const InverseMedia& media) {
    InverseResult r;
    auto total = inverseMediaTotal(media);
    if (!total.ok) {
        r.messages = total.messages;
        return r;
    }
    r.totalMB = total.total;
    if (r.totalMB == 0) {
        r.messages.push_back(Message::lang("BitcalcMsgBox", 5, Icon::Question));
        return r;
    }
    // A file without a running time has no rate to work out (the division would be by 0).
    if (!(file.duration > 0) || !std::isfinite(file.duration)) {
        r.messages.push_back(Message::lang("BitcalcMsgBox", 6));
        return r;
    }
    r.audioRoom = (double(r.totalMB) - file.sizeMB()) * 8192 / file.duration;
    if (!(r.audioRoom > 0)) {
        r.messages.push_back(Message::lang("InvCalcTooltips", 4, Icon::Exclamation));
        return r;
    }
    if (r.audioRoom >= 320) {
        r.step = 320;
        r.text = "Bitrate audio = 320 Kbit/sec";
    } else {
        for (int s : kAudioSteps)
            if (s <= r.audioRoom) r.step = s;
        if (r.step == 0) {
            r.messages.push_back(Message::fixed(LangText("InvCalcTooltips", 2) + "\r\n" + LangText("InvCalcTooltips", 3)));
            return r;
        }
        r.text = "Bitrate audio = " + std::to_string(r.step) + " Kbit/s";
    }
    r.ok = true;
    return r;
}

}  // namespace fw::bitrate
