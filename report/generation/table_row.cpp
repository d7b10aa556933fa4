// A data-source row: its cells and their storage.
#include <cstdint>
#include <cstring>
#include <new>

#include "platform/zordata/value.h"
#include "report/generation/data_source.h"
#include "report/generation/value_text.h"

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
static_assert(sizeof(CBlockCell) == sizeof(CzorValue));
static_assert(alignof(CBlockCell) <= alignof(std::max_align_t));

CBlockCell* BlockValues(void* block, int ptrCount) {
    return reinterpret_cast<CBlockCell*>(static_cast<char*>(block) + static_cast<size_t>(ptrCount) * kPtrSize);
}

}  // namespace

CTableRow::~CTableRow() {
    RemoveAll();
    FreeBlock();
    if (!m_bCellsInBlock) delete[] m_pCells;
}

bool CTableRow::IsInBlock(const CzorValue* value) const {
    if (!m_pBlock || m_nBlockValues == 0) return false;
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
    if (!m_pBlock) return;
    auto* values = static_cast<CBlockCell*>(m_pBlockValues);
    for (int i = 0; i < m_nBlockValues; ++i) values[i].~CBlockCell();
    ::operator delete(m_pBlock);
    m_pBlock = nullptr;
    m_pBlockValues = nullptr;
    m_nBlockValues = 0;
}

void CTableRow::Grow(int minCapacity) {
    if (minCapacity <= m_nCapacity) return;
    int capacity = m_nCapacity + m_nCapacity / 2 + 2;
    if (capacity < minCapacity) capacity = minCapacity;
    auto** cells = new CzorValue*[static_cast<size_t>(capacity)];
    if (m_nCells) std::memcpy(cells, m_pCells, static_cast<size_t>(m_nCells) * kPtrSize);
    if (!m_bCellsInBlock) delete[] m_pCells;
    m_pCells = cells;
    m_nCapacity = capacity;
    m_bCellsInBlock = false;
}

void CTableRow::Reserve(int count) {
    if (count > m_nCapacity) Grow(count);
}

int CTableRow::AddBlock(const std::string_view* texts, int count) {
    const int first = m_nCells;
    if (count <= 0) return first;
    if (m_pBlock) {
        // One block per row: later batches are made value by value.
        for (int i = 0; i < count; ++i) {
            if (texts) AddColumn(texts[i]);
            else AddColumn(new CzorValue);
        }
        return first;
    }
    // The block holds the cell pointers too when the row has none yet and no room for them.
    const int ptrCount = (m_nCells == 0 && m_nCapacity < count) ? count : 0;
    size_t textBytes = 0;
    if (texts)
        for (int i = 0; i < count; ++i) textBytes += texts[i].size() + 1;
    const size_t bytes = static_cast<size_t>(ptrCount) * kPtrSize + static_cast<size_t>(count) * sizeof(CBlockCell) + textBytes;
    void* block = ::operator new(bytes);
    CBlockCell* values = BlockValues(block, ptrCount);
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
    m_pBlock = block;
    m_pBlockValues = values;
    m_nBlockValues = count;
    if (ptrCount) {
        if (!m_bCellsInBlock) delete[] m_pCells;
        m_pCells = static_cast<CzorValue**>(block);
        m_nCapacity = ptrCount;
        m_bCellsInBlock = true;
    } else {
        Grow(m_nCells + count);
    }
    for (int i = 0; i < count; ++i) m_pCells[m_nCells++] = values + i;
    return first;
}

int CTableRow::AddStrings(const std::string_view* texts, int count) {
    if (!texts) return m_nCells;
    return AddBlock(texts, count);
}

int CTableRow::AddEmpty(int count) { return AddBlock(nullptr, count); }

int CTableRow::AddColumn(CzorValue* value) {
    if (!value) return -1;
    if (m_nCells == m_nCapacity) Grow(m_nCells + 1);
    m_pCells[m_nCells] = value;
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
    if (m_nCells == m_nCapacity) Grow(m_nCells + 1);
    std::memmove(m_pCells + index + 1, m_pCells + index, static_cast<size_t>(m_nCells - index) * kPtrSize);
    m_pCells[index] = value;
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
    for (int i = 0; i < m_nCells; ++i)
        if (m_pCells[i] == value) return i;
    return -1;
}

bool CTableRow::SetAt(int index, CzorValue* value) {
    if (!value || index < 0 || index >= m_nCells) return false;
    CzorValue*& slot = m_pCells[index];
    if (slot != value) {
        Release(slot);
        slot = value;
    }
    return true;
}

void CTableRow::RemoveAt(int index) {
    if (index < 0 || index >= m_nCells) return;
    Release(m_pCells[index]);
    std::memmove(m_pCells + index, m_pCells + index + 1, static_cast<size_t>(m_nCells - index - 1) * kPtrSize);
    --m_nCells;
}

void CTableRow::RemoveAll() {
    for (int i = 0; i < m_nCells; ++i) Release(m_pCells[i]);
    m_nCells = 0;
}
