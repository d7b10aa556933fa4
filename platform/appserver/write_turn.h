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
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

struct sqlite3;

namespace zor::appserver {

class WriteTurn {
public:
    // `checkpointer`, when given, is the connection that checkpoints after this writer's sync (one
    // not in use by others meanwhile); else the writer's own.
    explicit WriteTurn(sqlite3* db, sqlite3* checkpointer = nullptr);
    ~WriteTurn();
    WriteTurn(const WriteTurn&) = delete;
    WriteTurn& operator=(const WriteTurn&) = delete;
    // False when the turn did not come (the request was cut, or the wait passed ten seconds).
    bool Held() const { return m_held; }
    // After a commit: gives up the turn and waits for a sync that covers the commit (false when
    // the sync failed; the change may then be lost).
    bool Committed();
    // The same in two steps, so that the next writer may go on before this one waits: gives up
    // the turn after a commit (the commit's number; 0 when the turn was not held), then waits for
    // a sync that covers that commit.
    uint64_t Release();
    bool Synced(uint64_t commit);
    // The writers of that database holding or waiting for their turn.
    static uint64_t Queued(sqlite3* db);

    struct Queue;

private:
    std::shared_ptr<Queue> m_queue;
    sqlite3* m_db;  // checkpoints
    std::string m_log;  // the database's write-ahead log
    uint64_t m_ticket = 0;
    bool m_held = false;
};

// Saves of one database file share transactions. A save that finds others queued before it, or
// comes while they run, is applied by the session that holds the turn, together with them, in one
// transaction: each in its own savepoint, so a refused save takes back only what it did itself,
// then one commit and one sync for all. Each is told its outcome only after that sync, in the
// order they came; a session's reads never wait for any of it (they use the session's own
// connection). The shared transaction runs on a connection of its own, opened with the first save.
class WriteGroup {
public:
    // The group of that database file (one per file while any session has it open).
    static std::shared_ptr<WriteGroup> For(const std::string& path);
    ~WriteGroup();
    WriteGroup(const WriteGroup&) = delete;
    WriteGroup& operator=(const WriteGroup&) = delete;

    // Runs work on the group's connection within a shared transaction. True when work succeeded
    // and the transaction holding it is committed and synced; false when work refused (what it
    // did is taken back), or the turn did not come, or the commit or its sync failed. `work` may
    // run on another session's thread, while this one waits.
    bool Run(const std::function<bool(sqlite3*)>& work);
    // The saves waiting to be taken into a transaction.
    size_t Pending();

    struct Job;

private:
    explicit WriteGroup(std::string path) : m_path(std::move(path)) {}
    sqlite3* Connection();  // with m_mutex held
    void Lead(std::unique_lock<std::mutex>& lock, Job* mine);
    void WakeNextLeader();  // with m_mutex held

    const std::string m_path;
    std::mutex m_mutex;
    std::deque<Job*> m_pending;  // in the order they came
    bool m_leading = false;      // a session is gathering or applying saves
    sqlite3* m_db = nullptr;
    sqlite3* m_checkpointDb = nullptr;
};

}  // namespace zor::appserver
