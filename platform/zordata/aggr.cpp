#include "platform/zordata/aggr.h"

CzorValue* CzorAggr::Add(const CzorValue& v) {
    m_Items.emplace_back(v);
    return &m_Items.back();
}

CzorValue* CzorAggr::Add(CzorInstance* inst) {
    m_Items.emplace_back();
    m_Items.back().Set(inst);
    return &m_Items.back();
}

bool CzorAggr::InsertAt(int i, const CzorValue& v) {
    if (i < 0 || i > GetSize()) return false;
    m_Items.insert(m_Items.begin() + i, v);
    return true;
}

bool CzorAggr::RemoveAt(int i) {
    if (i < 0 || i >= GetSize()) return false;
    m_Items.erase(m_Items.begin() + i);
    return true;
}

int CzorAggr::Find(const CzorValue& v) const {
    for (size_t i = 0; i < m_Items.size(); ++i)
        if (m_Items[i].IsEqu(v)) return static_cast<int>(i);
    return -1;
}

bool CzorAggr::IsEqu(const CzorAggr& other) const {
    if (m_Type != other.m_Type || m_Items.size() != other.m_Items.size()) return false;
    for (size_t i = 0; i < m_Items.size(); ++i)
        if (!m_Items[i].IsEqu(other.m_Items[i])) return false;
    return true;
}
