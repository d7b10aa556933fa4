// A data-source row: its cells and their storage.
#include <cstdint>
#include <cstring>
#include <new>

#include "platform/zordata/value.h"
#include "report/model/data_source.h"
#include "report/model/value_text.h"

namespace {

// A value made inside a row's block. Its text, when it has one from the block, lives in the same
// block and is borrowed (the value never frees it); setting the value to anything else works as
// for any value.
class CBlockCell : public CzorValue {
public:
    void BorrowText(const char* text) {
        m_Type = zorSTRING;
        m_u.str = const_cast<char*>(text);
        m_Flags |= kArenaText;
    }
};

constexpr size_t kPtrSize = sizeof(CzorValue*);
// A row without a pointer array reads its cells as an array of CzorValue over the block's values.
static_assert(sizeof(CBlockCell) == sizeof(CzorValue));
static_assert(alignof(CBlockCell) <= alignof(std::max_align_t));

}  // namespace

CzorValue* CTableRow::MissingCell() {
    // Borrowed text: clearing the cell at exit frees nothing.
    static CBlockCell cell;
    static const bool ready = (cell.BorrowText(""), true);
    (void)ready;
    return &cell;
}

CTableRow::~CTableRow() {
    RemoveAll();
    FreeBlock();
    delete[] m_pCells;
}

bool CTableRow::IsInBlock(const CzorValue* value) const {
    if (!m_pBlockValues) return false;
    const auto p = reinterpret_cast<std::uintptr_t>(value);
    const auto first = reinterpret_cast<std::uintptr_t>(m_pBlockValues);
    return p >= first && p < first + static_cast<std::uintptr_t>(m_nBlockValues) * sizeof(CBlockCell);
}

void CTableRow::Release(CzorValue* value) {
    if (!value) return;
    if (IsInBlock(value)) value->Clear();
    else delete value;
}

void CTableRow::FreeBlock() {
    if (!m_pBlockValues) return;
    auto* values = static_cast<CBlockCell*>(m_pBlockValues);
    for (int i = 0; i < m_nBlockValues; ++i) values[i].~CBlockCell();
    ::operator delete(static_cast<void*>(values));
    m_pBlockValues = nullptr;
    m_nBlockValues = 0;
}

void CTableRow::Grow(int minCapacity) {
    // A row still reading its cells from the block gets its pointer array here, whatever the size.
    const int stored = Stored();
    if (m_pCells ? minCapacity <= m_nCapacity : (stored == 0 && minCapacity <= 0)) return;
    const int base = m_pCells ? m_nCapacity : stored;
    int capacity = base + base / 2 + 2;
    if (capacity < minCapacity) capacity = minCapacity;
    if (capacity < stored) capacity = stored;
    auto** cells = new CzorValue*[static_cast<size_t>(capacity)];
    for (int k = 0; k < stored; ++k) cells[k] = StoredCell(k);
    delete[] m_pCells;
    m_pCells = cells;
    m_nCapacity = capacity;
}

void CTableRow::Reserve(int count) {
    // Missing cells take no room.
    if (count - m_nGap > m_nCapacity) Grow(count - m_nGap);
}

void CTableRow::FillGap() {
    if (m_nGap == 0) return;
    const int stored = Stored();
    Grow(stored + m_nGap);
    std::memmove(m_pCells + m_nGapAt + m_nGap, m_pCells + m_nGapAt, static_cast<size_t>(stored - m_nGapAt) * kPtrSize);
    for (int i = 0; i < m_nGap; ++i) {
        auto* v = new CzorValue;
        v->SetText("", 0);
        m_pCells[m_nGapAt + i] = v;
    }
    m_nGapAt = 0;
    m_nGap = 0;
}

int CTableRow::AddBlock(const std::string_view* texts, int count) {
    const int first = m_nCells;
    if (count <= 0) return first;
    if (m_pBlockValues) {
        // One block per row: later batches are made value by value.
        for (int i = 0; i < count; ++i) {
            if (texts) AddColumn(texts[i]);
            else AddColumn(new CzorValue);
        }
        return first;
    }
    // The first cells of a row need no pointer array: they are the block's values in order.
    const bool direct = Stored() == 0;
    size_t textBytes = 0;
    if (texts)
        for (int i = 0; i < count; ++i) textBytes += texts[i].size() + 1;
    const size_t bytes = static_cast<size_t>(count) * sizeof(CBlockCell) + textBytes;
    void* block = ::operator new(bytes);
    CBlockCell* values = static_cast<CBlockCell*>(block);
    char* text = reinterpret_cast<char*>(values + count);
    for (int i = 0; i < count; ++i) {
        CBlockCell* v = new (values + i) CBlockCell;
        if (texts) {
            const std::string_view t = texts[i];
            if (!t.empty()) std::memcpy(text, t.data(), t.size());
            text[t.size()] = '\0';
            v->BorrowText(text);
            text += t.size() + 1;
        }
    }
    m_pBlockValues = values;
    m_nBlockValues = count;
    if (direct) {
        delete[] m_pCells;
        m_pCells = nullptr;
        m_nCapacity = 0;
        m_nCells += count;
        return first;
    }
    Grow(Stored() + count);
    for (int i = 0; i < count; ++i) {
        m_pCells[Stored()] = values + i;
        ++m_nCells;
    }
    return first;
}

