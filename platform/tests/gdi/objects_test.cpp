#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "platform/tests/gdi/image_probe.h"

using namespace gdi_test;

TEST(GdiObjects, SelectingHandsBackThePreviousObject) {
    CDC dc;
    CPen red(PS_SOLID, 5, RGB(255, 0, 0));
    CPen blue(PS_SOLID, 5, RGB(0, 0, 255));
    CPen* original = dc.SelectObject(&red);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(original, GetStockObject(BLACK_PEN));
    EXPECT_EQ(dc.SelectObject(&blue), &red);
    EXPECT_EQ(dc.SelectObject(original), &blue);

    CBrush brush(RGB(1, 2, 3));
    EXPECT_EQ(dc.SelectObject(&brush), GetStockObject(WHITE_BRUSH));
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(100, "Times New Roman"));
    EXPECT_EQ(dc.SelectObject(&font), GetStockObject(ANSI_VAR_FONT));

    // Through the generic overload and stock objects.
    EXPECT_EQ(dc.SelectStockObject(NULL_BRUSH), &brush);
    EXPECT_EQ(dc.SelectObject(static_cast<CGdiObject*>(&brush)), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(dc.SelectStockObject(ANSI_VAR_FONT), &font);
    EXPECT_EQ(dc.SelectStockObject(99), nullptr);
}

TEST(GdiObjects, NullOrEmptyObjectsAreRefusedAndChangeNothing) {
    CDC dc;
    CPen none;
    EXPECT_FALSE(none.IsCreated());
    EXPECT_EQ(dc.SelectObject(&none), nullptr);
    EXPECT_EQ(dc.SelectObject(static_cast<CPen*>(nullptr)), nullptr);
    CRgn region;
    region.CreateRectRgn(0, 0, 1, 1);
    EXPECT_EQ(dc.SelectObject(static_cast<CGdiObject*>(&region)), nullptr);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    EXPECT_EQ(dc.SelectObject(&red), GetStockObject(BLACK_PEN));  // still the original selection
    CBrush hatched;
    const LOGBRUSH hatch{2, 0, 0};
    EXPECT_FALSE(hatched.CreateBrushIndirect(&hatch));
}

TEST(GdiObjects, StockObjectsCannotBeDeletedOrRemade) {
    auto* pen = static_cast<CPen*>(GetStockObject(BLACK_PEN));
    EXPECT_FALSE(pen->DeleteObject());
    EXPECT_FALSE(pen->CreatePen(PS_SOLID, 9, RGB(255, 0, 0)));
    LOGPEN lp;
    ASSERT_TRUE(pen->GetLogPen(&lp));
    EXPECT_EQ(lp.lopnColor, RGB(0, 0, 0));
    EXPECT_EQ(lp.lopnWidth.x, 0);

    CPen own(PS_SOLID, 1, 0);
    EXPECT_TRUE(own.DeleteObject());
    EXPECT_FALSE(own.IsCreated());
    EXPECT_FALSE(own.DeleteObject());
}

TEST(GdiObjects, PenBrushAndFontRecords) {
    LOGBRUSH hollow{BS_HOLLOW, RGB(9, 9, 9), 0};
    CPen geometric(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND, 7, &hollow);
    LOGPEN lp;
    ASSERT_TRUE(geometric.GetLogPen(&lp));
    EXPECT_EQ(lp.lopnStyle & PS_STYLE_MASK, static_cast<uint32_t>(PS_NULL));  // a hollow brush leaves no mark

    LOGFONT lf;
    lf.lfHeight = -120;
    lf.lfItalic = 255;
    std::memset(lf.lfFaceName, 'x', sizeof lf.lfFaceName);  // no terminator at all
    CFont font;
    ASSERT_TRUE(font.CreatePointFontIndirect(&lf));
    LOGFONT back;
    ASSERT_TRUE(font.GetLogFont(&back));
    EXPECT_EQ(back.lfHeight, 120);  // a size, whatever the sign
    EXPECT_EQ(back.lfItalic, 255);
    EXPECT_EQ(back.FaceName(), std::string(31, 'x'));

    CFont cyrillic;
    cyrillic.CreatePointFont(80, "Шрифт с очень длинным названием");  // 2-byte characters past 31 bytes
    cyrillic.GetLogFont(&back);
    EXPECT_EQ(back.FaceName(), "Шрифт с очень дли");  // cut at a character boundary
}

