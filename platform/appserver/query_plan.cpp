#include "platform/appserver/query_plan.h"

#include <sqlite3.h>

#include <algorithm>
#include <iterator>

#include "platform/appserver/access.h"
#include "platform/appserver/database.h"
#include "platform/appserver/request_budget.h"
#include "platform/appserver/statement_cache.h"
#include "platform/zordata/attr_match.h"
#include "platform/zordata/databuf.h"
#include "platform/zordata/query_parser.h"
#include "platform/zordata/stepdata.h"

namespace zor::appserver {
namespace {

using Q = CzorQLQuery;
using Ids = std::vector<int32_t>;

// Nesting beyond this is not looked into for narrowing (the evaluator still runs it whole).
constexpr int kMaxNarrowDepth = 64;
constexpr const char* kEntityOf = "SELECT entity FROM instances WHERE id = ?";
// An extent with more members than this narrows nothing: looking up who refers to each would cost
// about what reading the candidates does.
constexpr size_t kMaxNarrowMembers = 20000;

std::vector<CzorEntity*> KindsOf(CzorEntity* entity) {
    std::vector<CzorEntity*> kinds;
    entity->GetAllSubtypes(kinds);
    kinds.insert(kinds.begin(), entity);
    return kinds;
}

int PositionOf(const CzorEntity& kind, const CzorAttr* attr) {
    const std::vector<CzorAttr*> attrs = kind.GetAllAttrs();
    const auto at = std::find(attrs.begin(), attrs.end(), attr);
    return at == attrs.end() ? -1 : static_cast<int>(at - attrs.begin());
}

// The key under which the indexes keep values equal to x; none for values they do not keep.
std::optional<ValueKey> EqualKey(const CzorValue& x) {
    ValueKey k;
    switch (x.GetType()) {
    case zorSTRING:
        k.kind = ValueKey::Kind::Folded;
        k.text = zorUpper1251(x.GetString());
        return k;
    case zorINTEGER: k.number = x.GetInt(); return k;
    case zorREAL: k.number = x.GetReal(); return k;
    case zorINSTANCE: k.number = x.GetInstance()->GetId(); return k;
    case zorBOOLEAN: {
        bool b = false;
        x.Get(b);
        k.number = b ? 1 : 0;
        return k;
    }
    default: return std::nullopt;
    }
}

// The query evaluator's comparisons (query_exec.cpp) as index keys: equality of any kept value,
// order of numbers (references by their ids), and the start of a text.
std::optional<ValueKey> RelationKey(int rel, const CzorValue& x, const CzorAttr& attr) {
    if (x.IsEmpty()) return std::nullopt;
    if (rel == zorQL_EQ) return EqualKey(x);
    if (rel == zorQL_LIKE_LEFT && x.GetType() == zorSTRING && attr.GetType() == zorSTRING) {
        ValueKey k;
        k.kind = ValueKey::Kind::FoldedPrefix;
        k.text = zorUpper1251(x.GetString());
        return k;
    }
    double n = 0;
    switch (x.GetType()) {
    case zorINTEGER: n = x.GetInt(); break;
    case zorREAL: n = x.GetReal(); break;
    case zorINSTANCE: n = x.GetInstance()->GetId(); break;
    default: return std::nullopt;
    }
    if (n != n) return std::nullopt;
    ValueKey k;
    k.kind = ValueKey::Kind::NumberRange;
    switch (rel) {
    case zorQL_LT: k.high = n, k.highOpen = true; break;
    case zorQL_LE: k.high = n; break;
    case zorQL_GT: k.low = n, k.lowOpen = true; break;
    case zorQL_GE: k.low = n; break;
    default: return std::nullopt;
    }
    return k;
}

Ids Intersect(const Ids& a, const Ids& b) {
    Ids out;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

Ids Unite(const Ids& a, const Ids& b) {
    Ids out;
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

bool Sorted(Ids& ids) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return true;
}

}  // namespace

QuerySource::QuerySource(ServerDatabase& db, CzorStepData& store, AccessView* access,
                         std::unordered_set<const CzorInstance*>& phantoms)
    : m_db(db), m_store(store), m_access(access), m_phantoms(phantoms) {
    m_entityOf = TakeStatement(m_db.Handle(), kEntityOf);
    m_indexed = HasIndexes(m_db.Handle());
}

QuerySource::~QuerySource() { ReturnStatement(m_db.Handle(), kEntityOf, m_entityOf); }

CzorInstance* QuerySource::Make(int32_t id, const std::string& entity) {
    CzorInstance* inst = nullptr;
    if (CzorEntity* e = m_store.GetEntityBN(entity)) {
        inst = m_store.CreateInstance(e);
        inst->SetId(id);
    }
    m_byId.emplace(id, inst);
    return inst;
}

CzorInstance* QuerySource::Known(int32_t id) {
    auto it = m_byId.find(id);
    if (it != m_byId.end()) return it->second;
    if (id <= 0 || !m_entityOf || (m_access && m_access->Mode(id) == kModeNoAccess)) {
        m_byId.emplace(id, nullptr);
        return nullptr;
    }
    sqlite3_reset(m_entityOf);
    sqlite3_bind_int64(m_entityOf, 1, id);
    if (sqlite3_step(m_entityOf) != SQLITE_ROW) {
        m_byId.emplace(id, nullptr);
        return nullptr;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_entityOf, 0));
    const std::string entity(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(m_entityOf, 0)));
    sqlite3_reset(m_entityOf);
    return Make(id, entity);
}

