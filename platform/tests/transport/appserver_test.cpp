// Our application server: its replies byte for byte, its answers to hostile requests, and that
// an acknowledged change survives a kill.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>

#include "platform/appserver/indexes.h"
#include "platform/appserver/session.h"
#include "platform/tests/transport/bytes.h"
#include "platform/appserver/store_file.h"
#include "platform/zordata/stepdatafile.h"
#include "platform/tests/transport/server_fixture.h"
#include "platform/transport/socket_client.h"

using namespace zor::net;
using zor::test::Field;
using zor::test::InProcessServer;
using zor::test::LoginPayload;
using zor::test::RequestMessage;

namespace {

using zor::test::Bytes;
using zor::test::Cat;
using zor::test::Le;
using zor::test::Str;

Bytes Ask(CzorSocketClient& c, Bytes msg) {
    unsigned char* p = msg.data();
    int n = static_cast<int>(msg.size());
    if (!c.Call(p, n, nullptr, 0, true, true)) return {};
    return Bytes(p, p + n);
}

Bytes LogBody(const std::string& first, const std::string& second, int flag) {
    WireWriter w;
    w.Bytes("Client2Server log bufer v0.1", 29);
    w.Field(first.c_str(), first.size() + 1);
    w.Field(second.c_str(), second.size() + 1);
    w.I32(flag);
    return w.Out();
}

}  // namespace

// Golden replies, written from the protocol's tables.
TEST(AppServer, RepliesByteForByte) {
    InProcessServer s;
    zor::appserver::Session session(s.Server(), -1);
    const auto reply = [&](const Bytes& req) { return session.Handle(req.data(), req.size()); };
    // Before a login: 103 in the normal form with the command's reply signature.
    EXPECT_EQ(reply(RequestMessage(2, kCmdTest, "lb", Field({1, 2}))), Cat({Le({2, 39, 2}), Str("lb"), Le({103}), {0, 0}}));
    EXPECT_EQ(reply(RequestMessage(1, kCmdDisconnect, "")), Cat({Le({1, 41, 0, 103})}));
    // Error forms: unknown version, command, signature.
    EXPECT_EQ(reply(RequestMessage(3, kCmdTest, "lb", Field({}))), Le({1, 0, 1, 39, 150}));
    EXPECT_EQ(reply(RequestMessage(2, 99, "")), Le({2, 0, 1, 99, 151}));
    EXPECT_EQ(reply(RequestMessage(2, 30, "lb", Field({}))), Le({2, 0, 1, 30, 151}));
    EXPECT_EQ(reply(RequestMessage(2, kCmdTest, "l", Le({1}))), Le({2, 0, 1, 39, 153}));
    // The database list without a login.
    const Bytes list = Cat({Str(std::string("BaseListBuf v1.00") + '\0'), Le({1, 5}), Str(std::string("main") + '\0')});
    EXPECT_EQ(reply(RequestMessage(2, kCmdBaseList, "")),
              Cat({Le({2, 12, 2}), Str("lb"), Le({0}), {0, 0}, Le({static_cast<int32_t>(list.size())}), list}));
    // A login to an unknown database: 107, and the block comes back as sent with the tail.
    const Bytes login = LoginPayload("user", "pw", "nosuch");
    const Bytes r107 = reply(RequestMessage(2, kCmdLogin, "lb", login));
    ASSERT_EQ(r107.size(), 12 + 2 + 4 + 2 + 4 + kLoginBlockSize + 8);
    EXPECT_EQ(Bytes(r107.begin(), r107.begin() + 24), Cat({Le({2, 25, 2}), Str("lb"), Le({107}), {0, 0}, Le({12312})}));
    EXPECT_EQ(Bytes(r107.begin() + 24, r107.end() - 8), Bytes(login.begin() + 4, login.end()));
    EXPECT_EQ(Bytes(r107.end() - 8, r107.end()), Le({4, 1}));
    // A good login (user id 3903 in the block), then echo in both versions, time, log, index, save.
    const Bytes ok = reply(RequestMessage(1, kCmdLogin, "lb", LoginPayload("user", "pw", "main")));
    ASSERT_GE(ok.size(), 20 + 12304u);
    EXPECT_EQ(Bytes(ok.begin(), ok.begin() + 22), Cat({Le({1, 25, 2}), Str("lb"), Le({0, 12312})}));
    EXPECT_EQ(LoadI32(ok.data() + 22 + 12296), 3903);
    // A body shorter than its length says: the parameters do not fit the signature.
    EXPECT_EQ(reply(RequestMessage(1, kCmdTest, "lb", Le({5, 1}))), Le({1, 0, 1, 39, 153}));
    EXPECT_EQ(reply(RequestMessage(2, kCmdTest, "lb", Field({9, 8, 7}))), Cat({Le({2, 39, 2}), Str("lb"), Le({0}), {0, 0}, Le({3}), {9, 8, 7}}));
    EXPECT_EQ(reply(RequestMessage(1, kCmdTest, "lb", Field({}))), Cat({Le({1, 39, 2}), Str("lb"), Le({0, 0})}));
    const Bytes t = reply(RequestMessage(2, kCmdServerDateTime, ""));
    ASSERT_EQ(t.size(), 12 + 1 + 4 + 2 + 8u);
    EXPECT_EQ(Bytes(t.begin(), t.begin() + 19), Cat({Le({2, 28, 1}), Str("b"), Le({0}), {0, 0}}));
    double d = 0;
    std::memcpy(&d, t.data() + 19, 8);
    EXPECT_GT(d, 45000.0);  // after 2023
    EXPECT_EQ(reply(RequestMessage(2, kCmdWriteLog, "lb", Field(LogBody("a", "b", 1)))), Cat({Le({2, 44, 0, 0}), {0, 0}}));
    EXPECT_EQ(reply(RequestMessage(2, kCmdWriteLog, "lb", Field(Str("junk")))), Cat({Le({2, 44, 0, 101}), {0, 0}}));
    EXPECT_EQ(reply(RequestMessage(2, kCmdOperateOracleIndex, "ll", Le({5, 1}))), Cat({Le({2, 38, 0, 0}), {0, 0}}));
    EXPECT_EQ(reply(RequestMessage(2, kCmdSaveChanges, "lb", Field({}))), Cat({Le({2, 31, 2}), Str("lb"), Le({0}), {0, 0}, Le({0})}));
    EXPECT_EQ(reply(RequestMessage(2, kCmdDisconnect, "")), Cat({Le({2, 41, 0, 0}), {0, 0}}));
}

