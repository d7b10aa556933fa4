// The server program under requests that touch much: a stop ends a long request at once, and a
// kill in the middle of saves leaves indexes that agree with the rows.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

#include "platform/appserver/access.h"
#include "platform/appserver/indexes.h"
#include "platform/appserver/save.h"
#include "platform/appserver/write_turn.h"
#include "platform/tests/transport/server_fixture.h"
#include "platform/tests/transport/server_rows.h"
#include "platform/transport/net_errors.h"
#include "platform/transport/socket_client.h"
#include "platform/zordata/stepbuf.h"
#include "platform/zordata/zordata.h"

using namespace zor::net;
using zor::test::Field;
using zor::test::LoginPayload;
using zor::test::RequestMessage;

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int32_t kFirstPoint = 10000;
constexpr int32_t kFirstElement = 20000;

Bytes Ask(CzorSocketClient& c, Bytes msg) {
    unsigned char* p = msg.data();
    int n = static_cast<int>(msg.size());
    if (!c.Call(p, n, nullptr, 0, true, true)) return {};
    return Bytes(p, p + n);
}

// The status of a reply whose signature is "lb".
int32_t StatusOf(const Bytes& reply) { return reply.size() >= 18 ? LoadI32(reply.data() + 14) : -1; }

class ScaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        zor::test::MakeDatabase(dir.Path());
        ASSERT_TRUE(client.LoadDictionary(QM_DICT_DIR "/quillmark"));
    }

    // `points` points, and `elements` sheet elements, element k at point k % referred.
    void Fill(int points, int elements, int referred) {
        zor::appserver::ServerDatabase db;
        ASSERT_TRUE(db.Open(dir.Path() + "/main.qmdb"));
        std::vector<zor::appserver::InstanceRow> rows;
        std::vector<CzorInstance*> pts;
        for (int i = 0; i < points; ++i) {
            CzorInstance* p = client.CreateInstanceBN("zor_point");
            p->SetId(kFirstPoint + i);
            client.PutAttrBN(p, "x", i);
            pts.push_back(p);
        }
        for (int k = 0; k < elements; ++k) {
            CzorInstance* e = client.CreateInstanceBN("zor_report_sheet_element");
            e->SetId(kFirstElement + k);
            client.PutAttrBN(e, "name", "элемент " + std::to_string(k));
            client.PutAttrBN(e, "org_pt", pts[static_cast<size_t>(k % referred)]);
        }
        for (CzorInstance* inst : client.GetInstances()) rows.push_back(zor::test::ServerRowOf(client, inst));
        client.ClearData();
        ASSERT_TRUE(db.PutInstances(rows));
    }

    std::unique_ptr<CzorSocketClient> LoggedIn(int port) {
        auto c = std::make_unique<CzorSocketClient>();
        c->SetInactivityTimeout(5000);
        if (!c->Connect("127.0.0.1", port)) return nullptr;
        if (Ask(*c, RequestMessage(2, kCmdLogin, "lb", LoginPayload("user", "pw", "main"))).empty()) return nullptr;
        return c;
    }

    zor::test::ScopedTempDir dir;
    CzorStepData client;
};

