#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "platform/gdi/fixed_text_measurer.h"
#include "platform/gdi/qt_text_measurer.h"
#include "platform/tests/gdi/image_probe.h"

using namespace gdi_test;

namespace {

LOGFONT PointFont(int tenthsOfPoint, const char* face = "Arial", int escapement = 0) {
    LOGFONT lf;
    lf.lfHeight = tenthsOfPoint;
    lf.lfWeight = FW_NORMAL;
    lf.lfEscapement = escapement;
    lf.SetFaceName(face);
    return lf;
}

// The device rectangle of a text's cell as TextOut places it at logical (x, y).
QRect CellOnDevice(CDC& dc, int x, int y, std::string_view text, bool vertical) {
    const CSize extent = dc.GetTextExtent(text);
    CRect cell = vertical ? CRect(x, y + extent.cx, x + extent.cy, y) : CRect(x, y, x + extent.cx, y - extent.cy);
    dc.LPtoDP(&cell);
    cell.NormalizeRect();
    return QRect(cell.left, cell.top, cell.Width(), cell.Height());
}

}  // namespace

TEST(CDCText, TextLandsInsideItsCellBelowAndRightOfThePointAtEveryResolution) {
    for (double dpi : {96.0, 254.0, 600.0}) {
        QImage image = BlankImage(static_cast<int>(dpi * 3), static_cast<int>(dpi * 2), dpi);
        QRect cell;
        {
            CDC dc(&image);
            CFont font;
            const LOGFONT lf = PointFont(240);
            font.CreatePointFontIndirect(&lf, &dc);
            dc.SelectObject(&font);
            dc.SetBkMode(TRANSPARENT);
            dc.TextOut(100, -150, "Жёлтый HELLO");
            cell = CellOnDevice(dc, 100, -150, "Жёлтый HELLO", false);
        }
        const QRect ink = InkBounds(image);
        ASSERT_FALSE(ink.isNull()) << dpi;
        EXPECT_TRUE(cell.adjusted(-1, -1, 1, 1).contains(ink)) << "dpi " << dpi;
        // The ink fills most of the cell's width: the measure and the drawing agree.
        EXPECT_GT(ink.width(), cell.width() * 9 / 10) << dpi;
        // Capitals reach near the top of the cell, as the ascent says.
        EXPECT_LT(ink.top() - cell.top(), cell.height() / 4) << dpi;
    }
}

TEST(CDCText, VerticalTextReadsUpwardFromThePointAndStaysInItsTurnedCell) {
    QImage image = BlankImage(400, 800, 254);
    QRect cell;
    {
        CDC dc(&image);
        CFont font;
        const LOGFONT lf = PointFont(200, "Arial", -900);
        font.CreatePointFontIndirect(&lf);
        dc.SelectObject(&font);
        dc.SetBkMode(TRANSPARENT);
        // A heavy first letter, then light ones: the heavy end shows where reading starts.
        dc.TextOut(100, -700, "W.........");
        cell = CellOnDevice(dc, 100, -700, "W.........", true);
    }
    const QRect ink = InkBounds(image);
    ASSERT_FALSE(ink.isNull());
    EXPECT_TRUE(cell.adjusted(-1, -1, 1, 1).contains(ink));
    EXPECT_GT(ink.height(), cell.height() * 8 / 10);  // it runs along the device's y
    const int lower = InkCount(image, QRect(ink.left(), ink.center().y(), ink.width(), ink.height() / 2 + 1));
    const int upper = InkCount(image, QRect(ink.left(), ink.top(), ink.width(), ink.height() / 2));
    EXPECT_GT(lower, upper * 2);  // "W" at the bottom: it reads from bottom to top
}

TEST(CDCText, OpaqueModeFillsTheCellWithTheBackgroundColour) {
    QImage image = BlankImage(600, 300, 254);
    QRect cell;
    {
        CDC dc(&image);
        CFont font;
        font.CreatePointFont(200, "Arial");
        dc.SelectObject(&font);
        EXPECT_EQ(dc.GetBkMode(), OPAQUE);
        dc.SetBkColor(RGB(255, 255, 0));
        dc.SetTextColor(RGB(0, 0, 255));
        dc.TextOut(50, -50, "Text");
        cell = CellOnDevice(dc, 50, -50, "Text", false);
    }
    const int yellow = ColourCount(image, image.rect(), RGB(255, 255, 0));
    const int blue = ColourCount(image, image.rect(), RGB(0, 0, 255), 60);
    EXPECT_GT(yellow, cell.width() * cell.height() / 2);
    EXPECT_GT(blue, 50);
    EXPECT_TRUE(cell.adjusted(-1, -1, 1, 1).contains(InkBounds(image)));
}

