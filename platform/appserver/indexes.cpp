#include "platform/appserver/indexes.h"

#include <sqlite3.h>
#include <strings.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <unordered_set>

#include "platform/appserver/request_budget.h"
#include "platform/appserver/statement_cache.h"
#include "platform/appserver/work_slots.h"
#include "platform/zordata/attr_match.h"

namespace zor::appserver {
namespace {

// Raised when what the functions write or the triggers do changes, so that databases indexed by
// an older server are indexed again at their next open.
constexpr const char* kIndexVersion = "5";

// The entries of row NEW made to agree with its values: what it no longer holds goes, what it
// newly holds comes (each entry once per row). Every subquery over the row's values stands on its
// own, so SQLite decodes the row once per statement rather than once per entry it tests.
#define IDX_UPKEEP                                                                                                    \
    " INSERT INTO idx_entities(name) SELECT NEW.entity WHERE NOT EXISTS (SELECT 1 FROM idx_entities WHERE name = NEW.entity);" \
    " DELETE FROM idx_values WHERE id = NEW.id AND rowid NOT IN (SELECT v.rowid FROM idx_values v"                \
    "  JOIN idx_entities e ON e.code = v.ent AND e.name = NEW.entity, qm_index_entries(NEW.data) j"                \
    "  WHERE v.id = NEW.id AND v.pos = j.pos AND v.num IS j.num AND v.fold IS j.fold);"                          \
    " INSERT INTO idx_values(id, ent, pos, num, fold) SELECT NEW.id, e.code, j.pos, j.num, j.fold"                 \
    "  FROM qm_index_entries(NEW.data) j, idx_entities e WHERE e.name = NEW.entity AND NOT EXISTS"                \
    "  (SELECT 1 FROM idx_values v WHERE v.id = NEW.id AND v.ent = e.code AND v.pos = j.pos"                     \
    "   AND v.num IS j.num AND v.fold IS j.fold);"                                                                 \
    " DELETE FROM idx_refs WHERE source = NEW.id AND target NOT IN (SELECT target FROM qm_index_targets(NEW.data));" \
    " INSERT INTO idx_refs(target, source) SELECT target, NEW.id FROM qm_index_targets(NEW.data) j"               \
    "  WHERE NOT EXISTS (SELECT 1 FROM idx_refs r WHERE r.target = j.target AND r.source = NEW.id);"

// The folded texts that may be blobs' names ("blob_" in any case, then anything): the same words
// in the index and in the statements that use it, which is how SQLite sees that they may.
#define BLOB_FOLDS "fold >= 'BLOB_' AND fold < 'BLOB`'"

const char* kIndexSchema =
    "CREATE TABLE IF NOT EXISTS idx_entities(code INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);"
    "CREATE TABLE IF NOT EXISTS idx_values(id INTEGER NOT NULL, ent INTEGER NOT NULL, pos INTEGER NOT NULL,"
    " num REAL, fold TEXT);"
    "CREATE INDEX IF NOT EXISTS idx_values_id ON idx_values(id);"
    "CREATE INDEX IF NOT EXISTS idx_values_num ON idx_values(ent, pos, num) WHERE num IS NOT NULL;"
    "CREATE INDEX IF NOT EXISTS idx_values_fold ON idx_values(ent, pos, fold) WHERE fold IS NOT NULL;"
    // Blobs' names by themselves, whatever attribute holds them: who may open a blob.
    "CREATE INDEX IF NOT EXISTS idx_values_blob ON idx_values(fold) WHERE " BLOB_FOLDS ";"
    "CREATE TABLE IF NOT EXISTS idx_refs(target INTEGER NOT NULL, source INTEGER NOT NULL,"
    " PRIMARY KEY(target, source)) WITHOUT ROWID;"
    "CREATE INDEX IF NOT EXISTS idx_refs_source ON idx_refs(source);"
    "DROP TRIGGER IF EXISTS idx_instances_insert;"
    "DROP TRIGGER IF EXISTS idx_instances_update;"
    "DROP TRIGGER IF EXISTS idx_instances_delete;"
    // A row rewritten mostly as it was (a save that changes one value, a deletion that clears one
    // reference) touches only the entries that changed: every entry rewritten would cost a page
    // of each index per value. INSERT OR REPLACE fires no delete trigger for the row it replaces,
    // so the insert trigger does the same. The statements carry no conflict clause of their own,
    // since the outer statement's (REPLACE) would override it: an entity's code is added only when
    // missing, never replaced.
    "CREATE TRIGGER idx_instances_insert AFTER INSERT ON instances BEGIN" IDX_UPKEEP " END;"
    // A row written back as it was keeps its entries as they are.
    "CREATE TRIGGER idx_instances_update AFTER UPDATE ON instances"
    " WHEN OLD.id IS NOT NEW.id OR OLD.entity IS NOT NEW.entity OR OLD.data IS NOT NEW.data BEGIN"
    " DELETE FROM idx_values WHERE id = OLD.id AND OLD.id != NEW.id;"
    " DELETE FROM idx_refs WHERE source = OLD.id AND OLD.id != NEW.id;" IDX_UPKEEP " END;"
    "CREATE TRIGGER idx_instances_delete AFTER DELETE ON instances BEGIN"
    " DELETE FROM idx_values WHERE id = OLD.id;"
    " DELETE FROM idx_refs WHERE source = OLD.id;"
    " END;";

const char* kRebuild =
    "DELETE FROM idx_values;"
    "DELETE FROM idx_refs;"
    "INSERT OR IGNORE INTO idx_entities(name) SELECT DISTINCT entity FROM instances;"
    "INSERT INTO idx_values(id, ent, pos, num, fold) SELECT i.id, e.code, j.pos, j.num, j.fold"
    " FROM instances i JOIN idx_entities e ON e.name = i.entity, qm_index_entries(i.data) j;"
    "INSERT OR IGNORE INTO idx_refs(target, source) SELECT j.target, i.id FROM instances i,"
    " qm_index_targets(i.data) j;";

// ---- Reading a stored row without a store: the value encoding of databuf.h.

struct RowReader {
    const unsigned char* p;
    const unsigned char* end;

