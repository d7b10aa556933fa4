// The server's rights, history, users' log and active users, end to end with two users on
// 127.0.0.1: the rights bodies are written by hand, the loads, searches, queries and saves go
// through the client store.
#include <gtest/gtest.h>

#include <cstring>
#include <chrono>
#include <map>
#include <set>
#include <thread>
#include <tuple>

#include "platform/appserver/access.h"
#include "platform/text/cp1251.h"
#include "platform/transport/net_errors.h"
#include "platform/transport/wire.h"
#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"
#include "zorStepData/CzorData_Client/tests/rights_load_run.h"

namespace {

using zor::net::WireWriter;
using Bytes = std::vector<unsigned char>;

constexpr int32_t kGroup = 4500;

struct E {
    int32_t inst, entity;
    uint8_t mode;
    int32_t flag;
};
struct L {
    int32_t agent;
    std::vector<E> entries;
};

// The agents' lists of a body: every entry carries its flag in a get body, only the default's (agent 0) in a
// set body.
void PutLists(WireWriter& w, const std::vector<L>& lists, bool everyFlag) {
    w.I32(static_cast<int32_t>(lists.size()));
    for (const L& l : lists) {
        w.I32(l.agent);
        w.I32(static_cast<int32_t>(l.entries.size()));
        for (const E& e : l.entries) {
            w.I32(e.inst);
            w.I32(e.entity);
            w.U8(e.mode);
            if (everyFlag || l.agent == 0) w.I32(e.flag);
        }
    }
}

Bytes SetBody(const std::vector<L>& lists, int32_t code1 = 0, int32_t code2 = 0) {
    WireWriter w;
    w.Bytes("Access bufer set v0.3", 22);
    w.I32(code1);
    w.I32(code2);
    int32_t total = 0;
    for (const L& l : lists) total += static_cast<int32_t>(l.entries.size());
    w.I32(total);
    PutLists(w, lists, false);
    return w.Out();
}

// A get body; a reply has the same layout with the modes and flags filled.
Bytes GetBody(const std::vector<L>& lists) {
    WireWriter w;
    w.Bytes("Access bufer get v0.1", 22);
    PutLists(w, lists, true);
    return w.Out();
}

CzorDataBuf Buf(const Bytes& b) {
    CzorDataBuf buf;
    buf.Add(b.data(), b.size());
    return buf;
}

class ServerRightsTest : public zor::test::TwoUsersTest {
protected:
    void SetUp() override {
        NetStoreTest::SetUp();
        // "user" and "other" in an ordinary group of their own.
        {
            zor::appserver::ServerDatabase db;
            ASSERT_TRUE(db.Open(server->Dir() + "/main" + zor::appserver::kDatabaseSuffix));
            CzorDataBuf gb;
            CzorValue name;
            name.Set("Отдел");
            zorAppendBufValue(gb, name);
            ASSERT_TRUE(db.PutInstance(kGroup, "zor_workgroup", Bytes(gb.GetBuffer(), gb.GetBuffer() + gb.GetSize())));
        }
        SetUpTwoUsers(kGroup);
        if (HasFatalFailure()) return;
        point = store->GetEntityBN("zor_point")->GetId();
    }
    int Set(CzorNetStepData& s, const Bytes& body) {
        int status = -1;
        CzorDataBuf b = Buf(body);
        s.GetTransport()->RequestSetGroupAccess(status, b);
        return status;
    }
    std::map<int, int> OthersPoints() { return LoadedPoints(*other); }
    // A session of the administrator (empty password in the test database).
    std::unique_ptr<CzorNetStepData> Administrator() {
        auto s = std::make_unique<CzorNetStepData>();
        s->SetNetErrorMessageMode(false);
        EXPECT_TRUE(s->NET_Connect("Administrator", "", "test"));
        return s;
    }

