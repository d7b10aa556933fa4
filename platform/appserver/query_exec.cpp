#include "platform/appserver/query_exec.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/appserver/access.h"
#include "platform/appserver/database.h"
#include "platform/appserver/query_plan.h"
#include "platform/appserver/request_budget.h"
#include "platform/text/numbers.h"
#include "platform/transport/net_errors.h"
#include "platform/zordata/query_parser.h"
#include "platform/zordata/query_wire.h"
#include "platform/zordata/stepbuf.h"
#include "platform/zordata/stepdata.h"

namespace zor::appserver {
namespace {

constexpr int kMaxDepth = 512;

struct Refused {
    int32_t status;
};

using Q = CzorQLQuery;
using Set = std::vector<CzorInstance*>;  // sorted by id, each once

bool ById(const CzorInstance* a, const CzorInstance* b) { return a->GetId() < b->GetId(); }

void Normalize(Set& s) {
    std::sort(s.begin(), s.end(), ById);
    s.erase(std::unique(s.begin(), s.end()), s.end());
}

std::string RealText(double d) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, r.ptr);
}

// The text a "like" or "in" compares: texts as they are, numbers as their decimal text.
bool TextOf(const CzorValue& v, std::string& out) {
    switch (v.GetType()) {
    case zorSTRING: out = v.GetString(); return true;
    case zorINTEGER: out = zor::IntToText(v.GetInt()); return true;
    case zorREAL: out = RealText(v.GetReal()); return true;
    case zorINSTANCE: out = zor::IntToText(v.GetInstance()->GetId()); return true;
    default: return false;
    }
}

bool NumberOf(const CzorValue& v, double& out) {
    switch (v.GetType()) {
    case zorINTEGER: out = v.GetInt(); return true;
    case zorREAL: out = v.GetReal(); return true;
    case zorINSTANCE: out = v.GetInstance()->GetId(); return true;
    default: return false;
    }
}

class Executor {
public:
    Executor(CzorStepData& store, const std::unordered_set<const CzorInstance*>& phantoms, QuerySource* source = nullptr)
        : m_store(store), m_phantoms(phantoms), m_source(source) {}

    Set Run(Q::CzorQLObject* root) { return SetOf(root); }

private:
    struct Depth {
        explicit Depth(int& d) : m_d(d) {
            if (++m_d > kMaxDepth) throw Refused{ZOR_NET_SRV_ZORAPIERR_QUERY_ERROR};
        }
        ~Depth() { --m_d; }
        int& m_d;
    };

    bool Real(const CzorInstance* inst) const { return inst && !inst->IsDeleted() && !m_phantoms.count(inst); }

    const Set& Extent(Q::CzorQLExtent* ext) {
        if (!ext) throw Refused{ZOR_NET_SRV_QUERY_PARSE_ERROR};
        auto known = m_memo.find(ext);
        if (known != m_memo.end()) return known->second;
        if (!m_running.insert(ext).second) throw Refused{ZOR_NET_SRV_QUERY_PARSE_ERROR};
        Depth d(m_depth);
        Set out;
        if (ext->m_pEntity) {
            CzorTAggr<CzorInstance> extent(64, false, false);
            std::vector<CzorInstance*> all;
            if (m_source) {
                m_source->Candidates(ext->m_pEntity, ext->m_pCondition, all, [this](Q::CzorQLExtent* e) -> const Set& { return Extent(e); });
            } else {
                m_store.GetEntityExtent(ext->m_pEntity, extent);
                all.assign(extent.begin(), extent.end());
            }
            for (CzorInstance* inst : all) {
                if (RequestCut()) throw RequestCutOff{};
                if (Real(inst) && (!ext->m_pCondition || Cond(ext->m_pCondition, inst))) out.push_back(inst);
            }
        } else if (ext->m_pSetExpr) {
            out = SetOf(ext->m_pSetExpr);
        } else {
            for (CzorInstance* inst : ext->m_Instances)
                if (Real(inst)) out.push_back(inst);
        }
        if (ext->m_pNavAttr) out = Follow(out, ext->m_pNavAttr, ext->m_pNavEntity, true);
        Normalize(out);
        m_running.erase(ext);
        return m_memo.emplace(ext, std::move(out)).first->second;
    }

