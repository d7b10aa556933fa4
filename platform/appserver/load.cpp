#include "platform/appserver/load.h"

#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "platform/appserver/access.h"
#include "platform/appserver/database.h"
#include "platform/appserver/query_plan.h"
#include "platform/appserver/request_budget.h"
#include "platform/text/cp1251.h"
#include "platform/transport/net_errors.h"
#include "platform/transport/wire.h"
#include "platform/zordata/stepbuf.h"
#include "platform/zordata/stepdata.h"

namespace zor::appserver {
namespace {

constexpr char kSigV1[] = "Load query bufer v0.1";
constexpr char kSigV2[] = "Load query bufer v0.2";
static_assert(sizeof kSigV1 == 22 && sizeof kSigV2 == 22);

// The instances of one answer, made in the scratch store on first sight.
class Loader {
public:
    Loader(ServerDatabase& db, CzorStepData& store, AccessView* access = nullptr)
        : m_db(db), m_store(store), m_access(access) {}

    // The instance of that id (its values read when `values`); null when the database has none.
    CzorInstance* Get(int32_t id, bool values) {
        auto known = m_byId.find(id);
        if (known != m_byId.end() && (!values || !known->second || m_filled.count(known->second))) return known->second;
        std::string entity;
        const auto row = m_db.GetInstance(id, &entity);
        if (!row) return Named(id);
        return Take(id, entity, *row, values);
    }
    // The instance of a row read by the caller.
    CzorInstance* Take(int32_t id, const std::string& entity, const std::vector<unsigned char>& data, bool values) {
        CzorInstance* inst = nullptr;
        auto it = m_byId.find(id);
        if (it != m_byId.end()) {
            inst = it->second;
        } else if (Hidden(id)) {
            m_byId.emplace(id, nullptr);
        } else if (CzorEntity* e = m_store.GetEntityBN(entity)) {
            inst = m_store.CreateInstance(e);
            inst->SetId(id);
            m_byId.emplace(id, inst);
        } else {
            m_byId.emplace(id, nullptr);
        }
        if (!inst || !values || m_filled.count(inst)) return inst;
        m_filled.insert(inst);
        CzorDataBuf buf;
        buf.SetExternalData(data.data(), data.size());
        for (CzorAttr* attr : inst->GetEntity()->GetAllAttrs()) {
            CzorValue v;
            // What the user may not see is left out of the values that refer to it: the rest of
            // the instance is his to read.
            if (!zorReadBufValueLeavingOut(buf, v, [&](int32_t ref) { return Named(ref); },
                                           [&](int32_t ref) { return Hidden(ref); })) {
                m_bad = true;
                return inst;
            }
            if (CzorInstance::CzorValueDefinition* slot = m_store.GetAttrValue(inst, attr)) slot->GetValue() = std::move(v);
        }
        return inst;
    }
    bool Bad() const { return m_bad; }

private:
    // Known by id without its values.
    CzorInstance* Named(int32_t id) {
        auto it = m_byId.find(id);
        if (it != m_byId.end()) return it->second;
        std::string entity;
        CzorInstance* inst = nullptr;
        if (id > 0 && !Hidden(id) && m_db.GetInstance(id, &entity)) {
            if (CzorEntity* e = m_store.GetEntityBN(entity)) {
                inst = m_store.CreateInstance(e);
                inst->SetId(id);
            }
        }
        m_byId.emplace(id, inst);
        return inst;
    }

    bool Hidden(int32_t id) { return m_access && m_access->Mode(id) == kModeNoAccess; }

