// Access rights on the client side, without a server: the model, the wire bodies of commands 33 and
// 34, the malformed replies, the checks before a change, the change set, the rights text, and
// access patterns.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/transport/net_errors.h"
#include "platform/ui/messages.h"
#include "platform/zordata/dictionary.h"
#include "zorStepData/CzorData_Client/access_dialog_model.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/tests/access_store.h"

namespace {


using Store = access_test::AccessStore;

class ClientAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(store.LoadAccessDictionary());
        point = store.GetEntityBN("zor_point");
        ASSERT_NE(point, nullptr);
    }

    CzorInstance* Make(const char* entity, int id, const char* name = nullptr) { return store.Make(entity, id, name); }
    CzorInstance* Point(int id) { return Make("zor_point", id); }

    Store store;
    CzorEntity* point = nullptr;
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
};

// Little-endian byte writers for hand-written expectations.
struct Bytes {
    std::vector<unsigned char> b;
    Bytes& sig(const char* s) { for (size_t i = 0; i < 22; ++i) b.push_back(static_cast<unsigned char>(s[i])); return *this; }
    Bytes& i32(int32_t v) { for (int k = 0; k < 4; ++k) b.push_back(static_cast<unsigned char>((static_cast<uint32_t>(v) >> (8 * k)) & 0xFF)); return *this; }
    Bytes& u8(int v) { b.push_back(static_cast<unsigned char>(v)); return *this; }
};
std::vector<unsigned char> Of(const CzorDataBuf& buf) { return {buf.GetBuffer(), buf.GetBuffer() + buf.GetSize()}; }

TEST_F(ClientAccessTest, ModelTextsFindSetAndSort) {
    zorAccessList empty;
    EXPECT_EQ(empty.GetText(), "Не определен");
    EXPECT_FALSE(empty.IsSetAccess());
    zorAccessList list;
    for (auto m : {zorAccessReadOnly, zorAccessReadOnly, zorAccessOwn}) list.Add(nullptr, 0, m);
    EXPECT_EQ(list.GetText(), "Только чтение, Полный доступ");
    EXPECT_TRUE(list.IsSetAccess());
    zorAccessList unset;
    unset.Add(nullptr, 0, zorAccessNotSet);
    EXPECT_FALSE(unset.IsSetAccess());

    std::string word;
    const char* words[] = {"OWN", "RW", "RO", "NA", ""};
    for (int m = 0; m <= 4; ++m) {
        ASSERT_TRUE(GetNameAccess(static_cast<zorAccessModeType>(m), word, false));
        EXPECT_EQ(word, words[m]);
        if (m < 4) {
            EXPECT_EQ(zorAccessModeFromWord(word), m);
        }
    }
    EXPECT_FALSE(GetNameAccess(static_cast<zorAccessModeType>(5), word, true));
    EXPECT_EQ(zorAccessModeFromWord("ro"), zorAccessNotSet);

    CzorInstance* a = Make("zor_user", 4005);
    CzorInstance* b = Make("zor_workgroup", 2);
    CzorInstance* c = Make("zor_user", 1);
    zorUsers users;
    EXPECT_EQ(users.Find(a), nullptr);
    EXPECT_EQ(users.GetSize(), 0);
    users.m_bCreateMissing = true;
    zorAccessList* made = users.Find(a);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(users.GetSize(), 1);
    ASSERT_EQ(made->GetSize(), 1);
    EXPECT_EQ(made->GetAt(0)->m_Mode, zorAccessNotSet);
    EXPECT_EQ(users.Find(a), made);
    users.Find(b)->m_bModified = true;
    users.Find(nullptr);
    users.Find(c);

    zorUsers copy;
    copy.Set(users);
    ASSERT_EQ(copy.GetSize(), 4);
    for (int i = 0; i < copy.GetSize(); ++i) EXPECT_FALSE(copy[i]->m_bModified);
    EXPECT_FALSE(copy.m_bCreateMissing);
    copy.Sort();
    EXPECT_EQ(copy[0]->m_pAgent, nullptr);
    EXPECT_EQ(copy[1]->m_pAgent, c);
    EXPECT_EQ(copy[2]->m_pAgent, b);
    EXPECT_EQ(copy[3]->m_pAgent, a);
}

