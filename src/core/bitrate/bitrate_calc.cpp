#include "core/bitrate/bitrate_calc.h"

#include <cmath>
#include <limits>

#include "core/common/ini.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::bitrate {

namespace {

constexpr double kMB = 1048576.0;

// A field holding a whole count: empty is 0, otherwise a number that fits 16 bits.
std::optional<std::int16_t> countField(std::string_view text) {
    std::string t = trim(text);
    if (t.empty()) return std::int16_t{0};
    auto v = parseNumber(t);
    if (!v) return std::nullopt;
    return toInt16(*v);
}

// A disc type's size: its text without the first "MB", as a whole number of MB.
std::optional<std::int16_t> discSize(std::string_view combo) {
    auto v = parseNumber(trim(replaceFirst(combo, "MB", "")));
    if (!v) return std::nullopt;
    return toInt16(*v);
}

bool textToBool(std::string_view s) {
    auto v = parseNumber(s);
    return v && *v != 0.0;
}

const char* boolText(bool b) { return b ? "-1" : "0"; }

}  // namespace

std::optional<Message> Bitcalc::spazio() {
    double total = 0;
    if (in.Option3_0) {
        auto a = countField(in.txtCD[0]);
        auto b = countField(in.txtCD[1]);
        auto ia = discSize(in.Combo3[0]);
        auto ib = discSize(in.Combo3[1]);
        if (!a || !b || !ia || !ib) {
            totalSize = 0;
            return Message::lang("BitcalcMsgBox", 7, Icon::Exclamation);
        }
        if (a.value_or(0) < 0 || b.value_or(0) < 0 || ia.value_or(0) < 0 || ib.value_or(0) < 0) {
            totalSize = 0;
            return Message::lang("BitcalcMsgBox", 12, Icon::Exclamation);
        }
        double allowance = in.overburn ? (double(*a) + double(*b)) * 10.0 : 0.0;
        total = allowance + double(*b) * double(*ib) + double(*a) * double(*ia);
    } else {
        auto c = countField(in.txtCD[2]);
        if (!c) {
            totalSize = 0;
            return Message::lang("BitcalcMsgBox", 7, Icon::Exclamation);
        }
        if (*c < 0) {
            totalSize = 0;
            return Message::lang("BitcalcMsgBox", 12, Icon::Exclamation);
        }
        total = *c;
    }
    auto t = toInt16(total);
    if (!t) {
        totalSize = 0;
        return Message::lang("BitcalcMsgBox", 7, Icon::Exclamation);
    }
    totalSize = *t;
    return std::nullopt;
}

void Bitcalc::frate() {
    std::string t = trim(ireplace(in.framerate, " fps", ""));
    rate = static_cast<float>(parseNumber(t).value_or(0.0));
}

std::string Bitcalc::rateText() const { return numberText(static_cast<double>(rate)); }
std::string Bitcalc::totalText() const { return std::to_string(totalSize); }

void Bitcalc::LengSectot() {
    for (auto& f : in.txtTime)
        if (f.empty()) f = "0";
    const double r = static_cast<double>(rate);
    if (in.Option2_0) {
        duration = numberOr0(in.txtTime[0]) * 3600 + numberOr0(in.txtTime[1]) * 60 + numberOr0(in.txtTime[2]);
        in.frames = numberText(duration * r);
    } else if (in.Option2_1) {
        double frames = numberOr0(in.frames);
        if (frames == 0 || r == 0) return;
        double h = intFloor(frames / (r * 3600));
        double m = intFloor(frames / (r * 60) - h * 60);
        double s = roundHalfEven(frames / r - h * 3600 - m * 60, 2);
        in.txtTime = {numberText(h), numberText(m), numberText(s)};
        duration = frames / r;
    }
}

double Bitcalc::aoverhead(Messages& messages) {
    bool unusable = false;
    return aoverhead(messages, unusable);
}

double Bitcalc::aoverhead(Messages& messages, bool& unusable) {
    unusable = false;
    LengSectot();
    auto iv = parseNumber(in.interval);
    if (iv) {
        double ms = 0;
        if (in.Option1_0) ms = *iv * static_cast<double>(1000.0f / rate);
        else if (in.Option1_1) ms = *iv;
        if (in.Option1_0 || in.Option1_1) {
            auto il = toInt16(ms);
            // Too long to hold, or too short to be an interleave: no overhead can be worked out.
            if (!il && std::isfinite(ms) && ms > 0) {
                messages.push_back(Message::lang("BitcalcMsgBox", 14, Icon::Exclamation));
                unusable = true;
                return 0.0;
            }
            if (!il) {
                messages.push_back(Message::lang("BitcalcMsgBox", 8, Icon::Exclamation));
                unusable = true;
                return 0.0;
            }
            interleave = *il;
        }
    } else if (!in.interval.empty()) {
        messages.push_back(Message::lang("BitcalcMsgBox", 1));
        in.interval.clear();
    }
    const double bytesPerChunk = in.VBR ? 40.0 : 24.0;
    if (numberOr0(in.interval) != 0.0) {
        if (interleave <= 0) {
            messages.push_back(Message::lang("BitcalcMsgBox", 8, Icon::Exclamation));
            unusable = true;
            return 0.0;
        }
        return roundHalfEven(bytesPerChunk * (1000.0 / interleave) * duration / kMB, 3);
    }
    return 0.0;
}

