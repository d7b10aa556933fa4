// The networked store against our server on 127.0.0.1: the request rule and its failures, login
// with scripted answers, the settings, and loading instances and values.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <deque>
#include <fstream>

#include "platform/appserver/database.h"
#include "platform/base/file_io.h"
#include "platform/tests/transport/server_fixture.h"
#include "platform/ui/messages.h"
#include "platform/zordata/zordata.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/net_ui.h"
#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"

using namespace zor::test;

namespace {

TEST_F(NetStoreTest, OperationsWithoutALoginFailWith173AndOneBoxEach) {
    double date = 0;
    struct Case { const char* what; std::function<bool()> run; } cases[] = {
        {"NET_Test", [&] { return store->NET_Test(nullptr); }},
        {"NET_WriteLog", [&] { return store->NET_WriteLog("a", "b", false); }},
        {"NET_GetServerDateTime", [&] { return store->NET_GetServerDateTime(date); }},
        {"NET_LoadDictionaryFromServer", [&] { return store->NET_LoadDictionaryFromServer(nullptr); }},
    };
    for (const auto& c : cases) {
        sink.Clear();
        EXPECT_FALSE(c.run()) << c.what;
        EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_NOT_CONNECT) << c.what;
        EXPECT_NE(std::string(store->GetLastErrorDescription()).find("(ZOR_NET_CLI_NOT_CONNECT)"), std::string::npos)
            << store->GetLastErrorDescription();
        EXPECT_EQ(sink.Messages().size(), 1u) << c.what;
    }
    // With the boxes off the status and text are still recorded.
    store->SetHideMode(true);
    sink.Clear();
    EXPECT_FALSE(store->NET_WriteLog("a", "b", false));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_NOT_CONNECT);
    EXPECT_TRUE(sink.Messages().empty());
    EXPECT_TRUE(store->GetTransport()->GetHideMode());
}

// A failure raised while the box of another is open keeps its status and text; only its box is
// left out.
TEST_F(NetStoreTest, AFailureDuringABoxIsRecordedWithoutASecondBox) {
    struct NestingSink : zor::IMessageSink {
        CzorNetStepData* store = nullptr;
        int shown = 0;
        int Show(const std::string&, const std::string&, unsigned) override {
            ++shown;
            CzorAttr* x = store->GetAttrDefinition(store->GetEntityBN("zor_point"), "x");
            store->NET_OperateOracleIndex(x, true, nullptr);  // 180: x is no reference
            return 1;
        }
    } nesting;
    nesting.store = store.get();
    zor::ScopedMessageSink scoped(&nesting);
    ASSERT_TRUE(store->LoadDictionary(QM_DICT_DIR "/quillmark"));
    EXPECT_FALSE(store->NET_WriteLog("a", "b", false));
    EXPECT_EQ(nesting.shown, 1);
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_MISSED_ATTR_TYPE);
    EXPECT_NE(std::string(store->GetLastErrorDescription()).find("ZOR_NET_CLI_MISSED_ATTR_TYPE"), std::string::npos);
}

TEST_F(NetStoreTest, SilentLoginLoadsTheDictionaryAndTheCurrentUser) {
    ASSERT_TRUE(Login()) << store->GetLastErrorDescription();
    EXPECT_TRUE(store->IsConnected());
    EXPECT_FALSE(store->IsReadOnly());
    EXPECT_TRUE(store->HasDictionary());
    EXPECT_TRUE(store->CanFindInBLOB());
    EXPECT_EQ(ui.dialogs, 0);
    CzorInstance* me = store->GetCurrUser();
    ASSERT_NE(me, nullptr);
    std::string name;
    EXPECT_TRUE(store->GetAttrBN(me, "name", name));
    EXPECT_EQ(name, "user");
    EXPECT_EQ(store->GetNameCurrUser(), "user");
    EXPECT_EQ(store->GetNameCurrConnection(), "test");
    EXPECT_EQ(store->GetNameCurrBase(), "main");

    // ClearData keeps a "zor_user" of the same id as current user.
    const int id = me->GetId();
    store->ClearData();
    ASSERT_NE(store->GetCurrUser(), nullptr);
    EXPECT_EQ(store->GetCurrUser()->GetId(), id);

    double date = 0;
    EXPECT_TRUE(store->NET_GetServerDateTime(date));
    EXPECT_GT(date, 40000.0);
    EXPECT_TRUE(store->NET_WriteLog("first", "second", true));
    EXPECT_TRUE(store->NET_OperateOracleIndex(store->GetAttrDefinition(store->GetEntityBN("zor_report"), "page_size"),
                                              true, nullptr));

    store->NET_Disconnect();
    EXPECT_FALSE(store->IsConnected());
    EXPECT_EQ(store->GetCurrUser(), nullptr);
    EXPECT_EQ(store->GetTitulCurrBD(true, true, true, false, false), "Не соединены с БД");
}

