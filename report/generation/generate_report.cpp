// Report generation: the entry point with run-time values, and reading the template into the manager.
#include "report/generation/generate_report.h"

#include <fmt/printf.h>

#include <unordered_set>
#include <vector>

#include "platform/base/transport_ini.h"
#include "platform/ui/outcome.h"
#include "report/model/data_source.h"
#include "report/generation/generate_report_run.h"
#include "report/generation/generation_reasons.h"
#include "report/generation/generate_report_sheets.h"
#include "report/model/folivox.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/model/table_element.h"
#include "report/model/table_map_element.h"

// jemalloc's control entry, present when the program allocates through it (see huge_page_allocator.cpp).
extern "C" int mallctl(const char* name, void* oldp, size_t* oldlenp, void* newp, size_t newlen)
    __attribute__((weak));

namespace {

// Hands the pages a finished run freed back to the system at once. jemalloc would keep them for some
// seconds, and a batch that generates report after report would carry one run's memory into the next.
void ReturnFreedMemory() {
    if (mallctl) mallctl("arena.4096.purge", nullptr, nullptr, nullptr, 0);  // 4096: every arena
}

}  // namespace

zor::Outcome GenerateReportOutcome(CFolivox* manager, CRParamsArray* values, const char* templatePath,
                                   const char* reportPath, CzorStepData* netStore) {
    if (!manager || !values || !templatePath || !reportPath) return zor::Outcome::Failure({});
    if (!*reportPath) return zor::Outcome::Failure({"Не указан файл отчета!"});
    zor::Outcome outcome;
    {
        CReportGeneration run(*manager, netStore);
        outcome = run.Run(*values, templatePath, reportPath);
    }
    ReturnFreedMemory();
    return outcome;
}

bool GenerateReport(CFolivox* manager, CRParamsArray* values, const char* templatePath, const char* reportPath,
                    CzorStepData* netStore) {
    const zor::Outcome outcome = GenerateReportOutcome(manager, values, templatePath, reportPath, netStore);
    zor::ShowOutcome(outcome);
    return outcome.Ok();
}

CReportGeneration::CReportGeneration(CFolivox& manager, CzorStepData* netStore)
    : m_manager(manager), m_pNetStore(netStore) {}

CReportGeneration::~CReportGeneration() {
    DropOverflowSheets();
    m_pContentsPattern.reset();
    if (m_attached) m_manager.Detach();
}

zor::Outcome CReportGeneration::Run(const CRParamsArray& values, const std::string& templatePath,
                                    const std::string& reportPath) {
    zor::Outcome outcome;
    // What the steps tell on the way joins the outcome, before the reason that may end the run.
    const zor::ScopedNotes notes(outcome);
    outcome.Take(LoadTemplate(templatePath));
    if (!outcome) return outcome;
    ReadParams();
    if (!ReadHeaders()) {
        // The computed column that failed has told why: that is the reason, and the template the file.
        outcome.FailOnLastNote(templatePath);
        return outcome;
    }
    ReadSheets();
    if (m_manager.GetSheetCount() == 0) {
        outcome.Fail(zor::FileReason("Ошибка. Шаблон не содержит ниодной страницы.", {}, templatePath));
        return outcome;
    }
    PrepareOverflowSheets();
    FillTables();
    DropOverflowSheets();
    m_nMode = 1;  // the file is a report from now on
    m_manager.Update(true);
    FillContents();
    m_manager.Update(true);
    m_nSavedSheets = m_manager.GetSheetCount();
    ApplyValues(values);
    FixPageFields();
    TablesToFrames();
    // The header columns go last: until the tables are gone their sections point at them.
    m_manager.GetResultSelectHeader()->Delete(&m_manager);
    m_manager.GetSelectHeader()->Delete(&m_manager);
    WriteBack();
    outcome.Take(Save(reportPath));
    m_manager.Detach();
    m_attached = false;
    return outcome;
}

zor::Outcome CReportGeneration::LoadTemplate(const std::string& templatePath) {
    m_dictDir = zor::DictionaryDir();
    const std::string dictionary = m_dictDir + "quillmark";
    if (!m_store.LoadDictionary(dictionary.c_str()))
        return zor::Outcome::Failure(DictionaryFailure(m_dictDir));
    m_manager.Attach(&m_store, m_dictDir.c_str());
    m_attached = true;
    m_store.SetErrorMessageMode(false);
    // A template that may only be read is generated all the same: the report goes to another file.
    if (!m_store.LoadFromFile(templatePath.c_str(), false) && m_store.GetLastError() != zorErrReadOnly) {
        const int code = m_store.GetLastError();
        return zor::Outcome::Failure(LoadFailure(templatePath, code, CzorStepData::GetErrorDescription(code)));
    }
    const CReportSchema& s = m_manager.Schema();
    m_pRoot = FirstOfExtent(m_store, s.e_zor_report);
    if (!m_pRoot) return zor::Outcome::Failure(zor::FileReason("Не корректный шаблон.", {}, templatePath));
    m_store.GetAttr(m_pRoot, s.zor_report_fit_to_page, m_nFitToPage);
    m_store.GetAttr(m_pRoot, s.zor_report_mode, m_nMode);
    m_manager.GetPoint(m_pRoot, s.zor_report_page_size, m_PageSize);
    m_store.GetAttr(m_pRoot, s.zor_report_page_orient, m_nPageOrient);
    return {};
}

