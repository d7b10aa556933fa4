// The transport client against our real server on 127.0.0.1: connecting, the local start, login
// answers, lost connections and silent reconnection, stalls, and malformed replies.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/wait.h>

#include <fstream>
#include <thread>

#include "platform/appserver/proxy.h"
#include "platform/tests/transport/server_fixture.h"
#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/net_ui.h"
#include "zorStepData/CzorData_Client/tests/command_table.h"

using namespace zor::test;
using zor::appserver::FaultAction;
using zor::appserver::FaultRule;

namespace {

// Questions go to a recording sink with queued answers.
struct Ui {
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scopedSink{&sink};
    zor::net::SinkNetUi ui;
    zor::net::INetUi* old = zor::net::SetNetUi(&ui);
    ~Ui() { zor::net::SetNetUi(old); }
};

bool Login(CTransportSocketClient& c, const std::string& user, const std::string& password, const std::string& db,
           int& status) {
    LoginBlock block;
    std::string scrambled;
    zor::ScrambleText(password.c_str(), scrambled);
    if (!block.SetTexts(user, scrambled, db)) return false;
    int len = 0;
    return c.RequestLogin(status, len, &block, nullptr);
}

// Logs in as "user" and checks that an echo of `size` bytes comes back whole.
bool Echo(CTransportSocketClient& c, int& status, unsigned char fill = 1, size_t size = 100) {
    CzorDataBuf body, reply;
    const Bytes b(size, fill);
    body.Add(b.data(), b.size());
    if (!c.RequestTest(status, body, reply) || status != 0) return false;
    return reply.GetSize() == size && (size == 0 || reply.GetBuffer()[0] == fill);
}

int FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

int ConnectCode(CTransportSocketClient& c, const std::string& host, int port, const std::string& path) {
    try {
        return c.ConnectWithServerStart(host, port, path, true) ? 0 : -1;
    } catch (const SzorErrorDescription& e) {
        return e.code;
    }
}

// A process that is gone or a zombie (not ours to reap).
bool Ended(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string a, b, state;
    return !(stat >> a >> b >> state) || state == "Z";
}

class WaitUiBroken : public ITransportWaitUi {
public:
    long Start(const std::string&) override { return 1; }
    void SetText(long, const std::string&) override {}
    bool IsBroken(long) override { return true; }
    void End(long, bool) override {}
};

}  // namespace

