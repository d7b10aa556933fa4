#pragma once
// CzorAggr: a list of values, the payload of a list-valued attribute (value type 2).
// Items are held in one array; GetByIndex hands out pointers into it that stay valid
// until the list changes. Copies are deep.
#include <vector>

#include "platform/zordata/value.h"

class CzorAggr {
public:
    explicit CzorAggr(int type = zorNOTYPE) : m_Type(type) {}
    CzorAggr(const CzorAggr&) = default;
    CzorAggr(CzorAggr&&) noexcept = default;
    CzorAggr& operator=(const CzorAggr&) = default;
    CzorAggr& operator=(CzorAggr&&) noexcept = default;
    ~CzorAggr() = default;

    // Value type of the items (zorINSTANCE for the lists of the report schema).
    int GetType() const { return m_Type; }
    void SetType(int type) { m_Type = type; }

    int GetSize() const { return static_cast<int>(m_Items.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_Items.empty(); }
    // The item for 0 <= i < count, else null.
    CzorValue* GetByIndex(int i) { return (i >= 0 && i < GetSize()) ? &m_Items[static_cast<size_t>(i)] : nullptr; }
    const CzorValue* GetByIndex(int i) const { return (i >= 0 && i < GetSize()) ? &m_Items[static_cast<size_t>(i)] : nullptr; }

    // Appends a copy; returns the stored item.
    CzorValue* Add(const CzorValue& v);
    CzorValue* Add(CzorInstance* inst);  // an instance value (an empty value for null)
    bool InsertAt(int i, const CzorValue& v);
    bool RemoveAt(int i);
    void RemoveAll() { m_Items.clear(); }
    void Reserve(int n) { if (n > 0) m_Items.reserve(static_cast<size_t>(n)); }
    // Index of the first item equal to v (CzorValue::IsEqu), or -1.
    int Find(const CzorValue& v) const;
    // Same item type, same items in the same order.
    bool IsEqu(const CzorAggr& other) const;

    const CzorValue* begin() const { return m_Items.data(); }
    const CzorValue* end() const { return m_Items.data() + m_Items.size(); }

private:
    friend class CzorStepData;
    friend struct zorStoreAccess;
    int m_Type;
    std::vector<CzorValue> m_Items;
};
