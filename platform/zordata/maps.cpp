#include "platform/zordata/maps.h"

#include <algorithm>

void CzorMap::Add(long in, long out) {
    if (!m_Items.empty() && m_Items.back().in > in) m_bSorted = false;
    m_Items.push_back({in, out});
}

int CzorMap::FindByIn(long in) const {
    for (size_t i = 0; i < m_Items.size(); ++i)
        if (m_Items[i].in == in) return static_cast<int>(i);
    return -1;
}

bool CzorMap::GetByIn(long in, long& out) const {
    const int i = FindByIn(in);
    if (i < 0) return false;
    out = m_Items[static_cast<size_t>(i)].out;
    return true;
}

void CzorMap::SortIn() {
    std::stable_sort(m_Items.begin(), m_Items.end(),
                     [](const zorMap_element& a, const zorMap_element& b) { return a.in < b.in; });
    m_bSorted = true;
}

int CzorMap::QFindByIn(long in) const {
    if (!m_bSorted) return FindByIn(in);  // never a wrong answer from an unsorted map
    auto it = std::lower_bound(m_Items.begin(), m_Items.end(), in,
                               [](const zorMap_element& e, long v) { return e.in < v; });
    if (it == m_Items.end() || it->in != in) return -1;
    return static_cast<int>(it - m_Items.begin());
}

bool CzorMap::QGetByIn(long in, long& out) const {
    const int i = QFindByIn(in);
    if (i < 0) return false;
    out = m_Items[static_cast<size_t>(i)].out;
    return true;
}

bool CzorStrMap::RemoveAt(int i) {
    if (i < 0 || i >= GetSize()) return false;
    m_Items.erase(m_Items.begin() + i);
    return true;
}

int CzorStrMap::Find(const std::string& text) const {
    for (size_t i = 0; i < m_Items.size(); ++i)
        if (m_Items[i] == text) return static_cast<int>(i);
    return -1;
}

void CzorAggrMap::Add(long in, long out) {
    const int i = Find(in);
    if (i >= 0) {
        m_Items[static_cast<size_t>(i)].out.push_back(out);
        return;
    }
    m_Items.push_back({in, {out}});
}

int CzorAggrMap::Find(long in) const {
    for (size_t i = 0; i < m_Items.size(); ++i)
        if (m_Items[i].in == in) return static_cast<int>(i);
    return -1;
}

bool CzorAggrMap::GetByIn(long in, std::vector<long>& out) const {
    out.clear();
    const int i = Find(in);
    if (i < 0) return false;
    out = m_Items[static_cast<size_t>(i)].out;
    return true;
}