    Set SetOf(Q::CzorQLObject* node) {
        if (!node) throw Refused{ZOR_NET_SRV_QUERY_PARSE_ERROR};
        Depth d(m_depth);
        if (node->GetKind() == Q::kGroupOp) {
            auto* g = static_cast<Q::CzorQLGroupOp*>(node);
            Set l = SetOf(g->m_pLeft), r = SetOf(g->m_pRight), out;
            if (g->m_nOperation == 1) std::set_intersection(l.begin(), l.end(), r.begin(), r.end(), std::back_inserter(out), ById);
            else std::set_union(l.begin(), l.end(), r.begin(), r.end(), std::back_inserter(out), ById);
            return out;
        }
        if (node->GetKind() != Q::kField) throw Refused{ZOR_NET_SRV_ZORAPIERR_QUERY_ERROR};
        auto* f = static_cast<Q::CzorQLField*>(node);
        Set out = Extent(f->m_pExtent);
        for (auto* el = f->m_pPath; el;) {
            Depth e(m_depth);
            if (!el->m_pAttr) throw Refused{ZOR_NET_SRV_QUERY_PARSE_ERROR};
            const int type = el->m_pAttr->GetType();
            const bool ref = type == zorINSTANCE || type == zorAGGREGATE;
            if (ref) {
                out = Follow(out, el->m_pAttr, el->m_pEntity, true);
            } else {
                // A last attribute that refers to nothing keeps the instances that hold a value in it.
                Set kept;
                for (CzorInstance* inst : out)
                    if (!Value(inst, el->m_pAttr).IsEmpty()) kept.push_back(inst);
                out = std::move(kept);
                if (el->m_pNext) out.clear();
            }
            if (el->m_pNext && el->m_pNext->GetKind() != Q::kPathElement) throw Refused{ZOR_NET_SRV_ZORAPIERR_QUERY_ERROR};
            el = static_cast<Q::CzorQLPathElement*>(el->m_pNext);
        }
        return out;
    }

    // The instances that `from` refers to through attr (a reference or the items of a list), of kind
    // entity when given.
    Set Follow(const Set& from, CzorAttr* attr, CzorEntity* entity, bool normalize) {
        Set out;
        for (CzorInstance* inst : from) Targets(Value(inst, attr), entity, out);
        if (normalize) Normalize(out);
        return out;
    }

    void Targets(const CzorValue& v, CzorEntity* entity, Set& out) {
        if (CzorInstance* t = v.GetInstance()) {
            if (Real(t) && (!entity || t->GetEntity()->IsKindOf(entity))) out.push_back(t);
        } else if (const CzorAggr* a = v.GetAggr()) {
            for (const CzorValue& item : *a) Targets(item, entity, out);
        }
    }

    const CzorValue& Value(CzorInstance* inst, CzorAttr* attr) {
        static const CzorValue kEmpty;
        if (m_source) m_source->Fill(inst);
        CzorInstance::CzorValueDefinition* slot = m_store.GetAttrValue(inst, attr);
        return slot ? slot->GetValue() : kEmpty;
    }

    bool Cond(Q::CzorQLObject* node, CzorInstance* inst) {
        if (!node) throw Refused{ZOR_NET_SRV_QUERY_PARSE_ERROR};
        Depth d(m_depth);
        if (node->GetKind() == Q::kGroupOp) {
            auto* g = static_cast<Q::CzorQLGroupOp*>(node);
            if (g->m_nOperation == 1) return Cond(g->m_pLeft, inst) && Cond(g->m_pRight, inst);
            return Cond(g->m_pLeft, inst) || Cond(g->m_pRight, inst);
        }
        if (node->GetKind() != Q::kPathElement) throw Refused{ZOR_NET_SRV_ZORAPIERR_QUERY_ERROR};
        auto* el = static_cast<Q::CzorQLPathElement*>(node);
        CzorValue self;
        const CzorValue* v = &self;
        if (el->m_pAttr) {
            v = &Value(inst, el->m_pAttr);
        } else if (el->m_Name == "#") {
            self.Set(inst);
        } else {
            throw Refused{ZOR_NET_SRV_QUERY_PARSE_ERROR};
        }
        if (el->m_pRelation) return Relation(*el->m_pRelation, *v);
        if (!el->m_pEntity) throw Refused{ZOR_NET_SRV_QUERY_PARSE_ERROR};
        Set targets;
        Targets(*v, el->m_pEntity, targets);
        for (CzorInstance* t : targets)
            if (!el->m_pNext || Cond(el->m_pNext, t)) return true;
        return false;
    }

