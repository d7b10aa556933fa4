#pragma once
// How long one request may run. A request that reads or writes much works in slices; between
// slices it asks RequestCut(), which says stop once the server is stopping or the request has
// spent its time, so a stopping server ends within a second and a runaway request ends with a
// status instead of holding its session's thread.
//
// The budget belongs to the thread that handles the request (one session, one thread): a
// RequestBudget on that thread's stack opens it, its end closes it. Outside one, nothing is cut.
#include <atomic>
#include <chrono>
#include <cstdint>

namespace zor::appserver {

class RequestBudget {
public:
    // `stop` (may be null) is the session's stop flag; `limit` of zero or less means no time limit.
    RequestBudget(const std::atomic<bool>* stop, std::chrono::milliseconds limit);
    ~RequestBudget();
    RequestBudget(const RequestBudget&) = delete;
    RequestBudget& operator=(const RequestBudget&) = delete;

private:
    RequestBudget* m_outer;
    friend bool RequestCut();
    const std::atomic<bool>* m_stop;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_limited;
};

// True once the current request must end.
bool RequestCut();
// The status a cut request answers with.
int32_t RequestCutStatus();

}  // namespace zor::appserver
