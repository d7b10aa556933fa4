#include <gtest/gtest.h>

#include <QPainter>

#include "platform/gdi/dc.h"
#include "platform/tests/gdi/image_probe.h"

using namespace gdi_test;

namespace {

void FillEverything(CDC& dc) {
    CBrush black(RGB(0, 0, 0));
    dc.FillRect(CRect(-10000, 10000, 10000, -10000), &black);
}

}  // namespace

TEST(CDCClip, IntersectClipRectLimitsDrawingToTheLogicalRectangle) {
    QImage image = BlankImage(300, 300, 254);
    {
        CDC dc(&image);
        EXPECT_EQ(dc.IntersectClipRect(CRect(50, -60, 150, -260)), SIMPLEREGION);
        FillEverything(dc);
    }
    EXPECT_EQ(InkBounds(image), QRect(QPoint(50, 60), QPoint(149, 259)));
}

TEST(CDCClip, SaveAndRestoreBringBackTheWiderClip) {
    QImage image = BlankImage(300, 300, 254);
    {
        CDC dc(&image);
        dc.IntersectClipRect(0, 0, 200, -200);
        const int saved = dc.SaveDC();
        dc.IntersectClipRect(100, -100, 300, -300);  // narrows to 100..199
        CRect box;
        EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
        EXPECT_EQ(box, CRect(100, -200, 200, -100));
        CBrush red(RGB(255, 0, 0));
        dc.FillRect(CRect(0, 0, 300, -300), &red);
        ASSERT_TRUE(dc.RestoreDC(saved));
        CBrush blue(RGB(0, 0, 255));
        dc.FillRect(CRect(0, 0, 50, -50), &blue);  // outside the inner clip, inside the outer
        dc.FillRect(CRect(250, -250, 300, -300), &blue);  // outside both
    }
    EXPECT_EQ(ColourCount(image, image.rect(), RGB(255, 0, 0)), 100 * 100);
    EXPECT_EQ(ColourCount(image, QRect(0, 0, 50, 50), RGB(0, 0, 255)), 50 * 50);
    EXPECT_EQ(InkCount(image, QRect(200, 200, 100, 100)), 0);
}

TEST(CDCClip, RegionsInDeviceUnitsReplaceNarrowAndRemoveTheClip) {
    QImage image = BlankImage(300, 300, 127);  // the region is in pixels, not logical units
    CDC dc(&image);
    CRgn region;
    region.CreateRectRgn(10, 10, 60, 60);
    EXPECT_EQ(dc.GetClipRgn(&region), 0);
    EXPECT_EQ(dc.SelectClipRgn(&region), SIMPLEREGION);
    CRgn other;
    other.CreateRectRgn(40, 40, 100, 100);
    EXPECT_EQ(dc.SelectClipRgn(&other, RGN_AND), SIMPLEREGION);
    CRgn current;
    EXPECT_EQ(dc.GetClipRgn(&current), 1);
    CRect box;
    current.GetRgnBox(&box);
    EXPECT_EQ(box, CRect(40, 40, 60, 60));
    EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(80, -120, 120, -80));  // logical, normalised
    FillEverything(dc);
    EXPECT_EQ(InkBounds(image), QRect(40, 40, 20, 20));

    EXPECT_EQ(dc.SelectClipRgn(nullptr), SIMPLEREGION);
    EXPECT_EQ(dc.GetClipRgn(&current), 0);
    EXPECT_EQ(dc.SelectClipRgn(nullptr, RGN_AND), RGN_ERROR);
    CRgn empty;
    EXPECT_EQ(dc.SelectClipRgn(&empty), RGN_ERROR);
    EXPECT_EQ(dc.GetClipRgn(nullptr), -1);
    FillEverything(dc);
    EXPECT_EQ(InkCount(image, image.rect()), 300 * 300);
}

TEST(CDCClip, DisjointClipsLeaveNothingVisible) {
    QImage image = BlankImage(300, 300, 254);
    {
        CDC dc(&image);
        dc.IntersectClipRect(0, 0, 100, -100);
        EXPECT_EQ(dc.IntersectClipRect(200, -200, 300, -300), NULLREGION);
        CRect box;
        EXPECT_EQ(dc.GetClipBox(&box), NULLREGION);
        FillEverything(dc);
        dc.TextOut(10, -10, "text");
        CPen pen(PS_SOLID, 20, 0);
        dc.SelectObject(&pen);
        dc.MoveTo(0, 0);
        dc.LineTo(300, -300);
    }
    EXPECT_EQ(InkCount(image, image.rect()), 0);
}

TEST(CDCClip, AnOwnersPainterClipIsNeverWidened) {
    QImage image = BlankImage(300, 300, 254);
    {
        QPainter painter(&image);
        painter.setClipRect(QRect(0, 0, 150, 300));
        {
            CDC dc(&painter);
            dc.IntersectClipRect(100, -100, 300, -200);
            FillEverything(dc);
            dc.SelectClipRgn(nullptr);
            CBrush blue(RGB(0, 0, 255));
            dc.FillRect(CRect(0, -250, 300, -300), &blue);
        }
        // The owner's painter is given back as it was.
        EXPECT_TRUE(painter.hasClipping());
        EXPECT_EQ(painter.clipBoundingRect().toRect(), QRect(0, 0, 150, 300));
    }
    EXPECT_EQ(ColourCount(image, image.rect(), RGB(0, 0, 0)), 50 * 100);
    EXPECT_EQ(ColourCount(image, image.rect(), RGB(0, 0, 255)), 150 * 50);
}
