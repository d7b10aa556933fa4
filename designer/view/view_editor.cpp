#include "designer/view/view_editor.h"

#include <algorithm>

#include "designer/view/view_geometry.h"
#include "platform/ui/messages.h"
#include "report/model/element_dialogs.h"
#include "report/model/page_reference_element.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/model/table_map_element.h"

namespace quillmark {
namespace {

// A point inside the page or on its edges.
bool OnPage(const CRect& page, CPoint p) {
    CRect r = page;
    r.NormalizeRect();
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

CPoint ClampToPage(const CRect& page, CPoint p) {
    CRect r = page;
    r.NormalizeRect();
    return CPoint(std::clamp(p.x, r.left, r.right), std::clamp(p.y, r.top, r.bottom));
}

// The frame a tool draws: a line, a rectangle, or none.
int FrameModeOfTool(int tool) {
    switch (tool) {
    case kToolLine: return kDragNewLine;
    case kToolText: case kToolTable: case kToolContinuation: case kToolZoomRect: case kToolPicture:
    case kToolContents: return kDragNewRect;
    default: return kDragNone;
    }
}

// The element kind a creation tool makes; -1 for a tool that makes none.
int KindOfTool(int tool) {
    switch (tool) {
    case kToolLine: return kElemLine;
    case kToolText: case kToolNoFrame: return kElemRect;
    case kToolTable: return kElemTable;
    case kToolContinuation: return kElemTableMap;
    case kToolPicture: return kElemPicture;
    case kToolContents: return kElemTableContent;
    default: return -1;
    }
}

}  // namespace

CViewEditor::CViewEditor(CViewDocument& document) : m_document(document) {}

CViewEditor::~CViewEditor() = default;

void CViewEditor::SetSheet(CReportSheet* sheet) {
    m_frames.RemoveAll();
    m_sheet = sheet;
}

double CViewEditor::Zoom() const {
    const double zoom = m_document.UseCommonScale() ? m_document.CommonScale() : m_zoom;
    return zoom > 0 ? zoom : 1.0;
}

void CViewEditor::SetZoom(double zoom) {
    if (m_document.UseCommonScale())
        m_document.SetCommonScale(zoom);
    else
        m_zoom = zoom;
}

void CViewEditor::SetBothZooms(double zoom) {
    m_document.SetCommonScale(zoom);
    m_zoom = zoom;
}

CRect CViewEditor::PageRect() const {
    const double zoom = Zoom();
    const CSize page = m_document.PageSize();
    return CRect(0, 0, static_cast<int>(zoom * page.cx), -static_cast<int>(zoom * page.cy));
}

std::vector<CReportElement*> CViewEditor::HitsAt(CPoint point) const {
    std::vector<CReportElement*> hits;
    if (m_sheet) m_sheet->TestElem(point, hits, Zoom());
    return hits;
}

bool CViewEditor::IsEditable() const { return !m_document.IsReadOnly() && m_document.HasRight(kRightEdit, false); }

void CViewEditor::AddFrame(CReportElement* target, int mode, CPoint point) {
    auto* frame = new CBoundRect(m_sheet, m_sheet->GetManager());
    frame->StartObjOper(target, mode, point, Zoom());
    m_frames.Add(frame);
    m_tracePoint = point;
}

void CViewEditor::StartRubberBand(CPoint point) {
    m_frames.RemoveAll();
    AddFrame(nullptr, kDragNewFrame, point);
}

int CViewEditor::DragModeFor(const std::vector<CReportElement*>& elements, CPoint point) const {
    if (elements.size() != 1) return kDragMove;
    int hint = 0;
    return elements.front()->GetDragMode(point, hint, Zoom());
}

void CViewEditor::CancelOperation() {
    m_frames.RemoveAll();
}

// --- Selection -------------------------------------------------------------------------------------------

void CViewEditor::SelectAtPoint(CPoint point, const std::vector<CReportElement*>& hits, ViewKeys keys) {
    if (!m_sheet) return;
    if (hits.empty()) {
        if (!keys.ctrl) m_sheet->UnselectAll();
        StartRubberBand(point);
        return;
    }
    const bool hasSelection = !m_sheet->GetSelection().IsEmpty();
    if (hasSelection && (keys.alt || keys.ctrl)) {
        m_frames.RemoveAll();
        if (keys.alt && !keys.ctrl) m_sheet->UnselectAll();
        for (CReportElement* hit : hits) m_sheet->Select(hit, keys.alt ? 1 : 2);
        const int mode = DragModeFor(hits, point);
        for (CReportElement* hit : hits) AddFrame(hit, mode, point);
        return;
    }
    if (hasSelection && std::any_of(hits.begin(), hits.end(), [](auto* e) { return e->GetSelected() != 0; })) {
        // The whole selection moves (or its one element resizes) together.
        m_frames.RemoveAll();
        const std::vector<CReportElement*> selected(m_sheet->GetSelection().begin(), m_sheet->GetSelection().end());
        const int mode = DragModeFor(selected, point);
        for (CReportElement* element : selected) AddFrame(element, mode, point);
        return;
    }
    if (!hasSelection && keys.alt) {
        m_frames.RemoveAll();
        for (CReportElement* hit : hits) m_sheet->Select(hit, keys.ctrl ? 2 : 1);
        const int mode = DragModeFor(hits, point);
        for (CReportElement* hit : hits) AddFrame(hit, mode, point);
        return;
    }
    StartRubberBand(point);
}

void CViewEditor::ClickSelect(CPoint point, const std::vector<CReportElement*>& hits, ViewKeys keys) {
    if (!m_sheet) return;
    if (hits.empty()) {
        m_sheet->UnselectAll();
        return;
    }
    if (keys.alt) {
        m_sheet->UnselectAll();
        for (CReportElement* hit : hits) m_sheet->Select(hit, 1);
        return;
    }
    CReportElement* next = hits.front();
    if (!m_sheet->GetSelection().IsEmpty()) {
        // Repeated clicks on stacked elements walk down through them and start again at the top.
        const auto selected = std::find_if(hits.begin(), hits.end(), [](auto* e) { return e->GetSelected() != 0; });
        if (selected != hits.end() && selected + 1 != hits.end()) next = *(selected + 1);
    }
    m_sheet->UnselectAll();
    m_sheet->Select(next, 1);
    (void)point;
}

std::vector<CReportElement*> CViewEditor::RightClickSelect(CPoint point) {
    std::vector<CReportElement*> hits = HitsAt(point);
    if (!hits.empty() && std::none_of(hits.begin(), hits.end(), [](auto* e) { return e->GetSelected() != 0; })) {
        m_sheet->UnselectAll();
        for (CReportElement* hit : hits) m_sheet->Select(hit, 1);
    }
    return hits;
}

// --- Mouse -------------------------------------------------------------------------------------------------

ViewOutcome CViewEditor::LButtonDown(CPoint point, ViewKeys keys) {
    ViewOutcome out;
    if (!m_sheet) return out;
    const int tool = m_document.Tool();
    if (tool == kToolZoom || tool == kToolMoveSheet) {
        out.capture = true;
        return out;
    }
    m_frames.RemoveAll();
    m_downPoint = point;
    const std::vector<CReportElement*> hits = HitsAt(point);
    out.redraw = true;

    if (m_document.Mode() != 0) {
        if (tool == kToolZoomRect) {
            AddFrame(nullptr, kDragNewRect, point);
            out.capture = true;
            return out;
        }
        if (hits.empty()) {
            m_sheet->UnselectAll();
        } else {
            if (!keys.ctrl) m_sheet->UnselectAll();
            const size_t count = keys.alt ? hits.size() : 1;
            for (size_t i = 0; i < count; ++i) m_sheet->Select(hits[i], keys.ctrl ? 2 : 1);
        }
        if (tool == kToolProperties) {
            out.properties = true;
        } else if (!hits.empty() && hits.front()->GetKind() == kElemPageReference) {
            if (auto* reference = dynamic_cast<CPageReferenceElement*>(hits.front()); reference && reference->GetTarget())
                m_document.ShowSheet(reference->GetTarget());
        }
        return out;
    }

    switch (tool) {
    case kToolPaste:
        // The pasted group hangs on the mouse until the button is released; the tool ends then.
        if (m_document.PasteAt(m_sheet, point, Zoom(), m_frames)) m_document.SetChanged();
        else m_frames.RemoveAll();
        m_tracePoint = point;
        out.capture = true;
        out.erase = true;
        return out;
    case kToolSelect:
        SelectAtPoint(point, hits, keys);
        out.capture = true;
        return out;
    default:
        if (!OnPage(PageRect(), point)) {
            out.redraw = false;
            return out;
        }
        if (tool == kToolProperties) {
            m_sheet->UnselectAll();
            for (CReportElement* hit : hits) m_sheet->Select(hit, 1);
            out.properties = true;
            return out;
        }
        if (const int mode = FrameModeOfTool(tool); mode != kDragNone) AddFrame(nullptr, mode, point);
        out.capture = true;
        return out;
    }
}

CPoint CViewEditor::ConstrainMove(CPoint point) const {
    const double zoom = Zoom();
    CRect page = PageRect();
    page.NormalizeRect();
    const CRect group = m_frames.GetRect(zoom);
    CRect moved = group;
    moved.OffsetRect(point.x - m_tracePoint.x, point.y - m_tracePoint.y);
    bool clampedX = false, clampedY = false;
    if (moved.left < page.left) {
        point.x += page.left - moved.left;
        clampedX = true;
    } else if (moved.right > page.right) {
        point.x -= moved.right - page.right;
        clampedX = true;
    }
    if (moved.top < page.top) {
        point.y += page.top - moved.top;
        clampedY = true;
    } else if (moved.bottom > page.bottom) {
        point.y -= moved.bottom - page.bottom;
        clampedY = true;
    }
    moved = group;
    moved.OffsetRect(point.x - m_tracePoint.x, point.y - m_tracePoint.y);
    CPoint shift;
    unsigned side = 0;
    const CReportElement* moving = m_frames.GetAt(0)->GetTarget();
    const CReportElement* near = m_sheet->TestMoveRect(moving, moved, shift, side, zoom);
    // Members of the moving group move along: they are nothing to snap to.
    const bool inGroup = std::any_of(m_frames.begin(), m_frames.end(), [&](CBoundRect* f) { return f->GetTarget() == near; });
    if (near && !inGroup) {
        if ((side & (kSnapTop | kSnapBottom)) && !clampedY) point.y -= shift.y;
        if ((side & (kSnapLeft | kSnapRight)) && !clampedX) point.x -= shift.x;
    }
    return point;
}

ViewOutcome CViewEditor::MouseMove(CPoint point, bool leftDown, ViewKeys) {
    ViewOutcome out;
    if (!m_sheet) return out;
    // A document that cannot be edited still lets the rubber band and the zoom rectangle follow the mouse:
    // neither changes anything.
    const bool editable = IsEditable();
    const bool looking = m_frames.GetSize() > 0 && m_frames.GetAt(0)->GetTarget() == nullptr &&
                         (m_frames.GetAt(0)->GetMode() == kDragNewFrame || m_document.Tool() == kToolZoomRect);
    if (!editable && !looking) return out;
    const double zoom = Zoom();
    const CRect page = PageRect();
    const auto& selection = m_sheet->GetSelection();
    if (editable && !selection.IsEmpty()) {
        const CReportElement* first = selection.GetAt(0);
        m_document.SetPositionText(ElementPositionText(first->GetOrigin(), first->GetSize()));
    } else if (editable) {
        m_document.SetPositionText(PointPositionText(point.x - page.left, page.top - point.y, zoom));
    }
    point = ClampToPage(page, point);

    if (leftDown && m_frames.GetSize() > 0) {
        if (m_frames.GetAt(0)->GetMode() == kDragMove) point = ConstrainMove(point);
        for (int i = m_frames.GetSize() - 1; i >= 0; --i) {
            const CReportElement* target = m_frames.GetAt(i)->GetTarget();
            if (target && target->GetFixed()) m_frames.RemoveAt(i);
        }
        for (CBoundRect* frame : m_frames) frame->TraceBoundRect(point, &m_measure, zoom);
        m_tracePoint = point;
        if (m_frames.GetSize() > 0 && editable) {
            const CBoundRect* first = m_frames.GetAt(0);
            m_document.SetPositionText(ElementPositionText(first->GetOrigin(), first->GetSize()));
        }
        out.redraw = true;
    }

    if (m_document.Tool() != kToolSelect) {
        m_cursor = -1;
    } else if (m_frames.GetSize() > 0) {
        m_cursor = m_frames.GetAt(0)->GetMode();
    } else if (!leftDown) {
        const std::vector<CReportElement*> hits = HitsAt(point);
        int hint = 0;
        m_cursor = hits.empty() ? 0 : hits.front()->GetDragMode(point, hint, zoom);
    }
    return out;
}

bool CViewEditor::CreateElement(const CBoundRect& frame) {
    const int tool = m_document.Tool();
    const int kind = KindOfTool(tool);
    if (kind < 0) return false;
    const CSize size = frame.GetSize();
    // A click of a creation tool with Ctrl or Alt held draws nothing worth keeping.
    if (size.cx == 0 && size.cy == 0) return false;
    CReportElement* element = m_sheet->CreateReportElem(frame.GetOrigin(), size, kind);
    if (!element) return false;
    if (tool == kToolNoFrame) element->GetTextValue().SetText(std::string());
    if (kind == kElemTableMap) {
        auto* continuation = dynamic_cast<CTableMapElement*>(element);
        if (!continuation || !continuation->SelectTable(ElementDialogs() ? ElementDialogs()->SelectTable(*continuation) : nullptr)) {
            delete element;
            return false;
        }
    }
    m_sheet->Add(element);
    element->Update(true);
    return true;
}

ViewOutcome CViewEditor::LButtonUp(CPoint point, ViewKeys keys) {
    ViewOutcome out;
    if (!m_sheet) return out;
    const int tool = m_document.Tool();
    if (tool == kToolZoom || tool == kToolMoveSheet) {
        m_document.SetTool(kToolSelect);
        out.redraw = true;
        return out;
    }
    // The frames end where the button is released, moved there or not.
    if (m_frames.GetSize() > 0 && point != m_tracePoint) MouseMove(point, true, keys);
    const double zoom = Zoom();
    bool changed = false;
    if (point != m_downPoint || keys.ctrl || keys.alt) {
        // A frame ends; the element list can change meanwhile, so take the frames out first.
        for (CBoundRect* frame : m_frames) {
            CReportElement* target = frame->GetTarget();
            const CPoint oldOrigin = target ? target->GetOrigin() : CPoint();
            const CSize oldSize = target ? target->GetSize() : CSize();
            const bool active = frame->IsActive();
            const bool traced = frame->IsDrawn();
            CPoint end = point;
            if (frame->EndBound(end, &m_measure, zoom)) {
                if (target->GetOrigin() != oldOrigin || target->GetSize() != oldSize) {
                    target->Update(true);
                    changed = true;
                }
                continue;
            }
            if (!active || !traced) continue;
            if (frame->GetMode() == kDragNewFrame) {
                CRect band;
                frame->GetRect(band, zoom, 0);
                if (!m_sheet->SelectByFrame(band.TopLeft(), band.Size(), zoom)) m_sheet->UnselectAll();
            } else if (tool == kToolZoomRect) {
                CRect r;
                frame->GetRect(r, 1.0, 1);
                out.zoomTo = r;
            } else if (CreateElement(*frame)) {
                changed = true;
            }
        }
    } else if (m_document.Mode() == 0 && tool != kToolPaste) {
        // A click: in view mode the press has already chosen; a paste has selected what it pasted.
        ClickSelect(point, HitsAt(point), keys);
    }
    m_document.SetTool(kToolSelect);
    m_frames.RemoveAll();
    if (changed) m_document.SetChanged();
    out.redraw = out.erase = true;
    return out;
}

ViewOutcome CViewEditor::DoubleClick(CPoint point) {
    ViewOutcome out;
    if (!m_sheet || m_document.Tool() != kToolSelect || m_document.Mode() != 0) return out;
    const std::vector<CReportElement*> hits = HitsAt(point);
    if (std::none_of(hits.begin(), hits.end(), [](auto* e) { return e->GetSelected() != 0; }))
        for (CReportElement* hit : hits) m_sheet->Select(hit, 1);
    out.properties = true;
    out.redraw = true;
    return out;
}

// --- Deleting and dropping -------------------------------------------------------------------------------------

bool CViewEditor::DeleteSelection() {
    if (!m_sheet || m_document.Mode() != 0 || m_document.IsReadOnly()) return false;
    const auto& selection = m_sheet->GetSelection();
    if (selection.IsEmpty()) return false;
    const char* question = selection.GetSize() == 1 ? "Вы действительно желаете удалить выделенный элемент?"
                                                    : "Вы действительно желаете удалить выделенные элементы?";
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDNO) return false;
    m_frames.RemoveAll();
    // A table takes its continuations along, and they may be selected too: take the first one left each time.
    while (!selection.IsEmpty()) {
        const int before = selection.GetSize();
        m_sheet->DeleteElement(selection.GetAt(0), false);
        if (selection.GetSize() >= before) break;
    }
    m_document.SetChanged();
    return true;
}

bool CViewEditor::DropParam(CPoint point, CReportParam* param) {
    if (!m_sheet || !param || m_document.IsReadOnly()) return false;
    const std::vector<CReportElement*> hits = HitsAt(point);
    CReportElement* chosen = nullptr;
    for (CReportElement* hit : hits)
        if (hit->GetKind() == kElemRect && hit->GetSelected()) {
            chosen = hit;
            break;
        }
    if (!chosen)
        for (CReportElement* hit : hits)
            if (hit->GetKind() == kElemRect) {
                chosen = hit;
                break;
            }
    if (!chosen) return false;
    chosen->GetTextValue().SetText(param);
    chosen->Update(true);
    m_document.SetChanged();
    return true;
}

}  // namespace quillmark