CzorInstance* QuerySource::ForTree(int32_t id) {
    if (CzorInstance* inst = Known(id)) return inst;
    CzorEntity* any = m_store.GetEntities().GetSize() ? m_store.GetEntities().GetAt(0) : nullptr;
    if (!any) return nullptr;
    CzorInstance* p = m_store.CreateInstance(any);
    p->SetId(id);
    m_phantoms.insert(p);
    m_byId[id] = p;
    return p;
}

void QuerySource::FillFrom(CzorInstance* inst, const std::vector<unsigned char>& data) {
    if (!m_filled.insert(inst).second) return;
    CzorDataBuf buf;
    buf.SetExternalData(data.data(), data.size());
    for (CzorAttr* attr : inst->GetEntity()->GetAllAttrs()) {
        CzorValue v;
        // A reference to what the user may not see is left out, as in a load; a phantom made for
        // the query tree must not stand in for it.
        const auto hidden = [&](int32_t id) { return m_access && m_access->Mode(id) == kModeNoAccess; };
        if (!zorReadBufValueLeavingOut(buf, v, [&](int32_t id) { return Known(id); }, hidden)) {
            m_bad = true;
            return;
        }
        if (CzorInstance::CzorValueDefinition* slot = m_store.GetAttrValue(inst, attr)) slot->GetValue() = std::move(v);
    }
}

void QuerySource::Fill(CzorInstance* inst) {
    if (!inst || m_filled.count(inst) || m_phantoms.count(inst)) return;
    const auto row = m_db.GetInstance(inst->GetId());
    if (!row) {
        m_filled.insert(inst);
        return;
    }
    FillFrom(inst, *row);
}

void QuerySource::Candidates(CzorEntity* entity, Q::CzorQLObject* cond, std::vector<CzorInstance*>& out,
                             const ExtentMembers& extentOf) {
    const std::vector<CzorEntity*> kinds = KindsOf(entity);
    const ExtentMembers* outer = m_extentOf;
    m_extentOf = extentOf ? &extentOf : nullptr;
    std::optional<Ids> narrowed;
    try {
        if (m_indexed && cond) narrowed = Narrow(kinds, cond, 0);
    } catch (...) {
        m_extentOf = outer;
        throw;
    }
    m_extentOf = outer;
    if (!narrowed) {
        for (CzorEntity* kind : kinds) {
            const bool whole = m_db.ForEachInstanceOf(kind->GetName(), [&](const InstanceRow& row) {
                if (RequestCut()) return false;
                auto it = m_byId.find(row.id);
                CzorInstance* inst = it != m_byId.end() ? it->second : nullptr;
                if (it == m_byId.end() && !(m_access && m_access->Mode(row.id) == kModeNoAccess)) inst = Make(row.id, row.entity);
                if (it == m_byId.end() && !inst) m_byId.emplace(row.id, nullptr);
                if (inst && !m_phantoms.count(inst)) {
                    FillFrom(inst, row.data);
                    out.push_back(inst);
                }
                return true;
            });
            if (!whole && RequestCut()) throw RequestCutOff{};
        }
        return;
    }
    for (int32_t id : *narrowed) {
        if (RequestCut()) throw RequestCutOff{};
        CzorInstance* inst = Known(id);
        if (!inst || m_phantoms.count(inst) || std::find(kinds.begin(), kinds.end(), inst->GetEntity()) == kinds.end()) continue;
        Fill(inst);
        out.push_back(inst);
    }
}