std::optional<std::int16_t> Bitcalc::listBitrate(std::string_view item) {
    auto v = parseNumber(trim(ireplace(item, "kbps", "")));
    if (!v) return std::nullopt;
    return toInt16(*v);
}

CalcResult Bitcalc::calcola() {
    CalcResult r;
    if (in.bitrate2.empty()) in.bitrate2 = "0";
    if (in.standard || in.personalizzato) {
        auto ab = in.standard ? listBitrate(in.bitrate1)
                              : (parseNumber(in.bitrate2) ? toInt16(*parseNumber(in.bitrate2)) : std::nullopt);
        if (!ab || *ab < 0) {
            r.messages.push_back(Message::lang("BitcalcMsgBox", 11, Icon::Exclamation));
            return r;
        }
        audioBitrate = *ab;
    }
    frate();
    LengSectot();
    if (in.Option2_0)
        for (const auto& t : in.txtTime)
            if (numberOr0(t) < 0) {
                r.messages.push_back(Message::lang("BitcalcMsgBox", 12, Icon::Exclamation));
                return r;
            }
    if (auto m = spazio()) {
        r.messages.push_back(*m);
        return r;
    }
    if (!(rate > 0.0f) || !std::isfinite(rate)) {
        r.messages.push_back(Message::lang("BitcalcMsgBox", 10, Icon::Exclamation));
        return r;
    }
    const double rt = static_cast<double>(rate);
    double frameOverhead = in.Check2 ? roundHalfEven(rt * duration * 24 / kMB, 3) : 0.0;
    if (codecSizedByBitrate(in.codecaudio)) audioSize = duration / 8192 * audioBitrate;

    if (totalSize == 0) {
        r.messages.push_back(Message::lang("BitcalcMsgBox", 5, Icon::Question));
        return r;
    }
    if (duration == 0) {
        r.messages.push_back(Message::lang("BitcalcMsgBox", 6));
        return r;
    }
    // A negative time or frame count, or one so large it overflows, has no bitrate.
    if (duration < 0 || numberOr0(in.frames) < 0) {
        r.messages.push_back(Message::lang("BitcalcMsgBox", 12, Icon::Exclamation));
        return r;
    }
    if (!std::isfinite(duration) || !std::isfinite(rt * duration)) {
        r.messages.push_back(Message::lang("BitcalcMsgBox", 4, Icon::Exclamation));
        return r;
    }

    bool unusable = false;
    double audioOverhead = aoverhead(r.messages, unusable);
    if (unusable) return r;
    double net = totalSize - audioSize - audioOverhead - frameOverhead;
    // The audio and the overheads fill the media (or more): no room is left for video.
    if (!(net > 0)) {
        r.messages.push_back(Message::lang("BitcalcMsgBox", 13, Icon::Exclamation));
        return r;
    }
    // The pixel count is a 32-bit product; a frame size without pixels or beyond that range has
    // no bits per pixel.
    std::int64_t pixels = std::int64_t{width} * std::int64_t{height};
    bool pixelsOk = width > 0 && height > 0 && pixels <= std::numeric_limits<std::int32_t>::max();
    double bpp = 0;
    switch (in.profile) {
        case Profile::Divx3:
            videoBitrate = net * 8192 / duration;
            if (pixelsOk) bpp = videoBitrate * 1024 / double(pixels) / rt;
            break;
        case Profile::Divx3fm:
            videoBitrate = net * 16789.504 / duration;
            if (pixelsOk) bpp = videoBitrate * 1024 / double(pixels) / rt / 2.05;
            break;
        default:
            videoBitrate = net * 8388.608 / duration;
            if (pixelsOk) bpp = videoBitrate * 1000 / double(pixels) / rt;
            break;
    }
    if (!pixelsOk) r.messages.push_back(Message::lang("BitcalcMsgBox", 9, Icon::Exclamation));

    Messages again;  // the second overhead run repeats the first one's messages; show them once
    double audioOverhead2 = aoverhead(again);

    r.computed = true;
    r.totalMB = totalSize;
    r.durationS = duration;
    r.frames = rt * duration;
    r.audioMB = audioSize;
    r.audioOverheadMB = audioOverhead2;
    r.frameOverheadMB = frameOverhead;
    r.netMB = net;
    r.videoKbps = videoBitrate;
    r.kbitsPerFrame = videoBitrate / rt;
    r.bitsPerPixel = bpp;
    r.bitsPerPixelValid = pixelsOk;
    r.videoKB = roundHalfEven(net * 1024, 0);

    r.texts[0] = LangText("Bitcalc", 18) + numberText(intFloor(videoBitrate)) + " Kbit/s";
    r.texts[1] = LangText("Bitcalc", 19) + numberText(roundHalfEven(duration, 2)) + " " + "sec.";
    r.texts[2] = LangText("Bitcalc", 20) + numberText(roundHalfEven(audioSize, 3)) + " MB";
    r.texts[3] = LangText("Bitcalc", 21) + numberText(r.frames);
    r.texts[4] = "Kbits per frame = " + numberText(roundHalfEven(r.kbitsPerFrame, 2));
    r.texts[5] = "Video overhead = " + numberText(frameOverhead) + " MB";
    r.texts[6] = "Audio overhead = " + numberText(audioOverhead2) + " MB";
    r.texts[7] = "Res: " + std::to_string(width) + " X " + std::to_string(height) +
                 " - bits per pixel: " + numberText(roundHalfEven(bpp, 4));
    r.texts[8] = LangText("Bitcalc", 22) + numberText(r.videoKB);
    return r;
}

