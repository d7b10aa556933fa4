// The client's side of the protocol: the bytes of every request, and every reply parser fed good
// and hostile replies.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "zorStepData/CzorData_Client/tests/command_table.h"

using namespace zor::test;

namespace {

Bytes LoginReplyPayload(size_t blockSize = zor::net::kLoginBlockSize, bool tail = false, int32_t v = 1) {
    Bytes block(blockSize, 0);
    if (blockSize >= zor::net::kLoginBlockSize) zor::net::StoreI32(block.data() + zor::net::kLoginUserIdOffset, 3903);
    Bytes out = Cat({Le({static_cast<int32_t>(blockSize + (tail ? 8 : 0))}), block});
    if (tail) out = Cat({out, Le({4, v})});
    return out;
}

// A client connected to a scripted peer whose next reply the test sets.
struct PeerClient {
    std::function<std::optional<Bytes>(const Bytes&)> respond;
    ScriptedPeer peer{[this](const Bytes& r) { return respond(r); }};
    CTransportSocketClient client;
    PeerClient() {
        client.SetInactivityTimeout(3000);
        EXPECT_TRUE(client.Connect("127.0.0.1", peer.Port()));
    }
    // Makes the client fall back to version 1 through a login answered with the error form 150.
    void FallBack() {
        respond = [](const Bytes& r) -> std::optional<Bytes> {
            if (VersionOf(r) == 2) return Le({1, 0, 1, 25, 150});
            return NormalReply(1, 25, "lb", 0, LoginReplyPayload());
        };
        int st = -1, len = 0;
        ASSERT_TRUE(client.RequestLogin(st, len, nullptr, nullptr));
        ASSERT_EQ(client.GetProtocolVersion(), 1);
    }
};

}  // namespace

TEST(Protocol, RequestBytesOfEveryCommandInBothVersions) {
    for (int version : {2, 1}) {
        PeerClient pc;
        if (version == 1) pc.FallBack();
        for (const auto& row : CommandRows()) {
            pc.respond = [&](const Bytes&) -> std::optional<Bytes> {
                return NormalReply(version, row.code, row.replySig, 0, row.replyPayload);
            };
            const size_t before = pc.peer.Requests().size();
            int st = -1;
            EXPECT_TRUE(row.call(pc.client, st)) << row.code;
            EXPECT_EQ(st, 0) << row.code;
            const auto reqs = pc.peer.Requests();
            ASSERT_EQ(reqs.size(), before + 1) << row.code;
            Bytes want = Cat({Le({version, row.code, static_cast<int32_t>(row.requestSig.size())}), Str(row.requestSig)});
            if (version == 2) want.push_back(0);
            want = Cat({want, row.requestPayload});
            EXPECT_EQ(reqs.back(), want) << "command " << row.code << " version " << version;
        }
    }
}

// A command of the table without a row in CommandRows would have its request and reply bytes go
// unchecked (the login has a test of its own).
TEST(Protocol, EveryCommandOfTheTableHasARow) {
    std::set<int> rows;
    for (const auto& row : CommandRows()) rows.insert(row.code);
    for (const auto& c : zor::net::kCommandShapes) {
        if (c.code != zor::net::kCmdLogin) {
            EXPECT_TRUE(rows.count(c.code)) << "command " << c.code;
        }
    }
}

