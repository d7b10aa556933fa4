#include "platform/appserver/write_turn.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/appserver/indexes.h"
#include "platform/appserver/request_budget.h"
#include "platform/appserver/statement_cache.h"
#include "platform/appserver/work_slots.h"

namespace zor::appserver {

struct WriteTurn::Queue {
    std::mutex mutex;
    std::condition_variable changed;
    uint64_t next = 0;     // the ticket the next writer takes
    uint64_t serving = 0;  // the ticket whose turn it is
    std::set<uint64_t> abandoned;
    uint64_t committed = 0;  // commits made
    uint64_t synced = 0;     // commits known to be on disk
    bool syncing = false;
    bool checkpointing = false;
    uint64_t checkpointed = 0;  // commits when the last checkpoint began

    // Moves the turn on, past the writers that left while waiting.
    void Advance() {
        ++serving;
        while (abandoned.erase(serving)) ++serving;
        changed.notify_all();
    }
};

namespace {

std::shared_ptr<WriteTurn::Queue> QueueOf(sqlite3* db) {
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<WriteTurn::Queue>> queues;
    const char* name = db ? sqlite3_db_filename(db, "main") : nullptr;
    const std::string key = name ? name : "";
    std::lock_guard lock(mutex);
    std::shared_ptr<WriteTurn::Queue> q = queues[key].lock();
    if (!q) {
        q = std::make_shared<WriteTurn::Queue>();
        queues[key] = q;
    }
    return q;
}

}  // namespace

// Syncs the log file's data and what reading it back needs (any descriptor of a file does). A log
// that is gone was checkpointed into the database, which SQLite syncs before it removes the log.
bool SyncLog(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    const bool ok = ::fdatasync(fd) == 0;
    ::close(fd);
    return ok;
}

// Commits between checkpoints (a few thousand pages of log).
constexpr uint64_t kCommitsPerCheckpoint = 200;

WriteTurn::WriteTurn(sqlite3* db, sqlite3* checkpointer) : m_queue(QueueOf(db)), m_db(checkpointer ? checkpointer : db) {
    const char* name = db ? sqlite3_db_filename(db, "main") : nullptr;
    if (name && *name) m_log = std::string(name) + "-wal";
    std::unique_lock lock(m_queue->mutex);
    m_ticket = m_queue->next++;
    if (m_queue->serving == m_ticket) {
        m_held = true;
        return;
    }
    // Taken back after the queue's lock is let go: a session holding that lock must never wait
    // for a slot.
    lock.unlock();
    SlotGivenUp waiting;
    lock.lock();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (m_queue->serving != m_ticket) {
        if (RequestCut() || std::chrono::steady_clock::now() >= until) {
            m_queue->abandoned.insert(m_ticket);
            lock.unlock();
            return;
        }
        m_queue->changed.wait_for(lock, std::chrono::milliseconds(50));
    }
    m_held = true;
    lock.unlock();
}

bool WriteTurn::Committed() {
    const uint64_t commit = Release();
    SlotGivenUp waiting;
    return Synced(commit);
}

uint64_t WriteTurn::Release() {
    if (!m_held) return 0;
    std::lock_guard lock(m_queue->mutex);
    m_held = false;
    m_queue->Advance();
    return ++m_queue->committed;
}

bool WriteTurn::Synced(uint64_t mine) {
    if (!mine) return false;
    std::unique_lock lock(m_queue->mutex);
    if (m_log.empty()) return true;  // an in-memory database: nothing to sync
    while (m_queue->synced < mine) {
        if (m_queue->syncing) {
            m_queue->changed.wait(lock);
            continue;
        }
        m_queue->syncing = true;
        const uint64_t covers = m_queue->committed;
        lock.unlock();
        const bool ok = SyncLog(m_log);
        lock.lock();
        m_queue->syncing = false;
        m_queue->changed.notify_all();
        if (!ok) return false;
        m_queue->synced = std::max(m_queue->synced, covers);
    }
    if (m_queue->checkpointing || m_queue->committed - m_queue->checkpointed < kCommitsPerCheckpoint) return true;
    m_queue->checkpointing = true;
    m_queue->checkpointed = m_queue->committed;
    lock.unlock();
    // Passive: copies what no reader still needs, and waits for nobody.
    sqlite3_wal_checkpoint_v2(m_db, "main", SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    lock.lock();
    m_queue->checkpointing = false;
    return true;
}

uint64_t WriteTurn::Queued(sqlite3* db) {
    std::shared_ptr<Queue> q = QueueOf(db);
    std::lock_guard lock(q->mutex);
    return q->next - q->serving - q->abandoned.size();
}

WriteTurn::~WriteTurn() {
    if (!m_held) return;
    std::lock_guard lock(m_queue->mutex);
    m_queue->Advance();
}

struct WriteGroup::Job {
    const std::function<bool(sqlite3*)>* work = nullptr;
    enum class State { Pending, Taken, Done } state = State::Pending;
    bool ok = false;
    // Woken alone (a few hundred sessions may wait): when its save is done, or when it is the
    // first pending and the group has nobody leading.
    std::condition_variable wake;
};

namespace {

// Saves in one shared transaction at most: enough to carry a few hundred sessions in a few
// transactions, few enough that the first of them is not kept long behind the last.
constexpr size_t kMaxGrouped = 64;

// One statement, kept prepared: a group runs a few of these per save.
bool Exec(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = TakeStatement(db, sql);
    if (!s) return false;
    const int rc = sqlite3_step(s);
    ReturnStatement(db, sql, s);
    return rc == SQLITE_DONE || rc == SQLITE_ROW;
}

}  // namespace

std::shared_ptr<WriteGroup> WriteGroup::For(const std::string& path) {
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<WriteGroup>> groups;
    std::lock_guard lock(mutex);
    for (auto it = groups.begin(); it != groups.end();) it = it->second.expired() ? groups.erase(it) : std::next(it);
    std::shared_ptr<WriteGroup> g = groups[path].lock();
    if (!g) {
        g = std::shared_ptr<WriteGroup>(new WriteGroup(path));
        groups[path] = g;
    }
    return g;
}

WriteGroup::~WriteGroup() {
    CloseConnection(m_db);
    CloseConnection(m_checkpointDb);
}

namespace {

sqlite3* OpenWriter(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
        CloseConnection(db);
        return nullptr;
    }
    PrepareConnection(db);
    // Synced by the writers together after each commit, as every connection of the server is.
    if (!Exec(db, "PRAGMA synchronous=NORMAL")) {
        CloseConnection(db);
        return nullptr;
    }
    return db;
}

}  // namespace

sqlite3* WriteGroup::Connection() {
    // Checkpoints run after a group's commit, while the next group may already use the first
    // connection: they have their own.
    if (!m_db) m_db = OpenWriter(m_path);
    if (!m_checkpointDb) m_checkpointDb = OpenWriter(m_path);
    return m_db && m_checkpointDb ? m_db : nullptr;
}

size_t WriteGroup::Pending() {
    std::lock_guard lock(m_mutex);
    return m_pending.size();
}

void WriteGroup::WakeNextLeader() {
    if (!m_leading && !m_pending.empty()) m_pending.front()->wake.notify_one();
}

bool WriteGroup::Run(const std::function<bool(sqlite3*)>& work) {
    Job job;
    job.work = &work;
    std::unique_lock lock(m_mutex);
    m_pending.push_back(&job);
    while (job.state != Job::State::Done) {
        if (job.state == Job::State::Pending) {
            if (!m_leading) {
                Lead(lock, &job);
                continue;
            }
            // Not yet taken by the session that applies the group: it may leave.
            if (RequestCut()) {
                m_pending.erase(std::find(m_pending.begin(), m_pending.end(), &job));
                return false;
            }
        }
        // Taken: the leading session ends it, however it goes.
        job.wake.wait_for(lock, std::chrono::milliseconds(50));
    }
    return job.ok;
}

void WriteGroup::Lead(std::unique_lock<std::mutex>& lock, Job* mine) {
    m_leading = true;
    sqlite3* db = Connection();
    lock.unlock();
    std::optional<WriteTurn> turn;
    if (db) turn.emplace(db, m_checkpointDb);
    lock.lock();
    if (!turn || !turn->Held()) {
        // Only this session's save gives up; the others keep their places and one of them leads.
        m_leading = false;
        m_pending.erase(std::find(m_pending.begin(), m_pending.end(), mine));
        mine->state = Job::State::Done;
        mine->ok = false;
        WakeNextLeader();
        return;
    }
    // Those that came while this session waited for the turn join it.
    const size_t n = std::min(m_pending.size(), kMaxGrouped);
    std::vector<Job*> batch(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(n));
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(n));
    for (Job* j : batch) j->state = Job::State::Taken;
    lock.unlock();

