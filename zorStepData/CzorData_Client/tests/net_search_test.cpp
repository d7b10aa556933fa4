// Searches and uniqueness tests: the matching rules as a table, then the same criteria answered
// from memory and from our server on 127.0.0.1, merged.
#include <gtest/gtest.h>

#include <set>

#include "platform/zordata/attr_match.h"
#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"

namespace {

using zor::appserver::FaultAction;
using zor::appserver::FaultRule;

TEST(AttrMatch, CaseFoldingCoversEveryLetterOfTheCodePage) {
    EXPECT_EQ(zorUpper1251("abcxyz абвгдежзийклмнопрстуфхцчшщъыьэюя"), "ABCXYZ АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
    EXPECT_EQ(zorUpper1251("ё ђ ѓ є ѕ і ї ј љ њ ћ ќ ў џ ґ"), "Ё Ђ Ѓ Є Ѕ І Ї Ј Љ Њ Ћ Ќ Ў Џ Ґ");
    EXPECT_EQ(zorUpper1251("№ « » € 1 ÿ"), "№ « » € 1 ÿ");  // not letters of the code page
}

TEST(AttrMatch, StringCriteriaByCaseAndBindMode) {
    CzorStepData dict;
    ASSERT_TRUE(dict.LoadDictionary(QM_DICT_DIR "/quillmark"));
    CzorAttr* name = dict.GetAttrDefinition(dict.GetEntityBN("zor_col"), "name");
    CzorAttr* type = dict.GetAttrDefinition(dict.GetEntityBN("zor_col"), "type");
    struct Case { const char* have; const char* want; bool pattern, sensitive; int mode; bool match; } cases[] = {
        {"Ёлка", "ЁЛКА", false, false, 0, true},
        {"Ёлка", "ЁЛКА", false, true, 0, false},
        {"Ёлка", "Ёлка", false, true, 0, true},
        {"їжак", "ЇЖАК", false, false, 0, true},
        {"Шкаф", "шк", true, false, zorBindBegin, true},
        {"Шкаф", "аф", true, false, zorBindBegin, false},
        {"Шкаф", "аф", true, false, zorBindEnd, true},
        {"Шкаф", "шк", true, false, zorBindEnd, false},
        {"Шкаф", "шк", true, false, zorBindContains, true},
        {"Шкаф", "аф", true, false, zorBindContains, true},
        {"Шкаф", "ка", true, false, zorBindContains, true},
        {"Шкаф", "ка", true, false, zorBindBegin, false},
        {"Шкаф", "ШКАФ!", true, false, zorBindBegin, false},
        {"Шкаф", "что угодно", true, false, 7, true},
        {"Шкаф", "шк", false, false, zorBindBegin, false},  // without pattern: whole strings
    };
    for (const Case& c : cases) {
        CzorValue have, want;
        have.Set(c.have);
        want.Set(c.want);
        EXPECT_EQ(zorCriterionMatches(name, &have, want, c.pattern, c.sensitive, c.mode), c.match)
            << c.have << " / " << c.want << " " << c.pattern << c.sensitive << c.mode;
    }
    CzorValue none, text, five;
    text.Set("x");
    five.Set(5);
    EXPECT_FALSE(zorCriterionMatches(name, nullptr, text, false, false, 0));  // the instance holds none
    EXPECT_FALSE(zorCriterionMatches(name, &text, five, false, false, 0));    // the criterion holds no string
    EXPECT_TRUE(zorCriterionMatches(type, &five, five, false, false, 0));
    EXPECT_FALSE(zorCriterionMatches(type, &five, none, false, false, 0));
    EXPECT_TRUE(zorCriterionMatches(type, nullptr, none, false, false, 0));
    EXPECT_FALSE(zorCriterionMatches(type, nullptr, five, false, false, 0));
}

class NetSearchTest : public zor::test::NetStoreTest {
protected:
    void SetUp() override {
        NetStoreTest::SetUp();
        ASSERT_TRUE(Login());
        store->SetNetErrorMessageMode(false);
        for (const char* n : {"Шкаф", "шкафчик", "Стол", "ёж", "ЁЖИК", "Їжак"}) Col(n);
        ASSERT_TRUE(store->NET_SaveChanges(nullptr)) << store->GetLastErrorDescription();
        store->ClearData();  // the saved ones are on the server only
        for (const char* n : {"шкатулка", "Ёжевика"}) Col(n);  // unsaved
        sink.Clear();
    }
    CzorInstance* Col(const char* name, int type = 1) {
        CzorInstance* c = store->CreateInstanceBN("zor_col");
        EXPECT_TRUE(store->PutAttrBN(c, "name", name));
        EXPECT_TRUE(store->PutAttrBN(c, "type", type));
        return c;
    }
    CzorAttrValue Criterion(const char* attr, const CzorValue& v) {
        CzorAttrValue c(store->GetAttrDefinition(store->GetEntityBN("zor_col"), attr));
        c.m_Value.Set(v);
        return c;
    }
    std::set<std::string> Names(const CzorTAggr<CzorInstance>& list) {
        std::set<std::string> out;
        for (CzorInstance* i : list) {
            std::string s;
            store->GetAttrBN(i, "name", s);
            out.insert(s);
        }
        return out;
    }
    void FailCommand(int command) {
        FaultRule r;
        r.command = command;
        r.action = FaultAction::Status;
        r.value = ZOR_NET_SRV_ERROR_PROCESSED;
        server->Server().Faults().Add(r);
    }
};

TEST_F(NetSearchTest, ServerAndMemoryAnswerTheSameCriteriaMerged) {
    struct Case { const char* want; bool pattern, sensitive; zorStringBindMode mode; std::set<std::string> found; } cases[] = {
        {"шк", true, false, zorBindBegin, {"Шкаф", "шкафчик", "шкатулка"}},
        {"шк", true, true, zorBindBegin, {"шкафчик", "шкатулка"}},
        {"ик", true, false, zorBindEnd, {"ЁЖИК", "шкафчик"}},
        {"ёж", true, false, zorBindContains, {"ёж", "ЁЖИК", "Ёжевика"}},
        {"ёж", true, true, zorBindContains, {"ёж"}},
        {"ЁЖ", false, false, zorBindContains, {"ёж"}},
        {"ЇЖАК", false, false, zorBindContains, {"Їжак"}},
        {"ЇЖАК", false, true, zorBindContains, {}},
    };
    CzorEntity* col = store->GetEntityBN("zor_col");
    for (const Case& c : cases) {
        CzorValue v;
        v.Set(c.want);
        CzorAttrValue crit = Criterion("name", v);
        CzorTAggr<CzorInstance> found(8, false, false);
        const int n = store->NET_FindInstancesWithAttrValues(col, 1, &crit, found, c.pattern, c.sensitive, nullptr, c.mode);
        EXPECT_EQ(n, static_cast<int>(c.found.size())) << c.want << store->GetLastErrorDescription();
        EXPECT_EQ(Names(found), c.found) << c.want << " " << c.pattern << c.sensitive << c.mode;
    }
    // Two criteria: both must match.
    CzorValue v, t;
    v.Set("шк");
    t.Set(1);
    CzorAttrValue two[] = {Criterion("name", v), Criterion("type", t)};
    CzorTAggr<CzorInstance> found(8, false, false);
    EXPECT_EQ(store->NET_FindInstancesWithAttrValues(col, 2, two, found, true, false, nullptr, zorBindBegin), 3);
    t.Set(2);
    two[1] = Criterion("type", t);
    EXPECT_EQ(store->NET_FindInstancesWithAttrValues(col, 2, two, found, true, false, nullptr, zorBindBegin), 0);
    EXPECT_EQ(store->NET_FindInstancesWithAttrValues(nullptr, 1, two, found, true, false, nullptr, zorBindBegin), -1);
}

TEST_F(NetSearchTest, ADisconnectedStoreAnswersFromMemory) {
    CzorEntity* col = store->GetEntityBN("zor_col");
    store->NET_Disconnect();
    Col("Шкаф");
    CzorValue v;
    v.Set("шк");
    CzorAttrValue crit = Criterion("name", v);
    CzorTAggr<CzorInstance> found(8, false, false);
    EXPECT_EQ(store->NET_FindInstancesWithAttrValues(col, 1, &crit, found, true, false, nullptr, zorBindBegin), 1);
}

TEST_F(NetSearchTest, UniquenessAnswersAsATable) {
    CzorEntity* col = store->GetEntityBN("zor_col");
    CzorValue v;
    // On the server: "Стол" is taken, "Кресло" is free, "стол" in another case is free (the server
    // test is case-sensitive).
    struct Case { const char* name; bool unique; int status; } cases[] = {
        {"Стол", false, kzorStatusNotUnique}, {"Кресло", true, 0}, {"стол", true, 0},
    };
    for (const Case& c : cases) {
        v.Set(c.name);
        CzorAttrValue crit = Criterion("name", v);
        EXPECT_EQ(store->NET_TestUniqueAttrValues(col, nullptr, 1, &crit, false, nullptr), c.unique) << c.name;
        EXPECT_EQ(store->GetLastZorError(), c.status) << c.name;
    }
    EXPECT_TRUE(sink.Messages().empty());  // 114 is an answer, not a failure
    // The instance being edited never counts against itself.
    auto other = std::make_unique<CzorNetStepData>();
    other->SetHideMode(true);
    ASSERT_TRUE(other->NET_Connect("user", "pw", "test"));
    v.Set("Стол");
    CzorAttrValue crit(other->GetAttrDefinition(other->GetEntityBN("zor_col"), "name"));
    crit.m_Value.Set(v);
    CzorTAggr<CzorInstance> found(8, false, false);
    ASSERT_EQ(other->NET_FindInstancesWithAttrValues(other->GetEntityBN("zor_col"), 1, &crit, found, false, true, nullptr,
                                                     zorBindContains),
              1);
    EXPECT_TRUE(other->NET_TestUniqueAttrValues(other->GetEntityBN("zor_col"), found.GetAt(0), 1, &crit, false, nullptr));
    EXPECT_TRUE(other->TestUniqueAttrValues(other->GetEntityBN("zor_col"), found.GetAt(0), 1, &crit, nullptr));
    EXPECT_FALSE(other->TestUniqueAttrValuesBN("zor_col", nullptr, 1, &crit, nullptr));
    EXPECT_EQ(other->GetLastZorError(), kzorStatusNotUnique);
}

TEST_F(NetSearchTest, UnsavedValuesAreJudgedWithoutARequest) {
    FailCommand(zor::net::kCmdTestUniqueAttrValues);  // a request would come back with 106
    FailCommand(zor::net::kCmdFindInstances);
    CzorEntity* col = store->GetEntityBN("zor_col");
    // An unsaved instance already holds the name: not unique, decided in memory.
    CzorValue v;
    v.Set("ШКАТУЛКА");
    CzorAttrValue crit = Criterion("name", v);
    EXPECT_FALSE(store->TestUniqueAttrValues(col, nullptr, 1, &crit, nullptr));
    EXPECT_EQ(store->GetLastZorError(), 0);
    // A criterion naming an unsaved instance cannot be searched for on the server.
    CzorInstance* unsaved = Col("новый");
    CzorAttrValue ref(store->GetAttrDefinition(store->GetEntityBN("zor_condition"), "column"));
    ref.m_Value.Set(unsaved);
    CzorEntity* cond = store->GetEntityBN("zor_condition");
    EXPECT_FALSE(store->NET_TestUniqueAttrValues(cond, nullptr, 1, &ref, false, nullptr));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_MISSED_DATA);
    // A search for it answers from memory alone.
    CzorInstance* c = store->CreateInstanceBN("zor_condition");
    ASSERT_TRUE(store->PutAttrBN(c, "column", unsaved));
    CzorTAggr<CzorInstance> found(8, false, false);
    EXPECT_EQ(store->NET_FindInstancesWithAttrValues(cond, 1, &ref, found, false, false, nullptr, zorBindContains), 1);
    EXPECT_EQ(found.GetAt(0), c);
}

// A reference criterion on the server: conditions whose column is a saved column.
TEST_F(NetSearchTest, ReferenceCriteriaAreSearchedByTheInstancesIds) {
    CzorInstance* target = Col("цель");
    CzorInstance* other = Col("другая");
    CzorInstance* c1 = store->CreateInstanceBN("zor_condition");
    CzorInstance* c2 = store->CreateInstanceBN("zor_condition");
    ASSERT_TRUE(store->PutAttrBN(c1, "column", target));
    ASSERT_TRUE(store->PutAttrBN(c2, "column", other));
    ASSERT_TRUE(store->NET_SaveChanges(nullptr)) << store->GetLastErrorDescription();
    const int want = c1->GetId();
    auto s = std::make_unique<CzorNetStepData>();
    s->SetHideMode(true);
    ASSERT_TRUE(s->NET_Connect("user", "pw", "test"));
    CzorInstance* t = s->GetInstById(target->GetId());
    ASSERT_NE(t, nullptr);
    CzorAttrValue ref(s->GetAttrDefinition(s->GetEntityBN("zor_condition"), "column"));
    ref.m_Value.Set(t);
    CzorTAggr<CzorInstance> found(8, false, false);
    ASSERT_EQ(s->NET_FindInstancesWithAttrValues(s->GetEntityBN("zor_condition"), 1, &ref, found, false, false, nullptr,
                                                 zorBindContains),
              1)
        << s->GetLastErrorDescription();
    EXPECT_EQ(found.GetAt(0)->GetId(), want);
    CzorInstance* col = nullptr;
    EXPECT_TRUE(s->GetAttrBN(found.GetAt(0), "column", col));
    EXPECT_EQ(col, t);
}

}  // namespace
