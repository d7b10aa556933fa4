// Table sections: copies, store binding, deletion, records and the section list.
#include "report/model/report_section.h"

#include <memory>
#include <vector>

#include "platform/ui/outcome.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/mem_record.h"
#include "report/model/section_store.h"

CReportSection::CReportSection(CFolivox* manager) : m_pManager(manager) {}

CReportSection::~CReportSection() = default;

CReportSection& CReportSection::operator=(const CReportSection& other) {
    if (this == &other) return *this;
    m_Name = other.m_Name;
    m_Title = other.m_Title;
    m_pInstance = other.m_pInstance;
    m_nShowEmptyLines = other.m_nShowEmptyLines;
    m_Levels = other.m_Levels;
    m_Conditions = other.m_Conditions;
    m_Groups = other.m_Groups;
    m_Sorts.Copy(other.m_Sorts);
    int level = 0, index = 0;
    m_pTitleColumn = other.m_Levels.Locate(other.m_pTitleColumn, level, index) ? m_Levels.GetColumn(level, index)
                                                                                 : nullptr;
    return *this;
}

CColumn* CReportSection::ValidTitleColumn() const {
    int level = 0, index = 0;
    return m_Levels.Locate(m_pTitleColumn, level, index) ? m_pTitleColumn : nullptr;
}

// --- Store ---------------------------------------------------------------------------------------------------

int CReportSection::CreateSection(CFolivox* manager) {
    m_pManager = manager;
    if (!manager || !manager->GetStore()) return 0;
    CzorStepDataWithFile* store = manager->GetStore();
    const CReportSchema& s = manager->Schema();
    m_pInstance = store->CreateInstance(s.e_zor_report_section, false, true);
    store->PutAttr(m_pInstance, s.zor_report_section_name, m_Name);
    m_Title.UpdateData(manager);
    store->PutAttr(m_pInstance, s.zor_report_section_title, m_Title.GetInstance());
    return 0;
}

void CReportSection::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    CzorTAggr<CzorInstance> list;
    if (write) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_report_section);
        store->PutAttr(m_pInstance, s.zor_report_section_name, m_Name);
        m_Title.UpdateData(m_pManager);
        store->PutAttr(m_pInstance, s.zor_report_section_title, m_Title.GetInstance());
        m_Levels.Update(true);
        m_Levels.GetExtent(list);
        store->PutAttr(m_pInstance, s.zor_report_section_levels, list);
        // A title column whose level was removed is no longer the section's: it is written as none.
        m_pTitleColumn = ValidTitleColumn();
        if (m_pTitleColumn) m_pTitleColumn->Update(m_pManager, true);
        store->PutAttr(m_pInstance, s.zor_report_section_title_col,
                       m_pTitleColumn ? m_pTitleColumn->m_pInstance : nullptr);
        m_Conditions.Update(m_pManager, true);
        m_Conditions.GetExtent(list);
        store->PutAttr(m_pInstance, s.zor_report_section_conditions, list);
        store->PutAttr(m_pInstance, s.zor_report_section_show_es, m_nShowEmptyLines);
        for (CGroupCol* group : m_Groups) group->Update(true);
        m_Groups.GetExtent(list);
        store->PutAttr(m_pInstance, s.zor_report_section_groups, list);
        list.RemoveAll();
        for (CHeaderColumn* column : m_Sorts) AddUniqueInstance(list, HeaderColumnInstance(m_pManager, column));
        store->PutAttr(m_pInstance, s.zor_report_section_sorts, list);
        return;
    }
    if (!m_pInstance) return;
    m_pTitleColumn = nullptr;
    m_Levels.RemoveAll();
    store->GetAttr(m_pInstance, s.zor_report_section_name, m_Name);
    CzorInstance* title = nullptr;
    if (store->GetAttr(m_pInstance, s.zor_report_section_title, title) && title)
        m_Title.CreateFromInst(title, m_pManager);
    if (store->GetAttr(m_pInstance, s.zor_report_section_levels, list)) m_Levels.AddFromInstances(m_pManager, list);
    CzorInstance* titleColumn = nullptr;
    store->GetAttr(m_pInstance, s.zor_report_section_title_col, titleColumn);
    m_pTitleColumn = m_Levels.GetTitleColumn(titleColumn);
    m_Conditions.RemoveAll();
    if (store->GetAttr(m_pInstance, s.zor_report_section_conditions, list)) {
        DropRepeats(list);
        m_Conditions.AddFromInstances(m_pManager, list);
    }
    store->GetAttr(m_pInstance, s.zor_report_section_show_es, m_nShowEmptyLines);
    m_Groups.RemoveAll();
    m_Sorts.RemoveAll();
    if (store->GetAttr(m_pInstance, s.zor_report_section_groups, list)) {
        DropRepeats(list);
        for (CzorInstance* instance : list) {
            if (!instance) continue;
            auto* group = new CGroupCol(m_pManager);
            group->m_pInstance = instance;
            group->Update(false);
            m_Groups.Add(group);
        }
    }
    // A sort column that is no longer in the headers stays as null; generation reports the template.
    if (store->GetAttr(m_pInstance, s.zor_report_section_sorts, list))
        for (CzorInstance* instance : list) m_Sorts.Add(m_pManager->FindColumnByInst(instance));
}

