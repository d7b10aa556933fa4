// Grouping columns and their lists.
#include "report/model/group_col.h"

#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/section_store.h"

LOGFONT DefaultGroupFont() {
    LOGFONT f;
    f.lfHeight = 120;
    f.lfCharSet = RUSSIAN_CHARSET;
    f.SetFaceName("Arial");
    return f;
}

CGroupCol& CGroupCol::operator=(const CGroupCol& other) {
    if (this == &other) return *this;
    m_nShowFirstRow = other.m_nShowFirstRow;
    m_Font = other.m_Font;
    m_pInstance = other.m_pInstance;
    m_pManager = other.m_pManager;
    m_pColumn = other.m_pColumn;
    m_Rows = other.m_Rows;
    m_LastRows = other.m_LastRows;
    m_Conditions = other.m_Conditions;
    m_Name = other.m_Name;
    return *this;
}

bool CGroupCol::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return false;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    if (write) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_group_col);
        m_Rows.Update(true);
        m_LastRows.Update(true);
        CzorTAggr<CzorInstance> list;
        m_Rows.GetExtent(list);
        store->PutAttr(m_pInstance, s.zor_group_col_row, list);
        store->PutAttr(m_pInstance, s.zor_group_col_name, m_Name);
        m_LastRows.GetExtent(list);
        store->PutAttr(m_pInstance, s.zor_group_col_last_row, list);
        CzorInstance* font = nullptr;
        store->GetAttr(m_pInstance, s.zor_group_col_font, font);
        if (!font) {
            font = store->CreateInstance(s.e_zor_font, false, true);
            store->PutAttr(m_pInstance, s.zor_group_col_font, font);
        }
        m_pManager->SetFontValue(font, m_Font);
        // A grouped column that was not found when the template was read is written as no reference.
        store->PutAttr(m_pInstance, s.zor_group_col_column, HeaderColumnInstance(m_pManager, m_pColumn));
        store->PutAttr(m_pInstance, s.zor_group_col_show_fr, m_nShowFirstRow);
        m_Conditions.Update(m_pManager, true);
        m_Conditions.GetExtent(list);
        store->PutAttr(m_pInstance, s.zor_group_col_conditions, list);
        return true;
    }
    if (!m_pInstance) return false;
    m_Conditions.RemoveAll();
    m_Rows.RemoveAll();
    // Reading twice must not double the closing lines.
    m_LastRows.RemoveAll();
    CzorInstance* font = nullptr;
    if (store->GetAttr(m_pInstance, s.zor_group_col_font, font) && font) m_Font = m_pManager->GetFontValue(font);
    store->GetAttr(m_pInstance, s.zor_group_col_name, m_Name);
    CzorInstance* column = nullptr;
    store->GetAttr(m_pInstance, s.zor_group_col_column, column);
    m_pColumn = m_pManager->FindColumnByInst(column);
    CzorTAggr<CzorInstance> list;
    if (store->GetAttr(m_pInstance, s.zor_group_col_row, list)) m_Rows.AddFromInstances(m_pManager, list);
    if (store->GetAttr(m_pInstance, s.zor_group_col_last_row, list)) m_LastRows.AddFromInstances(m_pManager, list);
    store->GetAttr(m_pInstance, s.zor_group_col_show_fr, m_nShowFirstRow);
    if (store->GetAttr(m_pInstance, s.zor_group_col_conditions, list)) {
        DropRepeats(list);
        m_Conditions.AddFromInstances(m_pManager, list);
    }
    return true;
}

void CGroupCol::Delete() {
    if (m_pInstance && m_pManager && m_pManager->GetStore()) {
        CzorInstance* font = nullptr;
        m_pManager->GetStore()->GetAttr(m_pInstance, m_pManager->Schema().zor_group_col_font, font);
        DeleteStoreInstance(m_pManager, m_pInstance);
        DeleteStoreInstance(m_pManager, font);
    }
    m_pInstance = nullptr;
    m_Conditions.Delete(m_pManager);
    m_Rows.Delete();
    m_LastRows.Delete();
}

void CGroupCol::ForgetInstances() {
    // The font instance is reached through the grouping column's own instance: a new instance gets a new
    // font instance when it is written.
    m_pInstance = nullptr;
    m_Rows.ForgetInstances();
    m_LastRows.ForgetInstances();
    m_Conditions.ForgetInstances();
}

// --- CGroupColArray ------------------------------------------------------------------------------------------

CGroupColArray& CGroupColArray::operator=(const CGroupColArray& other) {
    if (this == &other) return *this;
    RemoveAll();
    CFolivox* manager = other.GetSize() ? other.GetAt(0)->m_pManager : nullptr;
    for (const CGroupCol* group : other) {
        auto* copy = new CGroupCol(manager);
        *copy = *group;
        m_Items.Add(copy);
    }
    return *this;
}

void CGroupColArray::GetExtent(CzorTAggr<CzorInstance>& list) const {
    list.RemoveAll();
    for (const CGroupCol* group : m_Items) AddUniqueInstance(list, group->m_pInstance);
}

void CGroupColArray::Append(CGroupColArray& other) {
    if (this == &other) return;
    for (CGroupCol* group : other.m_Items) m_Items.Add(group);
    other.Clear();
}

bool CGroupColArray::Move(int from, int to) {
    if (from < 0 || to < 0 || from >= GetSize() || to >= GetSize()) return false;
    MoveItem(from, to);
    return true;
}