    bool Take(size_t n, const unsigned char*& at) {
        if (static_cast<size_t>(end - p) < n) return false;
        at = p;
        p += n;
        return true;
    }
    bool I32(int32_t& v) {
        const unsigned char* at = nullptr;
        if (!Take(4, at)) return false;
        uint32_t u = uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
        v = static_cast<int32_t>(u);
        return true;
    }
};

struct Scalar {
    bool number = false;
    double num = 0;
    bool text = false;
    std::string_view str;
};

class KeyWriter {
public:
    // One value at top-level position `pos`; false where the row stops reading.
    bool Value(RowReader& r, int pos) { return Read(r, pos, pos, 0); }
    std::string Values() const { return "[" + m_values + "]"; }
    std::string Refs() const { return "[" + m_refs + "]"; }

    // The same entries and references as rows (what the upkeep reads without going through JSON).
    struct Entry {
        int pos = 0;
        bool hasNum = false;
        double num = 0;
        bool hasFold = false;
        std::string fold;
    };
    std::vector<Entry> entries;
    std::vector<int32_t> targets;  // each once

private:
    bool Read(RowReader& r, int pos, int top, int depth) {
        const unsigned char* code = nullptr;
        if (depth > 16 || !r.Take(1, code)) return false;
        Scalar s;
        const unsigned char* at = nullptr;
        int32_t i = 0;
        switch (code[0]) {
        case 0: return true;
        case 1:
            if (!r.I32(i)) return false;
            Ref(i);
            s.number = true;
            s.num = i;
            break;
        case 2: {
            int32_t n = 0;
            if (!r.I32(n) || n < 0) return false;
            for (int32_t k = 0; k < n; ++k)
                // Items of a list are tested one by one; lists inside lists only for references.
                if (!Read(r, depth == 0 ? pos : -1, top, depth + 1)) return false;
            return true;
        }
        case 3:
            if (!r.I32(i)) return false;
            s.number = true;
            s.num = i;
            break;
        case 4: {
            if (!r.Take(8, at)) return false;
            double d = 0;
            std::memcpy(&d, at, 8);
            // The text the index is kept in has no infinities: the largest number stands for them.
            if (std::isnan(d)) return true;
            if (std::isinf(d)) d = d > 0 ? std::numeric_limits<double>::max() : -std::numeric_limits<double>::max();
            s.number = true;
            s.num = d;
            break;
        }
        case 5:
            if (!r.I32(i) || i < 1 || !r.Take(static_cast<size_t>(i), at) || at[i - 1] != 0) return false;
            s.text = true;
            s.str = std::string_view(reinterpret_cast<const char*>(at), std::strlen(reinterpret_cast<const char*>(at)));
            break;
        case 6:
            if (!r.Take(1, at)) return false;
            s.number = true;
            s.num = at[0] != 0 ? 1 : 0;
            break;
        case 7:
            if (!r.Take(1, at)) return false;
            s.number = true;
            s.num = static_cast<char>(at[0]);
            break;
        case 8:
            if (!r.I32(i) || i < 0 || !r.Take(static_cast<size_t>(i), at)) return false;
            return true;
        default: return false;
        }
        if (pos >= 0 && depth <= 1) Put(pos, s);
        // A blob follows every instance that names it, however deep in its lists the name is.
        else if (s.text && s.str.size() >= 5 && strncasecmp(s.str.data(), "blob_", 5) == 0) Put(top, s);
        return true;
    }

