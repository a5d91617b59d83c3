#include "core/codecdb/codec_db.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <tuple>

#include "core/common/paths.h"
#include "core/common/text.h"

namespace fw::codecdb {

namespace {

struct TableSpec {
    const char* select;  // one row by key
    const char* list;
    const char* count;
    const char* insert;
    const char* update;
    const char* remove;
    std::array<int, 6> column;  // field index -> column index of select *; -1 when unused
};

const TableSpec kVideo = {
    "select * from lista_completa where fourcc=?1",
    "select fourcc from Lista_completa ORDER BY fourcc",
    "select count(*) from lista_completa",
    "insert into lista_completa (fourcc, codec, produttore, registrato, descrizione, \"where to find\") "
    "values (?1, ?2, ?3, ?4, ?5, ?6)",
    "update lista_completa set fourcc=?1, codec=?2, produttore=?3, registrato=?4, descrizione=?5, "
    "\"where to find\"=?6 where fourcc=?7",
    "delete from lista_completa where fourcc=?1",
    {0, 1, 2, 3, 4, 5},
};

const TableSpec kAudio = {
    "select * from audio_codec where identificatore=?1",
    "select identificatore from audio_codec ORDER BY identificatore",
    "select count(*) from audio_codec",
    "insert into audio_codec (identificatore, codec, produttore, descrizione, reperibile) "
    "values (?1, ?2, ?3, ?5, ?6)",
    "update audio_codec set identificatore=?1, codec=?2, produttore=?3, descrizione=?5, reperibile=?6 "
    "where identificatore=?7",
    "delete from audio_codec where identificatore=?1",
    {0, 1, 2, -1, 3, 4},
};

const TableSpec& spec(Table t) { return t == Table::Video ? kVideo : kAudio; }

// Statements are prepared per call: the windows open the database per operation, and a call
// costs microseconds.
class Stmt {
public:
    Stmt(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &m_s, nullptr); }
    ~Stmt() { sqlite3_finalize(m_s); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    bool ok() const { return m_s != nullptr; }
    void bind(int i, const std::string& v) { sqlite3_bind_text(m_s, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT); }
    int step() { return sqlite3_step(m_s); }
    std::string text(int col) const {
        auto p = sqlite3_column_text(m_s, col);
        return p ? std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(sqlite3_column_bytes(m_s, col))) : std::string();
    }
    long long integer(int col) const { return sqlite3_column_int64(m_s, col); }

private:
    sqlite3_stmt* m_s = nullptr;
};

const char* kSchema =
    "create table if not exists lista_completa (fourcc text primary key not null, codec text, produttore text, "
    "registrato text, descrizione text, \"where to find\" text);"
    "create table if not exists audio_codec (identificatore text primary key not null, codec text, "
    "produttore text, descrizione text, reperibile text);";

DbResult failure(int key) {
    DbResult r;
    r.ok = false;
    r.messages.push_back(Message::lang("DatabaseUpdaterMsgBox", key, Icon::Exclamation));
    return r;
}

void bindRecord(Stmt& s, const CodecRecord& r) {
    for (int i = 0; i < 6; ++i) s.bind(i + 1, r.fields[static_cast<std::size_t>(i)]);
}

}  // namespace

std::string CodecDb::defaultPath() { return paths().userDataDir + "/codecs.sqlite"; }
std::string CodecDb::seedPath() { return paths().shippedDataDir + "/codecs.sql"; }

namespace {

std::string readSeed(const std::string& seedSqlPath) {
    std::ifstream in(seedSqlPath, std::ios::binary);
    std::ostringstream ss;
    if (in) ss << in.rdbuf();
    return ss.str();
}

// The seed's identity, kept in the database's user_version: a new seed (a program update) is
// merged into a database made from an older one.
int seedVersion(const std::string& script) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : script) h = (h ^ c) * 16777619u;
    return static_cast<int>(h & 0x7FFFFFFF) | 1;  // never 0, the version of a database made before
}