    int32_t point = 0;
};

TEST_F(ServerRightsTest, OthersLoadsSearchesAndQueriesLoseWhatTheyMayNotSee) {
    // Points older than the rights read and write for everybody; the creator owns his own.
    EXPECT_EQ(OthersPoints(), (std::map<int, int>{{4001, 1}, {4002, 1}, {ids[0], 1}, {ids[1], 1}, {ids[2], 1}}));
    ASSERT_EQ(Set(*store, SetBody({{0, {{ids[0], point, 3, 1}, {ids[1], point, 2, 1}, {ids[2], point, 4, 1}}}})), 0);
    EXPECT_EQ(OthersPoints(), (std::map<int, int>{{4001, 1}, {4002, 1}, {ids[1], 2}, {ids[2], 1}}));
    // The owner still owns them (his individual mode counts).
    {
        zor_NET_LoadQuery q;
        q._type = 'a';
        q._inst_or_id = ids[0];
        store->ClearData();
        CzorTAggr<CzorInstance> loaded(8, false, false);
        ASSERT_TRUE(store->NET_Load(&q, 1, &loaded, nullptr, nullptr, {}));
        ASSERT_EQ(loaded.GetSize(), 1);
        EXPECT_EQ(loaded.GetAt(0)->GetState(), 0);
    }
    // A search and a query do not find the hidden point.
    EXPECT_EQ(SearchedPoints(*other), 0);
    EXPECT_EQ(QueriedPoints(*other), (std::map<int, int>{{ids[1], 2}, {ids[2], 1}}));
    // An individual mode beats the default, a group's mode comes next, mode 4 takes the own one away.
    ASSERT_EQ(Set(*store, SetBody({{otherId, {{ids[0], point, 1, 1}}}})), 0);
    EXPECT_EQ(OthersPoints().at(ids[0]), 1);
    ASSERT_EQ(Set(*store, SetBody({{kGroup, {{ids[0], point, 2, 1}}}, {otherId, {{ids[0], point, 4, 1}}}})), 0);
    EXPECT_EQ(OthersPoints().at(ids[0]), 2);
    // Individual modes switched off: the default counts (mode 4 leaves it as it is), for the
    // creator too, who now may not set rights any more, not even with the service code (any client
    // can compute it); an administrator may.
    ASSERT_EQ(Set(*store, SetBody({{0, {{ids[0], point, 4, 0}}}})), 0);
    EXPECT_EQ(OthersPoints().count(ids[0]), 0u);
    EXPECT_EQ(Set(*store, SetBody({{0, {{ids[0], point, 4, 1}}}})), ZOR_NET_SRV_ACCESS_DENY);
    EXPECT_EQ(Set(*store, SetBody({{0, {{ids[0], point, 4, 1}}}}, 5, static_cast<int32_t>(5u ^ 0x3B6E0A95u))),
              ZOR_NET_SRV_ACCESS_DENY);
    EXPECT_EQ(OthersPoints().count(ids[0]), 0u);
    ASSERT_EQ(Set(*Administrator(), SetBody({{0, {{ids[0], point, 4, 1}}}}, 5, static_cast<int32_t>(5u ^ 0x3B6E0A95u))), 0);
    EXPECT_EQ(OthersPoints().at(ids[0]), 2);
}

TEST_F(ServerRightsTest, ChangesWithoutTheRightAreRefusedWith125) {
    ASSERT_EQ(Set(*store, SetBody({{0, {{ids[0], point, 2, 1}, {ids[1], point, 1, 1}}}})), 0);
    // Setting rights without owning: refused, nothing applied.
    EXPECT_EQ(Set(*other, SetBody({{0, {{ids[1], point, 0, 1}}}})), ZOR_NET_SRV_ACCESS_DENY);
    EXPECT_EQ(Set(*other, SetBody({{otherId, {{ids[0], point, 0, 1}}}})), ZOR_NET_SRV_ACCESS_DENY);
    // ... with a service code or without: any client can compute one. An administrator's counts.
    const int32_t code1 = 77;
    const int32_t code2 = static_cast<int32_t>(77u ^ 0x3B6E0A95u);
    EXPECT_EQ(Set(*other, SetBody({{otherId, {{ids[2], point, 0, 1}}}}, code1, code1)), ZOR_NET_SRV_ACCESS_DENY);
    EXPECT_EQ(Set(*other, SetBody({{otherId, {{ids[2], point, 0, 1}}}}, code1, code2)), ZOR_NET_SRV_ACCESS_DENY);
    EXPECT_EQ(OthersPoints().at(ids[2]), 1);
    EXPECT_EQ(Set(*Administrator(), SetBody({{otherId, {{ids[2], point, 0, 1}}}}, code1, code2)), 0);
    auto seen = OthersPoints();
    EXPECT_EQ(seen.at(ids[0]), 2);
    EXPECT_EQ(seen.at(ids[1]), 1);
    EXPECT_EQ(seen.at(ids[2]), 0);
    // A save of a read-only point fails with 125 and changes nothing; a read-write one saves.
    CzorInstance* ro = other->GetInstById(ids[0]);
    ASSERT_NE(ro, nullptr);
    EXPECT_EQ(ro->GetState(), 2);
    // As if loaded before the owner took the right away: the client lets the change go out.
    ro->SetState(1);
    ASSERT_TRUE(other->PutAttrBN(ro, "x", 99));
    EXPECT_FALSE(other->NET_SaveChanges(nullptr));
    EXPECT_EQ(other->GetLastZorError(), ZOR_NET_SRV_ACCESS_DENY);
    seen = OthersPoints();
    CzorInstance* rw = other->GetInstById(ids[1]);
    ASSERT_NE(rw, nullptr);
    int x = 0;
    other->GetAttrBN(other->GetInstById(ids[0]), "x", x);
    EXPECT_EQ(x, 10);
    other->PutAttrBN(rw, "x", 21);
    EXPECT_TRUE(other->NET_SaveChanges(nullptr)) << other->GetLastErrorDescription();
    // Deleting needs full access.
    OthersPoints();
    ASSERT_TRUE(other->DeleteInstance(other->GetInstById(ids[1])));
    EXPECT_FALSE(other->NET_SaveChanges(nullptr));
    EXPECT_EQ(other->GetLastZorError(), ZOR_NET_SRV_ACCESS_DENY);
    OthersPoints();
    ASSERT_TRUE(other->DeleteInstance(other->GetInstById(ids[2])));
    EXPECT_TRUE(other->NET_SaveChanges(nullptr)) << other->GetLastErrorDescription();
    EXPECT_EQ(OthersPoints().count(ids[2]), 0u);
    // Bodies that do not read, name no agent or no such instance.
    Bytes cut = SetBody({{0, {{ids[0], point, 2, 1}}}});
    cut.pop_back();
    EXPECT_EQ(Set(*store, cut), ZOR_NET_SRV_MISSED_BUF_FORMAT);
    EXPECT_EQ(Set(*store, SetBody({{4001, {{ids[0], point, 2, 1}}}})), ZOR_NET_SRV_ZORAPIERR_BADINSTANCE);
    EXPECT_EQ(Set(*store, SetBody({{0, {{999999, point, 2, 1}}}})), ZOR_NET_SRV_ZORAPIERR_BADINSTANCE);
    EXPECT_EQ(Set(*store, SetBody({{0, {{ids[0], point, 5, 1}}}})), ZOR_NET_SRV_MISSED_DATA);
}

TEST_F(ServerRightsTest, GetReplyByteForByte) {
    ASSERT_EQ(Set(*store, SetBody({{0, {{ids[0], point, 2, 1}}}, {otherId, {{ids[0], point, 1, 1}}}})), 0);
    const Bytes ask = GetBody({{0, {{ids[0], point, 4, 0}, {ids[1], point, 4, 0}}},
                               {otherId, {{ids[0], point, 4, 0}, {ids[1], point, 4, 0}}},
                               {userId, {{ids[0], point, 4, 0}, {ids[1], point, 4, 0}}}});
    CzorDataBuf body = Buf(ask), reply;
    int status = -1;
    ASSERT_TRUE(store->GetTransport()->RequestGetGroupAccess(status, body, reply));
    ASSERT_EQ(status, 0);
    const Bytes want = GetBody({{0, {{ids[0], point, 2, 1}, {ids[1], point, 1, 1}}},
                                {otherId, {{ids[0], point, 1, 1}, {ids[1], point, 4, 1}}},
                                {userId, {{ids[0], point, 0, 1}, {ids[1], point, 0, 1}}}});
    EXPECT_EQ(Bytes(reply.GetBuffer(), reply.GetBuffer() + reply.GetSize()), want);
    // The other user may read the rights of what he sees, not of what is hidden from him.
    ASSERT_EQ(Set(*store, SetBody({{otherId, {{ids[0], point, 3, 1}}}})), 0);
    CzorDataBuf one = Buf(GetBody({{0, {{ids[1], point, 4, 0}}}})), r1;
    ASSERT_TRUE(other->GetTransport()->RequestGetGroupAccess(status, one, r1));
    EXPECT_EQ(status, 0);
    CzorDataBuf hidden = Buf(GetBody({{0, {{ids[0], point, 4, 0}}}})), r2;
    other->GetTransport()->RequestGetGroupAccess(status, hidden, r2);
    EXPECT_EQ(status, ZOR_NET_SRV_ACCESS_DENY);
}

// Creator, creation, last updater and update of three points after saves by both users.
TEST_F(ServerRightsTest, HistoryAfterSavesByBoth) {
    OthersPoints();
    other->PutAttrBN(other->GetInstById(ids[1]), "x", 31);
    ASSERT_TRUE(other->NET_SaveChanges(nullptr)) << other->GetLastErrorDescription();
    WireWriter w;
    w.Bytes("zor_LoadInstUserDataTimeInfoQuery V 0.100", 42);
    w.I32(4);
    for (int32_t id : {ids[0], ids[1], 4001, 0}) {
        w.I32(id);
        const int16_t ent = id ? static_cast<int16_t>(point) : 0;
        w.Bytes(&ent, 2);
        w.U8(0);
    }
    CzorDataBuf body = Buf(w.Out()), reply;
    int status = -1;
    ASSERT_TRUE(other->GetTransport()->RequestInstUserDataTimeInfo(status, body, reply));
    ASSERT_EQ(status, 0);
    zor::net::WireReader r(reply.GetBuffer(), reply.GetSize());
    const unsigned char* sig = nullptr;
    ASSERT_TRUE(r.Bytes(41, sig));
    EXPECT_EQ(std::memcmp(sig, "zor_LoadInstUserDataTimeInfoData V 0.101", 41), 0);
    int32_t count = 0;
    ASSERT_TRUE(r.I32(count));
    EXPECT_EQ(count, 4);
    struct Rec {
        int32_t id, creator;
        double created;
        int32_t updater;
        double updated;
    };
    std::vector<Rec> got;
    while (r.Remaining() >= 28) {
        Rec x{};
        const unsigned char* p = nullptr;
        r.I32(x.id);
        r.I32(x.creator);
        r.Bytes(8, p);
        std::memcpy(&x.created, p, 8);
        r.I32(x.updater);
        r.Bytes(8, p);
        std::memcpy(&x.updated, p, 8);
        got.push_back(x);
    }
    EXPECT_EQ(r.Remaining(), 0u);
    ASSERT_EQ(got.size(), 3u);  // the record without an entity is not answered
    EXPECT_EQ(got[0].id, ids[0]);
    EXPECT_EQ(got[0].creator, userId);
    EXPECT_EQ(got[0].updater, userId);
    EXPECT_GT(got[0].created, 40000.0);
    EXPECT_EQ(got[1].id, ids[1]);
    EXPECT_EQ(got[1].creator, userId);
    EXPECT_EQ(got[1].updater, otherId);
    EXPECT_GE(got[1].updated, got[1].created);
    // A point older than the history: nobody, no dates.
    EXPECT_EQ(got[2].id, 4001);
    EXPECT_EQ(got[2].creator, 0);
    EXPECT_EQ(got[2].created, 0.0);
    EXPECT_EQ(got[2].updater, 0);
    // What the other user may not see, he learns no history of.
    ASSERT_EQ(Set(*store, SetBody({{otherId, {{ids[0], point, 3, 1}}}})), 0);
    CzorDataBuf again = Buf(w.Out()), hidden;
    ASSERT_TRUE(other->GetTransport()->RequestInstUserDataTimeInfo(status, again, hidden));
    ASSERT_EQ(hidden.GetSize(), reply.GetSize());
    EXPECT_EQ(zor::net::LoadI32(hidden.GetBuffer() + 45 + 4), 0);  // creator of the first record
    EXPECT_EQ(zor::net::LoadI32(hidden.GetBuffer() + 45 + 28 + 4), userId);
    // A wrong signature or count is refused.
    Bytes bad = w.Out();
    bad[0] = 'Z';
    CzorDataBuf b2 = Buf(bad), r2;
    other->GetTransport()->RequestInstUserDataTimeInfo(status, b2, r2);
    EXPECT_EQ(status, ZOR_NET_SRV_MISSED_BUF_FORMAT);
}

TEST_F(ServerRightsTest, UsersLogAndActiveUsers) {
    // Who is logged in and the log are the administrators' business.
    CzorDataBuf active;
    int status = -1;
    EXPECT_FALSE(store->GetTransport()->RequestActiveUserList(status, active));
    EXPECT_EQ(status, ZOR_NET_SRV_ACCESS_DENY);
    EXPECT_FALSE(store->GetTransport()->RequestUsersLog(status, active));
    EXPECT_EQ(status, ZOR_NET_SRV_ACCESS_DENY);
    // Three sessions: all three users are active.
    auto admin = Administrator();
    active.Clear();
    ASSERT_TRUE(admin->GetTransport()->RequestActiveUserList(status, active));
    ASSERT_EQ(status, 0);
    CzorStepData users;
    ASSERT_TRUE(users.LoadDictionary(QM_DICT_DIR "/quillmark"));
    CzorTAggr<CzorInstance> list(8, false, false);
    ASSERT_TRUE(users.ApploadFromDataBuf(active, &list, zorBufText::Cp1251));
    std::set<int> activeIds;
    for (CzorInstance* i : list) activeIds.insert(i->GetId());
    EXPECT_EQ(activeIds, (std::set<int>{userId, otherId, zor::appserver::kAdminUserId}));
    // A refused login, then the other user leaves.
    auto third = std::make_unique<CzorNetStepData>();
    third->SetNetErrorMessageMode(false);
    EXPECT_FALSE(third->NET_Connect("other", "wrong", "test"));
    third.reset();
    ASSERT_TRUE(other->NET_Disconnect());
    other.reset();
    CzorDataBuf log;
    // The session ends on the server's side after the reply: wait (bounded) for its logout.
    std::vector<std::tuple<int32_t, std::string, std::string, int32_t>> records;
    for (int attempt = 0; attempt < 200; ++attempt) {
        log.Clear();
        ASSERT_TRUE(admin->GetTransport()->RequestUsersLog(status, log));
        ASSERT_EQ(status, 0);
        zor::net::WireReader r(log.GetBuffer(), log.GetSize());
        const unsigned char* sig = nullptr;
        ASSERT_TRUE(r.Bytes(28, sig));
        EXPECT_EQ(std::memcmp(sig, "zor_UserLogInfoData V 0.101", 28), 0);
        int32_t n = 0;
        ASSERT_TRUE(r.I32(n));
        records.clear();
        for (int32_t i = 0; i < n; ++i) {
            int32_t user = 0, kind = 0, len = 0;
            const unsigned char *name = nullptr, *event = nullptr, *dates = nullptr;
            ASSERT_TRUE(r.I32(user));
            ASSERT_TRUE(r.Field(name, len));
            std::string nameText(reinterpret_cast<const char*>(name), static_cast<size_t>(len));
            ASSERT_TRUE(r.Field(event, len));
            std::string eventText = zor::Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(event), static_cast<size_t>(len)));
            ASSERT_TRUE(r.Bytes(16, dates));
            ASSERT_TRUE(r.I32(kind));
            records.emplace_back(user, nameText, eventText, kind);
        }
        EXPECT_EQ(r.Remaining(), 0u);
        if (records.size() >= 5) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    using zor::appserver::kLogLogin;
    using zor::appserver::kLogLogout;
    using zor::appserver::kLogRefused;
    const std::vector<std::tuple<int32_t, std::string, std::string, int32_t>> want = {
        {userId, "user", "Вход", kLogLogin},
        {otherId, "other", "Вход", kLogLogin},
        {zor::appserver::kAdminUserId, "Administrator", "Вход", kLogLogin},
        {otherId, "other", "Отказ во входе", kLogRefused},
        {otherId, "other", "Выход", kLogLogout},
    };
    EXPECT_EQ(records, want);
    // The user's and the administrator's sessions are left.
    active.Clear();
    ASSERT_TRUE(admin->GetTransport()->RequestActiveUserList(status, active));
    users.ClearData();
    list.RemoveAll();
    ASSERT_TRUE(users.ApploadFromDataBuf(active, &list, zorBufText::Cp1251));
    activeIds.clear();
    for (CzorInstance* i : list) activeIds.insert(i->GetId());
    EXPECT_EQ(activeIds, (std::set<int>{userId, zor::appserver::kAdminUserId}));
}

// A short run of clients mixing rights reads and sets with loads and saves (bench_rights_load runs
// it at length): nothing fails.
TEST(ServerRightsLoad, ClientsMixingRightsLoadsAndSaves) {
    const zor::test::RightsLoadResult r = zor::test::RunRightsLoad(4, 1.5);
    for (const std::string& p : r.problems) ADD_FAILURE() << p;
    EXPECT_TRUE(r.failed.empty());
    for (const char* kind : {"save", "rights set", "rights read", "load"}) EXPECT_GT(r.ok.count(kind) ? r.ok.at(kind) : 0, 0) << kind;
}

}  // namespace
