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

// Alignment of elements: grey boxes against a dark guide line on the side they meet.
void DrawAlignBoxes(QPainter& p, int id) {
    p.setBrush(QColor(128, 128, 160));
    switch (id) {
        case ID_ALIGN_LEFT:
            p.drawRect(4, 4, 10, 4); p.drawRect(4, 11, 6, 4);
            p.setPen(QPen(Qt::black, 2)); p.drawLine(2, 2, 2, 17);
            break;
        case ID_ALIGN_RIGHT:
            p.drawRect(5, 4, 10, 4); p.drawRect(9, 11, 6, 4);
            p.setPen(QPen(Qt::black, 2)); p.drawLine(17, 2, 17, 17);
            break;
        case ID_ALIGN_TOP:
            p.drawRect(4, 4, 4, 10); p.drawRect(11, 4, 4, 6);
            p.setPen(QPen(Qt::black, 2)); p.drawLine(2, 2, 17, 2);
            break;
        case ID_ALIGN_BOTTOM:
            p.drawRect(4, 5, 4, 10); p.drawRect(11, 9, 4, 6);
            p.setPen(QPen(Qt::black, 2)); p.drawLine(2, 17, 17, 17);
            break;
        case ID_ALIGN_WIDTH:
            p.drawRect(3, 4, 13, 4); p.drawRect(3, 11, 13, 4);
            break;
        case ID_ALIGN_HEIGHT:
            p.drawRect(4, 3, 4, 13); p.drawRect(11, 3, 4, 13);
            break;
        case ID_ALIGN_SIZE:
            p.drawRect(3, 3, 6, 6); p.drawRect(10, 10, 6, 6);
            break;
        default:
            break;
    }
}

// Text alignment: four lines of text set to one side or the middle.
void DrawTextLines(QPainter& p, int id) {
    const int widths[] = {14, 9, 14, 7};
    for (int i = 0; i < 4; ++i) {
        const int w = widths[i];
        const int x = id == ID_TEXT_LEFT ? 3 : id == ID_TEXT_RIGHT ? 17 - w : 10 - w / 2;
        p.drawLine(x, 4 + 4 * i, x + w, 4 + 4 * i);
    }
}

// A letter in the given style (bold, italic, underline, the font dialog's "A").
void DrawLetter(QPainter& p, const char* letter, bool bold, bool italic, bool underline) {
    QFont font = p.font();
    font.setPixelSize(15);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    p.setFont(font);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, letter);
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
        case ID_TOOL_CONTINUATION:
            // A table's last rows with the continuation's caret in the lower right corner.
            p.setBrush(Qt::white);
            p.drawRect(2, 3, 15, 13);
            p.drawLine(2, 8, 17, 8);
            p.drawLine(9, 3, 9, 16);
            p.setBrush(QColor(0, 0, 128));
            p.drawRect(12, 11, 5, 5);
            break;
        case ID_TOOL_CONTENTS:
            // Headings with their page numbers on the right.
            p.setBrush(Qt::white);
            p.drawRect(2, 2, 15, 15);
            for (int y = 6, indent = 0; y <= 14; y += 4, indent = 3) {
                p.drawLine(4 + indent, y, 11, y);
                p.drawLine(13, y, 15, y);
            }
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
        case ID_PRINT_DIRECT:
            DrawPage(p, QRect(6, 2, 8, 6));
            p.setBrush(QColor(160, 160, 160));
            p.drawRect(2, 8, 16, 7);
            DrawPage(p, QRect(6, 13, 8, 5));
            break;
        case ID_DUPLICATE_SHEET:
            DrawPage(p, QRect(2, 2, 10, 13));
            DrawPage(p, QRect(7, 5, 10, 13));
            break;
        case ID_THUMBNAILS:
            p.setBrush(QColor(128, 192, 255));
            p.drawRect(2, 4, 7, 6);
            p.drawRect(11, 4, 7, 6);
            p.drawRect(2, 12, 7, 6);
            p.drawRect(11, 12, 7, 6);
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
        case ID_ALIGN_LEFT: case ID_ALIGN_RIGHT: case ID_ALIGN_TOP: case ID_ALIGN_BOTTOM:
        case ID_ALIGN_WIDTH: case ID_ALIGN_HEIGHT: case ID_ALIGN_SIZE:
            DrawAlignBoxes(p, id);
            break;
        case ID_ALIGN_MM:
            p.setPen(QColor(128, 128, 128));
            for (int x = 2; x < kSize; x += 4) p.drawLine(x, 2, x, 17);
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(QColor(128, 128, 160));
            p.drawRect(6, 6, 8, 8);
            break;
        case ID_FIX_ELEMENTS:
            p.setBrush(QColor(192, 160, 0));
            p.drawRect(5, 9, 10, 8);
            p.setBrush(Qt::NoBrush);
            p.drawArc(7, 3, 6, 10, 0, 180 * 16);
            break;
        case ID_TEXT_BOLD: DrawLetter(p, "Ж", true, false, false); break;
        case ID_TEXT_ITALIC: DrawLetter(p, "К", false, true, false); break;
        case ID_TEXT_UNDERLINE: DrawLetter(p, "Ч", false, false, true); break;
        case ID_TEXT_FONT: DrawLetter(p, "A", false, false, false); break;
        case ID_TEXT_LEFT: case ID_TEXT_CENTER: case ID_TEXT_RIGHT: DrawTextLines(p, id); break;
        case ID_TEXT_HORIZONTAL:
            p.drawLine(3, 10, 16, 10);
            p.drawLine(13, 7, 16, 10);
            p.drawLine(13, 13, 16, 10);
            break;
        case ID_TEXT_VERTICAL:
            p.drawLine(10, 16, 10, 3);
            p.drawLine(7, 6, 10, 3);
            p.drawLine(13, 6, 10, 3);
            break;
        case ID_EDIT_TEXT:
            p.setBrush(Qt::white);
            p.drawRect(2, 5, 15, 10);
            p.drawLine(5, 8, 5, 12);
            p.drawLine(4, 8, 6, 8);
            p.drawLine(4, 12, 6, 12);
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
