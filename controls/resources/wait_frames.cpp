// The please-wait animation: an hourglass in three states, 32 x 32 each, side by side.
#include <QLinearGradient>
#include <QPainter>

#include "controls/resources/artwork.h"
#include "controls/resources/palette.h"

namespace zor::art {
namespace {

void DrawHourglass(QPainter& p, int frame) {
    const QColor wood(128, 64, 0), glassEdge(51, 51, 153), sand(255, 204, 51);
    QLinearGradient capShade(0, 0, 0, 3);
    capShade.setColorAt(0, QColor(204, 102, 0));
    capShade.setColorAt(1, wood);

    p.setPen(QPen(wood, 1.5));
    p.drawLine(QPointF(8.5, 5), QPointF(8.5, 27));
    p.drawLine(QPointF(23.5, 5), QPointF(23.5, 27));

    QPolygonF glass({QPointF(10, 5), QPointF(22, 5), QPointF(22, 8), QPointF(17, 16), QPointF(22, 24),
                     QPointF(22, 27), QPointF(10, 27), QPointF(10, 24), QPointF(15, 16), QPointF(10, 8)});
    p.setPen(QPen(glassEdge, 1));
    p.setBrush(QColor(204, 230, 255));
    p.drawPolygon(glass);

    p.setPen(Qt::NoPen);
    p.setBrush(sand);
    switch (frame) {
    case 0:  // all the sand above
        p.drawPolygon(QPolygonF({QPointF(11, 7), QPointF(21, 7), QPointF(21, 8), QPointF(16.5, 15),
                                 QPointF(15.5, 15), QPointF(11, 8)}));
        break;
    case 1:  // running
        p.drawPolygon(QPolygonF({QPointF(12.5, 10.5), QPointF(19.5, 10.5), QPointF(16.5, 15), QPointF(15.5, 15)}));
        p.fillRect(QRectF(15.5, 15, 1, 11), sand);
        p.drawPolygon(QPolygonF({QPointF(11.5, 26), QPointF(20.5, 26), QPointF(16, 21.5)}));
        break;
    default:  // all the sand below
        p.drawPolygon(QPolygonF({QPointF(11, 26), QPointF(21, 26), QPointF(21, 24), QPointF(16.5, 18.5),
                                 QPointF(15.5, 18.5), QPointF(11, 24)}));
        break;
    }

    p.setPen(QPen(wood.darker(150), 1));
    p.setBrush(capShade);
    p.drawRoundedRect(QRectF(6.5, 2.5, 19, 3), 1, 1);
    p.drawRoundedRect(QRectF(6.5, 26.5, 19, 3), 1, 1);
}

}  // namespace

QImage DrawWaitFrames() {
    QImage canvas = MaskCanvas(96, 32);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int frame = 0; frame < 3; ++frame) {
        p.save();
        p.setClipRect(frame * 32, 0, 32, 32);
        p.translate(frame * 32, 0);
        DrawHourglass(p, frame);
        p.restore();
    }
    p.end();
    return ReduceTo(canvas, Palette256());
}

}  // namespace zor::art