    void Ref(int32_t id) {
        if (m_seenTargets.insert(id).second) targets.push_back(id);
        if (!m_refs.empty()) m_refs += ',';
        m_refs += std::to_string(id);
    }

    // Each entry once: a list holding one value twice needs one entry to be found.
    void Put(int pos, const Scalar& s) {
        Entry entry;
        entry.pos = pos;
        std::string e = "[" + std::to_string(pos) + ",";
        if (s.number) {
            char buf[64];
            const auto res = std::to_chars(buf, buf + sizeof buf, s.num);
            e.append(buf, res.ptr);
            entry.hasNum = true;
            // As the JSON text reads back: the shortest text that gives the number again, and no
            // negative zero.
            entry.num = s.num == 0 ? 0.0 : s.num;
        } else {
            e += "null";
        }
        e += ',';
        if (s.text) {
            entry.hasFold = true;
            entry.fold = zorUpper1251(s.str);
            Quote(e, entry.fold);
        } else {
            e += "null";
        }
        e += ']';
        if (!m_seen.insert(e).second) return;
        entries.push_back(std::move(entry));
        if (!m_values.empty()) m_values += ',';
        m_values += e;
    }

    static void Quote(std::string& out, const std::string& t) {
        out += '"';
        for (unsigned char c : t) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c < 0x20) {
                static const char* hex = "0123456789abcdef";
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
        out += '"';
    }

