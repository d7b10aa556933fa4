// The data-source table: rows, columns and cells.
#include "report/model/data_source.h"

#include <type_traits>

#include "platform/ui/outcome.h"
#include "platform/zordata/value.h"

CDataSource::CDataSource(CHeader* header) : m_pHeader(header), m_nColumns(header ? header->GetSize() : 0) {}

CDataSource::~CDataSource() { RemoveAll(); }

bool CDataSource::GetSize(int& rows, int& columns) const {
    rows = GetRowCount();
    columns = m_nColumns;
    return true;
}

CHeader* CDataSource::SetHeader(CHeader* header) {
    if (!header) return nullptr;
    CHeader* previous = m_pHeader;
    m_pHeader = header;
    m_nColumns = header->GetSize();
    return previous;
}

int CDataSource::AddRow(CTableRow* row) {
    if (!row) return -1;
    if (row->GetSize() != m_nColumns) {
        zor::Note({"Не верно сформирована строка!"});
        return -1;
    }
    m_Rows.push_back(row);
    return GetRowCount() - 1;
}

int CDataSource::AddRow() {
    auto* row = new CTableRow;
    row->AddEmpty(m_nColumns);
    m_Rows.push_back(row);
    return GetRowCount() - 1;
}

int CDataSource::AddColumn() {
    if (!m_pHeader) m_pHeader = new CHeader;
    // An unnamed column of its own, so that the header keeps one column per cell.
    m_pHeader->AddColumn("", zorINTEGER);
    for (CTableRow* row : m_Rows) row->AddColumn(0);
    ++m_nColumns;
    return GetRowCount();
}

bool CDataSource::DeleteColumn(int index) {
    if (index < 0 || index >= m_nColumns) return false;
    for (CTableRow* row : m_Rows) row->RemoveAt(index);
    --m_nColumns;
    return true;
}

bool CDataSource::DeleteRow(int index) {
    if (index < 0 || index >= GetRowCount()) return false;
    delete m_Rows[static_cast<size_t>(index)];
    m_Rows.erase(m_Rows.begin() + index);
    return true;
}

void CDataSource::DeleteRows() {
    for (CTableRow* row : m_Rows) delete row;
    m_Rows.clear();
    m_Rows.shrink_to_fit();
}

void CDataSource::RemoveAll() {
    DeleteRows();
    delete m_pHeader;
    m_pHeader = nullptr;
    m_nColumns = 0;
}

void CDataSource::Clear() {
    DeleteRows();
    m_nColumns = 0;
}

namespace {

CzorValue* MakeValue(CzorValue* value) { return value; }
CzorValue* MakeValue(CzorInstance* instance) {
    auto* v = new CzorValue;
    v->Set(instance);
    return v;
}
CzorValue* MakeValue(const char* text) {
    auto* v = new CzorValue;
    v->Set(text);  // null gives an empty value, as for any value
    return v;
}
CzorValue* MakeValue(int number) {
    auto* v = new CzorValue;
    v->Set(number);
    return v;
}
CzorValue* MakeValue(double number) {
    auto* v = new CzorValue;
    v->Set(number);
    return v;
}

}  // namespace

template <class T>
bool CDataSource::SetValue(int row, int column, const T& value) {
    CTableRow* r = GetRow(row);
    if (!r || column < 0 || column >= r->GetSize()) return false;
    CzorValue* v = MakeValue(value);
    if (!r->SetAt(column, v)) {
        if constexpr (!std::is_same_v<T, CzorValue*>) delete v;
        return false;
    }
    return true;
}

template <class T>
bool CDataSource::SetValueByName(int row, const char* columnName, const T& value) {
    if (!m_pHeader || !columnName) return false;
    return SetValue(row, m_pHeader->Find(columnName), value);
}

bool CDataSource::SetAt(int row, int column, CzorValue* value) { return SetValue(row, column, value); }
bool CDataSource::SetAt(int row, int column, CzorInstance* value) { return SetValue(row, column, value); }
bool CDataSource::SetAt(int row, int column, const char* value) { return SetValue(row, column, value); }
bool CDataSource::SetAt(int row, int column, int value) { return SetValue(row, column, value); }
bool CDataSource::SetAt(int row, int column, double value) { return SetValue(row, column, value); }
bool CDataSource::SetAt(int row, const char* name, CzorValue* value) { return SetValueByName(row, name, value); }
bool CDataSource::SetAt(int row, const char* name, CzorInstance* value) { return SetValueByName(row, name, value); }
bool CDataSource::SetAt(int row, const char* name, const char* value) { return SetValueByName(row, name, value); }
bool CDataSource::SetAt(int row, const char* name, int value) { return SetValueByName(row, name, value); }
bool CDataSource::SetAt(int row, const char* name, double value) { return SetValueByName(row, name, value); }

CzorValue* CDataSource::GetAt(int row, int column) const {
    const CTableRow* r = GetRow(row);
    return r ? r->GetColumn(column) : nullptr;
}

CzorValue* CDataSource::GetAt(int row, const CHeaderColumn* column) const {
    if (!m_pHeader || !column) return nullptr;
    return GetAt(row, m_pHeader->Find(column->GetName()));
}

CTableRow* CDataSource::GetRow(int index) const {
    return (index >= 0 && index < GetRowCount()) ? m_Rows[static_cast<size_t>(index)] : nullptr;
}

int CDataSource::FindRow(const CTableRow* row) const {
    if (!row) return -1;
    for (size_t i = 0; i < m_Rows.size(); ++i)
        if (m_Rows[i] == row) return static_cast<int>(i);
    return -1;
}

CHeaderColumn* CDataSource::GetColumn(int index) const { return m_pHeader ? m_pHeader->GetColumn(index) : nullptr; }

int CDataSource::GetColumnInd(const CHeaderColumn* column) const {
    if (!m_pHeader) return -2;
    if (!column) return -1;
    return m_pHeader->Find(column->GetName());
}

bool CDataSource::GetStringPart(std::string_view text, std::string& rest) {
    size_t end = text.size();
    while (end > 0 && text[end - 1] >= '0' && text[end - 1] <= '9') --end;
    if (end == text.size()) return false;
    rest.assign(text.substr(0, end));
    return true;
}
