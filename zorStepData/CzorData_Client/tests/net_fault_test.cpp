// The networked store against the server program on 127.0.0.1 when things go wrong: the server
// killed in the middle of a blob write, a blob read or a load reply; restarted between two loads;
// a stalled blob portion ended by the Abort button. Each failure is false with a recorded status
// and text, merges and stores nothing, leaves the target file as it was and no temporary file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"

using namespace zor::test;

namespace {

constexpr long MiB = 0x100000;

std::vector<std::string> Files(const std::string& dir) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

class NetFaultTest : public ServerProgramTest {
protected:
    void SetUp() override {
        ServerProgramTest::SetUp();
        bytes = std::string(static_cast<size_t>(3 * MiB + 7), '\0');
        std::mt19937 rng(5);
        for (auto& c : bytes) c = static_cast<char>(rng());
    }
    void PrepareDatabase() override {
        zor::appserver::ServerDatabase db;
        ASSERT_TRUE(db.Open(data.Path() + "/main" + zor::appserver::kDatabaseSuffix));
        CzorDataBuf b;
        CzorValue x, y;
        x.Set(3);
        y.Set(4);
        zorAppendBufValue(b, x);
        zorAppendBufValue(b, y);
        ASSERT_TRUE(db.PutInstances({{4001, "zor_point", std::vector<unsigned char>(b.GetBuffer(), b.GetBuffer() + b.GetSize())}}));
    }
    // A new store logged in (its login downloads the dictionary: one 24, one 22, one 21; and loads
    // the current user: one 43), with a string attribute to hold blob names.
    void NewStore() {
        store = std::make_unique<CzorNetStepData>();
        store->GetTransport()->SetInactivityTimeout(20000);
        ASSERT_TRUE(store->NET_Connect("user", "pw", "test")) << store->GetLastErrorDescription();
        holder = store->CreateInstanceBN("zor_table_content");
        holder->SetId(4500);
        attr = store->GetAttrDefinition(holder->GetEntity(), "title");
        ASSERT_NE(attr, nullptr);
    }
    std::string Name() {
        std::string n;
        store->GetAttr(holder, attr, n);
        return n;
    }
    bool Save() {
        long checksum = 0;
        return store->NET_SaveFileFromMemory(holder, attr, reinterpret_cast<const unsigned char*>(bytes.data()),
                                             static_cast<long>(bytes.size()), checksum, nullptr);
    }
    // The same when the transfer is about to ask for portion `call` (the server stalls on it).
    void InPortion(int call, std::function<void()> what) {
        ui.percentCalls = 0;
        ui.onPercent = [this, call, what](int n) {
            if (n == call) Later(300, what);
        };
    }
    void ExpectFailureRecorded(const char* what) {
        EXPECT_NE(store->GetLastZorError(), 0) << what;
        EXPECT_STRNE(store->GetLastErrorDescription(), "") << what;
    }
    std::string Blobs() const { return data.Path() + "/main" + zor::appserver::kDatabaseSuffix + ".blobs"; }
    std::string Out() const { return config.Path() + "/out.bin"; }

