// Active users, the users' log and instance history on the client: the replies read from hand-made
// bytes, the properties dialog's rows, and the requests against our server on 127.0.0.1, also
// when the server fails in the middle of a reply.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "platform/base/ole_date.h"
#include "platform/transport/net_errors.h"
#include "platform/transport/wire.h"
#include "zorStepData/CzorData_Client/inst_properties.h"
#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"
#include "zorStepData/CzorData_Client/users_log.h"

namespace {

using zor::appserver::FaultAction;
using zor::appserver::FaultRule;
using zor::net::WireWriter;
using Bytes = std::vector<unsigned char>;

CzorDataBuf Buf(const Bytes& b) {
    CzorDataBuf buf;
    buf.Add(b.data(), b.size());
    return buf;
}

void LogRecord(WireWriter& w, int32_t user, const std::string& name, const std::string& event, double when, int32_t kind) {
    w.I32(user);
    w.Field(name.data(), name.size());
    w.Field(event.data(), event.size());
    w.Bytes(&when, 8);
    const double zero = 0;
    w.Bytes(&zero, 8);
    w.I32(kind);
}

Bytes LogReply(int32_t count, const std::function<void(WireWriter&)>& records, const char* sig = "zor_UserLogInfoData V 0.101") {
    WireWriter w;
    w.Bytes(sig, 28);
    w.I32(count);
    records(w);
    return w.Out();
}

TEST(UsersLogReply, ReadsOrRefusesAsATable) {
    const auto two = [](WireWriter& w) {
        LogRecord(w, 3903, "user", "\xc2\xf5\xee\xe4", 45000.5, 0);  // "Вход" in code page 1251
        LogRecord(w, 0, "nobody", "x", 45000.6, 2);
    };
    struct Case {
        const char* what;
        Bytes reply;
        int code;
        size_t records;
    };
    Bytes cut = LogReply(2, two);
    cut.resize(cut.size() - 3);
    Bytes trailing = LogReply(2, two);
    trailing.push_back(0);
    Bytes wrongSig = LogReply(0, [](WireWriter&) {}, "zor_UserLogInfoData V 0.100");
    const std::vector<Case> cases = {
        {"empty log", LogReply(0, [](WireWriter&) {}), 0, 0},
        {"two records", LogReply(2, two), 0, 2},
        {"wrong signature", wrongSig, zorErrBufSignature, 0},
        {"short signature", Bytes{'z', 'o', 'r'}, zorErrBufSignature, 0},
        {"negative count", LogReply(-1, [](WireWriter&) {}), ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, 0},
        {"count above the bytes", LogReply(1000000, two), ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, 0},
        {"count above the records", LogReply(3, two), ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, 0},
        {"negative text length",
         LogReply(1, [](WireWriter& w) {
             w.I32(3903);
             w.I32(-5);
             w.Bytes("0123456789012345678901234567890123456789", 40);
         }),
         ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, 0},
        {"text longer than the reply",
         LogReply(1, [](WireWriter& w) {
             w.I32(3903);
             w.I32(1 << 30);
             w.Bytes("0123456789012345678901234567890123456789", 40);
         }),
         ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, 0},
        {"record cut in the middle", cut, ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, 0},
        {"bytes left over", trailing, ZOR_NET_CLI_MISSED_DATA_FROM_SERVER, 0},
    };
    for (const Case& c : cases) {
        CzorDataBuf buf = Buf(c.reply);
        std::vector<std::unique_ptr<SUserLogInfo>> records;
        EXPECT_EQ(zorReadUsersLogReply(buf, records), c.code) << c.what;
        EXPECT_EQ(records.size(), c.records) << c.what;
    }
    CzorDataBuf buf = Buf(LogReply(2, two));
    std::vector<std::unique_ptr<SUserLogInfo>> records;
    ASSERT_EQ(zorReadUsersLogReply(buf, records), 0);
    EXPECT_EQ(records[0]->userId, 3903);
    EXPECT_EQ(records[0]->secondText, "user");
    EXPECT_EQ(records[0]->firstText, "Вход");
    EXPECT_EQ(records[0]->firstValue, 45000.5);
    EXPECT_EQ(records[0]->lastValue, 0);
    EXPECT_EQ(records[1]->lastValue, 2);
}

struct HistoryFixture {
    CzorStepData store;
    CzorInstance *a = nullptr, *b = nullptr, *c = nullptr, *loose = nullptr, *agent = nullptr;
    CzorTAggr<SInstInfo> records{4, false, true};
    HistoryFixture() {
        EXPECT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark"));
        const auto make = [&](int id, const char* entity) {
            CzorInstance* i = store.CreateInstanceBN(entity);
            i->SetId(id);
            return i;
        };
        a = make(5001, "zor_point");
        b = make(5002, "zor_point");
        c = make(5003, "zor_point");
        agent = make(3903, "zor_user");
        store.PutAttrBN(agent, "name", "user");
    }
    void Ask(std::initializer_list<CzorInstance*> insts) {
        records.DeleteItems();
        for (CzorInstance* i : insts) {
            auto* r = new SInstInfo;
            r->instance = i;
            records.Add(r);
        }
    }
    int Read(const Bytes& reply) {
        CzorDataBuf buf = Buf(reply);
        return zorReadInstHistoryReply(buf, records, [&](int32_t id) { return id == 3903 ? agent : nullptr; });
    }
};

Bytes HistoryReply(int32_t count, std::initializer_list<int32_t> ids, const char* sig = "zor_LoadInstUserDataTimeInfoData V 0.101") {
    WireWriter w;
    w.Bytes(sig, 41);
    w.I32(count);
    double d = 45000.25;
    for (int32_t id : ids) {
        w.I32(id);
        w.I32(3903);
        w.Bytes(&d, 8);
        w.I32(0);
        w.Bytes(&d, 8);
        d += 1;
    }
    return w.Out();
}

TEST(InstHistoryReply, ReadsOrRefusesAsATable) {
    HistoryFixture f;
    f.Ask({f.a, f.b, f.c});
    EXPECT_EQ(f.Read(HistoryReply(3, {5001, 5002, 5003})), 0);
    EXPECT_EQ(f.records.GetAt(0)->creator, f.agent);
    EXPECT_EQ(f.records.GetAt(0)->updater, nullptr);
    EXPECT_EQ(f.records.GetAt(2)->created, 45002.25);
    // A reply that ends after the first of three: true, the others as they were.
    f.Ask({f.a, f.b, f.c});
    EXPECT_EQ(f.Read(HistoryReply(3, {5001})), 0);
    EXPECT_EQ(f.records.GetAt(0)->created, 45000.25);
    EXPECT_EQ(f.records.GetAt(1)->created, 0.0);
    EXPECT_EQ(f.records.GetAt(1)->creator, nullptr);
    struct Case {
        const char* what;
        Bytes reply;
    };
    Bytes cut = HistoryReply(3, {5001, 5002});
    cut.resize(cut.size() - 5);
    const std::vector<Case> bad = {
        {"count differs", HistoryReply(2, {5001, 5002})},
        {"wrong signature", HistoryReply(3, {5001}, "zor_LoadInstUserDataTimeInfoData V 0.100")},
        {"unexpected id", HistoryReply(3, {5001, 5003})},
        {"record cut short", cut},
        {"no count", Bytes(41, 0)},
    };
    for (const Case& c : bad) {
        f.Ask({f.a, f.b, f.c});
        EXPECT_EQ(f.Read(c.reply), ZOR_NET_CLI_MISSED_DATA_FROM_SERVER) << c.what;
        EXPECT_EQ(f.records.GetAt(1)->created, 0.0) << c.what;  // the cut record is not half taken
    }
    // An instance without an entity that the server does not answer is passed over.
    f.loose = f.store.CreateInstanceBN("zor_point");
    f.loose->SetId(5009);
    ASSERT_TRUE(f.store.DeleteInstance(f.loose, true, true));  // kept, without its entity
    ASSERT_EQ(f.loose->GetEntity(), nullptr);
    f.Ask({f.loose, f.a});
    EXPECT_EQ(f.Read(HistoryReply(2, {5001})), 0);
    EXPECT_EQ(f.records.GetAt(1)->created, 45000.25);
}

TEST(InstProperties, RowsOfTheDialog) {
    HistoryFixture f;
    f.Ask({f.a, f.b});
    f.records.GetAt(0)->creator = f.agent;
    f.records.GetAt(0)->created = COleDateTime(2024, 3, 7, 14, 5, 9).m_dt;
    f.records.Add(new SInstInfo);  // a record without an instance
    const std::vector<std::string> comments = {"первый"};
    const InstPropertiesView v = MakeInstPropertiesView(&f.records, &comments, &f.store, 1000);
    EXPECT_EQ(v.headings, (std::vector<std::string>{"id", "type", "create user", "create date", "update user", "update date",
                                                    "comment"}));
    EXPECT_EQ(v.widths, (std::vector<int>{100, 150, 150, 150, 150, 150, 150}));
    ASSERT_EQ(v.rows.size(), 3u);
    EXPECT_EQ(v.rows[0], (std::vector<std::string>{"5001", "zor_point", "user", "03/07/2024 14:05:09", "неизвестен",
                                                   "неизвестно", "первый"}));
    EXPECT_EQ(v.rows[1], (std::vector<std::string>{"5002", "zor_point", "неизвестен", "неизвестно", "неизвестен",
                                                   "неизвестно", ""}));
    EXPECT_EQ(v.rows[2], (std::vector<std::string>{"inst==0", "", "", "", "", "", ""}));
    const InstPropertiesView none = MakeInstPropertiesView(nullptr, nullptr, &f.store, 999);
    EXPECT_EQ(none.headings, std::vector<std::string>{""});
    EXPECT_EQ(none.widths, std::vector<int>{899});
    EXPECT_EQ(none.rows, std::vector<std::vector<std::string>>{{"Данные не предоставлены!"}});
    EXPECT_EQ(MakeInstPropertiesView(&f.records, nullptr, nullptr, 10).rows.size(), 1u);
    EXPECT_EQ(FormatInstDate(0.0), "неизвестно");
}

class UsersLogNetTest : public zor::test::NetStoreTest {
protected:
    void SetUp() override {
        NetStoreTest::SetUp();
        zor::appserver::ServerDatabase db;
        ASSERT_TRUE(db.Open(server->Dir() + "/main" + zor::appserver::kDatabaseSuffix));
        ASSERT_TRUE(db.SetUser("other", "pw2", false, true));
        ASSERT_TRUE(Login());
        store->SetNetErrorMessageMode(false);
    }
    void Fault(int command, FaultAction action, int value = 0) {
        FaultRule r;
        r.command = command;
        r.action = action;
        r.value = value;
        r.times = 1;
        server->Server().Faults().Add(r);
    }
};

TEST_F(UsersLogNetTest, LogActiveUsersAndHistoryFromOurServer) {
    auto second = std::make_unique<CzorNetStepData>();
    second->SetNetErrorMessageMode(false);
    ASSERT_TRUE(second->NET_Connect("other", "pw2", "test"));
    auto refused = std::make_unique<CzorNetStepData>();
    refused->SetNetErrorMessageMode(false);
    EXPECT_FALSE(refused->NET_Connect("other", "bad", "test"));
    // A name that names nobody is logged with user id 0, which the client's log leaves out.
    EXPECT_FALSE(refused->NET_Connect("ghost", "x", "test"));
    refused.reset();
    // Two sessions: two users, in a list that owns its items and still frees no instance.
    {
        CzorTAggr<CzorInstance> users(4, false, true);
        ASSERT_TRUE(store->NET_GetActiveUserList(users, nullptr)) << store->GetLastErrorDescription();
        std::set<std::string> names;
        for (CzorInstance* u : users) {
            std::string n;
            store->GetAttrBN(u, "name", n);
            names.insert(n);
        }
        EXPECT_EQ(names, (std::set<std::string>{"user", "other"}));
    }
    CzorInstance* me = store->GetInstById(3903);
    ASSERT_NE(me, nullptr);
    // The log: logins of both and the refused one, each with its user found in the store.
    CzorTAggr<SUserLogInfo> log(4, false, true);
    ASSERT_TRUE(store->NET_QueryUsersLog(log, nullptr)) << store->GetLastErrorDescription();
    ASSERT_EQ(log.GetSize(), 3);
    EXPECT_EQ(log.GetAt(0)->user, me);
    EXPECT_EQ(log.GetAt(0)->firstText, "Вход");
    EXPECT_EQ(log.GetAt(2)->firstText, "Отказ во входе");
    EXPECT_EQ(log.GetAt(2)->secondText, "other");
    ASSERT_NE(log.GetAt(2)->user, nullptr);
    // History of a point made now and of one older than the history.
    CzorInstance* p = store->CreateInstanceBN("zor_point");
    store->PutAttrBN(p, "x", 1);
    ASSERT_TRUE(store->NET_SaveChanges(nullptr));
    CzorTAggr<SInstInfo> records(4, false, true);
    for (CzorInstance* i : {p, store->GetInstById(4001)}) {
        auto* r = new SInstInfo;
        r->instance = i;
        records.Add(r);
    }
    ASSERT_TRUE(store->NET_LoadInstUserDataTimeInfo(records, nullptr)) << store->GetLastErrorDescription();
    EXPECT_EQ(records.GetAt(0)->creator, me);
    EXPECT_EQ(records.GetAt(0)->updater, me);
    EXPECT_GT(records.GetAt(0)->created, 40000.0);
    EXPECT_EQ(records.GetAt(1)->creator, nullptr);
    EXPECT_EQ(records.GetAt(1)->created, 0.0);
    // The view: the dialog gets the records; only null instances show nothing.
    std::vector<std::string> shown;
    auto old = SetInstPropertiesRunner([&](const CzorTAggr<SInstInfo>& r, const std::vector<std::string>*, CzorStepData* s) {
        for (const auto& row : MakeInstPropertiesView(&r, nullptr, s, 100).rows) shown.push_back(row[2]);
    });
    CzorTAggr<CzorInstance> insts(4, false, false);
    insts.Add(p);
    EXPECT_TRUE(store->NET_ViewInstUserDataTimeInfo(insts, nullptr, nullptr));
    EXPECT_EQ(shown, std::vector<std::string>{"user"});
    CzorTAggr<CzorInstance> nulls(4, false, false);
    nulls.Add(nullptr);
    shown.clear();
    EXPECT_FALSE(store->NET_ViewInstUserDataTimeInfo(nulls, nullptr, nullptr));
    EXPECT_TRUE(shown.empty());
    SetInstPropertiesRunner(old);
}

// The server fails in the middle of a 40 or 42 reply: false with a status, and the client is free
// for the next request.
TEST_F(UsersLogNetTest, FailedRepliesLeaveTheClientFree) {
    struct Case {
        int command;
        FaultAction action;
        int value;
        int status;
    };
    std::vector<Case> cases;
    for (int command : {zor::net::kCmdUsersLog, zor::net::kCmdInstUserDataTimeInfo}) {
        cases.push_back({command, FaultAction::CloseAfter, 40, ZOR_SOCK_CONNECT_FAULT});  // killed mid-reply
        cases.push_back({command, FaultAction::Reset, 0, ZOR_SOCK_CONNECT_FAULT});
        cases.push_back({command, FaultAction::CutPayload, 10, ZOR_NET_CLI_MISSED_DATA_FROM_SERVER});
        cases.push_back({command, FaultAction::LengthBeyond, 0, ZOR_NET_CLI_MISSED_DATA_FROM_SERVER});
        cases.push_back({command, FaultAction::Status, ZOR_NET_SRV_ERROR_PROCESSED, ZOR_NET_SRV_ERROR_PROCESSED});
    }
    CzorInstance* point = store->GetInstById(4001);
    ASSERT_NE(point, nullptr);
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.command) + "/" + std::to_string(static_cast<int>(c.action));
        ui.answers.assign(4, true);  // reconnect after a lost link
        Fault(c.command, c.action, c.value);
        CzorTAggr<SUserLogInfo> log(4, false, true);
        CzorTAggr<SInstInfo> records(4, false, true);
        auto* r = new SInstInfo;
        r->instance = point;
        records.Add(r);
        const bool ok = c.command == zor::net::kCmdUsersLog ? store->NET_QueryUsersLog(log, nullptr)
                                                            : store->NET_LoadInstUserDataTimeInfo(records, nullptr);
        EXPECT_FALSE(ok) << what;
        EXPECT_EQ(store->GetLastZorError(), c.status) << what;
        EXPECT_TRUE(log.IsEmpty()) << what;
        EXPECT_EQ(records.GetAt(0)->created, 0.0) << what;
        server->Server().Faults().Clear();
        // The next request goes through (a reset connection is made again).
        EXPECT_TRUE(store->NET_QueryUsersLog(log, nullptr)) << what << " " << store->GetLastErrorDescription();
        EXPECT_FALSE(log.IsEmpty()) << what;
    }
}

}  // namespace
