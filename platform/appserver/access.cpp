#include "platform/appserver/access.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

#include "platform/appserver/database.h"
#include "platform/appserver/indexes.h"
#include "platform/appserver/statement_cache.h"
#include "platform/text/cp1251.h"
#include "platform/transport/net_errors.h"
#include "platform/transport/wire.h"
#include "platform/zordata/databuf.h"
#include "platform/zordata/stepbuf.h"
#include "platform/zordata/stepdata.h"
#include "platform/zordata/value.h"
#include "platform/zordata/store_internal.h"

namespace zor::appserver {
namespace {

constexpr char kSetSignature[] = "Access bufer set v0.3";
constexpr char kGetSignature[] = "Access bufer get v0.1";
constexpr char kHistoryQuery[] = "zor_LoadInstUserDataTimeInfoQuery V 0.100";
constexpr char kHistoryData[] = "zor_LoadInstUserDataTimeInfoData V 0.101";
constexpr char kUsersLogSignature[] = "zor_UserLogInfoData V 0.101";
static_assert(sizeof kSetSignature == 22 && sizeof kGetSignature == 22);
static_assert(sizeof kHistoryQuery == 42 && sizeof kHistoryData == 41 && sizeof kUsersLogSignature == 28);
// The service code of the client's trusted callers. Every client can compute it, so it counts
// only for administrators, who own everything anyway.
constexpr uint32_t kServiceCodeKey = 0x3B6E0A95u;

const char* kSchema =
    "CREATE TABLE IF NOT EXISTS access_inst(id INTEGER PRIMARY KEY, mode INTEGER NOT NULL, individual INTEGER NOT NULL,"
    " creator INTEGER NOT NULL DEFAULT 0, created REAL NOT NULL DEFAULT 0, updater INTEGER NOT NULL DEFAULT 0,"
    " updated REAL NOT NULL DEFAULT 0);"
    "CREATE TABLE IF NOT EXISTS access_agent(inst INTEGER NOT NULL, agent INTEGER NOT NULL, mode INTEGER NOT NULL,"
    " PRIMARY KEY(inst, agent));"
    "CREATE TABLE IF NOT EXISTS users_log(id INTEGER PRIMARY KEY, user INTEGER, name TEXT, event INTEGER,"
    " time REAL, since REAL);"
    "CREATE TABLE IF NOT EXISTS blob_owner(name TEXT PRIMARY KEY, user INTEGER NOT NULL);";

// Kept prepared for the next use on the connection (statement_cache.h): the gate asks for every
// instance a reply carries, and parsing cost more than the lookup.
class Stmt {
public:
    Stmt(sqlite3* db, const char* sql) : m_db(db), m_sql(sql) {
        if (db) m_s = TakeStatement(db, sql);
    }
    ~Stmt() { ReturnStatement(m_db, m_sql, m_s); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    explicit operator bool() const { return m_s != nullptr; }
    Stmt& Bind(int i, int64_t v) {
        if (m_s) sqlite3_bind_int64(m_s, i, v);
        return *this;
    }
    Stmt& BindReal(int i, double v) {
        if (m_s) sqlite3_bind_double(m_s, i, v);
        return *this;
    }
    Stmt& Bind(int i, const std::string& v) {
        if (m_s) sqlite3_bind_text(m_s, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Stmt& BindBlob(int i, const unsigned char* p, size_t n) {
        if (m_s) sqlite3_bind_blob(m_s, i, p, static_cast<int>(n), SQLITE_TRANSIENT);
        return *this;
    }
    bool Row() { return m_s && sqlite3_step(m_s) == SQLITE_ROW; }
    bool Done() { return m_s && sqlite3_step(m_s) == SQLITE_DONE; }
    void Reset() {
        if (!m_s) return;
        sqlite3_reset(m_s);
        sqlite3_clear_bindings(m_s);
    }
    int64_t Int(int c) { return sqlite3_column_int64(m_s, c); }
    double Real(int c) { return sqlite3_column_double(m_s, c); }
    std::string Text(int c) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_s, c));
        return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(m_s, c))) : std::string();
    }

private:
    sqlite3* m_db;
    const char* m_sql;
    sqlite3_stmt* m_s = nullptr;
};

