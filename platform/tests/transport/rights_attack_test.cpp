// The server program's rights against a hostile client on loopback: accounts made with -create and
// -setuser, then one row per attack, each with the status it must get and what must not have
// changed or leaked; the administrator's own operations still work.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sqlite3.h>

#include "platform/appserver/database.h"
#include "platform/appserver/indexes.h"
#include "platform/appserver/statement_cache.h"
#include "platform/base/scramble.h"
#include "platform/tests/transport/server_fixture.h"
#include "platform/tests/transport/server_rows.h"
#include "platform/text/cp1251.h"
#include "platform/transport/net_errors.h"
#include "platform/transport/socket_client.h"
#include "platform/zordata/query_parser.h"
#include "platform/zordata/stepbuf.h"
#include "platform/zordata/zordata.h"

using namespace zor::net;
using zor::test::Field;
using zor::test::RequestMessage;

namespace {

using Bytes = std::vector<unsigned char>;

constexpr char kAdminPw[] = "Adm1n secret";
constexpr char kAlicePw[] = "alice-pw";
constexpr char kBobPw[] = "bob-pw";

// Runs the server program with these arguments and `input` on its standard input; the exit status
// (-1 when it did not end within 10 s).
int RunProgram(const std::vector<std::string>& args, const std::string& input) {
    int pipeFd[2];
    if (::pipe(pipeFd) != 0) return -1;
    std::vector<std::string> all = {std::string(QM_BIN_DIR) + "/zorappserver"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFd[0], 0);
        ::close(pipeFd[0]);
        ::close(pipeFd[1]);
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFd[0]);
    (void)!::write(pipeFd[1], input.data(), input.size());
    ::close(pipeFd[1]);
    int st = 0;
    for (int i = 0; i < 1000; ++i) {
        if (::waitpid(pid, &st, WNOHANG) == pid) return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        ::usleep(10000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &st, 0);
    return -1;
}

Bytes Scrambled(const std::string& text) {
    std::string s;
    zor::ScrambleText(text.c_str(), s);
    return Bytes(s.begin(), s.end());
}

bool Contains(const Bytes& hay, const Bytes& needle) {
    return !needle.empty() && std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}
bool Contains(const Bytes& hay, const std::string& needle) { return Contains(hay, Bytes(needle.begin(), needle.end())); }

// Nothing of any password: plain, scrambled or its kept form.
::testing::AssertionResult NoPassword(const Bytes& reply) {
    for (const char* pw : {kAdminPw, kAlicePw, kBobPw, "carol-pw"})
        if (Contains(reply, std::string(pw)) || Contains(reply, Scrambled(pw)))
            return ::testing::AssertionFailure() << "the reply carries password " << pw;
    if (Contains(reply, std::string("$argon2"))) return ::testing::AssertionFailure() << "the reply carries a kept form";
    return ::testing::AssertionSuccess();
}

// A login block carrying `wire` as the password field exactly as given.
Bytes RawLogin(const std::string& user, const std::string& wire) {
    Bytes block(kLoginBlockSize, 0);
    std::copy(user.begin(), user.end(), block.begin());
    std::copy(wire.begin(), wire.end(), block.begin() + kLoginPasswordOffset);
    const std::string db = "main";
    std::copy(db.begin(), db.end(), block.begin() + kLoginDatabaseOffset);
    return Field(block);
}

// One connection speaking version 1.
class Conn {
public:
    explicit Conn(int port) {
        m_c.SetInactivityTimeout(10000);
        m_ok = m_c.Connect("127.0.0.1", port);
    }
    Bytes Ask(Bytes msg) {
        unsigned char* p = msg.data();
        int n = static_cast<int>(msg.size());
        if (!m_ok || !m_c.Call(p, n, nullptr, 0, true, true)) return {};
        return Bytes(p, p + n);
    }
    // The status of a reply (the error form's code, else the normal form's status); -1 for none.
    static int32_t Status(const Bytes& r) {
        if (r.size() < 16) return -1;
        if (LoadI32(r.data() + 4) == 0) return r.size() >= 20 ? LoadI32(r.data() + 16) : -1;
        const size_t at = 12 + static_cast<size_t>(LoadI32(r.data() + 8));
        return r.size() >= at + 4 ? LoadI32(r.data() + at) : -1;
    }
    // The first field of a normal-form reply's payload.
    static Bytes Body(const Bytes& r) {
        const size_t at = 12 + static_cast<size_t>(LoadI32(r.data() + 8)) + 4;
        if (r.size() < at + 4) return {};
        const size_t n = static_cast<size_t>(LoadI32(r.data() + at));
        return r.size() >= at + 4 + n ? Bytes(r.begin() + static_cast<long>(at) + 4, r.begin() + static_cast<long>(at + 4 + n)) : Bytes();
    }
    int32_t Call(int command, const char* sig, const Bytes& payload, Bytes* body = nullptr) {
        const Bytes r = Ask(RequestMessage(1, command, sig, payload));
        if (body) *body = r.size() >= 16 && LoadI32(r.data() + 4) != 0 ? Body(r) : Bytes();
        return Status(r);
    }
    int32_t Login(const std::string& user, const std::string& password) {
        return Status(Ask(RequestMessage(1, kCmdLogin, "lb", zor::test::LoginPayload(user, password, "main"))));
    }
    int32_t LoginRaw(const std::string& user, const std::string& wire) {
        return Status(Ask(RequestMessage(1, kCmdLogin, "lb", RawLogin(user, wire))));
    }

private:
    CzorSocketClient m_c;
    bool m_ok = false;
};

Bytes I32s(std::initializer_list<int32_t> v) {
    zor::net::WireWriter w;
    for (int32_t x : v) w.I32(x);
    return w.Out();
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
Bytes Sig(const char* s) { return Bytes(s, s + std::strlen(s) + 1); }

class RightsAttack : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(client.LoadDictionary(QM_DICT_DIR "/quillmark"));
        client.SetErorPrintMode(false);
        data = dir.Path() + "/data";
        ASSERT_EQ(RunProgram({"-data=" + data, "-create=main"}, std::string(kAdminPw) + "\n"), 0);
        ASSERT_EQ(RunProgram({"-data=" + data, "-setuser=main:alice"}, std::string(kAlicePw) + "\n"), 0);
        ASSERT_EQ(RunProgram({"-data=" + data, "-setuser=main:bob"}, std::string(kBobPw) + "\r\n"), 0);
        server = std::make_unique<zor::test::ServerProcess>(data);
    }
    int Port() const { return server->Port(); }
    std::string DbPath() const { return data + "/main.qmdb"; }
    int32_t UserId(const std::string& name) {
        zor::appserver::ServerDatabase db;
        if (!db.Open(DbPath())) return 0;
        auto u = db.FindUser(name);
        return u ? u->id : 0;
    }
    int16_t EntityId(const char* name) { return static_cast<int16_t>(client.GetEntityBN(name)->GetId()); }
    int32_t AttrId(const char* entity, const char* attr) {
        return client.GetAttrDefinition(client.GetEntityBN(entity), attr)->GetId();
    }

