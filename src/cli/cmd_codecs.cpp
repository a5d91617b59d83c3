#include <algorithm>
#include <cctype>
#include <cstdio>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/codecdb/codec_db.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/system/installed_codecs.h"

namespace fw::cli {

using fw::codecdb::CodecDb;
using fw::codecdb::Table;

namespace {

void printRecord(Table t, const fw::codecdb::CodecRecord& r, bool json) {
    static const char* videoNames[6] = {"fourcc", "codec", "produttore", "registrato", "descrizione", "where to find"};
    static const char* audioNames[6] = {"identificatore", "codec", "produttore", nullptr, "descrizione", "reperibile"};
    const char* const* names = t == Table::Video ? videoNames : audioNames;
    if (json) {
        // The database's own column names: stable keys for scripts, whatever the language.
        Json j;
        j.beginObject();
        for (std::size_t i = 0; i < 6; ++i)
            if (names[i]) j.field(names[i], r.fields[i]);
        j.endObject();
        std::printf("%s\n", j.str().c_str());
        return;
    }
    // Text for people: the labels of the database window, in the user's language.
    const int keys[6] = {0, 1, 2, t == Table::Video ? 4 : 0, 3, 5};
    for (std::size_t i = 0; i < 6; ++i) {
        if (!names[i]) continue;
        std::string label = i == 0 ? (t == Table::Video ? "FourCC" : "ID") : LangText("AVCodecDB", keys[i]);
        while (!label.empty() && (label.back() == ':' || label.back() == ' ')) label.pop_back();
        std::printf("%s: %s\n", label.c_str(), r.fields[i].c_str());
    }
}

// An audio format tag as the database keeps it (decimal, no leading zeros), from "85", "0085",
// "0x55" or "0X0055"; anything else as given.
std::string audioKey(const std::string& s) {
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        unsigned long v = 0;
        for (std::size_t i = 2; i < s.size(); ++i) {
            const char c = s[i];
            const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : (c >= 'a' && c <= 'f')                     ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F')                     ? c - 'A' + 10
                                                                        : -1;
            if (d < 0 || v > 0xFFFFFF) return s;
            v = v * 16 + static_cast<unsigned long>(d);
        }
        return std::to_string(v);
    }
    if (s.empty() || !std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) return s;
    const auto first = s.find_first_not_of('0');
    return first == std::string::npos ? "0" : s.substr(first);
}

bool tableOf(const std::string& name, Table& t) {
    if (name == "fourcc") t = Table::Video;
    else if (name == "audio") t = Table::Audio;
    else return false;
    return true;
}

std::string installedUsage() {
    std::string names;
    for (int i = 0; i < 7; ++i) names += std::string(i ? "|" : "") + fw::system::categoryName(static_cast<fw::system::CodecCategory>(i));
    return "usage: codecs installed " + names + " [--json]";
}

}  // namespace

int runCodecs(const Argv& argv) {
    Args a(argv, {}, {"json"});
    if (!a.ok()) return fail(a.error(), 2);
    const auto& p = a.positionals();
    const bool json = a.has("json");
    Table t;
    if (p.size() == 2 && p[0] == "list" && tableOf(p[1], t)) {
        CodecDb db;
        if (!db.isOpen()) return fail("the codec database cannot be opened: " + db.error());
        auto keys = db.keys(t);
        // Audio tags are numbers: 2, 10, 85, as the editor lists them, not "10" before "2".
        if (t == Table::Audio)
            std::stable_sort(keys.begin(), keys.end(), [](const std::string& x, const std::string& y) {
                const auto nx = parseNumber(x), ny = parseNumber(y);
                if (nx && ny) return *nx < *ny;
                return static_cast<bool>(nx) && !ny;
            });
        if (json) {
            Json j;
            j.beginArray();
            for (const auto& k : keys) j.value(k);
            j.endArray();
            std::printf("%s\n", j.str().c_str());
        } else {
            for (const auto& k : keys) std::printf("%s\n", k.c_str());
        }
        return 0;
    }
    if (p.size() == 2 && tableOf(p[0], t)) {
        CodecDb db;
        if (!db.isOpen()) return fail("the codec database cannot be opened: " + db.error());
        auto r = db.find(t, t == Table::Audio ? audioKey(p[1]) : p[1]);
        if (!r) return failWith(fw::codecdb::notFoundMessage(t));
        printRecord(t, *r, json);
        return 0;
    }
    if (p.size() == 2 && p[0] == "installed") {
        fw::system::CodecCategory c;
        if (!fw::system::categoryFromName(p[1], c)) return fail(installedUsage(), 2);
        const auto found = fw::system::listCategory(c);
        if (!found.ok) return fail(std::string("the ") + p[1] + " list cannot be read on this system");
        if (json) {
            Json j;
            j.beginObject().field("category", p[1]).stringArray("entries", found.names).field("count", static_cast<long long>(found.names.size()));
            j.endObject();
            std::printf("%s\n", j.str().c_str());
        } else {
            for (const auto& n : found.names) std::printf("%s\n", n.c_str());
        }
        return 0;
    }
    return fail("usage: codecs fourcc CODE | codecs audio TAG | codecs list fourcc|audio | codecs installed CATEGORY  [--json]", 2);
}

}  // namespace fw::cli
