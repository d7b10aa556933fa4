// Lines, rectangles and images of CDC.
#include <algorithm>
#include <cmath>

#include <QImage>
#include <QPaintEngine>
#include <QPolygon>

#include "platform/gdi/dc.h"
#include "platform/gdi/dc_impl.h"
#include "platform/gdi/emf_writer.h"

QPen CDC::Impl::DevicePen() const {
    const int style = static_cast<int>(state.pen.lopnStyle) & PS_STYLE_MASK;
    if (style == PS_NULL) return QPen(Qt::NoPen);
    // Logical width on the device, never thinner than a pixel.
    const double w = state.pen.lopnWidth.x * (ScaleX() + ScaleY()) / 2.0;
    const int width = std::max(1, static_cast<int>(std::lround(w)));
    Qt::PenStyle qtStyle = Qt::SolidLine;
    switch (style) {
        case PS_DASH: qtStyle = Qt::DashLine; break;
        case PS_DOT: qtStyle = Qt::DotLine; break;
        case PS_DASHDOT: qtStyle = Qt::DashDotLine; break;
        case PS_DASHDOTDOT: qtStyle = Qt::DashDotDotLine; break;
        default: break;
    }
    // Round caps would swallow the gaps of a pattern.
    const Qt::PenCapStyle cap = qtStyle == Qt::SolidLine ? Qt::RoundCap : Qt::FlatCap;
    return QPen(QBrush(ToQColor(state.pen.lopnColor)), width, qtStyle, cap, Qt::RoundJoin);
}

void CDC::Impl::ApplyRop() {
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    if (painter->paintEngine() && painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        if (state.rop2 == R2_XORPEN) mode = QPainter::RasterOp_SourceXorDestination;
        if (state.rop2 == R2_NOTXORPEN) mode = QPainter::RasterOp_NotSourceXorDestination;
    }
    painter->setCompositionMode(mode);
}

CPoint CDC::MoveTo(int x, int y) {
    const CPoint previous = m_impl->state.position;
    m_impl->state.position = CPoint(x, y);
    return previous;
}

CPoint CDC::GetCurrentPosition() const { return m_impl->state.position; }

bool CDC::LineTo(int x, int y) {
    Impl& d = *m_impl;
    const CPoint from = d.state.position;
    d.state.position = CPoint(x, y);
    if (d.Recording()) {
        if ((static_cast<int>(d.state.pen.lopnStyle) & PS_STYLE_MASK) != PS_NULL)
            d.recorder->Line(d, d.ToDevicePoint(from.x, from.y), d.ToDevicePoint(x, y));
        return true;
    }
    if (!d.Drawing()) return true;
    const QPen pen = d.DevicePen();
    if (pen.style() == Qt::NoPen) return true;
    const CPoint a = d.ToDevicePoint(from.x, from.y);
    const CPoint b = d.ToDevicePoint(x, y);
    d.ApplyRop();
    d.painter->setPen(pen);
    d.painter->drawLine(QPoint(a.x, a.y), QPoint(b.x, b.y));
    return true;
}

bool CDC::Rectangle(int left, int top, int right, int bottom) {
    Impl& d = *m_impl;
    if (d.Recording()) d.recorder->Rectangle(d, d.ToDeviceRect(left, top, right, bottom));
    if (!d.Drawing()) return true;
    const CRect r = d.ToDeviceRect(left, top, right, bottom);
    d.ApplyRop();
    if (d.state.brush.lbStyle == BS_SOLID && !r.IsRectEmpty())
        d.painter->fillRect(QRect(r.left, r.top, r.Width(), r.Height()), Impl::ToQColor(d.state.brush.lbColor));
    const QPen pen = d.DevicePen();
    if (pen.style() == Qt::NoPen) return true;
    // The outline runs along the outermost pixels inside the rectangle; a rectangle without area
    // still shows as a line.
    const int x1 = std::max(r.left, r.right - 1);
    const int y1 = std::max(r.top, r.bottom - 1);
    QPolygon outline;
    outline << QPoint(r.left, r.top) << QPoint(x1, r.top) << QPoint(x1, y1) << QPoint(r.left, y1);
    d.painter->setPen(pen);
    d.painter->setBrush(Qt::NoBrush);
    d.painter->drawPolygon(outline);
    return true;
}

