#pragma once
// The library's own bitmaps (sort arrows, stock icon strips, check strips, the logo and its band's frames,
// the please-wait frames), kept by their resource numbers. All are our artwork, drawn in code; light grey
// is transparent.
#include <QImage>

namespace zor {

enum VistrelBitmapId : int {
    IDB_ZOR_SORT_DOWN = 1000,   // 9 x 9, 16 colours: descending arrow of a list header
    IDB_ZOR_SORT_UP = 1001,     // 9 x 9, 16 colours: ascending arrow
    IDB_ZOR_STD_ICO32 = 1052,   // 224 x 32, 16 colours: 7 images of 32 x 32
    IDB_ZOR_STD_ICO24 = 1054,   // 192 x 24, 16 colours: 8 images of 24 x 24
    IDB_ZOR_STD_ICO16 = 1056,   // 496 x 15, 16 colours: 31 images of 16 x 15
    IDB_ZOR_TABLE_ICO = 1058,   // 944 x 15, 16 colours: 59 images of 16 x 15
    IDB_ZOR_LOGO_FRAMES16 = 1063,  // 1224 x 20, 16 colours: 34 images of 36 x 20, the logo band's pairs
    IDB_ZOR_LOGO_FRAMES256 = 1068, // 1224 x 20, 256 colours: the same pairs, smoother
    IDB_ZOR_WAIT_FRAMES = 1071, // 96 x 32, 256 colours: 3 images of 32 x 32
    IDB_ZOR_CHECK16 = 1072,     // 140 x 20, 16 colours: 7 images of 20 x 20
    IDB_ZOR_CHECK256 = 1074,    // 140 x 20, 256 colours: the same 7 images, smoother
    IDB_ZOR_LOGO256 = 1075,     // 400 x 70, 256 colours
    IDB_ZOR_LOGO16 = 1076,      // 400 x 70, 16 colours
    IDB_ZOR_TREE_SORT = 1077,   // 20 x 10, 16 colours: the tree-list header's arrows, ascending then descending
};

// The bitmap as the library keeps it: an 8-bit indexed image whose colour table has 16 or 256
// entries. A null image for a number that is not one of the library's bitmaps.
// Needs no GUI application (nothing here draws text).
QImage LoadVistrelBitmap(int id);

}  // namespace zor
