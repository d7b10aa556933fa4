#include "controls/dialogs/widget_colors.h"

#include <QPainter>

#include "platform/gdi/dc.h"

namespace zor {

COLORREF ScreenSysColor(QPainter& painter, int index) {
    const CDC dc(&painter);
    return dc.GetSysColor(index);
}

}  // namespace zor
