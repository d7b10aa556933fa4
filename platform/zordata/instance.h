#pragma once
// Instances of a store. An instance has an id (0 until a server gives it one), its
// entity (null once deleted), a state (the access mode a server reports, 0 by default),
// a local-only mark, and one value slot per attribute of its entity in the order of
// the entity's attribute list. Instances are made and freed by their store only; a
// deleted instance stays as a tombstone until the store's ClearData, so pointers that
// model objects still hold fail safely (every read and write on it returns false).
#include <cstdint>

#include "platform/zordata/aggr.h"
#include "platform/zordata/value.h"

class CzorEntity;
class CzorAttr;

class CzorInstance {
public:
    // The stored value of one attribute: the value, a changed mark and, for a list
    // value, a copy of the list as it was last loaded or saved (used by the networked
    // store). Copies are deep. The copy of a list is rare, so it is kept outside the slot
    // (found by the slot's address): a report holds millions of slots, 16 bytes each.
    class CzorValueDefinition {
    public:
        CzorValueDefinition() = default;
        CzorValueDefinition(const CzorValueDefinition& other);
        CzorValueDefinition& operator=(const CzorValueDefinition& other);
        ~CzorValueDefinition();

        CzorValue& GetValue() { return m_Value; }
        const CzorValue& GetValue() const { return m_Value; }
        bool IsChanged() const { return (m_Value.m_Flags & CzorValue::kChanged) != 0; }
        void SetChanged(bool changed) {
            if (changed) m_Value.m_Flags |= CzorValue::kChanged;
            else m_Value.m_Flags &= static_cast<uint8_t>(~CzorValue::kChanged);
        }
        // False while a networked store has not fetched the slot from its server (an unset value
        // that was fetched is loaded).
        bool IsLoaded() const { return (m_Value.m_Flags & CzorValue::kNotLoaded) == 0; }
        void SetLoaded(bool loaded) {
            if (loaded) m_Value.m_Flags &= static_cast<uint8_t>(~CzorValue::kNotLoaded);
            else m_Value.m_Flags |= CzorValue::kNotLoaded;
        }
        CzorAggr* GetList() const;
        // Takes the list over (deleting the one held before).
        void SetList(CzorAggr* list);

        CzorValue m_Value;
    };

    CzorInstance(const CzorInstance&) = delete;
    CzorInstance& operator=(const CzorInstance&) = delete;

    int GetId() const { return m_nId; }
    void SetId(int id) { m_nId = id; }
    // The entity, or null for a deleted instance.
    CzorEntity* GetEntity() const { return m_pEntity; }
    bool IsDeleted() const { return (m_Flags & kDeleted) != 0; }
    // Stands for a packed record (CzorStepData::PackSince): an instance without values that only the file
    // writer reads.
    bool IsPacked() const { return (m_Flags & kPacked) != 0; }
    int GetState() const { return m_State; }
    void SetState(int state) { m_State = static_cast<int8_t>(state); }
    bool IsLocalOnly() const { return (m_Flags & kLocalOnly) != 0; }
    void SetLocalOnly(bool local) { if (local) m_Flags |= kLocalOnly; else m_Flags &= static_cast<uint8_t>(~kLocalOnly); }
    // The value slots (none for a deleted instance).
    bool HasValues() const { return m_nSlots > 0; }
    int GetValueCount() const { return m_nSlots; }
    CzorValueDefinition* GetValueDefinition(int index) {
        return (index >= 0 && index < m_nSlots) ? Slots() + index : nullptr;
    }
    // Some slot carries the changed mark.
    bool IsChanged() const;
    // Clears every changed mark.
    void ClearChanged();
    // Position in the store's creation order (extents and files keep this order).
    uint32_t GetSequence() const { return m_nSeq; }

private:
    friend class CzorStepData;
    friend struct zorStoreAccess;
    enum : uint8_t { kDeleted = 1, kLocalOnly = 2, kPacked = 4 };
    CzorInstance() = default;
    ~CzorInstance() = default;
    CzorValueDefinition* Slots() { return reinterpret_cast<CzorValueDefinition*>(this + 1); }
    const CzorValueDefinition* Slots() const { return reinterpret_cast<const CzorValueDefinition*>(this + 1); }

    int32_t m_nId = 0;
    int8_t m_State = 0;
    uint8_t m_Flags = 0;
    uint16_t m_nSlots = 0;
    CzorEntity* m_pEntity = nullptr;
    uint32_t m_nSeq = 0;
    uint32_t m_nMark = 0;  // scratch number used while saving and copying
};

// An attribute with a value: the criteria of uniqueness tests and searches.
class CzorAttrValue {
public:
    CzorAttrValue() = default;
    explicit CzorAttrValue(CzorAttr* attr) : m_pAttr(attr) {}
    CzorAttrValue(const CzorAttrValue& other) : m_pAttr(other.m_pAttr), m_Value(other.m_Value) {}
    CzorAttrValue& operator=(const CzorAttrValue& other) {
        m_pAttr = other.m_pAttr;
        m_Value.Set(other.m_Value);
        return *this;
    }
    ~CzorAttrValue() = default;

    CzorAttr* m_pAttr = nullptr;
    CzorValue m_Value;
};
