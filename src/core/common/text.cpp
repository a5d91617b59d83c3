#include "core/common/text.h"

#include <locale.h>

#include <charconv>
#include <cstdlib>

namespace fw {

char toLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string toLower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = toLowerAscii(c);
    return r;
}

std::string toUpper(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (toLowerAscii(a[i]) != toLowerAscii(b[i])) return false;
    return true;
}

bool istartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && iequals(s.substr(0, prefix.size()), prefix);
}

std::size_t ifind(std::string_view hay, std::string_view needle, std::size_t from) {
    if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
    if (hay.size() < needle.size()) return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= hay.size(); ++i)
        if (iequals(hay.substr(i, needle.size()), needle)) return i;
    return std::string_view::npos;
}

std::string ireplace(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = ifind(s, from, pos);
        if (hit == std::string_view::npos) break;
        out.append(s.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(s.substr(pos));
    return out;
}

std::string replaceFirst(std::string_view s, std::string_view from, std::string_view to) {
    std::string out(s);
    if (from.empty()) return out;
    auto hit = out.find(from);
    if (hit != std::string::npos) out.replace(hit, from.size(), to);
    return out;
}

std::string replaceAll(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = s.find(from, pos);
        if (hit == std::string_view::npos) break;
        out.append(s.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(s.substr(pos));
    return out;
}

std::vector<std::string> isplit(std::string_view s, std::string_view delim) {
    std::vector<std::string> parts;
    if (delim.empty()) {
        parts.emplace_back(s);
        return parts;
    }
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = ifind(s, delim, pos);
        if (hit == std::string_view::npos) break;
        parts.emplace_back(s.substr(pos, hit - pos));
        pos = hit + delim.size();
    }
    parts.emplace_back(s.substr(pos));
    return parts;
}

std::string trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

std::string printableCode(std::string_view code) {
    static const char* const kHex = "0123456789abcdef";
    std::string out;
    for (char ch : code) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(ch);
        } else {
            out += "\\x";
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

std::string displayText(std::string_view bytes) {
    std::string s;
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == 0) break;
        s.push_back(b < 0x20 || b == 0x7F ? ' ' : ch);
    }
    return s;
}

namespace {
// Normalises a numeric text to the C locale form, or nothing when it is not numeric.
std::optional<std::string> normalise(std::string_view raw) {
    std::string s = trim(raw);
    std::size_t i = 0;
    std::string out;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) out.push_back(s[i++]);
    int digits = 0;
    bool sep = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            out.push_back(c);
            ++digits;
        } else if ((c == '.' || c == ',') && !sep) {
            sep = true;
            out.push_back('.');
        } else {
            break;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        out.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) out.push_back(s[i++]);
        int expDigits = 0;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++expDigits) out.push_back(s[i]);
        if (expDigits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    return out;
}
}  // namespace

bool isNumeric(std::string_view s) { return normalise(s).has_value(); }

std::optional<double> parseNumber(std::string_view s) {
    auto n = normalise(s);
    if (!n) return std::nullopt;
    // from_chars reads "." whatever the process locale says; it takes no "+".
    const char* b = n->data();
    const char* e = b + n->size();
    if (*b == '+') ++b;
    double v = 0.0;
    auto res = std::from_chars(b, e, v);
    if (res.ec == std::errc::result_out_of_range) {
        // Beyond a double: infinity, or 0 for a number too small, as strtod gives them, read in
        // the C locale explicitly.
        static const locale_t c = ::newlocale(LC_ALL_MASK, "C", nullptr);
        return ::strtod_l(n->c_str(), nullptr, c);
    }
    return v;
}

double numberOr0(std::string_view s) { return parseNumber(s).value_or(0.0); }

namespace {
// The length of the well-formed UTF-8 sequence at i (no overlong forms, no surrogates, nothing
// past U+10FFFF), or 0 when the byte there does not start one.
std::size_t utf8Length(std::string_view bytes, std::size_t i) {
    auto cont = [&](std::size_t k) { return k < bytes.size() && (static_cast<unsigned char>(bytes[k]) & 0xC0) == 0x80; };
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF && cont(i + 1)) return 2;
    if (c >= 0xE0 && c <= 0xEF && cont(i + 1) && cont(i + 2)) {
        const auto c1 = static_cast<unsigned char>(bytes[i + 1]);
        return (c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0) ? 0 : 3;
    }
    if (c >= 0xF0 && c <= 0xF4 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
        const auto c1 = static_cast<unsigned char>(bytes[i + 1]);
        return (c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90) ? 0 : 4;
    }
    return 0;
}

// The length a sequence starting with this byte would have, 0 when no sequence starts so.
std::size_t utf8LeadLength(unsigned char c) {
    if (c >= 0xC2 && c <= 0xDF) return 2;
    if (c >= 0xE0 && c <= 0xEF) return 3;
    if (c >= 0xF0 && c <= 0xF4) return 4;
    return 0;
}
}  // namespace

std::string validUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        if (const std::size_t n = utf8Length(bytes, i)) {
            out.append(bytes.substr(i, n));
            i += n;
        } else {
            const auto c = static_cast<unsigned char>(bytes[i]);
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            ++i;
        }
    }
    return out;
}

std::string TerminalText::feed(std::string_view bytes) {
    std::string data = std::move(pending_);
    pending_.clear();
    data.append(bytes);
    std::string out;
    out.reserve(data.size());
    for (std::size_t i = 0; i < data.size();) {
        const auto c = static_cast<unsigned char>(data[i]);
        const std::size_t left = data.size() - i;
        if (c == '\r') {
            // A line end as CR LF is harmless; a lone CR would let a name print over what came
            // before it on the line.
            if (left == 1) {
                pending_ = "\r";
                break;
            }
            out.push_back(data[i + 1] == '\n' ? '\r' : '?');
            ++i;
            continue;
        }
        if (c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F)) {
            out.push_back(data[i++]);
            continue;
        }
        const std::size_t want = utf8LeadLength(c);
        if (want > left) {
            bool soFar = true;
            for (std::size_t k = i + 1; k < data.size(); ++k) soFar = soFar && (static_cast<unsigned char>(data[k]) & 0xC0) == 0x80;
            if (soFar) {
                pending_ = data.substr(i);
                break;
            }
        }
        const std::size_t n = c >= 0x80 ? utf8Length(data, i) : 0;
        // U+0080..U+009F are the C1 controls: a terminal takes U+009B as the start of a command.
        const bool c1 = n == 2 && c == 0xC2 && static_cast<unsigned char>(data[i + 1]) < 0xA0;
        if (n == 0 || c1) {
            out.push_back('?');
            i += c1 ? 2 : 1;
        } else {
            out.append(data, i, n);
            i += n;
        }
    }
    return out;
}

std::string TerminalText::finish() {
    std::string out(pending_.size(), '?');
    pending_.clear();
    return out;
}

}  // namespace fw
