#include "platform/zordata/query.h"

CzorQLQuery::CzorQLObject::CzorQLObject(CzorQLQuery* query, int kind) : m_nKind(kind), m_pQuery(query) {
    if (!query) return;
    m_nLine = query->m_nLine;
    m_nColumn = query->m_nColumn;
    m_nPos = query->m_nPos;
    m_nTokenLen = query->m_nTokenLen;
    if (kind == kExtent) query->m_Extents.Add(this);
    else query->m_Nodes.Add(this);
}

void CzorQLQuery::CzorQLObject::SetParentErrPosition() {
    if (!m_pQuery) return;
    m_pQuery->m_nErrLine = m_nLine;
    m_pQuery->m_nErrColumn = m_nColumn;
    m_pQuery->m_nErrPos = m_nPos;
    m_pQuery->m_nErrTokenLen = m_nTokenLen;
}

CzorQLQuery::CzorQLLogOp::CzorQLLogOp(const CzorQLLogOp& other)
    : CzorQLObject(other), m_nRelation(other.m_nRelation), m_nOperandKind(other.m_nOperandKind),
      m_pValue(other.m_pValue ? new CzorValue(*other.m_pValue) : nullptr), m_pExtent(other.m_pExtent) {}

CzorQLQuery::CzorQLLogOp& CzorQLQuery::CzorQLLogOp::operator=(const CzorQLLogOp& other) {
    if (this != &other) {
        CzorQLObject::operator=(other);
        m_nRelation = other.m_nRelation;
        m_nOperandKind = other.m_nOperandKind;
        CzorValue* v = other.m_pValue ? new CzorValue(*other.m_pValue) : nullptr;
        delete m_pValue;
        m_pValue = v;
        m_pExtent = other.m_pExtent;
    }
    return *this;
}

CzorQLQuery::CzorQLLogOp::~CzorQLLogOp() { delete m_pValue; }

CzorQLQuery::CzorQLQuery(CzorStepData* store) : m_pStore(store) {}

CzorQLQuery::~CzorQLQuery() { Clear(); }

void CzorQLQuery::Clear() {
    m_Nodes.DeleteItems();
    m_Extents.DeleteItems();
    m_pRoot = nullptr;
    m_bValid = false;
}

void CzorQLQuery::SetFromOlder(CzorQLQuery& older) {
    if (&older == this) return;
    Clear();
    m_Extents = std::move(older.m_Extents);
    m_Nodes = std::move(older.m_Nodes);
    older.m_Extents = CzorTAggr<CzorQLObject>(8, false, true);
    older.m_Nodes = CzorTAggr<CzorQLObject>(8, false, true);
    for (CzorQLObject* n : m_Extents) n->m_pQuery = this;
    for (CzorQLObject* n : m_Nodes) n->m_pQuery = this;
    m_pRoot = older.m_pRoot;
    m_nLine = older.m_nLine;
    m_nColumn = older.m_nColumn;
    m_nErrLine = older.m_nErrLine;
    m_nErrColumn = older.m_nErrColumn;
    m_nPos = older.m_nPos;
    m_nTokenLen = older.m_nTokenLen;
    m_nErrPos = older.m_nErrPos;
    m_nErrTokenLen = older.m_nErrTokenLen;
    m_bValid = older.m_bValid;
    older.m_pRoot = nullptr;
    older.m_bValid = false;
}
