#include "controls/dialogs/anchor_layout.h"

#include <cstdint>

#include <fmt/printf.h>

#include "platform/text/numbers.h"

namespace zor {

namespace {

// Percent of an extent, the product formed first so that 301 * 50 / 100 is 150, as the offsets
// were computed; 64 bits so that no client size can overflow it.
int32_t Percent(int32_t extent, int32_t percent) {
    return static_cast<int32_t>(static_cast<int64_t>(extent) * percent / 100);
}

void SetOffsets(LayoutInfo& info, const CRect& rect, const CSize& client) {
    info.topLeftOffset = CSize(rect.left - Percent(client.cx, info.topLeftAnchor.cx),
                               rect.top - Percent(client.cy, info.topLeftAnchor.cy));
    info.bottomRightOffset = CSize(rect.right - Percent(client.cx, info.bottomRightAnchor.cx),
                                   rect.bottom - Percent(client.cy, info.bottomRightAnchor.cy));
}

}  // namespace

void CAnchorLayout::Add(const void* control, const CRect& rect, const CSize& client, CSize topLeft,
                        CSize bottomRight, bool repaint) {
    LayoutInfo info;
    info.control = control;
    info.repaint = repaint;
    info.topLeftAnchor = topLeft;
    info.bottomRightAnchor = bottomRight == ANCHOR_NONE ? topLeft : bottomRight;
    SetOffsets(info, rect, client);
    m_records.push_back(info);
}

bool CAnchorLayout::Modify(const void* control, const CRect& rect, const CSize& client) {
    for (LayoutInfo& info : m_records) {
        if (info.control != control) continue;
        SetOffsets(info, rect, client);
        return true;
    }
    return false;
}

CRect CAnchorLayout::Place(const LayoutInfo& info, const CSize& client) {
    return CRect(info.topLeftOffset.cx + Percent(client.cx, info.topLeftAnchor.cx),
                 info.topLeftOffset.cy + Percent(client.cy, info.topLeftAnchor.cy),
                 info.bottomRightOffset.cx + Percent(client.cx, info.bottomRightAnchor.cx),
                 info.bottomRightOffset.cy + Percent(client.cy, info.bottomRightAnchor.cy));
}

CRect GripRect(const CSize& client, const CSize& grip) {
    return CRect(client.cx - grip.cx, client.cy - grip.cy, client.cx, client.cy);
}

bool HitsGrip(bool shown, const CRect& grip, const CPoint& point) {
    return shown && grip.PtInRect(point) && point.x >= 0 && point.y >= 0;
}

std::string FormatPlacement(const WindowPlacement& p) {
    return fmt::sprintf("%d,%d,%d,%d,%d,%d", p.normal.left, p.normal.top, p.normal.right, p.normal.bottom,
                        p.showCmd, p.flags);
}

std::optional<WindowPlacement> ParsePlacement(std::string_view text) {
    int values[6];
    size_t pos = 0;
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ',') return std::nullopt;
            ++pos;
        }
        size_t used = 0;
        values[i] = TextToInt(text.substr(pos), &used);
        if (used == 0) return std::nullopt;
        pos += used;
    }
    WindowPlacement p;
    p.normal = CRect(values[0], values[1], values[2], values[3]);
    p.showCmd = values[4];
    p.flags = values[5];
    return p;
}

}  // namespace zor