// Every command of the command table, logged in, with its request fields empty or zero: the server
// reads the request as the table's signature says and answers in the normal form with the table's
// reply signature, and a success carries exactly the fields that signature names. A command the
// dispatcher forgot, a handler that reads its request its own way or spells its reply otherwise
// fails here.
TEST(AppServer, EveryCommandOfTheTableIsAnsweredInItsShape) {
    InProcessServer s;
    zor::appserver::Session session(s.Server(), -1);
    const auto reply = [&](const Bytes& req) { return session.Handle(req.data(), req.size()); };
    const CommandShape& login = ShapeOf(kCmdLogin);
    const Bytes ok = reply(RequestMessage(2, kCmdLogin, login.request, LoginPayload("user", "pw", "main")));
    ASSERT_GE(ok.size(), 18u);
    ASSERT_EQ(LoadI32(ok.data() + 14), 0);
    for (const CommandShape& c : kCommandShapes) {
        const std::string request = c.request;
        Bytes payload;
        for (size_t i = 0; i < request.size(); ++i) {
            if (request[i] == 'b') payload.resize(payload.size() + kFixedFieldSize);
            else payload = Cat({payload, Le({0})});
            if (request[i] == 'l' && i + 1 < request.size() && request[i + 1] == 'b') ++i;
        }
        if (c.code == kCmdLogin) payload = LoginPayload("user", "pw", "main");
        const Bytes r = reply(RequestMessage(2, c.code, c.request, payload));
        ASSERT_GE(r.size(), 18u) << c.code;
        EXPECT_EQ(LoadI32(r.data() + 4), c.code) << "the error form " << LoadI32(r.data() + 16) << " for " << c.code;
        const auto sigSize = static_cast<size_t>(LoadI32(r.data() + 8));
        ASSERT_LE(12 + sigSize + 4 + 2, r.size()) << c.code;
        const auto sigAt = r.begin() + 12;
        EXPECT_EQ(std::string(sigAt, sigAt + static_cast<std::ptrdiff_t>(sigSize)), c.reply) << c.code;
        if (LoadI32(r.data() + 12 + sigSize) != 0) continue;
        WireReader fields(r.data() + 12 + sigSize + 4 + 2, r.size() - (12 + sigSize + 4 + 2));
        WireField got[kMaxFields];
        EXPECT_TRUE(ReadFields(c.reply, fields, got)) << c.code;
        EXPECT_EQ(fields.Remaining(), 0u) << c.code;
    }
}

