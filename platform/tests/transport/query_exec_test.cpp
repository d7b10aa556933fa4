// The server's executor for command 32 on a seeded database: every query's result equals a
// brute-force evaluation over the same instances, written here without the executor's code.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

#include "platform/appserver/access.h"
#include "platform/appserver/database.h"
#include "platform/appserver/query_exec.h"
#include "platform/tests/test_support.h"
#include "platform/tests/transport/server_rows.h"
#include "platform/text/cp1251.h"
#include "platform/transport/net_errors.h"
#include "platform/zordata/query_parser.h"
#include "platform/zordata/zordata.h"

namespace {

using Ids = std::set<int>;

class QueryExecTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (CzorStepData* s : {&client, &scratch}) {
            s->SetErorPrintMode(false);
            ASSERT_TRUE(s->LoadDictionaryFromFile(QM_SOURCE_DIR "/platform/tests/data/query.dict"));
        }
        Seed();
        const std::string path = dir.Path() + "/q.qmdb";
        ASSERT_TRUE(zor::appserver::ServerDatabase::Create(path));
        ASSERT_TRUE(db.Open(path));
        ASSERT_TRUE(db.PutInstances(zor::test::ServerRowsOf(client)));
    }

    // 60 people (a third employees), 8 places, 10 products; each attribute unset now and then.
    void Seed() {
        std::mt19937 rng(32);
        const char* names[] = {"Иван", "Ивanov", "Анна", "Пётр", "Сидор", "Жанна", "anna", "Иванна"};
        const char* cities[] = {"Москва", "Минск", "Омск", "Тверь"};
        int id = 4001;
        for (int i = 0; i < 8; ++i) {
            CzorInstance* p = client.CreateInstanceBN("place");
            p->SetId(id++);
            if (rng() % 5) client.PutAttrBN(p, "city", cities[rng() % 4]);
            if (rng() % 5) client.PutAttrBN(p, "zip", static_cast<int>(rng() % 1000));
            places.push_back(p);
        }
        for (int i = 0; i < 60; ++i) {
            CzorInstance* p = client.CreateInstanceBN(i % 3 == 0 ? "employee" : "person");
            p->SetId(id++);
            people.push_back(p);
        }
        for (CzorInstance* p : people) {
            if (rng() % 6) client.PutAttrBN(p, "name", names[rng() % 8]);
            if (rng() % 6) client.PutAttrBN(p, "age", static_cast<int>(rng() % 80));
            if (rng() % 6) client.PutAttrBN(p, "height", 1.0 + (rng() % 100) / 100.0);
            if (rng() % 4) client.PutAttrBN(p, "active", rng() % 2 == 0);
            if (rng() % 3) client.PutAttrBN(p, "boss", people[rng() % people.size()]);
            if (rng() % 3) client.PutAttrBN(p, "home", places[rng() % places.size()]);
            CzorTAggr<CzorInstance> friends(8, true, false);
            for (unsigned k = rng() % 4; k > 0; --k) friends.Add(people[rng() % people.size()]);
            if (friends.GetSize()) client.PutAttrBN(p, "friends", friends);
            if (p->GetEntity()->GetName() == "employee" && rng() % 4) client.PutAttrBN(p, "salary", 100.0 * (rng() % 50));
        }
        for (int i = 0; i < 10; ++i) {
            CzorInstance* p = client.CreateInstanceBN("product");
            p->SetId(id++);
            client.PutAttrBN(p, "id", "P" + std::to_string(i));
            if (i % 3) client.PutAttrBN(p, "maker", people[static_cast<size_t>(i * 5)]);
        }
    }

    // The ids the server selects, or the status it answers with (as a negative number in the set).
    Ids Run(const std::string& utf8) {
        std::string cp;
        EXPECT_TRUE(zor::Utf8ToCp1251(utf8, cp));
        CzorQLQueryParser parser(&client);
        EXPECT_TRUE(parser.ParseSelectStatement(cp)) << utf8 << ": " << parser.GetErrorCode() << " "
                                                     << parser.GetErrorText();
        CzorDataBuf body;
        EXPECT_TRUE(parser.SaveToDataBuf(body));
        return RunBytes(body);
    }
    Ids RunBytes(CzorDataBuf& body) {
        std::vector<unsigned char> reply;
        zor::appserver::AccessView admin(db, zor::appserver::kAdminUserId, zor::appserver::kAdminGroupId);
        const int32_t status = zor::appserver::AnswerQuery(db, scratch, body.GetBuffer(), body.GetSize(), reply, admin);
        if (status) return {-status};
        // The selected instances are the headers that carry values.
        CzorStepData back;
        back.SetErorPrintMode(false);
        back.LoadDictionaryFromFile(QM_SOURCE_DIR "/platform/tests/data/query.dict");
        CzorDataBuf buf;
        buf.SetExternalData(reply.data(), reply.size());
        CzorTAggr<CzorInstance> all(8, false, false);
        EXPECT_TRUE(back.ApploadFromDataBuf(buf, &all, zorBufText::Cp1251));
        Ids out;
        for (CzorInstance* inst : all) {
            bool loaded = false;
            for (int s = 0; s < inst->GetValueCount(); ++s) loaded = loaded || inst->GetValueDefinition(s)->IsLoaded();
            if (loaded) out.insert(inst->GetId());
        }
        EXPECT_EQ(scratch.GetInstanceCount(), 0);
        return out;
    }

    // Brute force over the client's instances.
    Ids Where(const char* entity, const std::function<bool(CzorInstance*)>& keep) {
        Ids out;
        for (CzorInstance* inst : client.GetInstances())
            if (client.IsKindOfBN(inst, entity) && keep(inst)) out.insert(inst->GetId());
        return out;
    }
    bool Int(CzorInstance* i, const char* a, int& v) { return client.GetAttrBN(i, a, v); }
    bool Real(CzorInstance* i, const char* a, double& v) { return client.GetAttrBN(i, a, v); }
    bool Text(CzorInstance* i, const char* a, std::string& v) { return client.GetAttrBN(i, a, v); }
    CzorInstance* Ref(CzorInstance* i, const char* a) {
        CzorInstance* r = nullptr;
        client.GetAttrBN(i, a, r);
        return r;
    }
    std::vector<CzorInstance*> List(CzorInstance* i, const char* a) {
        CzorTAggr<CzorInstance> l(8, false, false);
        client.GetAttrBN(i, a, l);
        return std::vector<CzorInstance*>(l.begin(), l.end());
    }
    static Ids Union(const Ids& a, const Ids& b) {
        Ids o = a;
        o.insert(b.begin(), b.end());
        return o;
    }
    static Ids Both(const Ids& a, const Ids& b) {
        Ids o;
        for (int x : a)
            if (b.count(x)) o.insert(x);
        return o;
    }
    CzorInstance* ById(int id) {
        for (CzorInstance* i : client.GetInstances())
            if (i->GetId() == id) return i;
        return nullptr;
    }

    zor::test::ScopedTempDir dir;
    CzorStepData client, scratch;
    zor::appserver::ServerDatabase db;
    std::vector<CzorInstance*> people, places;
};

