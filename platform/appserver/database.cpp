#include "platform/appserver/database.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "platform/appserver/access.h"
#include "platform/appserver/indexes.h"
#include "platform/appserver/passwords.h"
#include "platform/appserver/statement_cache.h"
#include "platform/appserver/work_slots.h"
#include "platform/appserver/write_turn.h"
#include "platform/base/scramble.h"
#include "platform/zordata/databuf.h"
#include "platform/zordata/value.h"

namespace zor::appserver {
namespace {

const char* kSchema =
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT);"
    "CREATE TABLE IF NOT EXISTS instances(id INTEGER PRIMARY KEY, entity TEXT NOT NULL, data BLOB NOT NULL);"
    "CREATE INDEX IF NOT EXISTS instances_entity ON instances(entity, id);"
    "CREATE TABLE IF NOT EXISTS blobs(id INTEGER PRIMARY KEY, data BLOB NOT NULL);"
    "CREATE TABLE IF NOT EXISTS log(id INTEGER PRIMARY KEY, time INTEGER, user INTEGER, first TEXT, second TEXT,"
    " flag INTEGER);";

const char* kSecretsSchema = "CREATE TABLE IF NOT EXISTS user_secrets(user INTEGER PRIMARY KEY, hash TEXT NOT NULL);";

const char* kDeletedSchema =
    "CREATE TABLE IF NOT EXISTS deleted(id INTEGER PRIMARY KEY, entity TEXT NOT NULL, data BLOB NOT NULL,"
    " user INTEGER, time INTEGER, seq INTEGER);";

// A prepared statement that finalises itself.
class Stmt {
public:
    Stmt(sqlite3* db, const char* sql) : m_db(db), m_sql(sql), m_s(TakeStatement(db, sql)) {}
    ~Stmt() { ReturnStatement(m_db, m_sql, m_s); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    explicit operator bool() const { return m_s != nullptr; }
    sqlite3_stmt* get() { return m_s; }
    void Bind(int i, int64_t v) { sqlite3_bind_int64(m_s, i, v); }
    void Bind(int i, const std::string& v) { sqlite3_bind_text(m_s, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT); }
    void BindBlob(int i, const std::vector<unsigned char>& v) {
        sqlite3_bind_blob(m_s, i, v.empty() ? "" : static_cast<const void*>(v.data()), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    int Step() { return sqlite3_step(m_s); }
    std::vector<unsigned char> Blob(int col) {
        const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(m_s, col));
        return std::vector<unsigned char>(p, p + sqlite3_column_bytes(m_s, col));
    }
    std::string Text(int col) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_s, col));
        return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(m_s, col))) : std::string();
    }

private:
    sqlite3* m_db;
    const char* m_sql;
    sqlite3_stmt* m_s = nullptr;
};

// Runs a piece of work as one transaction; rolls back unless it succeeded.
template <class F>
bool Transaction(sqlite3* db, F&& work) {
    WriteTurn turn(db);
    if (!turn.Held()) return false;
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    if (!work()) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    return turn.Committed();
}

void SetError(std::string* error, sqlite3* db, const char* what) {
    if (error) *error = std::string(what) + (db ? std::string(": ") + sqlite3_errmsg(db) : std::string());
}

}  // namespace

// A user row holds the zor_user attributes in the dictionary's order (name, password,
// access_mode), then the group: a store file exported from the database reads it as a user.
std::vector<unsigned char> EncodeUser(const UserRecord& user) {
    CzorDataBuf buf;
    CzorValue v;
    v.Set(user.name);
    zorAppendBufValue(buf, v);
    zorAppendBufValue(buf, CzorValue());  // the password is kept apart (user_secrets)
    v.Set(user.readOnly ? kAccessReadOnly : kAccessFull);
    zorAppendBufValue(buf, v);
    v.Set(static_cast<int>(user.group));
    zorAppendBufValue(buf, v);
    return std::vector<unsigned char>(buf.GetBuffer(), buf.GetBuffer() + buf.GetSize());
}

