// The socket client against our server on 127.0.0.1: calls, breaks, timeouts, lost connections.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/tests/transport/server_fixture.h"
#include "platform/transport/socket_client.h"

using namespace zor::net;
using zor::appserver::FaultAction;
using zor::appserver::FaultRule;
using zor::test::InProcessServer;

namespace {

struct Answer {
    bool ok = false;
    int tkv = 0;
    std::vector<unsigned char> reply;
};

Answer Send(CzorSocketClient& c, std::vector<unsigned char> msg) {
    unsigned char* p = msg.data();
    int n = static_cast<int>(msg.size());
    Answer a;
    a.ok = c.Call(p, n, nullptr, 0, true, true);
    a.tkv = c.GetLastTkvError();
    if (a.ok) a.reply.assign(p, p + n);
    return a;
}

int32_t StatusOf(const std::vector<unsigned char>& reply) {
    // version, command, n, signature, status
    if (reply.size() < 12) return -1;
    const int32_t n = LoadI32(reply.data() + 8);
    return reply.size() >= 16 + static_cast<size_t>(n) ? LoadI32(reply.data() + 12 + n) : -1;
}

void Login(CzorSocketClient& c) {
    auto a = Send(c, zor::test::RequestMessage(2, kCmdLogin, "lb", zor::test::LoginPayload("user", "pw", "main")));
    ASSERT_TRUE(a.ok);
    ASSERT_EQ(StatusOf(a.reply), 0);
}

std::vector<unsigned char> Echo(size_t size, unsigned char fill) {
    return zor::test::RequestMessage(2, kCmdTest, "lb", zor::test::Field(std::vector<unsigned char>(size, fill)));
}

}  // namespace

TEST(SocketClient, ConnectFailuresSayWhy) {
    CzorSocketClient c;
    c.SetConnectTimeout(2000);
    // A port nobody listens on: refused at once, "no answer".
    InProcessServer s;
    const int port = s.Port();
    s.Stop(false);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(c.Connect("127.0.0.1", port));
    EXPECT_EQ(c.GetLastTkvError(), TKV_NO_ANSWER);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_FALSE(c.Connect("no-such-host.invalid", 7239));
    EXPECT_EQ(c.GetLastTkvError(), TKV_UNRESOLVED);
    EXPECT_FALSE(c.IsConnected());
    unsigned char* p = nullptr;
    int n = 0;
    EXPECT_FALSE(c.Call(p, n, nullptr, 0, true, true));
    EXPECT_EQ(c.GetLastTkvError(), TKV_NOT_CONNECTED);
}

TEST(SocketClient, CallCarriesOneRequestAndItsReply) {
    InProcessServer s;
    CzorSocketClient c;
    ASSERT_TRUE(c.Connect("127.0.0.1", s.Port()));
    Login(c);
    for (size_t size : {size_t(0), size_t(1), size_t(65536), size_t(1) << 20}) {
        auto a = Send(c, Echo(size, 0x5A));
        ASSERT_TRUE(a.ok) << size;
        EXPECT_EQ(StatusOf(a.reply), 0);
        EXPECT_EQ(a.reply.size(), 12 + 2 + 4 + 2 + 4 + size);
    }
}

TEST(SocketClient, BreakFromAnotherThreadAndTheNextRequestGetsItsOwnReply) {
    InProcessServer s;
    CzorSocketClient c;
    ASSERT_TRUE(c.Connect("127.0.0.1", s.Port()));
    Login(c);
    s.Server().Faults().Add({kCmdTest, 0, 0, FaultAction::Delay, 600, false, 1});
    std::thread breaker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        c.SetBreak(true);
    });
    auto a = Send(c, Echo(10, 1));
    breaker.join();
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.tkv, TKV_BREAK);
    EXPECT_TRUE(c.IsConnected());
    // The late reply to the broken request arrives first and is thrown away.
    auto b = Send(c, Echo(20, 2));
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.reply.size(), 12u + 2 + 4 + 2 + 4 + 20);
}

TEST(SocketClient, InactivityTimeoutEndsAStalledCall) {
    InProcessServer s;
    CzorSocketClient c;
    c.SetInactivityTimeout(300);
    ASSERT_TRUE(c.Connect("127.0.0.1", s.Port()));
    Login(c);
    s.Server().Faults().Add({kCmdTest, 0, 0, FaultAction::Stall, 0, false, 1});
    auto a = Send(c, Echo(1, 1));
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.tkv, TKV_TIMEOUT);
    auto b = Send(c, Echo(2, 2));
    EXPECT_TRUE(b.ok);
}

TEST(SocketClient, ANestedCallFromThePumpIsRefused) {
    InProcessServer s;
    CzorSocketClient c;
    ASSERT_TRUE(c.Connect("127.0.0.1", s.Port()));
    Login(c);
    s.Server().Faults().Add({kCmdTest, 0, 0, FaultAction::Delay, 200, false, 1});
    std::atomic<int> nested{-1};
    c.SetPumpHook([&] {
        if (nested >= 0) return;
        auto msg = Echo(1, 1);
        unsigned char* p = msg.data();
        int n = static_cast<int>(msg.size());
        nested = c.Call(p, n, nullptr, 0, true, true) ? 0 : c.GetLastTkvError();
    });
    auto a = Send(c, Echo(3, 3));
    EXPECT_TRUE(a.ok);
    EXPECT_EQ(nested, TKV_BUSY);
}