void CReportSection::DeleteSection() {
    DeleteStoreInstance(m_pManager, m_pInstance);
    m_pInstance = nullptr;
    m_pTitleColumn = nullptr;
    m_Levels.Delete();
    m_Title.Delete(m_pManager);
    m_Conditions.Delete(m_pManager);
    // The grouping columns' levels and conditions go too: nothing else reaches them once the section is
    // gone.
    for (CGroupCol* group : m_Groups) group->Delete();
}

void CReportSection::Delete() {
    for (CCondition* condition : m_Conditions) condition->Delete(m_pManager);
    for (CSectionLevel* level : m_Levels) level->Delete();
    for (CGroupCol* group : m_Groups) group->Delete();
}

void CReportSection::ZerroInsts() {
    m_pInstance = nullptr;
    m_Levels.ForgetInstances();
    m_Conditions.ForgetInstances();
    for (CGroupCol* group : m_Groups) group->ForgetInstances();
    // A text value's assignment keeps the target's instances, so the title is rebuilt from a fresh value
    // that holds the same look and text and no instance.
    CTextValue fresh;
    fresh = m_Title;
    std::destroy_at(&m_Title);
    std::construct_at(&m_Title, fresh);
}

// --- Record ----------------------------------------------------------------------------------------------------

int CReportSection::GetMemSize() const {
    return 4 + RecordStringSize(m_Name) + m_Title.GetMemSize() + m_Levels.GetMemSize();
}

void CReportSection::CopyToMem(CRecordWriter& out) const {
    out.PutString(m_Name);
    m_Title.CopyToMem(out);
    out.PutInt32(m_Levels.GetSize());
    m_Levels.CopyToMem(out);
}

bool CReportSection::LoadDataFromMem(CRecordReader& in) {
    std::string name;
    CTextValue title;
    int32_t count = 0;
    if (!in.GetString(name) || !title.LoadDataFromMem(in) || !in.GetCount(count, kLevelRecordMinSize)) return false;
    std::vector<std::unique_ptr<CSectionLevel>> levels;
    levels.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        levels.push_back(std::make_unique<CSectionLevel>(m_pManager));
        if (!levels.back()->LoadDataFromMem(in)) return false;
    }
    m_Name = std::move(name);
    m_Title = title;
    m_pTitleColumn = nullptr;
    m_Levels.RemoveAll();
    for (auto& level : levels) m_Levels.Add(level.release());
    return true;
}

// --- Rows ------------------------------------------------------------------------------------------------------

int CReportSection::GetRows() const {
    int count = GetEmptyRows();
    if (!m_pManager) return count;
    const CDataSource& source = m_pManager->GetDataSource();
    for (int row = 0; row < source.GetRowCount(); ++row) {
        if (!m_Conditions.Compare(source, row)) continue;
        bool detail = true;
        for (const CGroupCol* group : m_Groups) {
            if (!group->m_Conditions.Compare(source, row)) {
                detail = false;
                break;
            }
            if (group->m_Rows.GetSize() > 0) ++count;
        }
        if (detail) ++count;
    }
    return count;
}

bool CReportSection::GetSortColumns(const CDataSource& source, CColumnIndexArray& columns) const {
    columns.clear();
    auto add = [&](const CHeaderColumn* column) {
        const int index = column ? source.GetColumnInd(column) : -1;
        if (index < 0) return false;
        columns.push_back(index);
        return true;
    };
    bool ok = true;
    for (const CGroupCol* group : m_Groups) ok = ok && add(group->m_pColumn);
    for (const CHeaderColumn* column : m_Sorts) ok = ok && add(column);
    if (!ok) {
        columns.clear();
        zor::Note({"Не корректный шаблон"});
    }
    return ok;
}

// --- CSectionArray ---------------------------------------------------------------------------------------------

void CSectionArray::Replace(const CReportSection* section, int offset) {
    if (!section) return;
    const int index = Find(section);
    if (index >= 0) Replace(index, index + offset);
}

void CSectionArray::Replace(int first, int second) {
    if (first < 0 || second < 0 || first >= GetSize() || second >= GetSize()) return;
    SwapItems(first, second);
}