TEST(Protocol, LoginBlockFallbackAndTail) {
    PeerClient pc;
    LoginBlock block;
    ASSERT_TRUE(block.SetTexts("Пользователь", "^AB", "main"));
    block.Set(zor::net::kLoginAddressOffset, 0x0100007F);
    pc.respond = [](const Bytes&) -> std::optional<Bytes> { return NormalReply(2, 25, "lb", 0, LoginReplyPayload(12304, true, 1)); };
    int st = -1, len = 0;
    bool blob = false;
    ASSERT_TRUE(pc.client.RequestLogin(st, len, &block, &blob));
    EXPECT_EQ(st, 0);
    EXPECT_EQ(len, 12304);
    EXPECT_TRUE(blob);
    EXPECT_EQ(block.Get(zor::net::kLoginUserIdOffset), 3903);
    const Bytes sent = pc.peer.Requests().back();
    ASSERT_EQ(sent.size(), 4 + 4 + 4 + 2 + 1 + 4 + 12304u);
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 19), Cat({Le({2, 25, 2}), Str("lb"), {0}, Le({12304})}));
    // The user name went out in code page 1251.
    EXPECT_EQ(sent[19], 0xCF);  // 'П'
    EXPECT_EQ(zor::net::LoadI32(sent.data() + 19 + 12288), 0x0100007F);

    // Exactly 12304 bytes: the flag stays; a tail of 4 and another value: false.
    pc.respond = [](const Bytes&) -> std::optional<Bytes> { return NormalReply(2, 25, "lb", 102, LoginReplyPayload()); };
    blob = true;
    ASSERT_TRUE(pc.client.RequestLogin(st, len, nullptr, &blob));
    EXPECT_EQ(st, 102);
    EXPECT_TRUE(blob);
    pc.respond = [](const Bytes&) -> std::optional<Bytes> { return NormalReply(2, 25, "lb", 0, LoginReplyPayload(12304, true, 7)); };
    ASSERT_TRUE(pc.client.RequestLogin(st, len, nullptr, &blob));
    EXPECT_FALSE(blob);
    // The silent re-login sends the kept block: the caller's texts and address, the user id the
    // server gave.
    Bytes again = pc.peer.Requests().back();
    EXPECT_EQ(zor::net::LoadI32(again.data() + 19 + 12296), 3903);
    zor::net::StoreI32(again.data() + 19 + 12296, 0);
    EXPECT_EQ(Bytes(again.begin() + 19, again.end()), Bytes(sent.begin() + 19, sent.end()));

    // A garbled version field is a bad reply, not a reason to fall back for good.
    pc.respond = [](const Bytes&) -> std::optional<Bytes> { return Le({77, 0, 1, 25, 150}); };
    EXPECT_FALSE(pc.client.RequestLogin(st, len, nullptr, nullptr));
    EXPECT_EQ(st, 150);
    EXPECT_EQ(pc.client.GetProtocolVersion(), 2);
    // A login body shorter than a block: 172.
    pc.respond = [](const Bytes&) -> std::optional<Bytes> { return NormalReply(2, 25, "lb", 0, LoginReplyPayload(100)); };
    EXPECT_FALSE(pc.client.RequestLogin(st, len, nullptr, nullptr));
    EXPECT_EQ(st, 172);
    // The server's error form 150: the same request again as version 1, and version 1 for good.
    pc.FallBack();
    const auto reqs = pc.peer.Requests();
    EXPECT_EQ(VersionOf(reqs[reqs.size() - 2]), 2);
    EXPECT_EQ(VersionOf(reqs.back()), 1);
    EXPECT_EQ(reqs.back().size(), reqs[reqs.size() - 2].size() - 1);  // no trailer byte
}

TEST(Protocol, TextsTheCodePageCannotCarryAreRefused) {
    LoginBlock block;
    EXPECT_FALSE(block.SetTexts("用户", "^AB", "main"));
    EXPECT_FALSE(block.SetTexts("user", std::string(4096, 'A'), "main"));
    EXPECT_TRUE(block.SetTexts("user", std::string(4095, 'A'), "main"));
}

