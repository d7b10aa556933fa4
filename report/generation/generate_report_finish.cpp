// Report generation: run-time values, page fields fixed as text, tables and continuations turned into
// frames, the report root written back and the report saved.
#include <fmt/printf.h>
#include <unistd.h>

#include <filesystem>

#include "platform/base/file_io.h"
#include "report/model/data_source.h"
#include "report/generation/generate_report.h"
#include "report/generation/generate_report_run.h"
#include "report/generation/generate_report_sheets.h"
#include "report/generation/generation_reasons.h"
#include "report/model/report_param.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"
#include "report/model/store_instances.h"

void CReportGeneration::ApplyValues(const CRParamsArray& values) {
    CParamArray& params = m_manager.GetParams();
    for (int i = 0; i < values.GetSize(); ++i) {
        const CzorRParam* value = values.GetAt(i);
        if (CReportParam* param = params.GetAt(params.Find(value->name))) param->SetParam(value->value, kParamText);
    }
    for (CReportParam* param : params) param->Update(true);
}

void CReportGeneration::FixPageFields() {
    const int count = m_manager.GetSheetCount();
    const std::string date = GenerationDateText();
    const CReportSchema& s = m_manager.Schema();
    for (int i = 0; i < count; ++i) {
        CReportSheet* sheet = m_manager.GetSheet(i);
        for (int k = 0; k < sheet->GetElementCount(); ++k) {
            CReportElement* e = sheet->GetElement(k);
            if (e->GetKind() == kElemTableMap) {
                ReplaceByFrame(e, false);
                continue;
            }
            CTextValue& text = e->GetTextValue();
            const CReportParam* param = e->GetKind() == kElemRect ? text.GetParam() : nullptr;
            if (!param) continue;
            switch (param->GetType()) {
            case kParamLocalPageNumber: text.SetText(fmt::sprintf("%d", i + 1)); break;
            case kParamLocalPageCount: text.SetText(fmt::sprintf("%d", count)); break;
            case kParamReportDate: text.SetText(date); break;
            default: continue;  // page fields across merged reports stay linked
            }
            // The text is its own now: the stored link to the parameter really goes.
            if (text.GetInstance()) m_store.ClearAttr(text.GetInstance(), s.zor_value_inst);
        }
    }
}

void CReportGeneration::TablesToFrames() {
    CTypedPtrArray<CReportElement>& tables = m_manager.GetTables();
    while (!tables.IsEmpty()) {
        CReportElement* table = tables.GetAt(0);
        ReplaceByFrame(table, true);
        tables.Remove(table);  // never the same table twice, whatever its sheet held
    }
}

void CReportGeneration::WriteBack() {
    const CReportSchema& s = m_manager.Schema();
    CzorTAggr<CzorInstance> sheets(m_manager.GetSheetCount() + 8, true, false);
    m_Finished.WriteSheets(sheets);
    m_store.PutAttr(m_pRoot, s.zor_report_sheets, sheets);
    m_store.PutAttr(m_pRoot, s.zor_report_fit_to_page, m_nFitToPage);
    m_store.PutAttr(m_pRoot, s.zor_report_mode, m_nMode);
    m_manager.PutPoint(m_pRoot, s.zor_report_page_size, m_PageSize);
    m_store.PutAttr(m_pRoot, s.zor_report_page_orient, m_nPageOrient);
    CzorTAggr<CzorInstance> columns;
    if (m_pResultSelect) {
        m_manager.GetResultSelectHeader()->GetExtent(columns);
        m_store.PutAttr(m_pResultSelect, s.zor_result_select_column, columns);
    }
    if (m_pSelect) {
        m_manager.GetSelectHeader()->GetExtent(columns);
        m_store.PutAttr(m_pSelect, s.zor_select_column, columns);
    }
}

zor::Outcome CReportGeneration::Save(const std::string& reportPath) {
    bool saved;
    std::string reason;
    if (m_nSavedSheets < 1) {
        // No page is left: the report is an empty file, written as atomically as any report, and a file
        // that may not be written is refused as the store refuses it.
        std::error_code ec;
        const bool exists = std::filesystem::exists(reportPath, ec);
        if (exists && ::access(reportPath.c_str(), W_OK) != 0) {
            saved = false;
            reason = CzorStepData::GetErrorDescription(zorErrReadOnly);
        } else {
            saved = zor::WriteFileAtomically(reportPath, "", &reason);
        }
    } else {
        saved = m_store.SaveToFile(reportPath.c_str(), false);
        if (!saved) reason = m_store.GetLastErrorDescription();
    }
    // The user (often a script's log) learns which file and why, not only that the save failed.
    if (!saved) return zor::Outcome::Failure(SaveFailure(reportPath, reason));
    return {};
}