    std::string m_values, m_refs;
    std::unordered_set<std::string> m_seen;
    std::unordered_set<int32_t> m_seenTargets;
};

KeyWriter KeysOf(sqlite3_value* v) {
    KeyWriter w;
    const auto* data = static_cast<const unsigned char*>(sqlite3_value_blob(v));
    const int size = sqlite3_value_bytes(v);
    if (!data) return w;
    RowReader r{data, data + size};
    for (int pos = 0; r.p < r.end; ++pos)
        if (!w.Value(r, pos)) break;
    return w;
}

// One row write asks for the same row's values and references from several trigger statements;
// the last row decoded on this thread answers them all. Keyed by the row's bytes, not by where
// they lie: SQLite may hand the next row in the same memory.
struct LastKeys {
    std::string data;
    std::string values, refs;
    std::vector<KeyWriter::Entry> entries;
    std::vector<int32_t> targets;
    bool valid = false;
};

const LastKeys& KeysFor(sqlite3_value* v) {
    thread_local LastKeys last;
    const auto* data = static_cast<const char*>(sqlite3_value_blob(v));
    const auto size = static_cast<size_t>(sqlite3_value_bytes(v));
    const std::string_view bytes = data ? std::string_view(data, size) : std::string_view();
    if (last.valid && last.data == bytes) return last;
    last.valid = false;
    KeyWriter w = KeysOf(v);
    last.data.assign(bytes);
    last.values = w.Values();
    last.refs = w.Refs();
    last.entries = std::move(w.entries);
    last.targets = std::move(w.targets);
    last.valid = true;
    return last;
}

void IndexValuesFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const std::string& out = KeysFor(argv[0]).values;
    sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

void IndexRefsFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const std::string& out = KeysFor(argv[0]).refs;
    sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

// qm_index_entries(data) and qm_index_targets(data): a row's index entries and references as a
// table, so the triggers read them without writing and parsing JSON for every statement.
struct KeysTable : sqlite3_vtab {
    bool targets = false;
};

struct KeysCursor : sqlite3_vtab_cursor {
    size_t at = 0;
    // Copies: another row may be decoded while this cursor still reads.
    std::vector<KeyWriter::Entry> entries;
    std::vector<int32_t> targets;
};

int KeysConnect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out, char**) {
    const bool targets = aux != nullptr;
    const int rc = sqlite3_declare_vtab(db, targets ? "CREATE TABLE x(target INTEGER, data HIDDEN)"
                                                    : "CREATE TABLE x(pos INTEGER, num REAL, fold TEXT, data HIDDEN)");
    if (rc != SQLITE_OK) return rc;
    sqlite3_vtab_config(db, SQLITE_VTAB_INNOCUOUS);
    auto* t = new KeysTable();
    t->targets = targets;
    *out = t;
    return SQLITE_OK;
}

int KeysDisconnect(sqlite3_vtab* t) {
    delete static_cast<KeysTable*>(t);
    return SQLITE_OK;
}

int KeysBestIndex(sqlite3_vtab* vt, sqlite3_index_info* info) {
    const int dataColumn = static_cast<KeysTable*>(vt)->targets ? 1 : 3;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (c.iColumn != dataColumn || c.op != SQLITE_INDEX_CONSTRAINT_EQ) continue;
        if (!c.usable) return SQLITE_CONSTRAINT;
        info->aConstraintUsage[i].argvIndex = 1;
        info->aConstraintUsage[i].omit = 1;
        info->idxNum = 1;
        info->estimatedCost = 10;
        info->estimatedRows = 10;
        return SQLITE_OK;
    }
    // Without its row the table is empty.
    info->idxNum = 0;
    info->estimatedCost = 1;
    info->estimatedRows = 1;
    return SQLITE_OK;
}

int KeysOpen(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
    *out = new KeysCursor();
    return SQLITE_OK;
}

int KeysClose(sqlite3_vtab_cursor* c) {
    delete static_cast<KeysCursor*>(c);
    return SQLITE_OK;
}

int KeysFilter(sqlite3_vtab_cursor* vc, int idxNum, const char*, int argc, sqlite3_value** argv) {
    auto* c = static_cast<KeysCursor*>(vc);
    c->at = 0;
    c->entries.clear();
    c->targets.clear();
    if (idxNum == 1 && argc == 1) {
        const LastKeys& keys = KeysFor(argv[0]);
        if (static_cast<const KeysTable*>(c->pVtab)->targets) c->targets = keys.targets;
        else c->entries = keys.entries;
    }
    return SQLITE_OK;
}

size_t KeysCount(const KeysCursor* c) {
    return static_cast<const KeysTable*>(c->pVtab)->targets ? c->targets.size() : c->entries.size();
}

int KeysNext(sqlite3_vtab_cursor* vc) {
    ++static_cast<KeysCursor*>(vc)->at;
    return SQLITE_OK;
}

