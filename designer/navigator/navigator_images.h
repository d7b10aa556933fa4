#pragma once
// The navigator's pictures (our artwork, 16 by 16, in the order of the strip the items index): 0 a sheet,
// 1 a sheet shown selected, 2 and 3 spare, 4 + type a report parameter of that type (4 text, 5 number,
// 6 date, 7 store object, 8 and up page fields).
#include <QIcon>
#include <QPixmap>

namespace quillmark {

QPixmap NavigatorImage(int index);
// The item's icon: the normal image, and the selected image for the selected state.
QIcon NavigatorIcon(int image, int selectedImage);

}  // namespace quillmark
