#include "report/model/report_sheet.h"

#include <algorithm>
#include <utility>

#include "platform/gdi/dc.h"
#include "platform/settings/default_settings.h"
#include "platform/ui/outcome.h"
#include "platform/zordata/zordata.h"
#include "report/model/element_factory.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/store_instances.h"

CReportSheet::CReportSheet(CFolivox* manager) : m_pManager(manager) {}

CReportSheet::~CReportSheet() {
    if (m_bTemporary) DeleteStoreInstances();
    m_Selection.RemoveAll();
    for (CReportElement* element : m_Elements) {
        if (m_pManager) m_pManager->ForgetElement(element);
        delete element;
    }
    m_Elements.RemoveAll();
}

void CReportSheet::DeleteStoreInstances() {
    // Only a sheet that is really out of the page list: one that became a page keeps its instances.
    if (!m_pManager || !m_pManager->GetStore() || !m_pInstance || m_pManager->FindSheetInd(this) >= 0) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    LoadElementsFromFile();
    for (CReportElement* element : m_Elements) {
        if (element->GetKind() == kElemTable) continue;  // tables are the template's
        element->Delete();
        if (element->GetInstance()) store->DeleteInstance(element->GetInstance(), true, false);
    }
    CzorInstance* size = nullptr;
    if (store->GetAttr(m_pInstance, s.zor_report_sheet_element_size, size) && size)
        store->DeleteInstance(size, true, false);
    store->DeleteInstance(m_pInstance, true, false);
    m_pInstance = nullptr;
}

// --- Geometry -----------------------------------------------------------------------------------------------

CRect CReportSheet::GetRect(double zoom) const {
    CRect r;
    r.left = static_cast<int>(zoom * m_x);
    r.top = static_cast<int>(zoom * m_y);
    r.right = r.left + static_cast<int>(zoom * m_cx);
    r.bottom = r.top + static_cast<int>(zoom * m_cy);
    return r;
}

void CReportSheet::SetRect(const CRect& r) {
    m_x = r.left;
    m_y = r.top;
    m_cx = r.right - r.left;
    m_cy = r.bottom - r.top;
}

CPoint CReportSheet::SetOrgPt(CPoint point) {
    const CPoint previous(m_x, m_y);
    m_x = point.x;
    m_y = point.y;
    return previous;
}

int CReportSheet::Draw(CDC* dc, double zoom) {
    if (!dc) return 0;
    const CRect r = GetRect(zoom);
    CBrush brush(dc->GetSysColor(COLOR_WINDOW));
    CPen pen(PS_SOLID | PS_GEOMETRIC, 1, dc->GetSysColor(COLOR_WINDOWTEXT));
    CPen* oldPen = dc->SelectObject(&pen);
    CBrush* oldBrush = dc->SelectObject(&brush);
    dc->Rectangle(r);
    if (oldBrush) dc->SelectObject(oldBrush);
    if (oldPen) dc->SelectObject(oldPen);
    return 1;
}

// --- Elements ----------------------------------------------------------------------------------------------

int CReportSheet::Add(CReportElement* element) { return Insert(-1, element); }

int CReportSheet::Insert(int index, CReportElement* element) {
    if (!element) return -1;
    const int held = m_Elements.Find(element);
    if (held >= 0) return held;
    return Take(index, element);
}

int CReportSheet::AddNew(CReportElement* element) { return element ? Take(-1, element) : -1; }

int CReportSheet::Take(int index, CReportElement* element) {
    element->SetSheet(this);
    if (element->GetKind() == kElemTable && m_pManager && m_pManager->GetTables().Find(element) < 0)
        m_pManager->GetTables().Add(element);
    if (index < 0 || index >= m_Elements.GetSize()) return m_Elements.Add(element);
    m_Elements.InsertAt(index, element);
    return index;
}

void CReportSheet::Remove(CReportElement* element) {
    if (m_Elements.Find(element) >= 0) DestroyElement(element);
}

CReportElement* CReportSheet::CreateReportElem(CPoint origin, CSize size, int kind) {
    CReportElement* element = NewReportElement(kind, m_pManager);
    if (!element) return nullptr;
    element->SetOrigin(origin);
    element->SetSize(size);
    element->SetSheet(this);
    return element;
}

int CReportSheet::FindElement(const CTypedPtrArray<CReportElement>* list, const CReportElement* element) {
    if (!list || !element) return -1;
    return list->Find(element);
}