void CReportGeneration::ReadParams() { ReadReportParams(m_manager); }

bool CReportGeneration::ReadHeaders() {
    ReadReportHeaders(m_manager, m_pSelect, m_pResultSelect);
    // The computed columns join the data source; a failure has shown its own message.
    return m_manager.GetDataSource().Extend(m_manager.GetResultSelectHeader(), m_pNetStore);
}

void CReportGeneration::ReadSheets() {
    ReadReportSheets(m_manager, m_pRoot);
    BindReportContinuations(m_manager);
}

// --- Reading a stored template or report into the manager --------------------------------------------------

void ReadReportParams(CFolivox& manager) {
    CzorStepDataWithFile* store = manager.GetStore();
    if (!store) return;
    CzorTAggr<CzorInstance> params;
    store->GetEntityExtent(manager.Schema().e_zor_report_param, params);
    for (CzorInstance* instance : params) {
        if (!instance) continue;
        auto* param = new CReportParam(&manager);
        param->SetInstance(instance);
        param->Update(false);
        manager.GetParams().Add(param);
    }
}

void ReadReportHeaders(CFolivox& manager, CzorInstance*& select, CzorInstance*& resultSelect) {
    CzorStepDataWithFile* store = manager.GetStore();
    select = resultSelect = nullptr;
    if (!store) return;
    const CReportSchema& s = manager.Schema();
    select = FirstOfExtent(*store, s.e_zor_select);
    resultSelect = FirstOfExtent(*store, s.e_zor_result_select);
    const struct {
        CzorInstance* record;
        CzorAttr* column;
        CHeader* header;
    } headers[] = {{resultSelect, s.zor_result_select_column, manager.GetResultSelectHeader()},
                   {select, s.zor_select_column, manager.GetSelectHeader()}};
    for (const auto& h : headers) {
        if (h.record) {
            CzorTAggr<CzorInstance> columns;
            store->GetAttr(h.record, h.column, columns);
            for (CzorInstance* instance : columns) {
                if (!instance) continue;
                auto* column = new CHeaderColumn;
                column->m_pInstance = instance;
                h.header->AddColumn(column);
            }
        }
        h.header->Update(&manager, false);
    }
}

void ReadReportSheets(CFolivox& manager, CzorInstance* root, const std::function<void(int, int)>& step) {
    CzorStepDataWithFile* store = manager.GetStore();
    if (!store || !root) return;
    const CReportSchema& s = manager.Schema();
    CzorTAggr<CzorInstance> sheets;
    store->GetAttr(root, s.zor_report_sheets, sheets);
    // A sheet listed twice is one page: two sheet objects on one instance would overwrite each other.
    CzorTAggr<CzorInstance> seen(sheets.GetSize() + 8, true, false);
    // So is an element listed on two sheets: it stays on the first.
    std::unordered_set<const CzorInstance*> placed;
    const int count = sheets.GetSize();
    int index = 0;
    for (CzorInstance* instance : sheets) {
        if (step) step(index, count);
        ++index;
        if (!instance || !store->IsKindOf(instance, s.e_zor_report_sheet) || !seen.Add(instance)) continue;
        auto* sheet = new CReportSheet(&manager);
        sheet->SetInstance(instance);
        manager.AddSheet(sheet);
        sheet->SetName(fmt::sprintf("Лист%d", manager.GetSheetCount()));
        sheet->LoadElementsFromFile();
        const std::vector<CReportElement*> elements(sheet->GetElements().begin(), sheet->GetElements().end());
        for (CReportElement* element : elements)
            if (!placed.insert(element->GetInstance()).second) sheet->Remove(element);
        sheet->Update(false);
    }
}

void BindReportContinuations(CFolivox& manager) {
    CzorStepDataWithFile* store = manager.GetStore();
    // Continuations read before their table are bound now; one whose table is not in the report leaves
    // its sheet, its own instance included.
    CTypedPtrArray<CReportElement>& pending = manager.GetPendingContinuations();
    const std::vector<CReportElement*> waiting(pending.begin(), pending.end());
    pending.RemoveAll();
    for (CReportElement* element : waiting) {
        auto* continuation = dynamic_cast<CTableMapElement*>(element);
        if (!continuation) continue;
        CzorInstance* src = nullptr;
        if (store && continuation->GetInstance())
            store->GetAttr(continuation->GetInstance(), manager.Schema().zor_report_map_src, src);
        if (auto* table = dynamic_cast<CTableElement*>(manager.FindTable(src)))
            continuation->SetTable(table);
        else
            DiscardElement(continuation);
    }
}
