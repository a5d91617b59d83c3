#pragma once
// The resolution calculator: target frame sizes that keep an aspect ratio, rounded to multiples,
// with the aspect-ratio error and a bits-per-pixel figure. Fields are texts, as in the window.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/common/message.h"

namespace fw::resize {

// Greatest common divisor by Euclid's rule; 0 when b is 0.
std::int32_t MCD(std::int32_t a, std::int32_t b);

struct AspectPreset {
    std::string_view caption;
    int height;  // for a 720-pixel width; 0 for "Custom"
};
inline constexpr std::array<AspectPreset, 19> kAspectPresets = {{
    {"1.33:1", 541}, {"1.37:1", 526}, {"1.50:1", 480}, {"1.66:1", 434}, {"1.70:1", 424},
    {"1.74:1", 414}, {"1.75:1", 411}, {"1.78:1", 404}, {"1.85:1", 389}, {"1.90:1", 379},
    {"1.93:1", 373}, {"2.10:1", 343}, {"2.13:1", 338}, {"2.20:1", 327}, {"2.25:1", 320},
    {"2.30:1", 313}, {"2.35:1", 306}, {"2.50:1", 288}, {"Custom", 0},
}};
inline constexpr int kCustomPreset = 18;

enum class Standard { None, Pal, Ntsc };

// The controls' values, named as the window's controls; the defaults are its design values.
struct ResizeInputs {
    std::array<std::string, 2> Text1{"720", "576"};  // source width, height
    Standard Option3 = Standard::None;
    bool sizeBased = false;      // Option1: false pixel based (0), true size based (1)
    bool heightMaster = false;   // Option2: false width (0), true height (1)
    std::array<std::string, 2> Text2{"640", "512"};  // target pixels
    std::array<std::string, 2> Text3{"", ""};        // target percent of the source
    std::array<bool, 2> Check1{true, false};         // maintain A/R, round to multiples
    std::array<std::string, 2> Text4{"3", "2"};      // aspect ratio to maintain
    std::array<std::string, 2> Text5{"16", "16"};    // multiples
};

struct ResizeFigures {
    std::int32_t width = 0, height = 0;            // target
    std::int32_t finalWidth = 0, finalHeight = 0;  // after rounding to multiples
    double inputAr = 0, outputAr = 0, arErrorPercent = 0;
    std::optional<double> bitsPerPixel;
};

class ResizeCalc {
public:
    ResizeInputs in;
    double bitrate = 0;        // bits per second; 1000000 once the window opens
    double frameRate = 25.0;
    std::array<std::string, 5> Label1;  // result texts

    // Opening the window: the A/R from the source's divisor, percentages, every label.
    void open();
    // A field's value as the arithmetic takes it, when it can be a size or a ratio part: a number
    // whose integer lies in 1 to 32767. "00", "0.4" and "-640" are no sizes, whatever their text.
    static std::optional<std::int32_t> usableValue(std::string_view text);
    // True when both fields of a pair hold usable values.
    static bool pairUsable(const std::array<std::string, 2>& pair);
    // The result labels without figures, while a pair holds no usable value: nothing stale stays.
    void clearResults();
    void refreshInputRatio();
    void ratioFromSource();  // Text4 = source / MCD
    // False when the size it works out is no frame size (more than 32767 pixels, or none): the
    // labels then hold their captions only.
    bool calculate();
    // A Check1 box changed: final size, output A/R and error from the rounded size when in force.
    void checkToggled();
    void choosePreset(int index);
    void chooseStandard(Standard s);

    ResizeFigures figures() const;
    std::pair<std::int32_t, std::int32_t> finalSize() const;

private:
    void setOutputLabels(std::int32_t w, std::int32_t h);
    void refreshPercentages();
    void refreshBitsPerPixel(std::int32_t w2, std::int32_t h2);
};

// The "Display mode: " lines of an INFO file: the width and height pieces of the last one.
std::optional<std::pair<std::string, std::string>> infoDisplayMode(std::string_view infoText);

}  // namespace fw::resize
