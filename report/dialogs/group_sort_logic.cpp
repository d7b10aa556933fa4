#include "report/dialogs/group_sort_logic.h"

#include <algorithm>

#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/group_col.h"
#include "report/model/report_section.h"

namespace {

constexpr int kInstanceValues = 1;  // a column of store instances can neither group nor sort

template <class T>
int MoveOne(std::vector<T>& list, int index, int step) {
    const int to = index + step;
    if (index < 0 || index >= static_cast<int>(list.size()) || to < 0 || to >= static_cast<int>(list.size()))
        return index;
    std::swap(list[index], list[to]);
    return to;
}

template <class T>
bool Inside(const std::vector<T>& list, int index) {
    return index >= 0 && index < static_cast<int>(list.size());
}

}  // namespace

CGroupSortDlgLogic::CGroupSortDlgLogic(CReportSection* section) : m_pSection(section) {
    if (!section) return;
    for (CGroupCol* g : section->GetGroups()) m_Groups.push_back({g, false});
    for (int i = 0; i < section->GetSorts().GetSize(); ++i) m_Sorts.push_back(section->GetSorts().GetAt(i));
    CFolivox* manager = section->GetManager();
    if (!manager) return;
    for (CHeader* header : {manager->GetSelectHeader(), manager->GetResultSelectHeader()}) {
        if (!header) continue;
        for (int i = 0; i < header->GetSize(); ++i) {
            CHeaderColumn* column = header->GetColumn(i);
            if (!column || column->m_nType == kInstanceValues) continue;
            const bool grouped = std::any_of(m_Groups.begin(), m_Groups.end(),
                                             [column](const Group& g) { return g.group->m_pColumn == column; });
            const bool sorted = std::find(m_Sorts.begin(), m_Sorts.end(), column) != m_Sorts.end();
            if (!grouped && !sorted) m_Source.push_back(column);
        }
    }
}

CGroupSortDlgLogic::~CGroupSortDlgLogic() { Cancel(); }

std::vector<std::string> CGroupSortDlgLogic::SourceNames() const {
    std::vector<std::string> names;
    for (const CHeaderColumn* c : m_Source) names.push_back(c->GetName());
    return names;
}

std::vector<std::string> CGroupSortDlgLogic::GroupNames() const {
    std::vector<std::string> names;
    for (const Group& g : m_Groups) names.push_back(g.group->m_pColumn ? g.group->m_pColumn->GetName() : std::string());
    return names;
}

std::vector<std::string> CGroupSortDlgLogic::SortNames() const {
    std::vector<std::string> names;
    for (const CHeaderColumn* c : m_Sorts) names.push_back(c->GetName());
    return names;
}

int CGroupSortDlgLogic::AddGroup(int sourceIndex, const GroupParamsRunner& run) {
    if (!m_pSection || !Inside(m_Source, sourceIndex) || !run) return -1;
    auto group = std::make_unique<CGroupCol>(m_pSection->GetManager());
    group->m_pColumn = m_Source[sourceIndex];
    LOGFONT font = DefaultGroupFont();
    if (!run(group.get(), font)) return -1;
    group->m_Font = font;
    m_Source.erase(m_Source.begin() + sourceIndex);
    m_New.push_back(group.get());
    m_Groups.push_back({group.release(), true});
    return static_cast<int>(m_Groups.size()) - 1;
}

bool CGroupSortDlgLogic::RemoveGroup(int groupIndex) {
    if (!Inside(m_Groups, groupIndex)) return false;
    const Group g = m_Groups[groupIndex];
    m_Groups.erase(m_Groups.begin() + groupIndex);
    if (g.group->m_pColumn) m_Source.push_back(g.group->m_pColumn);
    if (g.isNew) {
        m_New.erase(std::find(m_New.begin(), m_New.end(), g.group));
        delete g.group;
    } else {
        m_Removed.push_back(g.group);
    }
    return true;
}

bool CGroupSortDlgLogic::EditGroup(int groupIndex, const GroupParamsRunner& run) {
    if (!Inside(m_Groups, groupIndex) || !run) return false;
    CGroupCol* group = m_Groups[groupIndex].group;
    LOGFONT font = group->m_Font;
    if (!run(group, font)) return false;
    group->m_Font = font;
    return true;
}

int CGroupSortDlgLogic::AddSort(int sourceIndex) {
    if (!Inside(m_Source, sourceIndex)) return -1;
    m_Sorts.push_back(m_Source[sourceIndex]);
    m_Source.erase(m_Source.begin() + sourceIndex);
    return static_cast<int>(m_Sorts.size()) - 1;
}

bool CGroupSortDlgLogic::RemoveSort(int sortIndex) {
    if (!Inside(m_Sorts, sortIndex)) return false;
    m_Source.push_back(m_Sorts[sortIndex]);
    m_Sorts.erase(m_Sorts.begin() + sortIndex);
    return true;
}

int CGroupSortDlgLogic::MoveGroup(int groupIndex, int step) { return MoveOne(m_Groups, groupIndex, step); }

int CGroupSortDlgLogic::MoveSort(int sortIndex, int step) { return MoveOne(m_Sorts, sortIndex, step); }

void CGroupSortDlgLogic::Ok(std::vector<std::unique_ptr<CGroupCol>>& removed) {
    if (!m_pSection) return;
    auto& sorts = m_pSection->GetSorts();
    sorts.RemoveAll();
    for (CHeaderColumn* c : m_Sorts) sorts.Add(c);
    // The section's list is rebuilt in the grouping list's order; the removed ones leave it undeleted.
    CGroupColArray& groups = m_pSection->GetGroups();
    groups.Clear();
    for (const Group& g : m_Groups) groups.Add(g.group);
    for (CGroupCol* g : m_Removed) removed.emplace_back(g);
    m_Removed.clear();
    m_New.clear();
}

void CGroupSortDlgLogic::Cancel() {
    for (CGroupCol* g : m_New) delete g;
    m_New.clear();
    m_Removed.clear();
    // The section still owns every grouping column of its own; the lists forget the new ones.
    m_Groups.erase(std::remove_if(m_Groups.begin(), m_Groups.end(), [](const Group& g) { return g.isNew; }),
                   m_Groups.end());
}