// One request of 10,000 reference loads, each bringing 2,000 instances, is still running when the
// server is told to stop: the server ends within a second.
TEST_F(ScaleTest, AStopEndsTheServerWithinASecondWhateverIsUnderWay) {
    Fill(1, 2000, 1);
    zor::test::ServerProcess proc(dir.Path());
    WireWriter body;
    body.Bytes("Load query bufer v0.1", 22);
    body.I32(10000);
    for (int i = 0; i < 10000; ++i) {
        body.I32(i);
        body.Bytes("r\0\0\0", 4);
        body.I32(kFirstPoint);
        body.I32(0);
        body.I32(0);
        body.Bytes("\1\0\0\0", 4);
    }
    std::atomic<bool> asked{false};
    Bytes reply;
    std::thread loader([&] {
        auto c = LoggedIn(proc.Port());
        if (!c) return;
        asked = true;
        reply = Ask(*c, RequestMessage(2, kCmdLoad, "lb", Field(body.Out())));
    });
    for (int i = 0; i < 500 && !asked; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(asked);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // well into the request
    int status = 0;
    EXPECT_TRUE(proc.EndsWithin(SIGTERM, 1000, status)) << "the server still ran a second after the stop";
    loader.join();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // The request was cut, not finished.
    EXPECT_TRUE(reply.empty() || StatusOf(reply) == ZOR_NET_SRV_BREAK) << StatusOf(reply);
}

// A request that only reads answers from one state of the database: a save committed by another
// session meanwhile shows only in the next request.
TEST_F(ScaleTest, AReadRequestSeesOneStateOfTheDatabase) {
    Fill(1, 0, 1);
    const std::string path = dir.Path() + "/main.qmdb";
    zor::appserver::ServerDatabase reader, writer;
    ASSERT_TRUE(reader.Open(path));
    ASSERT_TRUE(writer.Open(path));
    const auto before = reader.GetInstance(kFirstPoint);
    ASSERT_TRUE(before);
    CzorInstance* p = client.CreateInstanceBN("zor_point");
    p->SetId(kFirstPoint);
    client.PutAttrBN(p, "x", 77);
    const zor::appserver::InstanceRow changed = zor::test::ServerRowOf(client, p);
    client.ClearData();
    {
        zor::appserver::ReadSnapshot snapshot(reader);
        EXPECT_EQ(reader.GetInstance(kFirstPoint), before);
        ASSERT_TRUE(writer.InTransaction([&] { return writer.WriteInstanceRow(changed.id, changed.entity, changed.data); }));
        EXPECT_EQ(reader.GetInstance(kFirstPoint), before) << "the request saw a change made while it ran";
    }
    EXPECT_EQ(reader.GetInstance(kFirstPoint), changed.data);
}

// Sessions logging in at once to a database file not yet in write-ahead mode (a copy, a restored
// backup): every one of them gets the database, none is refused it.
TEST_F(ScaleTest, SessionsOpeningAFileNotYetSwitchedAtOnceAreNotRefused) {
    const std::string path = dir.Path() + "/main.qmdb";
    constexpr int kSessions = 12;
    for (int round = 0; round < 30; ++round) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        const int switched = sqlite3_exec(raw, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
        ASSERT_EQ(switched, SQLITE_OK);
        std::atomic<int> ready{0}, opened{0};
        std::vector<std::thread> sessions;
        for (int i = 0; i < kSessions; ++i)
            sessions.emplace_back([&] {
                zor::appserver::ServerDatabase db;
                ++ready;
                while (ready < kSessions) std::this_thread::yield();
                if (db.Open(path)) ++opened;
            });
        for (std::thread& t : sessions) t.join();
        ASSERT_EQ(opened, kSessions) << "round " << round;
    }
}

// Saves that queue behind a writer are applied together. One of them writes a new point and is
// then refused (it changes a point its user may only read): the others land, the refused one
// leaves nothing, not even its new point.
TEST_F(ScaleTest, SavesQueuedTogetherLandAndARefusedOneLeavesNothing) {
    constexpr int kSaves = 6;
    constexpr int kRefused = 3;
    constexpr int32_t kReadOnlyPoint = kFirstPoint + 9;
    Fill(10, 0, 1);
    const std::string path = dir.Path() + "/main.qmdb";
    zor::appserver::ServerDatabase held;
    ASSERT_TRUE(held.Open(path));
    const auto user = held.FindUser("user");
    ASSERT_TRUE(user);
    ASSERT_TRUE(zor::appserver::EnsureAccessSchema(held));
    const std::string readOnly = "INSERT OR REPLACE INTO access_inst(id, mode, individual) VALUES(" +
                                 std::to_string(kReadOnlyPoint) + ", 2, 0)";
    ASSERT_EQ(sqlite3_exec(held.Handle(), readOnly.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);

    std::vector<Bytes> buffers;
    for (int k = 0; k < kSaves; ++k) {
        CzorInstance* fresh = client.CreateInstanceBN("zor_point");
        client.PutAttrBN(fresh, "y", 100 + k);
        CzorInstance* old = client.CreateInstanceBN("zor_point");
        old->SetId(k == kRefused ? kReadOnlyPoint : kFirstPoint + k);
        client.PutAttrBN(old, "x", 1000 + k);
        buffers.push_back(zor::test::SaveBufferOf(client, {fresh, old}));
    }

    // The turn is held while all of them ask.
    std::optional<zor::appserver::WriteTurn> turn(std::in_place, held.Handle());
    ASSERT_TRUE(turn->Held());
    const auto group = zor::appserver::WriteGroup::For(sqlite3_db_filename(held.Handle(), "main"));
    std::vector<int32_t> status(kSaves, -1), created(kSaves, 0);
    std::vector<std::thread> sessions;
    for (int k = 0; k < kSaves; ++k)
        sessions.emplace_back([&, k] {
            zor::appserver::ServerDatabase db;
            CzorStepData scratch;
            if (!db.Open(path) || !scratch.LoadDictionary(QM_DICT_DIR "/quillmark")) return;
            // Out of the administrators' group, so that rights count.
            zor::appserver::AccessView view(db, user->id, 0);
            Bytes reply;
            const Bytes& b = buffers[static_cast<size_t>(k)];
            status[static_cast<size_t>(k)] = zor::appserver::ApplySave(db, scratch, b.data(), b.size(), nullptr, reply, view);
            if (reply.size() >= 28) created[static_cast<size_t>(k)] = LoadI32(reply.data() + 22);
        });
    for (int i = 0; i < 500 && group->Pending() < kSaves; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(group->Pending(), static_cast<size_t>(kSaves)) << "the saves did not all queue";
    turn.reset();
    for (auto& t : sessions) t.join();

    zor::appserver::ServerDatabase db;
    ASSERT_TRUE(db.Open(path));
    CzorStepData check;
    ASSERT_TRUE(check.LoadDictionary(QM_DICT_DIR "/quillmark"));
    CzorEntity* point = check.GetEntityBN("zor_point");
    const auto valueOf = [&](int32_t id, const char* attr) {
        const auto row = db.GetInstance(id);
        if (!row) return -1;
        const auto attrs = point->GetAllAttrs();
        const auto at = std::find(attrs.begin(), attrs.end(), check.GetAttrDefinition(point, attr)) - attrs.begin();
        CzorDataBuf b;
        b.SetExternalData(row->data(), row->size());
        CzorValue v;
        for (ptrdiff_t i = 0; i <= at; ++i)
            if (!zorReadBufValue(b, v)) return -1;
        int out = -1;
        return v.Get(out) ? out : -1;
    };
    for (int k = 0; k < kSaves; ++k) {
        SCOPED_TRACE(k);
        if (k == kRefused) {
            EXPECT_EQ(status[static_cast<size_t>(k)], ZOR_NET_SRV_ACCESS_DENY);
            EXPECT_EQ(valueOf(kReadOnlyPoint, "x"), 9);
            continue;
        }
        EXPECT_EQ(status[static_cast<size_t>(k)], 0);
        EXPECT_EQ(valueOf(created[static_cast<size_t>(k)], "y"), 100 + k);
        EXPECT_EQ(valueOf(kFirstPoint + k, "x"), 1000 + k);
    }
    // Ten points filled, one new per save that landed.
    EXPECT_EQ(db.Extent("zor_point").size(), static_cast<size_t>(10 + kSaves - 1));
    EXPECT_EQ(zor::appserver::CheckIndexes(db.Handle()), "ok");
}

// Writers create, re-point and delete referred instances; the server is killed mid-burst. The
// indexes rebuilt from the rows are the ones kept, every point whose making was acknowledged is
// there, and no row refers to an instance whose deletion was acknowledged.
TEST_F(ScaleTest, IndexesAgreeWithTheRowsAfterAKillDuringSaves) {
    constexpr int kWriters = 4;
    Fill(400, 800, 400);
    zor::test::ServerProcess proc(dir.Path());
    std::atomic<int> acknowledged{0};
    std::atomic<bool> go{true};
    std::vector<std::vector<int32_t>> deleted(kWriters), made(kWriters);
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            CzorStepData store;
            if (!store.LoadDictionary(QM_DICT_DIR "/quillmark")) return;
            auto c = LoggedIn(proc.Port());
            if (!c) return;
            zorStepBufWriteOptions o;
            o.text = zorBufText::Cp1251;
            o.values = zorStepBufValues::Changed;
            for (int i = 0; i < 3000 && go; ++i) {
                CzorDataBuf b;
                int32_t gone = 0;
                if (i % 3 == 2) {
                    // Writer w deletes its own points, which elements refer to.
                    gone = kFirstPoint + w * 100 + i / 3;
                    if (i / 3 >= 90) break;
                    b.Add(kzorStepDataSignature, kzorStepDataSignatureSize);
                    b.Add(std::string("quillmark"));
                    b.Add(int32_t{0});
                    b.Add(int32_t{1});
                    b.Add(gone);
                    b.Add(int16_t{0});
                    b.Add(int8_t{0});
                } else {
                    std::vector<CzorInstance*> list;
                    if (i % 3 == 0) {
                        CzorInstance* p = store.CreateInstanceBN("zor_point");
                        store.PutAttrBN(p, "y", i);
                        list.push_back(p);
                    } else {
                        // Re-points one of its elements at a point no writer deletes.
                        CzorInstance* e = store.CreateInstanceBN("zor_report_sheet_element");
                        e->SetId(kFirstElement + w * 200 + (i / 3) % 200);
                        CzorInstance* p = store.CreateInstanceBN("zor_point");
                        p->SetId(kFirstPoint + w * 100 + 95);
                        store.PutAttrBN(e, "org_pt", p);
                        list.push_back(e);
                    }
                    if (!zorWriteStepDataBuf(store, b, list, o)) return;
                    store.ClearData();
                }
                const Bytes a = Ask(*c, RequestMessage(2, kCmdSaveChanges, "lb", Field(Bytes(b.GetBuffer(), b.GetBuffer() + b.GetSize()))));
                if (StatusOf(a) != 0) break;
                if (gone) deleted[static_cast<size_t>(w)].push_back(gone);
                if (i % 3 == 0) {
                    // The reply gives the new point's id after its signature.
                    const std::string sig = zor::appserver::kSaveReplySignature;
                    const auto at = std::search(a.begin(), a.end(), sig.begin(), sig.end());
                    if (a.end() - at >= static_cast<ptrdiff_t>(sig.size() + 1 + 4))
                        made[static_cast<size_t>(w)].push_back(LoadI32(&*at + sig.size() + 1));
                }
                ++acknowledged;
            }
        });
    }
    for (int i = 0; i < 500 && acknowledged < 60; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    proc.Kill(SIGKILL);
    go = false;
    for (auto& t : writers) t.join();
    ASSERT_GT(acknowledged.load(), 0);
    ASSERT_FALSE(made[0].empty());
    zor::appserver::ServerDatabase db;
    ASSERT_TRUE(db.Open(dir.Path() + "/main.qmdb"));
    EXPECT_EQ(db.IntegrityCheck(), "ok");
    EXPECT_EQ(zor::appserver::CheckIndexes(db.Handle()), "ok");
    for (const auto& ids : made)
        for (int32_t id : ids) EXPECT_TRUE(db.GetInstance(id)) << "acknowledged and lost: " << id;
    for (const auto& ids : deleted)
        for (int32_t id : ids) {
            EXPECT_FALSE(db.GetInstance(id)) << id;
            std::vector<int32_t> referrers;
            ASSERT_TRUE(zor::appserver::ReferrerIds(db.Handle(), id, referrers));
            EXPECT_TRUE(referrers.empty()) << id;
        }
    // A restart finds them as they were.
    proc.Start(0);
    auto c = LoggedIn(proc.Port());
    ASSERT_TRUE(c);
    EXPECT_EQ(zor::appserver::CheckIndexes(db.Handle()), "ok");
}

}  // namespace