// A default list and an agent list over one instance; and two agents over two instances.
TEST_F(ClientAccessTest, SetAndGetBodiesGolden) {
    CzorInstance* p = Point(4001);
    CzorInstance* q = Point(4002);
    CzorInstance* u = Make("zor_user", 4005);
    CzorInstance* g = Make("zor_workgroup", 4006);
    const int ent = point->GetId();

    zorUsers small;
    small.AddList(nullptr)->Add(p, 1, zorAccessReadOnly);
    small.AddList(u)->Add(p, 1, zorAccessOwn);
    CzorDataBuf set, get;
    ASSERT_TRUE(zorBuildAccessSetBody(small, 0, 0, set));
    Bytes s;
    s.sig("Access bufer set v0.3").i32(0).i32(0).i32(2).i32(2);
    s.i32(0).i32(1).i32(4001).i32(ent).u8(2).i32(1);
    s.i32(4005).i32(1).i32(4001).i32(ent).u8(0);
    EXPECT_EQ(Of(set), s.b);
    ASSERT_TRUE(zorBuildAccessGetBody(small, get));
    Bytes r;
    r.sig("Access bufer get v0.1").i32(2);
    r.i32(0).i32(1).i32(4001).i32(ent).u8(4).i32(0);
    r.i32(4005).i32(1).i32(4001).i32(ent).u8(4).i32(0);
    EXPECT_EQ(Of(get), r.b);

    zorUsers big;
    zorAccessList* lu = big.AddList(u);
    lu->Add(p, 1, zorAccessReadWrite);
    lu->Add(q, 1, static_cast<zorAccessModeType>(0x7F03));  // only the low byte travels
    zorAccessList* lg = big.AddList(g);
    lg->Add(p, 1, zorAccessNone);
    lg->Add(q, 0, zorAccessNotSet);
    zorAccessList* ld = big.AddList(nullptr);
    ld->Add(p, 0, zorAccessNotSet);
    ld->Add(q, 1, zorAccessReadOnly);
    ASSERT_TRUE(zorBuildAccessSetBody(big, 77, 77 ^ 0x3B6E0A95, set));
    Bytes b;
    b.sig("Access bufer set v0.3").i32(77).i32(77 ^ 0x3B6E0A95).i32(6).i32(3);
    b.i32(4005).i32(2).i32(4001).i32(ent).u8(1).i32(4002).i32(ent).u8(3);
    b.i32(4006).i32(2).i32(4001).i32(ent).u8(3).i32(4002).i32(ent).u8(4);
    b.i32(0).i32(2).i32(4001).i32(ent).u8(4).i32(0).i32(4002).i32(ent).u8(2).i32(1);
    EXPECT_EQ(Of(set), b.b);

    zorUsers hole;
    hole.AddList(u)->Add(nullptr, 1, zorAccessOwn);
    EXPECT_FALSE(zorBuildAccessSetBody(hole, 0, 0, set));
    EXPECT_FALSE(zorBuildAccessGetBody(hole, get));
}