    // A save buffer of instances made by `fill` in the client store (ids set there: existing ones).
    Bytes SaveBody(const std::function<void(CzorStepData&, std::vector<CzorInstance*>&)>& fill) {
        std::vector<CzorInstance*> list;
        fill(client, list);
        return Field(zor::test::SaveBufferOf(client, list));
    }
    // A save buffer deleting the instance.
    Bytes DeleteBody(int32_t id) {
        CzorDataBuf b;
        b.Add(reinterpret_cast<const unsigned char*>(kzorStepDataSignature), kzorStepDataSignatureSize);
        std::string name;
        zor::Utf8ToCp1251(client.GetDictName(), name);
        b.Add(name);
        b.Add(int32_t{0});
        b.Add(int32_t{1});
        b.Add(id);
        b.Add(int16_t{0});
        b.Add(int8_t{0});
        return Field(Bytes(b.GetBuffer(), b.GetBuffer() + b.GetSize()));
    }
    // Saves; the id of the first header (0 when refused).
    int32_t Save(Conn& c, const Bytes& body) {
        Bytes reply;
        if (c.Call(kCmdSaveChanges, "lb", body, &reply) != 0 || reply.size() < 26) return 0;
        return LoadI32(reply.data() + 22);
    }
    int32_t NewInstance(Conn& c, const char* entity, const char* attr, const std::string& value) {
        return Save(c, SaveBody([&](CzorStepData& s, std::vector<CzorInstance*>& l) {
            CzorInstance* i = s.CreateInstanceBN(entity);
            if (attr) s.PutAttrBN(i, attr, value);
            else s.PutAttrBN(i, "x", 7);
            l.push_back(i);
        }));
    }
    // The default mode of the instances for everyone without his own (command 33).
    int32_t SetDefault(Conn& c, int32_t id, int16_t entity, uint8_t mode, int32_t code1 = 0, int32_t code2 = 0,
                       int32_t agent = 0) {
        zor::net::WireWriter w;
        w.Bytes("Access bufer set v0.3", 22);
        w.I32(code1);
        w.I32(code2);
        w.I32(1);
        w.I32(1);
        w.I32(agent);
        w.I32(1);
        w.I32(id);
        w.I32(entity);
        w.U8(mode);
        if (agent == 0) w.I32(1);
        return c.Call(kCmdSetGroupAccess, "lb", Field(w.Out()));
    }
    // The agent's own mode on the instance (command 34), or -status.
    int AgentMode(Conn& c, int32_t id, int16_t entity, int32_t agent) {
        zor::net::WireWriter w;
        w.Bytes("Access bufer get v0.1", 22);
        w.I32(1);
        w.I32(agent);
        w.I32(1);
        w.I32(id);
        w.I32(entity);
        w.U8(4);
        w.I32(0);
        Bytes body;
        const int32_t st = c.Call(kCmdGetGroupAccess, "lb", Field(w.Out()), &body);
        if (st) return -st;
        return body.size() >= 22 + 4 + 8 + 9 ? body[22 + 4 + 8 + 8] : -1000;
    }
    Bytes LoadBody(char type, int32_t id, int32_t entity, int32_t attr, bool a = true, bool b = true) {
        zor::net::WireWriter w;
        w.Bytes("Load query bufer v0.1", 22);
        w.I32(1);
        w.I32(0);
        const unsigned char t[4] = {static_cast<unsigned char>(type), 0, 0, 0};
        w.Bytes(t, 4);
        w.I32(id);
        w.I32(entity);
        w.I32(attr);
        const unsigned char flags[4] = {a, b, 0, 0};
        w.Bytes(flags, 4);
        return Field(w.Out());
    }
    // Blob by name: read whole (status of the first refusal, contents in `out`).
    int32_t ReadBlob(Conn& c, const std::string& name, Bytes* out = nullptr) {
        Bytes reply;
        const int32_t st = c.Call(kCmdOpenBlob, "lblbll", Cat({Field(Sig(name.c_str())), Field({0}), I32s({4096, 0})}), &reply);
        if (st) return st;
        Bytes all;
        for (int i = 0; i < 100; ++i) {
            const Bytes r = c.Ask(RequestMessage(1, kCmdReadBlobPortion, "l", I32s({4096})));
            if (Conn::Status(r)) return Conn::Status(r);
            const Bytes part = Conn::Body(r);
            all.insert(all.end(), part.begin(), part.end());
            if (r.size() >= 4 && LoadI32(r.data() + r.size() - 4) == 1) break;
        }
        if (out) *out = all;
        return 0;
    }
    int32_t DeleteBlob(Conn& c, const std::string& name) {
        Bytes reply;
        const int32_t st = c.Call(kCmdOpenBlob, "lblbll", Cat({Field(Sig(name.c_str())), Field({0}), I32s({4096, 0})}), &reply);
        if (st) return st;
        return c.Call(kCmdEndBlobWrite, "", {});
    }
    std::string WriteBlob(Conn& c, const std::string& contents) {
        Bytes reply;
        Bytes area(4096, 0);
        if (c.Call(kCmdOpenBlob, "lblbll", Cat({Field(area), Field(Sig("blob_from_memory")), I32s({4096, 0})}), &reply)) return {};
        const std::string name(reinterpret_cast<const char*>(reply.data()));
        if (c.Call(kCmdWriteBlobPortion, "lbl", Cat({Field(Bytes(contents.begin(), contents.end())), I32s({1})}))) return {};
        return name;
    }

