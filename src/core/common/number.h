#pragma once
// Rounding and number text as every tool shows them: halves round to even, Int is the floor, and a
// number becomes text in its shortest form with at most 15 significant digits.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fw {

// Rounds to `decimals` places, halves to even. Ties are judged on the number's 15-digit decimal
// form, so 2.675 (stored as 2.67499999...) is a tie as the user reads it and becomes 2.68.
double roundHalfEven(double x, int decimals = 0);

// The integer part towards minus infinity.
double intFloor(double x);

// Shortest text with at most 15 significant digits: 0.5 -> "0.5", 5400 -> "5400", 1e16 -> "1E+16".
std::string numberText(double x);

// The display patterns the windows use: "00", "0#", "00##" (at least two integer digits),
// "##.000" (at least one integer digit, exactly three decimals), ".###" (no leading zero, up to
// three decimals: 0.25 -> ".25"), "00.0000" (two integer digits, four decimals). Other patterns
// of '0', '#' and one '.' follow the same rules: '0' forces a digit, '#' shows one when needed.
std::string formatPattern(double x, std::string_view pattern);

// A decimal number as the rounding-to-integer conversions read it (halves to even), checked
// against the target width. Nothing when out of range or not finite.
std::optional<std::int16_t> toInt16(double x);
std::optional<std::int32_t> toInt32(double x);
// A count or size worked out in floating point from fields a damaged file may fill with anything:
// rounded half to even and held within +-4e18; NaN gives 0.
std::int64_t toInt64Saturated(double x);
// Sums of such figures, held within the same range.
std::int64_t addSaturated(std::int64_t a, std::int64_t b);

}  // namespace fw
