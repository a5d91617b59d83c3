#include "cli/args.h"

#include <cstdio>
#include <ctime>

namespace fw::cli {

Args::Args(const std::vector<std::string>& argv, const std::set<std::string>& withValue,
           const std::set<std::string>& flags) {
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a == "--") {  // what follows are names, even when they start with a dash
            m_positionals.insert(m_positionals.end(), argv.begin() + static_cast<std::ptrdiff_t>(i) + 1, argv.end());
            return;
        }
        if (a.size() > 2 && a.rfind("--", 0) == 0) {
            std::string name = a.substr(2);
            std::string value;
            auto eq = name.find('=');
            bool inlineValue = eq != std::string::npos;
            if (inlineValue) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
            }
            if (withValue.count(name)) {
                if (!inlineValue) {
                    if (i + 1 >= argv.size()) {
                        m_error = "option --" + name + " needs a value";
                        return;
                    }
                    value = argv[++i];
                }
                m_values.emplace(name, value);
            } else if (flags.count(name) && !inlineValue) {
                m_values.emplace(name, "");
            } else {
                m_error = "unknown option --" + name;
                return;
            }
        } else {
            m_positionals.push_back(a);
        }
    }
}

std::optional<std::string> Args::get(const std::string& name) const {
    auto it = m_values.find(name);
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

std::vector<std::string> Args::all(const std::string& name) const {
    std::vector<std::string> out;
    auto [b, e] = m_values.equal_range(name);
    for (auto it = b; it != e; ++it) out.push_back(it->second);
    return out;
}

void dateAndTime(std::string& date, std::string& time) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char d[32], h[32];
    std::strftime(d, sizeof d, "%Y-%m-%d", &tm);
    std::strftime(h, sizeof h, "%H:%M:%S", &tm);
    date = d;
    time = h;
}

int fail(const std::string& message, int code) {
    std::fprintf(stderr, "framewise-cli: %s\n", message.c_str());
    return code;
}

}  // namespace fw::cli