    zor::test::ScopedTempDir dir;
    std::string data;
    CzorStepData client;
    std::unique_ptr<zor::test::ServerProcess> server;
};

TEST_F(RightsAttack, OrdinaryUsersCannotTakeWhatIsNotTheirs) {
    Conn admin(Port()), alice(Port()), bob(Port());
    ASSERT_EQ(admin.Login("Administrator", kAdminPw), 0);
    ASSERT_EQ(alice.Login("alice", kAlicePw), 0);
    ASSERT_EQ(bob.Login("bob", kBobPw), 0);
    const int32_t aliceId = UserId("alice"), bobId = UserId("bob");
    ASSERT_GT(aliceId, 0);
    const int16_t point = EntityId("zor_point"), pic = EntityId("background_pic"), user = EntityId("zor_user");

    // Alice's things: a hidden point and picture whose blob only she may read, a read-only picture
    // for everyone, a blob nothing names yet, and two deleted points (one hidden).
    const int32_t hidden = NewInstance(alice, "zor_point", nullptr, "");
    const std::string secretBlob = WriteBlob(alice, "alice's secret"), sharedBlob = WriteBlob(alice, "read me"),
                      looseBlob = WriteBlob(alice, "not named yet");
    ASSERT_FALSE(secretBlob.empty());
    ASSERT_FALSE(looseBlob.empty());
    const int32_t hiddenPic = NewInstance(alice, "background_pic", "file_path", secretBlob);
    const int32_t sharedPic = NewInstance(alice, "background_pic", "file_path", sharedBlob);
    ASSERT_EQ(SetDefault(alice, hidden, point, 3), 0);
    ASSERT_EQ(SetDefault(alice, hiddenPic, pic, 3), 0);
    ASSERT_EQ(SetDefault(alice, sharedPic, pic, 2), 0);
    const int32_t goneHidden = NewInstance(alice, "zor_point", nullptr, ""), goneSeen = NewInstance(alice, "zor_point", nullptr, "");
    ASSERT_EQ(SetDefault(alice, goneHidden, point, 3), 0);
    ASSERT_EQ(Save(alice, DeleteBody(goneHidden)), goneHidden);
    ASSERT_EQ(Save(alice, DeleteBody(goneSeen)), goneSeen);
    // The administrator makes a user with a password through a save and deletes her again.
    const int32_t carol = Save(admin, SaveBody([&](CzorStepData& s, std::vector<CzorInstance*>& l) {
        CzorInstance* u = s.CreateInstanceBN("zor_user");
        s.PutAttrBN(u, "name", "carol");
        std::string pw;
        zor::ScrambleText("carol-pw", pw);
        s.PutAttrBN(u, "password", pw);
        s.PutAttrBN(u, "access_mode", 15);
        l.push_back(u);
    }));
    ASSERT_GT(carol, 0);
    {
        Conn c(Port());
        EXPECT_EQ(c.Login("carol", "carol-pw"), 0) << "a password saved by the administrator logs in";
    }
    ASSERT_EQ(Save(admin, DeleteBody(carol)), carol);

    const auto changeUser = [&](int32_t id, const char* password) {
        return SaveBody([&, id](CzorStepData& s, std::vector<CzorInstance*>& l) {
            CzorInstance* u = s.CreateInstanceBN("zor_user");
            u->SetId(id);
            std::string pw;
            zor::ScrambleText(password, pw);
            s.PutAttrBN(u, "password", pw);
            l.push_back(u);
        });
    };
    CzorQLQueryParser parser(&client);
    ASSERT_TRUE(parser.ParseSelectStatement("select a from a{zor_user} end_select"));
    CzorDataBuf queryBody;
    ASSERT_TRUE(parser.SaveToDataBuf(queryBody));
    const auto findBody = [&](const char* name) {
        CzorDataBuf b;
        b.Add(reinterpret_cast<const unsigned char*>("zor_TestFindBuf V 0.103"), 24);
        b.Add(int32_t{user});
        b.Add(int32_t{0});
        b.Add(int32_t{1});
        b.Add(int32_t{0});
        b.Add(AttrId("zor_user", "name"));
        CzorValue v;
        v.Set(std::string(name));
        zorAppendBufValue(b, v, nullptr, zorBufText::Cp1251);
        for (int32_t x : {0, 1, 0}) b.Add(x);
        return Field(Bytes(b.GetBuffer(), b.GetBuffer() + b.GetSize()));
    };
    const auto historyBody = [&](int32_t id, int16_t entity) {
        zor::net::WireWriter w;
        w.Bytes("zor_LoadInstUserDataTimeInfoQuery V 0.100", 42);
        w.I32(1);
        w.I32(id);
        const unsigned char e[3] = {static_cast<unsigned char>(entity & 0xff), static_cast<unsigned char>(entity >> 8), 0};
        w.Bytes(e, 3);
        return Field(w.Out());
    };
    const auto blockIds = [&](const Bytes& body) {
        CzorDataBuf b;
        b.SetExternalData(body.data(), body.size());
        std::vector<int32_t> ids;
        EXPECT_TRUE(zorStepBufBlockIds(client, b, ids, zorBufText::Cp1251));
        return std::set<int32_t>(ids.begin(), ids.end());
    };
    const int32_t passwordAttr = AttrId("zor_user", "password");
    const Bytes qb(queryBody.GetBuffer(), queryBody.GetBuffer() + queryBody.GetSize());

    struct Attack {
        const char* what;
        Conn* who;
        int command;
        const char* sig;
        Bytes payload;
        int32_t status;
        std::function<void(const Bytes& body)> unchanged;
    };
    const auto noPassword = [](const Bytes& body) { EXPECT_TRUE(NoPassword(body)); };
    // A save of a new picture of his own naming that blob.
    const auto newPictureNaming = [&](const std::string& blob) {
        return SaveBody([&](CzorStepData& s, std::vector<CzorInstance*>& l) {
            CzorInstance* i = s.CreateInstanceBN("background_pic");
            s.PutAttrBN(i, "file_path", blob);
            l.push_back(i);
        });
    };
    const std::vector<Attack> attacks = {
        {"an ordinary user saves a new password on the administrator", &bob, kCmdSaveChanges, "lb",
         changeUser(zor::appserver::kAdminUserId, "taken"), ZOR_NET_SRV_ACCESS_DENY,
         [&](const Bytes&) {
             Conn c(Port());
             EXPECT_NE(c.Login("Administrator", "taken"), 0);
             Conn d(Port());
             EXPECT_EQ(d.Login("Administrator", kAdminPw), 0);
         }},
        {"an ordinary user saves a password on himself", &bob, kCmdSaveChanges, "lb", changeUser(bobId, "mine"),
         ZOR_NET_SRV_ACCESS_DENY, [&](const Bytes&) {
             Conn c(Port());
             EXPECT_EQ(c.Login("bob", kBobPw), 0);
         }},
        {"an ordinary user makes a user", &bob, kCmdSaveChanges, "lb",
         SaveBody([](CzorStepData& s, std::vector<CzorInstance*>& l) {
             CzorInstance* u = s.CreateInstanceBN("zor_user");
             s.PutAttrBN(u, "name", "mallory");
             l.push_back(u);
             CzorInstance* p = s.CreateInstanceBN("zor_point");
             s.PutAttrBN(p, "x", 1);
             l.push_back(p);
         }),
         ZOR_NET_SRV_ACCESS_DENY, [&](const Bytes&) { EXPECT_EQ(UserId("mallory"), 0); }},
        {"an ordinary user deletes a user", &bob, kCmdSaveChanges, "lb", DeleteBody(aliceId), ZOR_NET_SRV_ACCESS_DENY,
         [&](const Bytes&) { EXPECT_EQ(UserId("alice"), aliceId); }},
        {"an ordinary user sets rights on a user", &bob, kCmdSetGroupAccess, "lb", {}, ZOR_NET_SRV_ACCESS_DENY, nullptr},
        {"the service code from an ordinary user", &bob, kCmdSetGroupAccess, "lb", {}, ZOR_NET_SRV_ACCESS_DENY,
         [&](const Bytes&) {
             EXPECT_EQ(AgentMode(alice, hidden, point, bobId), 4) << "bob got no mode of his own";
             EXPECT_EQ(AgentMode(alice, hidden, point, aliceId), 0) << "alice still owns it";
         }},
        {"load of a user with values", &bob, kCmdLoad, "lb", LoadBody('a', zor::appserver::kAdminUserId, 0, 0), 0,
         [&](const Bytes& body) {
             EXPECT_TRUE(NoPassword(body));
             EXPECT_TRUE(Contains(body, std::string("Administrator"))) << "names stay readable";
         }},
        {"extent of users", &bob, kCmdLoad, "lb", LoadBody('e', 0, user, 0), 0,
         [&](const Bytes& body) {
             EXPECT_TRUE(NoPassword(body));
             EXPECT_TRUE(Contains(body, std::string("alice")));
         }},
        {"the password attribute alone", &bob, kCmdLoad, "lb", LoadBody('i', zor::appserver::kAdminUserId, 0, passwordAttr), 0,
         noPassword},
        {"the password attribute's history", &bob, kCmdLoad, "lb", LoadBody('d', aliceId, 0, passwordAttr), 0, noPassword},
        {"instances referring to a user", &bob, kCmdLoad, "lb", LoadBody('r', aliceId, 0, 0), 0, noPassword},
        {"a query of users", &bob, kCmdQueryExecute, "lb", Field(qb), 0, noPassword},
        {"a search of users by name", &bob, kCmdFindInstances, "lb", findBody("Administrator"), 0,
         [&](const Bytes& body) {
             EXPECT_TRUE(NoPassword(body));
             EXPECT_EQ(blockIds(body), std::set<int32_t>{zor::appserver::kAdminUserId});
         }},
        {"the deleted list", &bob, kCmdLoadDelInst, "", {}, 0,
         [&](const Bytes& body) {
             EXPECT_TRUE(NoPassword(body));
             const auto ids = blockIds(body);
             EXPECT_TRUE(ids.count(goneSeen)) << "what he could see is listed";
             EXPECT_FALSE(ids.count(goneHidden)) << "what he could not see is not";
         }},
        {"the history of a user", &bob, kCmdInstUserDataTimeInfo, "lb", historyBody(aliceId, user), 0, noPassword},
        {"a hidden instance's blob by name", &bob, kCmdOpenBlob, "lblbll",
         Cat({Field(Sig(secretBlob.c_str())), Field({0}), I32s({4096, 0})}), ZOR_NET_SRV_ACCESS_DENY,
         [&](const Bytes&) { EXPECT_EQ(ReadBlob(alice, secretBlob), 0); }},
        {"replacing a hidden instance's blob", &bob, kCmdSaveChanges, "lb",
         SaveBody([&](CzorStepData& s, std::vector<CzorInstance*>& l) {
             CzorInstance* i = s.CreateInstanceBN("background_pic");
             i->SetId(hiddenPic);
             s.PutAttrBN(i, "file_path", looseBlob);
             l.push_back(i);
         }),
         ZOR_NET_SRV_ACCESS_DENY, [&](const Bytes&) {
             Bytes was;
             EXPECT_EQ(ReadBlob(alice, secretBlob, &was), 0);
             EXPECT_EQ(std::string(was.begin(), was.end()), "alice's secret");
             EXPECT_EQ(DeleteBlob(bob, secretBlob), ZOR_NET_SRV_ACCESS_DENY);
         }},
        {"another user's blob that nothing names yet", &bob, kCmdOpenBlob, "lblbll",
         Cat({Field(Sig(looseBlob.c_str())), Field({0}), I32s({4096, 0})}), ZOR_NET_SRV_ACCESS_DENY, nullptr},
        // A name he learnt once (or guessed) is no key: naming the blob in an instance of his own
        // would let him open it through that instance.
        {"naming a hidden instance's blob in an instance of his own", &bob, kCmdSaveChanges, "lb",
         newPictureNaming(secretBlob), ZOR_NET_SRV_ACCESS_DENY, [&](const Bytes&) { EXPECT_EQ(ReadBlob(bob, secretBlob), ZOR_NET_SRV_ACCESS_DENY); }},
        {"naming another user's blob that nothing names yet", &bob, kCmdSaveChanges, "lb",
         newPictureNaming(looseBlob), ZOR_NET_SRV_ACCESS_DENY, [&](const Bytes&) { EXPECT_EQ(ReadBlob(bob, looseBlob), ZOR_NET_SRV_ACCESS_DENY); }},
        {"the users' log", &bob, kCmdUsersLog, "", {}, ZOR_NET_SRV_ACCESS_DENY, nullptr},
        {"the active users", &bob, kCmdActiveUserList, "", {}, ZOR_NET_SRV_ACCESS_DENY, nullptr},
    };
    for (const Attack& a : attacks) {
        SCOPED_TRACE(a.what);
        Bytes body;
        int32_t status = 0;
        if (a.command == kCmdSetGroupAccess)
            status = std::string(a.what).find("service") != std::string::npos
                         ? SetDefault(*a.who, hidden, point, 0, 0x1234, 0x1234 ^ 0x3B6E0A95, bobId)
                         : SetDefault(*a.who, aliceId, user, 3);
        else
            status = a.who->Call(a.command, a.sig, a.payload, &body);
        EXPECT_EQ(status, a.status);
        a.who->Call(kCmdEndBlobRead, "", {});
        if (a.unchanged) a.unchanged(body);
    }

    // Blobs follow their instances: a read-only picture's blob reads, but does not go.
    EXPECT_EQ(ReadBlob(bob, sharedBlob), 0);
    EXPECT_EQ(DeleteBlob(bob, sharedBlob), ZOR_NET_SRV_ACCESS_DENY);
    Bytes contents;
    EXPECT_EQ(ReadBlob(alice, sharedBlob, &contents), 0);
    EXPECT_EQ(std::string(contents.begin(), contents.end()), "read me");
    EXPECT_EQ(DeleteBlob(bob, looseBlob), ZOR_NET_SRV_ACCESS_DENY);
    EXPECT_EQ(ReadBlob(alice, looseBlob, &contents), 0) << "the writer still has it";
    // What he may open he may name; a text that only looks like a blob's name is a text.
    EXPECT_NE(NewInstance(bob, "background_pic", "file_path", sharedBlob), 0);
    EXPECT_NE(NewInstance(bob, "background_pic", "file_path", "blob_0123456789abcdef"), 0);
    // Bob's own new blob is his until something names it.
    const std::string bobBlob = WriteBlob(bob, "bob's");
    EXPECT_EQ(ReadBlob(bob, bobBlob), 0);
    EXPECT_EQ(ReadBlob(alice, bobBlob), ZOR_NET_SRV_ACCESS_DENY);
    EXPECT_EQ(DeleteBlob(bob, bobBlob), 0);

    // Replacing a blob as the client does: a save names the new one, then whoever could change the
    // instance deletes the old one, which nothing names any more.
    const std::string oldBlob = WriteBlob(alice, "old"), newBlob = WriteBlob(bob, "new");
    const int32_t sharedRw = NewInstance(alice, "background_pic", "file_path", oldBlob);
    ASSERT_EQ(Save(bob, SaveBody([&](CzorStepData& s, std::vector<CzorInstance*>& l) {
                  CzorInstance* i = s.CreateInstanceBN("background_pic");
                  i->SetId(sharedRw);
                  s.PutAttrBN(i, "file_path", newBlob);
                  l.push_back(i);
              })),
              sharedRw);
    EXPECT_EQ(ReadBlob(alice, newBlob, &contents), 0);
    EXPECT_EQ(std::string(contents.begin(), contents.end()), "new");
    EXPECT_EQ(DeleteBlob(bob, oldBlob), 0);
    EXPECT_EQ(ReadBlob(admin, oldBlob), ZOR_NET_SRV_BLOB_NOT_FOUND);

    // The administrator's own operations.
    Bytes body;
    EXPECT_EQ(admin.Call(kCmdUsersLog, "", {}, &body), 0);
    EXPECT_EQ(admin.Call(kCmdActiveUserList, "", {}, &body), 0);
    EXPECT_TRUE(NoPassword(body));
    EXPECT_EQ(ReadBlob(admin, secretBlob, &contents), 0);
    EXPECT_EQ(std::string(contents.begin(), contents.end()), "alice's secret");
    EXPECT_EQ(SetDefault(admin, hidden, point, 2, 0x1234, 0x1234 ^ 0x3B6E0A95), 0);
    EXPECT_EQ(Save(admin, changeUser(bobId, "new bob")), bobId);
    Conn again(Port());
    EXPECT_EQ(again.Login("bob", "new bob"), 0);
    Conn old(Port());
    EXPECT_NE(old.Login("bob", kBobPw), 0);
}

