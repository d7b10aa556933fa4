// The server program against hostile clients on loopback: what a connection may do before it logs
// in, how many there may be, how guessing is slowed, and requests built to overflow or nest too deep.
// Each row says who sends what and what the server must do; an administrator's own work still runs.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/tests/transport/bytes.h"
#include "platform/tests/transport/server_fixture.h"
#include "platform/transport/framing.h"
#include "platform/transport/net_errors.h"
#include "platform/transport/wire.h"

using namespace zor::net;
using zor::test::Bytes;
using zor::test::Cat;
using zor::test::Field;
using zor::test::Le;
using zor::test::LoginPayload;
using zor::test::RequestMessage;
using zor::test::Str;

namespace {

using Clock = std::chrono::steady_clock;

// A client that speaks frames by hand, so it can send what the real client never would.
class RawClient {
public:
    explicit RawClient(int port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RawClient() {
        if (m_fd >= 0) ::close(m_fd);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;
    bool Connected() const { return m_fd >= 0; }

    bool SendRaw(const Bytes& b) {
        size_t sent = 0;
        while (sent < b.size()) {
            const ssize_t n = ::send(m_fd, b.data() + sent, b.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += static_cast<size_t>(n);
        }
        return true;
    }
    bool Send(const Bytes& message) {
        Bytes frame;
        EncodeFrame(FrameKind::Request, ++m_seq, message.data(), message.size(), frame);
        return SendRaw(frame);
    }
    // The next reply's payload, or nothing when none comes within `ms` or the connection ends.
    std::optional<Bytes> Reply(int ms = 5000) {
        const Clock::time_point until = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            Frame f;
            const DecodeResult r = m_decoder.Next(f);
            if (r == DecodeResult::Frame && f.kind == FrameKind::Reply) return std::move(f.payload);
            if (r == DecodeResult::Frame) continue;
            if (r != DecodeResult::NeedMore || !Read(until)) return std::nullopt;
        }
    }
    // Sends and waits for the answer.
    std::optional<Bytes> Ask(const Bytes& message, int ms = 5000) {
        if (!Send(message)) return std::nullopt;
        return Reply(ms);
    }
    // True when the server has closed the connection within `ms` (what it sent before is dropped).
    bool ClosedWithin(int ms) {
        const Clock::time_point until = Clock::now() + std::chrono::milliseconds(ms);
        while (Read(until)) {
        }
        return m_closed;
    }

private:
    // Reads what comes before the time is up; false when nothing more will (closed, or time up).
    bool Read(Clock::time_point until) {
        if (m_closed) return false;
        const int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count());
        if (left <= 0) return false;
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, left) <= 0) return false;
        unsigned char buf[65536];
        const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
        if (n <= 0) {
            m_closed = true;
            return false;
        }
        m_decoder.Feed(buf, static_cast<size_t>(n));
        return true;
    }

    int m_fd = -1;
    uint32_t m_seq = 0;
    bool m_closed = false;
    FrameDecoder m_decoder{64u << 20};
};

// The status of a normal-form version-2 reply (signature "lb"), or INT_MIN for anything else.
int32_t Status(const std::optional<Bytes>& reply) {
    if (!reply || reply->size() < 12) return INT_MIN;
    const int32_t sigLen = LoadI32(reply->data() + 8);
    if (sigLen < 0 || reply->size() < 16 + static_cast<size_t>(sigLen)) return INT_MIN;
    return LoadI32(reply->data() + 12 + sigLen);
}

Bytes Login(const std::string& user, const std::string& password) {
    return RequestMessage(2, kCmdLogin, "lb", LoginPayload(user, password, "main"));
}

// A load request (command 43) of one record.
Bytes LoadRequest(char type, int32_t id, int32_t entity, int32_t attr) {
    const Bytes body = Cat({Str(std::string("Load query bufer v0.1") + '\0'), Le({1, 0}),
                            Bytes{static_cast<unsigned char>(type), 0, 0, 0}, Le({id, entity, attr}), Bytes{1, 0, 0, 0}});
    return RequestMessage(2, kCmdLoad, "lb", Field(body));
}

