#pragma once
// Reading regions of a drawn image: tests look at where ink landed, never at whole-image equality.
#include <cstdlib>

#include <QColor>
#include <QImage>
#include <QRect>

#include "platform/win/gdi_types.h"
#include "platform/win/geometry.h"

namespace gdi_test {

// A white ARGB image whose resolution is `dpi` (so a tenth of a millimetre is dpi / 254 pixels).
inline QImage BlankImage(int width, int height, double dpi) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    const int dpm = static_cast<int>(dpi / 0.0254 + 0.5);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(Qt::white);
    return image;
}

inline bool IsWhite(QRgb c) { return qRed(c) > 250 && qGreen(c) > 250 && qBlue(c) > 250; }
inline bool Is(QRgb c, COLORREF ref, int tolerance = 0) {
    return std::abs(qRed(c) - GetRValue(ref)) <= tolerance && std::abs(qGreen(c) - GetGValue(ref)) <= tolerance &&
           std::abs(qBlue(c) - GetBValue(ref)) <= tolerance;
}

// Pixels of `rect` (clipped to the image) that are not white.
inline int InkCount(const QImage& image, QRect rect) {
    rect = rect.intersected(image.rect());
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (!IsWhite(image.pixel(x, y))) ++n;
    return n;
}

// Pixels of `rect` that have exactly the colour.
inline int ColourCount(const QImage& image, QRect rect, COLORREF colour, int tolerance = 0) {
    rect = rect.intersected(image.rect());
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (Is(image.pixel(x, y), colour, tolerance)) ++n;
    return n;
}

// Smallest rectangle holding every non-white pixel; null when the image is blank.
inline QRect InkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!IsWhite(image.pixel(x, y))) bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// The pixels a logical rectangle covers in an image drawn at 254 dpi, where a logical unit (a tenth of a
// millimetre) is one pixel and device y is minus logical y.
inline QRect DeviceRect(const CRect& logical) {
    CRect r = logical;
    r.NormalizeRect();
    return QRect(QPoint(r.left, -r.bottom), QPoint(r.right - 1, -r.top - 1));
}

}  // namespace gdi_test
