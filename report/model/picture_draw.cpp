// Drawing the picture element: the picture by its draw mode, or the placeholder, then the outline and the
// selection.
#include "platform/gdi/dc.h"
#include "report/model/image/image_file.h"
#include "report/model/picture_element.h"

CRect FitPictureRect(const CRect& rect, int pictureWidth, int pictureHeight) {
    const int64_t w = rect.Width(), h = rect.Height();
    const int64_t pw = pictureWidth, ph = pictureHeight;
    if (w <= 0 || h <= 0 || pw <= 0 || ph <= 0 || w * ph == h * pw) return rect;
    CRect fit = rect;
    if (w * ph > h * pw) {
        // Wider than the picture: full height, centred across.
        const int width = ZoomTrunc(static_cast<double>(h) * static_cast<double>(pw) / static_cast<double>(ph));
        fit.left = rect.left + static_cast<int>((w - width) / 2);
        fit.right = fit.left + width;
    } else {
        const int height = ZoomTrunc(static_cast<double>(w) * static_cast<double>(ph) / static_cast<double>(pw));
        fit.top = rect.top + static_cast<int>((h - height) / 2);
        fit.bottom = fit.top + height;
    }
    return fit;
}

int CPictureElement::Draw(CDC* dc, double zoom, int, unsigned flags) {
    if (!dc || zoom == 0) return 0;
    const int sheetCoordinates = dc->IsPrinting() ? 1 : 0;
    CRect r;
    GetRect(r, zoom, sheetCoordinates);
    CRect target = r;
    CImageFile* picture = DecodedPicture();
    if (picture && picture->GetWidth() > 0 && picture->GetHeight() > 0) {
        if (!(m_nDrawMode & kPictureFit)) {
            // The rectangle takes the picture's proportions once, when the picture or the mode changed; a
            // repaint never reshapes it again (truncation at each zoom would make it creep).
            if (m_bAspectPending) {
                ApplyPictureAspect();
                m_bAspectPending = false;
                GetRect(r, zoom, sheetCoordinates);
            }
            target = r;
        } else if (m_nDrawMode & kPictureKeepAspect) {
            target = FitPictureRect(r, picture->GetWidth(), picture->GetHeight());
        }
    }
    if ((flags & kDrawPictures) && picture)
        picture->Draw(dc, target.left, target.top, target.Width(), target.Height());
    else if (m_pPlaceholder)
        m_pPlaceholder->Draw(dc, r.left, r.top, r.Width(), r.Height());

    if (m_nLineWidth > 0) {
        CPen pen(PS_SOLID, m_nLineWidth, dc->GetSysColor(COLOR_WINDOWTEXT));
        CPen* oldPen = dc->SelectObject(&pen);
        DrawRect(dc, r);
        if (oldPen) dc->SelectObject(oldPen);
    }
    if ((flags & kDrawSelection) && !dc->IsPrinting() && m_nSelected) DrawSelPoints(dc, zoom);
    return 1;
}
