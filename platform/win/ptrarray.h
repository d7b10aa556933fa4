#pragma once
// Typed arrays of pointers that do not own their items: the containers of the model.
// Deleting items is the job of the owning class's Delete/DeleteAll.
#include <algorithm>
#include <cstdint>
#include <vector>

template <class T>
class CTypedPtrArray {
public:
    using value_type = T*;
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_items.empty(); }
    // Items outside the array read as null instead of faulting.
    T* GetAt(int i) const { return (i >= 0 && i < GetSize()) ? m_items[static_cast<size_t>(i)] : nullptr; }
    void SetAt(int i, T* p) { if (i >= 0 && i < GetSize()) m_items[static_cast<size_t>(i)] = p; }
    T*& ElementAt(int i) { return m_items.at(static_cast<size_t>(i)); }
    T* operator[](int i) const { return GetAt(i); }
    int Add(T* p) { m_items.push_back(p); return GetSize() - 1; }
    void Append(const CTypedPtrArray& other) { m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end()); }
    void Copy(const CTypedPtrArray& other) { m_items = other.m_items; }
    // Inserting at or past the end appends (growing with nulls when past it).
    void InsertAt(int i, T* p, int count = 1) {
        if (i < 0 || count <= 0) return;
        if (i > GetSize()) m_items.resize(static_cast<size_t>(i), nullptr);
        m_items.insert(m_items.begin() + i, static_cast<size_t>(count), p);
    }
    void RemoveAt(int i, int count = 1) {
        if (i < 0 || count <= 0 || i >= GetSize()) return;
        const int n = std::min(count, GetSize() - i);
        m_items.erase(m_items.begin() + i, m_items.begin() + i + n);
    }
    void RemoveAll() { m_items.clear(); }
    void SetSize(int n) { if (n >= 0) m_items.resize(static_cast<size_t>(n), nullptr); }
    // Index of the first occurrence, or -1.
    int Find(const T* p) const {
        auto it = std::find(m_items.begin(), m_items.end(), p);
        return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
    }
    bool Remove(const T* p) { int i = Find(p); if (i < 0) return false; RemoveAt(i); return true; }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }
    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }

protected:
    std::vector<T*> m_items;
};
