#include "controls/resources/palette.h"

namespace zor::art {

const QList<QRgb>& Palette16() {
    static const QList<QRgb> table = {vga::Black, vga::Maroon, vga::Green,  vga::Olive,
                                      vga::Navy,  vga::Purple, vga::Teal,   vga::Silver,
                                      vga::Grey,  vga::Red,    vga::Lime,   vga::Yellow,
                                      vga::Blue,  vga::Fuchsia, vga::Aqua,  vga::White};
    return table;
}

const QList<QRgb>& Palette256() {
    static const QList<QRgb> table = [] {
        QList<QRgb> t = Palette16();
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) t.append(qRgb(r * 51, g * 51, b * 51));
        // 24 greys between the cube's steps fill the table up to 256 entries.
        for (int i = 0; i < 24; ++i) t.append(qRgb(8 + i * 10, 8 + i * 10, 8 + i * 10));
        return t;
    }();
    return table;
}

QImage MaskCanvas(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kMaskRgb);
    return image;
}

QImage ReduceTo(const QImage& image, const QList<QRgb>& table) {
    return image.convertToFormat(QImage::Format_RGB32)
        .convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither | Qt::AvoidDither);
}

}  // namespace zor::art
