// Access-rights operations over the wire: a relay between the store and our server answers the
// rights requests (33, 34) with hand-written bytes and passes everything else on.
#include <arpa/inet.h>

#include <cstring>
#include <mutex>

#include "platform/transport/wire.h"
#include "zorStepData/CzorData_Client/tests/command_table.h"
#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"

namespace zor::test {
namespace {

class RelayPeer {
public:
    // Returns the reply payload for a rights request, or nullopt to send no reply.
    using Responder = std::function<std::optional<Bytes>(int command, const Bytes& request)>;
    RelayPeer(int upstreamPort, Responder responder) : m_upstream(upstreamPort), m_responder(std::move(responder)) {
        m_listen = ListenOnLoopback(m_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~RelayPeer() {
        m_stop = true;
        m_thread.join();
        ::close(m_listen);
    }
    int Port() const { return m_port; }
    // The bodies of the rights requests seen, from their signature on.
    std::vector<Bytes> Bodies(int command) {
        std::lock_guard lock(m_mutex);
        std::vector<Bytes> out;
        for (const auto& [c, b] : m_bodies)
            if (c == command) out.push_back(b);
        return out;
    }

private:
    void Run() {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int client = ::accept(m_listen, nullptr, nullptr);
            if (client < 0) continue;
            const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            a.sin_port = htons(static_cast<uint16_t>(m_upstream));
            if (::connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) Serve(client, server);
            ::close(server);
            ::close(client);
        }
    }
    void Serve(int client, int server) {
        zor::net::FrameDecoder d;
        unsigned char buf[65536];
        pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        while (!m_stop) {
            if (::poll(p, 2, 50) <= 0) continue;
            if (p[1].revents) {
                const ssize_t n = ::recv(server, buf, sizeof buf, 0);
                if (n <= 0) return;
                (void)!::send(client, buf, static_cast<size_t>(n), MSG_NOSIGNAL);
            }
            if (!p[0].revents) continue;
            const ssize_t n = ::recv(client, buf, sizeof buf, 0);
            if (n <= 0) return;
            d.Feed(buf, static_cast<size_t>(n));
            zor::net::Frame f;
            while (d.Next(f) == zor::net::DecodeResult::Frame) {
                const int command = CommandOf(f.payload);
                Bytes out;
                if (f.kind == zor::net::FrameKind::Request &&
                    (command == zor::net::kCmdSetGroupAccess || command == zor::net::kCmdGetGroupAccess)) {
                    Record(command, f.payload);
                    auto reply = m_responder(command, f.payload);
                    if (!reply) return;  // the connection breaks in the middle of the request
                    const Bytes payload = command == zor::net::kCmdGetGroupAccess
                                              ? Cat({Le({static_cast<int32_t>(reply->size())}), *reply})
                                              : Bytes{};
                    const Bytes r = NormalReply(VersionOf(f.payload), command,
                                                command == zor::net::kCmdGetGroupAccess ? "lb" : "", 0, payload);
                    zor::net::EncodeFrame(zor::net::FrameKind::Reply, f.seq, r.data(), r.size(), out);
                    (void)!::send(client, out.data(), out.size(), MSG_NOSIGNAL);
                    continue;
                }
                zor::net::EncodeFrame(f.kind, f.seq, f.payload.data(), f.payload.size(), out,
                                      (f.flags & zor::net::kFlagToken) ? &f.token : nullptr);
                (void)!::send(server, out.data(), out.size(), MSG_NOSIGNAL);
            }
        }
    }
    void Record(int command, const Bytes& request) {
        static const char* sigs[] = {"Access bufer set v0.3", "Access bufer get v0.1"};
        const char* sig = sigs[command == zor::net::kCmdGetGroupAccess ? 1 : 0];
        auto at = std::search(request.begin(), request.end(), sig, sig + 22);
        std::lock_guard lock(m_mutex);
        m_bodies.emplace_back(command, Bytes(at, request.end()));
    }

    int m_upstream;
    Responder m_responder;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<std::pair<int, Bytes>> m_bodies;
};

class AccessNetTest : public NetStoreTest {
protected:
    void SetUp() override {
        NetStoreTest::SetUp();
        relay = std::make_unique<RelayPeer>(server->Port(), [this](int command, const Bytes& req) {
            return Respond(command, req);
        });
        WriteConnections({"test=127.0.0.1:" + std::to_string(relay->Port()) + "/main"});
        store->SetNetErrorMessageMode(true);
        ASSERT_TRUE(Login());
        p = store->GetInstById(4001);
        q = store->GetInstById(4002);
        ASSERT_TRUE(p && q);
        insts.Add(p);
        insts.Add(q);
    }
    void TearDown() override {
        store.reset();
        relay.reset();
        NetStoreTest::TearDown();
    }
    // Echoes the get request with the modes of `modes` (by entry) and flag 1, after `mangle`.
    std::optional<Bytes> Respond(int command, const Bytes& req) {
        if (cutNext) {
            cutNext = false;
            return std::nullopt;
        }
        if (command == zor::net::kCmdSetGroupAccess) return Bytes{};
        auto at = std::search(req.begin(), req.end(), "Access bufer get v0.1", "Access bufer get v0.1" + 22);
        Bytes body(at, req.end());
        // Entries are 13 bytes after each list header; rewrite mode and flag in place.
        size_t pos = 22;
        int32_t lists = zor::net::LoadI32(body.data() + pos);
        pos += 4;
        int k = 0;
        for (int l = 0; l < lists; ++l) {
            const int32_t n = zor::net::LoadI32(body.data() + pos + 4);
            pos += 8;
            for (int e = 0; e < n; ++e, ++k) {
                body[pos + 8] = static_cast<unsigned char>(k < static_cast<int>(modes.size()) ? modes[k] : 4);
                body[pos + 9] = 1;
                pos += 13;
            }
        }
        if (mangle) mangle(body);
        return body;
    }
    // The set body that (agent, flag, mode) lists over p and q make.
    Bytes SetBody(const std::vector<std::tuple<CzorInstance*, int, zorAccessModeType>>& lists) {
        zorUsers want;
        for (const auto& [agent, flag, mode] : lists) {
            zorAccessList* l = want.AddList(agent);
            for (CzorInstance* i : {p, q}) l->Add(i, flag, mode);
        }
        CzorDataBuf b;
        zorBuildAccessSetBody(want, 0, 0, b);
        return Bytes(b.GetBuffer(), b.GetBuffer() + b.GetSize());
    }
    CzorInstance *p = nullptr, *q = nullptr;
    CzorTAggr<CzorInstance> insts{8, false, false};
    std::vector<int> modes;
    std::function<void(Bytes&)> mangle;
    std::atomic<bool> cutNext{false};
    std::unique_ptr<RelayPeer> relay;
};

TEST_F(AccessNetTest, GetFillsTheEntriesAndAMalformedReplyGives172WithoutABox) {
    CzorInstance* user = store->GetCurrUser();
    ASSERT_NE(user, nullptr);
    modes = {0, 2, 1, 3};
    zorUsers users;
    zorAccessList* d = users.AddList(nullptr);
    d->Add(p, 1, zorAccessNotSet);
    d->Add(q, 1, zorAccessNotSet);
    zorAccessList* u = users.AddList(user);
    u->Add(p, 1, zorAccessNotSet);
    u->Add(q, 1, zorAccessNotSet);
    ASSERT_TRUE(store->NET_GetGroupeAccess(users, nullptr));
    EXPECT_EQ(d->GetAt(0)->m_Mode, zorAccessOwn);
    EXPECT_EQ(d->GetAt(1)->m_Mode, zorAccessReadOnly);
    EXPECT_EQ(u->GetAt(1)->m_Mode, zorAccessNone);

    struct Case {
        const char* name;
        std::function<void(Bytes&)> mangle;
    };
    const size_t second = 22 + 4 + 8 + 2 * 13;  // the second list's header
    const Case cases[] = {
        {"signature", [](Bytes& b) { b[0] = 'a'; }},
        {"list count", [](Bytes& b) { b[22] = 3; }},
        {"agent id", [&](Bytes& b) { b[second] ^= 1; }},
        {"entry count", [&](Bytes& b) { b[second + 4] = 1; }},
        {"instance id", [&](Bytes& b) { b[second + 8] ^= 1; }},
        {"entity id", [&](Bytes& b) { b[second + 12] ^= 1; }},
        {"cut", [](Bytes& b) { b.resize(b.size() - 2); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 2; ++i) users[i]->GetAt(0)->m_Mode = users[i]->GetAt(1)->m_Mode = zorAccessNotSet;
        modes = {1, 1, 2, 2};
        mangle = c.mangle;
        sink.Clear();
        EXPECT_FALSE(store->NET_GetGroupeAccess(users, nullptr));
        EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_MISSED_DATA_FROM_SERVER);
        EXPECT_TRUE(sink.Messages().empty());
        // The client is free for the next request.
        mangle = nullptr;
        EXPECT_TRUE(store->NET_GetGroupeAccess(users, nullptr));
    }
}

TEST_F(AccessNetTest, SetSendsTheBodyAndRefreshesStatesOnlyForTheDefaultOrTheUser) {
    CzorInstance* user = store->GetCurrUser();
    zorUsers set;
    set.AddList(nullptr)->Add(p, 1, zorAccessReadOnly);
    set.AddList(user)->Add(p, 1, zorAccessOwn);
    const long before = store->GetRequestsSent();
    ASSERT_TRUE(store->NET_SetGroupeAccess(set, nullptr, 0, 0));
    CzorDataBuf expected;
    ASSERT_TRUE(zorBuildAccessSetBody(set, 0, 0, expected));
    auto bodies = relay->Bodies(zor::net::kCmdSetGroupAccess);
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_EQ(bodies[0], Bytes(expected.GetBuffer(), expected.GetBuffer() + expected.GetSize()));
    EXPECT_EQ(store->GetRequestsSent() - before, 2);  // the set and the reload of the states

    zorUsers empty;
    EXPECT_TRUE(store->NET_SetGroupeAccess(empty, nullptr));
    EXPECT_EQ(relay->Bodies(zor::net::kCmdSetGroupAccess).size(), 1u);

    zorUsers hole;
    hole.AddList(user)->Add(nullptr, 1, zorAccessOwn);
    EXPECT_FALSE(store->NET_SetGroupeAccess(hole, nullptr));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_MISSED_DATA);
    EXPECT_EQ(relay->Bodies(zor::net::kCmdSetGroupAccess).size(), 1u);
}

TEST_F(AccessNetTest, ViewerAnsweringNoGetsFalseAndNoError) {
    store->SetServerChecks(false);  // the states below stand for what the server sent
    p->SetState(2);
    q->SetState(1);
    sink.QueueAnswer(IDNO);
    EXPECT_FALSE(store->NET_SetInstancesAccess(&insts, nullptr));
    EXPECT_EQ(store->GetLastZorError(), 0);
    ASSERT_EQ(sink.Texts().size(), 1u);
    EXPECT_EQ(sink.Texts()[0], "У Вас не хватает прав, чтобы изменить\nправа доступа указанных объектов.\n"
                               "Показать текущие права доступа?");
    EXPECT_TRUE(relay->Bodies(zor::net::kCmdGetGroupAccess).empty());
}

// Rights that could not be read are never edited or copied onto the server.
TEST_F(AccessNetTest, AFailedReadStopsTheDialogAndTheCopy) {
    store->SetServerChecks(false);
    p->SetState(0);
    q->SetState(0);
    int dialogs = 0;
    store->SetAccessDialog([&](CzorNetStepData&, zorUsers&, bool, bool, bool&) { return ++dialogs, true; });
    mangle = [](Bytes& b) { b.resize(b.size() - 1); };
    EXPECT_FALSE(store->NET_SetInstancesAccess(&insts, nullptr));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_MISSED_DATA_FROM_SERVER);
    EXPECT_EQ(dialogs, 0);
    CzorTAggr<CzorInstance> targets(8, false, false);
    targets.Add(q);
    EXPECT_FALSE(store->NET_CopyGroupeAccess(p, targets, nullptr));
    EXPECT_TRUE(relay->Bodies(zor::net::kCmdSetGroupAccess).empty());

