#include "core/common/number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace fw {

namespace {

// Digits of |x| as "d.ddddddddddddddde[+-]xx" with 15 significant digits.
struct Decimal {
    bool negative = false;
    std::string digits;  // 15 significant digits, no point
    int exponent = 0;    // value = 0.digits * 10^(exponent)
};

Decimal toDecimal(double x) {
    Decimal d;
    char buf[64];
    // to_chars never looks at the process locale (the GUI runs under the user's, which may write
    // "2,5"), and gives exactly printf's "%.14e" in the C locale.
    auto res = std::to_chars(buf, buf + sizeof buf - 1, x, std::chars_format::scientific, 14);
    *res.ptr = '\0';
    const char* p = buf;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') d.digits.push_back(*p);
    int e = (*p == 'e') ? std::atoi(p + 1) : 0;
    d.exponent = e + 1;
    return d;
}

}  // namespace

double roundHalfEven(double x, int decimals) {
    if (!std::isfinite(x) || x == 0.0) return x;
    Decimal d = toDecimal(x);
    // Position of the first dropped digit inside d.digits.
    int keep = d.exponent + decimals;
    if (keep >= static_cast<int>(d.digits.size())) return x;  // already exact at this precision
    if (keep < 0) return d.negative ? -0.0 : 0.0;
    std::string kept = d.digits.substr(0, static_cast<std::size_t>(keep));
    char first = d.digits[static_cast<std::size_t>(keep)];
    bool restNonZero = d.digits.find_first_not_of('0', static_cast<std::size_t>(keep) + 1) != std::string::npos;
    bool up = false;
    if (first > '5') up = true;
    else if (first == '5') {
        if (restNonZero) up = true;
        else {
            int last = kept.empty() ? 0 : kept.back() - '0';
            up = (last % 2) == 1;
        }
    }
    // Build the integer value of the kept digits and scale it.
    double mant = 0.0;
    for (char c : kept) mant = mant * 10.0 + (c - '0');
    if (up) mant += 1.0;
    double result;
    if (decimals >= 0) {
        // Divide by a power of ten through text, so 0.1-style results are the nearest double.
        char buf[400];
        auto res = std::to_chars(buf, buf + sizeof buf, mant, std::chars_format::fixed, 0);
        std::string text(buf, res.ptr);
        text += "e-" + std::to_string(decimals);
        result = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), result);
    } else {
        result = mant * std::pow(10.0, -decimals);
    }
    return d.negative ? -result : result;
}

double intFloor(double x) { return std::floor(x); }

std::string numberText(double x) {
    if (std::isnan(x)) return "NaN";
    if (std::isinf(x)) return x < 0 ? "-Infinity" : "Infinity";
    if (x == 0.0) return "0";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
    std::string s(buf, res.ptr);
    auto e = s.find('e');
    if (e != std::string::npos) {
        // 1e+16 -> 1E+16, 1e-05 -> 1E-05
        s[e] = 'E';
    }
    return s;
}

namespace {
struct PatternRule {
    int minInt;
    int minFrac;
    int maxFrac;
    bool hasPoint;
};

PatternRule ruleFor(std::string_view pattern) {
    // The named patterns have the meanings the windows rely on.
    if (pattern == "00" || pattern == "0#" || pattern == "00##") return {2, 0, 0, false};
    if (pattern == "##.000") return {1, 3, 3, true};
    if (pattern == ".###") return {0, 0, 3, true};
    if (pattern == "00.0000") return {2, 4, 4, true};
    PatternRule r{0, 0, 0, false};
    auto dot = pattern.find('.');
    std::string_view ip = pattern.substr(0, dot);
    for (char c : ip)
        if (c == '0') ++r.minInt;
    if (dot != std::string_view::npos) {
        r.hasPoint = true;
        for (char c : pattern.substr(dot + 1)) {
            if (c == '0') ++r.minFrac;
            if (c == '0' || c == '#') ++r.maxFrac;
        }
    }
    return r;
}
}  // namespace

std::string formatPattern(double x, std::string_view pattern) {
    PatternRule r = ruleFor(pattern);
    double v = roundHalfEven(x, r.maxFrac);
    bool neg = v < 0;
    v = std::fabs(v);
    char buf[400];  // the largest double in fixed notation with a few decimals
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, r.maxFrac);
    std::string s(buf, res.ptr);
    std::string ip = s, fp;
    auto dot = s.find('.');
    if (dot != std::string::npos) {
        ip = s.substr(0, dot);
        fp = s.substr(dot + 1);
    }
    while (static_cast<int>(fp.size()) > r.minFrac && !fp.empty() && fp.back() == '0') fp.pop_back();
    // Strip leading zeros down to the forced width.
    std::size_t lead = 0;
    while (lead < ip.size() && ip[lead] == '0') ++lead;
    ip = ip.substr(lead);
    std::string body;
    if (static_cast<int>(ip.size()) < r.minInt) body.append(static_cast<std::size_t>(r.minInt) - ip.size(), '0');
    body += ip;
    if (!fp.empty()) {
        body += '.';
        body += fp;
    }
    if (body.empty()) body.push_back('0');
    std::string out;
    if (neg && body.find_first_not_of("0.") != std::string::npos) out += '-';
    out += body;
    return out;
}

std::optional<std::int16_t> toInt16(double x) {
    if (!std::isfinite(x)) return std::nullopt;
    double r = roundHalfEven(x, 0);
    if (r < -32768.0 || r > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::optional<std::int32_t> toInt32(double x) {
    if (!std::isfinite(x)) return std::nullopt;
    double r = roundHalfEven(x, 0);
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::int64_t toInt64Saturated(double x) {
    constexpr double kLimit = 4.0e18;
    if (std::isnan(x)) return 0;
    if (x >= kLimit) return static_cast<std::int64_t>(kLimit);
    if (x <= -kLimit) return -static_cast<std::int64_t>(kLimit);
    return static_cast<std::int64_t>(roundHalfEven(x, 0));
}

std::int64_t addSaturated(std::int64_t a, std::int64_t b) {
    constexpr std::int64_t kLimit = 4'000'000'000'000'000'000;
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) return a > 0 ? kLimit : -kLimit;
    return std::clamp(sum, -kLimit, kLimit);
}

}  // namespace fw