// The instance's rights row, made with the defaults when it has none (inside a transaction).
bool EnsureRow(sqlite3* h, int32_t id) {
    return Stmt(h, "INSERT OR IGNORE INTO access_inst(id, mode, individual) VALUES(?, ?, 1)")
        .Bind(1, id)
        .Bind(2, kDefaultAccessMode)
        .Done();
}

bool IsAgent(ServerDatabase& db, int32_t id) {
    std::string entity;
    if (!db.GetInstance(id, &entity)) return false;
    entity = zor_detail::ToLower(entity);
    return entity == "zor_user" || entity == "zor_workgroup";
}

struct Entry {
    int32_t inst = 0;
    int32_t entity = 0;
    uint8_t mode = kModeUnset;
    int32_t flag = 0;
};
struct List {
    int32_t agent = 0;
    std::vector<Entry> entries;
};

// Reads the lists of a set (with flags only in the default lists) or a get body (flags everywhere).
bool ReadLists(zor::net::WireReader& r, int32_t count, bool flagsEverywhere, std::vector<List>& lists, int64_t& total) {
    if (count < 0 || static_cast<size_t>(count) > r.Remaining() / 8) return false;
    lists.resize(static_cast<size_t>(count));
    total = 0;
    for (List& l : lists) {
        int32_t n = 0;
        if (!r.I32(l.agent) || !r.I32(n) || n < 0 || static_cast<size_t>(n) > r.Remaining() / 9) return false;
        l.entries.resize(static_cast<size_t>(n));
        total += n;
        for (Entry& e : l.entries) {
            if (!r.I32(e.inst) || !r.I32(e.entity) || !r.U8(e.mode)) return false;
            if ((flagsEverywhere || l.agent == 0) && !r.I32(e.flag)) return false;
        }
    }
    return r.Remaining() == 0;
}

// The entry names an instance of the database of the entity it says.
int32_t CheckInstance(ServerDatabase& db, CzorStepData& scratch, const Entry& e) {
    std::string entity;
    if (e.inst <= 0 || !db.GetInstance(e.inst, &entity)) return ZOR_NET_SRV_ZORAPIERR_BADINSTANCE;
    CzorEntity* ent = scratch.GetEntityById(e.entity);
    if (!ent || zor_detail::ToLower(ent->GetName()) != zor_detail::ToLower(entity))
        return ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID;
    return 0;
}

}  // namespace

bool EnsureAccessSchema(ServerDatabase& db) {
    if (!db.Handle() || db.IsReadOnly()) return false;
    return sqlite3_exec(db.Handle(), kSchema, nullptr, nullptr, nullptr) == SQLITE_OK;
}

AccessView::AccessView(ServerDatabase& db, int32_t userId, int32_t groupId, bool readOnly)
    : m_db(db), m_user(userId), m_group(groupId), m_all(userId == kAdminUserId || groupId == kAdminGroupId),
      m_readOnly(readOnly) {}

bool AccessView::AgentEntityName(const std::string& name) {
    const std::string n = zor_detail::ToLower(name);
    return n == "zor_user" || n == "zor_workgroup" || n == "zor_access_agent";
}

bool AccessView::AgentEntity(const CzorEntity* entity) {
    if (!entity) return false;
    if (AgentEntityName(entity->GetName())) return true;
    const CzorTAggr<CzorEntity>& up = entity->GetSupertypes();
    for (int i = 0; i < up.GetSize(); ++i)
        if (AgentEntity(up.GetAt(i))) return true;
    return false;
}

void AccessView::LoadAgents() {
    if (m_agentsKnown) return;
    m_agentsKnown = true;
    Stmt s(m_db.Handle(),
           "SELECT id FROM instances WHERE entity IN ('zor_user', 'zor_workgroup', 'zor_access_agent', 'ZOR_USER',"
           " 'ZOR_WORKGROUP', 'ZOR_ACCESS_AGENT')");
    while (s.Row()) m_agents.insert(static_cast<int32_t>(s.Int(0)));
}

// Users and groups are the administrators' alone: whatever rights say, the others read them at
// most (the access dialogs list them by name).
int AccessView::Mode(int32_t id) {
    if (m_all) return kModeOwn;
    const int mode = StoredMode(id);
    LoadAgents();
    return m_agents.count(id) ? std::max(mode, static_cast<int>(kModeReadOnly)) : mode;
}

