// The server's work slots: who is served first, what a cut request, a waiting one and a long one
// do with their slot, and that no slot is ever given twice.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/appserver/request_budget.h"
#include "platform/appserver/work_slots.h"

using zor::appserver::RequestBudget;
using zor::appserver::RequestCut;
using zor::appserver::SlotGivenUp;
using zor::appserver::WorkSlot;
using zor::appserver::WorkSlots;
using namespace std::chrono_literals;

namespace {

// Waits (at most 5 s) until `ready` holds.
template <class F>
bool Eventually(F ready) {
    for (auto until = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < until;) {
        if (ready()) return true;
        std::this_thread::sleep_for(1ms);
    }
    return ready();
}

// True when a request not yet begun gets a slot at once (it is cut, so it does not wait long).
bool FreeSlot(WorkSlots& slots) {
    std::atomic<bool> stop{true};
    RequestBudget budget(&stop, 0ms);
    if (!slots.Take(WorkSlots::Rank::Read)) return false;
    slots.Give();
    return true;
}

}  // namespace

TEST(WorkSlots, WaitedComeBackFirstThenSavesThenReadsEachInTheOrderTheyCame) {
    WorkSlots slots(1);
    ASSERT_TRUE(slots.Take(WorkSlots::Rank::Read));
    struct Row { const char* name; WorkSlots::Rank rank; };
    const Row rows[] = {{"read 1", WorkSlots::Rank::Read},   {"save 1", WorkSlots::Rank::Write},
                        {"read 2", WorkSlots::Rank::Read},   {"back from a wait", WorkSlots::Rank::Waited},
                        {"save 2", WorkSlots::Rank::Write}};
    std::mutex mutex;
    std::vector<std::string> served;
    std::vector<std::thread> threads;
    for (const Row& row : rows) {
        const size_t queued = slots.Waiting();
        threads.emplace_back([&, row] {
            ASSERT_TRUE(slots.Take(row.rank));
            {
                std::lock_guard lock(mutex);
                served.push_back(row.name);
            }
            slots.Give();
        });
        ASSERT_TRUE(Eventually([&] { return slots.Waiting() == queued + 1; })) << row.name;
    }
    slots.Give();
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(served, (std::vector<std::string>{"back from a wait", "save 1", "save 2", "read 1", "read 2"}));
    EXPECT_EQ(slots.Waiting(), 0u);
    EXPECT_TRUE(FreeSlot(slots));
}

TEST(WorkSlots, ACutRequestLeavesTheQueueWithoutASlot) {
    WorkSlots slots(1);
    ASSERT_TRUE(slots.Take(WorkSlots::Rank::Write));
    std::atomic<bool> stop{false};
    std::atomic<int> got{-1};
    std::thread waiting([&] {
        RequestBudget budget(&stop, 0ms);
        got = slots.Take(WorkSlots::Rank::Write) ? 1 : 0;
    });
    ASSERT_TRUE(Eventually([&] { return slots.Waiting() == 1; }));
    stop = true;
    waiting.join();
    EXPECT_EQ(got, 0);
    EXPECT_EQ(slots.Waiting(), 0u);
    slots.Give();
    EXPECT_TRUE(FreeSlot(slots));
}

// A request waiting for others lends its slot out, and comes back before a request that has not
// begun; a request that works long lets its slot go while it goes on. Neither ever gives it twice.
TEST(WorkSlots, WaitingAndLongRequestsLetOthersIn) {
    WorkSlots slots(1);
    std::atomic<bool> lentOut{false}, otherDone{false}, backInSlot{false};
    std::thread waiter([&] {
        WorkSlot mine(&slots, WorkSlots::Rank::Read);
        {
            SlotGivenUp waiting;
            lentOut = true;
            ASSERT_TRUE(Eventually([&] { return otherDone.load(); }));
            // Another request is queued behind the slot by now, and must not get it first.
            ASSERT_TRUE(Eventually([&] { return slots.Waiting() == 1; }));
        }
        backInSlot = true;
        std::this_thread::sleep_for(20ms);
    });
    ASSERT_TRUE(Eventually([&] { return lentOut.load(); }));
    std::atomic<bool> lateServedAfterWaiter{false};
    std::thread other([&] {
        WorkSlot used(&slots, WorkSlots::Rank::Read);
        // Holds the slot until a late request and the one back from its wait queue behind it.
        otherDone = true;
        ASSERT_TRUE(Eventually([&] { return slots.Waiting() == 2; }));
    });
    ASSERT_TRUE(Eventually([&] { return otherDone.load(); }));
    std::thread late([&] {
        WorkSlot used(&slots, WorkSlots::Rank::Read);
        lateServedAfterWaiter = backInSlot.load();
    });
    other.join();
    waiter.join();
    late.join();
    EXPECT_TRUE(lateServedAfterWaiter) << "a request not yet begun went before one back from a wait";

    std::atomic<bool> longGoesOn{true}, longBegun{false}, secondServed{false};
    std::thread longOne([&] {
        WorkSlot mine(&slots, WorkSlots::Rank::Read);
        longBegun = true;
        while (longGoesOn) {
            RequestCut();  // the checks a long request makes as it works
            std::this_thread::sleep_for(1ms);
        }
    });
    ASSERT_TRUE(Eventually([&] { return longBegun.load(); }));
    std::thread second([&] {
        WorkSlot used(&slots, WorkSlots::Rank::Read);
        secondServed = true;
    });
    EXPECT_TRUE(Eventually([&] { return secondServed.load(); })) << "the long request kept its slot";
    longGoesOn = false;
    longOne.join();
    second.join();
    EXPECT_TRUE(FreeSlot(slots));
    // One slot, not two: a second request at once finds none.
    ASSERT_TRUE(slots.Take(WorkSlots::Rank::Read));
    EXPECT_FALSE(FreeSlot(slots));
    slots.Give();
}
