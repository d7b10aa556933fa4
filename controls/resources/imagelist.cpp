#include "controls/resources/imagelist.h"

#include <QGuiApplication>
#include <QPainter>

bool CImageList::Create(int cx, int cy) {
    m_images.clear();
    if (cx <= 0 || cy <= 0) {
        m_cx = m_cy = 0;
        return false;
    }
    m_cx = cx;
    m_cy = cy;
    return true;
}

bool CImageList::Create(const QImage& strip, int cx, COLORREF mask) {
    if (strip.isNull() || !Create(cx, strip.height())) return false;
    return Add(strip, mask) >= 0;
}

int CImageList::Add(const QImage& strip, COLORREF mask) {
    if (strip.isNull() || m_cx <= 0 || strip.width() < m_cx) return -1;
    const QRgb transparent = qRgb(GetRValue(mask), GetGValue(mask), GetBValue(mask));
    const QImage argb = strip.convertToFormat(QImage::Format_ARGB32);
    const int first = GetImageCount();
    for (int x = 0; x + m_cx <= argb.width(); x += m_cx) {
        QImage image(m_cx, m_cy, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int y = 0; y < m_cy && y < argb.height(); ++y) {
            const QRgb* from = reinterpret_cast<const QRgb*>(argb.constScanLine(y)) + x;
            QRgb* to = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int i = 0; i < m_cx; ++i) to[i] = (from[i] | 0xFF000000u) == transparent ? 0u : from[i] | 0xFF000000u;
        }
        m_images.push_back(image);
    }
    return first;
}

QImage CImageList::Fit(const QImage& picture) const {
    QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    if (argb.size() == QSize(m_cx, m_cy)) return argb;
    QImage image(m_cx, m_cy, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.drawImage((m_cx - argb.width()) / 2, (m_cy - argb.height()) / 2, argb);
    return image;
}

int CImageList::AddImage(const QImage& picture) {
    if (picture.isNull() || m_cx <= 0) return -1;
    m_images.push_back(Fit(picture));
    return GetImageCount() - 1;
}

bool CImageList::Replace(int index, const QImage& picture) {
    if (index < 0 || index >= GetImageCount() || picture.isNull()) return false;
    m_images[size_t(index)] = Fit(picture);
    return true;
}

QImage CImageList::GetImage(int index) const {
    if (index < 0 || index >= GetImageCount()) return {};
    return m_images[size_t(index)];
}

QPixmap CImageList::GetPixmap(int index) const {
    if (index < 0 || index >= GetImageCount() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    return QPixmap::fromImage(m_images[size_t(index)]);
}

QIcon CImageList::GetIcon(int index) const {
    const QPixmap pixmap = GetPixmap(index);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}