TEST(Connection, ConnectAndLocalStart) {
    Ui ui;
    CTransportSocketClient c;
    c.SetConnectTimeout(2000);
    const int port = FreePort();
    // Nothing listening and no local start possible: 178 at once.
    EXPECT_EQ(ConnectCode(c, "127.0.0.1", port, ""), 178);
    EXPECT_EQ(c.GetLastTkvError(), TKV_NO_ANSWER);
    EXPECT_FALSE(c.ConnectWithServerStart("", port, "", true));
    // Another host: no local start.
    int spawned = 0;
    c.Starter().spawn = [&](const std::vector<std::string>&) { ++spawned; return -ENOENT; };
    EXPECT_EQ(ConnectCode(c, "127.0.0.2", port, "/bin/true"), 178);
    EXPECT_EQ(spawned, 0);
    c.Starter().spawn = SpawnDetached;
    // A missing program: 176 naming it.
    try {
        c.ConnectWithServerStart("localhost", port, "/no/such/zorappserver", true);
        ADD_FAILURE() << "no error";
    } catch (const SzorErrorDescription& e) {
        EXPECT_EQ(e.code, 176);
        EXPECT_EQ(e.extra, "/no/such/zorappserver");
        EXPECT_EQ(e.file, "transportSocketClient");
    }
    EXPECT_EQ(c.SocketClient(), nullptr);
    // A program that never listens: 173 after the polls.
    c.Starter().attempts = 5;
    c.Starter().intervalMs = 20;
    EXPECT_EQ(ConnectCode(c, "LOCALHOST", port, "/bin/true"), 173);
    // The user breaks the wait window: 183.
    WaitUiBroken broken;
    ITransportWaitUi* old = SetTransportWaitUi(&broken);
    EXPECT_EQ(ConnectCode(c, "127.0.0.1", port, "/bin/true"), 183);
    SetTransportWaitUi(old);

    // Our server program started locally: argv {path, "/p:<port>", "/h"}, detached, no zombie.
    ScopedTempDir data;
    MakeDatabase(data.Path());
    ScopedEnv env("ZOR_APPSERVER_DATA", data.Path());
    std::vector<std::string> argv;
    long pid = 0;
    // Whatever happens below, the started server does not outlive the test.
    struct KillAtEnd {
        long& pid;
        ~KillAtEnd() {
            if (pid > 0) ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
    } killAtEnd{pid};
    c.Starter().attempts = 250;
    c.Starter().spawn = [&](const std::vector<std::string>& a) { argv = a; return pid = SpawnDetached(a); };
    const std::string program = std::string(QM_BIN_DIR) + "/zorappserver";
    ASSERT_EQ(ConnectCode(c, "127.0.0.1", port, program), 0);
    EXPECT_EQ(argv, (std::vector<std::string>{program, "/p:" + std::to_string(port), "/h"}));
    ASSERT_GT(pid, 0);
    int st = -1;
    EXPECT_TRUE(Login(c, "user", "pw", "main", st));
    EXPECT_EQ(st, 0);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // the server is no child of ours
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    bool ended = false;
    for (int i = 0; i < 500 && !ended; ++i) {
        ended = Ended(pid);
        if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(ended);
    if (ended) pid = 0;
}

TEST(Connection, LoginAnswersAndVersionOne) {
    Ui ui;
    InProcessServer s;
    {
        zor::appserver::ServerDatabase db;
        ASSERT_TRUE(zor::appserver::ServerDatabase::Create(s.Dir() + "/frozen.qmdb"));
        ASSERT_TRUE(db.Open(s.Dir() + "/frozen.qmdb"));
        ASSERT_TRUE(db.SetReadOnlyFlag(true));
    }
    struct Case { const char* user; const char* password; const char* db; int status; };
    for (const Case& k : {Case{"user", "pw", "main", 0}, Case{"user", "no", "main", 102}, Case{"user", "pw", "nodb", 107},
                          Case{"Administrator", "", "frozen", 74}, Case{"reader", "ro", "main", 134}}) {
        CTransportSocketClient c;
        ASSERT_TRUE(c.Connect("127.0.0.1", s.Port()));
        int st = -1;
        EXPECT_TRUE(Login(c, k.user, k.password, k.db, st)) << k.user;
        EXPECT_EQ(st, k.status) << k.user << "@" << k.db;
    }
    s.Server().Faults().SetVersion1Only(true);
    CTransportSocketClient c;
    ASSERT_TRUE(c.Connect("127.0.0.1", s.Port()));
    int st = -1;
    ASSERT_TRUE(Login(c, "user", "pw", "main", st));
    EXPECT_EQ(st, 0);
    EXPECT_EQ(c.GetProtocolVersion(), 1);
    EXPECT_TRUE(Echo(c, st));
}

TEST(Connection, FaultTableAgainstTheServer) {
    struct Case {
        const char* what;
        FaultRule rule;
        int status;          // of the failing request
        int answer;          // to the reconnection question (0: none asked)
        bool stoppedText;    // the question says the server was stopped
        bool reconnected;    // the next request works without a new login by the test
    };
    const auto r = [](FaultAction a, int value = 0) { return FaultRule{39, 0, 0, a, value, false, 1}; };
    const std::vector<Case> cases = {
        {"killed at byte 0", r(FaultAction::CloseAfter, 0), 161, IDYES, false, true},
        {"killed at byte 3", r(FaultAction::CloseAfter, 3), 161, IDYES, false, true},
        {"killed at byte 4", r(FaultAction::CloseAfter, 4), 161, IDYES, false, true},
        {"killed at byte 11", r(FaultAction::CloseAfter, 11), 161, IDYES, false, true},
        {"killed at byte 12", r(FaultAction::CloseAfter, 12), 161, IDYES, false, true},
        {"killed at the end of the header", r(FaultAction::CloseAfter, 16), 161, IDYES, false, true},
        {"killed mid-payload", r(FaultAction::CloseAfter, 60), 161, IDYES, false, true},
        {"reset", r(FaultAction::Reset), 161, IDYES, false, true},
        {"stopping notice mid-call, reconnection declined", r(FaultAction::StoppingNotice), 161, IDNO, true, false},
        {"huge frame length", r(FaultAction::HugeFrame), 161, IDYES, false, true},
        {"garbled version", r(FaultAction::CorruptVersion), 150, 0, false, true},
        {"other command", r(FaultAction::CorruptCommand), 152, 0, false, true},
        {"other signature", r(FaultAction::CorruptSignature), 152, 0, false, true},
        {"body length beyond the reply", r(FaultAction::LengthBeyond), 172, 0, false, true},
        {"negative body length", r(FaultAction::LengthNegative), 172, 0, false, true},
        {"cut payload", r(FaultAction::CutPayload, 10), 172, 0, false, true},
        {"error form 151", r(FaultAction::ErrorForm, 151), 151, 0, false, true},
        {"error form 0", r(FaultAction::ErrorForm, 0), 172, 0, false, true},
        {"a status", r(FaultAction::Status, 106), 106, 0, false, true},
    };
    InProcessServer s;
    for (const auto& k : cases) {
        Ui ui;
        if (k.answer) ui.sink.QueueAnswer(k.answer);
        CTransportSocketClient c;
        c.SetInactivityTimeout(5000);
        ASSERT_TRUE(c.ConnectWithServerStart("127.0.0.1", s.Port(), "", true));
        int st = -1;
        ASSERT_TRUE(Login(c, "user", "pw", "main", st));
        ASSERT_EQ(st, 0);
        s.Server().Faults().Add(k.rule);
        EXPECT_FALSE(Echo(c, st, 1)) << k.what;
        EXPECT_EQ(st, k.status) << k.what;
        const auto msgs = ui.sink.Messages();
        EXPECT_EQ(msgs.size(), k.answer ? 1u : 0u) << k.what;
        if (!msgs.empty()) {
            EXPECT_EQ(msgs[0].text.rfind(k.stoppedText ? "Сервер был остановлен" : "Соединение с сервером было разорвано", 0), 0u) << k.what;
        }
        // The next request gets its own reply over the restored session.
        EXPECT_EQ(Echo(c, st, 2), k.reconnected) << k.what;
        s.Server().Faults().Clear();
    }
}

TEST(Connection, StallsBrokenByTheUserOrTheTimeout) {
    Ui ui;
    InProcessServer s;
    CTransportSocketClient c;
    ASSERT_TRUE(c.Connect("127.0.0.1", s.Port()));
    int st = -1;
    ASSERT_TRUE(Login(c, "user", "pw", "main", st));
    s.Server().Faults().Add({39, 0, 0, FaultAction::Delay, 800, false, 1});
    std::thread breaker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        c.SetBreak(true);
    });
    EXPECT_FALSE(Echo(c, st, 1));
    breaker.join();
    EXPECT_EQ(st, 183);
    EXPECT_TRUE(Echo(c, st, 2, 33));  // its own reply, not the late one
    s.Server().Faults().Add({39, 0, 0, FaultAction::Stall, 0, false, 1});
    c.SetInactivityTimeout(300);
    EXPECT_FALSE(Echo(c, st, 3));
    EXPECT_EQ(st, 178);
    EXPECT_TRUE(Echo(c, st, 4, 7));
    EXPECT_TRUE(ui.sink.Messages().empty());
}