    bool open = Exec(db, "BEGIN IMMEDIATE");
    for (Job* j : batch) {
        j->ok = false;
        if (!open || !Exec(db, "SAVEPOINT one_save")) {
            open = false;
            continue;
        }
        try {
            j->ok = (*j->work)(db);
        } catch (...) {
            // Another session's save must not end this thread's, nor leave the group without a
            // leader: it fails, and where it left the transaction is unknown, so none stands.
            j->ok = false;
            open = false;
            continue;
        }
        if (!j->ok && !Exec(db, "ROLLBACK TO one_save")) open = false;
        if (!Exec(db, "RELEASE one_save")) open = false;
        // An interrupted or failed statement may have rolled the whole transaction back, and the
        // saves before it with it: then none of them stands.
        if (sqlite3_get_autocommit(db)) open = false;
    }
    const bool committed = open && Exec(db, "COMMIT");
    if (!committed && !sqlite3_get_autocommit(db)) Exec(db, "ROLLBACK");
    // The turn passes on now; this group's saves are answered after the sync.
    const uint64_t commit = committed ? turn->Release() : 0;
    if (!committed) turn.reset();
    lock.lock();
    // The next group may gather, and take the turn, while this one syncs.
    m_leading = false;
    WakeNextLeader();
    lock.unlock();
    const bool durable = commit && turn->Synced(commit);
    lock.lock();
    for (Job* j : batch) {
        j->ok = j->ok && durable;
        j->state = Job::State::Done;
        j->wake.notify_one();
    }
}

}  // namespace zor::appserver
