#include "controls/tests/menu_test_bitmaps.h"

#include "controls/resources/palette.h"

namespace menu_test {

QImage TestBitmap(int id) {
    if (id != 911 && id != 921) return {};
    constexpr int count = 3;
    QImage strip(16 * count, 15, QImage::Format_RGB32);
    strip.fill(zor::art::kMaskRgb);
    for (int n = 0; n < count; ++n)
        for (int y = 1; y < 14; ++y)
            for (int x = 1; x < 15; ++x) strip.setPixel(16 * n + x, y, kStripColours[n]);
    return id == 911 ? zor::art::ReduceTo(strip, zor::art::Palette16()) : strip;
}

}  // namespace menu_test
