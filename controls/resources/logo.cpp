// The product logo, 400 x 70: an emblem (a sheet with a quill) and the name in drawn capitals.
// The lettering is stroked, not typeset, so the logo is the same on every machine and needs no fonts.
#include <vector>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "controls/resources/artwork.h"
#include "controls/resources/palette.h"

namespace zor::art {
namespace {

using Stroke = std::vector<QPointF>;
using Letter = std::vector<Stroke>;

// Capitals on a grid 10 wide and 14 high, y down.
const Letter kKa = {{{0, 0}, {0, 14}}, {{9, 0}, {1.5, 7}, {9.5, 14}}};
const Letter kVe = {{{0, 0}, {0, 14}},
                    {{0, 0}, {5.5, 0}, {7.5, 1}, {8, 3.5}, {7.5, 5.8}, {5.5, 7}, {0, 7}},
                    {{5.5, 7}, {8, 8}, {9, 10.5}, {8, 13}, {6, 14}, {0, 14}}};
const Letter kI = {{{0, 0}, {0, 14}, {9, 0}, {9, 14}}};
const Letter kEl = {{{0, 14}, {1.5, 13.5}, {2.5, 11}, {3.5, 0}, {9, 0}, {9, 14}}};
const Letter kEm = {{{0, 14}, {0.8, 0}, {5, 10}, {9.2, 0}, {10, 14}}};
const Letter kA = {{{0, 14}, {5, 0}, {10, 14}}, {{2, 9}, {8, 9}}};
const Letter kEr = {{{0, 14}, {0, 0}, {6, 0}, {8.5, 1.5}, {9, 3.8}, {8.5, 6}, {6, 7.5}, {0, 7.5}}};

void DrawName(QPainter& p, QColor ink, qreal x, qreal y, qreal scale) {
    const Letter* name[] = {&kKa, &kVe, &kI, &kEl, &kEl, &kEm, &kA, &kEr, &kKa};
    p.setPen(QPen(ink, 4.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    for (const Letter* letter : name) {
        for (const Stroke& stroke : *letter) {
            QPolygonF line;
            for (const QPointF& pt : stroke) line << QPointF(x + pt.x() * scale, y + pt.y() * scale);
            p.drawPolyline(line);
        }
        x += 14 * scale;
    }
}

void DrawEmblem(QPainter& p, bool manyColours) {
    const QRectF tile(8, 8, 54, 54);
    if (manyColours) {
        QLinearGradient g(tile.topLeft(), tile.bottomRight());
        g.setColorAt(0, QColor(51, 102, 204));
        g.setColorAt(1, QColor(0, 0, 102));
        p.setBrush(g);
    } else {
        p.setBrush(QColor(vga::Navy));
    }
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(tile, 8, 8);

    // The sheet, with a folded corner and a few lines of text.
    QPolygonF sheet({QPointF(20, 15), QPointF(42, 15), QPointF(50, 23), QPointF(50, 55), QPointF(20, 55)});
    p.setBrush(QColor(vga::White));
    p.drawPolygon(sheet);
    p.setBrush(QColor(vga::Grey));
    p.drawPolygon(QPolygonF({QPointF(42, 15), QPointF(50, 23), QPointF(42, 23)}));
    for (int row = 0; row < 5; ++row) p.fillRect(QRectF(24, 28 + row * 5, row == 4 ? 12 : 22, 2), QColor(vga::Grey));

    // The quill across the sheet.
    QPainterPath feather;
    feather.moveTo(26, 50);
    feather.cubicTo(32, 30, 46, 14, 60, 6);
    feather.cubicTo(56, 20, 44, 38, 26, 50);
    p.setBrush(manyColours ? QColor(0, 153, 153) : QColor(vga::Teal));
    p.setPen(QPen(manyColours ? QColor(0, 51, 51) : QColor(vga::Black), 1));
    p.drawPath(feather);
    p.setPen(QPen(QColor(vga::Black), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 55), QPointF(27, 48));
}

}  // namespace

QImage DrawLogo(bool manyColours) {
    QImage canvas = MaskCanvas(400, 70);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing, manyColours);
    DrawEmblem(p, manyColours);
    DrawName(p, manyColours ? QColor(0, 0, 102) : QColor(vga::Navy), 84, 14, 2.2);
    p.fillRect(QRectF(84, 56, 300, 2), manyColours ? QColor(204, 0, 0) : QColor(vga::Red));
    p.end();
    return ReduceTo(canvas, manyColours ? Palette256() : Palette16());
}

}  // namespace zor::art