// Every reply parser over a table of bad replies: never a success, always one of the codes that
// name the fault.
TEST(Protocol, EveryReplyParserRefusesHostileReplies) {
    for (int version : {2, 1}) {
        PeerClient pc;
        if (version == 1) pc.FallBack();
        for (const auto& row : CommandRows()) {
            const Bytes good = NormalReply(version, row.code, row.replySig, 0, row.replyPayload);
            std::vector<std::pair<std::string, Bytes>> bad;
            for (size_t k = 0; k < good.size(); ++k) bad.push_back({"cut at " + std::to_string(k), Bytes(good.begin(), good.begin() + k)});
            Bytes b = good;
            zor::net::StoreI32(b.data(), 3);
            bad.push_back({"version 3", b});
            b = good;
            zor::net::StoreI32(b.data() + 4, row.code + 1);
            bad.push_back({"other command", b});
            bad.push_back({"other signature", NormalReply(version, row.code, row.replySig + "l", 0, row.replyPayload)});
            bad.push_back({"error form with code 0", Le({version, 0, 1, row.code, 0})});
            bad.push_back({"error form for another command", Le({version, 0, 1, row.code + 1, 151})});
            bad.push_back({"error form with 2 in place of 1", Le({version, 0, 2, row.code, 151})});
            bad.push_back({"negative signature length", Cat({Le({version, row.code, -1}), Le({0})})});
            bad.push_back({"huge signature length", Cat({Le({version, row.code, 0x7FFFFFFF}), Le({0})})});
            if (!row.replyPayload.empty() && row.replySig[0] == 'l') {
                for (int32_t len : {-1, 0x7FFFFFFF, static_cast<int32_t>(row.replyPayload.size())}) {
                    Bytes p = row.replyPayload;
                    zor::net::StoreI32(p.data(), len);
                    bad.push_back({"length " + std::to_string(len), NormalReply(version, row.code, row.replySig, 0, p)});
                }
            }
            for (const auto& [what, reply] : bad) {
                pc.respond = [&](const Bytes&) -> std::optional<Bytes> { return reply; };
                int st = 0;
                const bool ok = row.call(pc.client, st);
                EXPECT_FALSE(ok && st == 0) << "command " << row.code << " v" << version << ": " << what;
                EXPECT_TRUE(st == 150 || st == 151 || st == 152 || st == 172) << "command " << row.code << ": " << what << " gave " << st;
            }
        }
    }
}

// Seeded damage to valid replies: no crash, no read past the end (the sanitizer watches).
TEST(Protocol, SeededDamageToRepliesIsHarmless) {
    PeerClient pc;
    std::mt19937 rng(4242);
    const auto rows = CommandRows();
    for (int round = 0; round < 1500; ++round) {
        const auto& row = rows[rng() % rows.size()];
        Bytes reply = NormalReply(2, row.code, row.replySig, 0, row.replyPayload);
        for (int f = 0, n = 1 + static_cast<int>(rng() % 3); f < n; ++f) reply[rng() % reply.size()] = static_cast<unsigned char>(rng());
        if (rng() % 4 == 0) reply.resize(rng() % reply.size());
        pc.respond = [&](const Bytes&) -> std::optional<Bytes> { return reply; };
        int st = 0;
        row.call(pc.client, st);
    }
    EXPECT_TRUE(pc.client.IsConnected());
}

// The counts a transfer reply carries are checked against the caller's buffers, and a failed
// reply leaves the caller's buffers and counts as they were.
TEST(Protocol, TransferCountsAreChecked) {
    PeerClient pc;
    struct Case { const char* what; Bytes payload; bool ok; };
    const std::vector<Case> cases = {
        {"fits", Cat({Le({4}), Str("abcd"), Le({1})}), true},
        {"count above the capacity", Cat({Le({5}), Str("abcde"), Le({1})}), false},
        {"count beyond the reply", Cat({Le({4}), Str("ab")}), false},
        {"negative count", Cat({Le({-1}), Le({1})}), false},
        {"last flag missing", Cat({Le({4}), Str("abcd")}), false},
    };
    for (const auto& c : cases) {
        pc.respond = [&](const Bytes&) -> std::optional<Bytes> { return NormalReply(2, 22, "lbl", 0, c.payload); };
        char dest[4] = {'x', 'x', 'x', 'x'};
        int count = 4, last = 7, st = -1;
        EXPECT_EQ(pc.client.RequestReadBlobPortion(st, count, dest, last), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(std::string(dest, 4), "abcd");
            EXPECT_EQ(last, 1);
        } else {
            EXPECT_EQ(st, 172) << c.what;
            EXPECT_EQ(std::string(dest, 4), "xxxx") << c.what;
            EXPECT_EQ(count, 4) << c.what;
            EXPECT_EQ(last, 7) << c.what;
        }
    }
    // The dictionary's two blocks against the capacities the caller gave.
    pc.client.SetDictionaryCapacity(2, 2);
    pc.respond = [](const Bytes&) -> std::optional<Bytes> {
        return NormalReply(2, 35, "lblb", 0, Cat({Le({2}), Str("ab"), Le({3}), Str("cde")}));
    };
    char a[2], b[2];
    int la = -1, lb = -1, st = 0;
    EXPECT_FALSE(pc.client.RequestDictionary(st, la, a, lb, b));
    EXPECT_EQ(st, 172);
    EXPECT_EQ(la, -1);
}
