#pragma once
// Stock icons and the product logo of the controls library.
//
// The six stock image lists are cut from the library's bitmaps the first time an icon is asked
// for. Every getter returns a new icon made for the call; the caller owns it as a value (there is
// nothing to destroy). The icons are pixmaps, so they need the GUI application, which every
// window needs anyway; without one, or for an index outside the list, the icon is null.
#include <QIcon>
#include <QPixmap>

class QWidget;

QIcon GetZorStdIco32(int index);  // 7 images of 32 x 32
QIcon GetZorStdIco24(int index);  // 8 images of 24 x 24
QIcon GetZorStdIco16(int index);  // 31 images of 16 x 15: 0 OK, 1 Cancel, 2 add, 4 help
// 59 images of 16 x 15: 0 add, 1 up, 2 down, 5 remove, 28 cut, 29 copy, 30 paste,
// 31 load from a file, 32 save to a file, 42 properties, 43 execute, 58 edit.
QIcon GetZorTableIco(int index);
// 7 check-box and radio images of 20 x 20: the 16-colour strip when flag is 0, else the
// smoother 256-colour strip with the same pictures at the same positions.
QIcon GetZorCheckIco(int index, int flag);

// The colour depth, in bits per pixel, of the screen the window is on; 0 for no window or a
// window that is on no screen.
int zorGetBitPerPixel(const QWidget* wnd);

// The resource number of the logo for a display of that depth: 16 colours up to 8 bits per pixel.
int zorLogoBitmapId(int bitsPerPixel);

// Loads the logo (400 x 70) suited to the window's display into `bitmap`, with light grey turned
// into the current button-face colour. `bitmap` must be empty: a bitmap that already holds a
// picture is left as it is and the call fails. Fails without a GUI application.
bool zorGetLogoBmp(QPixmap& bitmap, const QWidget* wnd);
