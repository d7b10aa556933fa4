#pragma once
// CzorTAggr<T>: the store's typed list of T* (the instance list CzorTAggr<CzorInstance>
// is what the whole system passes around). Flags: unique (adding a pointer that is
// already present does nothing; membership is O(1) once the list is large), open (kept
// for callers, never read), owning (destroying the list deletes its items).
//
// Copies: a copy gets its own array holding the same item pointers, keeps the unique
// and open flags and never owns the items (so no item is deleted twice); moving hands
// the array and the ownership over.
//
// Instances, entities and attributes belong to their store: an owning list of them
// never deletes them (see CzorTAggrDeleter below).
#include <algorithm>
#include <cstdint>
#include <utility>

class CzorInstance;
class CzorEntity;
class CzorAttr;

namespace zor_detail {
// Open-addressing set of pointers that backs the O(1) membership of large unique lists.
class PtrSet {
public:
    explicit PtrSet(int expected);
    ~PtrSet();
    PtrSet(const PtrSet&) = delete;
    PtrSet& operator=(const PtrSet&) = delete;
    bool Contains(const void* p) const;
    bool Insert(const void* p);  // false when present
private:
    void Grow();
    const void** m_slots = nullptr;
    uint32_t m_mask = 0;
    uint32_t m_used = 0;
    bool m_hasNull = false;
};
}  // namespace zor_detail

template <class T>
struct CzorTAggrDeleter {
    static void Delete(T* p) { delete p; }
};
template <> struct CzorTAggrDeleter<CzorInstance> { static void Delete(CzorInstance*) {} };
template <> struct CzorTAggrDeleter<CzorEntity> { static void Delete(CzorEntity*) {} };
template <> struct CzorTAggrDeleter<CzorAttr> { static void Delete(CzorAttr*) {} };

template <class T>
class CzorTAggr {
public:
    // Capacity n, or 16 when n < 1; unique 1, open 1, owning 0.
    explicit CzorTAggr(int n = 8) : m_nCapacity(n < 1 ? 16 : n) { m_pItems = new T*[static_cast<size_t>(m_nCapacity)]; }
    CzorTAggr(int n, bool unique, bool owning) : CzorTAggr(n) { m_bUnique = unique; m_bOwning = owning; }
    CzorTAggr(const CzorTAggr& o) : CzorTAggr(o.m_nCount < 1 ? 8 : o.m_nCount) { CopyFrom(o); }
    CzorTAggr(CzorTAggr&& o) noexcept { Steal(o); }
    CzorTAggr& operator=(const CzorTAggr& o) {
        if (this != &o) {
            if (m_bOwning) DeleteItems();
            m_nCount = 0;
            DropIndex();
            if (m_nCapacity < o.m_nCount) SetSize(o.m_nCount);
            CopyFrom(o);
        }
        return *this;
    }
    CzorTAggr& operator=(CzorTAggr&& o) noexcept {
        if (this != &o) { Release(); Steal(o); }
        return *this;
    }
    ~CzorTAggr() { Release(); }

    // Appends the item; a unique list ignores an item that is already present (false).
    bool Add(T* item) {
        if (m_bUnique && Contains(item)) return false;
        Append(item);
        return true;
    }
    T* GetAt(int i) const { return (i >= 0 && i < m_nCount) ? m_pItems[i] : nullptr; }
    T* operator[](int i) const { return GetAt(i); }
    bool SetAt(int i, T* item) {
        if (i < 0 || i >= m_nCount) return false;
        m_pItems[i] = item;
        DropIndex();
        return true;
    }
    // Inserts before index i (i == count appends); a unique list refuses a present item.
    bool InsertAt(int i, T* item) {
        if (i < 0 || i > m_nCount) return false;
        if (m_bUnique && Contains(item)) return false;
        if (m_nCapacity < m_nCount + 1) SetSize(2 * m_nCount + 2);
        std::move_backward(m_pItems + i, m_pItems + m_nCount, m_pItems + m_nCount + 1);
        m_pItems[i] = item;
        ++m_nCount;
        if (m_pIndex) m_pIndex->Insert(item);
        return true;
    }
    // Takes the item out of the list (never deletes it).
    bool RemoveAt(int i) {
        if (i < 0 || i >= m_nCount) return false;
        std::move(m_pItems + i + 1, m_pItems + m_nCount, m_pItems + i);
        --m_nCount;
        DropIndex();
        return true;
    }
    bool Remove(const T* item) { return RemoveAt(Find(item)); }
    // Empties the list without deleting the items.
    void RemoveAll() { m_nCount = 0; DropIndex(); }
    // Deletes every non-null item and empties the list.
    void DeleteItems() {
        for (int i = 0; i < m_nCount; ++i)
            if (m_pItems[i]) CzorTAggrDeleter<T>::Delete(m_pItems[i]);
        RemoveAll();
    }
    // Index of the first occurrence, or -1.
    int Find(const T* item) const {
        if (m_pIndex && !m_pIndex->Contains(item)) return -1;
        for (int i = 0; i < m_nCount; ++i)
            if (m_pItems[i] == item) return i;
        return -1;
    }
    bool Contains(const T* item) const {
        if (m_pIndex) return m_pIndex->Contains(item);
        if (m_nCount > kIndexThreshold && m_bUnique) { BuildIndex(); return m_pIndex->Contains(item); }
        for (int i = 0; i < m_nCount; ++i)
            if (m_pItems[i] == item) return true;
        return false;
    }

