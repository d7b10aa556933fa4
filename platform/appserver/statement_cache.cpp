#include "platform/appserver/statement_cache.h"

#include <sqlite3.h>

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace zor::appserver {
namespace {

using Kept = std::unordered_map<std::string, std::vector<sqlite3_stmt*>>;

// Every session takes and returns statements all the time: connections are spread over shards
// with a lock each, so that sessions do not queue behind one lock.
struct Shard {
    std::mutex mutex;
    std::unordered_map<sqlite3*, Kept> kept;
};
Shard g_shards[64];

Shard& ShardOf(sqlite3* db) { return g_shards[(reinterpret_cast<uintptr_t>(db) >> 6) % 64]; }

}  // namespace

void KeepStatementsOf(sqlite3* db) {
    Shard& shard = ShardOf(db);
    std::lock_guard lock(shard.mutex);
    shard.kept[db];
}

sqlite3_stmt* TakeStatement(sqlite3* db, const char* sql) {
    if (!db || !sql) return nullptr;
    {
        Shard& shard = ShardOf(db);
        std::lock_guard lock(shard.mutex);
        auto conn = shard.kept.find(db);
        if (conn != shard.kept.end()) {
            auto it = conn->second.find(sql);
            if (it != conn->second.end() && !it->second.empty()) {
                sqlite3_stmt* s = it->second.back();
                it->second.pop_back();
                return s;
            }
        }
    }
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK) {
        sqlite3_finalize(s);
        return nullptr;
    }
    return s;
}

void ReturnStatement(sqlite3* db, const char* sql, sqlite3_stmt* s) {
    if (!s) return;
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    {
        Shard& shard = ShardOf(db);
        std::lock_guard lock(shard.mutex);
        auto conn = shard.kept.find(db);
        if (conn != shard.kept.end()) {
            conn->second[sql].push_back(s);
            return;
        }
    }
    sqlite3_finalize(s);
}

void CloseConnection(sqlite3* db) {
    if (!db) return;
    {
        Shard& shard = ShardOf(db);
        std::lock_guard lock(shard.mutex);
        auto conn = shard.kept.find(db);
        if (conn != shard.kept.end()) {
            for (auto& [sql, list] : conn->second)
                for (sqlite3_stmt* s : list) sqlite3_finalize(s);
            shard.kept.erase(conn);
        }
    }
    sqlite3_close_v2(db);
}

}  // namespace zor::appserver
