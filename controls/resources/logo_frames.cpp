// The logo band's frames: 17 pairs of 36 x 20 pictures side by side (1224 x 20), each pair a normal and
// a hover picture. Pair 0 is the resting emblem; pairs 1 to 16 turn the quill once round the sheet, so the
// cycle ends where it began.
#include <cmath>

#include <QPainter>
#include <QPainterPath>

#include "controls/resources/artwork.h"
#include "controls/resources/palette.h"

namespace zor::art {
namespace {

constexpr int kFrameWidth = 36, kFrameHeight = 20, kPairs = 17;

void DrawFrame(QPainter& p, int pair, bool hover, bool manyColours) {
    // The sheet, with a folded corner; the hover picture lights it up.
    const QColor paper = hover ? QColor(vga::Yellow) : QColor(vga::White);
    p.setPen(QPen(QColor(vga::Navy), 1));
    p.setBrush(paper);
    p.drawPolygon(QPolygonF({QPointF(11.5, 2.5), QPointF(21.5, 2.5), QPointF(25.5, 6.5), QPointF(25.5, 17.5),
                             QPointF(11.5, 17.5)}));
    p.setBrush(QColor(vga::Grey));
    p.drawPolygon(QPolygonF({QPointF(21.5, 2.5), QPointF(25.5, 6.5), QPointF(21.5, 6.5)}));
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 3; ++row) p.fillRect(QRectF(14, 9 + row * 3, row == 2 ? 5 : 9, 1), QColor(vga::Grey));

    // The quill: resting across the sheet, or a sixteenth of a turn further for each animation pair.
    const double angle = pair == 0 ? -50.0 : -50.0 + 22.5 * pair;
    p.save();
    p.translate(18, 10);
    p.rotate(angle);
    QPainterPath feather;
    feather.moveTo(-8, 0);
    feather.cubicTo(-2, -3, 4, -3, 9, 0);
    feather.cubicTo(4, 2, -2, 2, -8, 0);
    p.setBrush(manyColours ? QColor(0, 153, 153) : QColor(vga::Teal));
    p.setPen(QPen(manyColours ? QColor(0, 51, 51) : QColor(vga::Black), 1));
    p.drawPath(feather);
    p.restore();
}

}  // namespace

QImage DrawLogoFrames(bool manyColours) {
    QImage canvas = MaskCanvas(kFrameWidth * kPairs * 2, kFrameHeight);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing, manyColours);
    for (int frame = 0; frame < kPairs * 2; ++frame) {
        p.save();
        p.setClipRect(frame * kFrameWidth, 0, kFrameWidth, kFrameHeight);
        p.translate(frame * kFrameWidth, 0);
        DrawFrame(p, frame / 2, frame % 2 == 1, manyColours);
        p.restore();
    }
    p.end();
    return ReduceTo(canvas, manyColours ? Palette256() : Palette16());
}

}  // namespace zor::art