TEST(AppServer, LoginStatuses) {
    InProcessServer s;
    {
        zor::appserver::ServerDatabase db;
        ASSERT_TRUE(zor::appserver::ServerDatabase::Create(s.Dir() + "/frozen.qmdb"));
        ASSERT_TRUE(db.Open(s.Dir() + "/frozen.qmdb"));
        ASSERT_TRUE(db.SetReadOnlyFlag(true));
    }
    struct Case { std::string user, password, db; int status; };
    const std::vector<Case> cases = {
        {"user", "pw", "main", 0},          {"Administrator", "", "main", 0}, {"user", "bad", "main", 102},
        {"nobody", "pw", "main", 102},      {"user", "pw", "other", 107},     {"user", "pw", "../main", 107},
        {"reader", "ro", "main", 134},      {"Administrator", "", "frozen", 74},
    };
    zor::appserver::Session session(s.Server(), -1);
    for (const auto& c : cases) {
        const Bytes r = RequestMessage(2, kCmdLogin, "lb", LoginPayload(c.user, c.password, c.db));
        const Bytes a = session.Handle(r.data(), r.size());
        ASSERT_GE(a.size(), 18u);
        EXPECT_EQ(LoadI32(a.data() + 14), c.status) << c.user << "@" << c.db;
        // A read-only session may not write.
        const Bytes log = RequestMessage(2, kCmdWriteLog, "lb", Field(LogBody("x", "y", 0)));
        const Bytes la = session.Handle(log.data(), log.size());
        const int32_t want = c.status == 0 ? 0 : (c.status == 74 || c.status == 134) ? c.status : 103;
        EXPECT_EQ(LoadI32(la.data() + 12), want) << c.user << "@" << c.db;
    }
}

// Seeded damage to valid requests over real connections: every one gets a reply, an error form or
// a closed connection, never a crash, and the server keeps serving another session.
TEST(AppServer, SurvivesHostileRequests) {
    InProcessServer s;
    CzorSocketClient good;
    ASSERT_TRUE(good.Connect("127.0.0.1", s.Port()));
    ASSERT_FALSE(Ask(good, RequestMessage(2, kCmdLogin, "lb", LoginPayload("user", "pw", "main"))).empty());
    const std::vector<Bytes> valid = {
        RequestMessage(2, kCmdLogin, "lb", LoginPayload("user", "pw", "main")),
        RequestMessage(2, kCmdTest, "lb", Field(Bytes(64, 1))),
        RequestMessage(1, kCmdWriteLog, "lb", Field(LogBody("m", "n", 1))),
        RequestMessage(2, kCmdOperateOracleIndex, "ll", Le({1, 0})),
        RequestMessage(2, kCmdBaseList, ""),
    };
    std::mt19937 rng(7);
    for (int round = 0; round < 60; ++round) {
        CzorSocketClient c;
        c.SetInactivityTimeout(2000);
        ASSERT_TRUE(c.Connect("127.0.0.1", s.Port()));
        Ask(c, valid[0]);
        for (int k = 0; k < 10 && c.IsConnected(); ++k) {
            Bytes m = valid[rng() % valid.size()];
            for (int f = 0, n = 1 + static_cast<int>(rng() % 3); f < n; ++f) m[rng() % m.size()] = static_cast<unsigned char>(rng());
            if (rng() % 3 == 0) m.resize(rng() % m.size());
            Ask(c, m);
        }
        const Bytes echo = Ask(good, RequestMessage(2, kCmdTest, "lb", Field({4, 2})));
        ASSERT_EQ(echo.size(), 26u) << "round " << round;
    }
}

