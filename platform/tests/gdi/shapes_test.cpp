#include <cmath>

#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "platform/tests/gdi/image_probe.h"

using namespace gdi_test;

namespace {

// Thickness in pixels of a horizontal line drawn across the middle of an image, measured in its middle column.
int HorizontalLineThickness(double dpi, int penWidth, int style = PS_SOLID) {
    QImage image = BlankImage(200, 200, dpi);
    {
        CDC dc(&image);
        CPen pen(style | PS_GEOMETRIC | PS_ENDCAP_ROUND, penWidth, RGB(0, 0, 0));
        dc.SelectObject(&pen);
        dc.SetMapMode(MM_TEXT);
        dc.MoveTo(20, 100);
        dc.SetMapMode(MM_LOMETRIC);
        CPoint end(180, 100);
        dc.DPtoLP(&end);
        CPoint start(20, 100);
        dc.DPtoLP(&start);
        dc.MoveTo(start);
        dc.LineTo(end);
    }
    return InkCount(image, QRect(100, 0, 1, 200));
}

}  // namespace

TEST(CDCPens, WidthIsInLogicalUnitsButNeverBelowOnePixel) {
    struct Case { double dpi; int width; int pixels; };
    const Case cases[] = {
        {96, 0, 1},     // a zero-width pen is one pixel
        {96, 1, 1},     // 0.38 pixel rounds up to one
        {96, 2, 1},
        {254, 1, 1},
        {254, 10, 10},
        {127, 10, 5},
        {600, 3, 7},
        {300, 20, 24},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HorizontalLineThickness(c.dpi, c.width), c.pixels) << "dpi " << c.dpi << " width " << c.width;
}

TEST(CDCPens, SolidPensHaveRoundCaps) {
    QImage image = BlankImage(200, 200, 254);
    {
        CDC dc(&image);
        CPen pen(PS_GEOMETRIC | PS_SOLID, 20, RGB(0, 0, 0));
        dc.SelectObject(&pen);
        dc.MoveTo(50, -100);
        dc.LineTo(150, -100);
    }
    // The cap reaches half the width beyond the end point on the axis ...
    EXPECT_GT(InkCount(image, QRect(152, 98, 6, 4)), 0);
    // ... but not into the corners that a square cap would fill.
    EXPECT_EQ(InkCount(image, QRect(157, 90, 3, 3)), 0);
    EXPECT_EQ(InkCount(image, QRect(157, 108, 3, 3)), 0);
}

TEST(CDCPens, NullAndDottedPens) {
    QImage image = BlankImage(300, 100, 254);
    {
        CDC dc(&image);
        dc.SelectStockObject(NULL_PEN);
        dc.MoveTo(10, -20);
        dc.LineTo(290, -20);
        CPen dotted(PS_DOT, 3, RGB(0, 0, 0));
        dc.SelectObject(&dotted);
        dc.MoveTo(10, -60);
        dc.LineTo(290, -60);
    }
    EXPECT_EQ(InkCount(image, QRect(0, 10, 300, 20)), 0);
    const int inked = InkCount(image, QRect(10, 60, 280, 1));
    EXPECT_GT(inked, 50);
    EXPECT_LT(inked, 250);  // it has gaps
}

TEST(CDCShapes, RectangleFillsWithTheBrushAndOutlinesWithThePen) {
    QImage image = BlankImage(300, 300, 254);
    {
        CDC dc(&image);
        CPen pen(PS_SOLID, 0, RGB(255, 0, 0));
        CBrush brush(RGB(0, 0, 255));
        dc.SelectObject(&pen);
        dc.SelectObject(&brush);
        dc.Rectangle(CRect(100, -100, 200, -150));  // rows 100..149, columns 100..199
    }
    EXPECT_EQ(InkBounds(image), QRect(QPoint(100, 100), QPoint(199, 149)));
    EXPECT_TRUE(Is(image.pixel(100, 120), RGB(255, 0, 0)));
    EXPECT_TRUE(Is(image.pixel(199, 120), RGB(255, 0, 0)));
    EXPECT_TRUE(Is(image.pixel(150, 149), RGB(255, 0, 0)));
    EXPECT_EQ(ColourCount(image, QRect(101, 101, 98, 48), RGB(0, 0, 255)), 98 * 48);
}

