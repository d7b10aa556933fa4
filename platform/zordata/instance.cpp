#include "platform/zordata/instance.h"

CzorInstance::CzorValueDefinition::CzorValueDefinition(const CzorValueDefinition& other)
    : m_Value(other.m_Value), m_pList(other.m_pList ? new CzorAggr(*other.m_pList) : nullptr) {
    SetChanged(other.IsChanged());
}

CzorInstance::CzorValueDefinition& CzorInstance::CzorValueDefinition::operator=(const CzorValueDefinition& other) {
    if (this != &other) {
        m_Value.Set(other.m_Value);
        SetChanged(other.IsChanged());
        SetList(other.m_pList ? new CzorAggr(*other.m_pList) : nullptr);
    }
    return *this;
}

CzorInstance::CzorValueDefinition::~CzorValueDefinition() {
    delete m_pList;
    m_pList = nullptr;
    m_Value.Clear();
}

void CzorInstance::CzorValueDefinition::SetList(CzorAggr* list) {
    if (list == m_pList) return;
    delete m_pList;
    m_pList = list;
}

bool CzorInstance::IsChanged() const {
    const CzorValueDefinition* s = Slots();
    for (int i = 0; i < m_nSlots; ++i)
        if (s[i].IsChanged()) return true;
    return false;
}

void CzorInstance::ClearChanged() {
    CzorValueDefinition* s = Slots();
    for (int i = 0; i < m_nSlots; ++i) s[i].SetChanged(false);
}
