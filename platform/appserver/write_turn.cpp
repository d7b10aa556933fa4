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
#include <set>
#include <string>

#include "platform/appserver/request_budget.h"

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

// Syncs the log file (any descriptor of a file syncs its data). A log that is gone was
// checkpointed into the database, which SQLite syncs before it removes the log.
bool SyncLog(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Commits between checkpoints (a few thousand pages of log).
constexpr uint64_t kCommitsPerCheckpoint = 200;

WriteTurn::WriteTurn(sqlite3* db) : m_queue(QueueOf(db)), m_db(db) {
    const char* name = db ? sqlite3_db_filename(db, "main") : nullptr;
    if (name && *name) m_log = std::string(name) + "-wal";
    std::unique_lock lock(m_queue->mutex);
    m_ticket = m_queue->next++;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (m_queue->serving != m_ticket) {
        if (RequestCut() || std::chrono::steady_clock::now() >= until) {
            m_queue->abandoned.insert(m_ticket);
            return;
        }
        m_queue->changed.wait_for(lock, std::chrono::milliseconds(50));
    }
    m_held = true;
}

bool WriteTurn::Committed() {
    if (!m_held) return false;
    std::unique_lock lock(m_queue->mutex);
    const uint64_t mine = ++m_queue->committed;
    m_held = false;
    m_queue->Advance();
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

}  // namespace zor::appserver
