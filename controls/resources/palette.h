#pragma once
// Colour tables of the library's bitmaps. Every bitmap is drawn on light grey, the colour that
// image lists make transparent, and then reduced to the colour depth the bitmap is kept in.
#include <QImage>
#include <QList>

#include "platform/win/gdi_types.h"

namespace zor::art {

// Light grey: the transparent colour of every bitmap of the library.
constexpr COLORREF kMaskColour = RGB(0xC0, 0xC0, 0xC0);
constexpr QRgb kMaskRgb = 0xFFC0C0C0;

// The sixteen colours of a 4-bit display, in their usual order.
namespace vga {
constexpr QRgb Black = 0xFF000000, Maroon = 0xFF800000, Green = 0xFF008000, Olive = 0xFF808000,
               Navy = 0xFF000080, Purple = 0xFF800080, Teal = 0xFF008080, Silver = 0xFFC0C0C0,
               Grey = 0xFF808080, Red = 0xFFFF0000, Lime = 0xFF00FF00, Yellow = 0xFFFFFF00,
               Blue = 0xFF0000FF, Fuchsia = 0xFFFF00FF, Aqua = 0xFF00FFFF, White = 0xFFFFFFFF;
}

const QList<QRgb>& Palette16();
// The sixteen colours, a 6x6x6 colour cube and a grey ramp: 256 entries.
const QList<QRgb>& Palette256();

// An opaque canvas of the given size filled with the transparent colour.
QImage MaskCanvas(int width, int height);
// Reduces an opaque image to an 8-bit image on the table (nearest colour, no dithering,
// so the transparent colour stays exact wherever it was drawn).
QImage ReduceTo(const QImage& image, const QList<QRgb>& table);

}  // namespace zor::art