TEST(AppServer, TheStoppingNoticeReachesEverySessionAndARestartReloads) {
    zor::test::ScopedTempDir dir;
    zor::test::MakeDatabase(dir.Path());
    zor::test::ServerProcess proc(dir.Path());
    std::vector<std::unique_ptr<CzorSocketClient>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<CzorSocketClient>());
        ASSERT_TRUE(clients.back()->Connect("127.0.0.1", proc.Port()));
        ASSERT_FALSE(Ask(*clients.back(), RequestMessage(2, kCmdLogin, "lb", LoginPayload("user", "pw", "main"))).empty());
        ASSERT_FALSE(Ask(*clients.back(), RequestMessage(2, kCmdWriteLog, "lb", Field(LogBody("before", "", 0)))).empty());
    }
    const int st = proc.Kill(SIGTERM);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
    for (auto& c : clients) {
        EXPECT_FALSE(c->IsConnected());
        EXPECT_TRUE(c->m_bServerStopped);
    }
    proc.Start(0);
    CzorSocketClient again;
    ASSERT_TRUE(again.Connect("127.0.0.1", proc.Port()));
    ASSERT_FALSE(Ask(again, RequestMessage(2, kCmdLogin, "lb", LoginPayload("user", "pw", "main"))).empty());
    zor::appserver::ServerDatabase db;
    ASSERT_TRUE(db.Open(dir.Path() + "/main.qmdb"));
    EXPECT_EQ(db.CountLog(), 3);
}

// Several clients write; the server is killed mid-burst: every acknowledged write is there.
TEST(AppServer, AcknowledgedChangesSurviveAKill) {
    zor::test::ScopedTempDir dir;
    zor::test::MakeDatabase(dir.Path());
    zor::test::ServerProcess proc(dir.Path());
    std::atomic<int> acknowledged{0};
    std::atomic<bool> go{true};
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w) {
        writers.emplace_back([&, w] {
            CzorSocketClient c;
            c.SetInactivityTimeout(3000);
            if (!c.Connect("127.0.0.1", proc.Port())) return;
            Ask(c, RequestMessage(2, kCmdLogin, "lb", LoginPayload("user", "pw", "main")));
            for (int i = 0; i < 2000 && go; ++i) {
                const Bytes a = Ask(c, RequestMessage(2, kCmdWriteLog, "lb", Field(LogBody("w" + std::to_string(w), std::to_string(i), 1))));
                if (a.size() < 16 || LoadI32(a.data() + 12) != 0) break;
                ++acknowledged;
            }
        });
    }
    for (int i = 0; i < 200 && acknowledged < 40; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    proc.Kill(SIGKILL);
    go = false;
    for (auto& t : writers) t.join();
    ASSERT_GT(acknowledged.load(), 0);
    zor::appserver::ServerDatabase db;
    ASSERT_TRUE(db.Open(dir.Path() + "/main.qmdb"));
    EXPECT_EQ(db.IntegrityCheck(), "ok");
    EXPECT_EQ(zor::appserver::CheckIndexes(db.Handle()), "ok");
    EXPECT_GE(db.CountLog(), acknowledged.load());
    EXPECT_LE(db.CountLog(), acknowledged.load() + 4);  // at most the one in flight per writer
}

