#include "report/model/bound_rect.h"

#include "platform/gdi/dc.h"
#include "report/model/report_sheet.h"

namespace {
constexpr int kFramePenWidth = 3;
}

CBoundRect::CBoundRect(CReportSheet* sheet, CFolivox* manager) : CReportElement(manager) { m_pSheet = sheet; }

void CBoundRect::StartObjOper(CReportElement* target, int mode, CPoint point, double zoom) {
    if (mode == 0) return;
    m_bActive = false;
    m_pTarget = nullptr;
    m_x = m_y = m_cx = m_cy = 0;
    m_bDrawn = false;
    if (m_pSheet) m_pSheet->PtLogToSheet(point);
    if (target) {
        SetOrigin(target->GetOrigin());
        SetSize(target->GetSize());
        m_nKind = target->GetKind();
        m_pTarget = target;
    } else {
        SetRect(CRect(point, point), zoom);
        m_nKind = mode == kDragNewLine ? kElemLine : kElemRect;
    }
    m_Last = point;
    m_nMode = mode;
    m_bActive = true;
}

int CBoundRect::TraceBoundRect(CPoint point, const CDC* dc, double zoom) {
    if (!dc) return 0;
    if (m_pSheet) m_pSheet->PtLogToSheet(point);
    m_bDrawn = true;
    Move(point - m_Last, m_nMode, zoom);
    m_Last = point;
    return 1;
}

CReportElement* CBoundRect::EndBound(CPoint& point, const CDC*, double) {
    if (!m_bActive) return nullptr;
    if (m_pSheet) m_pSheet->PtLogToSheet(point);
    CRect r(m_x, m_y, m_x + m_cx, m_y + m_cy);
    if (m_nKind != kElemLine) r.NormalizeRect();
    SetOrigin(r.TopLeft());
    SetSize(r.Size());
    CReportElement* target = m_pTarget;
    if (target) {
        target->SetOrigin(GetOrigin());
        target->SetSize(GetSize());
    }
    ResetBound();
    return target;
}

int CBoundRect::ResetBound() {
    m_bActive = false;
    m_pTarget = nullptr;
    m_bDrawn = false;
    return 1;
}

int CBoundRect::Draw(CDC* dc, double zoom) {
    if (!dc || zoom == 0 || !m_bActive || !m_bDrawn) return 0;
    CRect r;
    GetRect(r, zoom, 0);
    CPen pen(PS_DOT | PS_GEOMETRIC, kFramePenWidth, RGB(128, 128, 128));
    CPen* oldPen = dc->SelectObject(&pen);
    const int oldMix = dc->SetROP2(R2_COPYPEN);
    if (m_nKind == kElemLine)
        DrawLine(dc, r.TopLeft(), r.BottomRight());
    else
        DrawRect(dc, r);
    dc->SetROP2(oldMix);
    if (oldPen) dc->SelectObject(oldPen);
    return 1;
}

CRect CBoundRect::GetOverlayRect(double zoom) const {
    if (!m_bActive || !m_bDrawn) return CRect();
    CRect r;
    GetRect(r, zoom, 0);
    r.NormalizeRect();
    r.InflateRect(kFramePenWidth + 1, kFramePenWidth + 1);
    return r;
}

// --- CBoundArray -----------------------------------------------------------------------------------------

CRect CBoundArray::GetRect(double zoom) const {
    CRect all;
    bool first = true;
    for (CBoundRect* frame : m_Items) {
        CRect r;
        frame->GetRect(r, zoom, 0);
        r.NormalizeRect();
        if (first) {
            all = r;
            first = false;
        } else {
            all.SetRect(std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
                        std::max(all.bottom, r.bottom));
        }
    }
    return all;
}

CPoint CBoundArray::GetTopLeft(double zoom) const { return GetRect(zoom).TopLeft(); }

CPoint CBoundArray::GetBottomRight(double zoom) const { return GetRect(zoom).BottomRight(); }
