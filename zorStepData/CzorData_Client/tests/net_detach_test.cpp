// Handing a logged-in session's socket to another thread and back.
#include <thread>

#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"
#include "zorStepData/CzorData_Client/transport_client.h"

namespace zor::test {
namespace {

TEST_F(NetStoreTest, SessionMovesToAnotherThreadAndBack) {
    ASSERT_TRUE(Login());
    const int handle = store->GetTransport()->SocketClient()->GetSocketHandle();
    store->Detach();
    EXPECT_EQ(store->GetTransport()->DetachedSocket(), handle);
    store->Detach();  // a second Detach keeps the handle the first one kept
    EXPECT_EQ(store->GetTransport()->DetachedSocket(), handle);

    bool worked = false;
    std::thread other([&] {
        store->Attach();
        worked = store->NET_Test(nullptr);
        store->Detach();
    });
    other.join();
    EXPECT_TRUE(worked);
    EXPECT_EQ(store->GetTransport()->DetachedSocket(), handle);

    store->Attach();
    EXPECT_EQ(store->GetTransport()->DetachedSocket(), 0);
    EXPECT_TRUE(store->NET_Test(nullptr));
    double when = 0;
    EXPECT_TRUE(store->NET_GetServerDateTime(when));
}

// Without a connection there is no socket to hand over: nothing is kept, and the session still logs in.
TEST_F(NetStoreTest, DetachWithoutAConnectionKeepsNothing) {
    store->Detach();
    EXPECT_EQ(store->GetTransport()->DetachedSocket(), 0);
    store->Attach();
    store->Attach();
    ASSERT_TRUE(Login());
    EXPECT_TRUE(store->NET_Test(nullptr));
    // A handle kept from a connection that has since closed is forgotten by Attach, not bound.
    store->Detach();
    ASSERT_TRUE(store->NET_Disconnect());
    store->Attach();
    EXPECT_EQ(store->GetTransport()->DetachedSocket(), 0);
    ASSERT_TRUE(Login());
    EXPECT_TRUE(store->NET_Test(nullptr));
}

}  // namespace
}  // namespace zor::test