    // With a good read the dialog's change goes out, and only it.
    mangle = nullptr;
    store->SetAccessDialog([&](CzorNetStepData&, zorUsers& set, bool viewOnly, bool, bool&) {
        EXPECT_FALSE(viewOnly);
        zorAccessList* d = set.Find(nullptr);
        d->GetAt(1)->m_Mode = zorAccessNone;
        d->m_bModified = true;
        return true;
    });
    ASSERT_TRUE(store->NET_SetInstancesAccess(&insts, nullptr));
    auto bodies = relay->Bodies(zor::net::kCmdSetGroupAccess);
    ASSERT_EQ(bodies.size(), 1u);
    CzorDataBuf b;
    b.Add(bodies[0].data(), bodies[0].size());
    b.Begin();
    b.Skip(22 + 8);
    int32_t total = 0, lists = 0, agent = -1, count = 0, id = 0, ent = 0, flag = 0;
    int8_t mode = 0;
    ASSERT_TRUE(b.Read(total) && b.Read(lists) && b.Read(agent) && b.Read(count) && b.Read(id) && b.Read(ent) &&
                b.Read(mode) && b.Read(flag));
    EXPECT_EQ(total, 1);
    EXPECT_EQ(lists, 1);
    EXPECT_EQ(agent, 0);
    EXPECT_EQ(id, 4002);
    EXPECT_EQ(mode, zorAccessNone);
}

TEST_F(AccessNetTest, BecomeOwnerAndCopySendTheirSets) {
    store->SetServerChecks(false);
    p->SetState(0);
    q->SetState(0);
    ASSERT_TRUE(store->NET_BecomeInstancesOwner(&insts, nullptr));
    auto bodies = relay->Bodies(zor::net::kCmdSetGroupAccess);
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_EQ(bodies[0], SetBody({{nullptr, 1, zorAccessReadOnly}, {store->GetCurrUser(), 1, zorAccessOwn}}));

    // A non-zero service code skips the ownership check but is never forwarded.
    q->SetState(2);
    CzorTAggr<CzorInstance> targets(8, false, false);
    targets.Add(q);
    modes = {};
    ASSERT_TRUE(store->NET_CopyGroupeAccess(p, targets, nullptr, 5, 0));
    bodies = relay->Bodies(zor::net::kCmdSetGroupAccess);
    ASSERT_EQ(bodies.size(), 2u);
    EXPECT_EQ(zor::net::LoadI32(bodies[1].data() + 22), 0);
    EXPECT_EQ(zor::net::LoadI32(bodies[1].data() + 26), 0);
}

TEST_F(AccessNetTest, ACutConnectionFailsWithAStatusAndLeavesTheClientFree) {
    zorUsers users;
    users.AddList(nullptr)->Add(p, 1, zorAccessNotSet);
    for (int command : {zor::net::kCmdGetGroupAccess, zor::net::kCmdSetGroupAccess}) {
        SCOPED_TRACE(command);
        cutNext = true;
        store->SetNetErrorMessageMode(false);
        const bool ok = command == zor::net::kCmdGetGroupAccess ? store->NET_GetGroupeAccess(users, nullptr)
                                                                : store->NET_SetGroupeAccess(users, nullptr);
        EXPECT_FALSE(ok);
        EXPECT_NE(store->GetLastZorError(), 0);
        EXPECT_EQ(users[0]->GetAt(0)->m_Mode, zorAccessNotSet);
        modes = {2};
        ui.answers.push_back(true);  // restore the connection
        EXPECT_TRUE(store->NET_GetGroupeAccess(users, nullptr)) << store->GetLastZorError();
        EXPECT_EQ(users[0]->GetAt(0)->m_Mode, zorAccessReadOnly);
        users[0]->GetAt(0)->m_Mode = zorAccessNotSet;
    }
}

TEST_F(AccessNetTest, APatternIsAppliedAsOneSet) {
    store->SetServerChecks(false);
    p->SetState(0);
    q->SetState(0);
    ASSERT_TRUE(store->NET_SetAccessFromPattern(&insts, "0:RO;", nullptr));
    auto bodies = relay->Bodies(zor::net::kCmdSetGroupAccess);
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_EQ(bodies[0], SetBody({{nullptr, 0, zorAccessNotSet}, {nullptr, 0, zorAccessReadOnly}}));
    // The placeholders never reach the server.
    EXPECT_EQ(store->FindLoadedById(1), nullptr);
    EXPECT_FALSE(store->NET_SetAccessFromPattern(&insts, "", nullptr));
    EXPECT_EQ(relay->Bodies(zor::net::kCmdSetGroupAccess).size(), 1u);
}

TEST_F(AccessNetTest, OneAgentOrTheDefaultAccessDirectly) {
    store->SetServerChecks(false);
    p->SetState(0);
    q->SetState(0);
    CzorInstance* me = store->GetCurrUser();
    struct Case {
        const char* name;
        CzorInstance* agent;
        int mode;
        bool result;
        std::optional<Bytes> sent;
    };
    const Case cases[] = {
        {"the user's own mode", me, zorAccessReadWrite, true,
         SetBody({{me, 1, zorAccessReadWrite}, {nullptr, 1, zorAccessNotSet}})},
        {"the default access", kzorDefaultAccessAgent, zorAccessReadOnly, true, SetBody({{nullptr, 0, zorAccessReadOnly}})},
        {"the default access with no mode", kzorDefaultAccessAgent, zorAccessNotSet, false, std::nullopt},
        {"not an agent", p, zorAccessOwn, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t before = relay->Bodies(zor::net::kCmdSetGroupAccess).size();
        EXPECT_EQ(store->NET_SetInstancesAccess(&insts, c.agent, static_cast<zorAccessModeType>(c.mode), nullptr),
                  c.result);
        const auto bodies = relay->Bodies(zor::net::kCmdSetGroupAccess);
        if (c.sent) {
            ASSERT_EQ(bodies.size(), before + 1);
            EXPECT_EQ(bodies.back(), *c.sent);
        } else {
            EXPECT_EQ(bodies.size(), before);
            EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_MISSED_DATA);
        }
    }
}

TEST_F(AccessNetTest, RightsTextsOfInstances) {
    store->SetServerChecks(false);  // the users in memory stand for the server's
    CzorInstance* zoe = store->CreateInstanceBN("zor_user", false, true);
    zoe->SetId(5000);
    store->PutAttr(zoe, store->GetAttrDefinition(zoe->GetEntity(), "name"), "Zoe");
    modes = {2, 0};  // the default list comes first
    for (int k = 0; k < 64; ++k) modes.push_back(k % 2 ? 4 : 1);  // every agent RW on p, unset on q
    std::vector<std::string> texts;
    ASSERT_TRUE(store->NET_GetExtentAccess2String(insts, texts, nullptr));
    // The logged-in user (3903) is below 3999 and never named.
    EXPECT_EQ(texts, (std::vector<std::string>{"RO,Zoe:RW,", "OWN,"}));
    std::string one;
    ASSERT_TRUE(store->NET_GetExtentAccess2String(p, one, nullptr));
    EXPECT_EQ(one, "RO,Zoe:RW,");
    EXPECT_FALSE(store->NET_GetExtentAccess2String(static_cast<CzorInstance*>(nullptr), one, nullptr));
}

}  // namespace
}  // namespace zor::test
