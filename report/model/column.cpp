// Level columns: store binding and flat records.
#include <memory>
#include <vector>

#include "platform/zordata/zordata.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/mem_record.h"
#include "report/model/section_level.h"
#include "report/model/section_store.h"

bool CColumn::Update(CFolivox* manager, bool write) {
    if (!manager || !manager->GetStore()) return false;
    CzorStepDataWithFile* store = manager->GetStore();
    const CReportSchema& s = manager->Schema();
    if (write) {
        m_pInstance = LiveOrNewInstance(manager, m_pInstance, s.e_zor_column);
        store->PutAttr(m_pInstance, s.zor_column_name, m_Name);
        store->PutAttr(m_pInstance, s.zor_column_width, m_nWidth);
        store->PutAttr(m_pInstance, s.zor_column_query_column, HeaderColumnInstance(manager, m_pColumn));
        store->PutAttr(m_pInstance, s.zor_column_fit_text, m_nFitText);
        store->PutAttr(m_pInstance, s.zor_column_level, m_nLevel);
        store->PutAttr(m_pInstance, s.zor_column_border, m_nBorder);
        store->PutAttr(m_pInstance, s.zor_column_align, m_nAlign);
        store->PutAttr(m_pInstance, s.zor_column_type, m_nType);
        store->PutAttr(m_pInstance, s.zor_column_text_const, m_TextConst);
        store->PutAttr(m_pInstance, s.zor_column_rows_count, m_nRowsCount);
        return true;
    }
    if (!m_pInstance) return false;
    store->GetAttr(m_pInstance, s.zor_column_name, m_Name);
    store->GetAttr(m_pInstance, s.zor_column_width, m_nWidth);
    CzorInstance* query = nullptr;
    store->GetAttr(m_pInstance, s.zor_column_query_column, query);
    m_pColumn = manager->FindColumnByInst(query);
    store->GetAttr(m_pInstance, s.zor_column_level, m_nLevel);
    store->GetAttr(m_pInstance, s.zor_column_border, m_nBorder);
    store->GetAttr(m_pInstance, s.zor_column_align, m_nAlign);
    store->GetAttr(m_pInstance, s.zor_column_fit_text, m_nFitText);
    store->GetAttr(m_pInstance, s.zor_column_type, m_nType);
    store->GetAttr(m_pInstance, s.zor_column_text_const, m_TextConst);
    store->GetAttr(m_pInstance, s.zor_column_rows_count, m_nRowsCount);
    if (m_nRowsCount < 1) m_nRowsCount = 1;
    return true;
}

void CColumn::Delete(CFolivox* manager) {
    DeleteStoreInstance(manager, m_pInstance);
    m_pInstance = nullptr;
}

int CColumn::GetMemSize() const { return 32 + RecordStringSize(m_Name) + RecordStringSize(m_TextConst); }

void CColumn::CopyToMem(CRecordWriter& out) const {
    out.PutInt32(m_nLevel);
    out.PutInt32(m_nWidth);
    out.PutInt32(m_nIndex);
    out.PutInt32(m_nBorder);
    out.PutInt32(m_nFitText);
    out.PutInt32(m_nAlign);
    out.PutInt32(m_nType);
    out.PutInt32(m_nRowsCount);
    out.PutString(m_Name);
    out.PutString(m_TextConst);
}

bool CColumn::LoadDataFromMem(CRecordReader& in) {
    int32_t level = 0, width = 0, index = 0, border = 0, fit = 0, align = 0, type = 0, rows = 0;
    std::string name, text;
    in.GetInt32(level);
    in.GetInt32(width);
    in.GetInt32(index);
    in.GetInt32(border);
    in.GetInt32(fit);
    in.GetInt32(align);
    in.GetInt32(type);
    in.GetInt32(rows);
    in.GetString(name);
    in.GetString(text);
    if (in.Failed()) return false;
    m_nLevel = level;
    m_nWidth = width;
    m_nIndex = index;
    m_nBorder = border;
    m_nFitText = fit;
    m_nAlign = align;
    m_nType = type;
    // Generation divides the cell font by the text rows: a record from elsewhere must not make it 0.
    m_nRowsCount = rows < 1 ? 1 : rows;
    m_Name = std::move(name);
    m_TextConst = std::move(text);
    return true;
}

// --- CColumnArray ------------------------------------------------------------------------------------------

CColumnArray& CColumnArray::operator=(const CColumnArray& other) {
    if (this == &other) return *this;
    RemoveAll();
    for (const CColumn* column : other) m_Items.Add(new CColumn(*column));
    return *this;
}

int CColumnArray::Find(const CzorInstance* instance) const {
    if (!instance) return -1;
    for (int i = 0; i < GetSize(); ++i)
        if (m_Items.GetAt(i)->m_pInstance == instance) return i;
    return -1;
}

int CColumnArray::Find(const std::string& text) const {
    for (int i = 0; i < GetSize(); ++i)
        if (m_Items.GetAt(i)->m_Name == text) return i;
    return -1;
}

void CColumnArray::Update(CFolivox* manager, bool write) {
    for (CColumn* column : m_Items) column->Update(manager, write);
}

void CColumnArray::GetExtent(CzorTAggr<CzorInstance>& list) const {
    list.RemoveAll();
    for (const CColumn* column : m_Items) AddUniqueInstance(list, column->m_pInstance);
}

void CColumnArray::Delete(CFolivox* manager) {
    for (CColumn* column : m_Items) column->Delete(manager);
}

void CColumnArray::ForgetInstances() {
    for (CColumn* column : m_Items) column->m_pInstance = nullptr;
}

int CColumnArray::GetMemSize() const {
    int size = 0;
    for (const CColumn* column : m_Items) size += column->GetMemSize();
    return size;
}

void CColumnArray::CopyToMem(CRecordWriter& out) const {
    for (const CColumn* column : m_Items) column->CopyToMem(out);
}

bool CColumnArray::LoadDataFromMem(CRecordReader& in) {
    for (CColumn* column : m_Items)
        if (!column->LoadDataFromMem(in)) return false;
    return true;
}

int CColumnArray::Move(CColumn* column, int target) {
    const int from = Find(column);
    if (from < 0 || target < 0 || target >= GetSize()) return -1;
    if (from != target) MoveItem(from, target);
    return 0;
}
