// Drawing of the element base: outline or line, text, selection outline and handles.
#include "platform/gdi/dc.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"

void CReportElement::DrawLine(CDC* dc, CPoint from, CPoint to) {
    dc->MoveTo(from);
    dc->LineTo(to);
}

void CReportElement::DrawRect(CDC* dc, const CRect& r) {
    dc->MoveTo(r.left, r.top);
    dc->LineTo(r.right, r.top);
    dc->LineTo(r.right, r.bottom);
    dc->LineTo(r.left, r.bottom);
    dc->LineTo(r.left, r.top);
}

int CReportElement::Draw(CDC* dc, double zoom, int reportMode, unsigned flags) {
    if (!dc || zoom == 0) return 0;
    CRect r;
    GetRect(r, zoom, dc->IsPrinting() ? 1 : 0);
    const COLORREF color = m_nOwnColor ? m_Color : dc->GetSysColor(COLOR_WINDOWTEXT);
    CPen pen(PS_SOLID | PS_GEOMETRIC, ZoomTrunc(zoom * m_nLineWidth), color);
    CPen aid(PS_SOLID | PS_GEOMETRIC, 1, dc->GetSysColor(COLOR_GRAYTEXT));
    CPen* oldPen = dc->SelectObject(&pen);
    if (m_nKind != kElemLine) {
        if (flags & kDrawText) DrawTextA(dc, zoom, reportMode);
        if (m_nLineWidth >= 1 && m_TextValue.GetBorder()) {
            dc->SelectObject(&pen);
            DrawRect(dc, r);
        } else if (reportMode == 0) {
            // The editing aid: where a borderless rectangle lies.
            dc->SelectObject(&aid);
            DrawRect(dc, r);
        }
    } else if (m_nLineWidth < 1) {
        if (reportMode == 0) {
            dc->SelectObject(&aid);
            DrawLine(dc, r.TopLeft(), r.BottomRight());
        }
    } else {
        DrawLine(dc, r.TopLeft(), r.BottomRight());
    }
    if (m_nSelected && !dc->IsPrinting() && (flags & kDrawSelection)) DrawSelPoints(dc, zoom);
    if (oldPen) dc->SelectObject(oldPen);
    return 1;
}

void CReportElement::DrawSelPoints(CDC* dc, double zoom) {
    if (!dc || !m_pSheet || m_pSheet->GetSelection().IsEmpty()) return;
    CRect r;
    GetRect(r, zoom, 0);
    const COLORREF highlight = dc->GetSysColor(COLOR_HIGHLIGHT);
    CPen outline(PS_SOLID | PS_GEOMETRIC, 10, highlight);
    CPen* oldPen = dc->SelectObject(&outline);
    if (m_nKind == kElemLine)
        DrawLine(dc, r.TopLeft(), r.BottomRight());
    else
        DrawRect(dc, r);
    // Only the primary selection shows handles.
    if (m_pSheet->GetSelection().GetAt(0) == this) {
        const COLORREF window = dc->GetSysColor(COLOR_WINDOW);
        CPen handlePen(PS_SOLID | PS_GEOMETRIC, 3, m_nOwnColor ? window : highlight);
        CBrush brush(window);
        dc->SelectObject(&handlePen);
        CBrush* oldBrush = dc->SelectObject(&brush);
        std::vector<CPoint> points;
        GetSelPts(points, dc, zoom);
        for (const CPoint& p : points) dc->Rectangle(GetSelPtRect(p));
        if (oldBrush) dc->SelectObject(oldBrush);
    }
    if (oldPen) dc->SelectObject(oldPen);
}
