#pragma once
// A small JSON writer for the command line's --json output: objects, arrays, strings, numbers.
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::cli {

class Json {
public:
    Json& beginObject() { return open('{'); }
    Json& endObject() { return close('}'); }
    Json& beginArray() { return open('['); }
    Json& endArray() { return close(']'); }
    Json& key(std::string_view k) {
        comma();
        quote(k);
        m_out += ": ";
        m_afterKey = true;
        return *this;
    }
    Json& value(std::string_view s) {
        comma();
        quote(s);
        return *this;
    }
    Json& value(const char* s) { return value(std::string_view(s)); }
    Json& value(const std::string& s) { return value(std::string_view(s)); }
    Json& value(double d) {
        comma();
        m_out += std::isfinite(d) ? fw::numberText(d) : "null";
        return *this;
    }
    Json& value(int v) { return value(static_cast<long long>(v)); }
    Json& value(long long v) {
        comma();
        m_out += std::to_string(v);
        return *this;
    }
    Json& value(unsigned long long v) {
        comma();
        m_out += std::to_string(v);
        return *this;
    }
    Json& value(bool b) {
        comma();
        m_out += b ? "true" : "false";
        return *this;
    }
    Json& null() {
        comma();
        m_out += "null";
        return *this;
    }
    template <typename T>
    Json& field(std::string_view k, const T& v) {
        key(k);
        return value(v);
    }
    Json& stringArray(std::string_view k, const std::vector<std::string>& items) {
        key(k).beginArray();
        for (const auto& s : items) value(s);
        return endArray();
    }
    const std::string& str() const { return m_out; }

private:
    Json& open(char c) {
        comma();
        m_out += c;
        m_first.push_back(true);
        return *this;
    }
    Json& close(char c) {
        m_first.pop_back();
        m_out += c;
        return *this;
    }
    void comma() {
        if (m_afterKey) {
            m_afterKey = false;
            return;
        }
        if (!m_first.empty()) {
            if (!m_first.back()) m_out += ", ";
            m_first.back() = false;
        }
    }
    void quote(std::string_view raw) {
        // JSON is UTF-8; a file name in another encoding is shown as Latin-1 rather than breaking it.
        const std::string s = fw::validUtf8(raw);
        m_out += '"';
        for (char ch : s) {
            auto c = static_cast<unsigned char>(ch);
            switch (c) {
                case '"': m_out += "\\\""; break;
                case '\\': m_out += "\\\\"; break;
                case '\n': m_out += "\\n"; break;
                case '\r': m_out += "\\r"; break;
                case '\t': m_out += "\\t"; break;
                default:
                    if (c < 0x20) {
                        char buf[8];
                        std::snprintf(buf, sizeof buf, "\\u%04x", c);
                        m_out += buf;
                    } else {
                        m_out += ch;
                    }
            }
        }
        m_out += '"';
    }

    std::string m_out;
    std::vector<bool> m_first;
    bool m_afterKey = false;
};

}  // namespace fw::cli
