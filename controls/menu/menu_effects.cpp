#include "controls/menu/menu_effects.h"

#include <QPainter>

namespace zor::menu {

namespace {

uint8_t Up(uint8_t v, double f) { return static_cast<uint8_t>(v + f * (255 - v)); }
uint8_t Down(uint8_t v, double f) { return static_cast<uint8_t>(v - f * v); }

// Applies `change` to every pixel of an opaque copy.
template <class Change>
QImage Map(const QImage& image, Change change) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) line[x] = change(line[x]);
    }
    return out;
}

bool Same(QRgb pixel, COLORREF colour) { return (pixel | 0xFF000000u) == ToRgb(colour); }

}  // namespace

COLORREF Lighten(COLORREF c, double f) {
    if (!(f > 0.0 && f <= 1.0)) return c;
    return RGB(Up(GetRValue(c), f), Up(GetGValue(c), f), Up(GetBValue(c), f));
}

COLORREF Darken(COLORREF c, double f) {
    if (!(f > 0.0 && f <= 1.0)) return c;
    return RGB(Down(GetRValue(c), f), Down(GetGValue(c), f), Down(GetBValue(c), f));
}

QRgb ToRgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }
COLORREF FromRgb(QRgb rgb) { return RGB(uint8_t(qRed(rgb)), uint8_t(qGreen(rgb)), uint8_t(qBlue(rgb))); }

QImage OnFace(const QImage& picture, COLORREF face) {
    QImage out(picture.size(), QImage::Format_ARGB32);
    out.fill(ToRgb(face));
    QPainter p(&out);
    p.drawImage(0, 0, picture);
    return out;
}

QImage Faded(const QImage& onFace, COLORREF face) {
    return Map(onFace, [&](QRgb px) { return Same(px, face) ? px : ToRgb(Lighten(FromRgb(px), 0.3)); });
}

QImage Transparent(const QImage& image, COLORREF face) {
    return Map(image, [&](QRgb px) { return qAlpha(px) && Same(px, RGB(0xC0, 0xC0, 0xC0)) ? ToRgb(face) : px; });
}

QImage Disabled(const QImage& onFace, COLORREF face, COLORREF background, COLORREF shadow) {
    return Map(onFace, [&](QRgb px) {
        if (Same(px, face)) return background ? ToRgb(background) : px;
        const int grey = (qRed(px) + qGreen(px) + qBlue(px)) / 3;
        return ToRgb(Lighten(shadow, grey / 255.0));
    });
}

QImage Shadow(const QImage& onFace, COLORREF face, COLORREF shadow) {
    return Map(onFace, [&](QRgb px) { return Same(px, face) ? px : ToRgb(shadow); });
}

QImage Embossed(const QImage& picture, COLORREF fill, COLORREF highlight, COLORREF shadow,
                std::initializer_list<COLORREF> background) {
    const QImage src = picture.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_ARGB32);
    out.fill(ToRgb(fill));
    auto shape = [&](int x, int y) {
        const QRgb px = src.pixel(x, y);
        if (qAlpha(px) < 128) return false;
        for (COLORREF b : background)
            if (Same(px, b)) return false;
        return true;
    };
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (shape(x, y) && x + 1 < out.width() && y + 1 < out.height()) out.setPixel(x + 1, y + 1, ToRgb(highlight));
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (shape(x, y)) out.setPixel(x, y, ToRgb(shadow));
    return out;
}

QImage Masked(const QImage& opaque, COLORREF transparent) {
    return Map(opaque, [&](QRgb px) { return Same(px, transparent) ? 0u : px | 0xFF000000u; });
}

QImage ColorBitmap(CSize bitmap, CSize swatch, COLORREF fill, COLORREF border, int hatchStyle, COLORREF menu) {
    QImage out(std::max(1, int(bitmap.cx)), std::max(1, int(bitmap.cy)), QImage::Format_ARGB32);
    out.fill(ToRgb(menu));
    const int w = std::clamp(int(swatch.cx), 1, out.width()), h = std::clamp(int(swatch.cy), 1, out.height());
    const QRect rect((out.width() - w) / 2, (out.height() - h) / 2, w, h);
    QPainter p(&out);
    static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                             Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    if (hatchStyle >= 0 && hatchStyle < 6) {
        p.fillRect(rect, Qt::white);
        p.fillRect(rect, QBrush(QColor(ToRgb(fill)), hatches[hatchStyle]));
    } else {
        p.fillRect(rect, QColor(ToRgb(fill)));
    }
    p.setPen(QColor(ToRgb(border)));
    p.drawRect(rect.adjusted(0, 0, -1, -1));
    return out;
}

}  // namespace zor::menu
