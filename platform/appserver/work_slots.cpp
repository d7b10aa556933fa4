#include "platform/appserver/work_slots.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/appserver/request_budget.h"

namespace zor::appserver {

struct WorkSlots::Waiter {
    std::condition_variable wake;
    bool granted = false;
};

WorkSlots::WorkSlots(unsigned count)
    : m_free(count ? count : std::max(2u, std::thread::hardware_concurrency())) {}

bool WorkSlots::Take(Rank rank) {
    std::unique_lock lock(m_mutex);
    const size_t r = static_cast<size_t>(rank);
    bool before = false;  // someone of the same or a higher rank waits already
    for (size_t k = 0; k <= r; ++k) before = before || !m_queues[k].empty();
    if (m_free > 0 && !before) {
        --m_free;
        return true;
    }
    Waiter me;
    m_queues[r].push_back(&me);
    while (!me.granted) {
        me.wake.wait_for(lock, std::chrono::milliseconds(50));
        // A request not yet begun that is cut leaves; one that waited for others (Rank::Waited)
        // comes back at the head, so it stays to the end. The check runs without the lock: it
        // may let go of a slot itself.
        if (me.granted || rank == Rank::Waited) continue;
        lock.unlock();
        const bool cut = RequestCut();
        lock.lock();
        if (cut && !me.granted) {
            m_queues[r].erase(std::find(m_queues[r].begin(), m_queues[r].end(), &me));
            return false;
        }
    }
    return true;
}

void WorkSlots::Give() {
    std::lock_guard lock(m_mutex);
    for (std::deque<Waiter*>& q : m_queues) {
        if (q.empty()) continue;
        Waiter* next = q.front();
        q.pop_front();
        next->granted = true;
        next->wake.notify_one();
        return;
    }
    ++m_free;
}

size_t WorkSlots::Waiting() {
    std::lock_guard lock(m_mutex);
    return m_queues[0].size() + m_queues[1].size() + m_queues[2].size();
}

namespace {
thread_local WorkSlot* t_slot = nullptr;
}

WorkSlot::WorkSlot(WorkSlots* slots, WorkSlots::Rank rank)
    : m_slots(slots), m_held(slots && slots->Take(rank)), m_outer(t_slot), m_since(std::chrono::steady_clock::now()) {
    t_slot = this;
}

void WorkSlot::CheckTime() {
    WorkSlot* s = t_slot;
    if (!s || !s->m_held || std::chrono::steady_clock::now() - s->m_since < WorkSlots::kSlotTime) return;
    s->m_held = false;
    s->m_slots->Give();
}

WorkSlot::~WorkSlot() {
    t_slot = m_outer;
    if (m_held) m_slots->Give();
}

SlotGivenUp::SlotGivenUp() : m_slot(t_slot && t_slot->m_held ? t_slot : nullptr) {
    if (!m_slot) return;
    m_slot->m_held = false;
    m_slot->m_slots->Give();
}

SlotGivenUp::~SlotGivenUp() {
    if (!m_slot) return;
    m_slot->m_held = m_slot->m_slots->Take(WorkSlots::Rank::Waited);
    m_slot->m_since = std::chrono::steady_clock::now();
}

}  // namespace zor::appserver
