#include "designer/frame/command_icons.h"

#include <QPainter>
#include <QPixmap>

#include "designer/frame/command_table.h"

namespace quillmark {
namespace {

constexpr int kSize = 20;

QPixmap Blank() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Page arrows: a triangle pointing left or right, with a bar for the first and last page.
void DrawArrow(QPainter& p, bool right, bool bar) {
    QPolygon triangle;
    if (right) triangle << QPoint(6, 4) << QPoint(14, 10) << QPoint(6, 16);
    else triangle << QPoint(14, 4) << QPoint(6, 10) << QPoint(14, 16);
    p.setBrush(QColor(0, 0, 128));
    p.drawPolygon(triangle);
    if (bar) p.drawRect(right ? 15 : 3, 4, 2, 12);
}

// A sheet of paper: the white rectangle that new files, new sheets and the page views show.
void DrawPage(QPainter& p, const QRect& page) {
    p.setBrush(Qt::white);
    p.drawRect(page);
}

}  // namespace

QIcon CommandIcon(int id) {
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    switch (id) {
        case ID_FILE_NEW:
            DrawPage(p, QRect(4, 2, 11, 15));
            break;
        case ID_FILE_OPEN:
            p.setBrush(QColor(255, 255, 128));
            p.drawRect(2, 6, 15, 10);
            p.drawRect(2, 4, 6, 2);
            break;
        case ID_FILE_SAVE:
            p.setBrush(QColor(0, 0, 128));
            p.drawRect(3, 3, 14, 14);
            p.setBrush(Qt::white);
            p.drawRect(6, 3, 8, 5);
            break;
        case ID_TOOL_LINE:
            p.setPen(QPen(Qt::black, 2));
            p.drawLine(3, 16, 16, 3);
            break;
        case ID_TOOL_TEXT:
            p.setBrush(Qt::white);
            p.drawRect(2, 4, 15, 11);
            p.drawText(QRect(2, 4, 16, 12), Qt::AlignCenter, "A");
            break;
        case ID_TOOL_RECT:
            p.drawRect(3, 5, 13, 9);
            break;
        case ID_TOOL_TABLE:
            p.setBrush(Qt::white);
            p.drawRect(2, 3, 15, 13);
            p.drawLine(2, 8, 17, 8);
            p.drawLine(2, 12, 17, 12);
            p.drawLine(9, 3, 9, 16);
            break;
        case ID_TOOL_PICTURE:
            p.setBrush(QColor(128, 192, 255));
            p.drawRect(2, 4, 15, 12);
            p.setBrush(QColor(0, 128, 0));
            p.drawPolygon(QPolygon({QPoint(3, 15), QPoint(8, 8), QPoint(12, 15)}));
            break;
        case ID_TOOL_ZOOM:
        case ID_TOOL_ZOOM_RECT:
            p.setBrush(Qt::white);
            p.drawEllipse(3, 3, 9, 9);
            p.setPen(QPen(Qt::black, 2));
            p.drawLine(11, 11, 16, 16);
            break;
        case ID_TOOL_MOVE_SHEET:
            p.drawLine(10, 2, 10, 17);
            p.drawLine(2, 10, 17, 10);
            break;
        case ID_VIEW_FIT:
            DrawPage(p, QRect(5, 2, 9, 15));
            break;
        case ID_VIEW_1TO1:
            p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, "1:1");
            break;
        case ID_PAGE_FIRST: DrawArrow(p, false, true); break;
        case ID_PAGE_PREV: DrawArrow(p, false, false); break;
        case ID_PAGE_NEXT: DrawArrow(p, true, false); break;
        case ID_PAGE_LAST: DrawArrow(p, true, true); break;
        case ID_NEW_SHEET:
            DrawPage(p, QRect(4, 2, 11, 15));
            p.setPen(QPen(QColor(0, 128, 0), 2));
            p.drawLine(10, 6, 10, 14);
            p.drawLine(6, 10, 14, 10);
            break;
        case ID_EDIT_COPY:
            p.setBrush(Qt::white);
            p.drawRect(2, 2, 9, 11);
            p.drawRect(8, 6, 9, 11);
            break;
        case ID_EDIT_PASTE:
            p.setBrush(QColor(192, 128, 64));
            p.drawRect(3, 3, 12, 14);
            p.setBrush(Qt::white);
            p.drawRect(8, 8, 9, 9);
            break;
        case ID_EDIT_MODE:
            p.setPen(QPen(QColor(128, 0, 0), 2));
            p.drawLine(4, 16, 15, 5);
            break;
        case ID_APP_ABOUT:
            p.setBrush(QColor(0, 0, 192));
            p.drawEllipse(3, 3, 14, 14);
            p.setPen(Qt::white);
            p.drawText(QRect(3, 3, 14, 14), Qt::AlignCenter, "?");
            break;
        default:
            return {};
    }
    p.end();
    // The hot picture, shown under the mouse: the same drawing a little lighter.
    QImage hot = pixmap.toImage();
    for (int y = 0; y < hot.height(); ++y)
        for (int x = 0; x < hot.width(); ++x) {
            const QColor c = hot.pixelColor(x, y);
            if (c.alpha() != 0) hot.setPixelColor(x, y, c.lighter(130));
        }
    QIcon icon(pixmap);
    icon.addPixmap(QPixmap::fromImage(hot), QIcon::Active);
    return icon;
}

}  // namespace quillmark
