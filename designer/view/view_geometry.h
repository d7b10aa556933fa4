#pragma once
// The editor view's arithmetic, apart from any widget: zoom steps and limits, where the page sits in the
// window, the scroll extent, the position texts of the status bar and the cursor of a drag mode.
//
// Units: "logical" is tenths of a millimetre at the screen's scale with y upward (the view's CDC in
// MM_LOMETRIC); a zoom multiplies the page's own tenths of a millimetre into logical units.
#include <optional>
#include <string>

#include <Qt>

#include "platform/win/geometry.h"

namespace quillmark {

// The zoom every command keeps to.
constexpr double kMinZoom = 0.01;
constexpr double kMaxZoom = 20.0;
// The margin kept round a page that does not fit the window, and added to the scroll extent.
constexpr int kPageMargin = 30;

double ClampZoom(double zoom);

// One wheel turn of delta (120 a notch): the step shrinks as the zoom grows, and a result that would pass
// through zero turns into a small positive zoom instead.
double WheelZoom(double zoom, int wheelDelta);
// The zoom tool: dragging down by dy pixels zooms in, up zooms out; kept within the limits.
double ZoomToolStep(double zoom, int dyPixels);
// "Fit the page": the page plus its margins fills the window's smaller direction.
double FitZoom(CSize clientLogical, CSize pageSize);
// The zoom that shows the logical rectangle (at zoom 1) across the window; nothing for a rectangle without
// area. The rectangle may come in either orientation.
std::optional<double> ZoomForRect(CSize clientLogical, const CRect& rect);

// Where the page sits: its left edge and the distance of its upper edge below the scrolled area's top
// (centred when the page plus margins fits the window, else kPageMargin), and the scroll extent.
struct PagePlacement {
    int left = 0;
    int distance = 0;
    CSize extent;  // the scrollable area, logical
    // The page in logical coordinates of the scrolled area: (left, -distance) to (left + w, -distance - h).
    CRect pageRect;
    bool fitsWide() const { return left != kPageMargin; }
};
PagePlacement PlacePage(CSize clientLogical, CSize pageSize, double zoom);

// Status bar texts, in millimetres with a point whatever the locale.
// An element's place: origin (x, y) and size (cx, cy) as stored (y upward, the page's top at 0).
std::string ElementPositionText(CPoint origin, CSize size);
// The mouse's place: its offset from the page's left and top edges in logical units at zoom.
std::string PointPositionText(int fromLeft, int belowTop, double zoom);

// The page number in a sheet name ("Лист12" gives 12); 0 without digits.
int SheetNumber(const std::string& sheetName);

// The cursor of a cursor code: a drag mode, 10 for moving, -1 while a creation tool is chosen.
Qt::CursorShape CursorForCode(int code);

}  // namespace quillmark