TEST(GdiObjects, RectangleRegionsCombine) {
    CRgn a, b, c;
    a.CreateRectRgn(10, 10, 0, 0);  // normalised
    b.CreateRectRgn(5, 5, 20, 20);
    EXPECT_EQ(c.CombineRgn(&a, &b, RGN_AND), SIMPLEREGION);
    CRect box;
    EXPECT_EQ(c.GetRgnBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(5, 5, 10, 10));
    CRgn far;
    far.CreateRectRgn(100, 100, 110, 110);
    EXPECT_EQ(c.CombineRgn(&a, &far, RGN_AND), NULLREGION);
    EXPECT_EQ(c.CombineRgn(&a, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(c.CombineRgn(&a, &b, 2), RGN_ERROR);  // unions are not rectangles
    CRgn empty;
    EXPECT_EQ(empty.GetRgnBox(&box), RGN_ERROR);
    EXPECT_EQ(c.CombineRgn(&empty, &b, RGN_AND), RGN_ERROR);
}

TEST(GdiObjects, APenDestroyedWhileSelectedKeepsDrawingItsColour) {
    QImage image = BlankImage(100, 100, 254);
    {
        CDC dc(&image);
        {
            auto pen = std::make_unique<CPen>(PS_SOLID, 3, RGB(0, 0, 255));
            dc.SelectObject(pen.get());
        }
        dc.MoveTo(10, -50);
        dc.LineTo(90, -50);
    }
    EXPECT_GT(ColourCount(image, QRect(10, 45, 81, 11), RGB(0, 0, 255)), 80 * 2);
}

TEST(SaveDC, RestoresObjectsColoursModesAndMapping) {
    CDC dc;
    CPen red(PS_SOLID, 2, RGB(255, 0, 0));
    CFont big;
    big.CreatePointFont(240, "Arial");
    const int depth = dc.SaveDC();
    EXPECT_EQ(depth, 1);
    dc.SelectObject(&red);
    dc.SelectObject(&big);
    dc.SetTextColor(RGB(1, 1, 1));
    dc.SetBkMode(TRANSPARENT);
    dc.SetMapMode(MM_TEXT);
    dc.SetWindowOrg(5, 5);
    dc.MoveTo(7, 8);
    EXPECT_EQ(dc.SaveDC(), 2);
    dc.SetTextColor(RGB(2, 2, 2));
    EXPECT_TRUE(dc.RestoreDC(-1));
    EXPECT_EQ(dc.GetTextColor(), RGB(1, 1, 1));
    EXPECT_TRUE(dc.RestoreDC(depth));
    EXPECT_EQ(dc.GetTextColor(), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(dc.GetMapMode(), MM_LOMETRIC);
    EXPECT_EQ(dc.GetWindowOrg(), CPoint(0, 0));
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(0, 0));
    EXPECT_EQ(dc.SelectObject(&red), GetStockObject(BLACK_PEN));
    EXPECT_EQ(dc.SelectObject(&big), GetStockObject(ANSI_VAR_FONT));
}

TEST(SaveDC, RestoringAStateThatWasNotSavedFails) {
    CDC dc;
    EXPECT_FALSE(dc.RestoreDC(-1));
    EXPECT_FALSE(dc.RestoreDC(1));
    EXPECT_FALSE(dc.RestoreDC(0));
    dc.SaveDC();
    dc.SaveDC();
    EXPECT_FALSE(dc.RestoreDC(3));
    EXPECT_FALSE(dc.RestoreDC(-3));
    EXPECT_TRUE(dc.RestoreDC(1));   // pops both
    EXPECT_FALSE(dc.RestoreDC(-1));
}

TEST(SaveDC, ModeSettersRefuseUnknownValues) {
    CDC dc;
    EXPECT_EQ(dc.SetBkMode(7), 0);
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(dc.SetROP2(3), 0);
    EXPECT_EQ(dc.SetROP2(R2_XORPEN), R2_COPYPEN);
    EXPECT_EQ(dc.GetROP2(), R2_XORPEN);
    EXPECT_EQ(dc.SetBkColor(RGB(1, 2, 3)), RGB(255, 255, 255));
}

TEST(SysColors, PaperExportAndTestsUseTheFixedTable) {
    QImage image = BlankImage(10, 10, 96);
    CDC dc(&image);
    EXPECT_EQ(dc.GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(dc.GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetSysColor(COLOR_GRAYTEXT), RGB(128, 128, 128));
    EXPECT_EQ(dc.GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHT));
    dc.SetPrinting(true);
    EXPECT_TRUE(dc.IsPrinting());
    EXPECT_EQ(dc.GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetSysColor(-1), RGB(0, 0, 0));
    EXPECT_EQ(GetSysColor(1000), RGB(0, 0, 0));
}