    bool Relation(const Q::CzorQLLogOp& op, const CzorValue& v) {
        const int rel = op.m_nRelation;
        if (rel == zorQL_NOT_EXIST) return v.IsEmpty();
        switch (rel) {
        case zorQL_NOT_IN: return !Positive(zorQL_IN, op, v);
        case zorQL_NOT_LIKE: return !Positive(zorQL_LIKE, op, v);
        case zorQL_NOT_LIKE_LEFT: return !Positive(zorQL_LIKE_LEFT, op, v);
        case zorQL_NOT_LIKE_RIGHT: return !Positive(zorQL_LIKE_RIGHT, op, v);
        case zorQL_NE: return !Positive(zorQL_EQ, op, v);
        default: return Positive(rel, op, v);
        }
    }

    bool Positive(int rel, const Q::CzorQLLogOp& op, const CzorValue& v) {
        if (op.m_nOperandKind == 3) throw Refused{ZOR_NET_SRV_ZORAPIERR_QUERY_ERROR};  // no search in blobs here
        if (op.m_nOperandKind == 2) {
            if (rel != zorQL_IN) throw Refused{ZOR_NET_SRV_ZORAPIERR_QUERY_ERROR};
            const Set& members = Extent(op.m_pExtent);
            Set targets;
            Targets(v, nullptr, targets);
            for (CzorInstance* t : targets)
                if (std::binary_search(members.begin(), members.end(), t, ById)) return true;
            return false;
        }
        if (op.m_nOperandKind != 1 || !op.m_pValue) throw Refused{ZOR_NET_SRV_QUERY_PARSE_ERROR};
        const CzorValue& x = *op.m_pValue;
        if (const CzorAggr* items = v.GetAggr()) {
            // A list: "like" with a value that is no text asks for an equal item; otherwise one item
            // meeting the relation is enough.
            const int itemRel = rel == zorQL_LIKE && x.GetType() != zorSTRING ? zorQL_EQ : rel;
            for (const CzorValue& item : *items)
                if (Scalar(itemRel, item, x)) return true;
            return false;
        }
        return Scalar(rel, v, x);
    }

    static bool Scalar(int rel, const CzorValue& v, const CzorValue& x) {
        if (rel == zorQL_EQ) {
            double a = 0, b = 0;
            if (v.GetType() != x.GetType() && NumberOf(v, a) && NumberOf(x, b) && v.GetType() != zorINSTANCE &&
                x.GetType() != zorINSTANCE)
                return a == b;
            return v.IsEqu(x);
        }
        if (v.IsEmpty() || x.IsEmpty()) return false;
        switch (rel) {
        case zorQL_LT:
        case zorQL_GT:
        case zorQL_LE:
        case zorQL_GE: {
            int c = 0;
            double a = 0, b = 0;
            if (NumberOf(v, a) && NumberOf(x, b)) {
                c = a < b ? -1 : a > b ? 1 : 0;
            } else if (v.GetType() == zorSTRING && x.GetType() == zorSTRING) {
                c = std::strcmp(v.GetString(), x.GetString());
            } else {
                return false;
            }
            return rel == zorQL_LT ? c < 0 : rel == zorQL_GT ? c > 0 : rel == zorQL_LE ? c <= 0 : c >= 0;
        }
        case zorQL_LIKE:
        case zorQL_LIKE_LEFT:
        case zorQL_LIKE_RIGHT:
        case zorQL_IN: {
            std::string a, b;
            if (!TextOf(v, a) || !TextOf(x, b)) return false;
            if (rel == zorQL_IN) return b.find(a) != std::string::npos;
            if (rel == zorQL_LIKE) return a.find(b) != std::string::npos;
            if (rel == zorQL_LIKE_LEFT) return a.compare(0, b.size(), b) == 0 && a.size() >= b.size();
            return a.size() >= b.size() && a.compare(a.size() - b.size(), b.size(), b) == 0;
        }
        default: throw Refused{ZOR_NET_SRV_QUERY_PARSE_ERROR};
        }
    }

    CzorStepData& m_store;
    const std::unordered_set<const CzorInstance*>& m_phantoms;
    QuerySource* m_source;
    std::unordered_map<Q::CzorQLExtent*, Set> m_memo;
    std::unordered_set<Q::CzorQLExtent*> m_running;
    int m_depth = 0;
};