bool CDC::Rectangle(const RECT* rect) {
    if (!rect) return false;
    return Rectangle(*rect);
}

void CDC::FillRect(const RECT& rect, CBrush* brush) {
    LOGBRUSH b;
    if (!brush || !brush->GetLogBrush(&b) || b.lbStyle != BS_SOLID) return;
    FillSolidRect(rect, b.lbColor);
}

void CDC::FillRect(const RECT* rect, CBrush* brush) {
    if (rect) FillRect(*rect, brush);
}

void CDC::FillSolidRect(const RECT& rect, COLORREF color) {
    Impl& d = *m_impl;
    if (d.Recording()) d.recorder->FillSolid(d, d.ToDeviceRect(rect.left, rect.top, rect.right, rect.bottom), color);
    if (!d.Drawing()) return;
    const CRect r = d.ToDeviceRect(rect.left, rect.top, rect.right, rect.bottom);
    if (r.IsRectEmpty()) return;
    d.painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    d.painter->fillRect(QRect(r.left, r.top, r.Width(), r.Height()), Impl::ToQColor(color));
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    FillSolidRect(CRect(x, y, x + cx, y + cy), color);
}

void CDC::FrameRect(const RECT& rect, CBrush* brush) {
    Impl& d = *m_impl;
    LOGBRUSH b;
    if ((!d.Drawing() && !d.Recording()) || !brush || !brush->GetLogBrush(&b) || b.lbStyle != BS_SOLID) return;
    const CRect r = d.ToDeviceRect(rect.left, rect.top, rect.right, rect.bottom);
    if (r.IsRectEmpty()) return;
    const int bx = std::min(r.Width(), std::max(1, static_cast<int>(std::lround(d.ScaleX()))));
    const int by = std::min(r.Height(), std::max(1, static_cast<int>(std::lround(d.ScaleY()))));
    if (d.Recording()) {
        d.recorder->FillSolid(d, CRect(r.left, r.top, r.right, r.top + by), b.lbColor);
        d.recorder->FillSolid(d, CRect(r.left, r.bottom - by, r.right, r.bottom), b.lbColor);
        d.recorder->FillSolid(d, CRect(r.left, r.top, r.left + bx, r.bottom), b.lbColor);
        d.recorder->FillSolid(d, CRect(r.right - bx, r.top, r.right, r.bottom), b.lbColor);
        return;
    }
    const QColor c = Impl::ToQColor(b.lbColor);
    d.painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    d.painter->fillRect(QRect(r.left, r.top, r.Width(), by), c);
    d.painter->fillRect(QRect(r.left, r.bottom - by, r.Width(), by), c);
    d.painter->fillRect(QRect(r.left, r.top, bx, r.Height()), c);
    d.painter->fillRect(QRect(r.right - bx, r.top, bx, r.Height()), c);
}

void CDC::FrameRect(const RECT* rect, CBrush* brush) {
    if (rect) FrameRect(*rect, brush);
}

void CDC::DrawImage(int x, int y, int width, int height, const QImage& image) {
    Impl& d = *m_impl;
    if ((!d.Drawing() && !d.Recording()) || image.isNull()) return;
    const CRect r = d.ToDeviceRect(x, y, x + width, y + height);
    if (r.IsRectEmpty()) return;
    if (d.Recording()) {
        d.recorder->Image(d, r, image);
        return;
    }
    d.painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    d.painter->drawImage(QRect(r.left, r.top, r.Width(), r.Height()), image);
}
