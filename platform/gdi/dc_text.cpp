// Text of CDC: measured through the current text measurer, drawn with Qt at the device's resolution.
#include <cstdlib>

#include <QFont>
#include <QString>

#include "platform/gdi/dc.h"
#include "platform/gdi/dc_impl.h"
#include "platform/gdi/emf_writer.h"
#include "platform/gdi/qt_text_measurer.h"

namespace {

// The text as drawn: control characters take no room in a measure, so they are not drawn either.
QString DrawnText(std::string_view text) {
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    s.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    return s;
}

}  // namespace

CSize CDC::GetTextExtent(std::string_view text) const {
    const Impl& d = *m_impl;
    const CTextMeasurer& measurer = CurrentTextMeasurer();
    // Logical units per tenth of a millimetre.
    const double fx = d.PhysicalX() / d.ScaleX();
    const double fy = d.PhysicalY() / d.ScaleY();
    const TEXTMETRIC tm = RoundTextMetrics(d.state.font, measurer.FontMetrics(d.state.font), fx, fy);
    return CSize(RoundToUnit(measurer.TextWidth(d.state.font, text) * fx), tm.tmHeight);
}

bool CDC::GetTextExtentExPoint(std::string_view text, int maxExtent, int* fit, std::vector<int>* partialExtents,
                               CSize* size) const {
    const Impl& d = *m_impl;
    const double fx = d.PhysicalX() / d.ScaleX();
    std::vector<double> widths;
    CurrentTextMeasurer().PrefixWidths(d.state.font, text, widths);
    if (partialExtents) partialExtents->resize(widths.size());
    int fitting = 0;
    bool stillFits = true;
    for (size_t i = 0; i < widths.size(); ++i) {
        const int extent = RoundToUnit(widths[i] * fx);
        if (partialExtents) (*partialExtents)[i] = extent;
        if (stillFits && extent <= maxExtent)
            ++fitting;
        else
            stillFits = false;
    }
    if (fit) *fit = fitting;
    if (size) *size = GetTextExtent(text);
    return true;
}

bool CDC::GetTextMetrics(TEXTMETRIC* metrics) const {
    if (!metrics) return false;
    const Impl& d = *m_impl;
    *metrics = RoundTextMetrics(d.state.font, CurrentTextMeasurer().FontMetrics(d.state.font),
                                d.PhysicalX() / d.ScaleX(), d.PhysicalY() / d.ScaleY());
    return true;
}

bool CDC::TextOut(int x, int y, std::string_view text) {
    Impl& d = *m_impl;
    if (d.Recording()) {
        d.recorder->Text(d, d.ToDevicePoint(x, y), text);
        return true;
    }
    if (!d.Drawing() || text.empty()) return true;
    const LOGFONT& font = d.state.font;
    if (font.lfHeight == 0) return true;
    const CTextMeasurer& measurer = CurrentTextMeasurer();
    const CFontMetricsF m = measurer.FontMetrics(font);
    const bool vertical = font.lfEscapement != 0;
    const QPointF origin = d.ToDevice(x, y);
    QPainter& p = *d.painter;
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (d.state.bkMode == OPAQUE) {
        const double along = measurer.TextWidth(font, text);
        const QRectF cell = vertical ? QRectF(origin.x(), origin.y() - along * d.PhysicalY(),
                                              m.Height() * d.PhysicalX(), along * d.PhysicalY())
                                     : QRectF(origin.x(), origin.y(), along * d.PhysicalX(), m.Height() * d.PhysicalY());
        p.fillRect(cell, Impl::ToQColor(d.state.bkColor));
    }
    QFont qfont = MakeQtFont(font);
    qfont.setPointSizeF(std::abs(font.lfHeight) / 10.0);
    p.save();
    p.setFont(qfont);
    p.setPen(Impl::ToQColor(d.state.textColor));
    p.translate(origin);
    if (vertical) {
        p.rotate(-90.0);  // reads upward
        p.drawText(QPointF(0.0, m.ascent * d.PhysicalX()), DrawnText(text));
    } else {
        p.drawText(QPointF(0.0, m.ascent * d.PhysicalY()), DrawnText(text));
    }
    p.restore();
    return true;
}
