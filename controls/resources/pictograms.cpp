#include "controls/resources/pictograms.h"

#include <initializer_list>

#include <QPainterPath>
#include <QPolygonF>

#include "controls/resources/palette.h"

namespace zor::art {
namespace {

using namespace vga;

void Fill(QPainter& p, qreal x, qreal y, qreal w, qreal h, QRgb c) { p.fillRect(QRectF(x, y, w, h), QColor(c)); }

// A box of w x h pixels: a one-pixel border around the fill.
void Box(QPainter& p, qreal x, qreal y, qreal w, qreal h, QRgb fill, QRgb border) {
    Fill(p, x, y, w, h, border);
    Fill(p, x + 1, y + 1, w - 2, h - 2, fill);
}

void Shape(QPainter& p, std::initializer_list<QPointF> points, QRgb fill, QRgb border) {
    p.setPen(QPen(QColor(border), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(QColor(fill));
    p.drawPolygon(QPolygonF(QList<QPointF>(points)));
}

void Stroke(QPainter& p, std::initializer_list<QPointF> points, QRgb colour, qreal width,
            Qt::PenCapStyle cap = Qt::SquareCap) {
    p.setPen(QPen(QColor(colour), width, Qt::SolidLine, cap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF(QList<QPointF>(points)));
}

void Oval(QPainter& p, const QRectF& r, QRgb fill, QRgb border) {
    p.setPen(QPen(QColor(border), 1));
    p.setBrush(QColor(fill));
    p.drawEllipse(r);
}

void Arc(QPainter& p, const QRectF& r, int startDegrees, int spanDegrees, QRgb colour, qreal width) {
    p.setPen(QPen(QColor(colour), width, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(r, startDegrees * 16, spanDegrees * 16);
}

// Small characters as pixel rows: '#' is a pixel of the colour.
void Pixels(QPainter& p, int x, int y, std::initializer_list<const char*> rows, QRgb colour) {
    int row = 0;
    for (const char* line : rows) {
        for (int col = 0; line[col]; ++col)
            if (line[col] == '#') Fill(p, x + col, y + row, 1, 1, colour);
        ++row;
    }
}

// Corner marks over a bigger picture: a plus, a minus or an arrow in the lower right.
void BadgePlus(QPainter& p) {
    Fill(p, 9, 10, 7, 3, Green);
    Fill(p, 11, 8, 3, 7, Green);
}
void BadgeMinus(QPainter& p) { Fill(p, 9, 10, 7, 3, Red); }

void ArrowUp(QPainter& p, QRgb fill, QRgb border) {
    Shape(p, {{8, 1}, {14, 7}, {10, 7}, {10, 14}, {6, 14}, {6, 7}, {2, 7}}, fill, border);
}

void Page(QPainter& p, qreal x, qreal y, qreal w, qreal h) {
    Shape(p, {{x, y}, {x + w - 4, y}, {x + w - 1, y + 3}, {x + w - 1, y + h - 1}, {x, y + h - 1}}, White, Black);
    Stroke(p, {{x + w - 4, y}, {x + w - 4, y + 3}, {x + w - 1, y + 3}}, Black, 1);
    for (qreal ly = y + 5; ly < y + h - 2; ly += 2) Fill(p, x + 2, ly, w - 5, 1, Grey);
}

void Grid(QPainter& p) {
    Box(p, 1, 2, 14, 12, White, Black);
    Fill(p, 1, 2, 14, 3, Navy);
    for (int x : {5, 10}) Fill(p, x, 5, 1, 8, Grey);
    for (int y : {8, 11}) Fill(p, 2, y, 12, 1, Grey);
}

void Person(QPainter& p, qreal dx, qreal dy, QRgb shirt) {
    Oval(p, QRectF(dx + 4, dy + 1, 5, 5), Yellow, Olive);
    Shape(p, {{dx + 1, dy + 13}, {dx + 1, dy + 10}, {dx + 3, dy + 8}, {dx + 10, dy + 8}, {dx + 12, dy + 10},
              {dx + 12, dy + 13}},
          shirt, Navy);
}

void Padlock(QPainter& p, qreal shackleShift) {
    Arc(p, QRectF(5, 2 - shackleShift, 6, 8), 0, 180, Black, 2);
    Fill(p, 5, 6 - shackleShift, 2, 1 + shackleShift, Black);
    if (shackleShift == 0) Fill(p, 9, 6, 2, 1, Black);
    Box(p, 3, 7, 10, 7, Yellow, Olive);
    Fill(p, 7, 9, 2, 3, Black);
}

void CurvedArrow(QPainter& p, bool toLeft) {
    p.save();
    if (!toLeft) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    Arc(p, QRectF(3, 4, 11, 10), -90, 270, Navy, 2);
    Shape(p, {{1, 4}, {6, 0}, {6, 8}}, Blue, Navy);
    p.restore();
}

void DrawOnGrid(QPainter& p, Pictogram what) {
    switch (what) {
    case Pictogram::Ok:
        Stroke(p, {{2, 8}, {6, 12}, {13, 3}}, Green, 3);
        break;
    case Pictogram::Cancel:
        Stroke(p, {{3, 3}, {12, 12}}, Red, 3);
        Stroke(p, {{12, 3}, {3, 12}}, Red, 3);
        break;
    case Pictogram::Add:
        Fill(p, 6, 2, 4, 12, Green);
        Fill(p, 2, 6, 12, 4, Green);
        break;
    case Pictogram::Remove:
        Fill(p, 2, 6, 12, 4, Red);
        break;
    case Pictogram::Help:
        Oval(p, QRectF(1, 1, 13, 13), Blue, Navy);
        Pixels(p, 5, 3, {".####.", "##..##", "....##", "...##.", "..##..", "......", "..##..", "..##.."}, White);
        break;
    case Pictogram::Info:
        Oval(p, QRectF(1, 1, 13, 13), Blue, Navy);
        Fill(p, 7, 3, 2, 2, White);
        Fill(p, 7, 6, 2, 6, White);
        break;
    case Pictogram::Warning:
        Shape(p, {{8, 1}, {15, 14}, {1, 14}}, Yellow, Black);
        Fill(p, 7, 5, 2, 5, Black);
        Fill(p, 7, 11, 2, 2, Black);
        break;
    case Pictogram::Stop:
        Shape(p, {{5, 1}, {10, 1}, {14, 5}, {14, 10}, {10, 14}, {5, 14}, {1, 10}, {1, 5}}, Red, Maroon);
        Fill(p, 4, 7, 8, 2, White);
        break;
    case Pictogram::Up:
        ArrowUp(p, Blue, Navy);
        break;
    case Pictogram::Down:
    case Pictogram::Left:
    case Pictogram::Right: {
        const int degrees = what == Pictogram::Down ? 180 : what == Pictogram::Left ? 270 : 90;
        p.save();
        p.translate(8, 8);
        p.rotate(degrees);
        p.translate(-8, -8);
        ArrowUp(p, Blue, Navy);
        p.restore();
        break;
    }
    case Pictogram::Folder:
        Fill(p, 1, 3, 5, 2, Olive);
        Box(p, 1, 4, 12, 10, Yellow, Olive);
        Shape(p, {{4, 7}, {15, 7}, {12, 13}, {1, 13}}, Yellow, Olive);
        break;
    case Pictogram::Save:
        Box(p, 1, 1, 14, 13, Navy, Black);
        Fill(p, 4, 2, 8, 5, White);
        Fill(p, 5, 9, 6, 5, Grey);
        Fill(p, 6, 10, 2, 3, Navy);
        break;
    case Pictogram::NewDocument:
        Page(p, 3, 1, 11, 14);
        break;
    case Pictogram::Print:
        Box(p, 4, 1, 8, 6, White, Black);
        Box(p, 1, 6, 14, 6, Grey, Black);
        Fill(p, 11, 8, 2, 1, Lime);
        Box(p, 4, 10, 8, 4, White, Black);
        break;
    case Pictogram::Find:
        Oval(p, QRectF(1, 1, 8, 8), Aqua, Black);
        Stroke(p, {{9, 9}, {13, 13}}, Maroon, 3);
        break;
    case Pictogram::Preview:
        Page(p, 1, 1, 10, 13);
        Oval(p, QRectF(7, 6, 5, 5), Aqua, Black);
        Stroke(p, {{12, 11}, {14, 13}}, Maroon, 2);
        break;
    case Pictogram::Refresh:
        Arc(p, QRectF(2, 2, 11, 11), 60, 280, Green, 2);
        Shape(p, {{9, 0}, {14, 3}, {9, 6}}, Lime, Green);
        break;
    case Pictogram::Cut:
        Stroke(p, {{5, 10}, {11, 1}}, Black, 1);
        Stroke(p, {{10, 10}, {4, 1}}, Black, 1);
        Oval(p, QRectF(2, 9, 4, 4), White, Navy);
        Oval(p, QRectF(9, 9, 4, 4), White, Navy);
        break;
    case Pictogram::Copy:
        Page(p, 1, 1, 9, 10);
        Page(p, 6, 4, 9, 10);
        break;
    case Pictogram::Paste:
        Box(p, 2, 2, 10, 12, Olive, Black);
        Box(p, 5, 1, 4, 3, Grey, Black);
        Page(p, 7, 5, 8, 9);
        break;
    case Pictogram::Trash:
        Fill(p, 3, 2, 10, 2, Black);
        Fill(p, 6, 1, 4, 1, Black);
        Shape(p, {{4, 4}, {12, 4}, {11, 14}, {5, 14}}, Grey, Black);
        for (int x : {6, 8, 10}) Fill(p, x, 6, 1, 6, White);
        break;
    case Pictogram::Edit:
        p.save();
        p.translate(8, 8);
        p.rotate(-45);
        Box(p, -5, -2, 9, 4, Yellow, Black);
        Shape(p, {{4, -2}, {8, 0}, {4, 2}}, White, Black);
        Fill(p, -7, -2, 3, 4, Red);
        p.restore();
        break;
    case Pictogram::Execute:
        Shape(p, {{4, 1}, {13, 7}, {4, 13}}, Lime, Green);
        break;
    case Pictogram::Key:
        Oval(p, QRectF(1, 4, 6, 6), Yellow, Olive);
        Fill(p, 3, 6, 2, 2, Olive);
        Fill(p, 7, 6, 8, 2, Olive);
        Fill(p, 11, 8, 2, 2, Olive);
        Fill(p, 14, 8, 1, 3, Olive);
        break;
    case Pictogram::User:
        Person(p, 1, 0, Blue);
        break;
    case Pictogram::Users:
        Person(p, 3, 0, Teal);
        Person(p, 0, 1, Blue);
        break;
    case Pictogram::Lock:
        Padlock(p, 0);
        break;
    case Pictogram::Unlock:
        Padlock(p, 2);
        break;
    case Pictogram::Database:
        Fill(p, 2, 3, 12, 9, Teal);
        Oval(p, QRectF(2, 9, 11, 4), Teal, Navy);
        Fill(p, 3, 3, 10, 8, Teal);
        Fill(p, 2, 3, 1, 8, Navy);
        Fill(p, 13, 3, 1, 8, Navy);
        Oval(p, QRectF(2, 1, 11, 4), Aqua, Navy);
        break;
    case Pictogram::Filter:
        Shape(p, {{1, 2}, {14, 2}, {9, 8}, {9, 13}, {6, 11}, {6, 8}}, Blue, Navy);
        break;
    case Pictogram::Table:
        Grid(p);
        break;
    case Pictogram::InsertRow:
    case Pictogram::DeleteRow:
        Grid(p);
        Fill(p, 2, 9, 12, 2, Yellow);
        if (what == Pictogram::InsertRow) BadgePlus(p); else BadgeMinus(p);
        break;
    case Pictogram::InsertColumn:
    case Pictogram::DeleteColumn:
        Grid(p);
        Fill(p, 6, 5, 4, 8, Yellow);
        if (what == Pictogram::InsertColumn) BadgePlus(p); else BadgeMinus(p);
        break;
    case Pictogram::SortAscending:
    case Pictogram::SortDescending: {
        // Bars growing the way the rows go, and an arrow the same way.
        const bool ascending = what == Pictogram::SortAscending;
        for (int i = 0; i < 3; ++i) Fill(p, 1, 2 + i * 4, ascending ? 3 + i * 3 : 9 - i * 3, 2, Navy);
        Fill(p, 11, ascending ? 1 : 5, 2, 9, Blue);
        if (ascending) Shape(p, {{9, 9}, {14, 9}, {11.5, 13}}, Blue, Blue);
        else Shape(p, {{9, 5}, {14, 5}, {11.5, 1}}, Blue, Blue);
        break;
    }
    case Pictogram::Sum:
        Stroke(p, {{12, 3}, {12, 2}, {3, 2}, {8, 7.5}, {3, 13}, {12, 13}, {12, 12}}, Black, 2);
        break;
    case Pictogram::Group:
        Stroke(p, {{5, 2}, {3, 2}, {3, 13}, {5, 13}}, Black, 1);
        for (int y : {3, 7, 11}) Fill(p, 6, y, 8, 2, Navy);
        Fill(p, 6, 7, 8, 2, Blue);
        break;
    case Pictogram::Undo:
        CurvedArrow(p, true);
        break;
    case Pictogram::Redo:
        CurvedArrow(p, false);
        break;
    case Pictogram::Link:
        p.save();
        p.translate(8, 8);
        p.rotate(-45);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(Navy), 2));
        p.drawRoundedRect(QRectF(-7, -2.5, 8, 5), 2, 2);
        p.drawRoundedRect(QRectF(-1, -2.5, 8, 5), 2, 2);
        p.restore();
        break;
    case Pictogram::Picture:
        Box(p, 1, 2, 14, 12, Aqua, Black);
        Oval(p, QRectF(9, 4, 3, 3), Yellow, Olive);
        Shape(p, {{2, 12}, {6, 7}, {9, 10}, {11, 8}, {14, 12}}, Green, Green);
        break;
    case Pictogram::Text:
        Fill(p, 3, 2, 10, 2, Black);
        Fill(p, 3, 2, 1, 4, Black);
        Fill(p, 12, 2, 1, 4, Black);
        Fill(p, 7, 2, 2, 12, Black);
        Fill(p, 5, 13, 6, 1, Black);
        break;
    case Pictogram::Line:
        Stroke(p, {{3, 12}, {12, 3}}, Black, 1.5);
        Box(p, 1, 11, 3, 3, White, Navy);
        Box(p, 12, 1, 3, 3, White, Navy);
        break;
    case Pictogram::Calendar:
        Box(p, 1, 2, 14, 12, White, Black);
        Fill(p, 1, 2, 14, 3, Red);
        for (int y : {6, 9, 11})
            for (int x : {3, 6, 9, 12}) Fill(p, x, y, 1, 1, Grey);
        Fill(p, 9, 9, 2, 2, Navy);
        break;
    case Pictogram::Clock:
        Oval(p, QRectF(1, 1, 13, 13), White, Black);
        Stroke(p, {{7.5, 3}, {7.5, 7.5}, {11, 7.5}}, Black, 1);
        break;
    case Pictogram::Star:
        Shape(p, {{8, 1}, {10, 6}, {15, 6}, {11, 9}, {13, 14}, {8, 11}, {3, 14}, {5, 9}, {1, 6}, {6, 6}}, Yellow,
              Olive);
        break;
    case Pictogram::Flag:
        Fill(p, 3, 1, 1, 13, Black);
        Shape(p, {{4, 2}, {13, 2}, {11, 5}, {13, 8}, {4, 8}}, Red, Maroon);
        break;
    case Pictogram::Home:
        Box(p, 3, 7, 10, 7, Yellow, Olive);
        Fill(p, 7, 10, 2, 4, Maroon);
        Shape(p, {{8, 1}, {15, 8}, {1, 8}}, Red, Maroon);
        break;
    case Pictogram::Merge:
        Fill(p, 7, 1, 2, 13, Black);
        Shape(p, {{1, 5}, {5, 5}, {5, 3}, {6, 7.5}, {5, 12}, {5, 10}, {1, 10}}, Blue, Navy);
        Shape(p, {{15, 5}, {11, 5}, {11, 3}, {10, 7.5}, {11, 12}, {11, 10}, {15, 10}}, Blue, Navy);
        break;
    case Pictogram::Tree:
        Stroke(p, {{3, 4}, {3, 11}, {7, 11}}, Grey, 1);
        Stroke(p, {{3, 7}, {7, 7}}, Grey, 1);
        Box(p, 1, 1, 5, 4, Yellow, Olive);
        Box(p, 7, 5, 5, 4, White, Navy);
        Box(p, 7, 9, 5, 4, White, Navy);
        break;
    case Pictogram::Export:
        Page(p, 1, 1, 10, 13);
        Shape(p, {{7, 8}, {11, 8}, {11, 5}, {15, 9.5}, {11, 14}, {11, 11}, {7, 11}}, Lime, Green);
        break;
    case Pictogram::Properties:
        Box(p, 1, 1, 14, 13, White, Black);
        Fill(p, 1, 1, 14, 3, Navy);
        Box(p, 3, 6, 3, 3, White, Black);
        Fill(p, 7, 7, 6, 1, Grey);
        Box(p, 3, 10, 3, 3, White, Black);
        Fill(p, 4, 11, 1, 1, Black);
        Fill(p, 7, 11, 6, 1, Grey);
        break;
    }
}

}  // namespace

void DrawPictogram(QPainter& painter, Pictogram pictogram, const QRect& cell) {
    painter.save();
    painter.setClipRect(cell);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(cell.x(), cell.y());
    const qreal scale = cell.width() / 16.0;
    painter.scale(scale, scale);
    DrawOnGrid(painter, pictogram);
    painter.restore();
}

}  // namespace zor::art
