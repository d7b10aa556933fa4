#include "designer/frame/frame_placement.h"

namespace quillmark {

QRect FirstStartPlacement(const QRect& available) {
    if (available.width() <= 0 || available.height() <= 0) return QRect(50, 50, 600, 400);
    const int width = available.width() * 9 / 10;
    const int height = available.height() * 9 / 10;
    return QRect(available.left() + (available.width() - width) / 2, available.top() + (available.height() - height) / 2,
                 width, height);
}

}  // namespace quillmark
