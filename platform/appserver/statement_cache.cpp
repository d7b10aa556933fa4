#include "platform/appserver/statement_cache.h"

#include <sqlite3.h>

#include <mutex>
#include <unordered_map>
#include <vector>

namespace zor::appserver {
namespace {

using Kept = std::unordered_map<std::string, std::vector<sqlite3_stmt*>>;

std::mutex g_mutex;
std::unordered_map<sqlite3*, Kept> g_kept;

}  // namespace

void KeepStatementsOf(sqlite3* db) {
    std::lock_guard lock(g_mutex);
    g_kept[db];
}

sqlite3_stmt* TakeStatement(sqlite3* db, const char* sql) {
    if (!db || !sql) return nullptr;
    {
        std::lock_guard lock(g_mutex);
        auto conn = g_kept.find(db);
        if (conn != g_kept.end()) {
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
        std::lock_guard lock(g_mutex);
        auto conn = g_kept.find(db);
        if (conn != g_kept.end()) {
            conn->second[sql].push_back(s);
            return;
        }
    }
    sqlite3_finalize(s);
}

void CloseConnection(sqlite3* db) {
    if (!db) return;
    {
        std::lock_guard lock(g_mutex);
        auto conn = g_kept.find(db);
        if (conn != g_kept.end()) {
            for (auto& [sql, list] : conn->second)
                for (sqlite3_stmt* s : list) sqlite3_finalize(s);
            g_kept.erase(conn);
        }
    }
    sqlite3_close_v2(db);
}

}  // namespace zor::appserver
