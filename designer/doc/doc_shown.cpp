// What the document tells its observers about the sheets shown: the navigator made again, sheets shown and
// reordered, the views redrawn; and the few questions it asks of the windows.
#include <algorithm>

#include "designer/doc/quillmark_doc.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/model/table_content.h"

namespace quillmark {

bool CQuillmarkDoc::HasViews() const {
    return std::any_of(m_observers.begin(), m_observers.end(), [](IDocObserver* o) { return o->HasViews(); });
}

CReportSheet* CQuillmarkDoc::ActiveSheet() const {
    for (IDocObserver* observer : m_observers)
        if (CReportSheet* sheet = observer->ActiveSheet()) return sheet;
    return nullptr;
}

void CQuillmarkDoc::UpdateAllViews() {
    Notify([](IDocObserver& o) { o.Changed(); });
}

void CQuillmarkDoc::ShowSheet(CReportSheet* sheet) {
    const bool shown =
        std::any_of(m_observers.begin(), m_observers.end(), [](IDocObserver* o) { return o->ShowsSheets(); });
    if (!sheet || !shown || m_destroying) return;
    // The navigator and the page pane follow the sheet shown.
    Notify([sheet](IDocObserver& o) { o.SheetShown(sheet); });
    ShowPageText();
}

void CQuillmarkDoc::RebuildNavigator(bool refreshOnly) {
    if (refreshOnly) {
        Notify([](IDocObserver& o) { o.LabelsChanged(); });
        Notify([](IDocObserver& o) { o.OrderChanged(); });
        return;
    }
    if (m_mode == kDocView && BuildContentsNavigator()) return;
    Notify([](IDocObserver& o) { o.ItemsCleared(); });
    Notify([](IDocObserver& o) { o.SheetsReset(); });
    const std::vector<CReportSheet*> sheets(m_manager.GetSheets().begin(), m_manager.GetSheets().end());
    Notify([&sheets](IDocObserver& o) { o.SheetsListed(sheets); });
    Notify([](IDocObserver& o) { o.OrderChanged(); });
    Notify([&sheets](IDocObserver& o) { o.SheetsBound(sheets); });
    if (m_batch.mode == 0 && m_mode == kDocEdit) {
        std::vector<CReportParam*> params;
        for (CReportParam* param : m_manager.GetParams())
            if (param->GetType() < kParamPageNumber) params.push_back(param);
        Notify([&params](IDocObserver& o) { o.ParamsListed(params); });
    }
    Notify([](IDocObserver& o) { o.OrderChanged(); });
    UpdateAllViews();
}

bool CQuillmarkDoc::BuildContentsNavigator() {
    Notify([](IDocObserver& o) { o.ItemsCleared(); });
    Notify([](IDocObserver& o) { o.SheetsReset(); });
    if (m_manager.GetTableContents().IsEmpty()) return false;
    // The windows show the first sheet of each top-level entry.
    std::vector<CReportSheet*> sheets;
    for (CTableContent* node : m_manager.GetTableContents()) {
        if (!node || node->GetSheets().IsEmpty()) continue;
        if (CReportSheet* sheet = node->GetSheets().GetAt(0)) sheets.push_back(sheet);
    }
    Notify([](IDocObserver& o) { o.ContentsListed(); });
    Notify([](IDocObserver& o) { o.OrderChanged(); });
    Notify([&sheets](IDocObserver& o) { o.SheetsBound(sheets); });
    return true;
}

bool CQuillmarkDoc::MoveSheet(CReportSheet* moving, CReportSheet* target) {
    const int from = SheetIndex(moving);
    const int to = SheetIndex(target);
    if (from < 0 || to < 0 || from == to) return false;
    CTypedPtrArray<CReportSheet>& sheets = m_manager.GetSheets();
    sheets.RemoveAt(from);
    sheets.InsertAt(to, moving);
    m_manager.UpdateSheets();
    m_changed = 1;
    RebuildNavigator(true);
    return true;
}

}  // namespace quillmark