TEST(SocketClient, LostConnectionsAndHostileFrames) {
    struct Case { const char* what; FaultRule rule; int tkv; bool stopped; };
    const std::vector<Case> cases = {
        {"reset", {kCmdTest, 0, 0, FaultAction::Reset, 0, false, 1}, TKV_CONNECTION_LOST, false},
        {"closed after 0 bytes", {kCmdTest, 0, 0, FaultAction::CloseAfter, 0, false, 1}, TKV_CONNECTION_LOST, false},
        {"closed after 3 bytes", {kCmdTest, 0, 0, FaultAction::CloseAfter, 3, false, 1}, TKV_CONNECTION_LOST, false},
        {"closed after 11 bytes", {kCmdTest, 0, 0, FaultAction::CloseAfter, 11, false, 1}, TKV_CONNECTION_LOST, false},
        {"closed after the header", {kCmdTest, 0, 0, FaultAction::CloseAfter, 16, false, 1}, TKV_CONNECTION_LOST, false},
        {"closed mid-payload", {kCmdTest, 0, 0, FaultAction::CloseAfter, 30, false, 1}, TKV_CONNECTION_LOST, false},
        {"stopping notice", {kCmdTest, 0, 0, FaultAction::StoppingNotice, 0, false, 1}, TKV_CONNECTION_LOST, true},
        {"huge frame length", {kCmdTest, 0, 0, FaultAction::HugeFrame, 0, false, 1}, TKV_PROTOCOL, false},
    };
    for (const auto& k : cases) {
        InProcessServer s;
        CzorSocketClient c;
        c.SetInactivityTimeout(5000);
        ASSERT_TRUE(c.Connect("127.0.0.1", s.Port()));
        Login(c);
        s.Server().Faults().Add(k.rule);
        auto a = Send(c, Echo(100, 7));
        EXPECT_FALSE(a.ok) << k.what;
        EXPECT_EQ(a.tkv, k.tkv) << k.what;
        EXPECT_EQ(c.m_bServerStopped, k.stopped) << k.what;
        EXPECT_FALSE(c.IsConnected()) << k.what;
        EXPECT_TRUE(c.TakeConnectionLost()) << k.what;
        EXPECT_FALSE(c.TakeConnectionLost()) << k.what;
    }
}

TEST(SocketClient, AStoppingServerIsSeenWhileIdle) {
    InProcessServer s;
    CzorSocketClient c;
    ASSERT_TRUE(c.Connect("127.0.0.1", s.Port()));
    Login(c);
    s.Stop(true);
    bool connected = true;
    for (int i = 0; i < 100 && connected; ++i) {  // at most 2 s
        connected = c.IsConnected();
        if (connected) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_FALSE(connected);
    EXPECT_TRUE(c.m_bServerStopped);
    EXPECT_TRUE(c.TakeConnectionLost());
}

TEST(SocketClient, TransportErrorTexts) {
    std::string t;
    GetDescriptionTransportError(TKV_TIMEOUT, 0, t);
    EXPECT_EQ(t, "Сервер не ответил за отведенное время");
    GetDescriptionTransportError(TKV_PROTOCOL, 0, t);
    EXPECT_EQ(t, "Нарушен протокол обмена с сервером");
    GetDescriptionTransportError(TKV_NO_ANSWER, ECONNREFUSED, t);
    EXPECT_NE(t.find("(111: "), std::string::npos) << t;
}

namespace {

class CountingWaitUi : public ITransportWaitUi {
public:
    int started = 0, ended = 0;
    long Start(const std::string&) override { return ++started; }
    void SetText(long, const std::string&) override {}
    bool IsBroken(long) override { return false; }
    void End(long, bool) override { ++ended; }
};

}  // namespace

TEST(SocketClient, WaitWindowOnlyWhenAllowed) {
    InProcessServer s;
    CountingWaitUi ui;
    ITransportWaitUi* old = SetTransportWaitUi(&ui);
    CzorSocketClient c;
    c.SetWaitDelay(0);
    ASSERT_TRUE(c.Connect("127.0.0.1", s.Port()));
    Login(c);
    // Short only for the stalled calls: a loaded machine can take longer than that to log in.
    c.SetInactivityTimeout(150);
    struct Case { const char* what; bool showWait; int manage; bool hide; int windows; };
    for (const Case& k : {Case{"shown", true, 1, false, 1}, Case{"call flag off", false, 1, false, 0},
                          Case{"manage mode 0", true, 0, false, 0}, Case{"hide mode", true, 1, true, 0}}) {
        ui.started = ui.ended = 0;
        c.SetManageMode(k.manage);
        c.m_bHide = k.hide;
        s.Server().Faults().Add({kCmdTest, 0, 0, FaultAction::Stall, 0, false, 1});
        auto msg = Echo(1, 1);
        unsigned char* p = msg.data();
        int n = static_cast<int>(msg.size());
        EXPECT_FALSE(c.Call(p, n, nullptr, 0, k.showWait, true)) << k.what;
        EXPECT_EQ(ui.started, k.windows) << k.what;
        EXPECT_EQ(ui.ended, k.windows) << k.what;
        EXPECT_FALSE(c.IsActiveWaitDlg()) << k.what;
    }
    SetTransportWaitUi(old);
    // The handle is recorded while another thread uses it, and taken back.
    const int fd = c.Detach();
    EXPECT_GT(fd, 0);
    EXPECT_FALSE(c.Attach(fd + 1000));
    EXPECT_TRUE(c.Attach(fd));
}
