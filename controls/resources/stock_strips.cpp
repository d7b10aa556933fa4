// The stock icon strips and the two check strips.
#include <array>
#include <span>

#include <QLinearGradient>
#include <QPainter>

#include "controls/resources/artwork.h"
#include "controls/resources/palette.h"
#include "controls/resources/pictograms.h"

namespace zor::art {
namespace {

using P = Pictogram;

constexpr std::array kStd32 = {P::Ok, P::Cancel, P::Add, P::Remove, P::Help, P::Properties, P::Folder};
constexpr std::array kStd24 = {P::Ok, P::Cancel, P::Add, P::Remove, P::Help, P::Properties, P::Folder, P::Save};

// Dialogs rely on 0 OK, 1 Cancel, 2 add and 4 help.
constexpr std::array kStd16 = {
    P::Ok,     P::Cancel, P::Add,      P::Remove,   P::Help,     P::Properties, P::Folder, P::Save,
    P::NewDocument, P::Print, P::Find, P::Refresh,  P::Up,       P::Down,       P::Left,   P::Right,
    P::Cut,    P::Copy,   P::Paste,    P::Trash,    P::Edit,     P::Execute,    P::Stop,   P::Key,
    P::User,   P::Users,  P::Lock,     P::Database, P::Filter,   P::Table,      P::Warning,
};
static_assert(kStd16.size() == 31);

// Dialogs rely on 0 add, 1 up, 2 down, 5 remove, 28 cut, 29 copy, 30 paste, 31 load from a file,
// 32 save to a file, 42 properties, 43 execute and 58 edit.
constexpr std::array kTable = {
    P::Add,        P::Up,         P::Down,         P::Left,      P::Right,          P::Cancel,
    P::Table,      P::InsertRow,  P::DeleteRow,    P::InsertColumn, P::DeleteColumn, P::SortAscending,
    P::SortDescending, P::Filter, P::Find,         P::Sum,       P::Group,          P::Refresh,
    P::Print,      P::Preview,    P::NewDocument,  P::Folder,    P::Key,            P::User,
    P::Users,      P::Lock,       P::Unlock,       P::Database,  P::Cut,            P::Copy,
    P::Paste,      P::Folder,     P::Save,         P::Undo,      P::Redo,           P::Ok,
    P::Remove,     P::Link,       P::Picture,      P::Text,      P::Line,           P::Calendar,
    P::Properties, P::Execute,    P::Stop,         P::Help,      P::Info,           P::Warning,
    P::Clock,      P::Star,       P::Flag,         P::Home,      P::Trash,          P::Merge,
    P::Tree,       P::Export,     P::Text,         P::Picture,   P::Edit,
};
static_assert(kTable.size() == 59);

QImage DrawStrip(std::span<const Pictogram> pictures, int width, int height) {
    QImage canvas = MaskCanvas(width * int(pictures.size()), height);
    QPainter painter(&canvas);
    for (size_t i = 0; i < pictures.size(); ++i)
        DrawPictogram(painter, pictures[i], QRect(int(i) * width, 0, width, height));
    painter.end();
    return ReduceTo(canvas, Palette16());
}

enum class Check { Unchecked, Checked, Indeterminate, DisabledUnchecked, DisabledChecked, RadioOff, RadioOn };
constexpr std::array kChecks = {Check::Unchecked,         Check::Checked,         Check::Indeterminate,
                                Check::DisabledUnchecked, Check::DisabledChecked, Check::RadioOff,
                                Check::RadioOn};

// Sharp four-colour look: a sunken box or circle, a black tick or dot.
void DrawCheckPlain(QPainter& p, Check what) {
    using namespace vga;
    const bool disabled = what == Check::DisabledUnchecked || what == Check::DisabledChecked;
    const QRgb ink = disabled ? Grey : Black;
    if (what == Check::RadioOff || what == Check::RadioOn) {
        p.setPen(QPen(QColor(Grey), 1));
        p.setBrush(QColor(White));
        p.drawEllipse(QRectF(3, 3, 13, 13));
        p.setPen(QPen(QColor(Black), 1));
        p.drawArc(QRectF(4, 4, 11, 11), 45 * 16, 180 * 16);
        if (what == Check::RadioOn) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(Black));
            p.drawEllipse(QRectF(7.5, 7.5, 4, 4));
        }
        return;
    }
    p.fillRect(3, 3, 14, 14, QColor(White));
    p.fillRect(3, 3, 14, 1, QColor(Grey));
    p.fillRect(3, 3, 1, 14, QColor(Grey));
    p.fillRect(4, 4, 12, 1, QColor(ink));
    p.fillRect(4, 4, 1, 12, QColor(ink));
    if (what == Check::Indeterminate) p.fillRect(7, 7, 7, 7, QColor(Grey));
    if (what == Check::Checked || what == Check::DisabledChecked) {
        p.setPen(QPen(QColor(ink), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawPolyline(QPolygonF({QPointF(7, 10), QPointF(9, 12), QPointF(13, 7)}));
    }
}

// Smooth look for displays of more than 16 colours: shaded box, green tick.
void DrawCheckShaded(QPainter& p, Check what) {
    const bool disabled = what == Check::DisabledUnchecked || what == Check::DisabledChecked;
    const QColor border = disabled ? QColor(150, 150, 150) : QColor(28, 81, 128);
    QLinearGradient face(3, 3, 16, 16);
    face.setColorAt(0, disabled ? QColor(235, 235, 235) : QColor(214, 222, 230));
    face.setColorAt(1, QColor(255, 255, 255));
    const QColor mark = disabled ? QColor(150, 150, 150) : QColor(33, 161, 33);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(border, 1));
    p.setBrush(face);
    if (what == Check::RadioOff || what == Check::RadioOn) {
        p.drawEllipse(QRectF(3.5, 3.5, 13, 13));
        if (what == Check::RadioOn) {
            p.setPen(Qt::NoPen);
            p.setBrush(mark);
            p.drawEllipse(QRectF(7, 7, 6, 6));
        }
        return;
    }
    p.drawRect(QRectF(3.5, 3.5, 13, 13));
    if (what == Check::Indeterminate) p.fillRect(QRectF(7, 7, 6, 6), mark);
    if (what == Check::Checked || what == Check::DisabledChecked) {
        p.setPen(QPen(mark, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(6.5, 10), QPointF(9, 12.5), QPointF(13.5, 7)}));
    }
}

}  // namespace

QImage DrawStockStrip(StockStrip strip) {
    switch (strip) {
    case StockStrip::Std32: return DrawStrip(kStd32, 32, 32);
    case StockStrip::Std24: return DrawStrip(kStd24, 24, 24);
    case StockStrip::Std16: return DrawStrip(kStd16, 16, 15);
    case StockStrip::Table: return DrawStrip(kTable, 16, 15);
    }
    return {};
}

QImage DrawCheckStrip(bool manyColours) {
    constexpr int kSide = 20;
    QImage canvas = MaskCanvas(kSide * int(kChecks.size()), kSide);
    QPainter painter(&canvas);
    for (size_t i = 0; i < kChecks.size(); ++i) {
        painter.save();
        painter.setClipRect(int(i) * kSide, 0, kSide, kSide);
        painter.translate(int(i) * kSide, 0);
        if (manyColours) DrawCheckShaded(painter, kChecks[i]); else DrawCheckPlain(painter, kChecks[i]);
        painter.restore();
    }
    painter.end();
    return ReduceTo(canvas, manyColours ? Palette256() : Palette16());
}

}  // namespace zor::art