// The user's own individual mode, else his group's, when the instance lets individual modes
// count; otherwise (or when neither has one) the instance's default.
int AccessView::StoredMode(int32_t id) {
    auto it = m_cache.find(id);
    if (it != m_cache.end()) return it->second;
    if (m_complete) return kDefaultAccessMode;
    int mode = kDefaultAccessMode;
    Stmt row(m_db.Handle(), "SELECT mode, individual FROM access_inst WHERE id = ?");
    if (row && row.Bind(1, id).Row()) {
        mode = static_cast<int>(row.Int(0));
        if (row.Int(1)) {
            Stmt agents(m_db.Handle(), "SELECT agent, mode FROM access_agent WHERE inst = ? AND agent IN (?, ?)");
            agents.Bind(1, id).Bind(2, m_user).Bind(3, m_group ? m_group : m_user);
            int own = -1, group = -1;
            while (agents.Row()) (agents.Int(0) == m_user ? own : group) = static_cast<int>(agents.Int(1));
            if (own >= 0) mode = own;
            else if (group >= 0) mode = group;
        }
    }
    if (mode < kModeOwn || mode > kModeNoAccess) mode = kDefaultAccessMode;
    m_cache.emplace(id, mode);
    return mode;
}

void AccessView::ReadAll() {
    if (m_all || m_complete) return;
    std::unordered_map<int32_t, std::pair<int, int>> rows;  // default mode, individual flag
    Stmt inst(m_db.Handle(), "SELECT id, mode, individual FROM access_inst");
    if (!inst) return;
    while (inst.Row()) rows[static_cast<int32_t>(inst.Int(0))] = {static_cast<int>(inst.Int(1)), static_cast<int>(inst.Int(2))};
    std::unordered_map<int32_t, int> own, group;
    Stmt agents(m_db.Handle(), "SELECT inst, agent, mode FROM access_agent WHERE agent IN (?, ?)");
    agents.Bind(1, m_user).Bind(2, m_group ? m_group : m_user);
    while (agents.Row()) (agents.Int(1) == m_user ? own : group)[static_cast<int32_t>(agents.Int(0))] = static_cast<int>(agents.Int(2));
    m_cache.clear();
    for (const auto& [id, row] : rows) {
        int mode = row.first;
        if (row.second) {
            if (auto o = own.find(id); o != own.end()) mode = o->second;
            else if (auto g = group.find(id); g != group.end()) mode = g->second;
        }
        m_cache[id] = mode < kModeOwn || mode > kModeNoAccess ? kDefaultAccessMode : mode;
    }
    m_complete = true;
}

bool AccessView::WriteInstances(CzorStepData& store, const std::vector<CzorInstance*>& instances,
                                const zorStepBufWriteOptions& options, std::vector<unsigned char>& reply, bool states) {
    // Passwords never leave the server: a user's arrives unset in every reply, whoever asks.
    const CzorTAggr<CzorInstance>& all = store.GetInstances();
    for (int i = 0; i < all.GetSize(); ++i) {
        CzorInstance* inst = all.GetAt(i);
        if (!inst || !AgentEntity(inst->GetEntity())) continue;
        if (CzorAttr* attr = store.GetAttrDefinition(inst->GetEntity(), "password"))
            if (CzorInstance::CzorValueDefinition* slot = store.GetAttrValue(inst, attr)) slot->GetValue().Clear();
    }
    if (states) SetAccessStates(*this, store);
    CzorDataBuf buf;
    if (!zorWriteStepDataBuf(store, buf, instances, options)) return false;
    reply.assign(buf.GetBuffer(), buf.GetBuffer() + buf.GetSize());
    return true;
}

std::vector<int32_t> AccessView::BlobReferrers(const std::string& name) {
    // A blob attribute holds the name as a text value: its encoding is looked for in the rows.
    CzorDataBuf pattern;
    CzorValue v;
    v.Set(name);
    zorAppendBufValue(pattern, v);
    std::vector<int32_t> ids;
    const std::vector<unsigned char> encoded(pattern.GetBuffer(), pattern.GetBuffer() + pattern.GetSize());
    if (HasIndexes(m_db.Handle()) && BlobNamerIds(m_db.Handle(), name, encoded, ids)) return ids;
    ids.clear();
    Stmt s(m_db.Handle(), "SELECT id FROM instances WHERE instr(data, ?) > 0");
    s.BindBlob(1, pattern.GetBuffer(), pattern.GetSize());
    while (s.Row()) ids.push_back(static_cast<int32_t>(s.Int(0)));
    return ids;
}

