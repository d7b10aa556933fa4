#pragma once
// A server of ours with database "main" holding two points, the settings files in a private folder,
// a store whose boxes and questions are recorded, and a network UI with scripted answers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "platform/appserver/database.h"
#include "platform/base/file_io.h"
#include "platform/base/scramble.h"
#include "platform/tests/transport/server_fixture.h"
#include "platform/ui/messages.h"
#include "platform/zordata/zordata.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/net_ui.h"

namespace zor::test {

// The network UI with scripted answers: questions answered from a queue (No when it is empty),
// login dialogs run from a queue (Cancel when it is empty); everything asked is recorded.
struct ScriptedUi : zor::net::INetUi {
    // The progress window: how often it opened, the percentages it was given, and the call of
    // SetPercent (counted over all windows, from 1) at which the user aborts.
    struct Progress : zor::net::ITransferProgress {
        ScriptedUi& ui;
        explicit Progress(ScriptedUi& u) : ui(u) {}
        bool SetPercent(int percent) override {
            ui.percents.push_back(percent);
            if (ui.onPercent) ui.onPercent(ui.percentCalls + 1);
            return ++ui.percentCalls == ui.abortAtCall || ui.aborted;
        }
    };
    int progressShown = 0, percentCalls = 0, abortAtCall = -1;
    // Called on the transfer's thread before each portion with the call's number; and the Abort
    // button as another thread presses it (the window then also breaks the call under way).
    std::function<void(int call)> onPercent;
    std::atomic<bool> aborted{false};
    std::vector<int> percents;
    std::unique_ptr<zor::net::ITransferProgress> StartTransferProgress(const std::string&) override {
        ++progressShown;
        return std::make_unique<Progress>(*this);
    }
    std::deque<bool> answers;
    std::deque<zor::net::LoginDialogData> logins;
    std::vector<std::string> asked, told;
    int dialogs = 0;
    int RunRetryDialog(CDlgTransportError&) override { return 0; }
    bool Ask(const std::string& text, const std::string&) override {
        asked.push_back(text);
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void Tell(const std::string& text, const std::string&, unsigned) override { told.push_back(text); }
    bool RunLoginDialog(zor::net::LoginDialogData& d) override {
        ++dialogs;
        if (logins.empty()) return false;
        const auto next = logins.front();
        logins.pop_front();
        d.user = next.user;
        d.password = next.password;
        d.index = next.index;
        return true;
    }
};

// A server with database "main" holding a few instances, the settings files in a private folder,
// and a store with boxes recorded.
class NetStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("ZOR_TRANSPORT_INI", (config.Path() + "/ZorTransport.ini").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
        server = std::make_unique<InProcessServer>();
        WriteConnections({"test=127.0.0.1:" + std::to_string(server->Port()) + "/main",
                          "nobase=127.0.0.1:" + std::to_string(server->Port()) + "/nosuch"});
        FillDatabase();
        store = std::make_unique<CzorNetStepData>();
        store->GetTransport()->SetInactivityTimeout(10000);
    }
    void TearDown() override {
        store.reset();
        ::unsetenv("ZOR_TRANSPORT_INI");
        ::unsetenv("XDG_CONFIG_HOME");
    }
    void WriteConnections(const std::vector<std::string>& values) {
        std::string text = "[ConnectionsList]\n";
        for (size_t i = 0; i < values.size(); ++i) text += std::to_string(i) + "=" + values[i] + "\n";
        ASSERT_TRUE(zor::WriteFileAtomically(config.Path() + "/ZorTransport.ini", text));
    }
    // Points 4001 (3, 4) and 4002 (5, unset), a sheet element list 4003 -> [4001, 4002].
    void FillDatabase() {
        CzorStepData dict;
        ASSERT_TRUE(dict.LoadDictionary(QM_DICT_DIR "/quillmark"));
        const auto row = [&](int32_t id, const char* entity, const std::vector<CzorValue>& values) {
            CzorDataBuf b;
            for (const auto& v : values) zorAppendBufValue(b, v);
            rows.push_back({id, entity, std::vector<unsigned char>(b.GetBuffer(), b.GetBuffer() + b.GetSize())});
        };
        CzorValue x, y, none;
        x.Set(3);
        y.Set(4);
        row(4001, "zor_point", {x, y});
        x.Set(5);
        row(4002, "zor_point", {x, none});
        zor::appserver::ServerDatabase db;
        ASSERT_TRUE(db.Open(server->Dir() + "/main" + zor::appserver::kDatabaseSuffix));
        ASSERT_TRUE(db.PutInstances(rows));
    }
    bool Login(const char* user = "user", const char* password = "pw") {
        return store->NET_Connect(user, password, "test");
    }

    ScopedTempDir config;
    std::unique_ptr<InProcessServer> server;
    std::vector<zor::appserver::InstanceRow> rows;
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scopedSink{&sink};
    ScriptedUi ui;
    zor::net::INetUi* oldUi = zor::net::SetNetUi(&ui);
    std::unique_ptr<CzorNetStepData> store;

