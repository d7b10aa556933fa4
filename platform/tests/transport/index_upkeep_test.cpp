// The server's indexes kept by its triggers, on rows written straight into the instances table:
// after every kind of write the kept entries are the ones rebuilt from the rows, and a number is
// found by exactly the value it was stored with.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/appserver/indexes.h"
#include "platform/appserver/statement_cache.h"

namespace {

using Blob = std::vector<unsigned char>;

// Values in the stored row encoding: one code byte, then the value.
struct RowBuilder {
    Blob b;
    RowBuilder& I32(int32_t v) {
        for (int k = 0; k < 4; ++k) b.push_back(static_cast<unsigned char>(static_cast<uint32_t>(v) >> (8 * k)));
        return *this;
    }
    RowBuilder& Code(unsigned char c) { b.push_back(c); return *this; }
    RowBuilder& Null() { return Code(0); }
    RowBuilder& Ref(int32_t id) { b.push_back(1); return I32(id); }
    RowBuilder& List(int32_t n) { b.push_back(2); return I32(n); }
    RowBuilder& Int(int32_t v) { b.push_back(3); return I32(v); }
    RowBuilder& Real(double d) {
        b.push_back(4);
        unsigned char raw[8];
        std::memcpy(raw, &d, 8);
        b.insert(b.end(), raw, raw + 8);
        return *this;
    }
    RowBuilder& Text(const std::string& s) {
        b.push_back(5);
        I32(static_cast<int32_t>(s.size() + 1));
        b.insert(b.end(), s.begin(), s.end());
        b.push_back(0);
        return *this;
    }
};

class IndexUpkeepTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
        zor::appserver::PrepareConnection(db);
        ASSERT_TRUE(Exec("CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT);"
                         "CREATE TABLE instances(id INTEGER PRIMARY KEY, entity TEXT NOT NULL, data BLOB NOT NULL);"));
        ASSERT_TRUE(Put("INSERT INTO instances(id, entity, data) VALUES(?, ?, ?)", 1, "person",
                        RowBuilder().Text("Анна").Int(30).Ref(2).b));
        ASSERT_TRUE(zor::appserver::EnsureIndexes(db));
    }
    void TearDown() override { zor::appserver::CloseConnection(db); }

    bool Exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    bool Put(const char* sql, int64_t id, const char* entity, const Blob& data) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) return false;
        sqlite3_bind_int64(s, 1, id);
        sqlite3_bind_text(s, 2, entity, -1, SQLITE_TRANSIENT);
        if (data.empty()) sqlite3_bind_zeroblob(s, 3, 0);
        else sqlite3_bind_blob(s, 3, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
        const bool ok = sqlite3_step(s) == SQLITE_DONE;
        sqlite3_finalize(s);
        return ok;
    }
    int64_t Count(const char* sql) {
        sqlite3_stmt* s = nullptr;
        int64_t n = -1;
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
            n = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
        return n;
    }
    std::vector<int32_t> Found(const char* entity, int pos, double number) {
        zor::appserver::ValueKey key;
        key.number = number;
        std::vector<int32_t> ids;
        EXPECT_TRUE(zor::appserver::IndexedIds(db, entity, pos, key, ids));
        return ids;
    }
    std::vector<int32_t> Referrers(int32_t target) {
        std::vector<int32_t> ids;
        EXPECT_TRUE(zor::appserver::ReferrerIds(db, target, ids));
        return ids;
    }

    sqlite3* db = nullptr;
};

const char* kReplace = "INSERT OR REPLACE INTO instances(id, entity, data) VALUES(?, ?, ?)";
const char* kUpdate = "UPDATE instances SET entity = ?2, data = ?3 WHERE id = ?1";

