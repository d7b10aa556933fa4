#pragma once
// What the tests' template builders, writers and readers share: a new page, the parameters, the sheets
// and a select header written to the store and listed, the report root, and parameters and sheets read
// back the way the program opens a document. Header-only, so that tools and benchmarks without the test
// framework use it too.
#include "platform/zordata/zordata.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/model/store_instances.h"

namespace model_test {

// A new A4 sheet listed by manager and loaded (so that its elements are kept and written).
inline CReportSheet* AddPage(CFolivox& manager) {
    auto* sheet = new CReportSheet(&manager);
    sheet->SetSize(CSize(2100, 2970));
    manager.AddSheet(sheet);
    manager.UpdateSheets();
    sheet->LoadElementsFromFile();
    return sheet;
}

// Writes each parameter of manager to the store; their instances in order.
inline CzorTAggr<CzorInstance> WriteParams(CFolivox& manager) {
    CzorTAggr<CzorInstance> params;
    WriteEach(manager.GetParams(), params);
    return params;
}

// Writes each sheet of manager to the store; their instances in order.
inline CzorTAggr<CzorInstance> WriteSheets(CFolivox& manager) {
    CzorTAggr<CzorInstance> sheets;
    WriteEach(manager.GetSheets(), sheets);
    return sheets;
}

// Writes header's columns and lists them under attr in the first record of entity, made when there is none.
inline void WriteHeader(CFolivox& manager, CHeader* header, CzorEntity* entity, CzorAttr* attr) {
    CzorStepDataWithFile& store = *manager.GetStore();
    header->Update(&manager, true);
    CzorInstance* record = FirstOfExtent(store, entity);
    if (!record) record = store.CreateInstance(entity, false, true);
    CzorTAggr<CzorInstance> columns;
    header->GetExtent(columns);
    store.PutAttr(record, attr, columns);
}

// The store's report root: the first, or a new one.
inline CzorInstance* ReportRoot(CFolivox& manager) {
    CzorStepDataWithFile& store = *manager.GetStore();
    CzorInstance* root = FirstOfExtent(store, manager.Schema().e_zor_report);
    return root ? root : store.CreateInstance(manager.Schema().e_zor_report, false, true);
}

// A parameter of manager for each instance, read from it.
inline void ReadParams(CFolivox& manager, const CzorTAggr<CzorInstance>& instances) {
    for (CzorInstance* instance : instances) {
        auto* p = new CReportParam(&manager);
        p->SetInstance(instance);
        p->Update(false);
        manager.GetParams().Add(p);
    }
}

// A sheet of manager for each instance, read from it; then, all sheets made, their elements are loaded.
inline void ReadSheets(CFolivox& manager, const CzorTAggr<CzorInstance>& instances) {
    for (CzorInstance* instance : instances) {
        auto* sheet = new CReportSheet(&manager);
        sheet->SetInstance(instance);
        manager.AddSheet(sheet);
        sheet->Update(false);
    }
    manager.UpdateSheets();
    for (CReportSheet* sheet : manager.GetSheets()) sheet->LoadElementsFromFile();
}

}  // namespace model_test
