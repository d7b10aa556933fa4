#pragma once
// Requests are worked on in a few slots, about one per processor; the others wait their turn,
// first come first served. With a thread per session, a hundred sessions asking at once would
// otherwise all run together and the processors would share out time among them: every request
// would take many times as long, and the one writer whose transaction all the others' saves wait
// for would get a sliver of a processor. Saves are served before reads (the writers
// queue behind each other, so each moment one of them waits costs all of them), and a request
// that waits for others — a writer's turn, a sync, a lock, a login's pause — gives its slot up
// meanwhile and gets it back before anyone who has not begun. The transaction that applies a
// group of saves (write_turn.h) runs outside any slot: there is one per database at a time.
//
// A request that runs long (a query over much of a large database) leaves its slot once it has
// held it kSlotTime, and works on beside the slots as every request did before there were any:
// a few such requests may slow the others, never stop them.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

namespace zor::appserver {

class WorkSlots {
public:
    static constexpr std::chrono::milliseconds kSlotTime{50};

    // `count` of zero: one per processor (at least two).
    explicit WorkSlots(unsigned count = 0);
    WorkSlots(const WorkSlots&) = delete;
    WorkSlots& operator=(const WorkSlots&) = delete;

    enum class Rank { Waited, Write, Read };  // who is served first, in this order
    // Waits for a slot; false when the request was cut (request_budget.h) before one came.
    bool Take(Rank rank);
    void Give();
    // Requests waiting for a slot.
    size_t Waiting();

    struct Waiter;

private:
    std::mutex m_mutex;
    unsigned m_free;
    std::deque<Waiter*> m_queues[3];  // by rank
};

// The slot the current thread's request works in, from here to the end of the scope (a request
// that gets none, being cut, works on without one to answer so).
class WorkSlot {
public:
    WorkSlot(WorkSlots* slots, WorkSlots::Rank rank);
    ~WorkSlot();
    WorkSlot(const WorkSlot&) = delete;
    WorkSlot& operator=(const WorkSlot&) = delete;

    // Called while the request works (request_budget.cpp does, at every check): once it has held
    // its slot kSlotTime, the request lets it go for good.
    static void CheckTime();

private:
    friend class SlotGivenUp;
    WorkSlots* m_slots;
    bool m_held;
    WorkSlot* m_outer;
    std::chrono::steady_clock::time_point m_since;
};

// While the current thread waits for others, from here to the end of the scope, its request's
// slot (if it has one) is free for another request.
class SlotGivenUp {
public:
    SlotGivenUp();
    ~SlotGivenUp();
    SlotGivenUp(const SlotGivenUp&) = delete;
    SlotGivenUp& operator=(const SlotGivenUp&) = delete;

private:
    WorkSlot* m_slot;
};

}  // namespace zor::appserver