// A query tree (command 32) whose longest chain of references holds `levels` nodes:
// or(field, or(field, ... field)) with every field naming the one extent.
Bytes DeepQuery(int levels) {
    const int32_t k = levels - 2;
    Bytes b = Str(std::string("zor_ql_tree V 0.1") + '\0');
    b = Cat({b, Le({0, 1, 2 * k + 1, 1})});
    const auto text = [](const std::string& s) { return Cat({Le({static_cast<int32_t>(s.size() + 1)}), Str(s), Bytes{0}}); };
    // The extent: no entity, no condition or set expression, defined, no listed instances.
    b = Cat({b, text("a"), Le({1, 1, 0, 0, 0, -1, -1}), Bytes{2}, Le({0})});
    for (int32_t i = 0; i < k; ++i)
        b = Cat({b, Bytes{4}, Le({1, 1}), Bytes{2}, Le({k + 1 + i, i + 1 < k ? 2 + i : 2 * k + 1})});
    for (int32_t i = 0; i <= k; ++i) b = Cat({b, Bytes{7}, Le({1, 1}), text("a"), Le({0, -1})});
    return RequestMessage(2, kCmdQueryExecute, "lb", Field(b));
}

// The announced length of a frame with only the first bytes of its payload following.
Bytes Announce(uint32_t length, size_t sent) {
    Bytes head;
    EncodeFrame(FrameKind::Request, 1, nullptr, 0, head);
    StoreI32(head.data() + 12, static_cast<int32_t>(length));
    head.resize(head.size() + sent, 0x41);
    return head;
}

}  // namespace

class ServerLimits : public ::testing::Test {
protected:
    void Run(std::vector<std::string> args = {}) {
        zor::test::MakeDatabase(m_dir.Path());
        m_proc = std::make_unique<zor::test::ServerProcess>(m_dir.Path(), 0, std::string(), std::move(args));
    }
    int Port() const { return m_proc->Port(); }

    zor::test::ScopedTempDir m_dir;
    std::unique_ptr<zor::test::ServerProcess> m_proc;
};

// Before a login nothing longer than a login request is read: the frame's header alone ends the
// connection. A frame of exactly the limit is read and answered.
TEST_F(ServerLimits, OversizedFramesBeforeLoginCloseTheConnection) {
    Run();
    struct Row { const char* who; uint32_t announced; size_t sent; bool closed; };
    const Row rows[] = {
        {"64 MiB announced, sent slowly", 64u << 20, 100, true},
        {"one byte past the login limit", (16u << 10) + 1, 0, true},
        {"past the limit for logged-in sessions too", 0xFFFFFFF0u, 0, true},
        {"exactly the login limit (junk: an error form)", 16u << 10, 16u << 10, false},
    };
    for (const Row& row : rows) {
        RawClient c(Port());
        ASSERT_TRUE(c.Connected()) << row.who;
        ASSERT_TRUE(c.SendRaw(Announce(row.announced, row.sent))) << row.who;
        if (row.closed) {
            EXPECT_TRUE(c.ClosedWithin(5000)) << row.who;
        } else {
            EXPECT_TRUE(c.Reply().has_value()) << row.who;
            EXPECT_EQ(Status(c.Ask(Login("user", "pw"))), 0) << row.who;
        }
    }
    // After a login the session's own limit holds: a large request is read whole.
    RawClient c(Port());
    ASSERT_EQ(Status(c.Ask(Login("user", "pw"))), 0);
    const std::optional<Bytes> echo = c.Ask(RequestMessage(2, kCmdTest, "lb", Field(Bytes(1u << 20, 7))));
    ASSERT_TRUE(echo.has_value());
    EXPECT_GT(echo->size(), 1u << 20);
}

// A connection that has not logged in in time is closed; a logged-in one is not, until it idles
// past the idle limit.
TEST_F(ServerLimits, TimeToLogInAndIdleTime) {
    Run({"-login-timeout-ms=300", "-idle-timeout=2"});
    RawClient silent(Port());
    RawClient listing(Port());  // the database list needs no login, and is no login
    RawClient refused(Port());
    RawClient user(Port());
    ASSERT_TRUE(listing.Ask(RequestMessage(2, kCmdBaseList, "")).has_value());
    EXPECT_EQ(Status(refused.Ask(Login("user", "bad"))), 102);
    ASSERT_EQ(Status(user.Ask(Login("user", "pw"))), 0);
    EXPECT_TRUE(silent.ClosedWithin(5000));
    EXPECT_TRUE(listing.ClosedWithin(5000));
    EXPECT_TRUE(refused.ClosedWithin(5000));
    // Past the time to log in, the logged-in session still answers (0.3 s are long gone once the
    // others were closed); then, left idle, it is closed too.
    EXPECT_EQ(Status(user.Ask(RequestMessage(2, kCmdTest, "lb", Field({1})))), 0);
    EXPECT_TRUE(user.ClosedWithin(10000));
}