// Each step changes row 1 (or adds row 3) one way; the kept indexes must stay the rebuilt ones.
TEST_F(IndexUpkeepTest, EveryWriteLeavesTheRebuiltIndexes) {
    const double tiny = std::numeric_limits<double>::denorm_min();
    struct Step {
        const char* what;
        const char* sql;
        int64_t id;
        const char* entity;
        Blob data;
    } steps[] = {
        {"the same row again", kReplace, 1, "person", RowBuilder().Text("Анна").Int(30).Ref(2).b},
        {"one value changed", kReplace, 1, "person", RowBuilder().Text("Анна").Int(31).Ref(2).b},
        {"written back unchanged", kUpdate, 1, "person", RowBuilder().Text("Анна").Int(31).Ref(2).b},
        {"only the entity changed", kUpdate, 1, "employee", RowBuilder().Text("Анна").Int(31).Ref(2).b},
        {"numbers JSON text would bend", kReplace, 1, "employee",
         RowBuilder().Real(0.1).Real(-0.0).Real(1e300).Real(tiny).Real(std::numeric_limits<double>::infinity()).b},
        {"a list with one item twice and references in nested lists", kReplace, 1, "employee",
         RowBuilder().List(3).Ref(2).Ref(2).Int(7).List(2).List(2).Ref(5).Ref(2).Ref(5).b},
        {"texts with quotes, escapes and a control character", kUpdate, 1, "employee",
         RowBuilder().Text("\"кавычки\" \\ и\tтаб").Text("").Null().b},
        {"a row that stops reading midway", kReplace, 3, "place", RowBuilder().Int(4).Ref(1).Code(9).Int(5).b},
        {"a second row with the first row's bytes", kReplace, 3, "place",
         RowBuilder().Text("\"кавычки\" \\ и\tтаб").Text("").Null().b},
        {"an empty row", kUpdate, 1, "employee", Blob{}},
    };
    ASSERT_EQ(zor::appserver::CheckIndexes(db), "ok");
    for (const Step& s : steps) {
        ASSERT_TRUE(Put(s.sql, s.id, s.entity, s.data)) << s.what << ": " << sqlite3_errmsg(db);
        EXPECT_EQ(zor::appserver::CheckIndexes(db), "ok") << s.what;
    }
    ASSERT_TRUE(Exec("UPDATE instances SET id = 7 WHERE id = 3"));
    EXPECT_EQ(zor::appserver::CheckIndexes(db), "ok") << "a row moved to another id";
    ASSERT_TRUE(Exec("DELETE FROM instances"));
    EXPECT_EQ(zor::appserver::CheckIndexes(db), "ok") << "every row deleted";
    EXPECT_EQ(Count("SELECT (SELECT count(*) FROM idx_values) + (SELECT count(*) FROM idx_refs)"), 0);
}

// A number is found by the very value it holds, and a reference by its target, whatever the row
// held before.
TEST_F(IndexUpkeepTest, ValuesAreFoundByWhatTheRowHolds) {
    const double tiny = std::numeric_limits<double>::denorm_min();
    ASSERT_TRUE(Put(kReplace, 1, "person",
                    RowBuilder().Real(0.1).Real(1e300).Real(tiny).List(3).Ref(2).Ref(2).Ref(6).b));
    EXPECT_EQ(Found("person", 0, 0.1), std::vector<int32_t>{1});
    EXPECT_EQ(Found("person", 1, 1e300), std::vector<int32_t>{1});
    EXPECT_EQ(Found("person", 2, tiny), std::vector<int32_t>{1});
    EXPECT_EQ(Found("person", 3, 6), std::vector<int32_t>{1});
    EXPECT_EQ(Referrers(2), std::vector<int32_t>{1});
    EXPECT_EQ(Referrers(6), std::vector<int32_t>{1});
    // The reference to 2 goes, 6 stays; the old numbers are no longer found.
    ASSERT_TRUE(Put(kUpdate, 1, "person", RowBuilder().Real(0.2).Null().Null().List(1).Ref(6).b));
    EXPECT_TRUE(Found("person", 0, 0.1).empty());
    EXPECT_EQ(Found("person", 0, 0.2), std::vector<int32_t>{1});
    EXPECT_TRUE(Found("person", 2, tiny).empty());
    EXPECT_TRUE(Referrers(2).empty());
    EXPECT_EQ(Referrers(6), std::vector<int32_t>{1});
    EXPECT_EQ(zor::appserver::CheckIndexes(db), "ok");
}