int32_t AccessView::BlobOwner(const std::string& name) {
    Stmt s(m_db.Handle(), "SELECT user FROM blob_owner WHERE name = ?");
    return s && s.Bind(1, name).Row() ? static_cast<int32_t>(s.Int(0)) : 0;
}

int32_t AccessView::MayReadBlob(const std::string& name) {
    if (m_all) return 0;
    const std::vector<int32_t> refs = BlobReferrers(name);
    if (refs.empty()) return BlobOwner(name) == m_user ? 0 : ZOR_NET_SRV_ACCESS_DENY;
    for (int32_t id : refs)
        if (MayRead(id)) return 0;
    return ZOR_NET_SRV_ACCESS_DENY;
}

int32_t AccessView::MayChangeBlob(const std::string& name) {
    if (m_all) return 0;
    const std::vector<int32_t> refs = BlobReferrers(name);
    if (refs.empty()) return BlobOwner(name) == m_user ? 0 : ZOR_NET_SRV_ACCESS_DENY;
    for (int32_t id : refs)
        if (Mode(id) > kModeReadWrite) return ZOR_NET_SRV_ACCESS_DENY;
    return 0;
}

bool RecordBlobOwner(ServerDatabase& db, const std::string& name, int32_t userId) {
    return Stmt(db.Handle(), "INSERT OR REPLACE INTO blob_owner(name, user) VALUES(?, ?)").Bind(1, name).Bind(2, userId).Done();
}

void AccessView::NoteBlobWritten(const std::string& name) {
    if (!EnsureAccessSchema(m_db)) return;
    m_db.InTransaction([&] { return RecordBlobOwner(m_db, name, m_user); });
}

void AccessView::NoteBlobDeleted(const std::string& name) {
    if (m_db.IsReadOnly()) return;
    m_db.InTransaction([&] { return Stmt(m_db.Handle(), "DELETE FROM blob_owner WHERE name = ?").Bind(1, name).Done(); });
}

void SetAccessStates(AccessView& view, CzorStepData& store) {
    const CzorTAggr<CzorInstance>& all = store.GetInstances();
    for (int i = 0; i < all.GetSize(); ++i)
        if (CzorInstance* inst = all.GetAt(i); inst && inst->GetId() > 0) inst->SetState(view.Mode(inst->GetId()));
}

bool RecordCreated(ServerDatabase& db, int32_t id, int32_t userId, double when) {
    sqlite3* h = db.Handle();
    if (!Stmt(h, "INSERT OR REPLACE INTO access_inst(id, mode, individual, creator, created, updater, updated)"
                 " VALUES(?, ?, 1, ?, ?, ?, ?)")
             .Bind(1, id)
             .Bind(2, kDefaultAccessMode)
             .Bind(3, userId)
             .BindReal(4, when)
             .Bind(5, userId)
             .BindReal(6, when)
             .Done())
        return false;
    // The creator owns what he made, whatever his group may do with it.
    if (!Stmt(h, "DELETE FROM access_agent WHERE inst = ?").Bind(1, id).Done()) return false;
    return !userId || Stmt(h, "INSERT INTO access_agent(inst, agent, mode) VALUES(?, ?, 0)").Bind(1, id).Bind(2, userId).Done();
}

bool RecordUpdated(ServerDatabase& db, int32_t id, int32_t userId, double when) {
    sqlite3* h = db.Handle();
    return EnsureRow(h, id) &&
           Stmt(h, "UPDATE access_inst SET updater = ?, updated = ? WHERE id = ?").Bind(1, userId).BindReal(2, when).Bind(3, id).Done();
}

