#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>

#include "core/codecdb/codec_db.h"
#include "support/temp_home.h"

namespace {

using fw::codecdb::CodecDb;
using fw::codecdb::CodecRecord;
using fw::codecdb::Table;

TEST(CodecDb, FirstUseSeedsBothTables) {
    fw::test::TempHome home;
    CodecDb db;
    ASSERT_TRUE(db.isOpen()) << db.error();
    EXPECT_GT(db.count(Table::Video), 300);
    EXPECT_GT(db.count(Table::Audio), 40);
    const std::pair<const char*, const char*> video[] = {
        {"XVID", "XviD MPEG-4 Advanced Simple Profile"}, {"DX50", "DivX 5 MPEG-4 Advanced Simple Profile"},
        {"DIV3", "DivX ;-) MPEG-4 v3 Low Motion"},       {"MP43", "Microsoft MPEG-4 v3"},
        {"DIB ", "Uncompressed RGB (device-independent bitmap)"},
        // The codes the FourCC changer writes in lower case have rows of their own.
        {"mp41", "Microsoft MPEG-4 v1"}, {"mp42", "Microsoft MPEG-4 v2"}, {"mp43", "Microsoft MPEG-4 v3"},
    };
    for (auto [code, name] : video) {
        auto r = fw::codecdb::check_video(code);
        ASSERT_TRUE(r) << code;
        EXPECT_EQ(r->codec(), name);
    }
    EXPECT_EQ(fw::codecdb::check_audio("85")->codec(), "MPEG-1 Audio Layer 3 (MP3)");
    EXPECT_EQ(fw::codecdb::check_audio("8192")->codec(), "AC-3 (Dolby Digital)");
    EXPECT_EQ(fw::codecdb::check_audio("26447")->codec(), "Ogg Vorbis (mode 1)");
    // Codes compare exactly: a lower-case code is another key.
    EXPECT_FALSE(db.find(Table::Video, "xViD"));
    EXPECT_FALSE(fw::codecdb::check_video("xViD"));
}

TEST(CodecDb, KeysAreStoredExactlyAndFourccsHaveFourCharacters) {
    fw::test::TempHome home;
    CodecDb db;
    // Modify and delete under keys that end in blanks.
    for (const char* code : {"RGB ", "DIB ", "Y8  ", "png ", "dvc "}) {
        auto row = db.find(Table::Video, code);
        ASSERT_TRUE(row) << code;
        row->fields[1] = " padded name ";
        auto r = db.update(Table::Video, code, *row);
        EXPECT_TRUE(r.ok) << code;
        EXPECT_TRUE(r.messages.empty()) << code;
        EXPECT_EQ(db.find(Table::Video, code)->codec(), " padded name ") << code;  // no field is trimmed
        EXPECT_FALSE(db.find(Table::Video, std::string(code).substr(0, 3))) << code;
    }
    ASSERT_TRUE(db.remove(Table::Video, "Y8  ").ok);
    EXPECT_FALSE(db.find(Table::Video, "Y8  "));
    // Short codes are padded, and the result says so; long ones are refused.
    CodecRecord rec;
    rec.fields = {"Q1", "Short code", "", "", "", ""};
    auto r = db.insert(Table::Video, rec);
    EXPECT_TRUE(r.ok);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, (fw::LangKey{"DatabaseUpdaterMsgBox", 7}));
    EXPECT_EQ(db.find(Table::Video, "Q1  ")->codec(), "Short code");
    rec.fields[0] = "QQQQQ";
    r = db.insert(Table::Video, rec);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages[0].text, (fw::LangKey{"DatabaseUpdaterMsgBox", 8}));
    // Audio tags are decimal text, stored as given.
    rec.fields = {"64997", "Unused tag", "", "", "", ""};
    EXPECT_TRUE(db.insert(Table::Audio, rec).messages.empty());
    EXPECT_TRUE(db.find(Table::Audio, "64997"));
}

TEST(CodecDb, KeysHoldingSqlAreJustCodesNotFound) {
    fw::test::TempHome home;
    CodecDb db;
    const long long before = db.count(Table::Video);
    for (const char* k : {"X'Y", "' or '1'='1", "'; drop table lista_completa; --", "\"", ""})
        EXPECT_FALSE(db.find(Table::Video, k)) << k;
    EXPECT_FALSE(db.find(Table::Audio, "85' or 1=1 --"));
    EXPECT_EQ(db.count(Table::Video), before);
}