    ServerDatabase& m_db;
    CzorStepData& m_store;
    AccessView* m_access;
    std::unordered_map<int32_t, CzorInstance*> m_byId;
    std::unordered_set<const CzorInstance*> m_filled;
    bool m_bad = false;
};

bool RefersTo(const CzorValue& v, int32_t id) {
    if (const CzorInstance* i = v.GetInstance()) return i->GetId() == id;
    if (const CzorAggr* a = v.GetAggr())
        for (const CzorValue& item : *a)
            if (RefersTo(item, id)) return true;
    return false;
}

void ReferredBy(const CzorValue& v, std::vector<int32_t>& out) {
    if (const CzorInstance* i = v.GetInstance()) out.push_back(i->GetId());
    else if (const CzorAggr* a = v.GetAggr())
        for (const CzorValue& item : *a) ReferredBy(item, out);
}

}  // namespace

bool ParseLoadRequest(const unsigned char* data, size_t size, std::vector<LoadQuery>& out, std::string* source) {
    zor::net::WireReader r(data, size);
    const unsigned char* sig = nullptr;
    if (!r.Bytes(sizeof kSigV1, sig)) return false;
    if (std::memcmp(sig, kSigV2, sizeof kSigV2) == 0) {
        const unsigned char* text = nullptr;
        int32_t n = 0;
        if (!r.Field(text, n) || n < 1 || text[n - 1] != 0) return false;
        if (source) *source = zor::Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(n - 1)));
    } else if (std::memcmp(sig, kSigV1, sizeof kSigV1) != 0) {
        return false;
    }
    int32_t count = 0;
    if (!r.I32(count) || count < 0 || static_cast<size_t>(count) != r.Remaining() / kLoadQuerySize ||
        r.Remaining() % kLoadQuerySize != 0)
        return false;
    out.clear();
    out.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const unsigned char* p = nullptr;
        r.Bytes(kLoadQuerySize, p);
        LoadQuery q;
        q.pos = zor::net::LoadI32(p);
        q.type = static_cast<char>(p[4]);
        q.id = zor::net::LoadI32(p + 8);
        q.entity = zor::net::LoadI32(p + 12);
        q.attr = zor::net::LoadI32(p + 16);
        q.flagA = p[20] != 0;
        q.flagB = p[21] != 0;
        out.push_back(q);
    }
    return true;
}

