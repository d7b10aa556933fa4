#include "report/dialogs/section_dialog_logic.h"

#include <unordered_set>

#include "platform/ui/messages.h"
#include "report/model/report_section.h"
#include "report/model/store_instances.h"

namespace {

using InstanceSet = std::unordered_set<const CzorInstance*>;

void CollectLevels(const CSectionLevelArray& levels, InstanceSet& out) {
    for (const CSectionLevel* level : levels) {
        out.insert(level->m_pInstance);
        for (const CColumn* column : level->m_Columns) out.insert(column->m_pInstance);
    }
}

void CollectConditions(const CConditionArray& conditions, InstanceSet& out) {
    for (const CCondition* condition : conditions) out.insert(condition->m_pInstance);
}

void CollectParts(const CReportSection& section, InstanceSet& out) {
    CollectLevels(section.GetLevels(), out);
    CollectConditions(section.GetConditions(), out);
    for (const CGroupCol* group : section.GetGroups()) {
        out.insert(group->m_pInstance);
        CollectLevels(group->m_Rows, out);
        CollectLevels(group->m_LastRows, out);
        CollectConditions(group->m_Conditions, out);
    }
    out.erase(nullptr);
}

bool Kept(const InstanceSet& kept, const CzorInstance* instance) { return !instance || kept.count(instance) > 0; }

void DeleteDroppedLevels(CFolivox* manager, CSectionLevelArray& levels, const InstanceSet& kept) {
    for (CSectionLevel* level : levels) {
        for (CColumn* column : level->m_Columns)
            if (!Kept(kept, column->m_pInstance)) column->Delete(manager);
        if (!Kept(kept, level->m_pInstance)) {
            DeleteStoreInstance(level->m_pManager ? level->m_pManager : manager, level->m_pInstance);
            level->m_pInstance = nullptr;
        }
    }
}

void DeleteDroppedConditions(CFolivox* manager, CConditionArray& conditions, const InstanceSet& kept) {
    for (CCondition* condition : conditions)
        if (!Kept(kept, condition->m_pInstance)) condition->Delete(manager);
}

// Parts still held elsewhere are forgotten here, so that deleting their old holder leaves them alone.
void ForgetKeptLevels(CSectionLevelArray& levels, const InstanceSet& kept) {
    for (CSectionLevel* level : levels) {
        if (level->m_pInstance && kept.count(level->m_pInstance)) level->m_pInstance = nullptr;
        for (CColumn* column : level->m_Columns)
            if (column->m_pInstance && kept.count(column->m_pInstance)) column->m_pInstance = nullptr;
    }
}

}  // namespace

CColumn* LiveTitleColumn(const CReportSection& section) {
    int level = 0, index = 0;
    return section.GetLevels().Locate(section.GetTitleColumn(), level, index) ? section.GetTitleColumn() : nullptr;
}

void DeleteDroppedInstances(CReportSection& before, const CReportSection& after) {
    InstanceSet kept;
    CollectParts(after, kept);
    CFolivox* manager = before.GetManager();
    DeleteDroppedLevels(manager, before.GetLevels(), kept);
    DeleteDroppedConditions(manager, before.GetConditions(), kept);
    for (CGroupCol* group : before.GetGroups()) {
        if (!Kept(kept, group->m_pInstance)) {
            // Gone as a whole: its font, levels and conditions go with it, unless one of them moved on.
            ForgetKeptLevels(group->m_Rows, kept);
            ForgetKeptLevels(group->m_LastRows, kept);
            for (CCondition* condition : group->m_Conditions)
                if (condition->m_pInstance && kept.count(condition->m_pInstance)) condition->m_pInstance = nullptr;
            group->Delete();
            continue;
        }
        DeleteDroppedLevels(manager, group->m_Rows, kept);
        DeleteDroppedLevels(manager, group->m_LastRows, kept);
        DeleteDroppedConditions(manager, group->m_Conditions, kept);
    }
}

CSectionDlgLogic::CSectionDlgLogic(CReportSection* section) : m_pSection(section) {
    if (!section) return;
    m_pBackup = std::make_unique<CReportSection>(section->GetManager());
    *m_pBackup = *section;
    m_Name = section->GetName();
    m_Title = section->GetTitle().GetText();
    m_TitleColumn = section->GetTitleColumn() ? section->GetTitleColumn()->m_Name : std::string();
    m_Font = section->GetTitle().GetFont();
    m_bShowEmptyLines = section->GetShowEmptyLines() > 0;
}

CSectionDlgLogic::~CSectionDlgLogic() = default;

void CSectionDlgLogic::AfterFieldSetup() {
    if (m_pSection && !LiveTitleColumn(*m_pSection)) m_TitleColumn.clear();
}

void CSectionDlgLogic::SetTitleColumn(CColumn* column) {
    if (!m_pSection) return;
    m_pSection->SetTitleColumn(column);
    m_TitleColumn = column ? column->m_Name : std::string();
}

void CSectionDlgLogic::Ok() {
    if (!m_pSection) return;
    if (!LiveTitleColumn(*m_pSection)) AfxMessageBox("Не задано поле для отображения заголовка секции.");
    m_pSection->SetName(m_Name);
    m_pSection->GetTitle().SetText(m_Title);
    m_pSection->GetTitle().SetFont(m_Font);
    m_pSection->SetShowEmptyLines(m_bShowEmptyLines ? 1 : 0);
    if (m_pBackup) DeleteDroppedInstances(*m_pBackup, *m_pSection);
}

void CSectionDlgLogic::Cancel() {
    if (m_pSection && m_pBackup) *m_pSection = *m_pBackup;
}
