#pragma once
// The header's sort arrows: 9 x 9, 16 colours, an outlined triangle in dark grey and white on
// light grey, pointing down (descending) or up (ascending).
#include <QImage>

namespace zor::art {
QImage DrawSortArrow(bool up);
// The tree-list header's strip: two 10 x 10 images, the ascending arrow (0) and the descending one (1).
QImage DrawSortArrowStrip();
}