    int GetSize() const { return m_nCount; }
    int GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }
    int GetCapacity() const { return m_nCapacity; }
    // False when n is below the count; true without change when n equals it; otherwise
    // the array is reallocated to exactly n entries.
    bool SetSize(int n) {
        if (n < m_nCount) return false;
        if (n == m_nCount) return true;
        T** items = new T*[static_cast<size_t>(n)];
        std::copy(m_pItems, m_pItems + m_nCount, items);
        delete[] m_pItems;
        m_pItems = items;
        m_nCapacity = n;
        return true;
    }

    bool IsUnique() const { return m_bUnique; }
    void SetUnique(bool unique) { m_bUnique = unique; if (!unique) DropIndex(); }
    bool IsOpen() const { return m_bOpen; }
    void SetOpen(bool open) { m_bOpen = open; }
    bool IsOwning() const { return m_bOwning; }
    void SetOwning(bool owning) { m_bOwning = owning; }

    T* const* begin() const { return m_pItems; }
    T* const* end() const { return m_pItems + m_nCount; }

    // Orders the items with a strict weak ordering on T*.
    template <class Less>
    void Sort(Less less) { std::stable_sort(m_pItems, m_pItems + m_nCount, less); }

private:
    friend class CzorStepData;
    static constexpr int kIndexThreshold = 16;

    // Appends without the uniqueness test (the store uses it where it knows the item is new).
    void Append(T* item) {
        if (m_nCapacity < m_nCount + 1) SetSize(2 * m_nCount + 2);
        m_pItems[m_nCount++] = item;
        if (m_pIndex) m_pIndex->Insert(item);
    }
    void BuildIndex() const {
        m_pIndex = new zor_detail::PtrSet(m_nCount);
        for (int i = 0; i < m_nCount; ++i) m_pIndex->Insert(m_pItems[i]);
    }
    void DropIndex() const { delete m_pIndex; m_pIndex = nullptr; }
    void CopyFrom(const CzorTAggr& o) {
        std::copy(o.m_pItems, o.m_pItems + o.m_nCount, m_pItems);
        m_nCount = o.m_nCount;
        m_bUnique = o.m_bUnique;
        m_bOpen = o.m_bOpen;
        m_bOwning = false;
    }
    void Release() {
        if (m_bOwning) DeleteItems();
        DropIndex();
        delete[] m_pItems;
        m_pItems = nullptr;
        m_nCount = m_nCapacity = 0;
    }
    void Steal(CzorTAggr& o) {
        m_pItems = o.m_pItems; m_nCount = o.m_nCount; m_nCapacity = o.m_nCapacity;
        m_bUnique = o.m_bUnique; m_bOpen = o.m_bOpen; m_bOwning = o.m_bOwning;
        m_pIndex = o.m_pIndex;
        o.m_pItems = nullptr; o.m_nCount = 0; o.m_nCapacity = 0; o.m_pIndex = nullptr; o.m_bOwning = false;
    }

    T** m_pItems = nullptr;
    int m_nCount = 0;
    bool m_bUnique = true;
    bool m_bOpen = true;
    bool m_bOwning = false;
    int m_nCapacity = 0;
    mutable zor_detail::PtrSet* m_pIndex = nullptr;
};