int KeysEof(sqlite3_vtab_cursor* vc) {
    const auto* c = static_cast<KeysCursor*>(vc);
    return c->at >= KeysCount(c);
}

int KeysColumn(sqlite3_vtab_cursor* vc, sqlite3_context* ctx, int column) {
    const auto* c = static_cast<KeysCursor*>(vc);
    if (static_cast<const KeysTable*>(c->pVtab)->targets) {
        if (column == 0) sqlite3_result_int64(ctx, c->targets[c->at]);
        return SQLITE_OK;
    }
    const KeyWriter::Entry& e = c->entries[c->at];
    switch (column) {
    case 0: sqlite3_result_int(ctx, e.pos); break;
    case 1:
        if (e.hasNum) sqlite3_result_double(ctx, e.num);
        break;
    case 2:
        if (e.hasFold) sqlite3_result_text(ctx, e.fold.data(), static_cast<int>(e.fold.size()), SQLITE_TRANSIENT);
        break;
    default: break;
    }
    return SQLITE_OK;
}

int KeysRowid(sqlite3_vtab_cursor* vc, sqlite_int64* rowid) {
    *rowid = static_cast<sqlite_int64>(static_cast<KeysCursor*>(vc)->at);
    return SQLITE_OK;
}

sqlite3_module MakeKeysModule() {
    sqlite3_module m{};
    m.iVersion = 0;
    m.xCreate = nullptr;  // eponymous only: no CREATE VIRTUAL TABLE of it
    m.xConnect = KeysConnect;
    m.xBestIndex = KeysBestIndex;
    m.xDisconnect = KeysDisconnect;
    m.xOpen = KeysOpen;
    m.xClose = KeysClose;
    m.xFilter = KeysFilter;
    m.xNext = KeysNext;
    m.xEof = KeysEof;
    m.xColumn = KeysColumn;
    m.xRowid = KeysRowid;
    return m;
}

const sqlite3_module kKeysModule = MakeKeysModule();
int kTargetsTag = 0;

int ProgressFn(void*) { return RequestCut() ? 1 : 0; }

// Writers of one database take turns; the turn is short (one request's transaction), so a writer
// tries often at first and then less often, and gives up after about ten seconds or when its
// request is cut.
int BusyFn(void*, int count) {
    if (RequestCut() || count > 600) return 0;
    SlotGivenUp waiting;
    std::this_thread::sleep_for(std::chrono::milliseconds(count < 20 ? 1 : count < 100 ? 5 : 20));
    return 1;
}

// A kept statement (statement_cache.h) for the length of a lookup.
class Kept {
public:
    Kept(sqlite3* db, std::string sql) : m_db(db), m_sql(std::move(sql)), m_s(TakeStatement(db, m_sql.c_str())) {}
    ~Kept() { ReturnStatement(m_db, m_sql.c_str(), m_s); }
    Kept(const Kept&) = delete;
    Kept& operator=(const Kept&) = delete;
    sqlite3_stmt* get() const { return m_s; }

private:
    sqlite3* m_db;
    std::string m_sql;
    sqlite3_stmt* m_s;
};

bool Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

int64_t Count(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    int64_t n = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW) n = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return n;
}

bool CollectIds(sqlite3_stmt* s, std::vector<int32_t>& ids) {
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) ids.push_back(static_cast<int32_t>(sqlite3_column_int64(s, 0)));
    return rc == SQLITE_DONE;
}

// The first text after every text that starts with `prefix` (none when no such text exists).
std::optional<std::string> PrefixEnd(std::string prefix) {
    while (!prefix.empty()) {
        auto& last = reinterpret_cast<unsigned char&>(prefix.back());
        if (last < 0xFF) {
            ++last;
            return prefix;
        }
        prefix.pop_back();
    }
    return std::nullopt;
}

// SQLite counts the memory it takes under one lock for the whole process, which every session's
// statements then queue for; we never ask for the counts. Set before the first connection opens.
[[maybe_unused]] const int kNoMemoryCounts = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);

}  // namespace

