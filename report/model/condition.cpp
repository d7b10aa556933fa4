// Conditions and condition lists.
#include "report/model/condition.h"

#include "platform/text/numbers.h"
#include "platform/zordata/zordata.h"
#include "report/model/cell_number.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/section_store.h"

namespace {

// The comparison's answer for the sign of value - constant; false for an unknown comparison.
bool Holds(int comparison, int sign) {
    switch (comparison) {
    case kCondEqual: return sign == 0;
    case kCondNotEqual: return sign != 0;
    case kCondGreater: return sign > 0;
    case kCondLess: return sign < 0;
    default: return false;
    }
}

template <class T>
int Sign(const T& a, const T& b) { return a < b ? -1 : (b < a ? 1 : 0); }

}  // namespace

void CCondition::Set(int comparison, int value) {
    m_nType = comparison;
    m_nValueType = zorINTEGER;
    m_nIntValue = value;
}

void CCondition::Set(int comparison, double value) {
    m_nType = comparison;
    m_nValueType = zorREAL;
    m_dRealValue = value;
}

void CCondition::Set(int comparison, const std::string& value) {
    m_nType = comparison;
    m_nValueType = zorSTRING;
    m_StrValue = value;
}

bool CCondition::Compare(int value) const {
    return m_nValueType == zorINTEGER && Holds(m_nType, Sign(value, m_nIntValue));
}

bool CCondition::Compare(double value) const {
    return m_nValueType == zorREAL && Holds(m_nType, Sign(value, m_dRealValue));
}

bool CCondition::Compare(const std::string& value) const {
    // std::string compares bytes as unsigned characters: byte order, case-sensitive, no locale.
    return m_nValueType == zorSTRING && Holds(m_nType, value.compare(m_StrValue));
}

bool CCondition::Compare(const CzorValue* value) const {
    if (!value) return false;
    const int type = value->GetType();
    if (type == zorSTRING && (m_nValueType == zorINTEGER || m_nValueType == zorREAL)) {
        // Data read from a file is text: a number text meets a numeric condition as its number.
        double number = 0.0;
        if (!TextNumber(value->GetString(), number)) return false;
        const double constant = m_nValueType == zorINTEGER ? static_cast<double>(m_nIntValue) : m_dRealValue;
        return Holds(m_nType, Sign(number, constant));
    }
    if (type != m_nValueType) return false;
    switch (type) {
    case zorSTRING: return Compare(std::string(value->GetString()));
    case zorINTEGER: return Compare(value->GetInt());
    case zorREAL: return Compare(value->GetReal());
    default: return false;
    }
}

std::string CCondition::GetText() const {
    switch (m_nValueType) {
    case zorSTRING: return m_StrValue;
    case zorINTEGER: return zor::IntToText(m_nIntValue);
    case zorREAL: return zor::RealToText(m_dRealValue);
    default: return {};
    }
}

bool CCondition::Update(CFolivox* manager, bool write) {
    if (!manager || !manager->GetStore()) return false;
    CzorStepDataWithFile* store = manager->GetStore();
    const CReportSchema& s = manager->Schema();
    if (write) {
        m_pInstance = LiveOrNewInstance(manager, m_pInstance, s.e_zor_condition);
        store->PutAttr(m_pInstance, s.zor_condition_type, m_nType | m_nLink);
        store->PutAttr(m_pInstance, s.zor_condition_value_type, m_nValueType);
        store->PutAttr(m_pInstance, s.zor_condition_value, GetText());
        // A column that was not found when the condition was read is written as no reference.
        store->PutAttr(m_pInstance, s.zor_condition_column, HeaderColumnInstance(manager, m_pColumn));
        return true;
    }
    if (!m_pInstance) return false;
    int type = 0;
    if (store->GetAttr(m_pInstance, s.zor_condition_type, type)) {
        if (type & kCondOr) {
            m_nLink = kCondOr;
            m_nType = type & ~kCondOr;
        } else {
            m_nLink = kCondAnd;
            m_nType = type & ~kCondAnd;
        }
    }
    store->GetAttr(m_pInstance, s.zor_condition_value_type, m_nValueType);
    std::string text;
    if (store->GetAttr(m_pInstance, s.zor_condition_value, text)) {
        switch (m_nValueType) {
        case zorINTEGER: m_nIntValue = zor::TextToInt(text); break;
        case zorREAL: m_dRealValue = zor::TextToReal(text); break;
        case zorSTRING: m_StrValue = text; break;
        default: break;
        }
    }
    CzorInstance* column = nullptr;
    store->GetAttr(m_pInstance, s.zor_condition_column, column);
    m_pColumn = manager->FindColumnByInst(column);
    return true;
}

void CCondition::Delete(CFolivox* manager) {
    DeleteStoreInstance(manager, m_pInstance);
    m_pInstance = nullptr;
}

// --- CConditionArray -----------------------------------------------------------------------------------------

CConditionArray& CConditionArray::operator=(const CConditionArray& other) {
    if (this == &other) return *this;
    RemoveAll();
    for (const CCondition* condition : other) m_Items.Add(new CCondition(*condition));
    return *this;
}

void CConditionArray::Update(CFolivox* manager, bool write) {
    for (CCondition* condition : m_Items) condition->Update(manager, write);
}

void CConditionArray::AddFromInstances(CFolivox* manager, const CzorTAggr<CzorInstance>& list) {
    for (CzorInstance* instance : list) {
        if (!instance) continue;
        auto* condition = new CCondition;
        condition->m_pInstance = instance;
        condition->Update(manager, false);
        Add(condition);
    }
}

bool CConditionArray::Compare(const CDataSource& source, int row) const {
    if (m_Items.IsEmpty()) return true;
    if (row < 0 || row >= source.GetRowCount()) return false;
    bool result = false;
    for (int i = 0; i < GetSize(); ++i) {
        const CCondition* condition = m_Items.GetAt(i);
        const bool isOr = i > 0 && (condition->m_nLink & kCondOr);
        // A comparison that cannot change the result is not made.
        if (i > 0 && (isOr ? result : !result)) continue;
        result = condition->Compare(source.GetAt(row, condition->m_pColumn));
    }
    return result;
}

bool CConditionArray::Compare(CFolivox* manager, int row) const {
    if (m_Items.IsEmpty()) return true;
    return manager && Compare(manager->GetDataSource(), row);
}

void CConditionArray::GetExtent(CzorTAggr<CzorInstance>& list) const {
    list.RemoveAll();
    for (const CCondition* condition : m_Items) AddUniqueInstance(list, condition->m_pInstance);
}

void CConditionArray::Delete(CFolivox* manager) {
    for (CCondition* condition : m_Items) condition->Delete(manager);
    RemoveAll();
}

void CConditionArray::ForgetInstances() {
    for (CCondition* condition : m_Items) condition->m_pInstance = nullptr;
}