int CTableRow::AddStrings(const std::string_view* texts, int count) {
    if (!texts) return m_nCells;
    return AddBlock(texts, count);
}

int CTableRow::AddEmpty(int count) { return AddBlock(nullptr, count); }

int CTableRow::AddMissing(int count) {
    const int first = m_nCells;
    if (count <= 0) return first;
    if (m_nGap == 0) {
        m_nGapAt = m_nCells;
    } else if (m_nGapAt + m_nGap != m_nCells) {
        // One gap per row: missing cells after stored ones past the gap are made as texts.
        for (int i = 0; i < count; ++i) AddColumn(std::string_view());
        return first;
    }
    m_nGap += count;
    m_nCells += count;
    return first;
}

int CTableRow::AddColumn(CzorValue* value) {
    if (!value) return -1;
    if (!m_pCells || Stored() == m_nCapacity) Grow(Stored() + 1);
    m_pCells[Stored()] = value;
    return m_nCells++;
}

int CTableRow::AddColumn(std::string_view text) {
    auto* v = new CzorValue;
    v->SetText(text.data(), text.size());
    return AddColumn(v);
}

int CTableRow::AddColumn(double value) {
    auto* v = new CzorValue;
    v->Set(value);
    return AddColumn(v);
}

int CTableRow::AddColumn(int value) {
    auto* v = new CzorValue;
    v->Set(value);
    return AddColumn(v);
}

int CTableRow::AddColumn(CzorInstance* instance) {
    auto* v = new CzorValue;
    v->Set(instance);
    return AddColumn(v);
}

int CTableRow::InsertColumn(int index, CzorValue* value) {
    if (!value || index < -1 || index > m_nCells) return -1;
    if (index == -1) return AddColumn(value);
    if (index > m_nGapAt && index < m_nGapAt + m_nGap) FillGap();
    int at = index;
    if (m_nGap == 0 || index <= m_nGapAt) {
        if (m_nGap) ++m_nGapAt;
    } else {
        at = index - m_nGap;
    }
    const int stored = Stored();
    if (!m_pCells || stored == m_nCapacity) Grow(stored + 1);
    std::memmove(m_pCells + at + 1, m_pCells + at, static_cast<size_t>(stored - at) * kPtrSize);
    m_pCells[at] = value;
    ++m_nCells;
    return index;
}

int CTableRow::GetColumnType(int index) const {
    const CzorValue* v = GetColumn(index);
    return v ? v->GetType() : 0;
}

std::string CTableRow::GetAsString(int index) const { return ::GetAsString(GetColumn(index)); }

void CTableRow::AppendAsString(int index, std::string& out) const { ::AppendAsString(GetColumn(index), out); }

int CTableRow::Find(const CzorValue* value) const {
    if (!value) return -1;
    for (int i = 0; i < m_nGapAt && i < Stored(); ++i)
        if (StoredCell(i) == value) return i;
    if (m_nGap && value == MissingCell()) return m_nGapAt;
    for (int i = m_nGapAt; i < Stored(); ++i)
        if (StoredCell(i) == value) return i + m_nGap;
    return -1;
}

bool CTableRow::SetAt(int index, CzorValue* value) {
    if (!value || index < 0 || index >= m_nCells) return false;
    if (m_nGap && index >= m_nGapAt && index < m_nGapAt + m_nGap) {
        // A missing cell at either end of the gap becomes a stored one; one inside it fills the gap.
        if (index == m_nGapAt || index == m_nGapAt + m_nGap - 1) {
            const int stored = Stored();
            if (!m_pCells || stored == m_nCapacity) Grow(stored + 1);
            std::memmove(m_pCells + m_nGapAt + 1, m_pCells + m_nGapAt, static_cast<size_t>(stored - m_nGapAt) * kPtrSize);
            m_pCells[m_nGapAt] = value;
            if (index == m_nGapAt) ++m_nGapAt;
            if (--m_nGap == 0) m_nGapAt = 0;
            return true;
        }
        FillGap();
    }
    if (!m_pCells) Grow(Stored());
    CzorValue*& slot = m_pCells[index < m_nGapAt ? index : index - m_nGap];
    if (slot != value) {
        Release(slot);
        slot = value;
    }
    return true;
}

void CTableRow::RemoveAt(int index) {
    if (index < 0 || index >= m_nCells) return;
    if (m_nGap && index >= m_nGapAt && index < m_nGapAt + m_nGap) {
        if (--m_nGap == 0) m_nGapAt = 0;
        --m_nCells;
        return;
    }
    const int at = index < m_nGapAt ? index : index - m_nGap;
    if (!m_pCells) Grow(Stored());
    Release(m_pCells[at]);
    std::memmove(m_pCells + at, m_pCells + at + 1, static_cast<size_t>(Stored() - at - 1) * kPtrSize);
    --m_nCells;
    if (index < m_nGapAt) --m_nGapAt;
}

void CTableRow::RemoveAll() {
    for (int i = 0; i < Stored(); ++i) Release(StoredCell(i));
    m_nCells = 0;
    m_nGapAt = 0;
    m_nGap = 0;
}