TEST(CodecDb, EditsSurviveReopeningAndTheSeedNeverOverwrites) {
    fw::test::TempHome home;
    {
        CodecDb db;
        CodecRecord r{{"FWX1", "Framewise test", "Us", "No", "A code of our own", ""}};
        ASSERT_TRUE(db.insert(Table::Video, r).ok);
        EXPECT_FALSE(db.insert(Table::Video, r).ok);  // the key is taken
        CodecRecord empty;
        auto res = db.insert(Table::Video, empty);
        ASSERT_FALSE(res.ok);
        EXPECT_EQ(res.messages[0].text.key, 5);
        r.fields[1] = "Renamed";
        ASSERT_TRUE(db.update(Table::Video, "FWX1", r).ok);
        ASSERT_TRUE(db.remove(Table::Video, "XVID").ok);
        CodecRecord a{{"64999", "Audio of ours", "Us", "", "Test", "here"}};
        ASSERT_TRUE(db.insert(Table::Audio, a).ok);
    }
    CodecDb again;  // a new session: the file is there, nothing is re-seeded
    EXPECT_EQ(again.find(Table::Video, "FWX1")->codec(), "Renamed");
    EXPECT_FALSE(again.find(Table::Video, "XVID"));
    auto a = again.find(Table::Audio, "64999");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->fields[5], "here");
    EXPECT_EQ(a->fields[3], "");
}

TEST(CodecDb, ADatabaseFromAnOlderSeedGetsTheNewRows) {
    fw::test::TempHome home;
    {
        CodecDb db;
        ASSERT_TRUE(db.remove(Table::Video, "mp43").ok);
        CodecRecord xvid = *db.find(Table::Video, "XVID");
        xvid.fields[1] = "Changed by the user";
        ASSERT_TRUE(db.update(Table::Video, "XVID", xvid).ok);
    }
    EXPECT_FALSE(CodecDb().find(Table::Video, "mp43"));  // the same seed: nothing comes back
    // A database made before the seed had the row (the version it records is another).
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(CodecDb::defaultPath().c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "pragma user_version=0", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    CodecDb updated;
    EXPECT_EQ(updated.find(Table::Video, "mp43")->codec(), "Microsoft MPEG-4 v3");
    EXPECT_EQ(updated.find(Table::Video, "XVID")->codec(), "Changed by the user");
}

TEST(CodecDb, ListsInTheEditorsOrder) {
    fw::test::TempHome home;
    CodecDb db;
    auto audio = db.keys(Table::Audio);
    ASSERT_GT(audio.size(), 3u);
    EXPECT_TRUE(std::is_sorted(audio.begin(), audio.end()));  // text order: "1", "10", "2"...
    auto video = db.keys(Table::Video);
    EXPECT_TRUE(std::is_sorted(video.begin(), video.end()));
    EXPECT_EQ(static_cast<long long>(video.size()), db.count(Table::Video));
}

TEST(CodecDb, MissingSeedGivesEmptyTablesAndAnUnwritableFolderAnError) {
    fw::test::TempHome home;
    std::string path = home.path("empty.sqlite");
    ASSERT_TRUE(fw::codecdb::ensureDatabase(path, home.path("no-seed.sql")));
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, "select count(*) from lista_completa", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 0);
    sqlite3_finalize(st);
    sqlite3_close(raw);
    // Once a seed is there, the empty database takes its rows.
    CodecDb db(path);
    EXPECT_TRUE(db.isOpen());
    EXPECT_GT(db.count(Table::Video), 300);
    std::string err;
    EXPECT_FALSE(fw::codecdb::ensureDatabase(home.path("no/dir/x.sqlite"), CodecDb::seedPath(), &err));
    EXPECT_FALSE(err.empty());
    CodecDb broken(home.path("no/dir/x.sqlite"));
    EXPECT_FALSE(broken.isOpen());
    EXPECT_FALSE(broken.find(Table::Video, "XVID"));
}

}  // namespace