TEST_F(QueryExecTest, ResultsEqualBruteForce) {
    const auto age = [&](CzorInstance* i, const std::function<bool(int)>& f) {
        int v = 0;
        return Int(i, "age", v) && f(v);
    };
    const auto name = [&](CzorInstance* i, const std::function<bool(const std::string&)>& f) {
        std::string v;
        return Text(i, "name", v) && f(v);
    };
    const auto all = [](CzorInstance*) { return true; };
    const Ids employees = Where("employee", all);
    const Ids older = Where("person", [&](CzorInstance* i) { return age(i, [](int v) { return v > 40; }); });
    CzorInstance* someone = people[4];
    struct Row {
        std::string text;
        Ids expected;
    } rows[] = {
        {"select a from a{person} end_select", Where("person", all)},
        {"select a from a{employee} end_select", employees},
        {"select a from a{person .age > 40} end_select", older},
        {"select a from a{person (.age >= 20 and .age < 40)} end_select",
         Where("person", [&](CzorInstance* i) { return age(i, [](int v) { return v >= 20 && v < 40; }); })},
        {"select a from a{person (.age <= 10 or .name like 'нн')} end_select",
         Where("person", [&](CzorInstance* i) {
             return age(i, [](int v) { return v <= 10; }) ||
                    name(i, [](const std::string& s) { return s.find("нн") != std::string::npos; });
         })},
        {"select a from a{person .name = 'Иван'} end_select",
         Where("person", [&](CzorInstance* i) { return name(i, [](const std::string& s) { return s == "Иван"; }); })},
        {"select a from a{person .name != 'Иван'} end_select",
         Where("person", [&](CzorInstance* i) { return !name(i, [](const std::string& s) { return s == "Иван"; }); })},
        {"select a from a{person .name like_left 'Ив'} end_select",
         Where("person", [&](CzorInstance* i) { return name(i, [](const std::string& s) { return s.rfind("Ив", 0) == 0; }); })},
        {"select a from a{person .name like_right 'на'} end_select",
         Where("person", [&](CzorInstance* i) {
             return name(i, [](const std::string& s) {
                 return s.size() >= 4 && s.compare(s.size() - 4, 4, "на") == 0;
             });
         })},
        {"select a from a{person .name not like_left 'Ив'} end_select",
         Where("person", [&](CzorInstance* i) { return !name(i, [](const std::string& s) { return s.rfind("Ив", 0) == 0; }); })},
        {"select a from a{person .name not like 'нн'} end_select",
         Where("person", [&](CzorInstance* i) { return !name(i, [](const std::string& s) { return s.find("нн") != std::string::npos; }); })},
        {"select a from a{person .name not like_right 'на'} end_select",
         Where("person", [&](CzorInstance* i) {
             return !name(i, [](const std::string& s) { return s.size() >= 4 && s.compare(s.size() - 4, 4, "на") == 0; });
         })},
        // Numbers as their decimal text.
        {"select a from a{person .age not like 1} end_select",
         Where("person", [&](CzorInstance* i) { return !age(i, [](int v) { return std::to_string(v).find('1') != std::string::npos; }); })},
        {"select a from a{person (.height > 1.5 or .height = 1.25)} end_select",
         Where("person", [&](CzorInstance* i) { double v = 0; return Real(i, "height", v) && (v > 1.5 || v == 1.25); })},
        {"select a from a{employee .salary >= 2000} end_select",
         Where("employee", [&](CzorInstance* i) { double v = 0; return Real(i, "salary", v) && v >= 2000; })},
        {"select a from a{person .name in 'Анна и Пётр'} end_select",
         Where("person", [&](CzorInstance* i) {
             return name(i, [](const std::string& s) { return std::string("Анна и Пётр").find(s) != std::string::npos; });
         })},
        {"select a from a{person .name < 'Ж'} end_select",
         Where("person", [&](CzorInstance* i) { return name(i, [](const std::string& s) { return s < "Ж"; }); })},
        {"select a from a{person .height <= 1.5} end_select",
         Where("person", [&](CzorInstance* i) { double v = 0; return Real(i, "height", v) && v <= 1.5; })},
        {"select a from a{person .active = true} end_select",
         Where("person", [&](CzorInstance* i) { bool v = false; return client.GetAttrBN(i, "active", v) && v; })},
        {"select a from a{person .active != true} end_select",
         Where("person", [&](CzorInstance* i) { bool v = false; return !(client.GetAttrBN(i, "active", v) && v); })},
        {"select a from a{person .age not exist 0} end_select",
         Where("person", [&](CzorInstance* i) { int v = 0; return !Int(i, "age", v); })},
        {"select a from a{person .age not_in 7} end_select",
         // "in" on a number: its decimal text occurs in the value's text.
         Where("person", [&](CzorInstance* i) {
             return !age(i, [](int v) { return std::string("7").find(std::to_string(v)) != std::string::npos; });
         })},
        {"select a from a{person .boss = #" + std::to_string(someone->GetId()) + "} end_select",
         Where("person", [&](CzorInstance* i) { return Ref(i, "boss") == someone; })},
        {"select a from a{person .boss = #0} end_select", Where("person", [&](CzorInstance* i) { return !Ref(i, "boss"); })},
        {"select a from a{person .boss != #0} end_select", Where("person", [&](CzorInstance* i) { return Ref(i, "boss"); })},
        {"select a from a{person .boss > #4040} end_select",
         Where("person", [&](CzorInstance* i) { return Ref(i, "boss") && Ref(i, "boss")->GetId() > 4040; })},
        {"select a from a{person .boss->employee} end_select",
         Where("person", [&](CzorInstance* i) { return Ref(i, "boss") && employees.count(Ref(i, "boss")->GetId()); })},
        {"select a from a{person .boss->employee .age > 40} end_select",
         Where("person", [&](CzorInstance* i) {
             CzorInstance* b = Ref(i, "boss");
             return b && employees.count(b->GetId()) && older.count(b->GetId());
         })},
        {"select a from a{person .home->place .city = 'Омск'} end_select",
         Where("person", [&](CzorInstance* i) {
             std::string c;
             return Ref(i, "home") && Text(Ref(i, "home"), "city", c) && c == "Омск";
         })},
        {"select a from b{employee} a{person .boss in #b} end_select",
         Where("person", [&](CzorInstance* i) { return Ref(i, "boss") && employees.count(Ref(i, "boss")->GetId()); })},
        {"select a from b{person .age > 40} a{person .boss not in #b} end_select",
         Where("person", [&](CzorInstance* i) { return !(Ref(i, "boss") && older.count(Ref(i, "boss")->GetId())); })},
        {"select a from a{person .friends like #" + std::to_string(someone->GetId()) + "} end_select",
         Where("person", [&](CzorInstance* i) {
             for (CzorInstance* f : List(i, "friends"))
                 if (f == someone) return true;
             return false;
         })},
        {"select a from a{person .friends->employee .age > 40} end_select",
         Where("person", [&](CzorInstance* i) {
             for (CzorInstance* f : List(i, "friends"))
                 if (employees.count(f->GetId()) && older.count(f->GetId())) return true;
             return false;
         })},
        {"select a from a{person .# = #4010} end_select", {4010}},
        {"select a from b{employee} a{person .# not in #b} end_select", Where("person", [&](CzorInstance* i) {
             return !employees.count(i->GetId());
         })},
        // Sets, navigation and output paths.
        {"select a or b from a{employee} b{person .age > 40} end_select", Union(employees, older)},
        {"select a and b from a{employee} b{person .age > 40} end_select", Both(employees, older)},
        {"select c from a{employee} b{person .age > 40} c{#a and #b} end_select", Both(employees, older)},
        {"select a from a{#4010, #4001, #4010} end_select", {4001, 4010}},
        {"select a from a{employee}.boss end_select",
         [&] {
             Ids o;
             for (int e : employees)
                 if (CzorInstance* b = Ref(ById(e), "boss")) o.insert(b->GetId());
             return o;
         }()},
        {"select a from a{person}.friends->employee end_select",
         [&] {
             Ids o;
             for (CzorInstance* p : people)
                 for (CzorInstance* f : List(p, "friends"))
                     if (employees.count(f->GetId())) o.insert(f->GetId());
             return o;
         }()},
        {"select a.home->place from a{employee} end_select",
         [&] {
             Ids o;
             for (int e : employees)
                 if (CzorInstance* h = Ref(ById(e), "home")) o.insert(h->GetId());
             return o;
         }()},
        {"select a.name from a{employee} end_select",
         Where("employee", [&](CzorInstance* i) { std::string s; return Text(i, "name", s); })},
    };
    for (const Row& r : rows) {
        EXPECT_FALSE(r.expected.empty() && r.text.find("#4010") == std::string::npos) << "a row that selects nothing proves little: " << r.text;
        EXPECT_EQ(Run(r.text), r.expected) << r.text;
    }
}

