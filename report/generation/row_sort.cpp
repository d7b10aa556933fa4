// Row order: the comparison of cells and the stable multi-key sort.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/text/numbers.h"
#include "platform/zordata/value.h"
#include "report/model/data_source.h"

namespace {

using zor::IsDigit;

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// Byte order (unsigned), a prefix before the longer text.
int PlainCompare(const char* a, const char* b) { return Sign(std::strcmp(a, b)); }

// Two runs of decimal digits by their value, however long: leading zeros aside, the longer run
// is the greater number, and runs of one length compare digit by digit.
int CompareDigitRuns(const char* a, size_t na, const char* b, size_t nb) {
    while (na > 0 && *a == '0') ++a, --na;
    while (nb > 0 && *b == '0') ++b, --nb;
    if (na != nb) return na < nb ? -1 : 1;
    for (size_t i = 0; i < na; ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

// Natural order: where both texts have a run of digits at the same place after the same bytes,
// the runs compare as numbers (Лист2 before Лист10); when that decides nothing, the plain order of
// the whole texts does (A01 before A1).
int NaturalCompare(const char* A, const char* B) {
    if (*A == '\0') return PlainCompare(A, B);
    const char* a = A;
    const char* b = B;
    while (*a) {
        // Up to a's first digit both texts must hold the same bytes, and b a digit there too.
        size_t i = 0;
        while (a[i] && !IsDigit(a[i])) {
            if (a[i] != b[i]) return PlainCompare(A, B);
            ++i;
        }
        if (!a[i] || !IsDigit(b[i])) break;
        a += i;
        b += i;
        size_t na = 0, nb = 0;
        while (IsDigit(a[na])) ++na;
        while (IsDigit(b[nb])) ++nb;
        if (const int c = CompareDigitRuns(a, na, b, nb)) return c;
        a += na;
        b += nb;
    }
    return PlainCompare(A, B);
}

inline int CompareValues(const CzorValue* a, const CzorValue* b) {
    if (!a || !b || a->GetType() != b->GetType()) return 0;
    switch (a->GetType()) {
    case zorINTEGER: return a->GetInt() > b->GetInt() ? 1 : (a->GetInt() < b->GetInt() ? -1 : 0);
    case zorREAL: return a->GetReal() > b->GetReal() ? 1 : (a->GetReal() < b->GetReal() ? -1 : 0);
    case zorSTRING: return NaturalCompare(a->GetString(), b->GetString());
    default: return 0;
    }
}

struct Item {
    const CzorValue* key;
    CTableRow* row;
};

// Stable merge sort that asks nothing of the comparison but an answer: values of different types
// compare equal, which is no strict weak ordering, so the standard sorts may not be used.
void InsertionSort(Item* items, size_t n) {
    for (size_t i = 1; i < n; ++i) {
        const Item x = items[i];
        size_t j = i;
        while (j > 0 && CompareValues(items[j - 1].key, x.key) > 0) {
            items[j] = items[j - 1];
            --j;
        }
        items[j] = x;
    }
}

void MergeSort(std::vector<Item>& items, std::vector<Item>& scratch) {
    const size_t n = items.size();
    constexpr size_t kRun = 24;
    for (size_t b = 0; b < n; b += kRun) InsertionSort(items.data() + b, std::min(kRun, n - b));
    if (n <= kRun) return;
    scratch.resize(n);
    Item* from = items.data();
    Item* to = scratch.data();
    for (size_t width = kRun; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            if (mid < hi && CompareValues(from[mid - 1].key, from[mid].key) <= 0) {
                // Already in order: copy the pair of runs as it is.
                std::memcpy(static_cast<void*>(to + lo), from + lo, (hi - lo) * sizeof(Item));
                continue;
            }
            while (i < mid && j < hi) to[k++] = CompareValues(from[j].key, from[i].key) < 0 ? from[j++] : from[i++];
            while (i < mid) to[k++] = from[i++];
            while (j < hi) to[k++] = from[j++];
        }
        std::swap(from, to);
    }
    if (from != items.data()) std::memcpy(static_cast<void*>(items.data()), from, n * sizeof(Item));
}

void SortItems(std::vector<Item>& items, int column, std::vector<Item>& scratch) {
    for (Item& it : items) it.key = it.row->GetColumn(column);
    MergeSort(items, scratch);
}

// Sorts rows[first, last) by columns[level], then each run of rows equal there by the next
// columns.
void SortLevel(CTableRow** rows, size_t count, const CColumnIndexArray& columns, size_t level) {
    if (level >= columns.size() || count < 2) return;
    const int column = columns[level];
    if (column >= 0) {
        std::vector<Item> items(count), scratch;
        for (size_t i = 0; i < count; ++i) items[i].row = rows[i];
        SortItems(items, column, scratch);
        for (size_t i = 0; i < count; ++i) rows[i] = items[i].row;
    }
    if (level + 1 >= columns.size()) return;
    for (size_t begin = 0; begin < count;) {
        const CzorValue* first = rows[begin]->GetColumn(column);
        size_t end = begin + 1;
        while (end < count && CompareValues(rows[end]->GetColumn(column), first) == 0) ++end;
        SortLevel(rows + begin, end - begin, columns, level + 1);
        begin = end;
    }
}

}  // namespace

int CDataSource::Compare(const CzorValue* a, const CzorValue* b) { return CompareValues(a, b); }

void CDataSource::Sort(int column, CTableRowArray* rows) {
    if (!rows || column < 0 || rows->size() < 2) return;
    const CColumnIndexArray columns{column};
    SortLevel(rows->data(), rows->size(), columns, 0);
}

void CDataSource::Sort(const CColumnIndexArray* columns, CTableRowArray* rows) {
    if (!columns || columns->empty()) return;
    if (!rows) rows = &m_Rows;
    if (rows->size() < 2) return;
    SortLevel(rows->data(), rows->size(), *columns, 0);
}

void CDataSource::Sort(std::string_view name) {
    if (!m_pHeader) return;
    Sort(m_pHeader->Find(name), &m_Rows);
}

void CDataSource::Sort(const CHeaderColumn* column) {
    if (!m_pHeader || !column) return;
    Sort(m_pHeader->Find(column), &m_Rows);
}