// The instances naming a blob, through the index, are those whose rows hold its name as a text
// value, as reading every row finds them: at the top, in a list, in a list inside a list, under
// any attribute, and never a longer name, the same name in another case, or a deleted row.
TEST_F(IndexUpkeepTest, BlobNamersAreTheRowsHoldingTheName) {
    const auto encoded = [](const std::string& name) { return RowBuilder().Text(name).b; };
    struct Row { int64_t id; Blob data; };
    const Row rows[] = {
        {10, RowBuilder().Text("blob_00aa").Int(1).b},
        {11, RowBuilder().Int(2).List(2).Text("x").Text("blob_00aa").b},
        {12, RowBuilder().List(1).List(2).Int(3).Text("blob_00aa").b},
        {13, RowBuilder().Text("blob_00aab").b},
        {14, RowBuilder().Text("BLOB_00AA").b},
        {15, RowBuilder().Null().Text("blob_00bb").Text("blob_00aa").b},
        {16, RowBuilder().Text("blob_00aa").b},
    };
    for (const Row& r : rows) ASSERT_TRUE(Put("INSERT INTO instances(id, entity, data) VALUES(?, ?, ?)", r.id, "doc", r.data));
    ASSERT_TRUE(Exec("DELETE FROM instances WHERE id = 16"));
    const auto scanned = [&](const std::string& name) {
        std::vector<int32_t> ids;
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "SELECT id FROM instances WHERE instr(data, ?) > 0 ORDER BY id", -1, &s, nullptr);
        const Blob pattern = encoded(name);
        sqlite3_bind_blob(s, 1, pattern.data(), static_cast<int>(pattern.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(s) == SQLITE_ROW) ids.push_back(static_cast<int32_t>(sqlite3_column_int64(s, 0)));
        sqlite3_finalize(s);
        return ids;
    };
    struct Case { const char* name; std::vector<int32_t> ids; };
    const Case cases[] = {{"blob_00aa", {10, 11, 12, 15}}, {"BLOB_00AA", {14}}, {"blob_00aab", {13}},
                          {"blob_00bb", {15}},             {"blob_00cc", {}}};
    for (const Case& c : cases) {
        std::vector<int32_t> ids;
        ASSERT_TRUE(zor::appserver::BlobNamerIds(db, c.name, encoded(c.name), ids)) << c.name;
        EXPECT_EQ(ids, c.ids) << c.name;
        EXPECT_EQ(ids, scanned(c.name)) << c.name;
    }
    std::vector<int32_t> ids;
    EXPECT_FALSE(zor::appserver::BlobNamerIds(db, "dictionary.dict", encoded("dictionary.dict"), ids))
        << "only blob names are looked up";
    EXPECT_EQ(zor::appserver::CheckIndexes(db), "ok");
    // The index, not the table, is read.
    sqlite3_stmt* plan = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "EXPLAIN QUERY PLAN SELECT DISTINCT v.id FROM idx_values v JOIN instances i ON i.id = v.id"
                                     " WHERE fold >= 'BLOB_' AND fold < 'BLOB`' AND v.fold = 'BLOB_00AA'", -1, &plan, nullptr),
              SQLITE_OK);
    std::string steps;
    while (sqlite3_step(plan) == SQLITE_ROW) steps += std::string(reinterpret_cast<const char*>(sqlite3_column_text(plan, 3))) + "\n";
    sqlite3_finalize(plan);
    EXPECT_NE(steps.find("idx_values_blob"), std::string::npos) << steps;
}

}  // namespace
