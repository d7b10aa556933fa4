#pragma once
// Colour and picture operations of the menu looks. Pictures are ARGB images of icon size; a transparent
// pixel is background. Pure functions on images: no widgets, no application needed.
#include <QImage>

#include "platform/win/gdi_types.h"
#include "platform/win/geometry.h"

namespace zor::menu {

// Each channel v becomes v + f * (255 - v) (Lighten) or v - f * v (Darken), truncated; a factor outside
// (0, 1] returns the colour unchanged.
COLORREF Lighten(COLORREF colour, double factor);
COLORREF Darken(COLORREF colour, double factor);

QRgb ToRgb(COLORREF colour);
COLORREF FromRgb(QRgb rgb);

// The picture on an opaque field of `face` (what GetBitmapFromImageList gives).
QImage OnFace(const QImage& picture, COLORREF face);
// Every pixel that is not `face` lightened by 0.3.
QImage Faded(const QImage& onFace, COLORREF face);
// Light grey 0xC0C0C0 becomes `face`.
QImage Transparent(const QImage& image, COLORREF face);
// `face` pixels become `background` (unless that is 0); every other pixel becomes `shadow` lightened by
// its grey level (the mean of its channels / 255).
QImage Disabled(const QImage& onFace, COLORREF face, COLORREF background, COLORREF shadow);
// Every pixel that is not `face` becomes `shadow`.
QImage Shadow(const QImage& onFace, COLORREF face, COLORREF shadow);
// The embossed picture: a field of `fill` with the picture's shape in `highlight` one pixel right and down
// and in `shadow` in place. The shape is every opaque pixel that is not one of the `background` colours
// (white for the old style; the face and the highlight for the monochrome one).
QImage Embossed(const QImage& picture, COLORREF fill, COLORREF highlight, COLORREF shadow,
                std::initializer_list<COLORREF> background);
// The picture with the transparent pixels of `mask`: 0 alpha where the pixel equals `transparent`.
QImage Masked(const QImage& opaque, COLORREF transparent);

// A colour swatch: a bitmap of `bitmap` size; a smaller swatch is centred on the menu colour. The swatch
// has a one-pixel frame in `border` and is filled with `fill`: solid for hatch style -1, else hatched
// (0 horizontal, 1 vertical, 2 forward diagonal, 3 backward diagonal, 4 cross, 5 diagonal cross) on white.
QImage ColorBitmap(CSize bitmap, CSize swatch, COLORREF fill, COLORREF border, int hatchStyle, COLORREF menu);

}  // namespace zor::menu
