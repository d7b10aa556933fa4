#include "report/model/store_instances.h"
#include "report/model/table_map_element.h"

#include <cstdlib>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/report_sheet.h"
#include "report/model/table_element.h"

namespace {


// The table the manager caches as instance, or null.
CTableElement* CachedTable(CFolivox* manager, CzorInstance* instance) {
    return manager ? dynamic_cast<CTableElement*>(manager->FindTable(IsLive(instance) ? instance : nullptr)) : nullptr;
}

}  // namespace

CTableMapElement::CTableMapElement(CFolivox* manager) : CReportElement(manager) {
    m_nKind = kElemTableMap;
    m_Name = "Продолжение таблицы";
}

CTableMapElement::~CTableMapElement() {
    if (m_pManager) m_pManager->ForgetElement(this);
}

CTableElement* CTableMapElement::GetTable() const {
    // A table that has left the cache has been deleted or is about to be: never follow it.
    if (!m_pTable || (m_pManager && m_pManager->GetTables().Find(m_pTable) < 0)) return nullptr;
    return m_pTable;
}

CReportElement* CTableMapElement::ContinuedTable() const { return GetTable(); }

void CTableMapElement::SetPending(bool pending) {
    if (!m_pManager) return;
    CTypedPtrArray<CReportElement>& list = m_pManager->GetPendingContinuations();
    if (!pending)
        list.Remove(this);
    else if (list.Find(this) < 0)
        list.Add(this);
}

void CTableMapElement::SetTable(CTableElement* table) {
    m_pTable = table;
    if (table) SetPending(false);
}

bool CTableMapElement::SelectTable(CTableElement* chosen) {
    if (!chosen) return false;
    SetTable(chosen);
    m_Name = "Продолжение таблицы " + chosen->GetName();
    return true;
}

int CTableMapElement::Draw(CDC* dc, double zoom, int reportMode, unsigned flags) {
    if (!dc || zoom == 0) return 0;
    {
        CTableFrameDrawing frame(*this, dc, zoom, reportMode);
        if (reportMode == 0) {
            // The mark of a continuation: a box with a caret at the lower right corner on the page.
            const CRect& r = frame.Rect();
            const CRect box(r.right - CTableFrameDrawing::BoxExtent(r.Width(), zoom), r.top, r.right,
                            r.top + CTableFrameDrawing::BoxExtent(r.Height(), zoom));
            dc->Rectangle(box);
            LOGFONT lf;
            // A glyph whose em is as tall as the box (font heights are in tenths of a point).
            lf.lfHeight = ZoomTrunc(std::abs(box.Height()) * 720.0 / 254.0);
            lf.lfCharSet = DEFAULT_CHARSET;
            CFont font;
            font.CreatePointFontIndirect(&lf, dc);
            CFont* oldFont = dc->SelectObject(&font);
            const int oldMode = dc->SetBkMode(TRANSPARENT);
            const CSize text = dc->GetTextExtent("^");
            const int x = box.left + (box.right - text.cx - box.left) / 2;
            const int y = box.bottom - (box.bottom - text.cy / 4 * 3 - box.top) / 2;
            dc->TextOut(x, y, "^");
            dc->SetBkMode(oldMode);
            if (oldFont) dc->SelectObject(oldFont);
        }
    }
    if (m_nSelected && !dc->IsPrinting() && flags) DrawSelPoints(dc, zoom);
    return 1;
}

CReportElement* CTableMapElement::CreateClon() {
    auto* clone = new CTableMapElement(m_pManager);
    CopyBaseTo(*clone);
    clone->m_pTable = m_pTable;
    return clone;
}

void CTableMapElement::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    if (write) {
        CTableElement* table = GetTable();
        if (table) table->Update(true);
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_report_map);
        // With no table bound the stored reference stays as it is.
        if (table && table->GetInstance()) store->PutAttr(m_pInstance, s.zor_report_map_src, table->GetInstance());
        CReportElement::Update(true);
        return;
    }
    if (!m_pInstance) return;
    CzorInstance* src = nullptr;
    store->GetAttr(m_pInstance, s.zor_report_map_src, src);
    m_pTable = CachedTable(m_pManager, src);
    SetPending(m_pTable == nullptr);
    CReportElement::Update(false);
}

void CTableMapElement::BindPending(CFolivox* manager) {
    if (!manager) return;
    CTypedPtrArray<CReportElement>& pending = manager->GetPendingContinuations();
    const std::vector<CReportElement*> waiting(pending.begin(), pending.end());
    for (CReportElement* element : waiting) {
        // Deleting one continuation never frees another, but check each is still listed all the same.
        if (pending.Find(element) < 0) continue;
        auto* map = dynamic_cast<CTableMapElement*>(element);
        if (!map) continue;
        CzorInstance* src = nullptr;
        if (map->m_pInstance && manager->GetStore())
            manager->GetStore()->GetAttr(map->m_pInstance, manager->Schema().zor_report_map_src, src);
        if (CTableElement* table = CachedTable(manager, src)) {
            map->m_pTable = table;
            continue;
        }
        CReportSheet* sheet = map->GetSheet();
        if (sheet && sheet->GetElements().Find(map) >= 0) sheet->DeleteElement(map, false);
    }
    pending.RemoveAll();
}