    ~NetStoreTest() override { zor::net::SetNetUi(oldUi); }
};


// "user", owner of three new saved points (x = 10, 11, 12), and "other" (password "pw2"), both
// moved into `group` (0 for none), out of the reserved group whose members own everything; the
// other user has a store of his own, connected.
class TwoUsersTest : public NetStoreTest {
protected:
    void SetUpTwoUsers(int32_t group) {
        {
            zor::appserver::ServerDatabase db;
            ASSERT_TRUE(db.Open(server->Dir() + "/main" + zor::appserver::kDatabaseSuffix));
            ASSERT_TRUE(db.SetUser("other", "pw2", false));
            for (const char* n : {"user", "other"}) {
                auto u = db.FindUser(n);
                ASSERT_TRUE(u);
                u->group = group;
                ASSERT_TRUE(db.PutInstance(u->id, "zor_user", zor::appserver::EncodeUser(*u)));
            }
            userId = db.FindUser("user")->id;
            otherId = db.FindUser("other")->id;
        }
        ASSERT_TRUE(Login());
        store->SetNetErrorMessageMode(false);
        for (int x : {10, 11, 12}) {
            CzorInstance* p = store->CreateInstanceBN("zor_point");
            store->PutAttrBN(p, "x", x);
            made.push_back(p);
        }
        ASSERT_TRUE(store->NET_SaveChanges(nullptr)) << store->GetLastErrorDescription();
        for (CzorInstance* p : made) ids.push_back(p->GetId());
        other = std::make_unique<CzorNetStepData>();
        other->GetTransport()->SetInactivityTimeout(10000);
        ASSERT_TRUE(other->NET_Connect("other", "pw2", "test"));
        other->SetNetErrorMessageMode(false);
    }
    void TearDown() override {
        other.reset();
        NetStoreTest::TearDown();
    }

    // The points a store gets by loading their extent afresh, with their states, by id.
    static std::map<int, int> LoadedPoints(CzorNetStepData& s) {
        s.ClearData();
        zor_NET_LoadQuery q;
        q._type = 'e';
        q._ent_id = s.GetEntityBN("zor_point")->GetId();
        CzorTAggr<CzorInstance> loaded(8, false, false);
        EXPECT_TRUE(s.NET_Load(&q, 1, &loaded, nullptr, nullptr, {})) << s.GetLastErrorDescription();
        std::map<int, int> out;
        for (CzorInstance* i : loaded) out[i->GetId()] = i->GetState();
        return out;
    }
    // How many points a search for x = 10 finds.
    static int SearchedPoints(CzorNetStepData& s) {
        CzorAttrValue crit(s.GetAttrDefinition(s.GetEntityBN("zor_point"), "x"));
        crit.m_Value.Set(10);
        CzorTAggr<CzorInstance> found(8, false, false);
        return s.NET_FindInstancesWithAttrValues(s.GetEntityBN("zor_point"), 1, &crit, found, false, false, nullptr,
                                                 zorBindContains);
    }
    // The points a query for x above 9 returns, with their states, by id.
    static std::map<int, int> QueriedPoints(CzorNetStepData& s) {
        std::string text = "select a from a{zor_point .x > 9} end_select", error;
        std::map<int, int> out;
        EXPECT_TRUE(s.NET_QueryEditParse(text, false, &error)) << error;
        CzorTAggr<CzorInstance> result(8, false, false);
        EXPECT_TRUE(s.NET_QueryExecute(result)) << s.GetLastErrorDescription();
        for (CzorInstance* i : result) out[i->GetId()] = i->GetState();
        return out;
    }

    int32_t userId = 0, otherId = 0;
    std::vector<CzorInstance*> made;
    std::vector<int32_t> ids;
    std::unique_ptr<CzorNetStepData> other;
};


// The server program (not in-process) on a database of its own, with the connection "test" to it,
// the scripted answers and a recording message sink; `Later` runs something from another thread
// while a request waits, `Restart` kills the program and starts it again on the same port.
class ServerProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("ZOR_TRANSPORT_INI", (config.Path() + "/ZorTransport.ini").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
        MakeDatabase(data.Path());
        PrepareDatabase();
        if (HasFatalFailure()) return;
        proc = std::make_unique<ServerProcess>(data.Path());
        port = proc->Port();
        ASSERT_NE(port, 0);
        ASSERT_TRUE(zor::WriteFileAtomically(config.Path() + "/ZorTransport.ini",
                                             "[ConnectionsList]\n0=test=127.0.0.1:" + std::to_string(port) + "/main\n"));
    }
    // What the database holds beyond the built-in users before the program starts.
    virtual void PrepareDatabase() {}
    void TearDown() override {
        Join();
        store.reset();
        proc.reset();
        ::unsetenv("ZOR_TRANSPORT_INI");
        ::unsetenv("XDG_CONFIG_HOME");
    }
    // The server program again on the same port, with these faults (counted from its start).
    void Restart(const std::string& faults) {
        Join();
        proc->Kill(SIGKILL);
        proc->Start(port, faults);
    }
    // After `ms`, from another thread: `what`.
    void Later(int ms, std::function<void()> what) {
        Join();
        helper = std::thread([ms, what = std::move(what)] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            what();
        });
    }
    void Join() {
        if (helper.joinable()) helper.join();
    }

    ScopedTempDir data, config;
    std::unique_ptr<ServerProcess> proc;
    int port = 0;
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scopedSink{&sink};
    ScriptedUi ui;
    zor::net::INetUi* oldUi = zor::net::SetNetUi(&ui);
    std::unique_ptr<CzorNetStepData> store;
    std::thread helper;

    ~ServerProgramTest() override { zor::net::SetNetUi(oldUi); }
};

}  // namespace zor::test