TEST_F(QueryExecTest, TreesItCannotRunGetAStatus) {
    EXPECT_EQ(Run("select a from a{product .id = @blob_consist('P1')} end_select"),
              Ids{-ZOR_NET_SRV_ZORAPIERR_QUERY_ERROR});
    CzorDataBuf junk;
    junk.Add("not a tree");
    EXPECT_EQ(RunBytes(junk), Ids{-ZOR_NET_SRV_QUERY_PARSE_ERROR});
    CzorDataBuf empty;
    EXPECT_EQ(RunBytes(empty), Ids{-ZOR_NET_SRV_QUERY_PARSE_ERROR});
    // An instance that no longer exists selects nothing and breaks nothing.
    CzorQLQueryParser parser(&client);
    CzorInstance* gone = client.CreateInstanceBN("person");
    gone->SetId(9999);
    ASSERT_TRUE(parser.ParseSelectStatement("select a or b from a{#9999} b{person .boss = #9999} end_select"));
    CzorDataBuf body;
    ASSERT_TRUE(parser.SaveToDataBuf(body));
    EXPECT_EQ(RunBytes(body), Ids{});
}

}  // namespace

namespace {

// Damaged trees reach the executor too when the damage still reads: every answer is a result or a
// status, never a crash.
TEST_F(QueryExecTest, DamagedTreesGetAResultOrAStatus) {
    CzorQLQueryParser parser(&client);
    ASSERT_TRUE(parser.ParseSelectStatement(
        "select a.home->place or c or d from b{employee} a{person ((.age > 3 or .boss in #b) and .home->place .zip < 500)} "
        "c{employee .name like 'н'}.friends->person d{#a and #c} end_select"))
        << parser.GetErrorCode();
    CzorDataBuf good;
    ASSERT_TRUE(parser.SaveToDataBuf(good));
    std::mt19937 rng(69);
    int ran = 0;
    for (int round = 0; round < 200; ++round) {
        CzorDataBuf bad(good);
        for (int k = 0; k < 2; ++k) bad.GetBuffer()[20 + rng() % (bad.GetSize() - 20)] = static_cast<unsigned char>(rng() % 8);
        const Ids got = RunBytes(bad);
        ASSERT_FALSE(got.empty() ? false : *got.begin() < 0 && *got.begin() != -ZOR_NET_SRV_QUERY_PARSE_ERROR &&
                                                  *got.begin() != -ZOR_NET_SRV_ZORAPIERR_QUERY_ERROR)
            << "status " << -*got.begin();
        ran += !got.empty() && *got.begin() > 0;
    }
    EXPECT_GT(ran, 0) << "no damaged tree was run";
}

}  // namespace
