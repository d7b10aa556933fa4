// Drawing an image: stretched over the whole rectangle, nearest pixel, by the device context.
#include <QImage>

#include "platform/gdi/dc.h"
#include "report/model/image/image_file.h"

int CImageFile::Draw(CDC* dc, int x, int y, int width, int height) {
    if (!m_block || !dc) return 0;
    dc->DrawImage(x, y, width, height, ToQImage());
    return 1;
}