TEST(Connection, RestartAndStopBetweenRequests) {
    Ui ui;
    ScopedTempDir data;
    MakeDatabase(data.Path());
    ServerProcess proc(data.Path());
    const int port = proc.Port();
    CTransportSocketClient c;
    ASSERT_TRUE(c.ConnectWithServerStart("127.0.0.1", port, "", true));
    int st = -1;
    ASSERT_TRUE(Login(c, "user", "pw", "main", st));
    // Killed and restarted between two requests: one question, a silent re-login, the request goes.
    proc.Kill(SIGKILL);
    proc.Start(port);
    ui.sink.QueueAnswer(IDYES);
    EXPECT_TRUE(Echo(c, st));
    ASSERT_EQ(ui.sink.Messages().size(), 1u);
    // Stopped while idle: the question says so; declined, the request fails as a network error.
    proc.Kill(SIGTERM);
    ui.sink.QueueAnswer(IDNO);
    EXPECT_FALSE(Echo(c, st));
    EXPECT_EQ(st, 178);
    ASSERT_EQ(ui.sink.Messages().size(), 2u);
    EXPECT_EQ(ui.sink.Messages()[1].text.rfind("Сервер был остановлен", 0), 0u);
    EXPECT_TRUE(c.ServerStopped());
}

TEST(Connection, ARefusedReloginIsNoReconnection) {
    Ui ui;
    InProcessServer s;
    CTransportSocketClient c;
    ASSERT_TRUE(c.ConnectWithServerStart("127.0.0.1", s.Port(), "", true));
    int st = -1;
    ASSERT_TRUE(Login(c, "user", "pw", "main", st));
    s.Server().Faults().Add({39, 0, 0, FaultAction::Reset, 0, false, 1});
    s.Server().Faults().Add({25, 0, 0, FaultAction::Status, 102, false, -1});
    ui.sink.QueueAnswer(IDYES);  // reconnect?
    ui.sink.QueueAnswer(IDNO);   // try again after the refusal?
    EXPECT_FALSE(Echo(c, st));
    EXPECT_EQ(st, 161);
    const auto texts = ui.sink.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_NE(texts[1].find("Неизвестный пользователь"), std::string::npos) << texts[1];
    EXPECT_EQ(texts[2], "Соединение с сервером не восстановлено");
    EXPECT_FALSE(c.IsConnected());
    // In hide mode nothing is asked or tried.
    CTransportSocketClient hidden;
    hidden.SetHideMode(true);
    EXPECT_FALSE(hidden.Reconnect(true));
}

