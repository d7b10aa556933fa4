// The keep-alive against our server with a fake timer, unique temporary names across processes,
// and the sorting of instance lists.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "platform/base/file_io.h"
#include "platform/tests/transport/server_fixture.h"
#include "platform/ui/messages.h"
#include "platform/zordata/zordata.h"
#include "zorStepData/CzorData_Client/keep_alive.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/net_ui.h"

using namespace zor::test;

namespace {

struct FakeTimer : zor::net::IKeepAliveTimer {
    int starts = 0, stops = 0, period = 0;
    std::function<void()> fire;
    void Start(int ms, std::function<void()> f) override {
        ++starts;
        period = ms;
        fire = std::move(f);
    }
    void Stop() override {
        ++stops;
        fire = nullptr;
    }
};

struct CountingUi : zor::net::BatchNetUi {
    int retryDialogs = 0;
    int RunRetryDialog(CDlgTransportError& dlg) override {
        ++retryDialogs;
        return BatchNetUi::RunRetryDialog(dlg);
    }
};

TEST(NetKeepAlive, IdleSendsOneRenewPerTickBusySendsNoneAndAnOfferShowsNoDialog) {
    ScopedTempDir config;
    ::setenv("ZOR_TRANSPORT_INI", (config.Path() + "/ZorTransport.ini").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    InProcessServer server;
    ASSERT_TRUE(zor::WriteFileAtomically(config.Path() + "/ZorTransport.ini",
                                         "[ConnectionsList]\n0=test=127.0.0.1:" + std::to_string(server.Port()) + "/main\n"));
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scopedSink(&sink);
    CountingUi ui;
    zor::net::INetUi* oldUi = zor::net::SetNetUi(&ui);
    FakeTimer timer;
    zor::net::KeepAlive::Instance().SetTimer(&timer);
    {
        CzorNetStepData store;
        store.GetTransport()->SetInactivityTimeout(10000);
        ASSERT_TRUE(store.NET_Connect("user", "pw", "test")) << store.GetLastErrorDescription();
        EXPECT_EQ(timer.period, zor::net::KeepAlive::kPeriodMs);
        ASSERT_TRUE(timer.fire);
        // Every request starts the minute again.
        const int starts = timer.starts;
        double date = 0;
        ASSERT_TRUE(store.NET_GetServerDateTime(date));
        EXPECT_EQ(timer.starts, starts + 1);

        // The first renew gets a failure with a retry offer, the second a reset.
        zor::appserver::FaultRule offer;
        offer.command = zor::net::kCmdSaveChanges;
        offer.occurrence = 1;
        offer.value = ZOR_NET_SRV_ERROR_PROCESSED;
        offer.offer = true;
        server.Server().Faults().Add(offer);
        zor::appserver::FaultRule reset;
        reset.command = zor::net::kCmdSaveChanges;
        reset.occurrence = 2;
        reset.action = zor::appserver::FaultAction::Reset;
        server.Server().Faults().Add(reset);

        timer.fire();  // idle: renew 1
        EXPECT_EQ(ui.retryDialogs, 0);
        EXPECT_EQ(store.GetLastZorError(), 0);
        EXPECT_TRUE(sink.Messages().empty());
        EXPECT_TRUE(store.GetTransport()->IsConnected());

        // Busy: a tick in the middle of a call sends nothing (else it would be renew 2, the reset).
        zor::appserver::FaultRule slow;
        slow.command = zor::net::kCmdServerDateTime;
        slow.action = zor::appserver::FaultAction::Delay;
        slow.value = 300;
        server.Server().Faults().Add(slow);
        int ticks = 0;
        store.GetTransport()->SetPumpHook([&] {
            if (timer.fire && ticks++ < 3) timer.fire();
        });
        EXPECT_TRUE(store.NET_GetServerDateTime(date));
        store.GetTransport()->SetPumpHook(nullptr);
        EXPECT_GT(ticks, 0);
        EXPECT_TRUE(store.GetTransport()->IsConnected());

        timer.fire();  // idle again: renew 2 meets the reset
        EXPECT_FALSE(store.GetTransport()->IsConnected());
        EXPECT_EQ(ui.retryDialogs, 0);
        store.SetHideMode(true);
    }
    // The store that went is no longer the session: a tick does nothing.
    EXPECT_EQ(zor::net::KeepAlive::Instance().Session(), nullptr);
    zor::net::KeepAlive::Instance().RenewSession();
    zor::net::KeepAlive::Instance().SetTimer(nullptr);
    zor::net::SetNetUi(oldUi);
    ::unsetenv("ZOR_TRANSPORT_INI");
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(NetTempNames, TwoProcessesNeverShareAName) {
    ScopedTempDir dir;
    const std::string folder = dir.Path() + "/";
    // A number already taken is skipped.
    ASSERT_TRUE(zor::WriteFileAtomically(folder + "t0.dict", "x"));
    std::string first;
    EXPECT_GE(zor::net::MakeUniqueTempFileName(folder.c_str(), "t", "dict", &first), 1);
    EXPECT_NE(first, folder + "t0.dict");
    pid_t kids[2];
    for (int k = 0; k < 2; ++k) {
        kids[k] = ::fork();
        if (kids[k] == 0) {
            std::ofstream out(folder + "names" + std::to_string(k));
            for (int i = 0; i < 1000; ++i) {
                std::string name;
                if (zor::net::MakeUniqueTempFileName(folder.c_str(), "t", "dict", &name) < 0) ::_exit(1);
                out << name << "\n";
            }
            out.close();
            ::_exit(out ? 0 : 1);
        }
    }
    for (pid_t kid : kids) {
        int st = 0;
        ASSERT_EQ(::waitpid(kid, &st, 0), kid);
        EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
    }
    std::set<std::string> all;
    size_t count = 0;
    for (int k = 0; k < 2; ++k) {
        std::ifstream in(folder + "names" + std::to_string(k));
        for (std::string line; std::getline(in, line); ++count) all.insert(line);
    }
    EXPECT_EQ(count, 2000u);
    EXPECT_EQ(all.size(), 2000u);
    struct stat st {};
    ASSERT_EQ(::stat(first.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::string none;
    EXPECT_EQ(zor::net::MakeUniqueTempFileName("/nonexistent-folder/", "t", "dict", &none), -1);
    EXPECT_TRUE(none.empty());
}

TEST(NetSort, ByIdByPointerAndNeighbourRepeats) {
    CzorStepData store;
    ASSERT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark"));
    CzorInstance* a = store.CreateInstanceBN("zor_point");
    CzorInstance* b = store.CreateInstanceBN("zor_point");
    CzorInstance* c = store.CreateInstanceBN("zor_point");
    a->SetId(7);
    b->SetId(5);
    c->SetId(5);
    EXPECT_EQ(CSortClass::CompareInstId(b, a), -1);
    EXPECT_EQ(CSortClass::CompareInstId(a, b), 1);
    EXPECT_EQ(CSortClass::CompareInstId(b, c), 0);
    CzorTAggr<CzorInstance> list(8, false, false);
    list.Add(a);
    list.Add(a);
    list.Add(b);
    list.Add(a);
    CSortClass::MakeExtUnique(list);
    ASSERT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list.GetAt(0), a);
    EXPECT_EQ(list.GetAt(1), b);
    EXPECT_EQ(list.GetAt(2), a);
    CSortClass::SortInstById(list);
    EXPECT_EQ(list.GetAt(0), b);
    EXPECT_EQ(list.GetAt(2), a);
    CSortClass::SortInstByInst(list);
    CSortClass::MakeExtUnique(list);
    EXPECT_EQ(list.GetSize(), 2);
    EXPECT_LT(CSortClass::CompareInst(list.GetAt(0), list.GetAt(1)), 0);
}

}  // namespace