void CReportSheet::DestroyElementsFrom(int index) {
    if (index < 0) index = 0;
    const int before = m_Elements.GetSize();
    while (m_Elements.GetSize() > index) {
        CReportElement* element = m_Elements.GetAt(m_Elements.GetSize() - 1);
        m_Elements.RemoveAt(m_Elements.GetSize() - 1);
        if (m_Selection.Remove(element)) element->SetSelected(0);
        if (m_pManager) m_pManager->ForgetElement(element);
        delete element;
    }
    // A generated page keeps its few elements once its cells are gone: the room the cells' list took goes
    // back to the next page instead of staying with each page of a long report.
    if (before - m_Elements.GetSize() >= 64) {
        CTypedPtrArray<CReportElement> kept;
        kept.Append(m_Elements);
        std::swap(m_Elements, kept);
    }
}

void CReportSheet::DestroyElement(CReportElement* element) {
    if (m_Selection.Remove(element)) element->SetSelected(0);
    m_Elements.Remove(element);
    if (m_pManager) m_pManager->ForgetElement(element);
    delete element;
}

// --- Selection ---------------------------------------------------------------------------------------------

int CReportSheet::Select(CReportElement* element, int mode) {
    if (!element) return -1;
    const int index = m_Selection.Find(element);
    int result;
    switch (mode) {
    case 1:
        if (index >= 0) return element->GetSelected();
        m_Selection.Add(element);
        result = 1;
        break;
    case 2:
        if (index >= 0) {
            m_Selection.RemoveAt(index);
            result = 0;
        } else {
            m_Selection.Add(element);
            result = 1;
        }
        break;
    case 0:
        if (index >= 0) m_Selection.RemoveAt(index);
        result = 0;
        break;
    default:
        if (index < 0) m_Selection.Add(element);
        result = mode;
        break;
    }
    element->SetSelected(result);
    return result;
}

bool CReportSheet::UnselectAll() {
    const bool any = !m_Selection.IsEmpty();
    for (CReportElement* element : m_Selection) element->SetSelected(0);
    m_Selection.RemoveAll();
    return any;
}

void CReportSheet::TestElem(CPoint point, std::vector<CReportElement*>& hits, double zoom) const {
    int hint = 0;
    for (CReportElement* element : m_Elements)
        if (element->GetDragMode(point, hint, zoom) != kDragNone) hits.insert(hits.begin(), element);
}

int CReportSheet::SelectByFrame(CPoint point, CSize size, double zoom) {
    CRect frame(point, point + size);
    frame.NormalizeRect();
    bool any = false;
    for (CReportElement* element : m_Elements) {
        CRect r;
        element->GetRect(r, zoom, 0);
        r.NormalizeRect();
        r.InflateRect(1, 1);
        if (r.left >= frame.left && r.right <= frame.right && r.top >= frame.top && r.bottom <= frame.bottom) {
            Select(element, 1);
            any = true;
        }
    }
    return any ? 1 : 0;
}

CReportElement* CReportSheet::TestMoveRect(const CReportElement* moving, const CRect& r, CPoint& shift,
                                           unsigned& side, double zoom) const {
    const int h = 10 * zor::DefaultStickSize();
    shift = CPoint(0, 0);
    const CPoint leftTop(r.left, r.top), rightTop(r.right, r.top);
    const CPoint leftBottom(r.left, r.bottom), rightBottom(r.right, r.bottom);
    for (CReportElement* element : m_Elements) {
        if (element == moving) continue;
        CRect e;
        element->GetRect(e, zoom, 0);
        e.NormalizeRect();
        // In this order: the first test that holds decides. Each names the band, the two corners of the
        // moving rectangle that may fall into it, the side reported and the shift.
        const struct {
            CRect band;
            CPoint a, b;
            unsigned side;
            CPoint shift;
        } tests[] = {
            {element->GetBottomRect(h, zoom), leftTop, rightTop, kSnapBottom, CPoint(0, r.top - e.bottom)},
            {element->GetTopRect(h, zoom), leftBottom, rightBottom, kSnapTop, CPoint(0, r.bottom - e.top)},
            {element->GetLeftRect(h, zoom), rightTop, rightBottom, kSnapLeft, CPoint(r.right - e.left, 0)},
            {element->GetRightRect(h, zoom), leftTop, leftBottom, kSnapRight, CPoint(r.left - e.right, 0)},
        };
        for (const auto& t : tests) {
            if (t.band.PtInRect(t.a) || t.band.PtInRect(t.b)) {
                side = t.side;
                shift = t.shift;
                return element;
            }
        }
    }
    return nullptr;
}

