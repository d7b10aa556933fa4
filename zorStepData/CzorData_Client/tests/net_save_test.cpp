// Saving against our server on 127.0.0.1: every result is read back by a fresh store on a fresh
// connection, and every failure is checked to have lost nothing that was not confirmed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

#include "platform/transport/wire.h"
#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"

namespace {

using zor::appserver::FaultAction;
using zor::appserver::FaultRule;

class NetSaveTest : public zor::test::NetStoreTest {
protected:
    std::unique_ptr<CzorNetStepData> Fresh() {
        auto s = std::make_unique<CzorNetStepData>();
        s->SetHideMode(true);
        s->GetTransport()->SetInactivityTimeout(10000);
        EXPECT_TRUE(s->NET_Connect("user", "pw", "test")) << s->GetLastErrorDescription();
        s->SetAutoDownloadMode(true);
        return s;
    }
    void Fault(int occurrence, FaultAction action, int value = 0) {
        FaultRule r;
        r.command = zor::net::kCmdSaveChanges;
        r.occurrence = occurrence;
        r.action = action;
        r.value = value;
        server->Server().Faults().Add(r);
    }
    // n new points (x = i, y = 100 + i).
    std::vector<CzorInstance*> NewPoints(int n) {
        std::vector<CzorInstance*> out;
        for (int i = 0; i < n; ++i) {
            CzorInstance* p = store->CreateInstanceBN("zor_point");
            EXPECT_TRUE(store->PutAttrBN(p, "x", i));
            EXPECT_TRUE(store->PutAttrBN(p, "y", 100 + i));
            out.push_back(p);
        }
        return out;
    }
    // The (x, y) of every point the server holds, read by a fresh store.
    std::multiset<std::pair<int, int>> ServerPoints() {
        auto s = Fresh();
        CzorLoadData batch(s.get());
        EXPECT_GE(batch.AddQuery('e', 0, s->GetEntityBN("zor_point"), nullptr, true, false), 0);
        CzorTAggr<CzorInstance> loaded;
        EXPECT_TRUE(batch.LoadEx(true, &loaded)) << s->GetLastErrorDescription();
        std::multiset<std::pair<int, int>> out;
        for (CzorInstance* p : loaded) {
            int x = -1, y = -1;
            s->GetAttrBN(p, "x", x);
            s->GetAttrBN(p, "y", y);
            out.emplace(x, y);
        }
        return out;
    }
    static std::multiset<std::pair<int, int>> Expected(int n) {
        std::multiset<std::pair<int, int>> out = {{3, 4}, {5, -1}};  // the database's own two
        for (int i = 0; i < n; ++i) out.emplace(i, 100 + i);
        return out;
    }
};

// New instances with references among them (one and a list), Cyrillic texts and reals; then a
// change, a list change and a deletion of a referenced instance, each read back fresh.
TEST_F(NetSaveTest, RoundTripsOfNewChangedAndDeletedInstances) {
    ASSERT_TRUE(Login());
    CzorInstance* elem = store->CreateInstanceBN("zor_table_content_element");
    CzorInstance* pt = store->CreateInstanceBN("zor_point");
    CzorInstance* toc = store->CreateInstanceBN("zor_table_content");
    CzorInstance* c1 = store->CreateInstanceBN("zor_table_content");
    CzorInstance* c2 = store->CreateInstanceBN("zor_table_content");
    ASSERT_TRUE(store->PutAttrBN(elem, "name", "Оглавление «Ёлка» ъЪ"));
    ASSERT_TRUE(store->PutAttrBN(elem, "width", 12.625));
    ASSERT_TRUE(store->PutAttrBN(elem, "org_pt", pt));
    ASSERT_TRUE(store->PutAttrBN(pt, "x", -7));
    ASSERT_TRUE(store->PutAttrBN(c1, "title", "первый"));
    CzorTAggr<CzorInstance> kids(8, false, false);
    kids.Add(c1);
    kids.Add(c2);
    ASSERT_TRUE(store->PutAttrBN(toc, "childs", kids));
    EXPECT_TRUE(store->CheckModified());
    ASSERT_TRUE(store->NET_SaveChanges(nullptr)) << store->GetLastErrorDescription();
    EXPECT_EQ(store->GetPercentSCh(), 100);
    EXPECT_FALSE(store->CheckModified());
    std::set<int> ids;
    for (CzorInstance* i : {elem, pt, toc, c1, c2}) ids.insert(i->GetId());
    EXPECT_EQ(ids.size(), 5u);
    EXPECT_GT(*ids.begin(), 4002);

    {
        auto s = Fresh();
        CzorInstance* e = s->GetInstById(elem->GetId());
        ASSERT_NE(e, nullptr);
        std::string name;
        double width = 0;
        CzorInstance* org = nullptr;
        int x = 0;
        EXPECT_TRUE(s->GetAttrBN(e, "name", name));
        EXPECT_EQ(name, "Оглавление «Ёлка» ъЪ");
        EXPECT_TRUE(s->GetAttrBN(e, "width", width));
        EXPECT_EQ(width, 12.625);
        ASSERT_TRUE(s->GetAttrBN(e, "org_pt", org));
        ASSERT_NE(org, nullptr);
        EXPECT_EQ(org->GetId(), pt->GetId());
        EXPECT_TRUE(s->GetAttrBN(org, "x", x));
        EXPECT_EQ(x, -7);
        CzorTAggr<CzorInstance> got(8, false, false);
        ASSERT_TRUE(s->GetAttrBN(s->GetInstById(toc->GetId()), "childs", got));
        ASSERT_EQ(got.GetSize(), 2);
        EXPECT_EQ(got.GetAt(0)->GetId(), c1->GetId());
        EXPECT_EQ(got.GetAt(1)->GetId(), c2->GetId());
        EXPECT_TRUE(s->GetAttrBN(got.GetAt(0), "title", name));
        EXPECT_EQ(name, "первый");
    }

    // Change, list change, deletion of an instance that another refers to.
    ASSERT_TRUE(store->PutAttrBN(elem, "width", -0.5));
    kids.RemoveAll();
    kids.Add(c2);
    ASSERT_TRUE(store->PutAttrBN(toc, "childs", kids));
    const int ptId = pt->GetId();
    ASSERT_TRUE(store->DeleteInstance(pt));
    ASSERT_TRUE(store->NET_SaveChanges(nullptr)) << store->GetLastErrorDescription();
    EXPECT_FALSE(store->CheckModified());
    // Nothing is left to send: with every save refused, a save still succeeds.
    Fault(0, FaultAction::Status, ZOR_NET_SRV_ERROR_PROCESSED);
    EXPECT_TRUE(store->NET_SaveChanges(nullptr));
    server->Server().Faults().Clear();
    {
        auto s = Fresh();
        CzorInstance* e = s->GetInstById(elem->GetId());
        ASSERT_NE(e, nullptr);
        double width = 0;
        CzorInstance* org = nullptr;
        EXPECT_TRUE(s->GetAttrBN(e, "width", width));
        EXPECT_EQ(width, -0.5);
        EXPECT_FALSE(s->GetAttrBN(e, "org_pt", org));
        EXPECT_EQ(s->GetInstById(ptId), nullptr);
        CzorTAggr<CzorInstance> got(8, false, false);
        ASSERT_TRUE(s->GetAttrBN(s->GetInstById(toc->GetId()), "childs", got));
        ASSERT_EQ(got.GetSize(), 1);
        EXPECT_EQ(got.GetAt(0)->GetId(), c2->GetId());
    }
}

// A reference held by an instance this client never loaded goes with the instance it names.
TEST_F(NetSaveTest, DeletingAnInstanceClearsReferencesOthersHoldOnTheServer) {
    ASSERT_TRUE(Login());
    CzorInstance* elem = store->CreateInstanceBN("zor_table_content_element");
    CzorInstance* pt = store->CreateInstanceBN("zor_point");
    ASSERT_TRUE(store->PutAttrBN(elem, "org_pt", pt));
    ASSERT_TRUE(store->PutAttrBN(elem, "size", pt));
    ASSERT_TRUE(store->NET_SaveChanges(nullptr));
    auto other = Fresh();
    CzorInstance* gone = other->GetInstById(pt->GetId());
    ASSERT_NE(gone, nullptr);
    ASSERT_TRUE(other->DeleteInstance(gone));
    ASSERT_TRUE(other->NET_SaveChanges(nullptr)) << other->GetLastErrorDescription();
    auto s = Fresh();
    CzorInstance* e = s->GetInstById(elem->GetId());
    ASSERT_NE(e, nullptr) << s->GetLastErrorDescription();
    CzorInstance* ref = nullptr;
    EXPECT_FALSE(s->GetAttrBN(e, "org_pt", ref));
    EXPECT_FALSE(s->GetAttrBN(e, "size", ref));
}

TEST_F(NetSaveTest, PortionsOfTenGiveThreeRequestsAtZeroFortyAndEighty) {
    ASSERT_TRUE(Login());
    EXPECT_TRUE(store->SetPortionSavedInst(10));
    store->ClearData();  // only the new points in the list (the current user is remade first)
    NewPoints(24);       // with the current user: 25 instances
    ASSERT_EQ(store->GetInstances().GetSize(), 25);
    Fault(0, FaultAction::Delay, 60);  // so that the call pumps while it waits
    std::vector<int> seen;
    std::vector<bool> refused;
    store->GetTransport()->SetPumpHook([&] {
        const int p = store->GetPercentSCh();
        if (seen.empty() || seen.back() != p) {
            seen.push_back(p);
            refused.push_back(!store->SetPortionSavedInst(10));
        }
    });
    ASSERT_TRUE(store->NET_SaveChanges(nullptr)) << store->GetLastErrorDescription();
    EXPECT_EQ(seen, (std::vector<int>{0, 40, 80}));
    EXPECT_EQ(refused, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(store->GetPercentSCh(), 100);
    EXPECT_TRUE(store->SetPortionSavedInst(0));
    store->GetTransport()->SetPumpHook(nullptr);
    server->Server().Faults().Clear();
    EXPECT_EQ(ServerPoints(), Expected(24));
}

TEST_F(NetSaveTest, AnEmptyStoreSavesAtOnceWithOneHundredPercent) {
    ASSERT_TRUE(Login());
    ASSERT_TRUE(store->SetPortionSavedInst(10));
    Fault(0, FaultAction::Status, ZOR_NET_SRV_ERROR_PROCESSED);  // any request would fail
    EXPECT_TRUE(store->NET_SaveChanges(nullptr));
    EXPECT_EQ(store->GetPercentSCh(), 100);
    // A local-only instance is never sent.
    CzorInstance* local = store->CreateInstanceBN("zor_point", true);
    store->PutAttrBN(local, "x", 1);
    EXPECT_TRUE(store->NET_SaveChanges(nullptr));
}

// Portion 2 of 3 refused: portion 1 stays saved, portions 2 and 3 stay marked, and the next save
// brings the server to the intended state.
TEST_F(NetSaveTest, ARefusedPortionKeepsItsChangesForTheNextSave) {
    ASSERT_TRUE(Login());
    store->SetHideMode(true);
    ASSERT_TRUE(store->SetPortionSavedInst(10));
    store->ClearData();
    auto points = NewPoints(24);
    Fault(2, FaultAction::Status, ZOR_NET_SRV_ERROR_PROCESSED);
    EXPECT_FALSE(store->NET_SaveChanges(nullptr));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_SRV_ERROR_PROCESSED);
    EXPECT_FALSE(store->HasUnconfirmedPortion());  // a refusal is an outcome
    for (int i = 0; i < 24; ++i) {
        // The first portion holds the current user and points 0 to 8.
        EXPECT_EQ(points[i]->GetId() != 0, i < 9) << i;
        EXPECT_EQ(points[i]->IsChanged(), i >= 9) << i;
    }
    EXPECT_TRUE(store->CheckModified());
    std::multiset<std::pair<int, int>> partial = {{3, 4}, {5, -1}};
    for (int i = 0; i < 9; ++i) partial.emplace(i, 100 + i);
    EXPECT_EQ(ServerPoints(), partial);
    server->Server().Faults().Clear();
    ASSERT_TRUE(store->NET_SaveChanges(nullptr)) << store->GetLastErrorDescription();
    EXPECT_FALSE(store->CheckModified());
    EXPECT_EQ(ServerPoints(), Expected(24));
}

// The reply of portion 2 lost (the server applied it): the next save sends it again first, the
// server answers with the reply it recorded, and nothing is created twice.
TEST_F(NetSaveTest, ALostReplyIsResolvedByTheNextSaveWithoutDuplicates) {
    ASSERT_TRUE(Login());
    store->SetNetErrorMessageMode(false);
    ASSERT_TRUE(store->SetPortionSavedInst(10));
    store->ClearData();
    auto points = NewPoints(24);
    Fault(2, FaultAction::CloseAfter, 0);
    EXPECT_FALSE(store->NET_SaveChanges(nullptr));
    EXPECT_NE(store->GetLastZorError(), 0);
    EXPECT_TRUE(store->HasUnconfirmedPortion());
    EXPECT_TRUE(store->CheckModified());
    EXPECT_EQ(points[9]->GetId(), 0);  // the lost portion's instances have no id yet
    // Points 9 to 18 are already on the server.
    EXPECT_EQ(ServerPoints().size(), 2u + 19u);
    ui.answers.push_back(true);  // reconnect
    ASSERT_TRUE(store->NET_SaveChanges(nullptr)) << store->GetLastErrorDescription();
    EXPECT_FALSE(store->HasUnconfirmedPortion());
    EXPECT_FALSE(store->CheckModified());
    std::set<int> ids;
    for (CzorInstance* p : points) ids.insert(p->GetId());
    EXPECT_EQ(ids.size(), 24u);
    EXPECT_EQ(ids.count(0), 0u);
    EXPECT_EQ(ServerPoints(), Expected(24));
}

TEST_F(NetSaveTest, ReadOnlyStoreRefusesWith74AndABoxUnlessHidden) {
    for (bool hide : {false, true}) {
        SCOPED_TRACE(hide);
        store = std::make_unique<CzorNetStepData>();
        // Only a login with the dialog may take read-only access.
        ui.logins.push_back({"reader", "ro", {}, {}, 0});
        ui.answers.push_back(true);
        ASSERT_TRUE(store->NET_Connect("reader", "ro", "")) << store->GetLastErrorDescription();
        ASSERT_TRUE(store->IsReadOnly());
        store->SetHideMode(hide);
        NewPoints(1);
        sink.Clear();
        EXPECT_FALSE(store->NET_SaveChanges(nullptr));
        EXPECT_EQ(store->GetLastZorError(), ZOR_NET_SRV_ZORAPIERR_FILE_BD_READ_ONLY);
        const auto texts = sink.Texts();
        EXPECT_EQ(texts.size(), hide ? 0u : 1u);
        if (!hide && !texts.empty()) {
            EXPECT_EQ(texts[0], "БД доступна только для чтения. Сохранение невозможно");
        }
        EXPECT_TRUE(store->CheckModified());
    }
}

// The checks a reply passes before anything is applied: the portion sent named an existing point
// (4001), a new point and a deleted one (4002).
class ReplyCheckStore : public CzorNetStepData {
public:
    using CzorNetStepData::BuildSavePortion;
    using CzorNetStepData::CheckSaveReply;
};

TEST_F(NetSaveTest, RepliesThatDoNotMatchThePortionAreRefused) {
    store = std::make_unique<ReplyCheckStore>();
    ASSERT_TRUE(Login());
    auto& s = static_cast<ReplyCheckStore&>(*store);
    CzorInstance* old = store->GetInstById(4001);
    CzorInstance* gone = store->GetInstById(4002);
    ASSERT_TRUE(old && gone);
    ASSERT_TRUE(store->PutAttrBN(old, "x", 9));
    CzorInstance* fresh = store->CreateInstanceBN("zor_point");
    ASSERT_TRUE(store->DeleteInstance(gone));
    CzorTAggr<CzorInstance> list(8, false, false);
    for (CzorInstance* i : {old, fresh, gone}) list.Add(i);
    CzorSavePortion portion;
    ASSERT_TRUE(s.BuildSavePortion(list, portion));
    ASSERT_EQ(portion.sent.size(), 3u);
    const int16_t point = static_cast<int16_t>(store->GetEntIdBN("zor_point"));
    struct Rec { int32_t id; int16_t ent; };
    const auto reply = [&](std::vector<Rec> recs, const char* sig = "zor_step_data V 0.101", int cut = 0) {
        CzorDataBuf b;
        b.Add(sig, std::strlen(sig) + 1);
        for (const Rec& r : recs) {
            b.Add(r.id);
            b.Add(r.ent);
        }
        b.SetSize(b.GetSize() - static_cast<size_t>(cut));
        return b;
    };
    struct Case { const char* what; CzorDataBuf buf; bool ok; } cases[] = {
        {"good", reply({{4001, point}, {5000, point}, {4002, 0}}), true},
        {"short", reply({{4001, point}, {5000, point}, {4002, 0}}, "zor_step_data V 0.101", 1), false},
        {"one header missing", reply({{4001, point}, {5000, point}}), false},
        {"one header too many", reply({{4001, point}, {5000, point}, {4002, 0}, {5001, point}}), false},
        {"other signature", reply({{4001, point}, {5000, point}, {4002, 0}}, "zor_step_data V 0.100"), false},
        {"entity differs", reply({{4001, static_cast<int16_t>(point + 1)}, {5000, point}, {4002, 0}}), false},
        {"new id 0", reply({{4001, point}, {0, point}, {4002, 0}}), false},
        {"new id repeats one", reply({{4001, point}, {4001, point}, {4002, 0}}), false},
        {"known id changed", reply({{4003, point}, {5000, point}, {4002, 0}}), false},
        {"deleted gets an entity", reply({{4001, point}, {5000, point}, {4002, point}}), false},
    };
    for (auto& c : cases) EXPECT_EQ(s.CheckSaveReply(portion, c.buf), c.ok) << c.what;
    EXPECT_EQ(fresh->GetId(), 0);
}

// After a broken link: keep the store (restored, or no new connection wanted) or let the caller
// open a new one. Answers: the first question, the retry of a failed restore, the second question.
TEST_F(NetSaveTest, TestNeedRestoreAsATable) {
    struct Case {
        const char* what;
        bool changes, linkDown, serverUp;
        std::vector<bool> answers;
        bool keep;
        size_t questions;
    } cases[] = {
        {"nothing unsaved", false, true, true, {}, false, 0},
        {"link up", true, false, true, {}, false, 0},
        {"restore declined", true, true, true, {false}, false, 1},
        {"restored", true, true, true, {true}, true, 1},
        {"restore failed, no new connection", true, true, false, {true, false, false}, true, 3},
        {"restore failed, a new connection", true, true, false, {true, false, true}, false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server = std::make_unique<zor::test::InProcessServer>();
        WriteConnections({"test=127.0.0.1:" + std::to_string(server->Port()) + "/main"});
        store = std::make_unique<CzorNetStepData>();
        store->SetNetErrorMessageMode(false);
        ASSERT_TRUE(Login());
        if (c.changes) NewPoints(1);
        if (!c.serverUp) server->Stop(false);
        if (c.linkDown) store->GetTransport()->DropSocket();
        ui.asked.clear();
        ui.answers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(store->TestNeedRestore(), c.keep);
        EXPECT_EQ(ui.asked.size(), c.questions);
        if (c.keep && c.serverUp) {
            EXPECT_TRUE(store->NET_SaveChanges(nullptr)) << store->GetLastErrorDescription();
        }
    }
}

}  // namespace