std::optional<Ids> QuerySource::Narrow(const std::vector<CzorEntity*>& kinds, Q::CzorQLObject* cond, int depth) {
    if (!cond || depth > kMaxNarrowDepth) return std::nullopt;
    if (cond->GetKind() == Q::kGroupOp) {
        auto* g = static_cast<Q::CzorQLGroupOp*>(cond);
        if (g->m_nOperation != 1 && g->m_nOperation != 2) return std::nullopt;
        std::optional<Ids> l = Narrow(kinds, g->m_pLeft, depth + 1);
        if (g->m_nOperation == 2 && !l) return std::nullopt;
        std::optional<Ids> r = Narrow(kinds, g->m_pRight, depth + 1);
        if (g->m_nOperation == 2) return r ? std::optional<Ids>(Unite(*l, *r)) : std::nullopt;
        if (l && r) return Intersect(*l, *r);
        return l ? l : r;
    }
    if (cond->GetKind() != Q::kPathElement) return std::nullopt;
    auto* el = static_cast<Q::CzorQLPathElement*>(cond);
    const Q::CzorQLLogOp* op = el->m_pRelation;
    if (op && op->m_nOperandKind == 2 && op->m_nRelation == zorQL_IN && op->m_pExtent && m_extentOf) {
        // In an extent: the extent's members themselves, or what refers to one of them.
        if (!el->m_pAttr && el->m_Name != "#") return std::nullopt;
        const std::vector<CzorInstance*>& members = (*m_extentOf)(op->m_pExtent);
        if (members.size() > kMaxNarrowMembers) return std::nullopt;
        Ids ids;
        for (const CzorInstance* m : members) {
            if (el->m_pAttr) {
                if (!ReferrerIds(m_db.Handle(), m->GetId(), ids)) return std::nullopt;
            } else {
                ids.push_back(m->GetId());
            }
        }
        Sorted(ids);
        return ids;
    }
    if (!op || op->m_nOperandKind != 1 || !op->m_pValue) return std::nullopt;
    const CzorValue& x = *op->m_pValue;
    if (!el->m_pAttr) {
        // The instance itself: equal to one instance is that instance.
        if (el->m_Name != "#" || op->m_nRelation != zorQL_EQ || x.GetType() != zorINSTANCE) return std::nullopt;
        return Ids{x.GetInstance()->GetId()};
    }
    const std::optional<ValueKey> key = RelationKey(op->m_nRelation, x, *el->m_pAttr);
    if (!key) return std::nullopt;
    Ids all;
    for (CzorEntity* kind : kinds) {
        // A kind without the attribute holds no value there, which meets none of these tests.
        const int pos = PositionOf(*kind, el->m_pAttr);
        if (pos < 0) continue;
        Ids ids;
        if (!IndexedIds(m_db.Handle(), kind->GetName(), pos, *key, ids)) return std::nullopt;
        all = all.empty() ? std::move(ids) : Unite(all, ids);
    }
    return all;
}

std::optional<IndexTest> SearchIndexTest(const CzorAttr* attr, const CzorValue& want, bool pattern, int mode) {
    if (!attr || want.IsEmpty()) return std::nullopt;
    IndexTest t;
    t.attr = attr;
    if (attr->GetType() == zorSTRING) {
        // Without the case, texts compare upper-cased; with it, exactly: the upper-cased key
        // holds both.
        if (want.GetType() != zorSTRING) return std::nullopt;
        t.key.text = zorUpper1251(want.GetString());
        if (!pattern) t.key.kind = ValueKey::Kind::Folded;
        else if (mode == zorBindBegin) t.key.kind = ValueKey::Kind::FoldedPrefix;
        else return std::nullopt;
        return t;
    }
    std::optional<ValueKey> key = EqualKey(want);
    if (!key) return std::nullopt;
    t.key = *key;
    return t;
}

// Visits the rows of `ids` in that order; an id whose row is gone is passed over. False when the
// visitor or a cut request stops it.
static bool VisitRows(ServerDatabase& db, const Ids& ids, const std::function<bool(const InstanceRow&)>& visit) {
    InstanceRow row;
    for (int32_t id : ids) {
        if (RequestCut()) return false;
        auto data = db.GetInstance(id, &row.entity);
        if (!data) continue;
        row.id = id;
        row.data = std::move(*data);
        if (!visit(row)) return false;
    }
    return true;
}

bool ForEachCandidateRow(ServerDatabase& db, const CzorEntity& kind, const std::optional<IndexTest>& test,
                         const std::function<bool(const InstanceRow&)>& visit) {
    if (!test || !HasIndexes(db.Handle()))
        return db.ForEachInstanceOf(kind.GetName(), [&](const InstanceRow& row) { return !RequestCut() && visit(row); });
    const int pos = PositionOf(kind, test->attr);
    if (pos < 0) return true;
    Ids ids;
    if (!IndexedIds(db.Handle(), kind.GetName(), pos, test->key, ids))
        return db.ForEachInstanceOf(kind.GetName(), [&](const InstanceRow& row) { return !RequestCut() && visit(row); });
    return VisitRows(db, ids, visit);
}

bool ReferrerCandidates(ServerDatabase& db, CzorStepData& store, const CzorEntity* entity, int32_t target,
                        std::vector<int32_t>& ids) {
    if (!HasIndexes(db.Handle())) return false;
    std::vector<std::pair<int32_t, std::string>> sources;
    if (!ReferrerEntities(db.Handle(), target, sources)) return false;
    for (const auto& [id, name] : sources) {
        CzorEntity* e = store.GetEntityBN(name);
        if (e && (!entity || e->IsKindOf(entity))) ids.push_back(id);
    }
    return true;
}

bool ForEachReferrerRow(ServerDatabase& db, const std::unordered_set<int32_t>& targets,
                        const std::function<bool(const InstanceRow&)>& visit) {
    if (!HasIndexes(db.Handle()))
        return db.ForEachInstance([&](const InstanceRow& row) { return !RequestCut() && visit(row); });
    Ids sources;
    for (int32_t target : targets)
        if (!ReferrerIds(db.Handle(), target, sources)) return false;
    Sorted(sources);
    return VisitRows(db, sources, visit);
}

}  // namespace zor::appserver