TEST_F(NetStoreTest, LoginAnswersAsATable) {
    zor::appserver::ServerDatabase db;
    ASSERT_TRUE(db.Open(server->Dir() + "/main" + zor::appserver::kDatabaseSuffix));
    struct Case {
        const char* what;
        const char* user;
        const char* password;
        const char* connection;
        std::vector<zor::net::LoginDialogData> logins;
        std::deque<bool> answers;
        bool readOnlyDb;
        bool ok;
        int status;
        bool readOnly;
        size_t told;
        size_t asked;
    } cases[] = {
        {"silent, wrong password", "user", "bad", "test", {}, {}, false, false, ZOR_NET_SRV_UNKNOWN_USER, false, 0, 0},
        {"102, then the right password", "user", "bad", "", {{"user", "bad", {}, {}, 0}, {"user", "pw", {}, {}, 0}}, {},
         false, true, 0, false, 1, 0},
        {"107, then another connection", "", "", "nobase", {{"user", "pw", {}, {}, 0}}, {},
         false, true, 0, false, 1, 0},
        {"134 and Yes", "reader", "ro", "", {{"reader", "ro", {}, {}, 0}}, {true}, false, true, 0, true, 0, 1},
        {"134 and No", "reader", "ro", "", {{"reader", "ro", {}, {}, 0}}, {false}, false, false, ZOR_NET_SRV_USER_READ_ONLY,
         false, 0, 1},
        {"74 and Yes", "user", "pw", "", {{"user", "pw", {}, {}, 0}}, {true}, true, true, 0, true, 0, 1},
        {"Cancel", "", "", "", {}, {}, false, false, 0, false, 0, 0},
    };
    for (const auto& c : cases) {
        db.SetReadOnlyFlag(c.readOnlyDb);
        ui.logins.assign(c.logins.begin(), c.logins.end());
        ui.answers = c.answers;
        ui.told.clear();
        ui.asked.clear();
        sink.Clear();
        const bool ok = store->NET_Connect(c.user, c.password, c.connection);
        EXPECT_EQ(ok, c.ok) << c.what;
        EXPECT_EQ(store->IsConnected(), c.ok) << c.what;
        if (!c.ok) {
            EXPECT_EQ(store->GetLastZorError(), c.status) << c.what;
        }
        EXPECT_EQ(store->IsReadOnly(), c.readOnly) << c.what;
        EXPECT_EQ(ui.told.size(), c.told) << c.what;
        EXPECT_EQ(ui.asked.size(), c.asked) << c.what;
        EXPECT_TRUE(ui.logins.empty()) << c.what;
        // A cancelled dialog is no failure to show.
        if (c.status == 0 && !c.ok) {
            EXPECT_TRUE(sink.Messages().empty()) << c.what;
        }
        store->NET_Disconnect();
        EXPECT_FALSE(store->IsReadOnly()) << c.what;
    }
    db.SetReadOnlyFlag(false);
}

TEST_F(NetStoreTest, AlreadyConnectedAsksBeforeDropping) {
    ASSERT_TRUE(Login());
    CzorInstance* first = store->GetCurrUser();
    ui.answers = {false};
    EXPECT_TRUE(store->NET_Connect("user", "pw", "test"));
    EXPECT_EQ(store->GetCurrUser(), first);  // the session stayed
    ui.answers = {true};
    EXPECT_TRUE(store->NET_Connect("Administrator", "", "test"));
    EXPECT_EQ(store->GetNameCurrUser(), "Administrator");
    EXPECT_EQ(ui.asked.size(), 2u);
}

TEST_F(NetStoreTest, ALoginWhoseDictionaryFailsEndsDisconnected) {
    server.reset();
    zor::appserver::ServerOptions o;
    ScopedTempDir data;
    MakeDatabase(data.Path());
    o.dataDir = data.Path();
    o.port = 0;
    o.dictionary = data.Path() + "/missing.dict";
    zor::appserver::AppServer s(o);
    ASSERT_TRUE(s.Start());
    WriteConnections({"test=127.0.0.1:" + std::to_string(s.Port()) + "/main"});
    EXPECT_FALSE(Login());
    EXPECT_FALSE(store->IsConnected());
    EXPECT_NE(store->GetLastZorError(), 0);
    EXPECT_FALSE(store->GetTransport()->IsConnected());
}