int32_t ApplySetAccess(ServerDatabase& db, CzorStepData& scratch, AccessView& view, const unsigned char* data,
                       size_t size) {
    zor::net::WireReader r(data, size);
    const unsigned char* sig = nullptr;
    int32_t code1 = 0, code2 = 0, total = 0, count = 0;
    std::vector<List> lists;
    int64_t counted = 0;
    if (!r.Bytes(sizeof kSetSignature, sig) || std::memcmp(sig, kSetSignature, sizeof kSetSignature) != 0 ||
        !r.I32(code1) || !r.I32(code2) || !r.I32(total) || !r.I32(count) || !ReadLists(r, count, false, lists, counted) ||
        counted != total)
        return ZOR_NET_SRV_MISSED_BUF_FORMAT;
    const bool trusted = view.Administrator() && code1 != 0 &&
                         static_cast<uint32_t>(code2) == (static_cast<uint32_t>(code1) ^ kServiceCodeKey);
    for (const List& l : lists) {
        if (l.agent != 0 && !IsAgent(db, l.agent)) return ZOR_NET_SRV_ZORAPIERR_BADINSTANCE;
        for (const Entry& e : l.entries) {
            if (e.mode > kModeUnset) return ZOR_NET_SRV_MISSED_DATA;
            if (const int32_t st = CheckInstance(db, scratch, e)) return st;
            if (!trusted && view.Mode(e.inst) != kModeOwn) return ZOR_NET_SRV_ACCESS_DENY;
        }
    }
    if (!EnsureAccessSchema(db)) return ZOR_NET_SRV_ERROR_PROCESSED;
    sqlite3* h = db.Handle();
    const bool ok = db.InTransaction([&] {
        Stmt put(h, "INSERT OR REPLACE INTO access_agent(inst, agent, mode) VALUES(?, ?, ?)");
        Stmt drop(h, "DELETE FROM access_agent WHERE inst = ? AND agent = ?");
        Stmt flag(h, "UPDATE access_inst SET individual = ? WHERE id = ?");
        Stmt mode(h, "UPDATE access_inst SET mode = ? WHERE id = ?");
        for (const List& l : lists)
            for (const Entry& e : l.entries) {
                bool done = false;
                if (l.agent != 0) {
                    // Mode 4 takes the agent's individual access away.
                    done = e.mode == kModeUnset ? drop.Bind(1, e.inst).Bind(2, l.agent).Done()
                                                : put.Bind(1, e.inst).Bind(2, l.agent).Bind(3, e.mode).Done();
                    (e.mode == kModeUnset ? drop : put).Reset();
                } else {
                    // In the default list mode 4 leaves the default as it is; the flag always counts.
                    done = EnsureRow(h, e.inst) && flag.Bind(1, e.flag ? 1 : 0).Bind(2, e.inst).Done();
                    flag.Reset();
                    if (done && e.mode != kModeUnset) {
                        done = mode.Bind(1, e.mode).Bind(2, e.inst).Done();
                        mode.Reset();
                    }
                }
                if (!done) return false;
            }
        return true;
    });
    view.Forget();
    return ok ? 0 : ZOR_NET_SRV_ERROR_PROCESSED;
}

int32_t AnswerGetAccess(ServerDatabase& db, CzorStepData& scratch, AccessView& view, const unsigned char* data,
                        size_t size, std::vector<unsigned char>& reply) {
    reply.clear();
    zor::net::WireReader r(data, size);
    const unsigned char* sig = nullptr;
    int32_t count = 0;
    std::vector<List> lists;
    int64_t counted = 0;
    if (!r.Bytes(sizeof kGetSignature, sig) || std::memcmp(sig, kGetSignature, sizeof kGetSignature) != 0 ||
        !r.I32(count) || !ReadLists(r, count, true, lists, counted))
        return ZOR_NET_SRV_MISSED_BUF_FORMAT;
    for (const List& l : lists)
        for (const Entry& e : l.entries) {
            if (const int32_t st = CheckInstance(db, scratch, e)) return st;
            // What the user may not see, he may not ask about.
            if (view.Mode(e.inst) == kModeNoAccess) return ZOR_NET_SRV_ACCESS_DENY;
        }
    sqlite3* h = db.Handle();
    Stmt inst(h, "SELECT mode, individual FROM access_inst WHERE id = ?");
    Stmt agent(h, "SELECT mode FROM access_agent WHERE inst = ? AND agent = ?");
    zor::net::WireWriter w;
    w.Bytes(kGetSignature, sizeof kGetSignature);
    w.I32(count);
    for (const List& l : lists) {
        w.I32(l.agent);
        w.I32(static_cast<int32_t>(l.entries.size()));
        for (const Entry& e : l.entries) {
            int mode = kDefaultAccessMode, individual = 1;
            if (inst && inst.Bind(1, e.inst).Row()) {
                mode = static_cast<int>(inst.Int(0));
                individual = static_cast<int>(inst.Int(1));
            }
            inst.Reset();
            if (l.agent != 0) {
                mode = kModeUnset;
                if (agent && agent.Bind(1, e.inst).Bind(2, l.agent).Row()) mode = static_cast<int>(agent.Int(0));
                agent.Reset();
            }
            w.I32(e.inst);
            w.I32(e.entity);
            w.U8(static_cast<uint8_t>(mode));
            w.I32(individual);
        }
    }
    reply = std::move(w.Out());
    return 0;
}