// Through the loopback proxy: a request cut on its way, a reply held back, a throttled reply.
// Each plan applies to the next connection, whose first exchange is the login.
TEST(Connection, ThroughTheProxy) {
    Ui ui;
    InProcessServer s;
    zor::appserver::LoopbackProxy proxy(s.Port());
    const int64_t loginRequest = 16 + 12 + 2 + 1 + 4 + 12304;        // framed, version 2
    const int64_t loginReply = 16 + 12 + 2 + 4 + 2 + 4 + 12304 + 8;
    CTransportSocketClient c;
    c.SetInactivityTimeout(2000);
    ASSERT_TRUE(c.ConnectWithServerStart("127.0.0.1", proxy.Port(), "", true));
    int st = -1;
    ASSERT_TRUE(Login(c, "user", "pw", "main", st));
    const auto renew = [&](const zor::appserver::ProxyPlan& plan) {
        zor::appserver::ProxyPlan p = plan;
        p.connections = 1;
        proxy.SetPlan(p);
        c.DropSocket();
        ASSERT_TRUE(c.Reconnect(false));
    };
    // The echo request is cut after 10 bytes: lost, reconnected, 161; then all is well.
    zor::appserver::ProxyPlan cut;
    cut.toServer.cutAt = loginRequest + 10;
    renew(cut);
    ui.sink.QueueAnswer(IDYES);
    EXPECT_FALSE(Echo(c, st));
    EXPECT_EQ(st, 161);
    EXPECT_TRUE(Echo(c, st, 5, 1000));
    // The echo reply is held back beyond the inactivity timeout: 178; the late reply is not
    // taken for the next request's.
    zor::appserver::ProxyPlan slow;
    slow.toClient.delayAt = loginReply;
    slow.toClient.delayMs = 700;
    renew(slow);
    c.SetInactivityTimeout(300);
    EXPECT_FALSE(Echo(c, st, 6, 10));
    EXPECT_EQ(st, 178);
    c.SetInactivityTimeout(3000);
    EXPECT_TRUE(Echo(c, st, 7, 20));
    // A throttled 256 KiB reply arrives whole.
    zor::appserver::ProxyPlan throttled;
    throttled.toClient.bytesPerSecond = 2 << 20;
    renew(throttled);
    EXPECT_TRUE(Echo(c, st, 8, 256 << 10));
    EXPECT_EQ(ui.sink.Messages().size(), 1u);
}

// The call flags: saving (31) never opens the wait window; the login never starts a reconnection.
TEST(Connection, CallFlags) {
    Ui ui;
    InProcessServer s;
    struct CountingWaitUi : ITransportWaitUi {
        int started = 0;
        long Start(const std::string&) override { return ++started; }
        void SetText(long, const std::string&) override {}
        bool IsBroken(long) override { return false; }
        void End(long, bool) override {}
    } wait;
    ITransportWaitUi* old = SetTransportWaitUi(&wait);
    CTransportSocketClient c;
    ASSERT_TRUE(c.ConnectWithServerStart("127.0.0.1", s.Port(), "", true));
    wait.started = 0;
    c.SocketClient()->SetWaitDelay(0);
    int st = -1;
    ASSERT_TRUE(Login(c, "user", "pw", "main", st));
    EXPECT_EQ(wait.started, 1);
    CzorDataBuf body, reply;
    s.Server().Faults().Add({31, 0, 0, FaultAction::Delay, 100, false, 1});
    EXPECT_TRUE(c.RequestSaveChanges(st, body, reply));
    EXPECT_EQ(wait.started, 1);  // no window for 31
    SetTransportWaitUi(old);
    // A login whose connection breaks asks nothing and reconnects nothing: 178.
    s.Server().Faults().Add({25, 0, 0, FaultAction::Reset, 0, false, 1});
    EXPECT_FALSE(Login(c, "user", "pw", "main", st));
    EXPECT_EQ(st, 178);
    EXPECT_TRUE(ui.sink.Messages().empty());
}