TEST_F(NetStoreTest, TitleAndDisplayForms) {
    struct Case { const char* text; const char* shown; } forms[] = {
        {"main", "main"}, {"scott/tiger", "scott/*****"}, {"scott/tiger@orcl", "scott/*****@orcl"}, {"a@b", "a@b"},
        {"scott/ti@ger@x", "scott/*****@ger@x"}};
    for (const auto& f : forms) EXPECT_EQ(CzorNetStepData::DisplayDatabaseText(f.text), f.shown) << f.text;
    ASSERT_TRUE(Login());
    struct Title { bool b, c, u, e; const char* text; } titles[] = {
        {true, false, false, false, "БД 'main' "},
        {false, true, false, false, "Соединение 'test' "},
        {false, false, true, false, "Пользователь 'user' "},
        {true, true, true, true, "БД 'main' Соединение 'test' Пользователь 'user' Сотрудник Не определен "},
        {false, false, false, false, ""},
    };
    for (const auto& t : titles) EXPECT_EQ(store->GetTitulCurrBD(t.b, t.c, t.u, t.e, false), t.text);
    EXPECT_EQ(store->GetTitulCurrBD(false, false, false, false, true), "pid " + std::to_string(::getpid()) + " ");
}

TEST_F(NetStoreTest, SettingsRoundTripAwkwardValuesWithMode0600) {
    WriteConnections({"a=b:7239/c/d", "broken-no-colon/x", "Кириллица, с запятой=host:1/C:\\база\\путь/юзер"});
    std::ofstream(config.Path() + "/ZorTransport.ini", std::ios::app) << "5=late=h:2/db\n";
    ASSERT_TRUE(store->ReadConnectionsInfo());
    EXPECT_EQ(store->GetLastError(), ZOR_NET_CLI_MISSED_CONNECTION_REC);
    auto& list = store->Connections();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "a");
    EXPECT_EQ(list[0].host, "b");
    EXPECT_EQ(list[0].port, 7239);
    EXPECT_EQ(list[0].database, "c");
    EXPECT_EQ(list[0].user, "d");
    EXPECT_EQ(list[1].name, "Кириллица, с запятой");
    EXPECT_EQ(list[1].database, "C:\\база\\путь");
    EXPECT_EQ(list[1].user, "юзер");
    EXPECT_EQ(list[1].number, 2);
    EXPECT_EQ(list[2].number, 5);
    EXPECT_EQ(list[2].user, "");
    ASSERT_TRUE(store->WriteConnectionsInfo());
    CzorNetStepData again;
    again.ReadConnectionsInfo();
    ASSERT_EQ(again.Connections().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(again.Connections()[i].number, static_cast<int>(i));
        EXPECT_EQ(zor::net::FormatConnectionValue(again.Connections()[i]), zor::net::FormatConnectionValue(list[i]));
    }
    struct stat st {};
    ASSERT_EQ(::stat((config.Path() + "/ZorTransport.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Recent users: "Administrator" when none were written; at most five are written.
    std::vector<std::string> users;
    std::string last = "kept";
    ASSERT_TRUE(zor::net::ReadLastActive(users, last));
    EXPECT_EQ(users, std::vector<std::string>{"Administrator"});
    EXPECT_EQ(last, "kept");
    ASSERT_TRUE(zor::net::WriteLastActive({"u1", "Юзер 2", "u3", "u4", "u5", "u6", "u7"}, "связь, 1"));
    ASSERT_TRUE(zor::net::ReadLastActive(users, last));
    EXPECT_EQ(users, (std::vector<std::string>{"u1", "Юзер 2", "u3", "u4", "u5"}));
    EXPECT_EQ(last, "связь, 1");
    ASSERT_EQ(::stat(zor::net::RecentUsersPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(NetStoreTest, AddQueryRefusalsAsATable) {
    ASSERT_TRUE(store->LoadDictionary(QM_DICT_DIR "/quillmark"));
    CzorEntity* point = store->GetEntityBN("zor_point");
    CzorAttr* x = store->GetAttrDefinition(point, "x");
    CzorLoadData batch(store.get());
    struct Case { const char* what; std::function<int()> add; int want; } cases[] = {
        {"id -1", [&] { return batch.AddQuery('a', -1, 0L, 0L, true, false); }, -1},
        {"'a' without id", [&] { return batch.AddQuery('a', 0, 0L, 0L, true, false); }, -1},
        {"unknown type", [&] { return batch.AddQuery('z', 5000, 0L, 0L, true, false); }, -1},
        {"'b' without id", [&] { return batch.AddQuery('b', 0, 0L, 0L, true, false); }, -1},
        {"'i' without id", [&] { return batch.AddQuery('i', 0, 0L, 0L, true, false); }, -1},
        {"unknown entity", [&] { return batch.AddQuery('e', 0, 9999L, 0L, true, false); }, -1},
        {"unknown attribute", [&] { return batch.AddQuery('i', 5000, 0L, 9999L, true, false); }, -1},
        {"nothing named", [&] { return batch.AddQuery('e', 0, static_cast<CzorEntity*>(nullptr), nullptr, true, false); }, -1},
        {"unknown entity name", [&] { return batch.AddQuery('i', 5000, "no_such", "x", true, false); }, -1},
        {"unknown attribute name", [&] { return batch.AddQuery('i', 5000, "zor_point", "no_such", true, false); }, -1},
        {"null instance", [&] { return batch.AddQuery(static_cast<CzorInstance*>(nullptr), false); }, -1},
        {"extent", [&] { return batch.AddQuery('e', 0, point, nullptr, true, false); }, 0},
        {"value", [&] { return batch.AddQuery('i', 5000, point, x, true, false); }, 1},
        {"negative position", [&] { return batch.AddQuery(-1, 'a', 5000, point, nullptr, true, false); }, -1},
        {"position taken by another type", [&] { return batch.AddQuery(0, 'a', 5000, point, nullptr, true, false); }, -1},
        {"position shared by the same type", [&] { return batch.AddQuery(1, 'i', 5001, point, x, true, false); }, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(c.add(), c.want) << c.what;
    EXPECT_EQ(batch.GetCount(), 3);
    // A copy shares the records and frees none of them.
    {
        CzorLoadData copy(batch);
        EXPECT_EQ(copy.GetCount(), 3);
        EXPECT_EQ(copy.GetAt(0), batch.GetAt(0));
    }
    EXPECT_EQ(batch.GetAt(2)->_inst_or_id, 5001);
    unsigned char rec[24];
    batch.GetAt(1)->Encode(rec);
    const unsigned char want[24] = {1, 0, 0, 0, 'i', 0, 0, 0, 0x88, 0x13, 0, 0,
                                    static_cast<unsigned char>(point->GetId()), 0, 0, 0,
                                    static_cast<unsigned char>(x->GetId()), 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(std::memcmp(rec, want, 24), 0);
}

TEST_F(NetStoreTest, LoadingByIdExtentAndValue) {
    ASSERT_TRUE(Login());
    // Ids up to 3900 never go to the server.
    EXPECT_EQ(store->GetInstById(3900), nullptr);
    EXPECT_EQ(store->GetLastZorError(), 0);
    EXPECT_EQ(store->GetInstById(3901), nullptr);  // the built-in group is no instance of the dictionary
    CzorInstance* p = store->GetInstById(4001);
    ASSERT_NE(p, nullptr);
    int x = 0, y = 0;
    EXPECT_TRUE(store->GetAttrBN(p, "x", x));
    EXPECT_TRUE(store->GetAttrBN(p, "y", y));
    EXPECT_EQ(x * 10 + y, 34);
    EXPECT_EQ(store->GetInstById(4001), p);

    CzorLoadData batch(store.get(), CzorNetStepData::MakeSourceDescr("test", 1, "today"));
    ASSERT_GE(batch.AddQuery('e', 0, store->GetEntityBN("zor_point"), nullptr, true, false), 0);
    CzorTAggr<CzorInstance> loaded;
    ASSERT_TRUE(batch.LoadEx(true, &loaded)) << store->GetLastErrorDescription();
    ASSERT_EQ(loaded.GetSize(), 2);
    EXPECT_EQ(loaded.GetAt(0), p);
    EXPECT_EQ(loaded.GetAt(1)->GetId(), 4002);
    EXPECT_EQ(batch.GetCount(), 0);  // cleared after
}

TEST_F(NetStoreTest, GetAttrFetchesOnlyWithAutoDownloadAndOnlyOnce) {
    ASSERT_TRUE(Login());
    CzorLoadData batch(store.get());
    ASSERT_GE(batch.AddQuery('b', 4002, store->GetEntityBN("zor_point"), nullptr, true, false), 0);
    CzorTAggr<CzorInstance> loaded;
    ASSERT_TRUE(batch.LoadEx(true, &loaded));
    ASSERT_EQ(loaded.GetSize(), 1);
    CzorInstance* p = loaded.GetAt(0);
    CzorAttr* ax = store->GetAttrDefinition(p->GetEntity(), "x");
    CzorAttr* ay = store->GetAttrDefinition(p->GetEntity(), "y");
    CzorValue* v = nullptr;
    EXPECT_FALSE(store->GetAttr(p, ax, &v));
    EXPECT_EQ(store->GetLastError(), zorErrNoValue);

    store->SetAutoDownloadMode(true);
    ASSERT_TRUE(store->GetAttr(p, ax, &v)) << store->GetLastErrorDescription();
    EXPECT_EQ(v->GetInt(), 5);
    EXPECT_FALSE(store->GetAttr(p, ay, &v));  // unset on the server
    EXPECT_EQ(store->GetLastError(), zorErrNoValue);
    // Asked once: with the server gone, the unset value is still known unset, without a request.
    server->Stop(false);
    sink.Clear();
    EXPECT_FALSE(store->GetAttr(p, ay, &v));
    EXPECT_EQ(store->GetLastError(), zorErrNoValue);
    EXPECT_EQ(store->GetLastZorError(), 0);
    EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(NetStoreTest, AReplyForAnotherDictionaryIsAFailureAndMergesNothing) {
    ASSERT_TRUE(Login());
    const std::string dict = config.Path() + "/other.dict";
    ASSERT_TRUE(zor::WriteFileAtomically(dict, "SCHEMA other;\nENTITY zor_point;\n x : OPTIONAL INTEGER;\nEND_ENTITY;\nEND_SCHEMA;\n"));
    CzorNetStepData target;
    ASSERT_TRUE(target.LoadDictionaryFromFile(dict.c_str()));
    CzorLoadData batch(store.get());
    batch.SetTarget(&target);
    ASSERT_GE(batch.AddQuery('a', 4001, static_cast<CzorEntity*>(nullptr), nullptr, true, false), 0);
    EXPECT_FALSE(batch.LoadEx(true, nullptr, nullptr, true));
    EXPECT_EQ(store->GetLastZorError(), zorErrBufDictionary);
    EXPECT_EQ(target.GetInstanceCount(), 0);
}

TEST_F(NetStoreTest, NetTestIsFalseOnAFailedTrip) {
    ASSERT_TRUE(Login());
    store->SetHideMode(true);
    zor::appserver::FaultRule rule;
    rule.command = zor::net::kCmdTest;
    rule.occurrence = 3;
    rule.action = zor::appserver::FaultAction::Status;
    rule.value = ZOR_NET_SRV_ERROR_PROCESSED;
    server->Server().Faults().Add(rule);
    EXPECT_FALSE(store->NET_Test(nullptr));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_SRV_ERROR_PROCESSED);
}

}  // namespace

namespace {

class ActualizingStore : public CzorNetStepData {
public:
    using CzorNetStepData::ActualizeChangedAggr;
};

// Rows of zor_table_content (sheets, childs, title) whose childs list holds the given ids.
class ActualizeTest : public NetStoreTest {
protected:
    void SetUp() override {
        NetStoreTest::SetUp();
        ASSERT_TRUE(scratch.LoadDictionary(QM_DICT_DIR "/quillmark"));
        ASSERT_TRUE(db.Open(server->Dir() + "/main" + zor::appserver::kDatabaseSuffix));
        for (int id = 5001; id <= 5005; ++id) Put(id, {});
        store = std::make_unique<ActualizingStore>();
        store->GetTransport()->SetInactivityTimeout(10000);
    }
    void Put(int id, const std::vector<int>& childs) {
        CzorAggr list(zorINSTANCE);
        for (int c : childs) {
            CzorInstance* i = scratch.CreateInstanceBN("zor_table_content");
            i->SetId(c);
            list.Add(i);
        }
        CzorValue none, l;
        l.Set(list);
        CzorDataBuf b;
        zorAppendBufValue(b, none);
        zorAppendBufValue(b, l);
        zorAppendBufValue(b, none);
        ASSERT_TRUE(db.PutInstance(id, "zor_table_content", std::vector<unsigned char>(b.GetBuffer(), b.GetBuffer() + b.GetSize())));
    }
    std::vector<int> Ids(CzorInstance* inst) {
        CzorTAggr<CzorInstance> l(8, false, false);
        store->GetAttrBN(inst, "childs", l);
        std::vector<int> ids;
        for (CzorInstance* i : l) ids.push_back(i->GetId());
        return ids;
    }
    CzorStepData scratch;
    zor::appserver::ServerDatabase db;
};

// (loaded, server, local) -> local, with a = 5001 .. e = 5005.
TEST_F(ActualizeTest, ChangedListsTakeInTheServersChanges) {
    enum { a = 5001, b, c, d, e };
    struct Case { std::vector<int> loaded, server, local, want; } cases[] = {
        {{a, b}, {a, b, c}, {a, b, d}, {a, b, d, c}},
        {{a, b}, {a}, {a, b, d}, {a, d}},
        {{a, b}, {a, b}, {b}, {b}},
        {{a, b, c}, {c, e}, {a, b, c, d}, {c, d, e}},
        {{}, {a}, {b}, {b, a}},
        {{a, a}, {a}, {a, a, b}, {a, b}},
    };
    ASSERT_TRUE(Login());
    auto& s = static_cast<ActualizingStore&>(*store);
    for (const auto& c : cases) {
        Put(4100, c.loaded);
        store->ClearData();
        CzorInstance* inst = store->GetInstById(4100);
        ASSERT_NE(inst, nullptr);
        ASSERT_EQ(Ids(inst), c.loaded);
        Put(4100, c.server);
        CzorTAggr<CzorInstance> local(8, false, false);
        for (int id : c.local) local.Add(store->GetInstById(id));
        ASSERT_TRUE(store->PutAttrBN(inst, "childs", local));
        CzorLoadData batch(store.get());
        ASSERT_TRUE(s.ActualizeChangedAggr(batch)) << store->GetLastErrorDescription();
        EXPECT_EQ(Ids(inst), c.want);
        // A second run changes nothing more.
        CzorLoadData again(store.get());
        ASSERT_TRUE(s.ActualizeChangedAggr(again));
        EXPECT_EQ(Ids(inst), c.want);
    }
    // A fetch that fails fails the whole step.
    Put(4100, {a});
    store->ClearData();
    CzorInstance* inst = store->GetInstById(4100);
    CzorTAggr<CzorInstance> local(8, false, false);
    local.Add(store->GetInstById(b));
    ASSERT_TRUE(store->PutAttrBN(inst, "childs", local));
    store->SetHideMode(true);
    server->Stop(false);
    CzorLoadData batch(store.get());
    EXPECT_FALSE(s.ActualizeChangedAggr(batch));
    EXPECT_EQ(Ids(inst), std::vector<int>{b});
}

}  // namespace

namespace {

// A load whose reply breaks off, or is cut, fails with a recorded status and merges nothing; the next
// load reconnects (after a Yes) and works.
TEST_F(NetStoreTest, BrokenLoadRepliesFailAndTheNextLoadReconnects) {
    ASSERT_TRUE(Login());
    struct Case { const char* what; zor::appserver::FaultAction action; int value; } cases[] = {
        {"closed mid-reply", zor::appserver::FaultAction::CloseAfter, 40},
        {"reset", zor::appserver::FaultAction::Reset, 0},
        {"cut payload", zor::appserver::FaultAction::CutPayload, 30},
        {"length beyond", zor::appserver::FaultAction::LengthBeyond, 0},
    };
    for (const auto& c : cases) {
        store->ClearData();
        zor::appserver::FaultRule rule;
        rule.command = zor::net::kCmdLoad;
        rule.times = 1;
        rule.action = c.action;
        rule.value = c.value;
        server->Server().Faults().Add(rule);
        store->SetHideMode(true);
        EXPECT_EQ(store->GetInstById(4001), nullptr) << c.what;
        EXPECT_NE(store->GetLastZorError(), 0) << c.what;
        EXPECT_STRNE(store->GetLastErrorDescription(), "") << c.what;
        EXPECT_EQ(store->FindLoadedById(4001), nullptr) << c.what;
        server->Server().Faults().Clear();
        store->SetHideMode(false);
        ui.answers = {true};
        CzorInstance* p = store->GetInstById(4001);
        ASSERT_NE(p, nullptr) << c.what << ": " << store->GetLastErrorDescription();
        int x = 0;
        EXPECT_TRUE(store->GetAttrBN(p, "x", x));
        EXPECT_EQ(x, 3);
    }
}

}  // namespace
