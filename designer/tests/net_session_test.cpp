// The designer's keep-alive with a fake clock against our server: installed while the services
// live, one renew per idle minute, none while a call is under way, and the pump hook that keeps
// windows live; everything put back when the services go.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "controls/tests/gui_test_app.h"
#include "designer/net_session_services.h"
#include "platform/base/file_io.h"
#include "platform/tests/transport/server_fixture.h"
#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/net_ui.h"

using namespace zor::test;

namespace {

// A clock the test moves: each Advance runs the timer's ticks that fall due.
struct FakeClock : zor::net::IKeepAliveTimer {
    long long now = 0, due = -1;
    int period = 0;
    std::function<void()> fire;
    void Start(int ms, std::function<void()> f) override {
        period = ms;
        due = now + ms;
        fire = std::move(f);
    }
    void Stop() override {
        due = -1;
        fire = nullptr;
    }
    void Advance(long long ms) {
        const long long end = now + ms;
        while (due >= 0 && due <= end) {
            now = due;
            due += period;
            if (fire) fire();
        }
        now = end;
    }
};

bool Pumped() {
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    zor::net::PumpTimerPaint();
    const bool result = ran;
    // Whatever the pump left for later runs now, so the lambda never outlives `ran`.
    QCoreApplication::processEvents();
    return result;
}

TEST(DesignerNetSession, KeepAliveOnTheFakeClockAndThePumpHookWhileInstalled) {
    EnsureGuiApplication();
    ScopedTempDir config;
    ::setenv("ZOR_TRANSPORT_INI", (config.Path() + "/ZorTransport.ini").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    InProcessServer server;
    ASSERT_TRUE(zor::WriteFileAtomically(config.Path() + "/ZorTransport.ini",
                                         "[ConnectionsList]\n0=test=127.0.0.1:" + std::to_string(server.Port()) + "/main\n"));
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scopedSink(&sink);
    zor::net::BatchNetUi ui;
    zor::net::INetUi* oldUi = zor::net::SetNetUi(&ui);
    FakeClock clock;
    {
        quillmark::CNetSessionServices services(&clock);
        // The designer's windows stand in for the batch answers while the services are installed.
        EXPECT_NE(&zor::net::NetUi(), static_cast<zor::net::INetUi*>(&ui));
        CzorNetStepData store;
        store.GetTransport()->SetInactivityTimeout(10000);
        ASSERT_TRUE(store.NET_Connect("user", "pw", "test")) << store.GetLastErrorDescription();
        EXPECT_EQ(clock.period, zor::net::KeepAlive::kPeriodMs);

        // Renews (command 31) 1 and 2 are answered; the third meets a reset, so the number of
        // renews sent shows in the connection.
        zor::appserver::FaultRule reset;
        reset.command = zor::net::kCmdSaveChanges;
        reset.occurrence = 3;
        reset.action = zor::appserver::FaultAction::Reset;
        server.Server().Faults().Add(reset);
        clock.Advance(59999);
        EXPECT_TRUE(store.GetTransport()->IsConnected());
        clock.Advance(1);  // renew 1
        double date = 0;
        clock.Advance(30000);
        ASSERT_TRUE(store.NET_GetServerDateTime(date));  // a request starts the minute again
        clock.Advance(59999);
        EXPECT_TRUE(store.GetTransport()->IsConnected());
        clock.Advance(1);  // renew 2
        EXPECT_TRUE(store.GetTransport()->IsConnected());
        EXPECT_TRUE(sink.Messages().empty());
        EXPECT_EQ(store.GetLastZorError(), 0);

        // Busy: ticks that fall in the middle of a call send nothing.
        zor::appserver::FaultRule slow;
        slow.command = zor::net::kCmdServerDateTime;
        slow.action = zor::appserver::FaultAction::Delay;
        slow.value = 300;
        slow.times = 1;
        server.Server().Faults().Add(slow);
        int ticks = 0;
        store.GetTransport()->SetPumpHook([&] {
            if (ticks++ < 3) clock.Advance(zor::net::KeepAlive::kPeriodMs);
        });
        EXPECT_TRUE(store.NET_GetServerDateTime(date));
        store.GetTransport()->SetPumpHook(nullptr);
        EXPECT_GT(ticks, 0);
        EXPECT_TRUE(store.GetTransport()->IsConnected());

        clock.Advance(zor::net::KeepAlive::kPeriodMs);  // renew 3 meets the reset
        EXPECT_FALSE(store.GetTransport()->IsConnected());
        EXPECT_TRUE(sink.Messages().empty());

        EXPECT_TRUE(Pumped());
        store.SetHideMode(true);
    }
    // Put back: no timer, no pump.
    EXPECT_EQ(zor::net::KeepAlive::Instance().SetTimer(nullptr), nullptr);
    EXPECT_FALSE(Pumped());
    EXPECT_EQ(&zor::net::NetUi(), static_cast<zor::net::INetUi*>(&ui));
    zor::net::SetNetUi(oldUi);
    ::unsetenv("ZOR_TRANSPORT_INI");
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
