#include <cmath>

#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "platform/gdi/fixed_text_measurer.h"
#include "platform/tests/gdi/image_probe.h"

using namespace gdi_test;

namespace {

int Round(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

TEST(CDCMapping, LogicalTenthsOfMillimetreLandOnTheDeviceAtEveryResolution) {
    struct Case { double dpi; CPoint logical; CPoint windowOrg; CPoint viewportOrg; };
    const Case cases[] = {
        {254, {0, 0}, {0, 0}, {0, 0}},
        {254, {100, -250}, {0, 0}, {0, 0}},
        {96, {100, -250}, {0, 0}, {0, 0}},
        {300, {2100, -2970}, {0, 0}, {0, 0}},
        {600, {-35, 17}, {0, 0}, {0, 0}},
        {96, {1234, -567}, {200, -100}, {0, 0}},
        {96, {1234, -567}, {0, 0}, {15, 30}},
        {300, {1234, -567}, {-50, 40}, {-7, 9}},
    };
    for (const auto& c : cases) {
        QImage image = BlankImage(10, 10, c.dpi);
        CDC dc(&image);
        EXPECT_EQ(dc.GetMapMode(), MM_LOMETRIC);
        dc.SetWindowOrg(c.windowOrg);
        dc.SetViewportOrg(c.viewportOrg);
        CPoint p = c.logical;
        dc.LPtoDP(&p);
        const double k = c.dpi / 254.0;
        const CPoint expected(Round((c.logical.x - c.windowOrg.x) * k) + c.viewportOrg.x,
                              Round(-(c.logical.y - c.windowOrg.y) * k) + c.viewportOrg.y);
        EXPECT_EQ(p, expected) << "dpi " << c.dpi << " at " << c.logical.x << "," << c.logical.y;
        // And back, within the rounding of one device pixel.
        dc.DPtoLP(&p);
        EXPECT_LE(std::abs(p.x - c.logical.x), std::ceil(1 / k)) << c.dpi;
        EXPECT_LE(std::abs(p.y - c.logical.y), std::ceil(1 / k)) << c.dpi;
    }
}

TEST(CDCMapping, YGrowsUpwardSoThePageLiesBelowItsTopEdge) {
    QImage image = BlankImage(400, 400, 254);  // one pixel per tenth of a millimetre
    {
        CDC dc(&image);
        CBrush black(RGB(0, 0, 0));
        dc.FillRect(CRect(100, -100, 200, -300), &black);
        dc.FillRect(CRect(100, 50, 200, 10), &black);  // above the page's top edge: off the image
    }
    EXPECT_EQ(InkBounds(image), QRect(QPoint(100, 100), QPoint(199, 299)));
}

TEST(CDCMapping, TextModeIsDevicePixelsWithYDownward) {
    QImage image = BlankImage(50, 50, 96);
    CDC dc(&image);
    EXPECT_EQ(dc.SetMapMode(MM_TEXT), MM_LOMETRIC);
    CPoint p(12, 34);
    dc.LPtoDP(&p);
    EXPECT_EQ(p, CPoint(12, 34));
    EXPECT_EQ(dc.SetMapMode(3), 0);  // unsupported: unchanged
    EXPECT_EQ(dc.GetMapMode(), MM_TEXT);
    EXPECT_EQ(dc.SetMapMode(MM_LOMETRIC), MM_TEXT);
}

TEST(CDCMapping, SizesAndRectanglesConvert) {
    QImage image = BlankImage(10, 10, 127);  // half a pixel per unit
    CDC dc(&image);
    CSize s(100, 40);
    dc.LPtoDP(&s);
    EXPECT_EQ(s, CSize(50, 20));  // lengths stay positive with y upward
    dc.DPtoLP(&s);
    EXPECT_EQ(s, CSize(100, 40));
    CRect r(10, -20, 110, -220);
    dc.LPtoDP(&r);
    EXPECT_EQ(r, CRect(5, 10, 55, 110));
    dc.DPtoLP(&r);
    EXPECT_EQ(r, CRect(10, -20, 110, -220));
    CPoint points[2] = {{0, 0}, {254, -254}};
    dc.LPtoDP(points, 2);
    EXPECT_EQ(points[1], CPoint(127, 127));
    EXPECT_EQ(dc.OffsetViewportOrg(3, 4), CPoint(0, 0));
    EXPECT_EQ(dc.GetViewportOrg(), CPoint(3, 4));
}

TEST(CDCMapping, DeviceCapsDescribeTheDevice) {
    QImage image = BlankImage(2100, 2970, 254);  // an A4 page at a pixel per tenth of a millimetre
    CDC dc(&image);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 254);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 254);
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 2100);
    EXPECT_EQ(dc.GetDeviceCaps(VERTRES), 2970);
    EXPECT_EQ(dc.GetDeviceCaps(HORZSIZE), 210);
    EXPECT_EQ(dc.GetDeviceCaps(VERTSIZE), 297);
    EXPECT_EQ(dc.GetDeviceCaps(BITSPIXEL), 32);
    EXPECT_EQ(dc.GetDeviceCaps(PHYSICALWIDTH), 2100);
    EXPECT_EQ(dc.GetDeviceCaps(PHYSICALOFFSETX), 0);
    dc.SetPhysicalPage(2200, 3070, 50, 60);
    EXPECT_EQ(dc.GetDeviceCaps(PHYSICALHEIGHT), 3070);
    EXPECT_EQ(dc.GetDeviceCaps(PHYSICALOFFSETY), 60);
    EXPECT_EQ(dc.GetDeviceCaps(-1), 0);
}

TEST(CDCMapping, AMeasuringContextMeasuresAndDrawsNothing) {
    CFixedTextMeasurer fixed;
    CScopedTextMeasurer scope(fixed);
    CDC dc;
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 96);
    EXPECT_FALSE(dc.IsPrinting());
    CFont font;
    font.CreatePointFont(360, "Arial");
    dc.SelectObject(&font);
    EXPECT_EQ(dc.GetTextExtent("abcd"), CSize(254, 127));  // 4 × 63.5; 0.8 + 0.2 of the em 127
    // Drawing on it is harmless.
    EXPECT_TRUE(dc.LineTo(100, -100));
    EXPECT_TRUE(dc.Rectangle(0, 0, 10, -10));
    EXPECT_TRUE(dc.TextOut(0, 0, "x"));
    dc.DrawImage(0, 0, 10, 10, QImage(2, 2, QImage::Format_RGB32));
    CRect box;
    EXPECT_EQ(dc.GetClipBox(&box), NULLREGION);
}

TEST(CDCMapping, ANullImageGivesAContextThatDrawsNothing) {
    QImage none;
    CDC dc(&none);
    EXPECT_TRUE(dc.LineTo(10, 10));
    EXPECT_TRUE(dc.TextOut(0, 0, "x"));
}
