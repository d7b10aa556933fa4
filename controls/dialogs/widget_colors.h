#pragma once
// System colours for painting a widget on the screen: the application's palette where a classic
// colour has a counterpart there, the fixed table otherwise (the drawing layer's rule).
#include <QColor>

#include "platform/win/gdi_types.h"

class QPainter;

namespace zor {

// `painter` paints a widget; its state is left as it was.
COLORREF ScreenSysColor(QPainter& painter, int index);
inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

}  // namespace zor