    CzorInstance* holder = nullptr;
    CzorAttr* attr = nullptr;
    std::string bytes;
};

TEST_F(NetFaultTest, TheServerKilledInABlobWriteABlobReadAndALoadReply) {
    // In portion 2 of a four-portion write: no blob, not even a part of one.
    Restart("23:2:stall:0");
    NewStore();
    store->SetHideMode(true);
    InPortion(2, [this] { proc->Kill(SIGKILL); });
    EXPECT_FALSE(Save());
    Join();
    ExpectFailureRecorded("write");
    EXPECT_EQ(Name(), "");
    EXPECT_EQ(Files(Blobs()), std::vector<std::string>{});

    // In portion 2 of a read (the third 22 of the server's life): the target as it was.
    Restart("");
    NewStore();
    ui.onPercent = nullptr;
    ASSERT_TRUE(Save()) << store->GetLastErrorDescription();
    const std::string name = Name();
    Restart("22:3:stall:0");
    NewStore();
    store->SetHideMode(true);
    ASSERT_TRUE(zor::WriteFileAtomically(Out(), "mine"));
    const auto before = Files(config.Path());
    ui.answers = {true};  // replace it
    InPortion(2, [this] { proc->Kill(SIGKILL); });
    EXPECT_FALSE(store->NET_LoadFileFromSrv(name.c_str(), Out().c_str(), nullptr));
    Join();
    ExpectFailureRecorded("read");
    EXPECT_EQ(Slurp(Out()), "mine");
    EXPECT_EQ(Files(config.Path()), before);

    // In the reply of a load (the second 43: the first loaded the current user): nothing merged.
    ui.onPercent = nullptr;
    Restart("43:2:stall:0");
    NewStore();
    store->SetHideMode(true);
    const int count = store->GetInstanceCount();
    Later(500, [this] { proc->Kill(SIGKILL); });
    EXPECT_EQ(store->GetInstById(4001), nullptr);
    Join();
    ExpectFailureRecorded("load");
    EXPECT_EQ(store->FindLoadedById(4001), nullptr);
    EXPECT_EQ(store->GetInstanceCount(), count);
}

TEST_F(NetFaultTest, ARestartBetweenTwoLoadsIsReconnectedAndTheNextLoadWorks) {
    NewStore();
    ASSERT_NE(store->GetInstById(4001), nullptr);
    store->ClearData();
    Restart("");
    ui.answers = {true};  // reconnect?
    CzorInstance* p = store->GetInstById(4001);
    ASSERT_NE(p, nullptr) << store->GetLastErrorDescription();
    int x = 0;
    EXPECT_TRUE(store->GetAttrBN(p, "x", x));
    EXPECT_EQ(x, 3);
    EXPECT_TRUE(store->IsConnected());
}

// The Abort button while the server holds back a portion's reply: the call breaks with 183, the
// transfer is ended on the same connection, and the next operation works.
TEST_F(NetFaultTest, AStalledBlobPortionEndedByAbort) {
    const auto abort = [this] {
        ui.aborted = true;
        store->GetTransport()->SetBreak(true);
    };
    Restart("23:2:stall:0,22:4:stall:0");
    NewStore();
    InPortion(2, abort);
    EXPECT_FALSE(Save());
    Join();
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_BREAK);
    EXPECT_EQ(Name(), "");
    EXPECT_EQ(Files(Blobs()), std::vector<std::string>{});
    ui.aborted = false;
    ui.onPercent = nullptr;
    double date = 0;
    EXPECT_TRUE(store->NET_GetServerDateTime(date)) << store->GetLastErrorDescription();

    // A read: the dictionary was the first 22, this blob's portions are the next.
    ASSERT_TRUE(Save()) << store->GetLastErrorDescription();
    const std::string name = Name();
    long size = 0;
    ASSERT_TRUE(store->NET_GetBlobSize(holder, attr, size, nullptr));
    ASSERT_TRUE(zor::WriteFileAtomically(Out(), "mine"));
    const auto before = Files(config.Path());
    ui.answers = {true};
    // Portions 1 and 2 are the server's 22s number 2 and 3; it stalls on portion 3.
    InPortion(3, abort);
    EXPECT_FALSE(store->NET_LoadFileFromSrv(name.c_str(), Out().c_str(), nullptr));
    Join();
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_BREAK);
    EXPECT_EQ(Slurp(Out()), "mine");
    EXPECT_EQ(Files(config.Path()), before);
    ui.aborted = false;
    ui.onPercent = nullptr;
    EXPECT_TRUE(store->NET_GetServerDateTime(date)) << store->GetLastErrorDescription();
    ui.answers = {true};
    ASSERT_TRUE(store->NET_LoadFileFromSrv(name.c_str(), Out().c_str(), nullptr)) << store->GetLastErrorDescription();
    EXPECT_EQ(Slurp(Out()), bytes);
}

}  // namespace