void CReportSheet::DeleteElement(CReportElement* element, bool ask) {
    zor::BoxConfirm box;
    DeleteElement(element, ask ? &box : nullptr);
}

void CReportSheet::DeleteElement(CReportElement* element, zor::IConfirm* confirm) {
    if (!element) return;
    if (confirm && !confirm->Confirm("Вы действительно желаете удалить выделенный элемент?")) return;
    if (element->GetKind() == kElemTable && m_pManager) {
        // Its continuations go with it: find them on every sheet, loading the ones not loaded.
        std::vector<CReportSheet*> loadedHere;
        std::vector<std::pair<CReportSheet*, CReportElement*>> continuations;
        for (CReportSheet* sheet : m_pManager->GetSheets()) {
            if (!sheet->IsLoaded()) {
                sheet->LoadElementsFromFile();
                loadedHere.push_back(sheet);
            }
            for (CReportElement* e : sheet->GetElements())
                if (e->GetKind() == kElemTableMap && e->ContinuedTable() == element) continuations.emplace_back(sheet, e);
        }
        if (confirm && !continuations.empty() &&
            !confirm->Confirm("Таблица имеет продолжение на другис листах. Удалить таблицу и все ее продолжения?"))
            return;
        for (auto& [sheet, continuation] : continuations) sheet->DeleteElement(continuation, false);
        for (CReportSheet* sheet : loadedHere) {
            sheet->UnselectAll();
            sheet->FreeElements();
        }
        m_pManager->GetTables().Remove(element);
    }
    element->Delete();
    DestroyElement(element);
}

// --- Store ----------------------------------------------------------------------------------------------------

void CReportSheet::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    if (write) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_report_sheet);
        m_pManager->PutPoint(m_pInstance, s.zor_report_sheet_element_size, CPoint(m_cx, m_cy));
        store->PutAttr(m_pInstance, s.zor_report_sheet_type, m_nType);
        store->PutAttr(m_pInstance, s.zor_report_sheet_element_name, m_Name);
        // A sheet whose elements are not in memory keeps its stored list: writing an empty one would
        // throw its elements away.
        if (!m_bLoaded && m_Elements.IsEmpty()) return;
        CzorTAggr<CzorInstance> elems;
        WriteEach(m_Elements, elems);
        store->PutAttr(m_pInstance, s.zor_report_sheet_elems, elems);
    } else {
        if (!m_pInstance) return;
        CPoint size;
        m_pManager->GetPoint(m_pInstance, s.zor_report_sheet_element_size, size);
        m_cx = size.x;
        m_cy = size.y;
        store->GetAttr(m_pInstance, s.zor_report_sheet_type, m_nType);
        for (CReportElement* element : m_Elements) element->Update(false);
    }
}

bool CReportSheet::LoadElementsFromFile() {
    if (m_bLoaded) return true;
    m_bLoaded = true;
    if (!m_pInstance || !m_pManager || !m_pManager->GetStore()) return true;
    const std::vector<CReportElement*> old(m_Elements.begin(), m_Elements.end());
    m_Elements.RemoveAll();
    for (CReportElement* element : old) {
        if (m_Selection.Remove(element)) element->SetSelected(0);
        if (element->GetKind() == kElemTable) continue;
        m_pManager->ForgetElement(element);
        delete element;
    }
    CzorTAggr<CzorInstance> elems;
    m_pManager->GetStore()->GetAttr(m_pInstance, m_pManager->Schema().zor_report_sheet_elems, elems);
    DropRepeats(elems);
    for (CzorInstance* instance : elems) {
        CReportElement* element = m_pManager->CreateElemObj(instance, this);
        if (element) element->Update(false);
    }
    return true;
}

void CReportSheet::FreeElements() {
    Update(true);
    // Freed elements must not stay selected: the selection would point at deleted objects.
    UnselectAll();
    const std::vector<CReportElement*> old(m_Elements.begin(), m_Elements.end());
    m_Elements.RemoveAll();
    for (CReportElement* element : old) {
        if (element->GetKind() == kElemTable) continue;
        if (m_pManager) m_pManager->ForgetElement(element);
        delete element;
    }
    m_bLoaded = false;
}

CReportSheet* NewSheetLike(CFolivox* manager, const CReportSheet& pattern) {
    auto* sheet = new CReportSheet(manager);
    sheet->SetSize(pattern.GetSize());
    for (CReportElement* element : pattern.GetElements())
        if (CReportElement* clone = element->CreateClon()) sheet->Add(clone);
    return sheet;
}
