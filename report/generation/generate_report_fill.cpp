// Report generation: every table filled across as many sheets as its rows need, then the table of
// contents.
#include <vector>

#include "report/generation/generate_report_run.h"
#include "report/generation/generate_report_sheets.h"
#include "report/model/folivox.h"
#include "report/model/report_sheet.h"
#include "report/model/table_content_element.h"
#include "report/model/table_element.h"

namespace {

CReportElement* FirstOfKind(const CReportSheet* sheet, int kind) {
    for (CReportElement* e : sheet->GetElements())
        if (e->GetKind() == kind) return e;
    return nullptr;
}

bool HoldsContinuationOf(const CReportSheet* sheet, const CReportElement* table) {
    for (CReportElement* e : sheet->GetElements())
        if (e->GetKind() == kElemTableMap && e->ContinuedTable() == table) return true;
    return false;
}

}  // namespace

void CReportGeneration::PrepareOverflowSheets() {
    const std::vector<CReportSheet*> sheets(m_manager.GetSheets().begin(), m_manager.GetSheets().end());
    for (size_t i = 0; i < sheets.size(); ++i) {
        CReportSheet* sheet = sheets[i];
        // The last contents element of the template marks the contents sheet, wherever it stands.
        if (FirstOfKind(sheet, kElemTableContent)) m_pContentsSheet = sheet;
        CReportElement* table = FirstOfKind(sheet, kElemTable);
        if (!table || m_Overflow.count(table)) continue;
        // Further pages look like the last continuation sheet of the table, or else like its own sheet.
        CReportSheet* pattern = sheet;
        for (size_t j = i + 1; j < sheets.size(); ++j)
            if (HoldsContinuationOf(sheets[j], table)) pattern = sheets[j];
        m_Overflow[table] = NewSheetLike(&m_manager, *pattern);
    }
    if (m_pContentsSheet) m_pContentsPattern.reset(NewSheetLike(&m_manager, *m_pContentsSheet));
}

void CReportGeneration::FillTables() {
    for (int i = 0; i < m_manager.GetSheetCount();) {
        CReportSheet* sheet = m_manager.GetSheet(i);
        auto* table = dynamic_cast<CTableElement*>(FirstOfKind(sheet, kElemTable));
        if (!table) {
            ++i;
            continue;
        }
        const auto pair = m_Overflow.find(table);
        m_manager.SetGenerationSheet(pair != m_Overflow.end() ? pair->second : nullptr);
        table->SetCurrentSheet(sheet);
        int next = i;
        if (table->GenTable()) {
            next = m_manager.FindSheetInd(table->GetCurrentSheet()) + 1;
            if (next <= i) next = i + 1;  // a current sheet that is no page: go on after this one
        }
        DropOverflowSheet(table);
        // The template's own continuation sheets behind the generated pages go; a table that failed or
        // had nothing to show takes its own sheet with them.
        RemoveTableSheets(table, next);
        i = next;
    }
}

void CReportGeneration::RemoveTableSheets(CReportElement* table, int from) {
    // Collected first: removing the table's own sheet takes its continuations off the later sheets.
    std::vector<CReportSheet*> doomed;
    for (int j = from; j < m_manager.GetSheetCount(); ++j) {
        CReportSheet* sheet = m_manager.GetSheet(j);
        if (sheet->GetElements().Find(table) >= 0 || HoldsContinuationOf(sheet, table)) doomed.push_back(sheet);
    }
    for (CReportSheet* sheet : doomed) {
        if (sheet == m_pContentsSheet) m_pContentsSheet = nullptr;
        RemoveReportSheet(m_manager, sheet);
    }
    // Page numbers, page references and the sheets' names keep telling the same.
    if (!doomed.empty()) m_manager.UpdateSheets();
}

void CReportGeneration::DropOverflowSheet(CReportElement* table) {
    const auto pair = m_Overflow.find(table);
    if (pair == m_Overflow.end()) return;
    if (m_manager.GetGenerationSheet() == pair->second) m_manager.SetGenerationSheet(nullptr);
    delete pair->second;
    m_Overflow.erase(pair);
}

void CReportGeneration::DropOverflowSheets() {
    for (auto& [table, overflow] : m_Overflow) {
        if (m_manager.GetGenerationSheet() == overflow) m_manager.SetGenerationSheet(nullptr);
        delete overflow;
    }
    m_Overflow.clear();
}

void CReportGeneration::FillContents() {
    // The pattern serves this step only and goes on every path, while the manager is still attached.
    const std::unique_ptr<CReportSheet> pattern = std::move(m_pContentsPattern);
    if (!m_pContentsSheet || m_manager.FindSheetInd(m_pContentsSheet) < 0) return;
    auto* contents = dynamic_cast<CTableContentElement*>(FirstOfKind(m_pContentsSheet, kElemTableContent));
    if (!contents) return;
    contents->SetContentSheet(pattern.get());
    const bool generated = contents->GenContent();
    contents->SetContentSheet(nullptr);
    if (generated) return;
    RemoveReportSheet(m_manager, m_pContentsSheet);
    m_pContentsSheet = nullptr;
    m_manager.UpdateSheets();
}
