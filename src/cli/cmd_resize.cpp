#include <cstdio>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/common/number.h"
#include "core/common/text.h"
#include "core/resize/resize_calc.h"

namespace fw::cli {

namespace {
bool splitPair(const std::string& s, const char* sep, std::string& a, std::string& b) {
    auto parts = isplit(s, sep);
    if (parts.size() != 2) return false;
    a = trim(parts[0]);
    b = trim(parts[1]);
    return isNumeric(a) && isNumeric(b);
}
}  // namespace

int runResize(const Argv& argv) {
    Args a(argv, {"source", "width", "height", "width-percent", "height-percent", "keep-ar", "mod"}, {"no-ar", "json"});
    if (!a.ok()) return fail(a.error(), 2);
    if (!a.positionals().empty()) return fail("unexpected argument " + a.positionals().front(), 2);

    fw::resize::ResizeCalc calc;
    auto& in = calc.in;
    if (auto s = a.get("source")) {
        if (!splitPair(*s, "x", in.Text1[0], in.Text1[1])) return fail("--source takes WIDTHxHEIGHT, e.g. 720x576", 2);
    }
    using fw::resize::ResizeCalc;
    // The window's guards: sizes and ratio parts are whole numbers from 1 to 32767.
    const Message badSize = Message::lang("ResizerMsgBox", 1);
    if (!ResizeCalc::pairUsable(in.Text1)) return failWith(badSize);
    calc.open();  // the aspect ratio to keep comes from the source, as when the window opens

    const bool keepAr = !a.has("no-ar");
    in.Check1[0] = keepAr;
    if (auto k = a.get("keep-ar")) {
        if (!keepAr) return fail("--keep-ar and --no-ar exclude each other", 2);
        if (!splitPair(*k, ":", in.Text4[0], in.Text4[1])) return fail("--keep-ar takes AW:AH, e.g. 16:9", 2);
        if (!ResizeCalc::pairUsable(in.Text4)) return failWith(Message::lang("ResizerMsgBox", 2));
    }
    if (auto m = a.get("mod")) {
        if (!splitPair(*m, "x", in.Text5[0], in.Text5[1])) return fail("--mod takes MWxMH, e.g. 16x16", 2);
        if (!ResizeCalc::pairUsable(in.Text5)) return failWith(Message::lang("ResizerMsgBox", 3));
        in.Check1[1] = true;
    }

    int masters = a.has("width") + a.has("height") + a.has("width-percent") + a.has("height-percent");
    const bool pixelPair = !keepAr && a.has("width") && a.has("height") && masters == 2;
    if (masters != 1 && !pixelPair)
        return fail("give one of --width, --height, --width-percent, --height-percent (both --width and --height "
                    "with --no-ar)", 2);
    bool badValue = false;
    auto number = [&](const char* opt, std::string& into) {
        auto v = a.get(opt);
        if (!v) return true;
        if (!isNumeric(*v)) return false;
        if (!ResizeCalc::usableValue(*v)) badValue = true;
        into = trim(*v);
        return true;
    };
    in.sizeBased = a.has("width-percent") || a.has("height-percent");
    in.heightMaster = a.has("height") && !a.has("width") ? true : a.has("height-percent");
    if (!number("width", in.Text2[0]) || !number("height", in.Text2[1]) || !number("width-percent", in.Text3[0]) ||
        !number("height-percent", in.Text3[1]))
        return failWith(checkNumericMessage());
    if (badValue) return failWith(badSize);
    if (!calc.calculate()) return failWith(badSize);

    auto f = calc.figures();
    if (a.has("json")) {
        Json j;
        j.beginObject()
            .field("width", f.width)
            .field("height", f.height)
            .field("final_width", f.finalWidth)
            .field("final_height", f.finalHeight)
            .field("input_ar", f.inputAr)
            .field("output_ar", f.outputAr)
            .field("ar_error_percent", f.arErrorPercent);
        j.key("bits_per_pixel");
        if (f.bitsPerPixel) j.value(*f.bitsPerPixel);
        else j.null();
        j.stringArray("labels", std::vector<std::string>(calc.Label1.begin(), calc.Label1.end())).endObject();
        std::printf("%s\n", j.str().c_str());
    } else {
        std::printf("%d X %d\n", f.width, f.height);
        for (const auto& l : calc.Label1) std::printf("%s\n", l.c_str());
    }
    return 0;
}

}  // namespace fw::cli
