#include "controls/text/text_rotator.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

#include "platform/gdi/sys_colors.h"

namespace {

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

}  // namespace

namespace zor {

QImage TurnText(const QImage& src, int width, int height, int angle, QRgb fill) {
    QImage out(src.size(), QImage::Format_RGB32);
    out.fill(fill);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb p = src.pixel(x, y);
            switch (angle) {
            case 90: out.setPixel(height - 1 - y, x, p); break;
            case 180: out.setPixel(width - 1 - x, height - 1 - y, p); break;
            case 270: out.setPixel(y, width - 1 - x, p); break;
            default: out.setPixel(x, y, p); break;
            }
        }
    return out;
}

}  // namespace zor

CzorTextRotator::CzorTextRotator(QPainter* target, const char* text, unsigned horzAlign, unsigned vertAlign)
    : m_target(target), m_text(text ? text : ""), m_horz(horzAlign), m_vert(vertAlign),
      m_textColor(GetSysColor(COLOR_WINDOWTEXT)), m_backColor(GetSysColor(COLOR_BTNFACE)) {}

int CzorTextRotator::RotateText(unsigned angle) {
    m_rotated = QImage();
    m_rect = CRect(0, 0, 0, 0);
    m_angle = angle;
    if (!m_target)
        return 0;
    const QStringList lines = QString::fromUtf8(m_text).split('\n', Qt::SkipEmptyParts);
    const QFont font = m_target->font();
    const QFontMetrics fm(font);
    int width = 0;
    for (const QString& l : lines)
        width = std::max(width, fm.horizontalAdvance(l));
    const int lineHeight = fm.height();
    const int height = lineHeight * static_cast<int>(lines.size());
    const int side = std::max(width, height);
    if (side <= 0)
        return 0;
    QImage text(side, side, QImage::Format_RGB32);
    if (text.isNull())
        return 0;
    text.fill(ToQColor(m_backColor));
    {
        QPainter p(&text);
        p.setFont(font);
        const int align = Qt::AlignVCenter | Qt::TextSingleLine |
                          (m_horz == 2 ? Qt::AlignRight : m_horz == 1 ? Qt::AlignHCenter : Qt::AlignLeft);
        for (int i = 0; i < lines.size(); ++i) {
            const QRect band(0, i * lineHeight, width, lineHeight);
            if (m_disabled) {
                p.setPen(ToQColor(GetSysColor(COLOR_3DHILIGHT)));
                p.drawText(band.translated(1, 1), align, lines[i]);
                p.setPen(ToQColor(GetSysColor(COLOR_3DSHADOW)));
            } else {
                p.setPen(ToQColor(m_textColor));
            }
            p.drawText(band, align, lines[i]);
        }
    }
    m_rotated = zor::TurnText(text, width, height, static_cast<int>(angle), ToQColor(m_backColor).rgb());
    const bool across = angle == 90 || angle == 270;
    m_rect = CRect(0, 0, across ? height : width, across ? width : height);
    return 1;
}

int CzorTextRotator::BitBltText(int x, int y) {
    if (m_rotated.isNull() || !m_target)
        return 0;
    m_target->drawImage(QPoint(x, y), m_rotated, QRect(0, 0, m_rect.Width(), m_rect.Height()));
    return 1;
}

void CzorTextRotator::EtchedLine(int x1, int y1, int x2, int y2) {
    if (x2 < x1 || y2 < y1)
        return;
    const bool horizontal = y1 == y2;
    m_target->setPen(ToQColor(GetSysColor(COLOR_3DSHADOW)));
    m_target->drawLine(x1, y1, x2, y2);
    m_target->setPen(ToQColor(GetSysColor(COLOR_3DHILIGHT)));
    if (horizontal)
        m_target->drawLine(x1, y1 + 1, x2, y2 + 1);
    else
        m_target->drawLine(x1 + 1, y1, x2 + 1, y2);
}

int CzorTextRotator::BitBltText(const CRect& target) {
    if (m_rotated.isNull() || !m_target)
        return 0;
    const int w = std::min(m_rect.Width(), target.Width());
    const int h = std::min(m_rect.Height(), target.Height());
    if (w <= 0 || h <= 0)
        return 0;
    const int x = target.left + (m_horz == 2 ? target.Width() - w : m_horz == 1 ? (target.Width() - w) / 2 : 0);
    const int y = target.top + (m_vert == 2 ? target.Height() - h : m_vert == 1 ? (target.Height() - h) / 2 : 0);
    m_target->drawImage(QPoint(x, y), m_rotated, QRect(0, 0, w, h));
    if (m_bevel) {
        const int gap = 6;
        m_target->save();
        if (m_angle == 90 || m_angle == 270) {
            const int mid = x + w / 2;
            if (m_vert != 2)  // below the text
                EtchedLine(mid, y + h + gap, mid, target.bottom - gap);
            if (m_vert != 0)  // above it
                EtchedLine(mid, target.top + gap, mid, y - gap);
        } else {
            const int mid = y + h / 2;
            if (m_horz != 2)  // right of the text
                EtchedLine(x + w + gap, mid, target.right - gap, mid);
            if (m_horz != 0)  // left of it
                EtchedLine(target.left + gap, mid, x - gap, mid);
        }
        m_target->restore();
    }
    return 1;
}