// Adds the seed's rows whose keys the database lacks; rows the user changed stay as they are.
void mergeSeed(const std::string& path, const std::string& script) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return;
    }
    sqlite3_busy_timeout(db, 2000);
    const int version = seedVersion(script);
    int current = 0;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "pragma user_version", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        current = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    if (current != version) {
        const std::string merge = "begin;" + std::string(kSchema) + replaceAll(script, "insert into ", "insert or ignore into ") +
                                  ";pragma user_version=" + std::to_string(version) + ";commit;";
        if (sqlite3_exec(db, merge.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            sqlite3_exec(db, "rollback;", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
}

}  // namespace

// The database files already checked against the seed in this process, as they were then: a
// lookup opens the database each time, and the check need not run again until the file changes.
bool checkedAlready(const std::string& path, const std::string& seedSqlPath, bool remember) {
    static std::mutex m;
    static std::map<std::string, std::tuple<dev_t, ino_t, std::int64_t, std::int64_t>> checked;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    const auto key = std::make_tuple(st.st_dev, st.st_ino, std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                                     std::int64_t(st.st_size));
    std::lock_guard<std::mutex> lock(m);
    const std::string id = path + '\n' + seedSqlPath;
    if (remember) {
        checked[id] = key;
        return true;
    }
    auto it = checked.find(id);
    return it != checked.end() && it->second == key;
}

bool ensureDatabase(const std::string& path, const std::string& seedSqlPath, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (checkedAlready(path, seedSqlPath, false)) return true;
    if (fs::exists(path, ec)) {
        if (const std::string seed = readSeed(seedSqlPath); !seed.empty()) mergeSeed(path, seed);
        checkedAlready(path, seedSqlPath, true);
        return true;
    }
    // Built under a temporary name and renamed, so a half-made database is never taken for done.
    // Hidden, as every temporary file of ours: a process killed meanwhile leaves no name that
    // looks like a database.
    const fs::path target(path);
    std::string tmp = (target.parent_path() / ("." + target.filename().string() + ".new." + std::to_string(::getpid()))).string();
    fs::remove(tmp, ec);
    sqlite3* db = nullptr;
    auto fail = [&](const std::string& why) {
        if (db) sqlite3_close(db);
        fs::remove(tmp, ec);
        if (error) *error = why;
        return false;
    };
    if (sqlite3_open_v2(tmp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return fail("cannot create " + tmp);
    // Read only now: where no database can be made, each lookup would read the whole seed.
    const std::string seed = readSeed(seedSqlPath);
    std::string script = "begin;" + std::string(kSchema) + seed + ";pragma user_version=" +
                         std::to_string(seedVersion(seed)) + ";commit;";
    char* msg = nullptr;
    if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
        std::string why = msg ? msg : "seed failed";
        sqlite3_free(msg);
        return fail(why);
    }
    sqlite3_close(db);
    db = nullptr;
    if (std::rename(tmp.c_str(), path.c_str()) != 0) return fail("cannot rename " + tmp);
    return true;
}

CodecDb::CodecDb(std::string path) {
    if (!ensureDatabase(path, seedPath(), &m_error)) return;
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        m_error = m_db ? sqlite3_errmsg(m_db) : "cannot open the codec database";
        sqlite3_close(m_db);
        m_db = nullptr;
        return;
    }
    sqlite3_busy_timeout(m_db, 2000);
}

CodecDb::~CodecDb() {
    if (m_db) sqlite3_close(m_db);
}

std::optional<CodecRecord> CodecDb::find(Table t, const std::string& key) const {
    if (!m_db) return std::nullopt;
    const TableSpec& sp = spec(t);
    Stmt s(m_db, sp.select);
    if (!s.ok()) return std::nullopt;
    s.bind(1, key);
    if (s.step() != SQLITE_ROW) return std::nullopt;
    CodecRecord r;
    for (std::size_t i = 0; i < 6; ++i)
        if (sp.column[i] >= 0) r.fields[i] = s.text(sp.column[i]);
    return r;
}

std::vector<std::string> CodecDb::keys(Table t) const {
    std::vector<std::string> out;
    if (!m_db) return out;
    Stmt s(m_db, spec(t).list);
    while (s.ok() && s.step() == SQLITE_ROW) out.push_back(s.text(0));
    return out;
}

long long CodecDb::count(Table t) const {
    if (!m_db) return 0;
    Stmt s(m_db, spec(t).count);
    if (!s.ok() || s.step() != SQLITE_ROW) return 0;
    return s.integer(0);
}

// A FourCC is four characters, stored exactly as typed: a shorter one is padded with blanks (the
// user is told), a longer one refused. Audio tags are decimal text of any length.
std::optional<DbResult> normaliseKey(Table t, CodecRecord& r) {
    if (r.key().empty()) return failure(5);
    if (t != Table::Video) return std::nullopt;
    if (r.key().size() > 4) return failure(8);
    if (r.key().size() < 4) {
        r.fields[0].resize(4, ' ');
        DbResult padded;
        Message m = Message::lang("DatabaseUpdaterMsgBox", 7, Icon::Information);
        m.suffix = " '" + r.fields[0] + "'";
        padded.messages.push_back(m);
        return padded;
    }
    return std::nullopt;
}

DbResult CodecDb::insert(Table t, const CodecRecord& record) {
    if (!m_db) return failure(6);
    CodecRecord r = record;
    auto note = normaliseKey(t, r);
    if (note && !note->ok) return *note;
    if (find(t, r.key())) return failure(4);
    Stmt s(m_db, spec(t).insert);
    if (!s.ok()) return failure(6);
    bindRecord(s, r);
    if (s.step() != SQLITE_DONE) return failure(6);
    return note.value_or(DbResult{});
}

DbResult CodecDb::update(Table t, const std::string& oldKey, const CodecRecord& record) {
    if (!m_db) return failure(6);
    CodecRecord r = record;
    auto note = normaliseKey(t, r);
    if (note && !note->ok) return *note;
    if (r.key() != oldKey && find(t, r.key())) return failure(4);
    Stmt s(m_db, spec(t).update);
    if (!s.ok()) return failure(6);
    bindRecord(s, r);
    s.bind(7, oldKey);
    if (s.step() != SQLITE_DONE) return failure(6);
    return note.value_or(DbResult{});
}

DbResult CodecDb::remove(Table t, const std::string& key) {
    if (!m_db) return failure(6);
    Stmt s(m_db, spec(t).remove);
    if (!s.ok()) return failure(6);
    s.bind(1, key);
    if (s.step() != SQLITE_DONE) return failure(6);
    return {};
}

std::optional<CodecRecord> check_video(const std::string& fourcc) { return CodecDb().find(Table::Video, fourcc); }
std::optional<CodecRecord> check_audio(const std::string& identificatore) {
    return CodecDb().find(Table::Audio, identificatore);
}

Message notFoundMessage(Table t) {
    return t == Table::Video ? Message::lang("DatabaseUpdaterMsgBox", 2, Icon::Exclamation)
                             : Message::lang("DatabaseUpdaterMsgBox", 1, Icon::Information);
}

}  // namespace fw::codecdb