FieldVerdict Bitcalc::guardTime(int index) const {
    FieldVerdict v;
    const std::string& t = in.txtTime[static_cast<std::size_t>(index)];
    if (t.empty()) return v;
    auto n = parseNumber(t);
    if (!n) {
        v.messages.push_back(checkNumericMessage());
        v.newText = "";
        return v;
    }
    if (*n < 0) {
        v.messages.push_back(Message::lang("BitcalcMsgBox", 12, Icon::Exclamation));
        v.newText = "";
        return v;
    }
    static constexpr double limits[3] = {8, 59, 59.99};
    static const Message over[3] = {Message::lang("BitcalcMsgBox", 2, Icon::Exclamation),
                                    Message::lang("BitcalcMsgBox", 3, Icon::Exclamation),
                                    Message::lang("BitcalcMsgBox", 2, Icon::Exclamation)};
    if (*n > limits[index]) {
        v.messages.push_back(over[index]);
        v.newText = "";
    }
    return v;
}

FieldVerdict Bitcalc::guardFrames() const {
    FieldVerdict v;
    if (in.frames.empty()) return v;
    auto n = parseNumber(in.frames);
    if (!n) {
        v.messages.push_back(checkNumericMessage());
        v.newText = "";
    } else if (*n < 0) {
        v.messages.push_back(Message::lang("BitcalcMsgBox", 12, Icon::Exclamation));
        v.newText = "";
    } else if (*n > kMaxFrames) {
        v.messages.push_back(Message::lang("BitcalcMsgBox", 4));
        v.newText = "809999.75";
    }
    return v;
}

std::optional<AudioFileChoice> audioFileChoice(std::string_view codec) {
    if (codec == "Mp3 (da file)") return AudioFileChoice{"Files mp3 (*.mp3)", "*.mp3", {"Bitcalc", 14}};
    if (codec == "AC3 Dolby D.") return AudioFileChoice{"Files ac3 (*.ac3)", "*.ac3", {"Bitcalc", 15}};
    if (codec == "DTS Audio") return AudioFileChoice{"Files DTS (*.dts)", "*.dts", {"Bitcalc", 16}};
    if (codec == "OGG (da file)") return AudioFileChoice{"Files Ogg (*.ogg)", "*.ogg", {"Bitcalc", 17}};
    return std::nullopt;
}

bool codecSizedByBitrate(std::string_view codec) {
    return codec == "DivX wma V2" || codec == "DivX wma V1" || codec == "Mp3 CBR";
}

std::optional<std::pair<std::int32_t, std::int32_t>> parseCompression(std::string_view value) {
    std::string first = isplit(trim(value), "@").front();
    auto parts = isplit(first, " X ");
    if (parts.size() < 2) return std::nullopt;
    auto w = parseNumber(parts[0]);
    auto h = parseNumber(parts[1]);
    auto wi = w ? toInt32(*w) : std::nullopt;
    auto hi = h ? toInt32(*h) : std::nullopt;
    if (!wi || !hi) return std::nullopt;
    return std::pair{*wi, *hi};
}

