#pragma once
// Where a title tip goes and how clicks on it reach the window underneath, apart from the widget.
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/win/geometry.h"

namespace zor {

// The tip over a cell: from the cell's top-left corner, wide and tall enough for the text at the
// offsets (plus 3 and 1 pixels) and never smaller than the cell. Nothing when the text fits.
std::optional<CRect> TitleTipRect(const CRect& cell, const CSize& text, int offsetX, int offsetY);

// Whether a point in the tip's own coordinates has left the cell it covers.
inline bool LeavesCell(const CPoint& p, const CSize& cell) { return !CRect(0, 0, cell.cx, cell.cy).PtInRect(p); }

// Turns a second left press at the same spot within 1000 ms into a double click.
class CClickRelay {
public:
    using Clock = std::function<int64_t()>;  // milliseconds
    explicit CClickRelay(Clock clock);
    // True when the press is to be passed on as a double click (the remembered press is then
    // forgotten); otherwise the press is remembered.
    bool PressIsDoubleClick(const CPoint& at);

private:
    Clock m_clock;
    std::optional<CPoint> m_lastAt;
    int64_t m_lastTick = 0;
};

// The header item a caption tip belongs to, or -1: not within 3 pixels of the top or of the
// item's bottom edge, and more than 4 pixels inside the item's sides.
template <class Items>
int HeaderTipItem(const CPoint& p, const Items& itemRects) {
    if (p.y < 3) return -1;
    int index = 0;
    for (const CRect& r : itemRects) {
        if (r.left + 4 < p.x && p.x < r.right - 4) return p.y > r.bottom - 3 ? -1 : index;
        ++index;
    }
    return -1;
}

}  // namespace zor
