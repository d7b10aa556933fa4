// Store administration end to end on 127.0.0.1: two users of our server, the owner changing rights
// through the store's rights operations and the other user's loads, searches, queries and saves
// following them; then the server program killed or restarted around a rights exchange.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <thread>

#include "platform/base/scramble.h"
#include "platform/transport/net_errors.h"
#include "zorStepData/CzorData_Client/access.h"
#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"

namespace zor::test {
namespace {

CzorTAggr<CzorInstance> Aggr(std::initializer_list<CzorInstance*> items) {
    CzorTAggr<CzorInstance> out(8, false, false);
    for (CzorInstance* i : items) out.Add(i);
    return out;
}

// "user" (the owner of three new points) and "other", both without a group.
class AccessE2eTest : public TwoUsersTest {
protected:
    void SetUp() override {
        NetStoreTest::SetUp();
        SetUpTwoUsers(0);
        if (HasFatalFailure()) return;
        point = store->GetEntityBN("zor_point");
    }
    std::map<int, int> Mine(const std::map<int, int>& all) {
        std::map<int, int> out;
        for (int32_t id : ids)
            if (all.count(id)) out[id] = all.at(id);
        return out;
    }
    // The owner's store's instances of the three points (loaded again when cleared).
    CzorInstance* Made(int k) { return store->GetInstById(ids[static_cast<size_t>(k)]); }
    // The rights texts of the three points as the owner reads them.
    std::vector<std::string> Texts() {
        auto all = Aggr({Made(0), Made(1), Made(2)});
        std::vector<std::string> texts;
        EXPECT_TRUE(store->NET_GetExtentAccess2String(all, texts, nullptr)) << store->GetLastErrorDescription();
        return texts;
    }

    CzorEntity* point = nullptr;
};

TEST_F(AccessE2eTest, TheOwnersRightsDecideWhatTheOtherUserGetsAndMayChange) {
    // New points: read-write for the other user, owned by their creator.
    EXPECT_EQ(Mine(LoadedPoints(*other)), (std::map<int, int>{{ids[0], 1}, {ids[1], 1}, {ids[2], 1}}));
    EXPECT_EQ(Mine(LoadedPoints(*store)), (std::map<int, int>{{ids[0], 0}, {ids[1], 0}, {ids[2], 0}}));
    // The other user holds ids[1] while it is still read-write.
    CzorInstance* held = other->GetInstById(ids[1]);
    ASSERT_NE(held, nullptr);
    ASSERT_EQ(held->GetState(), 1);

    // Patterns keep the owner's own mode (placeholder 1) and change everybody else's.
    auto first = Aggr({Made(0)});
    auto second = Aggr({Made(1)});
    ASSERT_TRUE(store->NET_SetAccessFromPattern(&first, "0:NA;1:OWN;", nullptr)) << store->GetLastErrorDescription();
    ASSERT_TRUE(store->NET_SetAccessFromPattern(&second, "0:RO;1:OWN;", nullptr)) << store->GetLastErrorDescription();
    EXPECT_EQ(Made(0)->GetState(), 0);
    EXPECT_EQ(Made(1)->GetState(), 0);

    // A save of the point that became read-only is refused with 125 and changes nothing.
    ASSERT_TRUE(other->PutAttrBN(held, "x", 99));
    EXPECT_FALSE(other->NET_SaveChanges(nullptr));
    EXPECT_EQ(other->GetLastZorError(), ZOR_NET_SRV_ACCESS_DENY);

    // Loads, searches and queries lose the point without access; the states follow the rights.
    EXPECT_EQ(Mine(LoadedPoints(*other)), (std::map<int, int>{{ids[1], 2}, {ids[2], 1}}));
    int x = 0;
    ASSERT_TRUE(other->GetAttrBN(other->GetInstById(ids[1]), "x", x));
    EXPECT_EQ(x, 11);
    EXPECT_EQ(SearchedPoints(*other), 0);
    EXPECT_EQ(QueriedPoints(*other), (std::map<int, int>{{ids[1], 2}, {ids[2], 1}}));

    // The other user may not change the rights of what he does not own: the client tells him so
    // before asking the server.
    auto seen = Aggr({other->GetInstById(ids[1])});
    EXPECT_FALSE(other->NET_SetInstancesAccess(&seen, kzorDefaultAccessAgent, zorAccessReadWrite, nullptr));
    EXPECT_FALSE(other->NET_BecomeInstancesOwner(&seen, nullptr));

    // An individual mode for the other user beats the default: he may write ids[1] now.
    CzorInstance* otherAgent = store->GetInstById(otherId);
    ASSERT_NE(otherAgent, nullptr);
    second = Aggr({Made(1)});
    ASSERT_TRUE(store->NET_SetInstancesAccess(&second, otherAgent, zorAccessReadWrite, nullptr))
        << store->GetLastErrorDescription();
    EXPECT_EQ(Mine(LoadedPoints(*other)), (std::map<int, int>{{ids[1], 1}, {ids[2], 1}}));
    ASSERT_TRUE(other->PutAttrBN(other->GetInstById(ids[1]), "x", 99));
    EXPECT_TRUE(other->NET_SaveChanges(nullptr)) << other->GetLastErrorDescription();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"NA,", "RO,other:RW,", "RW,"}));

    // The default access alone is for everybody: individual modes stop counting, the owner's too,
    // and he may not change the rights any more.
    auto third = Aggr({Made(2)});
    ASSERT_TRUE(store->NET_SetInstancesAccess(&third, kzorDefaultAccessAgent, zorAccessReadOnly, nullptr))
        << store->GetLastErrorDescription();
    EXPECT_EQ(Made(2)->GetState(), 2);
    EXPECT_EQ(Mine(LoadedPoints(*other)).at(ids[2]), 2);
    third = Aggr({Made(2)});
    EXPECT_FALSE(store->NET_BecomeInstancesOwner(&third, nullptr));
}

