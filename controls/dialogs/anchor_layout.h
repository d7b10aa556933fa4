#pragma once
// The anchoring rules of the resizable dialog, kept apart from any window so that tests can drive
// them with plain rectangles: each control's two corners follow two points given in percent of the
// dialog's client size, and keep their distances to those points.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/geometry.h"

// Anchor points in percent of the client width and height. Any other pair is as valid.
inline const CSize ANCHOR_NONE(-1, -1);
inline const CSize ANCHOR_TOP_LEFT(0, 0);
inline const CSize ANCHOR_TOP_CENTER(50, 0);
inline const CSize ANCHOR_TOP_RIGHT(100, 0);
inline const CSize ANCHOR_MIDDLE_LEFT(0, 50);
inline const CSize ANCHOR_MIDDLE_CENTER(50, 50);
inline const CSize ANCHOR_MIDDLE_RIGHT(100, 50);
inline const CSize ANCHOR_BOTTOM_LEFT(0, 100);
inline const CSize ANCHOR_BOTTOM_CENTER(50, 100);
inline const CSize ANCHOR_BOTTOM_RIGHT(100, 100);

namespace zor {

// One anchored control. `control` only identifies it (the view keeps the widget).
struct LayoutInfo {
    const void* control = nullptr;
    bool repaint = false;  // repainted after every layout pass, moved or not (text labels)
    CSize topLeftAnchor, topLeftOffset;
    CSize bottomRightAnchor, bottomRightOffset;
};

class CAnchorLayout {
public:
    // Registers a control whose rectangle (in client coordinates) is `rect` in a client area of
    // `client`. ANCHOR_NONE as the bottom-right anchor keeps the control's size.
    void Add(const void* control, const CRect& rect, const CSize& client, CSize topLeft, CSize bottomRight,
             bool repaint);
    // Recomputes the offsets of the control's first record from its present rectangle; false when
    // the control was never added.
    bool Modify(const void* control, const CRect& rect, const CSize& client);
    void Clear() { m_records.clear(); }
    const std::vector<LayoutInfo>& Records() const { return m_records; }

    // Where a record's control goes in a client area of that size.
    static CRect Place(const LayoutInfo& info, const CSize& client);

    struct Move {
        const void* control;
        CRect rect;
        bool moves;    // left or top changes
        bool resizes;  // width or height changes
    };
    // The controls that must move for that client size, in registration order; a control whose
    // place is unchanged is left out. `current` gives a control's present rectangle.
    template <class CurrentRect>
    std::vector<Move> Arrange(const CSize& client, CurrentRect current) const {
        std::vector<Move> moves;
        for (const LayoutInfo& info : m_records) {
            const CRect now = current(info.control);
            const CRect next = Place(info, client);
            if (next == now) continue;
            moves.push_back({info.control, next, next.left != now.left || next.top != now.top,
                             next.Width() != now.Width() || next.Height() != now.Height()});
        }
        return moves;
    }

private:
    std::vector<LayoutInfo> m_records;
};

// The bottom-right square of the client area where the size grip sits.
CRect GripRect(const CSize& client, const CSize& grip);
// Whether a client point is on the grip: shown, inside it, and neither coordinate negative.
bool HitsGrip(bool shown, const CRect& grip, const CPoint& point);

// A window's saved placement: its normal rectangle (left, top, right, bottom), how it is shown
// and the placement flags.
enum : int { SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3 };
struct WindowPlacement {
    CRect normal;
    int showCmd = SW_SHOWNORMAL;
    int flags = 0;
};
// "%d,%d,%d,%d,%d,%d".
std::string FormatPlacement(const WindowPlacement& placement);
// All six numbers, or nothing: a shorter text or one with garbage where a number must stand.
std::optional<WindowPlacement> ParsePlacement(std::string_view text);

}  // namespace zor
