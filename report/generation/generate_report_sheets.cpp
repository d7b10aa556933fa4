#include "report/generation/generate_report_sheets.h"

#include <vector>

#include "platform/zordata/zordata.h"
#include "report/generation/finished_sheets.h"
#include "report/model/folivox.h"
#include "report/model/page_reference_element.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"
#include "report/model/store_instances.h"
#include "report/model/table_content.h"

namespace {

// The continuations of table on the manager's sheets (sheets whose elements are not in memory are
// loaded, so that none is missed).
std::vector<CReportElement*> ContinuationsOf(CFolivox& manager, const CReportElement* table) {
    std::vector<CReportElement*> found;
    for (CReportSheet* sheet : manager.GetSheets()) {
        sheet->LoadElementsFromFile();
        for (CReportElement* e : sheet->GetElements())
            if (e->GetKind() == kElemTableMap && e->ContinuedTable() == table) found.push_back(e);
    }
    return found;
}

}  // namespace

void DiscardElement(CReportElement* element) {
    if (!element) return;
    CFolivox* manager = element->GetManager();
    // A table's continuations would otherwise go with it through the sheet, but keep their own instances.
    if (element->GetKind() == kElemTable && manager)
        for (CReportElement* continuation : ContinuationsOf(*manager, element)) DiscardElement(continuation);
    CzorInstance* own = element->GetInstance();
    CReportSheet* sheet = element->GetSheet();
    if (sheet && sheet->GetElements().Find(element) >= 0) {
        sheet->DeleteElement(element, false);
    } else {
        // On no sheet: the element is deleted here, leaving the manager's lists first.
        element->Delete();
        if (manager) manager->ForgetElement(element);
        delete element;
    }
    DeleteStoreInstance(manager, own);
}

void RemoveReportSheet(CFolivox& manager, CReportSheet* sheet) {
    if (!sheet) return;
    if (CFinishedSheets* finished = CFinishedSheets::Of(&manager)) finished->Forget(sheet);
    CzorStepDataWithFile* store = manager.GetStore();
    // Elements that are only stored would stay in the store with nothing reaching them.
    sheet->LoadElementsFromFile();
    while (sheet->GetElementCount() > 0) DiscardElement(sheet->GetElement(0));
    if (store && IsLive(sheet->GetInstance())) {
        CzorInstance* size = nullptr;
        if (store->GetAttr(sheet->GetInstance(), manager.Schema().zor_report_sheet_element_size, size))
            DeleteStoreInstance(&manager, size);
        DeleteStoreInstance(&manager, sheet->GetInstance());
    }
    sheet->SetInstance(nullptr);
    for (CTableContent* root : manager.GetTableContents()) root->ForgetSheet(sheet);
    for (CReportSheet* other : manager.GetSheets()) {
        if (other == sheet) continue;
        for (CReportElement* e : other->GetElements()) {
            auto* reference = e->GetKind() == kElemPageReference ? dynamic_cast<CPageReferenceElement*>(e) : nullptr;
            if (reference && reference->GetTarget() == sheet) reference->SetTarget(nullptr);
        }
    }
    manager.TakeSheet(sheet);
    if (manager.GetGenerationSheet() == sheet) manager.SetGenerationSheet(nullptr);
    delete sheet;
}

CReportElement* ReplaceByFrame(CReportElement* element, bool append) {
    if (!element) return nullptr;
    CReportSheet* sheet = element->GetSheet();
    const int index = sheet ? sheet->GetElements().Find(element) : -1;
    if (index < 0) {
        DiscardElement(element);
        return nullptr;
    }
    auto* frame = new CReportElement(element->GetManager());
    frame->SetKind(kElemRect);
    frame->SetOrigin(element->GetOrigin());
    frame->SetSize(element->GetSize());
    frame->SetLineWidth(element->GetLineWidth());
    frame->SetFixed(element->GetFixed());
    frame->SetSheet(sheet);
    frame->Update(true);
    DiscardElement(element);
    if (append)
        sheet->Add(frame);
    else
        sheet->Insert(index, frame);
    return frame;
}