// Each malformed reply stops the reading; the entries read before it keep their new values.
TEST_F(ClientAccessTest, MalformedGetRepliesStopAtTheFault) {
    CzorInstance* p = Point(4001);
    CzorInstance* u = Make("zor_user", 4005);
    const int ent = point->GetId();
    struct Case {
        const char* name;
        std::function<void(Bytes&)> fault;  // writes the reply from its second list on
        bool firstUpdated;
    };
    const auto good2 = [&](Bytes& b) { b.i32(4005).i32(1).i32(4001).i32(ent).u8(1).i32(1); };
    const Case cases[] = {
        {"good", good2, true},
        {"agent id", [&](Bytes& b) { b.i32(4999).i32(1).i32(4001).i32(ent).u8(1).i32(1); }, true},
        {"entry count", [&](Bytes& b) { b.i32(4005).i32(2).i32(4001).i32(ent).u8(1).i32(1); }, true},
        {"instance id", [&](Bytes& b) { b.i32(4005).i32(1).i32(4002).i32(ent).u8(1).i32(1); }, true},
        {"entity id", [&](Bytes& b) { b.i32(4005).i32(1).i32(4001).i32(ent + 1).u8(1).i32(1); }, true},
        {"cut in the flag", [&](Bytes& b) { b.i32(4005).i32(1).i32(4001).i32(ent).u8(1).u8(1); }, true},
        {"cut after the agent", [&](Bytes& b) { b.i32(4005); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zorUsers users;
        users.AddList(nullptr)->Add(p, 1, zorAccessNotSet);
        users.AddList(u)->Add(p, 1, zorAccessNotSet);
        Bytes b;
        b.sig("Access bufer get v0.1").i32(2).i32(0).i32(1).i32(4001).i32(ent).u8(2).i32(0);
        c.fault(b);
        CzorDataBuf reply;
        reply.Add(b.b.data(), b.b.size());
        const bool good = std::string(c.name) == "good";
        EXPECT_EQ(zorReadAccessGetReply(reply, users), good);
        EXPECT_EQ(users[0]->GetAt(0)->m_Mode, zorAccessReadOnly);
        EXPECT_EQ(users[0]->GetAt(0)->m_bUseIndividual, 0);
        EXPECT_EQ(users[1]->GetAt(0)->m_Mode, good ? zorAccessReadWrite : zorAccessNotSet);
    }
    // Faults before any entry.
    const std::vector<std::vector<unsigned char>> heads = {
        Bytes().sig("Access bufer set v0.3").i32(2).b,
        Bytes().sig("Access bufer get v0.1").i32(3).b,
        Bytes().sig("Access bufer get v0.1").b,
        {'A', 'c'},
        {},
    };
    for (const auto& h : heads) {
        zorUsers users;
        users.AddList(nullptr)->Add(p, 1, zorAccessNotSet);
        users.AddList(u)->Add(p, 1, zorAccessNotSet);
        CzorDataBuf reply;
        if (!h.empty()) reply.Add(h.data(), h.size());
        EXPECT_FALSE(zorReadAccessGetReply(reply, users));
        EXPECT_EQ(users[0]->GetAt(0)->m_Mode, zorAccessNotSet);
    }
}

// (loaded, edited) -> sent: only lists marked modified, only entries that differ.
TEST_F(ClientAccessTest, ChangeSet) {
    CzorInstance* p = Point(4001);
    CzorInstance* q = Point(4002);
    CzorInstance* u = Make("zor_user", 4005);
    CzorInstance* g = Make("zor_workgroup", 4006);
    struct Edit {
        int list, entry;
        zorAccessModeType mode;
        int flag;
        bool mark;
    };
    struct Case {
        const char* name;
        std::vector<Edit> edits;
        std::vector<std::pair<CzorInstance*, std::vector<zorAccessModeType>>> sent;
    };
    const Case cases[] = {
        {"nothing edited", {}, {}},
        {"changed but not marked", {{0, 0, zorAccessOwn, 1, false}}, {}},
        {"marked without change", {{1, 0, zorAccessNotSet, 1, true}}, {}},
        {"one entry", {{0, 1, zorAccessNone, 1, true}}, {{u, {zorAccessNone}}}},
        {"flag only", {{2, 0, zorAccessNotSet, 0, true}}, {{nullptr, {zorAccessNotSet}}}},
        {"two lists", {{1, 0, zorAccessOwn, 1, true}, {1, 1, zorAccessOwn, 1, true}, {2, 1, zorAccessReadOnly, 1, true}},
         {{g, {zorAccessOwn, zorAccessOwn}}, {nullptr, {zorAccessReadOnly}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zorUsers loaded, edited, changes;
        for (CzorInstance* agent : {u, g, static_cast<CzorInstance*>(nullptr)}) {
            zorAccessList* l = loaded.AddList(agent);
            l->Add(p, 1, zorAccessNotSet);
            l->Add(q, 1, zorAccessNotSet);
        }
        edited.Set(loaded);
        for (const Edit& e : c.edits) {
            edited[e.list]->GetAt(e.entry)->m_Mode = e.mode;
            edited[e.list]->GetAt(e.entry)->m_bUseIndividual = e.flag;
            if (e.mark) edited[e.list]->m_bModified = true;
        }
        zorMakeAccessChangeSet(loaded, edited, changes);
        ASSERT_EQ(changes.GetSize(), static_cast<int>(c.sent.size()));
        for (size_t k = 0; k < c.sent.size(); ++k) {
            EXPECT_EQ(changes[static_cast<int>(k)]->m_pAgent, c.sent[k].first);
            ASSERT_EQ(changes[static_cast<int>(k)]->GetSize(), static_cast<int>(c.sent[k].second.size()));
            for (size_t j = 0; j < c.sent[k].second.size(); ++j)
                EXPECT_EQ(changes[static_cast<int>(k)]->GetAt(static_cast<int>(j))->m_Mode, c.sent[k].second[j]);
        }
    }
}

TEST_F(ClientAccessTest, RightsTextNamesAgentsFrom3999AndAlwaysTheDefault) {
    CzorInstance* p = Point(4001);
    CzorInstance* q = Point(4002);
    CzorInstance* low = Make("zor_user", 3902, "Admin");
    CzorInstance* ann = Make("zor_user", 4005, "Ann");
    CzorInstance* grp = Make("zor_workgroup", 4006, "Staff");
    zorUsers set;
    zorAccessList* d = set.AddList(nullptr);
    d->Add(p, 1, zorAccessReadOnly);
    d->Add(q, 1, zorAccessNotSet);
    zorAccessList* l = set.AddList(low);
    l->Add(p, 1, zorAccessOwn);
    l->Add(q, 1, zorAccessOwn);
    zorAccessList* a = set.AddList(ann);
    a->Add(p, 1, zorAccessReadWrite);
    a->Add(q, 1, zorAccessNotSet);
    zorAccessList* g = set.AddList(grp);
    g->Add(p, 1, zorAccessNone);
    g->Add(q, 1, zorAccessOwn);
    std::vector<std::string> texts;
    zorAccessTexts(store, set, {p, q}, texts);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "RO,Ann:RW,Staff:NA,");
    EXPECT_EQ(texts[1], ",Staff:OWN,");
}

// The checks before a change, answered from a script; none of them touches the last error.
TEST_F(ClientAccessTest, GuardsWithScriptedAnswers) {
    CzorInstance* saved = Point(4001);
    CzorInstance* temp = store.CreateInstance(point, true, true);
    CzorInstance* fresh = store.CreateInstance(point, false, true);
    struct Case {
        const char* name;
        std::vector<CzorInstance*> insts;
        std::vector<int> answers;
        bool result;
        std::vector<unsigned> boxes;
    };
    const Case cases[] = {
        {"all saved", {saved}, {}, true, {}},
        {"nothing", {}, {}, true, {}},
        {"temporary", {saved, temp, fresh}, {}, false, {MB_OK}},
        {"unsaved, No", {saved, fresh}, {IDNO}, false, {MB_YESNO | MB_ICONWARNING | 0x2000}},
        // The save fails (no connection): instances without an id must not go on.
        {"unsaved, Yes, save fails", {fresh}, {IDYES}, false, {MB_YESNO | MB_ICONWARNING | 0x2000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink.Clear();
        for (int a : c.answers) sink.QueueAnswer(a);
        CzorTAggr<CzorInstance> insts(8, false, false);
        for (CzorInstance* i : c.insts) insts.Add(i);
        EXPECT_EQ(store.CheckSaved(&insts), c.result);
        const auto boxes = sink.Messages();
        ASSERT_EQ(boxes.size(), c.boxes.size());
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(boxes[i].type, c.boxes[i]);
            EXPECT_EQ(boxes[i].caption, "Служба RPC Tessaline");
        }
    }

    // Ownership from the states the server sent.
    struct Own {
        std::vector<int> states;
        bool result, canView, box;
    };
    const Own owns[] = {
        {{0, 0}, true, true, false},
        {{0, 1}, false, true, false},
        {{2, 0}, false, true, false},
        {{0, 3}, false, false, true},
    };
    for (const Own& o : owns) {
        sink.Clear();
        CzorTAggr<CzorInstance> insts(8, false, false);
        for (int s : o.states) {
            CzorInstance* i = Point(4100 + insts.GetSize());
            i->SetState(s);
            insts.Add(i);
        }
        bool canView = false;
        EXPECT_EQ(store.CheckOwner(&insts, &canView), o.result);
        EXPECT_EQ(canView, o.canView);
        EXPECT_EQ(sink.Messages().size(), o.box ? 1u : 0u);
        sink.Clear();
        EXPECT_EQ(store.CheckOwner(&insts, nullptr), o.result);
        EXPECT_EQ(sink.Messages().size(), o.result ? 0u : 1u);
    }
}

// Without a session every operation stops at the connection check with 173, before any question.
TEST_F(ClientAccessTest, OperationsNeedASession) {
    CzorTAggr<CzorInstance> insts(8, false, false);
    insts.Add(store.CreateInstance(point, false, true));
    zorUsers users;
    users.AddList(nullptr)->Add(Point(4001), 1, zorAccessNotSet);
    std::vector<std::string> texts;
    const std::function<bool()> ops[] = {
        [&] { return store.NET_SetGroupeAccess(users, nullptr); },
        [&] { return store.NET_GetGroupeAccess(users, nullptr); },
        [&] { return store.NET_SetInstancesAccess(&insts, nullptr); },
        [&] { return store.NET_BecomeInstancesOwner(&insts, nullptr); },
        [&] { return store.NET_CopyGroupeAccess(Point(4002), insts, nullptr); },
        [&] { return store.NET_GetExtentAccess2String(insts, texts, nullptr); },
        [&] { return store.NET_SetAccessFromPattern(&insts, "0:RO;", nullptr); },
    };
    for (const auto& op : ops) {
        sink.Clear();
        EXPECT_FALSE(op());
        EXPECT_EQ(store.GetLastZorError(), ZOR_NET_CLI_NOT_CONNECT);
        EXPECT_TRUE(sink.Messages().empty());
    }
}

class ClientAccessPatternTest : public ClientAccessTest {
protected:
    void SetUp() override {
        ClientAccessTest::SetUp();
        ann = Make("zor_user", 4005, "Ann");
        bob = Make("zor_user", 4007, "Bob");
        staff = Make("zor_workgroup", 4006, "Staff");
        reserved = Make("zor_workgroup", 3901, "Root");
        store.PutAttr(ann, store.GetAttrDefinition(ann->GetEntity(), "groups"),
                      [&] { CzorTAggr<CzorInstance> g(2, false, false); g.Add(reserved); g.Add(staff); return g; }());
        store.LogIn(ann);
    }
    // "agent:mode:flag" per list, the default as 0.
    static std::string Dump(const zorUsers& users) {
        std::string out;
        for (int l = 0; l < users.GetSize(); ++l) {
            const zorAccessEl* e = users[l]->GetAt(0);
            out += std::to_string(users[l]->AgentId()) + ":" + (e ? std::to_string(e->m_Mode) + ":" +
                                                                 std::to_string(e->m_bUseIndividual) : "-") + " ";
        }
        return out;
    }
    CzorInstance *ann = nullptr, *bob = nullptr, *staff = nullptr, *reserved = nullptr;
};

TEST_F(ClientAccessPatternTest, ParseAndPrint) {
    struct Case {
        const char* pattern;
        std::vector<int> answers;  // to the unknown-agent question
        bool result;
        const char* lists;
        const char* machine;
        int questions;
    };
    const Case cases[] = {
        {"0:RO;4005:RW;", {}, true, "0:2:1 4005:1:0 ", "0:RO;4005:RW;", 0},
        {"0:RO;", {}, true, "0:2:0 ", "0:RO;", 0},
        {"4005:ro;0:NA;", {}, true, "4005:4:0 0:3:1 ", "0:NA;", 0},
        {"4006:OWN;4005:RW", {}, true, "4006:0:0 ", "4006:OWN;", 0},  // no closing ';': dropped
        {"0:RO;4005", {}, true, "0:2:0 ", "0:RO;", 0},
        {"9999:RW;4005:RO;", {IDNO}, true, "4005:2:0 ", "4005:RO;", 1},
        {"9999:RW;4005:RO;", {IDYES}, false, "", "", 1},
        {"abc:RW;0:RO;", {IDNO}, true, "0:2:0 ", "0:RO;", 1},  // not the default access
        {"abc:RW;0:RO;", {IDYES}, false, "", "", 1},
        {"4005:RW;abc", {}, true, "4005:1:0 ", "4005:RW;", 0},
        {" 4007:NA;+4006:RO;", {}, true, "4007:3:0 4006:2:0 ", "4006:RO;4007:NA;", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        sink.Clear();
        for (int a : c.answers) sink.QueueAnswer(a);
        zorUsers users;
        EXPECT_EQ(store.ParseAccessStringPattern(c.pattern, users), c.result);
        EXPECT_EQ(static_cast<int>(sink.Messages().size()), c.questions);
        if (!c.result) continue;
        EXPECT_EQ(Dump(users), c.lists);
        std::string text;
        ASSERT_TRUE(store.PrintAccessStringPattern(users, text, false));
        EXPECT_EQ(text, c.machine);
        // The machine form reads back to the same modes.
        zorUsers again;
        ASSERT_TRUE(store.ParseAccessStringPattern(text, again));
        std::string twice;
        store.PrintAccessStringPattern(again, twice, false);
        EXPECT_EQ(twice, text);
    }

    zorUsers all;
    ASSERT_TRUE(store.ParseAccessStringPattern("", all));
    EXPECT_EQ(all.GetSize(), 5);  // four agents and the default list
    EXPECT_EQ(all[4]->m_pAgent, nullptr);

    zorUsers users;
    ASSERT_TRUE(store.ParseAccessStringPattern("4006:RW;0:RO;4005:OWN;", users));
    std::string readable;
    store.PrintAccessStringPattern(users, readable, true);
    EXPECT_EQ(readable, "По умолчанию::Только чтение; Ann::Полный доступ; Staff::Чтение-запись; ");
}

TEST_F(ClientAccessPatternTest, UnknownAgentQuestionNamesTheId) {
    sink.QueueAnswer(IDNO);
    sink.QueueAnswer(IDNO);
    zorUsers users;
    store.ParseAccessStringPattern("9999:RW;x7:RO;", users);
    const auto texts = sink.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Ошибка при разборе строки-шаблона доступа.\nНе могу найти пользователя с идентификатором 9999. "
                        "Прервать разбор?");
    EXPECT_NE(texts[1].find("идентификатором x7."), std::string::npos);
}

TEST_F(ClientAccessPatternTest, ApplyBuildsTheSetToSend) {
    CzorInstance* p = Point(4001);
    CzorInstance* q = Point(4002);
    struct Case {
        const char* name;
        int userId;  // the logged-in user's id for this case
        const char* pattern;
        const char* sent;
    };
    const Case cases[] = {
        {"default only", 4005, "0:RO;", "0:4:0 0:2:0 "},
        {"current user with an explicit entry", 4005, "1:NA;4005:RW;", "0:4:0 4005:1:1 0:4:1 "},
        {"current user alone", 4005, "1:OWN;0:RO;", "0:4:0 4005:0:1 0:2:1 "},
        {"reserved user drops the placeholder", kzorAccessReservedUser, "1:OWN;0:RO;", "0:4:0 0:2:0 "},
        {"group placeholder skips the reserved group", 4005, "2:RW;", "0:4:0 4006:1:1 0:4:1 "},
        {"group placeholder with the group named", 4005, "2:RO;4006:OWN;", "0:4:0 4006:0:1 0:4:1 "},
        {"unset words send nothing individual", 4005, "4007:ro;", "0:4:0 "},
        {"another agent", 4005, "4007:RW;", "0:4:0 4007:1:1 0:4:1 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ann->SetId(c.userId);
        zorUsers set;
        ASSERT_TRUE(store.MakeSetFromPattern({p, q}, c.pattern, set));
        EXPECT_EQ(Dump(set), c.sent);
        for (int l = 0; l < set.GetSize(); ++l) {
            ASSERT_EQ(set[l]->GetSize(), 2);
            EXPECT_EQ(set[l]->GetAt(0)->m_pInstance, p);
            EXPECT_EQ(set[l]->GetAt(1)->m_pInstance, q);
        }
        // The placeholders are gone once the set is made.
        EXPECT_EQ(store.FindLoadedById(1), nullptr);
        EXPECT_EQ(store.FindLoadedById(2), nullptr);
    }
}

TEST_F(ClientAccessPatternTest, PrepareRewritesOnlyOnOk) {
    const std::string original = "4005:RW;0:RO;garbage";
    for (bool ok : {false, true}) {
        SCOPED_TRACE(ok);
        std::string pattern = original, readable = "as before";
        store.SetAccessDialog([&](CzorNetStepData&, zorUsers& set, bool viewOnly, bool patternMode, bool&) {
            EXPECT_FALSE(viewOnly);
            EXPECT_TRUE(patternMode);
            // The placeholders are there to be picked while the dialog runs.
            zorAccessList* me = set.Find(store.FindLoadedById(1));
            EXPECT_NE(me, nullptr);
            if (me) me->GetAt(0)->m_Mode = zorAccessOwn;
            return ok;
        });
        EXPECT_EQ(store.PrepareAccessStringPattern(pattern, &readable), ok);
        if (ok) {
            EXPECT_EQ(pattern, "0:RO;1:OWN;4005:RW;");
            EXPECT_EQ(readable, "По умолчанию::Только чтение; Текущий пользователь::Полный доступ; Ann::Чтение-запись; ");
        } else {
            EXPECT_EQ(pattern, original);
            EXPECT_EQ(readable, "as before");
        }
        EXPECT_EQ(store.FindLoadedById(1), nullptr);
    }
}

// The access dialog's rules over a set of two instances.
class ClientAccessDialogTest : public ClientAccessPatternTest {
protected:
    // Lists for every agent (flag 1, the given modes per instance) and the default list.
    void Fill(zorUsers& set, const std::vector<std::pair<CzorInstance*, std::vector<int>>>& modes,
              std::vector<int> defaults, std::vector<int> flags) {
        for (CzorInstance* a : {ann, bob, staff, reserved, Make("zor_user", kzorAccessReservedUser, "Root user")}) {
            zorAccessList* l = set.AddList(a);
            for (size_t i = 0; i < 2; ++i) l->Add(insts[i], 1, zorAccessNotSet);
            for (const auto& [agent, m] : modes)
                if (agent == a)
                    for (size_t i = 0; i < 2; ++i) l->GetAt(static_cast<int>(i))->m_Mode = static_cast<zorAccessModeType>(m[i]);
        }
        zorAccessList* d = set.AddList(nullptr);
        for (size_t i = 0; i < 2; ++i) d->Add(insts[i], flags[i], static_cast<zorAccessModeType>(defaults[i]));
    }
    void SetUp() override {
        ClientAccessPatternTest::SetUp();
        insts = {Point(4001), Point(4002)};
    }
    std::vector<CzorInstance*> insts;
};

TEST_F(ClientAccessDialogTest, OpeningShowsRowsAndDefaults) {
    struct Case {
        const char* name;
        std::vector<int> defaults, flags;
        bool pattern;
        int index;
        bool keep, switchOn, mixed, removal;
    };
    const Case cases[] = {
        {"same modes, flags on", {2, 2}, {1, 1}, false, 2, false, true, false, true},
        {"modes differ", {2, 1}, {0, 0}, false, 4, true, false, false, false},
        {"flags differ", {3, 3}, {0, 1}, false, 3, false, true, true, true},
        {"pattern: keep offered, switch from shown rows", {0, 0}, {0, 0}, true, 0, true, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zorUsers set;
        Fill(set, {{bob, {1, 1}}, {staff, {2, 4}}, {reserved, {0, 0}}}, c.defaults, c.flags);
        CAccessDialogModel m(store, set, false, c.pattern);
        EXPECT_EQ(m.DefaultIndex(), c.index);
        EXPECT_EQ(m.OfferKeep(), c.keep);
        EXPECT_EQ(m.SwitchOn(), c.switchOn);
        EXPECT_EQ(m.MixedFlags(), c.mixed);
        EXPECT_EQ(m.RemovalFlag(), c.removal);
        // Groups first, then users; the reserved agents never; agents without access not shown.
        ASSERT_EQ(m.Rows().size(), 2u);
        EXPECT_EQ(m.Rows()[0].agent, staff);
        EXPECT_EQ(m.Rows()[0].modeText, "Только чтение, Не задан");
        EXPECT_EQ(m.Rows()[1].agent, bob);
        EXPECT_EQ(m.Rows()[1].name, "Bob ()");
    }
}

TEST_F(ClientAccessDialogTest, EditsMarkListsAndOkWritesTheDefault) {
    zorUsers loaded;
    Fill(loaded, {{bob, {1, 1}}}, {2, 1}, {1, 1});
    zorUsers set;
    set.Set(loaded);
    CAccessDialogModel m(store, set, false, false);
    ASSERT_TRUE(m.OfferKeep());
    sink.Clear();
    EXPECT_FALSE(m.Change(-1, zorAccessOwn));
    EXPECT_FALSE(m.Delete(5));
    EXPECT_EQ(sink.Texts(), (std::vector<std::string>{"Выберите элемент для изменения", "Выберите элемент для удаления"}));
    m.Add({staff, reserved}, {ann, ann}, zorAccessReadWrite);  // the picker never hands over 3901; ignored if it did
    ASSERT_EQ(m.Rows().size(), 4u);
    EXPECT_EQ(m.Rows()[0].agent, reserved);  // "Root" sorts before "Staff"
    ASSERT_TRUE(m.Delete(0));
    EXPECT_TRUE(m.Change(2, zorAccessNone));  // rows: Staff, Ann, Bob
    m.Ok();
    zorUsers changes;
    zorMakeAccessChangeSet(loaded, set, changes);
    // Kept default: mode 4 in the default entries, but the default list is not marked, so not sent.
    EXPECT_EQ(set.Find(nullptr)->GetAt(0)->m_Mode, zorAccessNotSet);
    std::string sent;
    for (int l = 0; l < changes.GetSize(); ++l)
        sent += std::to_string(changes[l]->AgentId()) + ":" + std::to_string(changes[l]->GetAt(0)->m_Mode) + " ";
    EXPECT_EQ(sent, "4005:1 4007:3 4006:1 ");  // Ann, Bob, Staff: the reserved group back to unset sends nothing

    // Switch off: every agent loses its individual mode, and the removal flag stays for the question.
    zorUsers again;
    Fill(again, {{bob, {1, 1}}}, {2, 2}, {1, 1});
    CAccessDialogModel off(store, again, false, false);
    off.SetSwitch(false);
    off.Ok();
    EXPECT_TRUE(off.RemovalFlag());
    EXPECT_TRUE(again.Find(nullptr)->m_bModified);
    EXPECT_EQ(again.Find(nullptr)->GetAt(0)->m_bUseIndividual, 0);
    EXPECT_EQ(again.Find(bob)->GetAt(0)->m_Mode, zorAccessNotSet);
}

TEST_F(ClientAccessDialogTest, ViewOnlyAndThePicker) {
    zorUsers set;
    Fill(set, {}, {2, 2}, {1, 1});
    CAccessDialogModel view(store, set, true, false);
    EXPECT_EQ(view.Caption(), "Просмотр прав доступа");
    EXPECT_FALSE(view.CanAdd());
    EXPECT_FALSE(view.CanEdit(0));

    // Bob in two groups is listed under each; the reserved group is no node.
    CzorInstance* admins = Make("zor_workgroup", 4010, "admins");
    store.PutAttr(bob, store.GetAttrDefinition(bob->GetEntity(), "groups"),
                  [&] { CzorTAggr<CzorInstance> g(2, false, false); g.Add(staff); g.Add(admins); g.Add(reserved); return g; }());
    const auto tree = zorAccessPickerTree(store);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].group, admins);
    EXPECT_EQ(tree[1].group, staff);
    ASSERT_EQ(tree[0].users.size(), 1u);
    EXPECT_EQ(tree[0].users[0].first, bob);
    ASSERT_EQ(tree[1].users.size(), 2u);
    EXPECT_EQ(tree[1].users[0].first, ann);
    EXPECT_EQ(tree[1].users[1].first, bob);
    std::vector<CzorInstance*> groups, users;
    zorAccessPickerSelection({staff, reserved}, {bob, bob}, groups, users);
    EXPECT_EQ(groups, std::vector<CzorInstance*>{staff});
    EXPECT_EQ(users, std::vector<CzorInstance*>{bob});
}

}  // namespace
