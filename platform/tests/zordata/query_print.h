#pragma once
// A query tree as one readable line, for comparing trees in tests:
//   output set, then each extent as "name=body" ("e{cond}" by entity, "[#1,#2]" a list, "{set}" a set),
//   ".nav->entity" behind it; groups as and(l,r) / or(l,r); a condition element as
//   ".attr->entity rel value" with the relation's code, texts quoted, instances "#id", extents "@name".
#include <string>

#include "platform/text/numbers.h"
#include "platform/zordata/aggr.h"
#include "platform/zordata/dictionary.h"
#include "platform/zordata/instance.h"
#include "platform/zordata/query.h"

namespace zor::test {

inline std::string PrintQLValue(const CzorValue& v) {
    switch (v.GetType()) {
    case zorNOTYPE: return "-";
    case zorINTEGER: return zor::IntToText(v.GetInt());
    case zorREAL: return zor::RealToText(v.GetReal(), 3);
    case zorSTRING: return std::string("\"") + v.GetString() + "\"";
    case zorBOOLEAN: { bool b = false; v.Get(b); return b ? "true" : "false"; }
    case zorINSTANCE: return "#" + zor::IntToText(v.GetInstance()->GetId());
    case zorAGGREGATE: {
        std::string s = "[";
        for (const CzorValue& item : *v.GetAggr()) s += (s.size() > 1 ? "," : "") + PrintQLValue(item);
        return s + "]";
    }
    default: return "?";
    }
}

inline std::string PrintQLNode(const CzorQLQuery::CzorQLObject* n) {
    using Q = CzorQLQuery;
    if (!n) return "null";
    switch (n->GetKind()) {
    case Q::kGroupOp: {
        const auto* g = static_cast<const Q::CzorQLGroupOp*>(n);
        return std::string(g->m_nOperation == 1 ? "and(" : "or(") + PrintQLNode(g->m_pLeft) + "," +
               PrintQLNode(g->m_pRight) + ")";
    }
    case Q::kField: {
        const auto* f = static_cast<const Q::CzorQLField*>(n);
        std::string s = f->m_Name;
        for (const Q::CzorQLObject* p = f->m_pPath; p; p = static_cast<const Q::CzorQLPathElement*>(p)->m_pNext) {
            const auto* el = static_cast<const Q::CzorQLPathElement*>(p);
            s += "." + el->m_Name + (el->m_pEntity ? "->" + el->m_pEntity->GetName() : "");
        }
        return s;
    }
    case Q::kPathElement: {
        const auto* p = static_cast<const Q::CzorQLPathElement*>(n);
        std::string s = "." + p->m_Name;
        if (p->m_pEntity && p->m_Name != "#") s += "->" + p->m_pEntity->GetName();
        if (const Q::CzorQLLogOp* op = p->m_pRelation) {
            s += " " + zor::IntToText(op->m_nRelation) + " ";
            if (op->m_nOperandKind == 2) s += "@" + (op->m_pExtent ? op->m_pExtent->m_Name : std::string("?"));
            else s += (op->m_nOperandKind == 3 ? "blob:" : "") + (op->m_pValue ? PrintQLValue(*op->m_pValue) : "null");
        }
        // In a condition the next node is a condition on the "->" entity; in an output path, the next step.
        if (p->m_pNext) s += (p->m_pRelation || p->m_pEntity ? " " : "") + PrintQLNode(p->m_pNext);
        return s;
    }
    default: return "kind" + zor::IntToText(n->GetKind());
    }
}

inline std::string PrintQL(const CzorQLQuery& q) {
    using Q = CzorQLQuery;
    std::string s = PrintQLNode(q.m_pRoot);
    for (const Q::CzorQLObject* o : q.m_Extents) {
        const auto* e = static_cast<const Q::CzorQLExtent*>(o);
        s += " | " + e->m_Name + "=";
        if (e->m_pEntity) {
            s += e->m_pEntity->GetName() + "{" + (e->m_pCondition ? PrintQLNode(e->m_pCondition) : "") + "}";
        } else if (e->m_pSetExpr) {
            s += "{" + PrintQLNode(e->m_pSetExpr) + "}";
        } else {
            s += "[";
            for (int i = 0; i < e->m_Instances.GetSize(); ++i)
                s += (i ? ",#" : "#") + zor::IntToText(e->m_Instances.GetAt(i)->GetId());
            s += "]";
        }
        if (e->m_pNavAttr) s += "." + e->m_pNavAttr->GetName();
        if (e->m_pNavEntity) s += "->" + e->m_pNavEntity->GetName();
    }
    return s;
}

}  // namespace zor::test
