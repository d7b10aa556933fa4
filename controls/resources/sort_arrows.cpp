#include "controls/resources/sort_arrows.h"

#include "controls/resources/palette.h"

namespace zor::art {

namespace {

// Pixel by pixel: at 9 x 9 any smoothing would blur the outline into greys.
void Put(QImage& image, int x, int y, QRgb colour) { image.setPixel(x, y, colour); }

}  // namespace

QImage DrawSortArrow(bool up) {
    QImage image = MaskCanvas(9, 9);
    // Light falls from the top left: the left side is dark grey, the right side white. The tip
    // is at the top (up) or the bottom (down); each two rows away from it widen it by a pixel.
    for (int r = 0; r < 8; ++r) {
        const int row = up ? r : 8 - r;
        Put(image, 4 + r / 2, row, vga::White);
        Put(image, 4 - r / 2, row, vga::Grey);  // the tip itself is in shade
    }
    // The flat side: lit at the bottom of an up arrow, in shade at the top of a down arrow.
    for (int x = 0; x <= 8; ++x) Put(image, x, up ? 8 : 0, up ? vga::White : vga::Grey);
    return ReduceTo(image, Palette16());
}

QImage DrawSortArrowStrip() {
    QImage strip = MaskCanvas(20, 10);
    for (int i = 0; i < 2; ++i) {
        const QImage arrow = DrawSortArrow(i == 0).convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < arrow.height(); ++y)
            for (int x = 0; x < arrow.width(); ++x) Put(strip, i * 10 + x, y + 1, arrow.pixel(x, y));
    }
    return ReduceTo(strip, Palette16());
}

}  // namespace zor::art