TEST_F(RightsAttack, PasswordsAreKeptHashedAndOnlyTheRealOneLogsIn) {
    // The files are the server's own.
    struct stat st {};
    ASSERT_EQ(::stat(data.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(DbPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::string kept;
    {
        sqlite3* h = nullptr;
        ASSERT_EQ(sqlite3_open_v2(DbPath().c_str(), &h, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(h, "SELECT hash FROM user_secrets WHERE user = 3902", -1, &s, nullptr);
        if (sqlite3_step(s) == SQLITE_ROW) kept = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        sqlite3_finalize(s);
        sqlite3_close_v2(h);
    }
    ASSERT_EQ(kept.compare(0, 10, "$argon2id$"), 0);
    struct Try {
        const char* what;
        std::string user, wire;
        bool scramble;
        bool good;
    };
    const Try tries[] = {
        {"the password", "Administrator", kAdminPw, true, true},
        {"the password, trailing blanks padded away as the client sends them", "Administrator", std::string(kAdminPw) + "  ", true, true},
        {"the password unscrambled", "Administrator", kAdminPw, false, true},
        {"the kept form", "Administrator", kept, false, false},
        {"the kept form scrambled", "Administrator", kept, true, false},
        {"another case", "Administrator", "adm1n secret", true, false},
        {"empty", "Administrator", "", true, false},
        {"a user's own password for another user", "Administrator", kBobPw, true, false},
        {"a name that names nobody", "nobody", kAdminPw, true, false},
    };
    for (const Try& t : tries) {
        Conn c(Port());
        const int32_t st2 = t.scramble ? c.Login(t.user, t.wire) : c.LoginRaw(t.user, t.wire);
        EXPECT_EQ(st2 == 0, t.good) << t.what << ": " << st2;
    }
    // A refused login's name is logged cut to 64 bytes.
    {
        Conn c(Port());
        EXPECT_NE(c.Login(std::string(3000, 'n'), "x"), 0);
    }
    Conn admin(Port());
    ASSERT_EQ(admin.Login("Administrator", kAdminPw), 0);
    Bytes log;
    ASSERT_EQ(admin.Call(kCmdUsersLog, "", {}, &log), 0);
    EXPECT_TRUE(Contains(log, std::string(64, 'n')));
    EXPECT_FALSE(Contains(log, std::string(65, 'n')));
    // -setuser on an existing user changes his password only; :admin makes an administrator.
    ASSERT_EQ(RunProgram({"-data=" + data, "-setuser=main:bob:admin"}, "second\n"), 0);
    Conn bob(Port());
    ASSERT_EQ(bob.Login("bob", "second"), 0);
    EXPECT_EQ(bob.Call(kCmdUsersLog, "", {}, &log), 0);
}

// A password that reaches a row behind the server's back (a store file imported into a database a
// session has open) still never leaves it: the replies leave every user's password unset.
TEST_F(RightsAttack, APasswordInARowNeverLeavesTheServer) {
    Conn bob(Port());
    ASSERT_EQ(bob.Login("bob", kBobPw), 0);
    {
        CzorDataBuf b;
        CzorValue v;
        v.Set(std::string("legacy"));
        zorAppendBufValue(b, v);
        std::string scrambled;
        zor::ScrambleText("carol-pw", scrambled);
        v.Set(scrambled);
        zorAppendBufValue(b, v);
        v.Set(15);
        zorAppendBufValue(b, v);
        sqlite3* h = nullptr;
        ASSERT_EQ(sqlite3_open_v2(DbPath().c_str(), &h, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        sqlite3_busy_timeout(h, 5000);
        // The index triggers need the server's functions on any connection that writes rows.
        zor::appserver::PrepareConnection(h);
        for (const char* sql : {"INSERT INTO instances(id, entity, data) VALUES(5000, 'zor_user', ?)",
                                "INSERT INTO deleted(id, entity, data, seq) VALUES(5001, 'zor_user', ?, 1)"}) {
            sqlite3_stmt* st = nullptr;
            ASSERT_EQ(sqlite3_prepare_v2(h, sql, -1, &st, nullptr), SQLITE_OK);
            sqlite3_bind_blob(st, 1, b.GetBuffer(), static_cast<int>(b.GetSize()), SQLITE_TRANSIENT);
            EXPECT_EQ(sqlite3_step(st), SQLITE_DONE);
            sqlite3_finalize(st);
        }
        zor::appserver::CloseConnection(h);
    }
    CzorQLQueryParser parser(&client);
    ASSERT_TRUE(parser.ParseSelectStatement("select a from a{zor_user .name = 'legacy'} end_select"));
    CzorDataBuf query;
    ASSERT_TRUE(parser.SaveToDataBuf(query));
    struct Ask {
        const char* what;
        int command;
        const char* sig;
        Bytes payload;
        bool named;  // the reply carries the user's name
    };
    const Ask asks[] = {
        {"load", kCmdLoad, "lb", LoadBody('a', 5000, 0, 0), true},
        {"extent", kCmdLoad, "lb", LoadBody('e', 0, EntityId("zor_user"), 0), true},
        {"value", kCmdLoad, "lb", LoadBody('i', 5000, 0, AttrId("zor_user", "password")), false},
        {"query", kCmdQueryExecute, "lb", Field(Bytes(query.GetBuffer(), query.GetBuffer() + query.GetSize())), true},
        {"deleted list", kCmdLoadDelInst, "", {}, true},
    };
    for (const Ask& a : asks) {
        Bytes body;
        EXPECT_EQ(bob.Call(a.command, a.sig, a.payload, &body), 0) << a.what;
        EXPECT_EQ(Contains(body, std::string("legacy")), a.named) << a.what;
        EXPECT_TRUE(NoPassword(body)) << a.what;
    }
}

TEST(RightsAccounts, CreateAndSetUserRefuseWhatTheyCannotUse) {
    zor::test::ScopedTempDir dir;
    const std::string data = dir.Path() + "/d";
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string input;
        int exit;
        bool existsAfter;  // the database file
    };
    const Case cases[] = {
        {"no password", {"-create=a"}, "", 2, false},
        {"an empty line", {"-create=a"}, "\n", 2, false},
        {"a password", {"-create=a"}, "pw\nrest\n", 0, true},
        {"the old form with the password in the arguments", {"-setuser=a:u:pw"}, "\n", 2, true},
        {"a user without a password", {"-setuser=a:u"}, "", 2, true},
        {"a user without a name", {"-setuser=a:"}, "x\n", 2, true},
        {"a user", {"-setuser=a:u:ro"}, "upw\n", 0, true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"-data=" + data};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(RunProgram(args, c.input), c.exit) << c.what;
        EXPECT_EQ(::access((data + "/a.qmdb").c_str(), F_OK) == 0, c.existsAfter) << c.what;
    }
    zor::appserver::ServerDatabase db;
    ASSERT_TRUE(db.Open(data + "/a.qmdb"));
    auto u = db.FindUser("u");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->group, 0) << "a new user is in no group";
    EXPECT_TRUE(u->readOnly);
    EXPECT_TRUE(db.CheckLogin(*u, "upw"));
    EXPECT_TRUE(db.CheckLogin(*db.FindUser("Administrator"), "pw"));
}

// A database of an older server, passwords scrambled in the user rows (live and deleted): the server
// converts it at its first opening, and it logs in as before.
TEST(RightsAccounts, AnOldDatabaseIsConvertedAtItsFirstOpening) {
    zor::test::ScopedTempDir dir;
    const std::string path = dir.Path() + "/main.qmdb";
    ASSERT_TRUE(zor::appserver::ServerDatabase::Create(path));
    const auto legacyRow = [](const std::string& name, const std::string& password, int group) {
        CzorDataBuf b;
        CzorValue v;
        v.Set(name);
        zorAppendBufValue(b, v);
        std::string s;
        zor::ScrambleText(password.c_str(), s);
        v.Set(s);
        zorAppendBufValue(b, v);
        v.Set(15);
        zorAppendBufValue(b, v);
        v.Set(group);
        zorAppendBufValue(b, v);
        return Bytes(b.GetBuffer(), b.GetBuffer() + b.GetSize());
    };
    {
        sqlite3* h = nullptr;
        ASSERT_EQ(sqlite3_open_v2(path.c_str(), &h, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        zor::appserver::PrepareConnection(h);
        ASSERT_EQ(sqlite3_exec(h, "DROP TABLE user_secrets; DELETE FROM meta WHERE key = 'passwords'", nullptr, nullptr,
                               nullptr),
                  SQLITE_OK);
        for (const auto& [table, id, name, pw] : std::vector<std::tuple<std::string, int, std::string, std::string>>{
                 {"instances", 3902, "Administrator", "old admin"}, {"instances", 3903, "user", "old user"},
                 {"deleted", 3904, "gone", "old gone"}}) {
            const Bytes row = legacyRow(name, pw, id == 3902 ? 3901 : 0);
            const std::string sql = "INSERT OR REPLACE INTO " + table + "(id, entity, data) VALUES(?, 'zor_user', ?)";
            sqlite3_stmt* s = nullptr;
            ASSERT_EQ(sqlite3_prepare_v2(h, sql.c_str(), -1, &s, nullptr), SQLITE_OK);
            sqlite3_bind_int(s, 1, id);
            sqlite3_bind_blob(s, 2, row.data(), static_cast<int>(row.size()), SQLITE_TRANSIENT);
            EXPECT_EQ(sqlite3_step(s), SQLITE_DONE);
            sqlite3_finalize(s);
        }
        zor::appserver::CloseConnection(h);
    }
    zor::test::ServerProcess server(dir.Path());
    struct Try {
        std::string user, password;
        bool good;
    };
    std::string oldStored;
    zor::ScrambleText("old user", oldStored);
    for (const Try& t : {Try{"Administrator", "old admin", true}, Try{"user", "old user", true}, Try{"user", oldStored, false},
                         Try{"gone", "old gone", false}}) {
        Conn c(server.Port());
        EXPECT_EQ(c.Login(t.user, t.password) == 0, t.good) << t.user << " " << t.password;
    }
    server.Kill(SIGTERM);
    // Nothing of the old forms is left in the file.
    zor::appserver::ServerDatabase db;
    ASSERT_TRUE(db.Open(path));
    std::ifstream in(path, std::ios::binary);
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* pw : {"old admin", "old user", "old gone"}) EXPECT_FALSE(Contains(file, Scrambled(pw))) << pw;
    std::string left;
    db.ForEachInstance([&](const zor::appserver::InstanceRow& row) {
        EXPECT_FALSE(zor::appserver::LegacyPassword(row.data, left)) << row.id;
        return true;
    });
    db.ForEachDeletedInstance([&](const zor::appserver::InstanceRow& row) {
        EXPECT_FALSE(zor::appserver::LegacyPassword(row.data, left)) << row.id;
        return true;
    });
}

}  // namespace