bool DecodeUser(const std::vector<unsigned char>& data, UserRecord& user) {
    CzorDataBuf buf;
    buf.SetExternalData(data.data(), data.size());
    CzorValue name, password, access, group;
    if (!zorReadBufValue(buf, name) || !zorReadBufValue(buf, password) || !zorReadBufValue(buf, access))
        return false;
    int a = 0, g = 0;
    if (!name.Get(user.name) || !access.Get(a)) return false;
    if (zorReadBufValue(buf, group)) group.Get(g);
    user.group = g;
    user.readOnly = (a & 4) == 0;
    return true;
}

bool LegacyPassword(const std::vector<unsigned char>& data, std::string& password) {
    CzorDataBuf buf;
    buf.SetExternalData(data.data(), data.size());
    CzorValue name, stored;
    return zorReadBufValue(buf, name) && zorReadBufValue(buf, stored) && stored.Get(password);
}

// The row with its second value (the password) unset; the row itself when it does not read.
static std::vector<unsigned char> WithoutPassword(const std::vector<unsigned char>& data) {
    CzorDataBuf in;
    in.SetExternalData(data.data(), data.size());
    CzorValue name, password;
    if (!zorReadBufValue(in, name) || !zorReadBufValue(in, password)) return data;
    CzorDataBuf out;
    zorAppendBufValue(out, name);
    zorAppendBufValue(out, CzorValue());
    std::vector<unsigned char> row(out.GetBuffer(), out.GetBuffer() + out.GetSize());
    row.insert(row.end(), data.begin() + static_cast<std::ptrdiff_t>(in.GetCurPos()), data.end());
    return row;
}

ServerDatabase::~ServerDatabase() {
    if (m_db) CloseConnection(m_db);
}

bool ServerDatabase::Exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool ServerDatabase::Create(const std::string& path, std::string* error, const std::string& adminPassword) {
    if (::access(path.c_str(), F_OK) == 0) {
        if (error) *error = "the database already exists: " + path;
        return false;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        SetError(error, db, "cannot create the database");
        CloseConnection(db);
        return false;
    }
    PrepareConnection(db);
    // Only the server's own account reads the file: it holds every user's data.
    ::chmod(path.c_str(), 0600);
    const std::string hash = HashPassword(adminPassword);
    bool ok = !hash.empty() && sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, kDeletedSchema, nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, kSecretsSchema, nullptr, nullptr, nullptr) == SQLITE_OK && EnsureIndexes(db);
    ok = ok && Transaction(db, [&] {
        Stmt group(db, "INSERT INTO instances(id, entity, data) VALUES(?, 'zor_workgroup', ?)");
        CzorDataBuf gb;
        CzorValue name;
        name.Set("Administrators");
        zorAppendBufValue(gb, name);
        group.Bind(1, kAdminGroupId);
        group.BindBlob(2, std::vector<unsigned char>(gb.GetBuffer(), gb.GetBuffer() + gb.GetSize()));
        if (group.Step() != SQLITE_DONE) return false;
        UserRecord admin;
        admin.id = kAdminUserId;
        admin.name = "Administrator";
        admin.group = kAdminGroupId;
        Stmt user(db, "INSERT INTO instances(id, entity, data) VALUES(?, 'zor_user', ?)");
        user.Bind(1, kAdminUserId);
        user.BindBlob(2, EncodeUser(admin));
        Stmt secret(db, "INSERT INTO user_secrets(user, hash) VALUES(?, ?)");
        secret.Bind(1, kAdminUserId);
        secret.Bind(2, hash);
        Stmt kept(db, "INSERT INTO meta(key, value) VALUES('passwords', 'hashed')");
        return user.Step() == SQLITE_DONE && secret.Step() == SQLITE_DONE && kept.Step() == SQLITE_DONE;
    });
    if (!ok) SetError(error, db, "cannot set the database up");
    CloseConnection(db);
    ::chmod(path.c_str(), 0600);
    if (!ok) ::unlink(path.c_str());
    return ok;
}

namespace {
// How long a session waits for a lock another holds before its request fails.
constexpr int kBusyTimeoutMs = 10000;
}  // namespace

