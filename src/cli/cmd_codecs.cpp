#include <cstdio>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/codecdb/codec_db.h"

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
    return fail("usage: codecs fourcc CODE | codecs audio TAG | codecs list fourcc|audio  [--json]", 2);
}

}  // namespace fw::cli