TEST(CDCShapes, HollowBrushLeavesTheInside) {
    QImage image = BlankImage(300, 300, 254);
    {
        CDC dc(&image);
        dc.SelectStockObject(NULL_BRUSH);
        dc.Rectangle(100, -100, 200, -200);
    }
    EXPECT_EQ(InkCount(image, QRect(102, 102, 96, 96)), 0);
    EXPECT_GT(InkCount(image, QRect(100, 100, 1, 100)), 90);
}

TEST(CDCShapes, FilledAndFramedRectanglesStopBeforeTheirFarEdges) {
    QImage image = BlankImage(300, 300, 254);
    {
        CDC dc(&image);
        CBrush green(RGB(0, 255, 0));
        dc.FillRect(CRect(10, -10, 60, -40), &green);
        dc.FillSolidRect(100, -10, 20, -30, RGB(0, 0, 255));  // x, y, cx, cy in logical units
        CBrush black(RGB(0, 0, 0));
        dc.FrameRect(CRect(150, -150, 250, -250), &black);
        CBrush hollow;
        const LOGBRUSH none{BS_NULL, 0, 0};
        hollow.CreateBrushIndirect(&none);
        dc.FillRect(CRect(200, -10, 250, -40), &hollow);  // nothing
    }
    EXPECT_EQ(ColourCount(image, QRect(0, 0, 90, 90), RGB(0, 255, 0)), 50 * 30);
    EXPECT_EQ(InkCount(image, QRect(QPoint(10, 10), QPoint(59, 39))), 50 * 30);
    EXPECT_EQ(ColourCount(image, QRect(90, 0, 60, 90), RGB(0, 0, 255)), 20 * 30);
    EXPECT_EQ(InkCount(image, QRect(190, 0, 100, 90)), 0);
    // A frame one unit (here one pixel) wide, inside the rectangle.
    EXPECT_EQ(InkCount(image, QRect(QPoint(150, 150), QPoint(249, 249))), 4 * 100 - 4);
    EXPECT_EQ(InkCount(image, QRect(QPoint(151, 151), QPoint(248, 248))), 0);
    EXPECT_EQ(InkCount(image, QRect(250, 150, 1, 101)), 0);
}

TEST(CDCShapes, FrameIsAtLeastOnePixelAtLowResolution) {
    QImage image = BlankImage(100, 100, 96);
    {
        CDC dc(&image);
        CBrush black(RGB(0, 0, 0));
        dc.FrameRect(CRect(0, 0, 254, -254), &black);  // 96 pixels square
    }
    EXPECT_EQ(InkCount(image, QRect(0, 0, 1, 96)), 96);
    EXPECT_EQ(InkCount(image, QRect(0, 95, 96, 1)), 96);
    EXPECT_EQ(InkCount(image, QRect(2, 2, 92, 92)), 0);
}

TEST(CDCShapes, XorPenDrawnTwiceErasesItself) {
    QImage image = BlankImage(200, 200, 254);
    {
        CDC dc(&image);
        CBrush blue(RGB(0, 0, 255));
        dc.FillRect(CRect(0, 0, 100, -200), &blue);
        CPen pen(PS_DOT, 3, RGB(128, 128, 128));
        dc.SelectObject(&pen);
        dc.SelectStockObject(NULL_BRUSH);
        EXPECT_EQ(dc.SetROP2(R2_XORPEN), R2_COPYPEN);
        dc.Rectangle(20, -20, 180, -180);
    }
    QImage once = image;
    {
        CDC dc(&image);
        CPen pen(PS_DOT, 3, RGB(128, 128, 128));
        dc.SelectObject(&pen);
        dc.SelectStockObject(NULL_BRUSH);
        dc.SetROP2(R2_XORPEN);
        dc.Rectangle(20, -20, 180, -180);
    }
    EXPECT_GT(InkCount(once, QRect(100, 0, 100, 200)), 50);  // the first pass showed
    EXPECT_LT(ColourCount(once, QRect(0, 0, 100, 200), RGB(0, 0, 255)), 100 * 200);
    EXPECT_EQ(ColourCount(image, QRect(0, 0, 100, 200), RGB(0, 0, 255)), 100 * 200);
    EXPECT_EQ(InkCount(image, QRect(100, 0, 100, 200)), 0);
}
