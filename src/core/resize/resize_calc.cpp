#include "core/resize/resize_calc.h"

#include <cmath>
#include <tuple>

#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::resize {

namespace {

std::int32_t intOf(std::string_view text) {
    auto v = parseNumber(text);
    if (!v) return 0;
    return toInt32(*v).value_or(0);
}

std::string intText(double v) { return numberText(v); }

}  // namespace

std::int32_t MCD(std::int32_t a, std::int32_t b) {
    // Iterative Euclid; the remainder of INT_MIN by -1 is taken as 0 rather than trapping.
    while (b != 0) {
        std::int32_t r = (b == -1) ? 0 : a % b;
        if (r == 0) return b;
        a = b;
        b = r;
    }
    return 0;
}

std::optional<std::int32_t> ResizeCalc::usableValue(std::string_view text) {
    auto v = parseNumber(text);
    if (!v) return std::nullopt;
    auto i = toInt32(*v);
    if (!i || *i < 1 || *i > 32767) return std::nullopt;
    return i;
}

bool ResizeCalc::pairUsable(const std::array<std::string, 2>& pair) {
    return usableValue(pair[0]) && usableValue(pair[1]);
}

void ResizeCalc::clearResults() {
    Label1[0] = LangText("Resizer", 11);
    Label1[1] = LangText("Resizer", 12);
    Label1[2] = LangText("Resizer", 13);
    Label1[3] = LangText("Resizer", 14);
    Label1[4].clear();
}

void ResizeCalc::refreshInputRatio() {
    const double w1 = intOf(in.Text1[0]), h1 = intOf(in.Text1[1]);
    Label1[0] = LangText("Resizer", 11) + " " + numberText(w1 / h1) + " :1";
}

void ResizeCalc::ratioFromSource() {
    const std::int32_t w1 = intOf(in.Text1[0]), h1 = intOf(in.Text1[1]);
    const std::int32_t g = MCD(w1, h1);
    if (g == 0) return;
    in.Text4 = {intText(double(w1) / g), intText(double(h1) / g)};
}

void ResizeCalc::refreshPercentages() {
    const double w1 = intOf(in.Text1[0]), h1 = intOf(in.Text1[1]);
    const double w2 = intOf(in.Text2[0]), h2 = intOf(in.Text2[1]);
    if (w1 != 0) in.Text3[0] = numberText(roundHalfEven(w2 / w1 * 100, 0));
    if (h1 != 0) in.Text3[1] = numberText(roundHalfEven(h2 / h1 * 100, 0));
}

void ResizeCalc::setOutputLabels(std::int32_t w, std::int32_t h) {
    const double w1 = intOf(in.Text1[0]), h1 = intOf(in.Text1[1]);
    const double out = double(w) / double(h);
    Label1[2] = LangText("Resizer", 13) + " " + numberText(out) + " :1";
    Label1[3] = LangText("Resizer", 14) + " " + numberText(roundHalfEven(100 - 100 * ((w1 / h1) / out), 3)) + " %";
}

void ResizeCalc::refreshBitsPerPixel(std::int32_t w2, std::int32_t h2) {
    // The figure is worked out on 16-bit sizes; a size beyond that leaves the label as it was.
    auto w = toInt16(w2), h = toInt16(h2);
    if (!w || !h || *w == 0 || *h == 0) return;
    Label1[4] = "1000 Kbit/sec => " + numberText(roundHalfEven(bitrate / frameRate / *w / *h, 3)) + " Bits per pixel";
}

std::pair<std::int32_t, std::int32_t> ResizeCalc::finalSize() const {
    std::int32_t w = intOf(in.Text2[0]), h = intOf(in.Text2[1]);
    if (!in.Check1[1]) return {w, h};
    const std::int32_t mw = intOf(in.Text5[0]), mh = intOf(in.Text5[1]);
    auto roundTo = [](std::int32_t v, std::int32_t m) -> std::int32_t {
        if (m == 0) return v;
        auto q = toInt32(double(v) / double(m));
        if (!q || *q == 0) return v;
        auto r = toInt32(double(*q) * double(m));
        return r ? *r : v;
    };
    return {roundTo(w, mw), roundTo(h, mh)};
}

void ResizeCalc::open() {
    if (bitrate == 0) bitrate = 1000000;
    ratioFromSource();
    refreshPercentages();
    refreshInputRatio();
    const std::int32_t w2 = intOf(in.Text2[0]), h2 = intOf(in.Text2[1]);
    Label1[1] = LangText("Resizer", 12) + " " + std::to_string(w2) + " X " + std::to_string(h2);
    setOutputLabels(w2, h2);
    refreshBitsPerPixel(w2, h2);
}

