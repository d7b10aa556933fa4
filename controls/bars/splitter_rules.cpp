#include "controls/bars/splitter_rules.h"

#include <algorithm>

#include "controls/menu/menu_metrics.h"

namespace zor {

CRect SplitterRules::PlaceOnPane(const CRect& first) const {
    const int half = GetSystemMetrics(horizontal ? SM_CXFRAME : SM_CYFRAME) / 2;
    if (horizontal) return CRect(first.left, first.bottom - half, first.right, first.bottom + half);
    return CRect(first.right - half, first.top, first.right + half, first.bottom);
}

SplitterLimits SplitterRules::PaneLimits(const CRect& first, const CRect& second) const {
    if (horizontal) return {first.top, second.bottom};
    return {first.left, second.right};
}

SplitterLimits SplitterRules::ClientLimits(const CRect& client) const {
    if (horizontal) return {client.top, client.bottom};
    return {client.left, client.right};
}

CRect SplitterRules::Drop(const CRect& bar, int pos, const SplitterLimits& limits) const {
    const int at = limits.Clamp(pos);
    if (horizontal) return CRect(bar.left, at, bar.right, at + bar.Height());
    return CRect(at, bar.top, at + bar.Width(), bar.bottom);
}

void SplitterRules::FitPanes(const CRect& bar, CRect& first, CRect& second) const {
    // A bar dropped on a limit would turn a pane inside out, and the window system would then lose
    // its far edge: such a pane shrinks to nothing at that edge instead.
    if (horizontal) {
        const int border = GetSystemMetrics(SM_CXBORDER);
        first.bottom = std::max(first.top, bar.top + border);
        second.top = std::min(second.bottom, bar.bottom - border);
    } else {
        const int border = GetSystemMetrics(SM_CYBORDER);
        first.right = std::max(first.left, bar.left + border);
        second.left = std::min(second.right, bar.right - border);
    }
}

CRect SplitterRules::DragRect(const CRect& start, CPoint point) const {
    CRect r = start;
    if (horizontal) {
        r.top = point.y;
        r.bottom = r.top + start.Height() + 100;
    } else {
        r.left = point.x;
        r.right = r.left + start.Width();
    }
    return r;
}

CRect StripBetween(const CRect& first, const CRect& second) {
    return CRect(first.right, first.top, second.left, first.bottom);
}

}  // namespace zor
