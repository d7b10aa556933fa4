// The server's own indexes and the candidates it reads through them: every query, reference load,
// search and deletion answers byte for byte as when every row is read, and the indexes agree with
// the rows after every kind of change.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <thread>

#include "platform/appserver/access.h"
#include "platform/appserver/database.h"
#include "platform/appserver/indexes.h"
#include "platform/appserver/load.h"
#include "platform/appserver/query_exec.h"
#include "platform/appserver/request_budget.h"
#include "platform/appserver/save.h"
#include "platform/appserver/search.h"
#include "platform/tests/transport/server_rows.h"
#include "platform/appserver/write_turn.h"
#include "platform/tests/test_support.h"
#include "platform/text/cp1251.h"
#include "platform/transport/net_errors.h"
#include "platform/transport/wire.h"
#include "platform/zordata/attr_match.h"
#include "platform/zordata/query_parser.h"
#include "platform/zordata/stepbuf.h"
#include "platform/zordata/zordata.h"

namespace {

using zor::appserver::InstanceRow;
using Bytes = std::vector<unsigned char>;

constexpr int kPeople = 3000;

class QueryPlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (CzorStepData* s : {&client, &scratch}) {
            s->SetErorPrintMode(false);
            ASSERT_TRUE(s->LoadDictionaryFromFile(QM_SOURCE_DIR "/platform/tests/data/query.dict"));
        }
        path = dir.Path() + "/q.qmdb";
        ASSERT_TRUE(zor::appserver::ServerDatabase::Create(path));
        ASSERT_TRUE(db.Open(path));
        ASSERT_TRUE(db.PutInstances(Seed()));
        ASSERT_TRUE(db.SetUser("reader", "pw", false));
        const auto reader = db.FindUser("reader");
        ASSERT_TRUE(reader);
        readerId = reader->id;
        ASSERT_TRUE(zor::appserver::EnsureAccessSchema(db));
        // The gate hides some people and products from everyone but the administrators, others from
        // the reader alone: loose ones, and two bosses many people refer to (references to them are
        // left out of what the reader is answered); a few more, some of them deleted later, are
        // read-only. The planned candidates still read the hidden rows, and the gate must drop them
        // and the references to them as when every row is read.
        std::vector<int32_t> loose;
        for (int32_t id = 4061; id < 4061 + kPeople && loose.size() < 12; ++id) {
            std::vector<int32_t> referrers;
            ASSERT_TRUE(zor::appserver::ReferrerIds(db.Handle(), id, referrers));
            if (referrers.empty()) loose.push_back(id);
        }
        ASSERT_EQ(loose.size(), 12u);
        const int32_t firstProduct = 4061 + kPeople;
        for (size_t k = 0; k < loose.size(); ++k)
            ASSERT_TRUE(Rights(loose[k], k < 8 ? zor::appserver::kModeNoAccess : zor::appserver::kModeReadOnly, k >= 4 && k < 8));
        ASSERT_TRUE(Rights(firstProduct + 7, zor::appserver::kModeNoAccess, true));
        ASSERT_TRUE(Rights(4063, zor::appserver::kModeNoAccess, false));
        ASSERT_TRUE(Rights(4064, zor::appserver::kModeNoAccess, true));
        ASSERT_TRUE(Rights(firstProduct + 9, zor::appserver::kModeNoAccess, false));
        for (int32_t id : {4061, 4062, 4010, firstProduct + 3})
            ASSERT_TRUE(Rights(id, zor::appserver::kModeReadOnly, false));
    }

    // The instance's mode for everyone, or (individual) for the reader alone.
    bool Rights(int32_t id, int mode, bool individual) {
        const std::string sql =
            individual ? "INSERT OR REPLACE INTO access_inst(id, mode, individual) VALUES(" + std::to_string(id) +
                             ", 1, 1); INSERT OR REPLACE INTO access_agent(inst, agent, mode) VALUES(" + std::to_string(id) +
                             ", " + std::to_string(readerId) + ", " + std::to_string(mode) + ")"
                       : "INSERT OR REPLACE INTO access_inst(id, mode, individual) VALUES(" + std::to_string(id) + ", " +
                             std::to_string(mode) + ", 0)";
        return sqlite3_exec(db.Handle(), sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    // The gates answers pass: an administrator's (who sees everything) and the reader's.
    struct Gate {
        const char* who;
        zor::appserver::AccessView view;
    };
    std::vector<std::unique_ptr<Gate>> Gates() {
        std::vector<std::unique_ptr<Gate>> out;
        out.push_back(std::make_unique<Gate>(Gate{"administrator", {db, zor::appserver::kAdminUserId, zor::appserver::kAdminGroupId}}));
        out.push_back(std::make_unique<Gate>(Gate{"reader", {db, readerId, 0}}));
        return out;
    }

    // Places, then people (every third an employee), then products; values of every kind, each
    // unset now and then, references forwards and backwards, and a few people everyone points at.
    std::vector<InstanceRow> Seed() {
        std::mt19937 rng(36);
        const char* names[] = {"Иван", "Ивanov", "Анна", "Пётр", "Сидор", "Жанна", "anna", "Иванна", "иван", "ИВАН"};
        const char* cities[] = {"Москва", "Минск", "Омск", "Тверь"};
        int id = 4001;
        std::vector<CzorInstance*> places, people;
        for (int i = 0; i < 60; ++i) {
            CzorInstance* p = client.CreateInstanceBN("place");
            p->SetId(id++);
            if (rng() % 5) client.PutAttrBN(p, "city", cities[rng() % 4]);
            if (rng() % 5) client.PutAttrBN(p, "zip", static_cast<int>(rng() % 1000));
            places.push_back(p);
        }
        for (int i = 0; i < kPeople; ++i) {
            CzorInstance* p = client.CreateInstanceBN(i % 3 == 0 ? "employee" : "person");
            p->SetId(id++);
            people.push_back(p);
        }
        for (CzorInstance* p : people) {
            if (rng() % 6) client.PutAttrBN(p, "name", std::string(names[rng() % 10]) + (rng() % 4 ? "" : std::to_string(rng() % 50)));
            if (rng() % 6) client.PutAttrBN(p, "age", static_cast<int>(rng() % 80));
            if (rng() % 6) client.PutAttrBN(p, "height", 1.0 + (rng() % 100) / 100.0);
            if (rng() % 4) client.PutAttrBN(p, "active", rng() % 2 == 0);
            if (rng() % 3) client.PutAttrBN(p, "boss", people[rng() % 3 == 0 ? rng() % 5 : rng() % people.size()]);
            if (rng() % 3) client.PutAttrBN(p, "home", places[rng() % places.size()]);
            CzorTAggr<CzorInstance> friends(8, true, false);
            for (unsigned k = rng() % 4; k > 0; --k) friends.Add(people[rng() % people.size()]);
            if (friends.GetSize()) client.PutAttrBN(p, "friends", friends);
            if (p->GetEntity()->GetName() == "employee" && rng() % 4) client.PutAttrBN(p, "salary", 100.0 * (rng() % 50));
        }
        for (int i = 0; i < 40; ++i) {
            CzorInstance* p = client.CreateInstanceBN("product");
            p->SetId(id++);
            client.PutAttrBN(p, "id", "P" + std::to_string(i));
            if (i % 3) client.PutAttrBN(p, "maker", people[static_cast<size_t>(i * 5)]);
        }
        return zor::test::ServerRowsOf(client);
    }

    InstanceRow Row(CzorInstance* inst) { return zor::test::ServerRowOf(client, inst); }

    Bytes Tree(const std::string& utf8) {
        std::string cp;
        EXPECT_TRUE(zor::Utf8ToCp1251(utf8, cp));
        CzorQLQueryParser parser(&client);
        EXPECT_TRUE(parser.ParseSelectStatement(cp)) << utf8 << ": " << parser.GetErrorText();
        CzorDataBuf body;
        EXPECT_TRUE(parser.SaveToDataBuf(body));
        return Bytes(body.GetBuffer(), body.GetBuffer() + body.GetSize());
    }

    // The status and the reply, as one comparable text.
    template <class F>
    std::string Answer(F&& f) {
        Bytes reply;
        const int32_t status = f(reply);
        return std::to_string(status) + ":" + std::string(reply.begin(), reply.end());
    }

    // Makes the database look as if made before the indexes (without touching them, so that they
    // can be switched on again).
    void Unindexed(bool on) {
        const char* sql = on ? "ALTER TABLE meta RENAME TO meta_aside; CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT)"
                             : "DROP TABLE meta; ALTER TABLE meta_aside RENAME TO meta";
        ASSERT_EQ(sqlite3_exec(db.Handle(), sql, nullptr, nullptr, nullptr), SQLITE_OK);
    }

    // A save that deletes the instances of these ids.
    static Bytes Deletion(const std::vector<int32_t>& ids) {
        CzorDataBuf b;
        b.Add(kzorStepDataSignature, kzorStepDataSignatureSize);
        b.Add(std::string("qltest"));
        b.Add(int32_t{0});
        b.Add(static_cast<int32_t>(ids.size()));
        for (int32_t id : ids) {
            b.Add(id);
            b.Add(int16_t{0});
            b.Add(int8_t{0});
        }
        return Bytes(b.GetBuffer(), b.GetBuffer() + b.GetSize());
    }

    std::string Rows() {
        std::string all;
        db.ForEachInstance([&](const InstanceRow& r) {
            all += std::to_string(r.id) + r.entity + std::string(r.data.begin(), r.data.end());
            return true;
        });
        return all;
    }

    zor::test::ScopedTempDir dir;
    std::string path;
    CzorStepData client, scratch;
    zor::appserver::ServerDatabase db;
    int32_t readerId = 0;
};

// Every query of the query-language tests, and the narrowings each kind of condition allows.
TEST_F(QueryPlanTest, PlannedQueriesAnswerAsReadingEveryRow) {
    const char* queries[] = {
        "select a from a{person} end_select",
        "select a from a{employee} end_select",
        "select a from a{person .age > 40} end_select",
        "select a from a{person (.age >= 20 and .age < 40)} end_select",
        "select a from a{person (.age <= 10 or .name like 'нн')} end_select",
        "select a from a{person .name = 'Иван'} end_select",
        "select a from a{person .name = 'иван'} end_select",
        "select a from a{person .name != 'Иван'} end_select",
        "select a from a{person .name like_left 'Ив'} end_select",
        "select a from a{person .name like_left 'ив'} end_select",
        "select a from a{person .name like_right 'на'} end_select",
        "select a from a{person .name not like_left 'Ив'} end_select",
        "select a from a{person .name not like 'нн'} end_select",
        "select a from a{person .name not like_right 'на'} end_select",
        "select a from a{person .age not like 1} end_select",
        "select a from a{person .age = 17} end_select",
        "select a from a{person .height = 1.5} end_select",
        "select a from a{employee .salary = 2000} end_select",
        "select a from a{person (.height > 1.5 or .height = 1.25)} end_select",
        "select a from a{employee .salary >= 2000} end_select",
        "select a from a{person .name in 'Анна и Пётр'} end_select",
        "select a from a{person .name < 'Ж'} end_select",
        "select a from a{person .height <= 1.5} end_select",
        "select a from a{person .active = true} end_select",
        "select a from a{person .active != true} end_select",
        "select a from a{person .age not exist 0} end_select",
        "select a from a{person .age not_in 7} end_select",
        "select a from a{person .boss = #4065} end_select",
        "select a from a{person .boss = #0} end_select",
        "select a from a{person .boss != #0} end_select",
        "select a from a{person .boss > #4040} end_select",
        "select a from a{person (.boss < #4070 and .age > 30)} end_select",
        "select a from a{person .boss->employee} end_select",
        "select a from a{person .boss->employee .age > 40} end_select",
        "select a from a{person .home->place .city = 'Омск'} end_select",
        "select a from b{employee} a{person .boss in #b} end_select",
        "select a from b{employee .age = 3} a{person .boss in #b} end_select",
        "select a from b{person .name = 'Анна'} a{employee .# in #b} end_select",
        "select a from b{person .age = 30} a{product .maker in #b} end_select",
        "select a from b{place .city = 'Омск'} c{person .home in #b} a{person (.boss in #c and .age < 50)} end_select",
        "select a from b{person .age > 70} a{person .boss not in #b} end_select",
        "select a from a{person .friends like #4100} end_select",
        "select a from a{person .friends->employee .age > 40} end_select",
        "select a from a{person .# = #4010} end_select",
        "select a from a{employee .# = #4062} end_select",
        "select a from a{place .# = #4062} end_select",
        "select a from b{employee .age = 3} a{person .# not in #b} end_select",
        "select a or b from a{employee .age = 5} b{person .age > 78} end_select",
        "select a and b from a{employee} b{person .age > 40} end_select",
        "select c from a{employee} b{person .age > 40} c{#a and #b} end_select",
        "select a from a{#4010, #4001, #4010} end_select",
        "select a from a{employee .age = 7}.boss end_select",
        "select a from a{person .age = 9}.friends->employee end_select",
        "select a.home->place from a{employee .name = 'Анна'} end_select",
        "select a.name from a{employee .age < 4} end_select",
        "select a from a{product .id = 'P7'} end_select",
        "select a from a{product .maker->person .age > 40} end_select",
        "select a.home->place or c or d from b{employee} a{person ((.age > 3 or .boss in #b) and .home->place .zip < 500)} "
        "c{employee .name like 'н'}.friends->person d{#a and #c} end_select",
    };
    for (const auto& gate : Gates()) {
        for (const char* text : queries) {
            const Bytes tree = Tree(text);
            const std::string planned = Answer([&](Bytes& r) {
                gate->view.Forget();
                return zor::appserver::AnswerQuery(db, scratch, tree.data(), tree.size(), r, gate->view);
            });
            const std::string everyRow = Answer([&](Bytes& r) {
                gate->view.Forget();
                return zor::appserver::AnswerQueryReadingAll(db, scratch, tree.data(), tree.size(), r, gate->view);
            });
            EXPECT_EQ(planned.substr(0, 2), "0:") << gate->who << ": " << text;
            EXPECT_TRUE(planned == everyRow) << gate->who << ": " << text;
        }
    }
    // The gate matters here: the reader is answered less than the administrator.
    const Bytes tree = Tree("select a from a{product} end_select");
    auto gates = Gates();
    const std::string all = Answer([&](Bytes& r) {
        return zor::appserver::AnswerQuery(db, scratch, tree.data(), tree.size(), r, gates[0]->view);
    });
    const std::string some = Answer([&](Bytes& r) {
        return zor::appserver::AnswerQuery(db, scratch, tree.data(), tree.size(), r, gates[1]->view);
    });
    EXPECT_EQ(some.substr(0, 2), "0:");
    EXPECT_LT(some.size(), all.size());
}

// 'r' loads, searches and deletions read only what the indexes name; what they answer or leave
// behind is what reading every row gave.
TEST_F(QueryPlanTest, ReferenceLoadsSearchesAndDeletionsAnswerAsWithoutIndexes) {
    CzorEntity* person = scratch.GetEntityBN("person");
    CzorEntity* employee = scratch.GetEntityBN("employee");
    CzorAttr* boss = scratch.GetAttrDefinition(person, "boss");
    CzorAttr* friends = scratch.GetAttrDefinition(person, "friends");
    struct Referred {
        int32_t target;
        int32_t entity;
        int32_t attr;
    } loads[] = {
        {4061, 0, 0}, {4062, person->GetId(), 0}, {4063, employee->GetId(), 0}, {4064, 0, boss->GetId()},
        {4100, 0, friends->GetId()}, {4001, 0, 0}, {99999, 0, 0},
    };
    const auto loadAll = [&](Bytes& r, zor::appserver::AccessView& view) {
        std::vector<zor::appserver::LoadQuery> qs;
        for (const Referred& l : loads) {
            zor::appserver::LoadQuery q;
            q.pos = static_cast<int32_t>(qs.size());
            q.type = 'r';
            q.id = l.target;
            q.entity = l.entity;
            q.attr = l.attr;
            qs.push_back(q);
        }
        view.Forget();
        return zor::appserver::AnswerLoad(db, scratch, qs, r, view);
    };

    CzorAttr* name = scratch.GetAttrDefinition(person, "name");
    CzorAttr* age = scratch.GetAttrDefinition(person, "age");
    CzorAttr* home = scratch.GetAttrDefinition(person, "home");
    struct Search {
        CzorAttr* attr;
        CzorValue value;
        int pattern, caseSensitive, mode, refId;
    };
    CzorValue ivan, iv, anna, seventeen, homeRef;
    ivan.Set("иван");
    iv.Set("Ив");
    anna.Set("нн");
    seventeen.Set(17);
    std::vector<Search> searches = {
        {name, ivan, 0, 0, 0, 0}, {name, ivan, 0, 1, 0, 0}, {name, iv, 1, 0, 0, 0}, {name, iv, 1, 1, 0, 0},
        {name, anna, 1, 0, 1, 0}, {age, seventeen, 0, 0, 0, 0}, {home, CzorValue(), 0, 0, 0, 4010},
    };
    const auto find = [&](const Search& s, bool unique, zor::appserver::AccessView& view) {
        return Answer([&](Bytes& r) {
            CzorDataBuf b;
            b.Add("zor_TestFindBuf V 0.103", 24);
            b.Add(person->GetId());
            b.Add(int32_t{0});
            b.Add(int32_t{1});
            b.Add(int32_t{s.refId ? 1 : 0});
            if (s.refId) b.Add(int32_t{s.refId});
            b.Add(s.attr->GetId());
            if (s.refId) {
                // A reference criterion names its target by its place in the list above.
                b.Add(int8_t{1});
                b.Add(int32_t{0});
            } else {
                zorAppendBufValue(b, s.value, nullptr, zorBufText::Cp1251);
            }
            b.Add(int32_t{s.pattern});
            b.Add(int32_t{s.caseSensitive});
            b.Add(int32_t{s.mode});
            view.Forget();
            return zor::appserver::AnswerFind(db, scratch, b.GetBuffer(), b.GetSize(), unique, r, view);
        });
    };
    auto gates = Gates();
    const auto everything = [&](zor::appserver::AccessView& view) {
        std::string out = Answer([&](Bytes& r) { return loadAll(r, view); });
        for (const Search& s : searches) out += "|" + find(s, false, view) + "|" + find(s, true, view);
        return out;
    };
    std::vector<std::string> indexed;
    for (const auto& gate : gates) indexed.push_back(everything(gate->view));
    Unindexed(true);
    for (size_t g = 0; g < gates.size(); ++g) EXPECT_TRUE(indexed[g] == everything(gates[g]->view)) << gates[g]->who;
    Unindexed(false);
    EXPECT_GT(indexed[1].size(), 10000u) << "the loads and searches found next to nothing";
    EXPECT_LT(indexed[1].size(), indexed[0].size()) << "the reader was answered what he may not see";

    // The same deletion on a copy without indexes leaves the same rows.
    zor::appserver::ServerDatabase copy;
    const std::string copyPath = dir.Path() + "/copy.qmdb";
    ASSERT_EQ(sqlite3_exec(db.Handle(), ("VACUUM INTO '" + copyPath + "'").c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_TRUE(copy.Open(copyPath));
    ASSERT_EQ(sqlite3_exec(copy.Handle(), "DELETE FROM meta WHERE key = 'index_version'", nullptr, nullptr, nullptr), SQLITE_OK);
    const Bytes gone = Deletion({4061, 4062, 4100, 4010});
    Bytes reply;
    zor::appserver::AccessView admin(db, zor::appserver::kAdminUserId, zor::appserver::kAdminGroupId);
    zor::appserver::AccessView copyAdmin(copy, zor::appserver::kAdminUserId, zor::appserver::kAdminGroupId);
    ASSERT_EQ(zor::appserver::ApplySave(db, scratch, gone.data(), gone.size(), nullptr, reply, admin), 0);
    ASSERT_EQ(zor::appserver::ApplySave(copy, scratch, gone.data(), gone.size(), nullptr, reply, copyAdmin), 0);
    std::string copied;
    copy.ForEachInstance([&](const InstanceRow& r) {
        copied += std::to_string(r.id) + r.entity + std::string(r.data.begin(), r.data.end());
        return true;
    });
    EXPECT_TRUE(Rows() == copied);
    for (int32_t target : {4061, 4062, 4100, 4010}) {
        std::vector<int32_t> referrers;
        ASSERT_TRUE(zor::appserver::ReferrerIds(db.Handle(), target, referrers));
        EXPECT_TRUE(referrers.empty()) << target;
    }
    EXPECT_EQ(zor::appserver::CheckIndexes(db.Handle()), "ok");
    // The deleted instances keep their rights rows; the reader is still answered as when every
    // row is read.
    std::vector<std::string> after;
    for (const auto& gate : gates) after.push_back(everything(gate->view));
    Unindexed(true);
    for (size_t g = 0; g < gates.size(); ++g) EXPECT_TRUE(after[g] == everything(gates[g]->view)) << gates[g]->who;
    Unindexed(false);
}

// After every way the rows change, the indexes rebuilt from the rows are the ones kept.
TEST_F(QueryPlanTest, IndexesAgreeWithTheRowsAfterEveryChange) {
    CzorInstance* p = client.CreateInstanceBN("person");
    p->SetId(9001);
    client.PutAttrBN(p, "name", "Новый \"кавычки\" \\ и\tтаб");
    client.PutAttrBN(p, "boss", client.GetInstances().GetAt(70));
    const InstanceRow fresh = Row(p);
    client.PutAttrBN(p, "name", "Другое");
    client.PutAttrBN(p, "height", std::numeric_limits<double>::infinity());
    const InstanceRow changed = Row(p);
    // A list that holds one person twice, then once.
    const auto withFriends = [&](int times) {
        CzorAggr friends(zorINSTANCE);
        for (int k = 0; k < times; ++k) {
            CzorValue f;
            f.Set(client.GetInstances().GetAt(90));
            friends.Add(f);
        }
        CzorValue v;
        v.Set(friends);
        client.PutAttr(p, client.GetAttrDefinition(p->GetEntity(), "friends"), v);
        return Row(p);
    };
    const InstanceRow twice = withFriends(2), once = withFriends(1);
    const Bytes deletion = Deletion({4070, 4071});
    zor::appserver::AccessView admin(db, zor::appserver::kAdminUserId, zor::appserver::kAdminGroupId);
    struct Step {
        const char* what;
        std::function<bool()> change;
    } steps[] = {
        {"nothing yet", [] { return true; }},
        {"a new row", [&] { return db.PutInstance(fresh.id, fresh.entity, fresh.data); }},
        {"the row replaced", [&] { return db.PutInstance(changed.id, changed.entity, changed.data); }},
        {"a list holding an item twice", [&] { return db.PutInstance(twice.id, twice.entity, twice.data); }},
        {"the list holding it once", [&] { return db.PutInstance(once.id, once.entity, once.data); }},
        {"rows in a batch", [&] { return db.PutInstances({{9002, "place", fresh.data}, {9003, "product", {}}}); }},
        {"a row that does not read", [&] { return db.PutInstance(9004, "person", {1, 2, 3, 200, 5, 5}); }},
        {"a row of an entity nobody knows", [&] { return db.PutInstance(9005, "nowhere", changed.data); }},
        {"written inside a save's transaction",
         [&] { return db.InTransaction([&] { return db.WriteInstanceRow(9001, "employee", fresh.data); }); }},
        {"a transaction rolled back",
         [&] { return !db.InTransaction([&] { return db.WriteInstanceRow(4090, "person", {}) && false; }); }},
        {"rows deleted", [&] { return db.DeleteInstances({9002, 4080, 4081}, 1); }},
        {"a save that deletes referred instances",
         [&] {
             Bytes reply;
             return zor::appserver::ApplySave(db, scratch, deletion.data(), deletion.size(), nullptr, reply, admin) == 0;
         }},
        {"a user added", [&] { return db.SetUser("someone", "x", false); }},
    };
    for (const Step& s : steps) {
        ASSERT_TRUE(s.change()) << s.what;
        EXPECT_EQ(zor::appserver::CheckIndexes(db.Handle()), "ok") << s.what;
    }
    zor::appserver::ServerDatabase again;
    ASSERT_TRUE(again.Open(path));
    EXPECT_EQ(zor::appserver::CheckIndexes(again.Handle()), "ok") << "after a reopen";
    // The check finds a disagreement when there is one.
    ASSERT_EQ(sqlite3_exec(db.Handle(), "DELETE FROM idx_values WHERE id = 9001", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_NE(zor::appserver::CheckIndexes(db.Handle()), "ok");
}

// A database made before the indexes gets them at its first writable open, and answers as before.
TEST_F(QueryPlanTest, AnOldDatabaseIsIndexedAtItsFirstOpen) {
    zor::appserver::AccessView access(db, readerId, 0);
    const Bytes tree = Tree("select a from a{person (.name = 'Анна' and .age > 20)} end_select");
    const std::string before = Answer([&](Bytes& r) {
        return zor::appserver::AnswerQueryReadingAll(db, scratch, tree.data(), tree.size(), r, access);
    });
    ASSERT_EQ(sqlite3_exec(db.Handle(),
                           "DROP TRIGGER idx_instances_insert; DROP TRIGGER idx_instances_update;"
                           " DROP TRIGGER idx_instances_delete; DROP TABLE idx_values; DROP TABLE idx_refs;"
                           " DROP TABLE idx_entities; DELETE FROM meta WHERE key = 'index_version'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_FALSE(zor::appserver::HasIndexes(db.Handle()));
    // Without them every query still answers.
    const std::string unindexed = Answer([&](Bytes& r) {
        return zor::appserver::AnswerQuery(db, scratch, tree.data(), tree.size(), r, access);
    });
    EXPECT_TRUE(unindexed == before);
    zor::appserver::ServerDatabase reopened;
    ASSERT_TRUE(reopened.Open(path));
    EXPECT_TRUE(zor::appserver::HasIndexes(reopened.Handle()));
    EXPECT_EQ(zor::appserver::CheckIndexes(reopened.Handle()), "ok");
    const std::string after = Answer([&](Bytes& r) {
        zor::appserver::AccessView again(reopened, readerId, 0);
        return zor::appserver::AnswerQuery(reopened, scratch, tree.data(), tree.size(), r, again);
    });
    EXPECT_TRUE(after == before);
}

// A reader sees an instance that refers to one hidden from him: every kind of answer holds the
// visible one with that reference left out (a single one unset, a list without that member), and
// carries nothing of the hidden one. The administrator still gets the reference.
TEST_F(QueryPlanTest, AReferenceToAHiddenInstanceIsLeftOutOfEveryAnswer) {
    constexpr int32_t kHidden = 7301, kFriend = 7302, kSeen = 7303, kGone = 7304;
    const auto person = [&](int32_t id, const char* name, CzorInstance* boss, std::vector<CzorInstance*> friends) {
        CzorInstance* p = client.CreateInstanceBN("person");
        p->SetId(id);
        client.PutAttrBN(p, "name", name);
        if (boss) client.PutAttrBN(p, "boss", boss);
        if (!friends.empty()) {
            CzorTAggr<CzorInstance> list(8, true, false);
            for (CzorInstance* f : friends) list.Add(f);
            client.PutAttrBN(p, "friends", list);
        }
        return p;
    };
    CzorInstance* hidden = person(kHidden, "Скрытый", nullptr, {});
    CzorInstance* buddy = person(kFriend, "Друг", nullptr, {});
    CzorInstance* seen = person(kSeen, "Видимый", hidden, {hidden, buddy});
    CzorInstance* gone = person(kGone, "Удалённый", hidden, {buddy, hidden});
    ASSERT_TRUE(db.PutInstances({Row(hidden), Row(buddy), Row(seen), Row(gone)}));
    ASSERT_TRUE(db.DeleteInstances({kGone}, zor::appserver::kAdminUserId));
    ASSERT_TRUE(Rights(kHidden, zor::appserver::kModeNoAccess, false));

    CzorEntity* personEntity = scratch.GetEntityBN("person");
    CzorAttr* nameAttr = scratch.GetAttrDefinition(personEntity, "name");
    CzorAttr* bossAttr = scratch.GetAttrDefinition(personEntity, "boss");
    const auto load = [&](char type, int32_t id, bool alsoReferred = false) {
        return [=, this](Bytes& r, zor::appserver::AccessView& view) {
            zor::appserver::LoadQuery q;
            q.type = type;
            q.id = id;
            q.entity = type == 'e' ? personEntity->GetId() : 0;
            q.flagA = true;
            q.flagB = alsoReferred;
            return zor::appserver::AnswerLoad(db, scratch, {q}, r, view);
        };
    };
    // A search by name, or by the boss (a reference criterion names its target by its place in the list).
    const auto find = [&](const char* name, int32_t bossId, bool unique) {
        return [=, this](Bytes& r, zor::appserver::AccessView& view) {
            CzorDataBuf b;
            b.Add("zor_TestFindBuf V 0.103", 24);
            b.Add(personEntity->GetId());
            b.Add(int32_t{0});
            b.Add(int32_t{1});
            b.Add(int32_t{bossId ? 1 : 0});
            if (bossId) b.Add(bossId);
            b.Add((bossId ? bossAttr : nameAttr)->GetId());
            if (bossId) {
                b.Add(int8_t{1});
                b.Add(int32_t{0});
            } else {
                CzorValue v;
                v.Set(std::string(name));
                zorAppendBufValue(b, v, nullptr, zorBufText::Cp1251);
            }
            for (int32_t x : {0, 0, 0}) b.Add(x);
            return zor::appserver::AnswerFind(db, scratch, b.GetBuffer(), b.GetSize(), unique, r, view);
        };
    };
    const auto query = [&](const std::string& text, bool readAll) {
        const Bytes tree = Tree(text);
        return [=, this](Bytes& r, zor::appserver::AccessView& view) {
            return readAll ? zor::appserver::AnswerQueryReadingAll(db, scratch, tree.data(), tree.size(), r, view)
                           : zor::appserver::AnswerQuery(db, scratch, tree.data(), tree.size(), r, view);
        };
    };
    const auto deleted = [&](Bytes& r, zor::appserver::AccessView& view) {
        return zor::appserver::AnswerDeleted(db, scratch, view, r);
    };
    const std::string byName = "select a from a{person .name = 'Видимый'} end_select";
    const std::string byBoss = "select a from a{person .boss = #" + std::to_string(kHidden) + "} end_select";
    const std::string throughBoss = "select a from a{person .boss->person .name = 'Скрытый'} end_select";
    const std::string byFriend = "select a from a{person .friends like #" + std::to_string(kFriend) + "} end_select";
    using Ask = std::function<int32_t(Bytes&, zor::appserver::AccessView&)>;
    struct Case {
        std::string what;
        Ask ask;
        int32_t status;
        std::set<int32_t> blocks;  // the instances answered with values (all of them when `exact`)
        bool exact;
    } cases[] = {
        {"load by id", load('a', kSeen), 0, {kSeen}, true},
        {"load by id with what it refers to", load('a', kSeen, true), 0, {kSeen, kFriend}, true},
        {"extent", load('e', 0), 0, {kSeen, kFriend}, false},
        {"instances referring to a visible one", load('r', kFriend), 0, {kSeen}, true},
        {"instances referring to the hidden one", load('r', kHidden), 0, {}, true},
        {"search by name", find("Видимый", 0, false), 0, {kSeen}, true},
        {"search by the hidden boss", find(nullptr, kHidden, false), 0, {}, true},
        {"uniqueness still counts the hidden one", find("Скрытый", 0, true), kzorStatusNotUnique, {}, true},
        {"planned query by name", query(byName, false), 0, {kSeen}, true},
        {"read-all query by name", query(byName, true), 0, {kSeen}, true},
        {"planned query by the hidden boss", query(byBoss, false), 0, {}, true},
        {"read-all query by the hidden boss", query(byBoss, true), 0, {}, true},
        {"planned query through the hidden boss", query(throughBoss, false), 0, {}, true},
        {"read-all query through the hidden boss", query(throughBoss, true), 0, {}, true},
        {"planned query by a friend", query(byFriend, false), 0, {kSeen}, true},
        {"read-all query by a friend", query(byFriend, true), 0, {kSeen}, true},
        {"the deleted list", deleted, 0, {kGone}, false},
    };
    std::string hiddenName;
    ASSERT_TRUE(zor::Utf8ToCp1251("Скрытый", hiddenName));
    zor::appserver::AccessView reader(db, readerId, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reader.Forget();
        Bytes reply;
        const int32_t status = c.ask(reply, reader);
        EXPECT_EQ(status, c.status);
        if (status || c.status) continue;
        EXPECT_TRUE(std::search(reply.begin(), reply.end(), hiddenName.begin(), hiddenName.end()) == reply.end())
            << "the hidden instance's values leaked";
        CzorStepData seenBy;
        seenBy.SetErorPrintMode(false);
        ASSERT_TRUE(seenBy.LoadDictionaryFromFile(QM_SOURCE_DIR "/platform/tests/data/query.dict"));
        CzorDataBuf buf;
        buf.SetExternalData(reply.data(), reply.size());
        std::vector<int32_t> blockIds;
        ASSERT_TRUE(zorStepBufBlockIds(seenBy, buf, blockIds, zorBufText::Cp1251));
        const std::set<int32_t> blocks(blockIds.begin(), blockIds.end());
        if (c.exact) EXPECT_EQ(blocks, c.blocks);
        else
            for (int32_t id : c.blocks) EXPECT_TRUE(blocks.count(id)) << id;
        buf.Begin();
        CzorTAggr<CzorInstance> merged;
        ASSERT_TRUE(seenBy.ApploadFromDataBuf(buf, &merged, zorBufText::Cp1251));
        for (CzorInstance* inst : merged) {
            EXPECT_NE(inst->GetId(), kHidden) << "the hidden instance is named";
            if (inst->GetId() != kSeen && inst->GetId() != kGone) continue;
            CzorAttr* boss = seenBy.GetAttrDefinition(inst->GetEntity(), "boss");
            CzorAttr* friends = seenBy.GetAttrDefinition(inst->GetEntity(), "friends");
            CzorInstance::CzorValueDefinition* b = seenBy.GetAttrValue(inst, boss);
            ASSERT_TRUE(b);
            EXPECT_EQ(b->GetValue().GetType(), zorNOTYPE) << inst->GetId() << ": the single reference arrives unset";
            CzorTAggr<CzorInstance> list;
            ASSERT_TRUE(seenBy.GetAttr(inst, friends, list));
            ASSERT_EQ(list.GetSize(), 1) << inst->GetId() << ": the list loses only the hidden member";
            EXPECT_EQ(list.GetAt(0)->GetId(), kFriend);
        }
    }
    // The administrator is answered the references themselves.
    zor::appserver::AccessView admin(db, zor::appserver::kAdminUserId, zor::appserver::kAdminGroupId);
    Bytes reply;
    ASSERT_EQ(load('a', kSeen)(reply, admin), 0);
    CzorStepData seenBy;
    seenBy.SetErorPrintMode(false);
    ASSERT_TRUE(seenBy.LoadDictionaryFromFile(QM_SOURCE_DIR "/platform/tests/data/query.dict"));
    CzorDataBuf buf;
    buf.SetExternalData(reply.data(), reply.size());
    CzorTAggr<CzorInstance> merged;
    ASSERT_TRUE(seenBy.ApploadFromDataBuf(buf, &merged, zorBufText::Cp1251));
    CzorInstance* got = nullptr;
    for (CzorInstance* inst : merged)
        if (inst->GetId() == kSeen) got = inst;
    ASSERT_TRUE(got);
    CzorInstance* boss = nullptr;
    ASSERT_TRUE(seenBy.GetAttr(got, seenBy.GetAttrDefinition(got->GetEntity(), "boss"), boss));
    ASSERT_TRUE(boss);
    EXPECT_EQ(boss->GetId(), kHidden);
    CzorTAggr<CzorInstance> list;
    ASSERT_TRUE(seenBy.GetAttr(got, seenBy.GetAttrDefinition(got->GetEntity(), "friends"), list));
    EXPECT_EQ(list.GetSize(), 2);
}

// A request whose session stops, or whose time is spent, ends with the break status.
TEST_F(QueryPlanTest, ACutRequestEndsWithTheBreakStatus) {
    const Bytes tree = Tree("select a from a{person .name like 'н'} end_select");
    std::vector<zor::appserver::LoadQuery> many(50);
    for (auto& q : many) q.type = 'e', q.entity = scratch.GetEntityBN("person")->GetId();
    std::atomic<bool> stop{true};
    zor::appserver::AccessView access(db, readerId, 0);
    struct Case {
        const char* what;
        const std::atomic<bool>* stop;
        std::chrono::milliseconds limit;
    } cases[] = {
        {"the session stops", &stop, std::chrono::milliseconds(0)},
        {"the time is spent", nullptr, std::chrono::milliseconds(1)},
    };
    for (const Case& c : cases) {
        zor::appserver::RequestBudget budget(c.stop, c.limit);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        Bytes reply;
        EXPECT_EQ(zor::appserver::AnswerQuery(db, scratch, tree.data(), tree.size(), reply, access), ZOR_NET_SRV_BREAK) << c.what;
        EXPECT_EQ(zor::appserver::AnswerLoad(db, scratch, many, reply, access), ZOR_NET_SRV_BREAK) << c.what;
    }
    // Outside a budget nothing is cut.
    Bytes reply;
    EXPECT_EQ(zor::appserver::AnswerQuery(db, scratch, tree.data(), tree.size(), reply, access), 0);
}

}  // namespace

namespace {

// Writers of one file come in the order they asked; one whose request is cut while it waits
// leaves the queue without holding up those behind it.
TEST_F(QueryPlanTest, WritersTakeTurnsInOrderAndACutWriterLeavesTheQueue) {
    std::vector<int> order;
    std::mutex orderMutex;
    std::optional<zor::appserver::WriteTurn> first(std::in_place, db.Handle());
    ASSERT_TRUE(first->Held());
    std::atomic<bool> cutLeft{false};
    std::thread cut([&] {
        std::atomic<bool> stop{true};
        zor::appserver::RequestBudget budget(&stop, std::chrono::milliseconds(0));
        zor::appserver::WriteTurn t(db.Handle());
        cutLeft = !t.Held();
    });
    cut.join();
    EXPECT_TRUE(cutLeft);
    std::vector<std::thread> waiting;
    for (int k = 0; k < 4; ++k) {
        waiting.emplace_back([&, k] {
            zor::appserver::ServerDatabase mine;
            if (!mine.Open(path)) return;
            zor::appserver::WriteTurn t(mine.Handle());
            std::lock_guard lock(orderMutex);
            if (t.Held()) order.push_back(k);
        });
        // Each asks before the next does.
        for (int i = 0; i < 500 && zor::appserver::WriteTurn::Queued(db.Handle()) < static_cast<uint64_t>(k + 2); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (zor::appserver::WriteTurn::Queued(db.Handle()) != static_cast<uint64_t>(k + 2)) {
            ADD_FAILURE() << "writer " << k << " never queued";
            break;
        }
    }
    first.reset();
    for (auto& t : waiting) t.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
}

}  // namespace