std::string compressionFromResultText(std::string_view text7) {
    if (text7.empty()) return "720 X 576";
    return trim(ireplace(ireplace(text7, "Res: ", ""), " - bits per pixel: ", "@"));
}

void loadBitcalcSettings(const std::string& path, Bitcalc& calc) {
    auto get = [&](const char* key) { return ReadIni(path, "BitcalcSettings", key, "0"); };
    auto flag = [&](const char* key) { return textToBool(get(key)); };
    BitcalcInputs& in = calc.in;
    in.txtCD = {get("CD0"), get("CD1"), get("CD2")};
    in.Combo3 = {get("Type1"), get("Type2")};
    in.overburn = flag("Overburn");
    // Each option takes its own key; with both missing neither is selected.
    in.Option3_0 = flag("Fixed");
    in.Option3_1 = !in.Option3_0 && flag("NotFixed");
    in.txtTime = {get("Hours"), get("Mins"), get("Secs")};
    in.frames = get("Frames");
    in.profile = Profile::None;
    if (flag("divx3")) in.profile = Profile::Divx3;
    if (flag("divx3fm")) in.profile = Profile::Divx3fm;
    if (flag("divx4")) in.profile = Profile::Divx4;
    if (flag("divx5")) in.profile = Profile::Divx5;
    in.Check2 = flag("FrameOverhead");
    in.framerate = get("Framerate");
    in.interval = get("Interleave");
    in.Option1_0 = flag("FramesBased");
    in.Option1_1 = flag("NotFramesBased");
    in.VBR = flag("VBR");
    in.standard = flag("Standard");
    in.standardEnabled = flag("StandardEnabled");
    in.bitrate1 = get("ABitrate");
    in.bitrate1Enabled = flag("ABitrateEnabled");
    in.personalizzato = flag("Custom");
    in.personalizzatoEnabled = flag("CustomEnabled");
    in.bitrate2 = get("ACBitrate");
    in.bitrate2Enabled = flag("ACBitrateEnabled");
    in.codecaudio = get("ACompression");
    in.Option2_0 = flag("TimeBased");
    in.Option2_1 = flag("NotTimeBased");
    calc.audioSize = numberOr0(get("FileLenght"));
    // A missing or malformed frame size leaves 0 x 0: bits per pixel then stay unknown.
    auto wh = parseCompression(get("Compression"));
    calc.width = wh ? wh->first : 0;
    calc.height = wh ? wh->second : 0;
}

bool saveBitcalcSettings(const std::string& path, const Bitcalc& calc, std::string_view text7) {
    const BitcalcInputs& in = calc.in;
    auto check = [](bool b) { return std::string(b ? "1" : "0"); };
    return WriteIniValues(path, "Bitcalcsettings",
                   {
                       {"CD0", in.txtCD[0]},
                       {"CD1", in.txtCD[1]},
                       {"CD2", in.txtCD[2]},
                       {"Type1", in.Combo3[0]},
                       {"Type2", in.Combo3[1]},
                       {"Overburn", check(in.overburn)},
                       {"Fixed", boolText(in.Option3_0)},
                       {"NotFixed", boolText(in.Option3_1)},
                       {"Hours", in.txtTime[0]},
                       {"Mins", in.txtTime[1]},
                       {"Secs", in.txtTime[2]},
                       {"Frames", in.frames},
                       {"divx3", boolText(in.profile == Profile::Divx3)},
                       {"divx3fm", boolText(in.profile == Profile::Divx3fm)},
                       {"divx4", boolText(in.profile == Profile::Divx4)},
                       {"divx5", boolText(in.profile == Profile::Divx5)},
                       {"FrameOverhead", check(in.Check2)},
                       {"Framerate", in.framerate},
                       {"Interleave", in.interval},
                       {"FramesBased", boolText(in.Option1_0)},
                       {"NotFramesBased", boolText(in.Option1_1)},
                       {"VBR", check(in.VBR)},
                       {"Standard", boolText(in.standard)},
                       {"StandardEnabled", boolText(in.standardEnabled)},
                       {"ABitrate", in.bitrate1},
                       {"ABitrateEnabled", boolText(in.bitrate1Enabled)},
                       {"Custom", boolText(in.personalizzato)},
                       {"CustomEnabled", boolText(in.personalizzatoEnabled)},
                       {"ACBitrate", in.bitrate2},
                       {"ACBitrateEnabled", boolText(in.bitrate2Enabled)},
                       {"ACompression", in.codecaudio},
                       {"TimeBased", boolText(in.Option2_0)},
                       {"NotTimeBased", boolText(in.Option2_1)},
                       {"FileLenght", numberText(calc.audioSize)},
                       {"Compression", compressionFromResultText(text7)},
                   });
}

}  // namespace fw::bitrate