TEST(CDCText, FontsOfNoSizeAndControlCharactersDrawNothing) {
    QImage image = BlankImage(300, 300, 254);
    {
        CDC dc(&image);
        CFont none;
        none.CreatePointFont(0, "Arial");
        dc.SelectObject(&none);
        dc.TextOut(10, -10, "invisible");
        EXPECT_EQ(dc.GetTextExtent("invisible"), CSize(0, 0));
        CFont font;
        font.CreatePointFont(200, "Arial");
        dc.SelectObject(&font);
        dc.TextOut(10, -10, "\r\n\t");
        EXPECT_EQ(dc.GetTextExtent("\r\n\t").cx, 0);
        EXPECT_TRUE(dc.TextOut(10, -10, ""));
    }
    EXPECT_EQ(InkCount(image, image.rect()), 0);
}

TEST(CDCText, ExtentsAreInLogicalUnitsAndTheSameOnEveryResolution) {
    CFixedTextMeasurer fixed;
    CScopedTextMeasurer scope(fixed);
    const LOGFONT lf = PointFont(360);  // em 127 tenths of a millimetre
    for (double dpi : {72.0, 96.0, 300.0}) {
        QImage image = BlankImage(10, 10, dpi);
        CDC dc(&image);
        CFont font;
        font.CreatePointFontIndirect(&lf);
        dc.SelectObject(&font);
        EXPECT_EQ(dc.GetTextExtent("Привет"), CSize(381, 127)) << dpi;
        EXPECT_EQ(dc.GetTextExtent("Привет"), fixed.GetTextExtent(lf, "Привет"));
        TEXTMETRIC tm;
        ASSERT_TRUE(dc.GetTextMetrics(&tm));
        EXPECT_EQ(tm.tmAscent, 102);  // 101.6
        EXPECT_EQ(tm.tmDescent, 25);  // 25.4
        EXPECT_EQ(tm.tmHeight, 127);
        EXPECT_EQ(tm.tmExternalLeading, 0);
        EXPECT_EQ(tm.tmAveCharWidth, 64);
        EXPECT_EQ(tm.tmWeight, FW_NORMAL);
        // In device pixels the same text is as many pixels as the resolution makes of 38.1 mm.
        dc.SetMapMode(MM_TEXT);
        EXPECT_EQ(dc.GetTextExtent("Привет").cx, RoundToUnit(381 * dpi / 254)) << dpi;
    }
}

TEST(CDCText, FittingByPrefixesAgreesWithMeasuringEachPrefix) {
    const LOGFONT lf = PointFont(100, "Times New Roman");
    QImage image = BlankImage(10, 10, 96);
    CDC dc(&image);
    CFont font;
    font.CreatePointFontIndirect(&lf);
    dc.SelectObject(&font);
    const std::string text = "ГОСТ 2.105-95 Общие требования";
    std::vector<int> partial;
    int fit = -1;
    CSize size;
    ASSERT_TRUE(dc.GetTextExtentExPoint(text, 200, &fit, &partial, &size));
    ASSERT_EQ(partial.size(), 30u);  // characters, not bytes
    EXPECT_EQ(size, dc.GetTextExtent(text));
    EXPECT_EQ(partial.back(), size.cx);
    std::string prefix;
    int expectedFit = 0;
    size_t pos = 0;
    for (size_t i = 0; i < partial.size(); ++i) {
        const size_t len = (static_cast<unsigned char>(text[pos]) < 0x80) ? 1 : 2;
        prefix += text.substr(pos, len);
        pos += len;
        EXPECT_EQ(partial[i], dc.GetTextExtent(prefix).cx) << i;
        if (partial[i] <= 200) expectedFit = static_cast<int>(i) + 1;
    }
    EXPECT_EQ(fit, expectedFit);
    EXPECT_GT(fit, 0);
    EXPECT_LT(fit, 30);
    int none = -1;
    dc.GetTextExtentExPoint(text, -1, &none, nullptr, nullptr);
    EXPECT_EQ(none, 0);
}

TEST(CDCText, ANewContextUsesTheProportionalStockFont) {
    CDC dc;
    CFont arial8;
    arial8.CreatePointFont(80, "Arial");
    const CSize withDefault = dc.GetTextExtent("Содержание");
    dc.SelectObject(&arial8);
    EXPECT_EQ(dc.GetTextExtent("Содержание"), withDefault);
    EXPECT_GT(withDefault.cx, 0);
}
