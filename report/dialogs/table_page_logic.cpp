#include "report/dialogs/table_page_logic.h"

#include "platform/ui/messages.h"
#include "report/model/report_section.h"
#include "report/model/table_element.h"

CTablePageLogic::CTablePageLogic(CReportElement* element, int reportMode) : m_nReportMode(reportMode) {
    CReportElement* table = element && element->GetKind() == kElemTableMap ? element->ContinuedTable() : element;
    m_pTable = dynamic_cast<CTableElement*>(table);
    if (!m_pTable) return;
    m_Name = m_pTable->GetName();
    m_Font = m_pTable->GetRowFont();
}

std::vector<std::string> CTablePageLogic::SectionNames() const {
    std::vector<std::string> names;
    if (!m_pTable) return names;
    for (const CReportSection* section : m_pTable->GetSections()) names.push_back(section->GetName());
    return names;
}

int CTablePageLogic::Create(const SectionRunner& run) {
    if (!m_pTable || ReadOnly()) return -1;
    auto* section = new CReportSection(m_pTable->GetManager());
    if (!run(section)) {
        delete section;
        return -1;
    }
    m_bChanged = true;
    return m_pTable->GetSections().Add(section);
}

int CTablePageLogic::Copy(int row, const SectionRunner& run) {
    const CReportSection* source = m_pTable ? m_pTable->GetSections().GetAt(row) : nullptr;
    if (!source) return -1;
    auto* section = new CReportSection(source->GetManager());
    *section = *source;
    section->ZerroInsts();
    if (!run(section)) {
        delete section;
        return -1;
    }
    m_bChanged = true;
    return m_pTable->GetSections().Add(section);
}

int CTablePageLogic::Delete(int row) {
    CReportSection* section = m_pTable && !ReadOnly() ? m_pTable->GetSections().GetAt(row) : nullptr;
    if (!section) return -1;
    if (AfxMessageBox("Вы действительно желаете удалить выбранную секцию?",
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return -1;
    section->DeleteSection();
    m_pTable->GetSections().RemoveAt(row);
    m_bChanged = true;
    const int left = m_pTable->GetSections().GetSize();
    return left == 0 ? -1 : (row < left ? row : left - 1);
}

int CTablePageLogic::Edit(int row, const SectionRunner& run) {
    CReportSection* section = m_pTable && !ReadOnly() ? m_pTable->GetSections().GetAt(row) : nullptr;
    if (!section || !run(section)) return -1;
    m_bChanged = true;
    return row;
}

int CTablePageLogic::Move(int row, int step) {
    CReportSection* section = m_pTable ? m_pTable->GetSections().GetAt(row) : nullptr;
    const int target = row + step;
    if (!section || target < 0 || target >= m_pTable->GetSections().GetSize()) return -1;
    m_pTable->GetSections().Replace(section, step);
    m_bChanged = true;
    return target;
}

bool CTablePageLogic::Apply() {
    if (!m_pTable) return true;
    if (ReadOnly()) return true;
    if (m_Name.empty()) {
        AfxMessageBox("Не задано имя таблицы.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_pTable->SetName(m_Name);
    m_pTable->SetRowFont(m_Font);
    return true;
}
