#pragma once
// The codec knowledge bases: video FourCC codes (table lista_completa) and audio format tags
// (table audio_codec) in an SQLite file in the user's data folder, made on first use from the
// shipped seed. Every lookup binds its key, so a code holding a quote is just a code not found.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/common/message.h"

struct sqlite3;

namespace fw::codecdb {

enum class Table { Video, Audio };

// A record's six fields in the browser's order. Video: fourcc, codec, produttore, registrato,
// descrizione, "where to find". Audio: identificatore, codec, produttore, (unused), descrizione,
// reperibile.
struct CodecRecord {
    std::array<std::string, 6> fields;
    const std::string& key() const { return fields[0]; }
    const std::string& codec() const { return fields[1]; }
};

struct DbResult {
    bool ok = true;
    Messages messages;
};

class CodecDb {
public:
    // Opens (creating from the seed when absent) the database at path; the default is the user's.
    explicit CodecDb(std::string path = defaultPath());
    ~CodecDb();
    CodecDb(const CodecDb&) = delete;
    CodecDb& operator=(const CodecDb&) = delete;

    static std::string defaultPath();
    static std::string seedPath();

    bool isOpen() const { return m_db != nullptr; }
    const std::string& error() const { return m_error; }

    std::optional<CodecRecord> find(Table t, const std::string& key) const;
    std::vector<std::string> keys(Table t) const;  // in the editors' order
    long long count(Table t) const;

    // Keys are stored exactly as given; a FourCC shorter than four characters is padded with
    // blanks (a message says so), a longer one refused.
    DbResult insert(Table t, const CodecRecord& r);
    DbResult update(Table t, const std::string& oldKey, const CodecRecord& r);
    DbResult remove(Table t, const std::string& key);

private:
    ::sqlite3* m_db = nullptr;
    std::string m_error;
};

// Creates the database file from the seed script when it does not exist yet. An existing file made
// from an older seed gets the new seed's rows whose keys it lacks (a program update adds codes);
// rows already there, the user's changes among them, are never touched. Returns false (with the
// reason) when the file could not be made.
bool ensureDatabase(const std::string& path, const std::string& seedSqlPath, std::string* error = nullptr);

// The lookups the inspector and the FourCC changer use.
std::optional<CodecRecord> check_video(const std::string& fourcc);
std::optional<CodecRecord> check_audio(const std::string& identificatore);

// The not-found message of each table.
Message notFoundMessage(Table t);

}  // namespace fw::codecdb
