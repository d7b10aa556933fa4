#pragma once
// A list of equally sized images cut from bitmap strips, with one colour made transparent:
// what menus, buttons and lists draw their icons from.
#include <vector>

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>

#include "platform/win/gdi_types.h"

class CImageList {
public:
    // An empty list of images cx wide and cy high.
    bool Create(int cx, int cy);
    // A list cut from the strip: images cx wide and as high as the strip; pixels of the mask
    // colour become transparent. False (and an empty list) for a null strip or cx <= 0.
    bool Create(const QImage& strip, int cx, COLORREF mask);
    // Appends the images of a strip cut at the list's width (a partial last image is dropped).
    // Returns the index of the first image added, -1 when nothing could be added.
    int Add(const QImage& strip, COLORREF mask);

    // Appends one picture (ARGB; drawn centred on a transparent image of the list's size when its size
    // differs). Returns its index, -1 for a null picture or a list not created.
    int AddImage(const QImage& picture);
    // Puts the picture in place of image `index`; false outside the list.
    bool Replace(int index, const QImage& picture);

    int GetImageCount() const { return int(m_images.size()); }
    QSize GetImageSize() const { return QSize(m_cx, m_cy); }

    // Image `index` with its transparency (ARGB); a null image outside the list.
    QImage GetImage(int index) const;
    // A new icon of image `index`, made for this call and owned by the caller as a value.
    // A null icon outside the list, and without a GUI application (pixmaps need one).
    QIcon GetIcon(int index) const;
    QPixmap GetPixmap(int index) const;

private:
    QImage Fit(const QImage& picture) const;

    int m_cx = 0;
    int m_cy = 0;
    std::vector<QImage> m_images;
};
