#include "designer/navigator/navigator_images.h"

#include <algorithm>

#include <QPainter>

namespace quillmark {

QPixmap NavigatorImage(int index) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    if (index < 0) return pixmap;
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    if (index <= 3) {
        // A page with a folded corner; the selected one is tinted.
        const QColor paper = index == 1 ? QColor(0xFF, 0xF4, 0xC0) : QColor(Qt::white);
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.setBrush(paper);
        const QPoint outline[] = {{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}};
        p.drawPolygon(outline, 5);
        p.drawLine(10, 1, 10, 4);
        p.drawLine(10, 4, 13, 4);
        p.setPen(QColor(0x80, 0x80, 0x80));
        for (int y = 6; y <= 12; y += 2) p.drawLine(5, y, 11, y);
        return pixmap;
    }
    // A parameter: a coloured tag with a letter of its type.
    static const QColor colours[] = {QColor(0x30, 0x70, 0xC0), QColor(0x20, 0x90, 0x40), QColor(0xC0, 0x60, 0x10),
                                     QColor(0x80, 0x30, 0xA0), QColor(0x60, 0x60, 0x60)};
    static const char* letters[] = {"A", "9", "D", "O", "#"};
    const int type = std::min(index - 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(colours[type]);
    p.drawRoundedRect(QRect(1, 2, 14, 12), 3, 3);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(1, 2, 14, 12), Qt::AlignCenter, QString::fromLatin1(letters[type]));
    return pixmap;
}

QIcon NavigatorIcon(int image, int selectedImage) {
    QIcon icon;
    icon.addPixmap(NavigatorImage(image), QIcon::Normal, QIcon::Off);
    icon.addPixmap(NavigatorImage(selectedImage), QIcon::Selected, QIcon::Off);
    return icon;
}

}  // namespace quillmark
