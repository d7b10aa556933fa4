#pragma once
// CBoundRect: the frame the editor view shows while the user drags (moving or resizing an element,
// drawing a new line or rectangle, or a selection rubber band). It copies the tracked element's rectangle
// (or starts empty at the mouse point), follows the mouse by the element's drag-mode rules, and at the end
// writes its rectangle back to the tracked element.
//
// The frame is an overlay: the view paints the sheet and then, while IsActive() and IsDrawn(), the frame
// with Draw. Around each TraceBoundRect the view repaints GetOverlayRect before and after the move, so the
// screen always shows the last traced rectangle, and after EndBound or ResetBound it repaints once more.
//
// States: idle → active (StartObjOper with a mode) → drawn (first trace) → idle (EndBound, ResetBound).
// The frame never writes to the store.
#include "report/model/owned_array.h"
#include "report/model/report_element.h"

class CBoundRect : public CReportElement {
public:
    CBoundRect(CReportSheet* sheet, CFolivox* manager);
    CBoundRect(const CBoundRect&) = default;
    CBoundRect& operator=(const CBoundRect&) = default;

    // The frame's kind: 0 moves and draws it as a line, anything else as a rectangle.
    void SetType(int kind) { m_nKind = kind; }
    // Starts an operation of mode at p (logical coordinates); mode 0 does nothing. With a target the
    // frame takes its rectangle and kind; without one it is an empty frame at p, a line for mode 14.
    void StartObjOper(CReportElement* target, int mode, CPoint point, double zoom);
    // Follows the mouse to p: applies the drag since the last point. 0 without a context, else 1.
    int TraceBoundRect(CPoint point, const CDC* dc, double zoom);
    // Ends the operation: normalises a rectangle frame (a line keeps its direction) and gives the target
    // the frame's origin and size; returns the target, or null without one (the caller then makes the new
    // element from the frame's rectangle) or when not active. p is converted to sheet coordinates in place.
    CReportElement* EndBound(CPoint& point, const CDC* dc, double zoom);
    // Ends the operation without changing anything; 1.
    int ResetBound();
    // Draws the frame (a dotted grey outline, or the line) when active and drawn; 0 otherwise.
    virtual int Draw(CDC* dc, double zoom);
    using CReportElement::Draw;

    // The logical rectangle the frame covers at zoom, normalised and widened by its pen: what the view
    // repaints. Empty when the frame is not shown.
    CRect GetOverlayRect(double zoom) const;

    bool IsActive() const { return m_bActive; }
    bool IsDrawn() const { return m_bDrawn; }
    int GetMode() const { return m_nMode; }
    CReportElement* GetTarget() const { return m_pTarget; }

private:
    bool m_bActive = false;
    bool m_bDrawn = false;
    int m_nMode = 0;
    CPoint m_Last;
    CReportElement* m_pTarget = nullptr;
};

// The frames of a multiple selection; owns them (Add, GetAt, RemoveAt, RemoveAll).
class CBoundArray : public COwnedPtrArray<CBoundRect> {
public:
    // The union of the frames' normalised rectangles at zoom: its smallest left and top, its largest right
    // and bottom. An empty array gives (0, 0) and an empty rectangle.
    CPoint GetTopLeft(double zoom) const;
    CPoint GetBottomRight(double zoom) const;
    CRect GetRect(double zoom) const;
};
