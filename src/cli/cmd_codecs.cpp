#include <cstdio>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/codecdb/codec_db.h"
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
        Json j;
        j.beginObject();
        for (std::size_t i = 0; i < 6; ++i)
            if (names[i]) j.field(names[i], r.fields[i]);
        j.endObject();
        std::printf("%s\n", j.str().c_str());
        return;
    }
    for (std::size_t i = 0; i < 6; ++i)
        if (names[i]) std::printf("%s: %s\n", names[i], r.fields[i].c_str());
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
        auto r = db.find(t, p[1]);
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