bool ServerDatabase::SwitchToWal() {
    const auto modeIsWal = [this](const char* sql) {
        Stmt mode(m_db, sql);
        return mode && mode.Step() == SQLITE_ROW && mode.Text(0) == "wal";
    };
    if (modeIsWal("PRAGMA journal_mode")) return true;
    // Switching needs the file to itself and SQLite's busy wait does not cover it: sessions logging
    // in at once to a file not yet switched (a copy, a restored backup) would be refused the
    // database. They wait for the first one to switch it instead, as long as for any other lock.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    while (!modeIsWal("PRAGMA journal_mode=WAL")) {
        if (Clock::now() >= until) return false;
        SlotGivenUp waiting;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool ServerDatabase::Open(const std::string& path, std::string* error) {
    if (m_db) CloseConnection(m_db);
    m_db = nullptr;
    m_group.reset();
    m_saveSchema = false;
    if (::access(path.c_str(), F_OK) != 0) {
        if (error) *error = "no such database: " + path;
        return false;
    }
    // WAL needs to write its side files even for reading, so a read-only file is opened through
    // an immutable read-only connection instead.
    m_readOnly = ::access(path.c_str(), W_OK) != 0;
    const std::string uri = "file:" + path + (m_readOnly ? "?mode=ro&immutable=1" : "");
    const int flags = (m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_URI | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(uri.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        SetError(error, m_db, "cannot open the database");
        CloseConnection(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    PrepareConnection(m_db);
    // The journal mode is kept in the file (set when it was created); setting it again would take
    // a lock that every login of a busy server waits for. Commits are synced by the writers
    // together after each commit (write_turn.h), not by SQLite one by one.
    if (!m_readOnly && (!SwitchToWal() || !Exec("PRAGMA synchronous=NORMAL"))) {
        SetError(error, m_db, "cannot open the database");
        CloseConnection(m_db);
        m_db = nullptr;
        return false;
    }
    // The schema is checked by reading it: a file that is not one of ours fails here.
    Stmt check(m_db, "SELECT count(*) FROM instances WHERE id = 0");
    if (!check || check.Step() != SQLITE_ROW) {
        SetError(error, m_db, "not a database of ours");
        CloseConnection(m_db);
        m_db = nullptr;
        return false;
    }
    // Databases made before deletions were kept get their table now.
    if (!m_readOnly && !HasDeletedTable() && !Exec(kDeletedSchema)) {
        SetError(error, m_db, "cannot open the database");
        CloseConnection(m_db);
        m_db = nullptr;
        return false;
    }
    // Databases of older servers kept passwords in the user rows: they are converted before anyone
    // logs in (once: every login opens the database).
    // Before the indexes are first built, so that no index entry ever holds an old password.
    if (!m_readOnly && !PasswordsKept() && (!Exec(kSecretsSchema) || !ConvertPasswords())) {
        SetError(error, m_db, "cannot convert the passwords of the database");
        CloseConnection(m_db);
        m_db = nullptr;
        return false;
    }
    if (!m_readOnly && !EnsureIndexes(m_db)) {
        SetError(error, m_db, "cannot index the database");
        CloseConnection(m_db);
        m_db = nullptr;
        return false;
    }
    // An administrator may also mark a database read-only (the file's permissions do not bind root).
    Stmt flag(m_db, "SELECT value FROM meta WHERE key = 'read_only'");
    if (flag && flag.Step() == SQLITE_ROW && flag.Text(0) == "1") m_readOnly = true;
    if (!m_readOnly) m_group = WriteGroup::For(sqlite3_db_filename(m_db, "main"));
    return true;
}

std::string ServerDatabase::IntegrityCheck() {
    if (!m_db) return "not open";
    Stmt s(m_db, "PRAGMA integrity_check");
    std::string out;
    while (s && s.Step() == SQLITE_ROW) out += s.Text(0);
    return out;
}

std::optional<UserRecord> ServerDatabase::FindUser(const std::string& name) {
    if (!m_db) return std::nullopt;
    Stmt s(m_db, "SELECT id, data FROM instances WHERE entity = 'zor_user' ORDER BY id");
    while (s && s.Step() == SQLITE_ROW) {
        UserRecord u;
        if (DecodeUser(s.Blob(1), u) && u.name == name) {
            u.id = static_cast<int32_t>(sqlite3_column_int64(s.get(), 0));
            return u;
        }
    }
    return std::nullopt;
}

bool ServerDatabase::SetUser(const std::string& name, const std::string& password, std::optional<bool> readOnly,
                             std::optional<bool> admin) {
    if (!m_db || m_readOnly) return false;
    const std::string hash = HashPassword(password);
    if (hash.empty()) return false;
    return Transaction(m_db, [&] {
        auto found = FindUser(name);
        UserRecord u = found ? *found : UserRecord{};
        if (!found) {
            u.id = NextInstanceId();
            u.name = name;
        }
        if (readOnly) u.readOnly = *readOnly;
        if (admin) u.group = *admin ? kAdminGroupId : (u.group == kAdminGroupId ? 0 : u.group);
        Stmt s(m_db, "INSERT OR REPLACE INTO instances(id, entity, data) VALUES(?, 'zor_user', ?)");
        s.Bind(1, u.id);
        s.BindBlob(2, EncodeUser(u));
        Stmt secret(m_db, "INSERT OR REPLACE INTO user_secrets(user, hash) VALUES(?, ?)");
        secret.Bind(1, u.id);
        secret.Bind(2, hash);
        return s.Step() == SQLITE_DONE && secret.Step() == SQLITE_DONE;
    });
}

bool ServerDatabase::CheckLogin(const UserRecord& user, const std::string& password) {
    if (!m_db) return false;
    Stmt s(m_db, "SELECT hash FROM user_secrets WHERE user = ?");
    if (s) {
        s.Bind(1, user.id);
        if (s.Step() == SQLITE_ROW) return CheckPassword(s.Text(0), password);
    }
    // A read-only database of an older server cannot be converted: its rows are compared as they
    // are (they never leave the server either way).
    if (!m_readOnly) return false;
    std::string stored;
    Stmt row(m_db, "SELECT data FROM instances WHERE id = ?");
    if (!row) return false;
    row.Bind(1, user.id);
    if (row.Step() != SQLITE_ROW || !LegacyPassword(row.Blob(0), stored)) return false;
    return LoginPassword(stored) == CanonicalPassword(password);
}

bool ServerDatabase::PutPassword(int32_t userId, const std::string& password) {
    const std::string hash = HashPassword(password);
    if (hash.empty()) return false;
    Stmt s(m_db, "INSERT OR REPLACE INTO user_secrets(user, hash) VALUES(?, ?)");
    if (!s) return false;
    s.Bind(1, userId);
    s.Bind(2, hash);
    return s.Step() == SQLITE_DONE;
}

bool ServerDatabase::PasswordsKept() {
    Stmt s(m_db, "SELECT value FROM meta WHERE key = 'passwords'");
    return s && s.Step() == SQLITE_ROW && s.Text(0) == "hashed";
}

bool ServerDatabase::ConvertPasswords() {
    const auto mark = [&] {
        Stmt s(m_db, "INSERT OR REPLACE INTO meta(key, value) VALUES('passwords', 'hashed')");
        return s && s.Step() == SQLITE_DONE;
    };
    // Looked at first without a write lock: there is nearly always nothing to convert.
    const auto pending = [&](const char* table) {
        std::vector<std::pair<int32_t, std::vector<unsigned char>>> rows;
        const std::string sql = std::string("SELECT id, data FROM ") + table + " WHERE entity = 'zor_user' COLLATE NOCASE";
        Stmt s(m_db, sql.c_str());
        std::string password;
        while (s && s.Step() == SQLITE_ROW) {
            std::vector<unsigned char> data = s.Blob(1);
            if (LegacyPassword(data, password))
                rows.emplace_back(static_cast<int32_t>(sqlite3_column_int64(s.get(), 0)), std::move(data));
        }
        return rows;
    };
    if (pending("instances").empty() && (!HasDeletedTable() || pending("deleted").empty()))
        return PasswordsKept() || Transaction(m_db, mark);
    // The old forms are overwritten, not just unlinked from the tree: free pages and the journal
    // would otherwise keep them in the file.
    Exec("PRAGMA secure_delete=ON");
    const bool ok = Transaction(m_db, [&] {
        std::string password;
        for (const auto& [id, data] : pending("instances")) {
            LegacyPassword(data, password);
            // A user who already has a kept form (set since) keeps it.
            Stmt has(m_db, "SELECT 1 FROM user_secrets WHERE user = ?");
            has.Bind(1, id);
            if (has.Step() != SQLITE_ROW && !PutPassword(id, LoginPassword(password))) return false;
            Stmt put(m_db, "UPDATE instances SET data = ? WHERE id = ?");
            put.BindBlob(1, WithoutPassword(data));
            put.Bind(2, id);
            if (put.Step() != SQLITE_DONE) return false;
        }
        if (!HasDeletedTable()) return true;
        for (const auto& [id, data] : pending("deleted")) {
            Stmt put(m_db, "UPDATE deleted SET data = ? WHERE id = ?");
            put.BindBlob(1, WithoutPassword(data));
            put.Bind(2, id);
            if (put.Step() != SQLITE_DONE) return false;
        }
        return mark();
    });
    Exec("PRAGMA secure_delete=OFF");
    if (ok) Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    return ok;
}

bool ServerDatabase::SetReadOnlyFlag(bool on) {
    if (!m_db) return false;
    return Transaction(m_db, [&] {
        Stmt s(m_db, "INSERT OR REPLACE INTO meta(key, value) VALUES('read_only', ?)");
        s.Bind(1, std::string(on ? "1" : "0"));
        return s.Step() == SQLITE_DONE;
    });
}

bool ServerDatabase::WriteLog(int32_t userId, const std::string& first, const std::string& second, int32_t flag) {
    if (!m_db || m_readOnly) return false;
    return Transaction(m_db, [&] {
        Stmt s(m_db, "INSERT INTO log(time, user, first, second, flag) VALUES(?, ?, ?, ?, ?)");
        s.Bind(1, static_cast<int64_t>(std::time(nullptr)));
        s.Bind(2, userId);
        s.Bind(3, first);
        s.Bind(4, second);
        s.Bind(5, flag);
        return s.Step() == SQLITE_DONE;
    });
}

int64_t ServerDatabase::CountLog() {
    Stmt s(m_db, "SELECT count(*) FROM log");
    return s && s.Step() == SQLITE_ROW ? sqlite3_column_int64(s.get(), 0) : -1;
}

bool ServerDatabase::PutInstance(int32_t id, const std::string& entity, const std::vector<unsigned char>& data) {
    if (!m_db || m_readOnly || id < kFirstInstanceId) return false;
    return Transaction(m_db, [&] {
        Stmt s(m_db, "INSERT OR REPLACE INTO instances(id, entity, data) VALUES(?, ?, ?)");
        s.Bind(1, id);
        s.Bind(2, entity);
        s.BindBlob(3, data);
        // An instance put back under its id is no longer among the deleted ones.
        Stmt undelete(m_db, "DELETE FROM deleted WHERE id = ?");
        undelete.Bind(1, id);
        return s.Step() == SQLITE_DONE && undelete && undelete.Step() == SQLITE_DONE;
    });
}

std::optional<std::vector<unsigned char>> ServerDatabase::GetInstance(int32_t id, std::string* entity) {
    Stmt s(m_db, "SELECT entity, data FROM instances WHERE id = ?");
    if (!s) return std::nullopt;
    s.Bind(1, id);
    if (s.Step() != SQLITE_ROW) return std::nullopt;
    if (entity) *entity = s.Text(0);
    return s.Blob(1);
}

std::vector<int32_t> ServerDatabase::Extent(const std::string& entity) {
    std::vector<int32_t> ids;
    Stmt s(m_db, "SELECT id FROM instances WHERE entity = ? ORDER BY id");
    if (!s) return ids;
    s.Bind(1, entity);
    while (s.Step() == SQLITE_ROW) ids.push_back(static_cast<int32_t>(sqlite3_column_int64(s.get(), 0)));
    return ids;
}

bool ServerDatabase::PutInstances(const std::vector<InstanceRow>& rows) {
    if (!m_db || m_readOnly) return false;
    return Transaction(m_db, [&] {
        Stmt s(m_db, "INSERT INTO instances(id, entity, data) VALUES(?, ?, ?)");
        for (const auto& r : rows) {
            if (r.id < kFirstInstanceId) return false;
            sqlite3_reset(s.get());
            s.Bind(1, r.id);
            s.Bind(2, r.entity);
            s.BindBlob(3, r.data);
            if (s.Step() != SQLITE_DONE) return false;
        }
        return true;
    });
}

namespace {

// Rows of (id, entity, data) one by one; false when a step fails or visit says stop.
bool VisitRows(Stmt& s, const std::function<bool(const InstanceRow&)>& visit) {
    InstanceRow r;
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW) {
        r.id = static_cast<int32_t>(sqlite3_column_int64(s.get(), 0));
        r.entity = s.Text(1);
        r.data = s.Blob(2);
        if (!visit(r)) return false;
    }
    return rc == SQLITE_DONE;
}

}  // namespace

bool ServerDatabase::ForEachInstanceOf(const std::string& entity, const std::function<bool(const InstanceRow&)>& visit) {
    Stmt s(m_db, "SELECT id, entity, data FROM instances WHERE entity = ? ORDER BY id");
    if (!s) return false;
    s.Bind(1, entity);
    return VisitRows(s, visit);
}

bool ServerDatabase::ForEachInstance(const std::function<bool(const InstanceRow&)>& visit) {
    Stmt s(m_db, "SELECT id, entity, data FROM instances ORDER BY id");
    if (!s) return false;
    return VisitRows(s, visit);
}

bool ServerDatabase::HasDeletedTable() {
    Stmt s(m_db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'deleted'");
    return s && s.Step() == SQLITE_ROW;
}

// The applied save requests by their token, with the reply each got, and the counter of instance
// ids (kept apart from max(id), so that the id of a deleted instance is never given again).
bool ServerDatabase::EnsureSaveSchema() {
    if (!m_db || m_readOnly) return false;
    if (m_saveSchema) return true;
    // Tables are never dropped: once there, a save need not parse their schema again.
    m_saveSchema = EnsureAccessSchema(*this) &&
                   Exec("CREATE TABLE IF NOT EXISTS save_tokens(token INTEGER PRIMARY KEY, time INTEGER, reply BLOB NOT NULL);"
                        "CREATE INDEX IF NOT EXISTS save_tokens_time ON save_tokens(time);");
    return m_saveSchema;
}

bool ServerDatabase::InTransaction(const std::function<bool()>& work) {
    return m_db && Transaction(m_db, work);
}

ReadSnapshot::ReadSnapshot(ServerDatabase& db) {
    sqlite3* h = db.Handle();
    if (!h || !sqlite3_get_autocommit(h)) return;
    Stmt begin(h, "BEGIN");
    if (begin && begin.Step() == SQLITE_DONE) m_db = h;
}

ReadSnapshot::~ReadSnapshot() {
    if (!m_db || sqlite3_get_autocommit(m_db)) return;
    Stmt end(m_db, "COMMIT");
    if (!end || end.Step() != SQLITE_DONE) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool ServerDatabase::InSharedTransaction(const std::function<bool()>& work) {
    if (!m_db) return false;
    if (!m_group) return Transaction(m_db, work);
    sqlite3* own = m_db;
    // The group's transaction is applied by one session for all, outside the slots (work_slots.h);
    // the others only wait for it.
    SlotGivenUp waiting;
    return m_group->Run([&](sqlite3* shared) {
        // This session waits in Run meanwhile: nothing else uses the handle.
        struct Lend {
            sqlite3*& db;
            sqlite3* own;
            ~Lend() { db = own; }
        } lend{m_db, own};
        m_db = shared;
        return work();
    });
}

std::optional<std::vector<unsigned char>> ServerDatabase::FindSaveReply(uint64_t token) {
    Stmt s(m_db, "SELECT reply FROM save_tokens WHERE token = ?");
    if (!s) return std::nullopt;
    s.Bind(1, static_cast<int64_t>(token));
    if (s.Step() != SQLITE_ROW) return std::nullopt;
    return s.Blob(0);
}

bool ServerDatabase::RecordSaveReply(uint64_t token, const std::vector<unsigned char>& reply) {
    // A client resends a portion only while its outcome is unknown to it; a week later it never will.
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    Stmt old(m_db, "DELETE FROM save_tokens WHERE time < ?");
    old.Bind(1, now - 7 * 24 * 3600);
    if (!old || old.Step() != SQLITE_DONE) return false;
    Stmt s(m_db, "INSERT INTO save_tokens(token, time, reply) VALUES(?, ?, ?)");
    s.Bind(1, static_cast<int64_t>(token));
    s.Bind(2, now);
    s.BindBlob(3, reply);
    return s && s.Step() == SQLITE_DONE;
}

int32_t ServerDatabase::TakeInstanceIds(int32_t n) {
    int64_t next = NextInstanceId();
    {
        Stmt s(m_db, "SELECT value FROM meta WHERE key = 'next_instance_id'");
        if (s && s.Step() == SQLITE_ROW) next = std::max<int64_t>(next, std::atoll(s.Text(0).c_str()));
    }
    if (next + n > INT32_MAX) return 0;
    Stmt w(m_db, "INSERT OR REPLACE INTO meta(key, value) VALUES('next_instance_id', ?)");
    w.Bind(1, std::to_string(next + n));
    return w && w.Step() == SQLITE_DONE ? static_cast<int32_t>(next) : 0;
}

bool ServerDatabase::WriteInstanceRow(int32_t id, const std::string& entity, const std::vector<unsigned char>& data) {
    if (id < kFirstInstanceId) return false;
    Stmt s(m_db, "INSERT OR REPLACE INTO instances(id, entity, data) VALUES(?, ?, ?)");
    s.Bind(1, id);
    s.Bind(2, entity);
    s.BindBlob(3, data);
    return s && s.Step() == SQLITE_DONE;
}

bool ServerDatabase::DeleteInstanceRow(int32_t id, int32_t userId) {
    // Kept among the deleted instances, so that clients can still list what went and who removed it.
    Stmt keep(m_db,
              "INSERT OR REPLACE INTO deleted(id, entity, data, user, time, seq) SELECT id, entity, data, ?, ?,"
              " (SELECT coalesce(max(seq), 0) + 1 FROM deleted) FROM instances WHERE id = ?");
    if (!keep) return false;
    keep.Bind(1, userId);
    keep.Bind(2, static_cast<int64_t>(std::time(nullptr)));
    keep.Bind(3, id);
    if (keep.Step() != SQLITE_DONE) return false;
    Stmt s(m_db, "DELETE FROM instances WHERE id = ?");
    s.Bind(1, id);
    if (!s || s.Step() != SQLITE_DONE) return false;
    // A deleted user's password goes with him (databases without the table have none to drop).
    Stmt secret(m_db, "DELETE FROM user_secrets WHERE user = ?");
    if (secret) secret.Bind(1, id);
    return !secret || secret.Step() == SQLITE_DONE;
}

// A deleted instance's id stays taken: a client may still hold it, and the deleted list names it.
int32_t ServerDatabase::NextInstanceId() {
    Stmt s(m_db, HasDeletedTable() ? "SELECT max(m) FROM (SELECT max(id) AS m FROM instances UNION ALL SELECT max(id) FROM deleted)"
                                : "SELECT max(id) FROM instances");
    int64_t id = 0;
    if (s && s.Step() == SQLITE_ROW) id = sqlite3_column_int64(s.get(), 0);
    return static_cast<int32_t>(std::max<int64_t>(id + 1, kAdminUserId + 1));
}

bool ServerDatabase::DeleteInstances(const std::vector<int32_t>& ids, int32_t userId) {
    if (!m_db || m_readOnly) return false;
    return Transaction(m_db, [&] {
        for (int32_t id : ids)
            if (!DeleteInstanceRow(id, userId)) return false;
        return true;
    });
}

bool ServerDatabase::ForEachDeletedInstance(const std::function<bool(const InstanceRow&)>& visit) {
    // A read-only database made before deletions were kept has none.
    if (!HasDeletedTable()) return true;
    Stmt s(m_db, "SELECT id, entity, data FROM deleted ORDER BY seq, id");
    if (!s) return false;
    return VisitRows(s, visit);
}

}  // namespace zor::appserver
