#include "controls/dialogs/title_tip_rules.h"

#include <algorithm>
#include <chrono>

namespace zor {

std::optional<CRect> TitleTipRect(const CRect& cell, const CSize& text, int offsetX, int offsetY) {
    const int right = cell.left + offsetX + text.cx + 3;
    if (cell.right >= right) return std::nullopt;
    const int bottom = std::max(cell.top + offsetY + text.cy + 1, cell.bottom);
    return CRect(cell.left, cell.top, right, bottom);
}

CClickRelay::CClickRelay(Clock clock) : m_clock(std::move(clock)) {
    if (!m_clock)
        m_clock = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch()).count();
        };
}

bool CClickRelay::PressIsDoubleClick(const CPoint& at) {
    const int64_t now = m_clock();
    if (m_lastAt && *m_lastAt == at && now - m_lastTick < 1000) {
        m_lastAt.reset();
        return true;
    }
    m_lastAt = at;
    m_lastTick = now;
    return false;
}

}  // namespace zor