// One connection more than the cap is closed at accept; when one ends, a new one is served.
TEST_F(ServerLimits, ConnectionsBeyondTheCapAreRefused) {
    Run({"-max-connections=3"});
    std::vector<std::unique_ptr<RawClient>> held;
    for (int i = 0; i < 3; ++i) {
        held.push_back(std::make_unique<RawClient>(Port()));
        ASSERT_EQ(Status(held.back()->Ask(Login("user", "pw"))), 0) << i;
    }
    RawClient extra(Port());
    ASSERT_TRUE(extra.Connected());  // the kernel accepts; the server closes it
    EXPECT_TRUE(extra.ClosedWithin(5000));
    held.erase(held.begin());
    // The server notices the end within its poll; a bounded number of tries.
    bool served = false;
    for (int i = 0; i < 50 && !served; ++i) {
        RawClient again(Port());
        served = Status(again.Ask(Login("user", "pw"), 2000)) == 0;
        if (!served) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(served);
    for (auto& c : held) EXPECT_EQ(Status(c->Ask(RequestMessage(2, kCmdTest, "lb", Field({1})))), 0);
}

// Three wrong guesses end a connection; a new one may try again.
TEST_F(ServerLimits, TheThirdRefusedLoginClosesTheConnection) {
    Run();
    RawClient c(Port());
    EXPECT_EQ(Status(c.Ask(Login("user", "bad1"))), 102);
    EXPECT_EQ(Status(c.Ask(Login("nobody", "x"))), 102);
    EXPECT_EQ(Status(c.Ask(Login("user", "bad3"))), 102);  // answered, then closed
    EXPECT_TRUE(c.ClosedWithin(5000));
    RawClient again(Port());
    EXPECT_EQ(Status(again.Ask(Login("user", "pw"))), 0);
    // A logged-in session that refuses itself counts as well, and the login ends with it.
    EXPECT_EQ(Status(again.Ask(Login("user", "bad"))), 102);
    EXPECT_EQ(Status(again.Ask(RequestMessage(2, kCmdTest, "lb", Field({1})))), 103);
}

// Past five refusals a minute for one name (or one address) every login waits before its check.
// The wait is watched only from below: the answer must not come early, and comes in the end.
TEST_F(ServerLimits, GuessingIsSlowedDown) {
    Run();
    for (int i = 0; i < 5; ++i) {
        RawClient c(Port());
        EXPECT_EQ(Status(c.Ask(Login("user", "guess" + std::to_string(i)))), 102) << i;
    }
    RawClient c(Port());
    ASSERT_TRUE(c.Send(Login("user", "pw")));
    EXPECT_FALSE(c.Reply(400).has_value()) << "answered without the delay";
    EXPECT_EQ(Status(c.Reply(10000)), 0) << "the delay ends, and the right password still logs in";
    {
        zor::appserver::ServerDatabase db;
        ASSERT_TRUE(db.Open(m_dir.Path() + "/main.qmdb"));
        EXPECT_EQ(db.IntegrityCheck(), "ok");
    }
}

// A login waiting out its pause holds none of the slots requests are worked in: with one slot,
// another session is answered while that login still waits.
TEST(ServerWorkSlots, ALoginWaitingOutItsPauseLetsOtherSessionsWork) {
    zor::test::InProcessServer server([](zor::appserver::ServerOptions& o) { o.workSlots = 1; });
    RawClient admin(server.Port());
    ASSERT_EQ(Status(admin.Ask(Login("Administrator", ""))), 0);
    for (int i = 0; i < 5; ++i) {
        RawClient c(server.Port());
        EXPECT_EQ(Status(c.Ask(Login("user", "guess" + std::to_string(i)))), 102) << i;
    }
    RawClient paused(server.Port());
    ASSERT_TRUE(paused.Send(Login("user", "pw")));
    ASSERT_FALSE(paused.Reply(200).has_value()) << "answered without the pause";
    // The pause lasts a second: held in the slot, it would keep this answer 800 ms at least.
    EXPECT_EQ(Status(admin.Ask(LoadRequest('a', 3902, 0, 0), 500)), 0) << "the other session waited for the paused login";
    EXPECT_EQ(Status(paused.Reply(10000)), 0);
}

// Ids built to overflow and query trees nested past the bound: the command's error, never a
// crash; the bound itself is served.
TEST_F(ServerLimits, HostileIdsAndNesting) {
    Run();
    RawClient c(Port());
    ASSERT_EQ(Status(c.Ask(Login("Administrator", ""))), 0);
    struct Row { const char* what; Bytes request; int32_t status; };
    const Row rows[] = {
        {"entity INT_MIN", LoadRequest('e', 0, INT_MIN, 0), ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID},
        {"attribute INT_MIN", LoadRequest('i', 3902, 0, INT_MIN), ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID},
        {"entity INT_MAX", LoadRequest('e', 0, INT_MAX, 0), ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID},
        {"referrers of attribute INT_MIN", LoadRequest('r', 3902, 0, INT_MIN), ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID},
        {"instance INT_MIN: nothing", LoadRequest('a', INT_MIN, 0, 0), 0},
        {"query 256 levels deep", DeepQuery(256), 0},
        {"query 257 levels deep", DeepQuery(257), 128},
        {"query 300 levels deep", DeepQuery(300), 128},
    };
    for (const Row& row : rows) EXPECT_EQ(Status(c.Ask(row.request)), row.status) << row.what;
    // The administrator's own work goes on in the same session.
    EXPECT_EQ(Status(c.Ask(LoadRequest('a', 3902, 0, 0))), 0);
    EXPECT_EQ(Status(c.Ask(RequestMessage(2, kCmdSaveChanges, "lb", Field({})))), 0);
}

// Out of descriptors the server cannot accept: it rests instead of spinning on the pending
// connection, its sessions go on, and once descriptors are free again the newcomer is served.
TEST_F(ServerLimits, OutOfDescriptorsTheSessionsGoOn) {
    Run();
    RawClient user(Port());
    ASSERT_EQ(Status(user.Ask(Login("user", "pw"))), 0);
    const pid_t pid = m_proc->Pid();
    rlimit old{};
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, nullptr, &old), 0);
    // A new descriptor takes the lowest free number, which must not be below the limit.
    std::set<long> used;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec))
        used.insert(std::atol(e.path().filename().c_str()));
    long lowestFree = 0;
    while (used.count(lowestFree)) ++lowestFree;
    rlimit tight = old;
    tight.rlim_cur = static_cast<rlim_t>(lowestFree);  // not one descriptor more
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, &tight, nullptr), 0);
    RawClient waiting(Port());  // in the kernel's queue: the server cannot take it
    ASSERT_TRUE(waiting.Connected());
    ASSERT_TRUE(waiting.Send(RequestMessage(2, kCmdBaseList, "")));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Status(user.Ask(RequestMessage(2, kCmdTest, "lb", Field({1})))), 0) << i;
    EXPECT_FALSE(waiting.Reply(300).has_value());
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, &old, nullptr), 0);
    EXPECT_TRUE(waiting.Reply(5000).has_value()) << "served once descriptors are free";
}

// A session that runs out of memory ends alone; the others and the server go on.
TEST_F(ServerLimits, AFailedAllocationEndsOnlyItsSession) {
    Run({"-faults=39:2:nomemory:0"});
    RawClient other(Port());
    RawClient failing(Port());
    ASSERT_EQ(Status(other.Ask(Login("user", "pw"))), 0);
    ASSERT_EQ(Status(failing.Ask(Login("Administrator", ""))), 0);
    EXPECT_EQ(Status(other.Ask(RequestMessage(2, kCmdTest, "lb", Field({1})))), 0);    // the first echo
    EXPECT_FALSE(failing.Ask(RequestMessage(2, kCmdTest, "lb", Field({2}))).has_value());  // the second fails
    EXPECT_TRUE(failing.ClosedWithin(5000));
    EXPECT_EQ(Status(other.Ask(RequestMessage(2, kCmdTest, "lb", Field({3})))), 0);
    RawClient again(Port());
    EXPECT_EQ(Status(again.Ask(Login("Administrator", ""))), 0);
}
