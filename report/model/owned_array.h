#pragma once
// An ordered array of pointers that owns what it holds: the lists of a table section (sections, levels,
// columns, conditions, grouping columns), the parameters and the frames of a selection. Null is never
// held; removing an item deletes it, Clear forgets the items without deleting them (they have been handed
// over elsewhere).
#include "platform/win/ptrarray.h"

template <class T>
class COwnedPtrArray {
public:
    COwnedPtrArray() = default;
    ~COwnedPtrArray() { RemoveAll(); }
    COwnedPtrArray(const COwnedPtrArray&) = delete;
    COwnedPtrArray& operator=(const COwnedPtrArray&) = delete;

    // Appends a non-null item (then owned); its index, or -1 for null.
    int Add(T* item) { return item ? m_Items.Add(item) : -1; }
    // Inserts a non-null item before index (0 .. count); its index, or -1 (not taken).
    int InsertAt(int index, T* item) {
        if (!item || index < 0 || index > GetSize()) return -1;
        m_Items.InsertAt(index, item);
        return index;
    }
    // Null outside 0 .. count - 1.
    T* GetAt(int index) const { return m_Items.GetAt(index); }
    int GetSize() const { return m_Items.GetSize(); }
    int Find(const T* item) const { return m_Items.Find(item); }
    // Deletes the item at a valid index and closes the gap; nothing outside.
    void RemoveAt(int index) {
        if (index < 0 || index >= GetSize()) return;
        delete m_Items.GetAt(index);
        m_Items.RemoveAt(index);
    }
    // Deletes every item.
    void RemoveAll() {
        for (T* item : m_Items) delete item;
        m_Items.RemoveAll();
    }
    // Forgets every item without deleting it.
    void Clear() { m_Items.RemoveAll(); }

    auto begin() const { return m_Items.begin(); }
    auto end() const { return m_Items.end(); }

protected:
    // Takes the item at from out and puts it back at to (both inside the array).
    void MoveItem(int from, int to) {
        T* item = m_Items.GetAt(from);
        m_Items.RemoveAt(from);
        m_Items.InsertAt(to, item);
    }
    // Exchanges the items at two places inside the array.
    void SwapItems(int first, int second) {
        T* item = m_Items.GetAt(first);
        m_Items.SetAt(first, m_Items.GetAt(second));
        m_Items.SetAt(second, item);
    }

    CTypedPtrArray<T> m_Items;
};
