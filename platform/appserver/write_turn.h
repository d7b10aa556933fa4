#pragma once
// Writers of one database file within this server take turns in the order they came. SQLite lets
// one writer in at a time and has the others poll, so under many sessions a writer could lose
// every race for seconds; here each waits for its turn, first come first served, and never longer
// than a writer's transaction takes. A writer whose request is cut (request_budget.h) while it
// waits leaves the queue without a turn.
#include <cstdint>
#include <memory>

struct sqlite3;

namespace zor::appserver {

class WriteTurn {
public:
    explicit WriteTurn(sqlite3* db);
    ~WriteTurn();
    WriteTurn(const WriteTurn&) = delete;
    WriteTurn& operator=(const WriteTurn&) = delete;
    // False when the turn did not come (the request was cut, or the wait passed ten seconds).
    bool Held() const { return m_held; }
    // The writers of that database holding or waiting for their turn.
    static uint64_t Queued(sqlite3* db);

    struct Queue;

private:
    std::shared_ptr<Queue> m_queue;
    uint64_t m_ticket = 0;
    bool m_held = false;
};

}  // namespace zor::appserver