// Every instance of the database in the scratch store, with its values. False for rows whose values
// do not read.
bool LoadAll(ServerDatabase& db, CzorStepData& store, std::unordered_map<int32_t, CzorInstance*>& byId,
             AccessView& access) {
    std::vector<std::pair<CzorInstance*, std::vector<unsigned char>>> rows;
    access.ReadAll();
    db.ForEachInstance([&](const InstanceRow& row) {
        if (!access.MayRead(row.id)) return true;
        if (CzorEntity* e = store.GetEntityBN(row.entity)) {
            CzorInstance* inst = store.CreateInstance(e);
            inst->SetId(row.id);
            byId.emplace(row.id, inst);
            rows.emplace_back(inst, row.data);
        }
        return true;
    });
    for (auto& [inst, data] : rows) {
        CzorDataBuf buf;
        buf.SetExternalData(data.data(), data.size());
        for (CzorAttr* attr : inst->GetEntity()->GetAllAttrs()) {
            CzorValue v;
            const auto resolve = [&](int32_t id) -> CzorInstance* {
                auto it = byId.find(id);
                return it == byId.end() ? nullptr : it->second;
            };
            // Hidden instances are not in byId: references to them are left out, as in a load.
            if (!zorReadBufValueLeavingOut(buf, v, resolve, [&](int32_t id) { return !access.MayRead(id); })) return false;
            if (CzorInstance::CzorValueDefinition* slot = store.GetAttrValue(inst, attr)) slot->GetValue() = std::move(v);
        }
    }
    return true;
}

}  // namespace

namespace {

// With `readAll`, every instance is read before the query runs (the way the server answered before
// it kept indexes; tests compare the two).
int32_t Answer(ServerDatabase& db, CzorStepData& scratch, const unsigned char* body, size_t size,
               std::vector<unsigned char>& reply, AccessView& access, bool readAll) {
    scratch.ClearData();
    struct Cleanup {
        CzorStepData& s;
        ~Cleanup() { s.ClearData(); }
    } cleanup{scratch};
    std::unordered_map<int32_t, CzorInstance*> byId;
    if (readAll && !LoadAll(db, scratch, byId, access)) return ZOR_NET_SRV_ZORAPIERR_BADDATA;
    // An id that names no instance (any more) stands for one that nothing selects.
    std::unordered_set<const CzorInstance*> phantoms;
    std::optional<QuerySource> source;
    if (!readAll) source.emplace(db, scratch, &access, phantoms);
    CzorEntity* any = scratch.GetEntities().GetAt(0);
    const auto resolve = [&](int32_t id) -> CzorInstance* {
        if (source) return source->ForTree(id);
        auto it = byId.find(id);
        if (it != byId.end()) return it->second;
        if (!any) return nullptr;
        CzorInstance* p = scratch.CreateInstance(any);
        p->SetId(id);
        phantoms.insert(p);
        byId.emplace(id, p);
        return p;
    };
    CzorQLQuery query(&scratch);
    CzorDataBuf buf;
    buf.SetExternalData(body, size);
    if (!zorReadQueryTree(buf, query, resolve, nullptr, zorBufText::Cp1251)) return ZOR_NET_SRV_QUERY_PARSE_ERROR;
    Set result;
    try {
        Executor exec(scratch, phantoms, source ? &*source : nullptr);
        result = exec.Run(query.m_pRoot);
        // The answer carries the selected instances' values, which the query may not have read.
        if (source)
            for (CzorInstance* inst : result) source->Fill(inst);
    } catch (const Refused& r) {
        return r.status;
    } catch (const RequestCutOff&) {
        return RequestCutStatus();
    }
    // A read the cut stopped may have left the answer short.
    if (RequestCut()) return RequestCutStatus();
    if (source && source->Bad()) return ZOR_NET_SRV_ZORAPIERR_BADDATA;
    zorStepBufWriteOptions o;
    o.text = zorBufText::Cp1251;
    o.values = zorStepBufValues::All;
    if (!access.WriteInstances(scratch, result, o, reply)) return ZOR_NET_SRV_STRING_TOO_MUCH_LONG;
    return 0;
}

}  // namespace

int32_t AnswerQuery(ServerDatabase& db, CzorStepData& scratch, const unsigned char* body, size_t size,
                    std::vector<unsigned char>& reply, AccessView& access) {
    return Answer(db, scratch, body, size, reply, access, false);
}

int32_t AnswerQueryReadingAll(ServerDatabase& db, CzorStepData& scratch, const unsigned char* body, size_t size,
                              std::vector<unsigned char>& reply, AccessView& access) {
    return Answer(db, scratch, body, size, reply, access, true);
}

}  // namespace zor::appserver