TEST_F(AccessE2eTest, TakingOwnershipAndCopyingRights) {
    CzorInstance* otherAgent = store->GetInstById(otherId);
    ASSERT_NE(otherAgent, nullptr);
    auto first = Aggr({Made(0)});
    ASSERT_TRUE(store->NET_SetInstancesAccess(&first, otherAgent, zorAccessOwn, nullptr));

    // The other user, now an owner of ids[0], takes it: the default read-only, he owns it.
    EXPECT_EQ(Mine(LoadedPoints(*other)).at(ids[0]), 0);
    auto his = Aggr({other->GetInstById(ids[0])});
    ASSERT_TRUE(other->NET_BecomeInstancesOwner(&his, nullptr)) << other->GetLastErrorDescription();
    EXPECT_EQ(other->GetInstById(ids[0])->GetState(), 0);
    EXPECT_EQ(Texts()[0], "RO,other:OWN,");

    // Its rights copied onto the two other points, which the owner still owns.
    auto targets = Aggr({Made(1), Made(2)});
    ASSERT_TRUE(store->NET_CopyGroupeAccess(Made(0), targets, nullptr)) << store->GetLastErrorDescription();
    EXPECT_EQ(Texts(), std::vector<std::string>(3, "RO,other:OWN,"));
    // The other user's own mode was copied with them: he owns all three.
    EXPECT_EQ(Mine(LoadedPoints(*other)), (std::map<int, int>{{ids[0], 0}, {ids[1], 0}, {ids[2], 0}}));
}

// The server program killed in the middle of a rights read, restarted between a read and a set:
// false with a status, and the client free for the next request.
class AccessFaultTest : public ServerProgramTest {
protected:
    // A store logged in with a point of its own, saved.
    void NewStore() {
        store = std::make_unique<CzorNetStepData>();
        store->GetTransport()->SetInactivityTimeout(20000);
        store->SetNetErrorMessageMode(false);
        ASSERT_TRUE(store->NET_Connect("user", "pw", "test")) << store->GetLastErrorDescription();
        CzorInstance* p = store->CreateInstanceBN("zor_point");
        store->PutAttrBN(p, "x", 7);
        ASSERT_TRUE(store->NET_SaveChanges(nullptr)) << store->GetLastErrorDescription();
        id = p->GetId();
    }
    // `users` made the default list of the point with one entry in that mode.
    zorUsers& Rights(zorUsers& users, zorAccessModeType mode) {
        users.Clear();
        users.AddList(nullptr)->Add(store->GetInstById(id), 1, mode);
        return users;
    }

    int32_t id = 0;
};

TEST_F(AccessFaultTest, KilledInARightsReplyAndRestartedBeforeASet) {
    // The first 34 of the server's life stalls; the program dies while the client waits for it.
    Restart("34:1:stall:0");
    NewStore();
    zorUsers read, set;
    Rights(read, zorAccessNotSet);
    Later(500, [this] { proc->Kill(SIGKILL); });
    EXPECT_FALSE(store->NET_GetGroupeAccess(read, nullptr));
    Join();
    EXPECT_NE(store->GetLastZorError(), 0);
    EXPECT_STRNE(store->GetLastErrorDescription(), "");
    EXPECT_EQ(read[0]->GetAt(0)->m_Mode, zorAccessNotSet);
    // The server back: the next read works on a new connection.
    proc->Start(port);
    ui.answers = {true};  // reconnect?
    ASSERT_TRUE(store->NET_GetGroupeAccess(read, nullptr)) << store->GetLastErrorDescription();
    EXPECT_EQ(read[0]->GetAt(0)->m_Mode, zorAccessReadWrite);

    // Restarted between the read and the set: the set is refused with a status, nothing applied;
    // once reconnected the set goes through.
    Restart("");
    ui.answers.clear();  // no reconnection this time
    Rights(set, zorAccessReadOnly);
    EXPECT_FALSE(store->NET_SetGroupeAccess(set, nullptr));
    EXPECT_NE(store->GetLastZorError(), 0);
    ui.answers = {true};
    Rights(read, zorAccessNotSet);
    ASSERT_TRUE(store->NET_GetGroupeAccess(read, nullptr)) << store->GetLastErrorDescription();
    EXPECT_EQ(read[0]->GetAt(0)->m_Mode, zorAccessReadWrite);
    Rights(set, zorAccessReadOnly);
    ASSERT_TRUE(store->NET_SetGroupeAccess(set, nullptr)) << store->GetLastErrorDescription();
    Rights(read, zorAccessNotSet);
    ASSERT_TRUE(store->NET_GetGroupeAccess(read, nullptr));
    EXPECT_EQ(read[0]->GetAt(0)->m_Mode, zorAccessReadOnly);
}

}  // namespace
}  // namespace zor::test
