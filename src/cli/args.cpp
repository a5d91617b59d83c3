#include "cli/args.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "core/common/text.h"

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

std::vector<std::string> expandFiles(const std::vector<std::string>& names, bool recursive,
                                     const std::set<std::string>& extensions, std::vector<std::string>* errors) {
    namespace fs = std::filesystem;
    std::vector<std::string> out;
    for (const auto& name : names) {
        std::error_code ec;
        if (!fs::is_directory(name, ec)) {
            out.push_back(name);  // a missing file gets its error row where it is read
            continue;
        }
        std::vector<std::string> found;
        // Symbolic links to folders are not followed: a loop of them cannot make the walk endless.
        const auto opts = fs::directory_options::skip_permission_denied;
        // Whatever bears the name and is no folder is listed: a broken link or a named pipe then
        // gets its own error row instead of vanishing from the table.
        auto take = [&](const fs::directory_entry& e) {
            std::error_code fe;
            if (e.is_directory(fe)) return;
            if (extensions.count(fw::toLower(e.path().extension().string()))) found.push_back(e.path().string());
        };
        if (recursive) {
            fs::recursive_directory_iterator it(name, opts, ec), end;
            for (; !ec && it != end; it.increment(ec)) take(*it);
        } else {
            fs::directory_iterator it(name, opts, ec), end;
            for (; !ec && it != end; it.increment(ec)) take(*it);
        }
        if (ec && errors) {
            errors->push_back(name + ": " + ec.message());
        } else if (found.empty() && errors) {
            std::string kinds;
            for (const auto& x : extensions) kinds += (kinds.empty() ? "" : ", ") + x;
            errors->push_back(name + ": no " + kinds + " file here" + (recursive ? "" : " (--recursive looks in subfolders too)"));
        }
        std::sort(found.begin(), found.end());
        out.insert(out.end(), found.begin(), found.end());
    }
    return out;
}

std::string csvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + '"';
}

std::string csvRow(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) row += ',';
        row += csvField(fields[i]);
    }
    return row + "\n";  // the line end Unix tools expect; spreadsheets read both
}

std::optional<std::string> outputRefusal(const std::string& out, const std::vector<std::string>& inputs, bool overwrite) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto st = fs::status(out, ec);
    if (fs::is_directory(st)) return out + ": is a folder; name the file to write";
    const auto own = fs::symlink_status(out, ec).type();
    if (own == fs::file_type::not_found) return std::nullopt;
    // The new file takes the name by a rename: a pipe, a device or a socket there would be gone.
    if (st.type() != fs::file_type::regular && st.type() != fs::file_type::not_found)
        return out + ": is not a plain file; name a file to write";
    // A link to an input is the input: equivalent() follows it.
    for (const auto& in : inputs)
        if (fs::equivalent(in, out, ec)) return out + ": is the file being read; write the output elsewhere";
    if (!overwrite) return out + ": the file exists; --overwrite replaces it";
    return std::nullopt;
}

int fail(const std::string& message, int code) {
    std::fprintf(stderr, "framewise-cli: %s\n", message.c_str());
    return code;
}

}  // namespace fw::cli
