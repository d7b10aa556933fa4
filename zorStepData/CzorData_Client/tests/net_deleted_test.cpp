// The deleted instances (command 27) against our server on 127.0.0.1: what a deletion keeps, what
// the client merges and lists, and replies that break.
#include <gtest/gtest.h>

#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"

using namespace zor::test;

namespace {

class NetDeletedTest : public NetStoreTest {
protected:
    void SetUp() override {
        NetStoreTest::SetUp();
        ASSERT_TRUE(db.Open(server->Dir() + "/main" + zor::appserver::kDatabaseSuffix));
        ASSERT_TRUE(dict.LoadDictionary(QM_DICT_DIR "/quillmark"));
    }
    // A zor_table_content row whose childs list holds these ids.
    void PutContents(int id, const std::vector<int>& childs) {
        CzorAggr list(zorINSTANCE);
        for (int c : childs) {
            CzorInstance* i = dict.CreateInstanceBN("zor_table_content");
            i->SetId(c);
            list.Add(i);
        }
        CzorValue none, l;
        l.Set(list);
        CzorDataBuf b;
        zorAppendBufValue(b, none);
        zorAppendBufValue(b, l);
        zorAppendBufValue(b, none);
        ASSERT_TRUE(db.PutInstance(id, "zor_table_content",
                                   std::vector<unsigned char>(b.GetBuffer(), b.GetBuffer() + b.GetSize())));
    }
    static std::vector<int> Ids(const CzorTAggr<CzorInstance>& l) {
        std::vector<int> ids;
        for (CzorInstance* i : l) ids.push_back(i->GetId());
        return ids;
    }
    zor::appserver::ServerDatabase db;
    CzorStepData dict;
};

TEST_F(NetDeletedTest, DeletedInstancesComeWithTheirValuesInDeletionOrder) {
    CzorTAggr<CzorInstance> deleted(8, false, false);
    EXPECT_FALSE(store->NET_LoadDelInst(deleted, nullptr));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_NOT_CONNECT);

    ASSERT_TRUE(Login());
    ASSERT_TRUE(store->NET_LoadDelInst(deleted, nullptr)) << store->GetLastErrorDescription();
    EXPECT_EQ(deleted.GetSize(), 0);

    PutContents(4011, {});
    PutContents(4012, {});
    PutContents(4010, {4011, 4012});
    // An id that names nothing is passed over; the others go in the order given.
    ASSERT_TRUE(db.DeleteInstances({4010, 9999}, zor::appserver::kAdminUserId));
    ASSERT_TRUE(db.DeleteInstances({4011, 4002}, zor::appserver::kAdminUserId));
    EXPECT_FALSE(db.GetInstance(4002));
    // Deleted ids are never given again.
    EXPECT_GT(db.NextInstanceId(), 4010);

    store->ClearData();
    ASSERT_TRUE(store->NET_LoadDelInst(deleted, "wait")) << store->GetLastErrorDescription();
    EXPECT_EQ(Ids(deleted), (std::vector<int>{4010, 4011, 4002}));
    int x = 0;
    EXPECT_TRUE(store->GetAttrBN(deleted.GetAt(2), "x", x));
    EXPECT_EQ(x, 5);
    // The deleted list refers to the other deleted instance itself and names the live one.
    CzorTAggr<CzorInstance> childs(8, false, false);
    ASSERT_TRUE(store->GetAttrBN(deleted.GetAt(0), "childs", childs));
    EXPECT_EQ(Ids(childs), (std::vector<int>{4011, 4012}));
    EXPECT_EQ(childs.GetAt(0), deleted.GetAt(1));
    CzorInstance* live = store->FindLoadedById(4012);
    ASSERT_NE(live, nullptr);
    EXPECT_FALSE(store->GetAttrBN(live, "childs", childs));  // named only: its values were not sent
    EXPECT_EQ(store->GetLastError(), zorErrNoValue);

    // A deleted instance is no longer loaded by its id.
    store->ClearData();
    EXPECT_EQ(store->GetInstById(4002), nullptr);
    EXPECT_EQ(store->GetLastZorError(), 0);

    // Put back under its id, it is live again and no longer listed.
    PutContents(4011, {});
    ASSERT_TRUE(store->NET_LoadDelInst(deleted, nullptr)) << store->GetLastErrorDescription();
    EXPECT_EQ(Ids(deleted), (std::vector<int>{4010, 4002}));
    store->ClearData();
    EXPECT_NE(store->GetInstById(4011), nullptr);
}

// A broken reply fails with a recorded status and merges nothing; the next call works.
TEST_F(NetDeletedTest, BrokenRepliesMergeNothing) {
    PutContents(4010, {});
    ASSERT_TRUE(db.DeleteInstances({4010}, zor::appserver::kAdminUserId));
    ASSERT_TRUE(Login());
    struct Case { const char* what; zor::appserver::FaultAction action; int value; } cases[] = {
        {"cut payload", zor::appserver::FaultAction::CutPayload, 9},
        {"length beyond", zor::appserver::FaultAction::LengthBeyond, 0},
        {"server status", zor::appserver::FaultAction::Status, ZOR_NET_SRV_ERROR_PROCESSED},
        {"closed mid-reply", zor::appserver::FaultAction::CloseAfter, 40},
    };
    for (const auto& c : cases) {
        store->ClearData();
        const int before = store->GetInstanceCount();
        zor::appserver::FaultRule rule;
        rule.command = zor::net::kCmdLoadDelInst;
        rule.times = 1;
        rule.action = c.action;
        rule.value = c.value;
        server->Server().Faults().Add(rule);
        store->SetHideMode(true);
        CzorTAggr<CzorInstance> deleted(8, false, false);
        EXPECT_FALSE(store->NET_LoadDelInst(deleted, nullptr)) << c.what;
        EXPECT_NE(store->GetLastZorError(), 0) << c.what;
        EXPECT_STRNE(store->GetLastErrorDescription(), "") << c.what;
        EXPECT_EQ(store->GetInstanceCount(), before) << c.what;
        EXPECT_EQ(deleted.GetSize(), 0) << c.what;
        server->Server().Faults().Clear();
        store->SetHideMode(false);
        ui.answers = {true};  // reconnect when the link went
        ASSERT_TRUE(store->NET_LoadDelInst(deleted, nullptr)) << c.what << ": " << store->GetLastErrorDescription();
        EXPECT_EQ(Ids(deleted), std::vector<int>{4010}) << c.what;
    }
}

}  // namespace