// A store file goes into a database and comes out the same; the users come out as users.
TEST(AppServer, StoreFileImportAndExport) {
    zor::test::ScopedTempDir dir;
    zor::test::MakeDatabase(dir.Path());
    zor::appserver::ServerDatabase db;
    ASSERT_TRUE(db.Open(dir.Path() + "/main.qmdb"));
    const std::string dict = std::string(QM_DICT_DIR) + "/quillmark.dict";
    const std::string example = std::string(QM_SOURCE_DIR) + "/examples/sales.zordot";
    std::string error;
    ASSERT_TRUE(zor::appserver::ImportStoreFile(db, dict, example, error)) << error;
    const std::string out = dir / "out.zordot";
    ASSERT_TRUE(zor::appserver::ExportStoreFile(db, dict, out, error)) << error;
    // The export holds the example's instances (after the database's three users).
    CzorStepDataWithFile a, b;
    ASSERT_TRUE(a.LoadDictionary(QM_DICT_DIR "/quillmark"));
    ASSERT_TRUE(b.LoadDictionary(QM_DICT_DIR "/quillmark"));
    ASSERT_TRUE(a.LoadFromFile(example.c_str()));
    ASSERT_TRUE(b.LoadFromFile(out.c_str())) << b.GetLastErrorDescription();
    EXPECT_EQ(b.GetInstanceCount(), a.GetInstanceCount() + 3);
    CzorTAggr<CzorInstance> users;
    ASSERT_TRUE(b.GetEntityExtentBN("zor_user", users));
    ASSERT_GE(users.GetSize(), 3);
    std::string name;
    EXPECT_TRUE(b.GetAttr(users.GetAt(0), b.GetEntityBN("zor_user")->FindAttr("name"), name));
    EXPECT_EQ(name, "Administrator");
    // A second import of the export into a fresh database exports to the same file.
    zor::test::MakeDatabase(dir.Path(), "copy");
    zor::appserver::ServerDatabase copy;
    ASSERT_TRUE(copy.Open(dir.Path() + "/copy.qmdb"));
    ASSERT_TRUE(zor::appserver::ImportStoreFile(copy, dict, example, error)) << error;
    const std::string out2 = dir / "out2.zordot";
    ASSERT_TRUE(zor::appserver::ExportStoreFile(copy, dict, out2, error)) << error;
    const auto dataOf = [](const std::string& text) { return text.substr(text.find("DATA;")); };
    EXPECT_EQ(dataOf(zor::test::Slurp(out)), dataOf(zor::test::Slurp(out2)));
    // A file that is not a store file changes nothing.
    std::ofstream(dir / "bad.zordot") << "ISO-10303-21;\nHEADER;garbage";
    EXPECT_FALSE(zor::appserver::ImportStoreFile(copy, dict, dir / "bad.zordot", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(copy.IntegrityCheck(), "ok");
}

TEST(AppServer, FaultRulesFromTheCommandLine) {
    zor::appserver::FaultPlan plan;
    ASSERT_TRUE(plan.Parse("39:2:status:106:offer,25:0:errorform:150,v1only"));
    EXPECT_TRUE(plan.Version1Only());
    zor::appserver::FaultRule r;
    EXPECT_FALSE(plan.Pick(39, r));  // the first 39 passes
    ASSERT_TRUE(plan.Pick(39, r));   // the second fails with 106 and the offer
    EXPECT_EQ(r.action, zor::appserver::FaultAction::Status);
    EXPECT_EQ(r.value, 106);
    EXPECT_TRUE(r.offer);
    EXPECT_FALSE(plan.Pick(39, r));
    ASSERT_TRUE(plan.Pick(25, r));
    EXPECT_EQ(r.action, zor::appserver::FaultAction::ErrorForm);
    for (const char* bad : {"39", "39:x:status", "39:1:nosuch:1", "39:1:status:z"}) EXPECT_FALSE(zor::appserver::FaultPlan().Parse(bad)) << bad;
    // A seeded probability gives the same faults for the same seed.
    const auto run = [](uint32_t seed) {
        zor::appserver::FaultPlan p;
        p.Seed(seed);
        p.Add({39, 0, 0.3, zor::appserver::FaultAction::Reset, 0, false, -1});
        std::string hits;
        zor::appserver::FaultRule x;
        for (int i = 0; i < 40; ++i) hits += p.Pick(39, x) ? '1' : '0';
        return hits;
    };
    EXPECT_EQ(run(5), run(5));
    EXPECT_NE(run(5).find('1'), std::string::npos);
    EXPECT_NE(run(5).find('0'), std::string::npos);
}
