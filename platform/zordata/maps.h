#pragma once
// Small maps of the store: pairs of long integers (CzorMap), a long integer to a list of them
// (CzorAggrMap) and lists of owned texts (CzorStrMap). Copies are deep.
#include <string>
#include <vector>

struct zorMap_element {
    long in;
    long out;
};

class CzorMap {
public:
    CzorMap() = default;
    int GetSize() const { return static_cast<int>(m_Items.size()); }
    // A copy of pair i; outside the map the pair {0, 0}.
    zorMap_element operator[](int i) const {
        return (i >= 0 && i < GetSize()) ? m_Items[static_cast<size_t>(i)] : zorMap_element{0, 0};
    }
    void Add(long in, long out);
    void RemoveAll() { m_Items.clear(); m_bSorted = true; }
    void Reserve(int n) { if (n > 0) m_Items.reserve(static_cast<size_t>(n)); }
    // Linear search: index of the first pair with that in, or -1; its out.
    int FindByIn(long in) const;
    bool GetByIn(long in, long& out) const;
    // Sorts the pairs by in (stable); the Q forms below search by halving and need it.
    void SortIn();
    bool IsSortedIn() const { return m_bSorted; }
    int QFindByIn(long in) const;
    bool QGetByIn(long in, long& out) const;

private:
    std::vector<zorMap_element> m_Items;
    bool m_bSorted = true;
};

// One key and the list it maps to (for example an instance id and the ids of an aggregate).
struct CzorAggrMapItem {
    long in = 0;
    std::vector<long> out;
};

// Keys in the order they were first added, each with its list; a key appears once.
class CzorAggrMap {
public:
    CzorAggrMap() = default;
    int GetSize() const { return static_cast<int>(m_Items.size()); }
    // A copy of item i; outside the map an item with key 0 and an empty list.
    CzorAggrMapItem operator[](int i) const {
        return (i >= 0 && i < GetSize()) ? m_Items[static_cast<size_t>(i)] : CzorAggrMapItem{};
    }
    // Appends out to the list of in, making the item when in is new.
    void Add(long in, long out);
    // Index of the item with key in, or -1.
    int Find(long in) const;
    // The list of in; false (out emptied) when in is not a key.
    bool GetByIn(long in, std::vector<long>& out) const;
    void RemoveAll() { m_Items.clear(); }

private:
    std::vector<CzorAggrMapItem> m_Items;
};

class CzorStrMap {
public:
    CzorStrMap() = default;
    int GetSize() const { return static_cast<int>(m_Items.size()); }
    void Add(const std::string& text) { m_Items.push_back(text); }
    // The text at i, or null outside the list.
    const char* GetAt(int i) const {
        return (i >= 0 && i < GetSize()) ? m_Items[static_cast<size_t>(i)].c_str() : nullptr;
    }
    bool RemoveAt(int i);
    void RemoveAll() { m_Items.clear(); }
    int Find(const std::string& text) const;

private:
    std::vector<std::string> m_Items;
};
