#pragma once
// Where the splitter bar sits and where its panes end, apart from the widget: all in the parent's
// client coordinates.
#include "platform/win/geometry.h"

namespace zor {

// The range in which the bar's top (horizontal) or left (vertical) edge may be dropped.
struct SplitterLimits {
    int lower = 0, upper = 0;
    int Clamp(int pos) const { return pos < lower ? lower : (pos > upper ? upper : pos); }
};

// A horizontal bar divides an upper and a lower pane; a vertical one a left and a right pane.
struct SplitterRules {
    bool horizontal = false;

    // The bar across the first pane's far edge, as thick as a sizing frame and centred on it.
    CRect PlaceOnPane(const CRect& first) const;
    // From the first pane's near edge to the second pane's far edge.
    SplitterLimits PaneLimits(const CRect& first, const CRect& second) const;
    // The parent's client area along the bar's axis.
    SplitterLimits ClientLimits(const CRect& client) const;
    // The bar moved so that its top (left) edge is at the clamped drop position, its thickness kept.
    CRect Drop(const CRect& bar, int pos, const SplitterLimits& limits) const;
    // Both panes fitted to the bar, overlapping it by a border's width; their other edges unchanged.
    void FitPanes(const CRect& bar, CRect& first, CRect& second) const;
    // The drag rectangle: the drag-start rectangle moved to the point, a horizontal one reaching 100
    // pixels further down.
    CRect DragRect(const CRect& start, CPoint point) const;
};

// The strip between two rectangles (the first's right edge to the second's left edge, the first's
// height).
CRect StripBetween(const CRect& first, const CRect& second);

}  // namespace zor