int32_t AnswerLoad(ServerDatabase& db, CzorStepData& scratch, const std::vector<LoadQuery>& queries,
                   std::vector<unsigned char>& reply, AccessView& access) {
    scratch.ClearData();
    Loader loader(db, scratch, &access);
    std::vector<CzorInstance*> order;                           // instances with a block, in order
    std::unordered_map<const CzorInstance*, bool> whole;        // all values, or only `attrs`
    std::unordered_map<const CzorInstance*, std::unordered_set<const CzorAttr*>> attrs;
    std::vector<CzorInstance*> namedOnly;
    const auto bring = [&](CzorInstance* inst, const CzorAttr* attr) {
        if (!inst) return;
        auto [it, added] = whole.emplace(inst, attr == nullptr);
        if (added) order.push_back(inst);
        if (!attr) it->second = true;
        else attrs[inst].insert(attr);
    };
    for (const LoadQuery& q : queries) {
        if (RequestCut()) return RequestCutStatus();
        CzorEntity* entity = q.entity ? scratch.GetEntityById(q.entity) : nullptr;
        CzorAttr* attr = q.attr ? scratch.GetAttrById(q.attr) : nullptr;
        if ((q.entity && !entity) || (q.attr && !attr)) return ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID;
        std::vector<CzorInstance*> found;
        switch (q.type) {
        case 'a':
        case 'b':
            found.push_back(loader.Get(q.id, q.type == 'a' && q.flagA));
            if (q.type == 'b' || !q.flagA) {
                if (found[0]) namedOnly.push_back(found[0]);
                continue;
            }
            break;
        case 'e': {
            if (!entity) return ZOR_NET_SRV_ZORAPIERR_BADENT;
            std::vector<CzorEntity*> kinds;
            entity->GetAllSubtypes(kinds);
            kinds.insert(kinds.begin(), entity);
            for (CzorEntity* e : kinds)
                db.ForEachInstanceOf(e->GetName(), [&](const InstanceRow& row) {
                    found.push_back(loader.Take(row.id, row.entity, row.data, q.flagA));
                    return true;
                });
            break;
        }
        case 'i':
        case 'd': {
            if (!attr) return ZOR_NET_SRV_ZORAPIERR_BADATTR;
            CzorInstance* inst = loader.Get(q.id, true);
            if (inst && inst->GetEntity()->IsKindOf(attr->GetEntity())) bring(inst, attr);
            continue;
        }
        case 'r': {
            std::vector<int32_t> ids;
            if (!ReferrerCandidates(db, scratch, entity, q.id, ids))
            db.ForEachInstance([&](const InstanceRow& row) {
                CzorEntity* e = scratch.GetEntityBN(row.entity);
                if (e && (!entity || e->IsKindOf(entity))) ids.push_back(row.id);
                return true;
            });
            for (int32_t id : ids) {
                CzorInstance* inst = loader.Get(id, true);
                if (!inst) continue;
                bool match = false;
                for (CzorAttr* a : inst->GetEntity()->GetAllAttrs()) {
                    if (attr && a != attr) continue;
                    CzorInstance::CzorValueDefinition* slot = scratch.GetAttrValue(inst, a);
                    match = match || (slot && RefersTo(slot->GetValue(), q.id));
                }
                if (match) found.push_back(inst);
            }
            break;
        }
        default: return ZOR_NET_SRV_MISSED_DATA;
        }
        for (CzorInstance* inst : found) {
            if (!inst) continue;
            if (!q.flagA) {
                namedOnly.push_back(inst);
                continue;
            }
            bring(inst, nullptr);
            if (q.flagB) {
                std::vector<int32_t> refs;
                for (CzorAttr* a : inst->GetEntity()->GetAllAttrs())
                    if (auto* slot = scratch.GetAttrValue(inst, a)) ReferredBy(slot->GetValue(), refs);
                for (int32_t id : refs) bring(loader.Get(id, true), nullptr);
            }
        }
    }
    // A read the cut stopped may have left the last query short.
    if (RequestCut()) return RequestCutStatus();
    if (loader.Bad()) return ZOR_NET_SRV_ZORAPIERR_BADDATA;
    // Instances named only come after those with values, unless they have values too.
    std::vector<CzorInstance*> all = order;
    std::unordered_set<const CzorInstance*> listed(order.begin(), order.end());
    zorStepBufWriteOptions o;
    o.text = zorBufText::Cp1251;
    o.values = zorStepBufValues::All;
    o.wanted = [&](const CzorInstance* inst, const CzorAttr* attr) {
        auto it = whole.find(inst);
        if (it == whole.end()) return false;
        if (it->second) return true;
        auto a = attrs.find(inst);
        return a != attrs.end() && a->second.count(attr) > 0;
    };
    for (CzorInstance* inst : namedOnly)
        if (listed.insert(inst).second) all.push_back(inst);
    // A named-only instance gets an empty block (K = 0): nothing is claimed about its values.
    if (!access.WriteInstances(scratch, all, o, reply)) return ZOR_NET_SRV_STRING_TOO_MUCH_LONG;
    return 0;
}

int32_t AnswerDeleted(ServerDatabase& db, CzorStepData& scratch, AccessView& access, std::vector<unsigned char>& reply) {
    scratch.ClearData();
    std::vector<InstanceRow> rows;
    if (!db.ForEachDeletedInstance([&](const InstanceRow& row) {
            if (AccessView::AgentEntityName(row.entity)) access.NoteAgent(row.id);
            rows.push_back(row);
            return true;
        }))
        return ZOR_NET_SRV_ERROR_PROCESSED;
    // Deleted instances keep their rights: what the user could not see before, he does not see now,
    // neither listed nor as the target of a value.
    Loader loader(db, scratch, &access);
    // Every deleted instance is known before any value is read, so that references between
    // deleted instances find their targets instead of the live table.
    for (const InstanceRow& row : rows) loader.Take(row.id, row.entity, row.data, false);
    std::vector<CzorInstance*> order;
    for (const InstanceRow& row : rows)
        if (CzorInstance* inst = loader.Take(row.id, row.entity, row.data, true)) order.push_back(inst);
    if (loader.Bad()) return ZOR_NET_SRV_ZORAPIERR_BADDATA;
    zorStepBufWriteOptions o;
    o.text = zorBufText::Cp1251;
    o.values = zorStepBufValues::All;
    if (!access.WriteInstances(scratch, order, o, reply, false)) return ZOR_NET_SRV_STRING_TOO_MUCH_LONG;
    return 0;
}

}  // namespace zor::appserver
