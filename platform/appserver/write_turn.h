#pragma once
// Writers of one database file within this server take turns in the order they came. SQLite lets
// one writer in at a time and has the others poll, so under many sessions a writer could lose
// every race for seconds; here each waits for its turn, first come first served, and never longer
// than a writer's transaction takes. A writer whose request is cut (request_budget.h) while it
// waits leaves the queue without a turn.
//
// Writers also share the sync that makes a commit durable. SQLite commits without syncing here
// (synchronous=NORMAL in WAL mode); a writer that committed gives up its turn at once and then
// waits until one sync of the log that began after its commit has ended. Commits that came
// during one sync share the next one, so a sync costs the same for one writer as for a hundred,
// and no writer is told its change is made before the change is on disk.
//
// The log is copied into the database (checkpointed) by a writer after its sync, outside the turn
// and at most one at a time, never by SQLite inside a commit: with sessions reading all the time
// the log seldom empties, and SQLite would then try a checkpoint, with two syncs, in every commit.
#include <cstdint>
#include <memory>
#include <string>

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
    // After a commit: gives up the turn and waits for a sync that covers the commit (false when
    // the sync failed; the change may then be lost).
    bool Committed();
    // The writers of that database holding or waiting for their turn.
    static uint64_t Queued(sqlite3* db);

    struct Queue;

private:
    std::shared_ptr<Queue> m_queue;
    sqlite3* m_db;
    std::string m_log;  // the database's write-ahead log
    uint64_t m_ticket = 0;
    bool m_held = false;
};

}  // namespace zor::appserver
