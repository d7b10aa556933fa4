#include "platform/appserver/request_budget.h"

#include "platform/appserver/work_slots.h"
#include "platform/transport/net_errors.h"

namespace zor::appserver {
namespace {

thread_local RequestBudget* t_current = nullptr;

}  // namespace

RequestBudget::RequestBudget(const std::atomic<bool>* stop, std::chrono::milliseconds limit)
    : m_outer(t_current), m_stop(stop), m_deadline(std::chrono::steady_clock::now() + limit), m_limited(limit.count() > 0) {
    t_current = this;
}

RequestBudget::~RequestBudget() { t_current = m_outer; }

bool RequestCut() {
    WorkSlot::CheckTime();
    const RequestBudget* b = t_current;
    if (!b) return false;
    if (b->m_stop && b->m_stop->load(std::memory_order_relaxed)) return true;
    return b->m_limited && std::chrono::steady_clock::now() >= b->m_deadline;
}

int32_t RequestCutStatus() { return ZOR_NET_SRV_BREAK; }

}  // namespace zor::appserver
