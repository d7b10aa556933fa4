// The server's save (command 31) on its own: hostile and mismatched buffers are refused with
// their status and change nothing; a good one is applied whole, and its token answers again with
// the recorded reply.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/appserver/access.h"
#include "platform/appserver/database.h"
#include "platform/appserver/save.h"
#include "platform/appserver/server.h"
#include "platform/tests/test_support.h"
#include "platform/tests/transport/server_rows.h"
#include "platform/transport/net_errors.h"
#include "platform/transport/wire.h"
#include "platform/zordata/stepbuf.h"
#include "platform/zordata/zordata.h"

namespace {

using zor::appserver::ApplySave;

// The administrator's view: these cases are about the buffer, not about rights.
int32_t ApplySave(zor::appserver::ServerDatabase& db, CzorStepData& scratch, const unsigned char* data, size_t size,
                  const uint64_t* token, std::vector<unsigned char>& reply) {
    zor::appserver::AccessView admin(db, zor::appserver::kAdminUserId, zor::appserver::kAdminGroupId);
    return zor::appserver::ApplySave(db, scratch, data, size, token, reply, admin);
}

class ServerSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.Path() + "/main" + zor::appserver::kDatabaseSuffix;
        ASSERT_TRUE(zor::appserver::ServerDatabase::Create(path));
        ASSERT_TRUE(db.Open(path));
        ASSERT_TRUE(scratch.LoadDictionary(QM_DICT_DIR "/quillmark"));
        ASSERT_TRUE(client.LoadDictionary(QM_DICT_DIR "/quillmark"));
    }
    // A buffer as the client sends it: one new point (x = 7) and, when given, an existing one.
    std::vector<unsigned char> Buffer(int existing = 0) {
        std::vector<CzorInstance*> list;
        CzorInstance* p = client.CreateInstanceBN("zor_point");
        client.PutAttrBN(p, "x", 7);
        list.push_back(p);
        if (existing) {
            CzorInstance* q = client.CreateInstanceBN("zor_point");
            q->SetId(existing);
            client.PutAttrBN(q, "y", 9);
            list.push_back(q);
        }
        return zor::test::SaveBufferOf(client, list);
    }
    int64_t Rows() {
        int64_t n = 0;
        db.ForEachInstance([&](const zor::appserver::InstanceRow&) { return ++n, true; });
        return n;
    }

    zor::test::ScopedTempDir dir;
    std::string path;
    zor::appserver::ServerDatabase db;
    CzorStepData scratch, client;
};

TEST_F(ServerSaveTest, BadBuffersAreRefusedWithTheirStatusAndChangeNothing) {
    const std::vector<unsigned char> good = Buffer();
    const size_t nameAt = kzorStepDataSignatureSize;               // int32 L, then the name
    const size_t numberAt = nameAt + 4 + client.GetDictName().size() + 1;
    const size_t countAt = numberAt + 4;
    const size_t entityAt = countAt + 4 + 4;                      // the first header's entity
    const size_t blockAt = countAt + 4 + kzorStepHeaderSize;     // the first block
    const auto with = [&](size_t at, std::vector<unsigned char> bytes) {
        std::vector<unsigned char> b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    const auto i32 = [](int32_t v) {
        std::vector<unsigned char> b(4);
        zor::net::StoreI32(b.data(), v);
        return b;
    };
    struct Case { const char* what; std::vector<unsigned char> buf; int status; } cases[] = {
        {"empty", {}, ZOR_NET_SRV_MISSED_BUF_FORMAT},
        {"signature", with(0, {'Z'}), ZOR_NET_SRV_MISSED_BUF_FORMAT},
        {"cut in the headers", std::vector<unsigned char>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(countAt + 6)),
         ZOR_NET_SRV_MISSED_BUF_FORMAT},
        {"count beyond the bytes", with(countAt, i32(1000000)), ZOR_NET_SRV_MISSED_BUF_FORMAT},
        {"negative count", with(countAt, i32(-1)), ZOR_NET_SRV_MISSED_BUF_FORMAT},
        {"another dictionary", with(nameAt + 4, {'X'}), ZOR_NET_SRV_ZORAPIERR_INCOMPATIBLEDICT},
        {"another dictionary number", with(numberAt, i32(12345)), ZOR_NET_SRV_ZORAPIERR_INCOMPATIBLEDICT},
        {"unknown entity", with(entityAt, {0xFF, 0x7F}), ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID},
        {"unknown attribute", with(blockAt + 8, {0xFF, 0x7F}), ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ATTR_ID},
        {"block of no header", with(blockAt, i32(5)), ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID},
        {"value cut", std::vector<unsigned char>(good.begin(), good.end() - 2), ZOR_NET_SRV_ZORAPIERR_BADDATA},
        {"value of another type", with(blockAt + 10, {zorSTRING}), ZOR_NET_SRV_ZORAPIERR_BADDATA},
    };
    const int64_t before = Rows();
    for (const Case& c : cases) {
        std::vector<unsigned char> reply;
        EXPECT_EQ(ApplySave(db, scratch, c.buf.data(), c.buf.size(), nullptr, reply), c.status) << c.what;
        EXPECT_TRUE(reply.empty()) << c.what;
    }
    EXPECT_EQ(Rows(), before);
    // An instance that does not exist, or exists as another entity, is not written over.
    std::vector<unsigned char> reply;
    const auto missing = Buffer(4500);
    EXPECT_EQ(ApplySave(db, scratch, missing.data(), missing.size(), nullptr, reply), ZOR_NET_SRV_ZORAPIERR_BADINSTANCE);
    const auto user = Buffer(zor::appserver::kAdminUserId);
    EXPECT_EQ(ApplySave(db, scratch, user.data(), user.size(), nullptr, reply),
              ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID);
    EXPECT_EQ(Rows(), before);
}

TEST_F(ServerSaveTest, ATokenSeenAgainGetsTheRecordedReplyAndCreatesNothing) {
    const auto buf = Buffer();
    const uint64_t token = 0x1234567890ABCDEFull;
    std::vector<unsigned char> first, again, other;
    ASSERT_EQ(ApplySave(db, scratch, buf.data(), buf.size(), &token, first), 0);
    const int64_t rows = Rows();
    ASSERT_EQ(first.size(), 22u + 6u);
    EXPECT_EQ(std::memcmp(first.data(), "zor_step_data V 0.101", 22), 0);
    ASSERT_EQ(ApplySave(db, scratch, buf.data(), buf.size(), &token, again), 0);
    EXPECT_EQ(again, first);
    EXPECT_EQ(Rows(), rows);
    // A new token is a new save: a new instance with a new id, never one given before.
    const uint64_t next = token + 1;
    ASSERT_EQ(ApplySave(db, scratch, buf.data(), buf.size(), &next, other), 0);
    EXPECT_EQ(Rows(), rows + 1);
    EXPECT_GT(zor::net::LoadI32(other.data() + 22), zor::net::LoadI32(first.data() + 22));
    // The recorded token survives a new connection to the database (as after a restart).
    zor::appserver::ServerDatabase reopened;
    ASSERT_TRUE(reopened.Open(path));
    ASSERT_EQ(ApplySave(reopened, scratch, buf.data(), buf.size(), &token, again), 0);
    EXPECT_EQ(again, first);
    EXPECT_EQ(Rows(), rows + 1);
}

}  // namespace