int32_t AnswerHistory(ServerDatabase& db, AccessView& view, const unsigned char* data, size_t size,
                      std::vector<unsigned char>& reply) {
    reply.clear();
    zor::net::WireReader r(data, size);
    const unsigned char* sig = nullptr;
    int32_t count = 0;
    if (!r.Bytes(sizeof kHistoryQuery, sig) || std::memcmp(sig, kHistoryQuery, sizeof kHistoryQuery) != 0 ||
        !r.I32(count) || count < 0 || r.Remaining() != static_cast<size_t>(count) * 7)
        return ZOR_NET_SRV_MISSED_BUF_FORMAT;
    Stmt row(db.Handle(), "SELECT creator, created, updater, updated FROM access_inst WHERE id = ?");
    zor::net::WireWriter w;
    w.Bytes(kHistoryData, sizeof kHistoryData);
    w.I32(count);
    for (int32_t i = 0; i < count; ++i) {
        const unsigned char* rec = nullptr;
        r.Bytes(7, rec);
        const int32_t id = zor::net::LoadI32(rec);
        const int16_t entity = static_cast<int16_t>(rec[4] | (rec[5] << 8));
        // The client passes over records without an entity when they are not answered.
        if (entity == 0) continue;
        int32_t creator = 0, updater = 0;
        double created = 0, updated = 0;
        if (view.Mode(id) != kModeNoAccess && row.Bind(1, id).Row()) {
            creator = static_cast<int32_t>(row.Int(0));
            created = row.Real(1);
            updater = static_cast<int32_t>(row.Int(2));
            updated = row.Real(3);
        }
        row.Reset();
        w.I32(id);
        w.I32(creator);
        w.Bytes(&created, sizeof created);
        w.I32(updater);
        w.Bytes(&updated, sizeof updated);
    }
    reply = std::move(w.Out());
    return 0;
}

const char* UserLogEventText(int32_t event) {
    switch (event) {
    case kLogLogin: return "Вход";
    case kLogLogout: return "Выход";
    default: return "Отказ во входе";
    }
}

bool WriteUserLog(ServerDatabase& db, int32_t userId, const std::string& name, int32_t event, double when,
                  double since) {
    if (!EnsureAccessSchema(db)) return false;
    return db.InTransaction([&] {
        return Stmt(db.Handle(), "INSERT INTO users_log(user, name, event, time, since) VALUES(?, ?, ?, ?, ?)")
            .Bind(1, userId)
            .Bind(2, name)
            .Bind(3, event)
            .BindReal(4, when)
            .BindReal(5, since)
            .Done();
    });
}

// A record: user id; the login name (second text); the event (first text); when; the login it
// ends (logouts) or 0; the event's kind.
int32_t AnswerUsersLog(ServerDatabase& db, std::vector<unsigned char>& reply) {
    reply.clear();
    zor::net::WireWriter body;
    int32_t n = 0;
    Stmt s(db.Handle(), "SELECT user, name, event, time, since FROM users_log ORDER BY id");
    if (s) {
        while (s.Row()) {
            std::string name, event;
            if (!zor::Utf8ToCp1251(s.Text(1), name)) name.assign(1, '?');  // not = "?": GCC 12 warns falsely of an overlap
            zor::Utf8ToCp1251(UserLogEventText(static_cast<int32_t>(s.Int(2))), event);
            const double when = s.Real(3), since = s.Real(4);
            body.I32(static_cast<int32_t>(s.Int(0)));
            body.Field(name.data(), name.size());
            body.Field(event.data(), event.size());
            body.Bytes(&when, sizeof when);
            body.Bytes(&since, sizeof since);
            body.I32(static_cast<int32_t>(s.Int(2)));
            ++n;
        }
    }
    zor::net::WireWriter w;
    w.Bytes(kUsersLogSignature, sizeof kUsersLogSignature);
    w.I32(n);
    w.Bytes(body.Out().data(), body.Out().size());
    reply = std::move(w.Out());
    return 0;
}

}  // namespace zor::appserver
