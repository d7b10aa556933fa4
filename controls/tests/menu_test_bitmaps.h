#pragma once
// The bitmaps of the menu tests' resources (menu_test.rc), drawn here.
#include <QImage>

namespace menu_test {

// Toolbar 910 shows bitmap 911 (16 colours, 3 images), toolbar 920 bitmap 921 (true colour, 3 images):
// image n is filled with kStripColours[n] on light grey, with a light-grey border of one pixel.
inline constexpr QRgb kStripColours[] = {0xFFFF0000, 0xFF008000, 0xFF0000FF};
QImage TestBitmap(int id);

}  // namespace menu_test