bool ResizeCalc::calculate() {
    const double w1 = intOf(in.Text1[0]), h1 = intOf(in.Text1[1]);
    const double aw = intOf(in.Text4[0]), ah = intOf(in.Text4[1]);
    auto roundInt = [](double v) { return numberText(roundHalfEven(v, 0)); };
    if (in.Check1[0] && aw != 0 && ah != 0) {
        if (!in.sizeBased && !in.heightMaster) {
            in.Text2[1] = roundInt(ah * intOf(in.Text2[0]) / aw);
        } else if (!in.sizeBased) {
            in.Text2[0] = roundInt(aw * intOf(in.Text2[1]) / ah);
        } else if (!in.heightMaster) {
            in.Text3[1] = in.Text3[0];
            in.Text2[0] = numberText(intFloor(numberOr0(in.Text3[0]) * 0.01 * w1));
            in.Text2[1] = roundInt(ah * intOf(in.Text2[0]) / aw);
        } else {
            in.Text3[0] = in.Text3[1];
            in.Text2[1] = numberText(intFloor(numberOr0(in.Text3[1]) * 0.01 * h1));
            in.Text2[0] = roundInt(aw * intOf(in.Text2[1]) / ah);
        }
    } else if (!in.Check1[0] && in.sizeBased) {
        if (!in.heightMaster) in.Text2[0] = numberText(intFloor(numberOr0(in.Text3[0]) * 0.01 * w1));
        else in.Text2[1] = numberText(intFloor(numberOr0(in.Text3[1]) * 0.01 * h1));
    }
    // A worked-out dimension beyond any frame (1:100 at 400 wide) gives no figures at all: none
    // half-made, none left from the last size.
    if (!pairUsable(in.Text2)) {
        clearResults();
        return false;
    }
    auto [fw, fh] = finalSize();
    Label1[1] = LangText("Resizer", 12) + " " + std::to_string(fw) + " X " + std::to_string(fh);
    const std::int32_t w2 = intOf(in.Text2[0]), h2 = intOf(in.Text2[1]);
    setOutputLabels(w2, h2);
    refreshBitsPerPixel(w2, h2);
    if (!in.sizeBased) refreshPercentages();
    return true;
}

void ResizeCalc::checkToggled() {
    auto [fw, fh] = finalSize();
    Label1[1] = LangText("Resizer", 12) + " " + std::to_string(fw) + " X " + std::to_string(fh);
    if (fw != 0 && fh != 0) setOutputLabels(fw, fh);
}

void ResizeCalc::choosePreset(int index) {
    if (index < 0 || index >= static_cast<int>(kAspectPresets.size())) return;
    in.Text1[0] = "720";
    if (index == kCustomPreset) {
        in.sizeBased = false;
        if (in.Option3 == Standard::Pal) in.Text1[1] = "576";
        else if (in.Option3 == Standard::Ntsc) in.Text1[1] = "480";
    } else {
        in.sizeBased = true;
        in.Text1[1] = std::to_string(kAspectPresets[static_cast<std::size_t>(index)].height);
    }
}

void ResizeCalc::chooseStandard(Standard s) {
    in.Option3 = s;
    in.Text1[1] = s == Standard::Ntsc ? "480" : "576";
    in.Text1[0] = "720";
}

ResizeFigures ResizeCalc::figures() const {
    ResizeFigures f;
    const double w1 = intOf(in.Text1[0]), h1 = intOf(in.Text1[1]);
    f.width = intOf(in.Text2[0]);
    f.height = intOf(in.Text2[1]);
    std::tie(f.finalWidth, f.finalHeight) = finalSize();
    if (h1 != 0) f.inputAr = w1 / h1;
    if (f.height != 0) f.outputAr = double(f.width) / f.height;
    if (f.outputAr != 0) f.arErrorPercent = roundHalfEven(100 - 100 * (f.inputAr / f.outputAr), 3);
    if (f.width > 0 && f.height > 0 && f.width <= 32767 && f.height <= 32767)
        f.bitsPerPixel = roundHalfEven(bitrate / frameRate / f.width / f.height, 3);
    return f;
}

std::optional<std::pair<std::string, std::string>> infoDisplayMode(std::string_view infoText) {
    std::optional<std::pair<std::string, std::string>> found;
    std::size_t pos = 0;
    while (pos <= infoText.size()) {
        std::size_t nl = infoText.find('\n', pos);
        std::string_view line = infoText.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find("Display mode: ") != std::string_view::npos) {
            auto parts = isplit(replaceAll(line, "Display mode: ", ""), "x");
            if (parts.size() >= 2) found = std::pair{parts[0], parts[1]};
        }
        if (nl == std::string_view::npos) break;
        pos = nl + 1;
    }
    return found;
}

}  // namespace fw::resize