void PrepareConnection(sqlite3* db) {
    if (!db) return;
    KeepStatementsOf(db);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function(db, "qm_index_values", 1, flags, nullptr, IndexValuesFn, nullptr, nullptr);
    sqlite3_create_function(db, "qm_index_refs", 1, flags, nullptr, IndexRefsFn, nullptr, nullptr);
    sqlite3_create_module(db, "qm_index_entries", &kKeysModule, nullptr);
    sqlite3_create_module(db, "qm_index_targets", &kKeysModule, &kTargetsTag);
    sqlite3_progress_handler(db, 20000, ProgressFn, nullptr);
    sqlite3_busy_handler(db, BusyFn, nullptr);
    // Writers checkpoint after their commits (write_turn.h), not inside them.
    Exec(db, "PRAGMA wal_autocheckpoint=0");
}

bool HasIndexes(sqlite3* db) {
    Kept s(db, "SELECT value FROM meta WHERE key = 'index_version'");
    if (!s.get() || sqlite3_step(s.get()) != SQLITE_ROW) return false;
    const auto* v = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
    return v && std::strcmp(v, kIndexVersion) == 0;
}

bool EnsureIndexes(sqlite3* db) {
    if (!db) return false;
    if (HasIndexes(db)) return true;
    if (!Exec(db, "BEGIN IMMEDIATE")) return false;
    // Another session may have built them while this one waited for the write lock.
    bool ok = HasIndexes(db) || (Exec(db, kIndexSchema) && Exec(db, kRebuild));
    if (ok) {
        const std::string set = std::string("INSERT OR REPLACE INTO meta(key, value) VALUES('index_version', '") + kIndexVersion + "')";
        ok = Exec(db, set.c_str()) && Exec(db, "COMMIT");
    }
    if (!ok) Exec(db, "ROLLBACK");
    return ok;
}

std::string CheckIndexes(sqlite3* db) {
    if (!db) return "not open";
    if (!HasIndexes(db)) return "no indexes";
    if (!Exec(db, "BEGIN")) return "cannot read";
    std::string out;
    const bool built =
        Exec(db, "CREATE TEMP TABLE chk_values AS SELECT i.id AS id, e.code AS ent, j.value->>0 AS pos,"
                 " j.value->>1 AS num, j.value->>2 AS fold FROM instances i LEFT JOIN idx_entities e ON e.name = i.entity,"
                 " json_each(qm_index_values(i.data)) j;"
                 "CREATE TEMP TABLE chk_refs AS SELECT DISTINCT j.value AS target, i.id AS source FROM instances i,"
                 " json_each(qm_index_refs(i.data)) j;");
    if (!built) {
        out = std::string("cannot rebuild: ") + sqlite3_errmsg(db);
    } else {
        struct Probe {
            const char* what;
            const char* sql;
        } probes[] = {
            {"values missing", "SELECT count(*) FROM (SELECT id, ent, pos, num, fold FROM chk_values EXCEPT"
                               " SELECT id, ent, pos, num, fold FROM idx_values)"},
            {"values extra", "SELECT count(*) FROM (SELECT id, ent, pos, num, fold FROM idx_values EXCEPT"
                             " SELECT id, ent, pos, num, fold FROM chk_values)"},
            {"value count", "SELECT (SELECT count(*) FROM idx_values) - (SELECT count(*) FROM chk_values)"},
            {"references missing", "SELECT count(*) FROM (SELECT target, source FROM chk_refs EXCEPT"
                                   " SELECT target, source FROM idx_refs)"},
            {"references extra", "SELECT count(*) FROM (SELECT target, source FROM idx_refs EXCEPT"
                                 " SELECT target, source FROM chk_refs)"},
        };
        for (const Probe& p : probes) {
            const int64_t n = Count(db, p.sql);
            if (n != 0) out += (out.empty() ? "" : "; ") + std::string(p.what) + ": " + std::to_string(n);
        }
    }
    Exec(db, "ROLLBACK");
    return out.empty() ? "ok" : out;
}

