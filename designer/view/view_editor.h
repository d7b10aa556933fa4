#pragma once
// CViewEditor: what the mouse does on a sheet, apart from the widget. It selects, starts and traces the
// drag frames (moving, resizing, new elements, the rubber band), snaps and clamps moves to the page,
// makes new elements by tool and deletes the selection; the widget turns events into these calls and
// carries out the outcome (repaint, capture, zoom to a rectangle).
//
// Points are page-logical: logical units at the zoom with the page's upper left corner at (0, 0) and y
// upward, which is what the sheet's elements give at the zoom while the sheet's origin stays at (0, 0).
// The view maps the window onto that space itself, so elements, frames and the page agree at every zoom.
#include <optional>
#include <string>
#include <vector>

#include "designer/view/view_document.h"
#include "platform/gdi/dc.h"
#include "report/model/bound_rect.h"

class CReportSheet;
class CReportElement;
class CReportParam;

namespace quillmark {

// The modifier keys of a mouse event.
struct ViewKeys {
    bool ctrl = false;
    bool alt = false;  // the left Alt key
};

// What the widget does after a call.
struct ViewOutcome {
    bool redraw = false;
    bool erase = false;    // the whole window, not only the frames
    bool capture = false;  // the mouse stays with the view until the button is released
    bool properties = false;
    // A rectangle in the page's own units (y upward, the page's top at 0) to zoom onto.
    std::optional<CRect> zoomTo;
};

class CViewEditor {
public:
    explicit CViewEditor(CViewDocument& document);
    ~CViewEditor();
    CViewEditor(const CViewEditor&) = delete;
    CViewEditor& operator=(const CViewEditor&) = delete;

    void SetSheet(CReportSheet* sheet);
    CReportSheet* Sheet() const { return m_sheet; }
    CViewDocument& Document() { return m_document; }

    // The zoom in force: the document's common scale where it applies, else the view's own.
    double Zoom() const;
    // Sets the zoom in force.
    void SetZoom(double zoom);
    // Sets the common scale and the view's own zoom together (fit, the zoom tools, the wheel).
    void SetBothZooms(double zoom);
    double OwnZoom() const { return m_zoom; }
    // The page at the zoom: (0, 0) to (w, -h).
    CRect PageRect() const;

    // Elements under a point, front-most first.
    std::vector<CReportElement*> HitsAt(CPoint point) const;

    ViewOutcome LButtonDown(CPoint point, ViewKeys keys);
    // The editing feedback of a move (not panning, not the zoom tool): position text, frames, cursor.
    ViewOutcome MouseMove(CPoint point, bool leftDown, ViewKeys keys);
    ViewOutcome LButtonUp(CPoint point, ViewKeys keys);
    ViewOutcome DoubleClick(CPoint point);

    // The press of the selection tool and the click of it (press and release at one place).
    void SelectAtPoint(CPoint point, const std::vector<CReportElement*>& hits, ViewKeys keys);
    void ClickSelect(CPoint point, const std::vector<CReportElement*>& hits, ViewKeys keys);
    // The right button's selection: hits none of which is selected replace the selection. The hits.
    std::vector<CReportElement*> RightClickSelect(CPoint point);

    // Asks, then deletes every selected element (edit mode only); whether anything went.
    bool DeleteSelection();
    // A dropped parameter becomes the text of the selected text rectangle under the point, else of the
    // first text rectangle there; false when there is none.
    bool DropParam(CPoint point, CReportParam* param);

    const CBoundArray& Frames() const { return m_frames; }
    // The cursor code after the last move (see CursorForCode).
    int CursorCode() const { return m_cursor; }
    // Ends whatever the mouse was doing without changing anything.
    void CancelOperation();

private:
    void AddFrame(CReportElement* target, int mode, CPoint point);
    void StartRubberBand(CPoint point);
    // The drag mode of a frame over the elements concerned: a handle's code for one element, else move.
    int DragModeFor(const std::vector<CReportElement*>& elements, CPoint point) const;
    // A moving group kept inside the page and snapped to its neighbours: the point the frames follow.
    CPoint ConstrainMove(CPoint point) const;
    bool CreateElement(const CBoundRect& frame);
    bool IsEditable() const;

    CViewDocument& m_document;
    CReportSheet* m_sheet = nullptr;
    double m_zoom = 1.0;
    CBoundArray m_frames;
    CPoint m_downPoint;
    CPoint m_tracePoint;  // where the frames last followed the mouse
    int m_cursor = 0;
    CDC m_measure;        // frames trace through a context; this one only measures
};

}  // namespace quillmark
