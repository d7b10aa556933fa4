#include "report/generation/finished_sheets.h"

#include <algorithm>
#include <mutex>

#include "platform/zordata/zordata.h"
#include "report/generation/cell_records.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"
#include "report/model/store_instances.h"

namespace {

// The generations running now, by manager (one per manager; generation code reaches it through the
// manager it is given).
std::mutex g_lock;
std::vector<std::pair<const CFolivox*, CFinishedSheets*>> g_running;

}  // namespace

CFinishedSheets::CFinishedSheets(CFolivox& manager) : m_manager(manager) {
    const std::lock_guard<std::mutex> hold(g_lock);
    g_running.emplace_back(&manager, this);
}

CFinishedSheets::~CFinishedSheets() {
    const std::lock_guard<std::mutex> hold(g_lock);
    std::erase_if(g_running, [this](const auto& entry) { return entry.second == this; });
}

CFinishedSheets* CFinishedSheets::Of(const CFolivox* manager) {
    const std::lock_guard<std::mutex> hold(g_lock);
    for (auto it = g_running.rbegin(); it != g_running.rend(); ++it)
        if (it->first == manager) return it->second;
    return nullptr;
}

void CFinishedSheets::Finish(CReportSheet* sheet) {
    CzorStepDataWithFile* store = m_manager.GetStore();
    if (!store || !sheet || !sheet->IsLoaded() || m_Finished.count(sheet) || m_manager.FindSheetInd(sheet) < 0)
        return;
    const CTypedPtrArray<CReportElement>& elements = sheet->GetElements();
    int before = elements.GetSize();
    while (before > 0 && !elements.GetAt(before - 1)->GetInstance()) --before;
    if (before == elements.GetSize()) return;
    // Anything else made later at the front of the list would be written between the cells; a table goes
    // from its sheet at the end and would move the cells' place.
    for (int i = 0; i < before; ++i) {
        const CReportElement* e = elements.GetAt(i);
        if (!IsLive(e->GetInstance()) || e->GetKind() == kElemTable) return;
    }
    Finished& done = m_Finished[sheet];
    done.before = before;
    const CzorTAggr<CzorInstance>& all = store->GetInstances();
    const int from = all.GetSize();
    if (WriteCellRecords(sheet, before)) {
        sheet->DestroyElementsFrom(before);
        done.packed = true;
        done.createdFrom = from;
        done.createdTo = all.GetSize();
        return;
    }
    const zorPackMark mark = store->GetPackMark();
    for (int i = before; i < elements.GetSize(); ++i) {
        CReportElement* cell = elements.GetAt(i);
        cell->Update(true);
        if (cell->GetInstance()) done.cells.push_back(cell->GetInstance());
    }
    // The objects go first, so that none holds an instance the packing frees.
    sheet->DestroyElementsFrom(before);
    // One instance stands for the cells in the sheet's list; what they hold is read by nothing but the
    // file writer, which takes it as their text from the store's temporary file. Where that is refused
    // (a cell made something else too) the instances stay as they are.
    const CReportSchema& s = m_manager.Schema();
    done.packed = store->PackBatchSince(mark, done.cells, {s.e_zor_point, s.e_zor_value, s.e_zor_font}) != nullptr;
    if (done.packed) std::vector<CzorInstance*>().swap(done.cells);
    done.createdFrom = from;
    done.createdTo = all.GetSize();
}

bool CFinishedSheets::WriteCellRecords(CReportSheet* sheet, int before) {
    CzorStepDataWithFile* store = m_manager.GetStore();
    const CTypedPtrArray<CReportElement>& elements = sheet->GetElements();
    if (!m_pCells || &m_pCells->Store() != store) m_pCells = std::make_unique<CCellRecords>(m_manager);
    if (!m_pCells->Ready()) return false;
    for (int i = before; i < elements.GetSize(); ++i)
        if (!CCellRecords::Writes(*elements.GetAt(i))) return false;
    for (int i = before; i < elements.GetSize(); ++i) m_pCells->Add(*elements.GetAt(i));
    // Where the records cannot be kept the cells are written as instances after all.
    return m_pCells->Commit() != nullptr;
}

void CFinishedSheets::Forget(CReportSheet* sheet) {
    const auto it = m_Finished.find(sheet);
    if (it == m_Finished.end()) return;
    if (CzorStepDataWithFile* store = m_manager.GetStore()) {
        const CzorTAggr<CzorInstance>& all = store->GetInstances();
        for (int i = it->second.createdFrom; i < std::min(it->second.createdTo, all.GetSize()); ++i)
            DeleteStoreInstance(&m_manager, all.GetAt(i));
    }
    m_Finished.erase(it);
}

void CFinishedSheets::WriteSheets(CzorTAggr<CzorInstance>& sheets) {
    CzorStepDataWithFile* store = m_manager.GetStore();
    if (!store) return;
    const CReportSchema& s = m_manager.Schema();
    const CzorTAggr<CzorInstance>& all = store->GetInstances();
    std::vector<CzorInstance*> order;
    for (CReportSheet* sheet : m_manager.GetSheets()) {
        const auto it = m_Finished.find(sheet);
        if (it != m_Finished.end()) {
            // One live instance of a packed batch moves the whole batch: the others need no place here.
            bool batchNamed = false;
            for (int i = std::min(it->second.createdFrom, all.GetSize()); i < std::min(it->second.createdTo, all.GetSize());
                 ++i) {
                CzorInstance* inst = all.GetAt(i);
                if (inst->IsPacked() && !inst->IsDeleted()) {
                    if (batchNamed) continue;
                    batchNamed = true;
                }
                order.push_back(inst);
            }
        }
        const int from = all.GetSize();
        sheet->Update(true);
        order.insert(order.end(), all.begin() + from, all.end());
        if (sheet->GetInstance()) sheets.Add(sheet->GetInstance());
        if (it == m_Finished.end() || !sheet->GetInstance()) continue;
        CzorTAggr<CzorInstance> written;
        store->GetAttr(sheet->GetInstance(), s.zor_report_sheet_elems, written);
        const int before = std::min(it->second.before, written.GetSize());
        CzorTAggr<CzorInstance> elems;
        for (int i = 0; i < before; ++i) elems.Add(written.GetAt(i));
        if (it->second.packed) {
            for (int i = it->second.createdFrom; i < std::min(it->second.createdTo, all.GetSize()); ++i)
                elems.Add(all.GetAt(i));
        } else {
            for (CzorInstance* cell : it->second.cells) elems.Add(cell);
        }
        for (int i = before; i < written.GetSize(); ++i) elems.Add(written.GetAt(i));
        store->PutAttr(sheet->GetInstance(), s.zor_report_sheet_elems, elems);
    }
    m_Finished.clear();
    store->MoveToEnd(order);
}