bool IndexedIds(sqlite3* db, const std::string& entity, int pos, const ValueKey& key, std::vector<int32_t>& ids) {
    std::string sql =
        "SELECT DISTINCT id FROM idx_values WHERE ent = (SELECT code FROM idx_entities WHERE name = ?1) AND pos = ?2 AND ";
    std::optional<std::string> end;
    switch (key.kind) {
    case ValueKey::Kind::Number: sql += "num = ?3"; break;
    case ValueKey::Kind::NumberRange:
        sql += "num IS NOT NULL";
        if (key.low) sql += key.lowOpen ? " AND num > ?3" : " AND num >= ?3";
        if (key.high) sql += key.highOpen ? " AND num < ?4" : " AND num <= ?4";
        break;
    case ValueKey::Kind::Folded: sql += "fold = ?3"; break;
    case ValueKey::Kind::FoldedPrefix:
        sql += "fold >= ?3";
        end = PrefixEnd(key.text);
        if (end) sql += " AND fold < ?4";
        break;
    }
    sql += " ORDER BY id";
    Kept kept(db, sql);
    sqlite3_stmt* s = kept.get();
    if (!s) return false;
    sqlite3_bind_text(s, 1, entity.data(), static_cast<int>(entity.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(s, 2, pos);
    switch (key.kind) {
    case ValueKey::Kind::Number: sqlite3_bind_double(s, 3, key.number); break;
    case ValueKey::Kind::NumberRange:
        if (key.low) sqlite3_bind_double(s, 3, *key.low);
        if (key.high) sqlite3_bind_double(s, 4, *key.high);
        break;
    case ValueKey::Kind::Folded:
    case ValueKey::Kind::FoldedPrefix:
        sqlite3_bind_text(s, 3, key.text.data(), static_cast<int>(key.text.size()), SQLITE_TRANSIENT);
        if (end) sqlite3_bind_text(s, 4, end->data(), static_cast<int>(end->size()), SQLITE_TRANSIENT);
        break;
    }
    return CollectIds(s, ids);
}

bool ReferrerIds(sqlite3* db, int32_t target, std::vector<int32_t>& ids) {
    Kept s(db, "SELECT source FROM idx_refs WHERE target = ? ORDER BY source");
    if (!s.get()) return false;
    sqlite3_bind_int64(s.get(), 1, target);
    return CollectIds(s.get(), ids);
}

bool BlobNamerIds(sqlite3* db, const std::string& name, const std::vector<unsigned char>& encoded, std::vector<int32_t>& ids) {
    const std::string fold = zorUpper1251(name);
    if (fold.compare(0, 5, "BLOB_") != 0) return false;
    // The index finds the rows holding the text in any case; the row's bytes say which hold it as it is.
    Kept s(db, "SELECT DISTINCT v.id FROM idx_values v JOIN instances i ON i.id = v.id"
               " WHERE " BLOB_FOLDS " AND v.fold = ?1 AND instr(i.data, ?2) > 0 ORDER BY v.id");
    if (!s.get()) return false;
    sqlite3_bind_text(s.get(), 1, fold.data(), static_cast<int>(fold.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(s.get(), 2, encoded.data(), static_cast<int>(encoded.size()), SQLITE_TRANSIENT);
    return CollectIds(s.get(), ids);
}

bool ReferrerEntities(sqlite3* db, int32_t target, std::vector<std::pair<int32_t, std::string>>& rows) {
    Kept kept(db, "SELECT r.source, i.entity FROM idx_refs r JOIN instances i ON i.id = r.source"
                  " WHERE r.target = ? ORDER BY r.source");
    sqlite3_stmt* s = kept.get();
    if (!s) return false;
    sqlite3_bind_int64(s, 1, target);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
        rows.emplace_back(static_cast<int32_t>(sqlite3_column_int64(s, 0)),
                          std::string(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(s, 1))));
    }
    return rc == SQLITE_DONE;
}

}  // namespace zor::appserver
