// Between our images and QImage: a rendered bitmap becomes an image, and an image is drawn as a QImage.
#include <QImage>

#include <cstring>

#include "report/model/image/image_errors.h"
#include "report/model/image/image_file.h"
#include "report/model/image/image_io.h"

CImageFile::CImageFile(const QImage& source) {
    if (source.isNull()) return;
    const QImage::Format format = source.format();
    const bool mono = format == QImage::Format_Mono || format == QImage::Format_MonoLSB;
    const bool indexed = mono || format == QImage::Format_Indexed8;
    const QImage image = mono ? source.convertToFormat(QImage::Format_Mono)
                         : indexed ? source
                                   : source.convertToFormat(QImage::Format_BGR888);
    if (!Create(image.width(), image.height(), mono ? 1 : indexed ? 8 : 24)) {
        m_errorText = image_error::kGetDIBits;
        return;
    }
    if (indexed) {
        const QList<QRgb> table = image.colorTable();
        RGBQUAD* palette = GetPalette();
        for (int i = 0; i < table.size() && i < GetPaletteSize(); ++i)
            palette[i] = RGBQUAD{static_cast<uint8_t>(qBlue(table[i])), static_cast<uint8_t>(qGreen(table[i])),
                                 static_cast<uint8_t>(qRed(table[i])), 0};
    }
    const size_t rowBytes = (static_cast<size_t>(image.width()) * m_header.biBitCount + 7) / 8;
    for (int y = 0; y < image.height(); ++y) std::memcpy(GetRowFromTop(y), image.constScanLine(y), rowBytes);
}

QImage CImageFile::ToQImage() const {
    if (!m_block) return QImage();
    const int width = GetWidth(), height = GetHeight(), bits = GetBitCount();
    if (bits == 24) {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            const uint8_t* src = GetRowFromTop(y);
            auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x, src += 3) dst[x] = qRgb(src[2], src[1], src[0]);
        }
        return image;
    }
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> table;
    const RGBQUAD* palette = GetPalette();
    for (int i = 0; i < GetPaletteSize(); ++i) table.append(qRgb(palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue));
    image.setColorTable(table);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = GetRowFromTop(y);
        uint8_t* dst = image.scanLine(y);
        for (int x = 0; x < width; ++x) dst[x] = static_cast<uint8_t>(image_io::PixelIndex(src, x, bits));
    }
    return image;
}
