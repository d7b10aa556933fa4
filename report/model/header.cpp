// Header columns and the header: names, types and look-ups.
#include "report/model/data_source.h"

#include "platform/zordata/value.h"

// ---- CHeaderColumn

CHeaderColumn& CHeaderColumn::operator=(const CHeaderColumn& other) { return *this = &other; }

CHeaderColumn& CHeaderColumn::operator=(const CHeaderColumn* other) {
    if (other && other != this) {
        m_nColType = other->m_nColType;
        m_Name = other->m_Name;
        m_nType = other->m_nType;
    }
    m_pInstance = nullptr;
    return *this;
}

std::string CHeaderColumn::GetName() const {
    if (m_nColType == kFormulaColumn) {
        const size_t eq = m_Name.find('=');
        if (eq != std::string::npos) return m_Name.substr(0, eq);
    }
    return m_Name;
}

std::string CHeaderColumn::GetFunct() const {
    if (m_nColType == kFormulaColumn) {
        const size_t eq = m_Name.find('=');
        if (eq != std::string::npos) return m_Name.substr(eq + 1);
    }
    return {};
}

std::string CHeaderColumn::GetType() const {
    switch (m_nType) {
    case zorINSTANCE: return "zorINSTANCE";
    case zorINTEGER: return "zorINTEGER";
    case zorREAL: return "zorREAL";
    case zorSTRING: return "zorSTRING";
    case zorBINARY: return "zorBINARY";
    default: return "zorNOTYPE";
    }
}

// ---- CHeader

CHeader::~CHeader() { RemoveAll(); }

int CHeader::AddColumn(std::string_view name, int type) {
    return AddColumn(new CHeaderColumn(kPlainColumn, std::string(name), type));
}

int CHeader::AddColumn(CHeaderColumn* column) {
    if (!column) return -1;
    m_Columns.push_back(column);
    return GetSize() - 1;
}

int CHeader::InsertColumn(int index, CHeaderColumn* column) {
    if (!column || index < -1 || index > GetSize()) return -1;
    if (index == -1) return AddColumn(column);
    m_Columns.insert(m_Columns.begin() + index, column);
    return index;
}

CHeaderColumn* CHeader::GetColumn(int index) const {
    return (index >= 0 && index < GetSize()) ? m_Columns[static_cast<size_t>(index)] : nullptr;
}

int CHeader::GetColumnType(int index) const {
    const CHeaderColumn* column = GetColumn(index);
    return column ? column->m_nType : 0;
}

int CHeader::Find(std::string_view name) const {
    for (size_t i = 0; i < m_Columns.size(); ++i) {
        const CHeaderColumn* c = m_Columns[i];
        // GetName() without building a string: a formula column's name ends at its first '='.
        std::string_view own = c->m_Name;
        if (c->m_nColType == kFormulaColumn) own = own.substr(0, own.find('='));
        if (own == name) return static_cast<int>(i);
    }
    return -1;
}

int CHeader::Find(const CHeaderColumn* column) const {
    for (size_t i = 0; i < m_Columns.size(); ++i)
        if (m_Columns[i] == column) return static_cast<int>(i);
    return -1;
}

int CHeader::Find(const CzorInstance* instance) const {
    if (!instance) return -1;
    for (size_t i = 0; i < m_Columns.size(); ++i)
        if (m_Columns[i]->m_pInstance == instance) return static_cast<int>(i);
    return -1;
}

void CHeader::RemoveAt(int index) {
    if (index < 0 || index >= GetSize()) return;
    delete m_Columns[static_cast<size_t>(index)];
    m_Columns.erase(m_Columns.begin() + index);
}

void CHeader::RemoveAll() {
    for (CHeaderColumn* c : m_Columns) delete c;
    m_Columns.clear();
}

void CHeader::GetExtent(CzorTAggr<CzorInstance>& list) const {
    if (list.IsOwning()) list.DeleteItems();
    else list.RemoveAll();
    for (const CHeaderColumn* c : m_Columns) list.Add(c->m_pInstance);
}
