// Drawing elements onto images at several zooms: where ink lands, not whole images.
#include <QImage>

#include "report/tests/model/model_fixture.h"
#include "platform/tests/gdi/image_probe.h"

namespace model_test {
namespace {

using gdi_test::BlankImage;
using gdi_test::ColourCount;
using gdi_test::DeviceRect;
using gdi_test::InkBounds;
using gdi_test::InkCount;

// At 254 dpi a logical unit (a tenth of a millimetre) is one pixel, and device y = -logical y.
constexpr double kDpi = 254.0;

// Bounds of the ink inside an area only.
QRect InkBoundsIn(const QImage& image, const QRect& area) { return InkBounds(image.copy(area)).translated(area.topLeft()); }

// Where ReportDrawText clips: the rectangle it is given (the element's, less twice 5 · zoom) widened by 9 · zoom.
CRect TextClip(CRect element, double zoom) {
    element.NormalizeRect();
    element.DeflateRect(2 * ZoomTrunc(5 * zoom), 2 * ZoomTrunc(5 * zoom));
    element.InflateRect(ZoomTrunc(9 * zoom), ZoomTrunc(9 * zoom));
    return element;
}

class DrawTest : public ModelBase {
protected:
    QImage Draw(CReportElement* e, double zoom, int reportMode, unsigned flags, bool printing = false) {
        QImage image = BlankImage(1500, 1400, kDpi);
        {
            CDC dc(&image);
            dc.SetPrinting(printing);
            e->Draw(&dc, zoom, reportMode, flags);
        }
        return image;
    }
    static CRect ElementRect(const CReportElement* e, double zoom) {
        CRect r;
        e->GetRect(r, zoom, 1);
        return r;
    }
};

TEST_F(DrawTest, TextLandsInsideItsRectangleForEveryAlignmentOrientationAndZoom) {
    CReportSheet* sheet = NewSheet();
    CReportElement* e = NewRect(sheet, {50, -450}, {300, 200}, "ШИРИНА");
    e->GetTextValue().SetBorder(0);
    const int horizontal[] = {kAlignLeft, kAlignHCenter, kAlignRight};
    const int vertical[] = {kAlignTop, kAlignVCenter, kAlignBottom};
    for (double zoom : {0.5, 1.0, 2.0}) {
        const CRect outer = ElementRect(e, zoom);
        CRect inner = outer;
        inner.DeflateRect(2 * ZoomTrunc(5 * zoom), 2 * ZoomTrunc(5 * zoom));
        const QRect element = DeviceRect(outer);
        const QRect box = DeviceRect(inner);
        const double em = 80 * 254.0 / 720.0 * zoom;  // 8 points
        const int tol = static_cast<int>(0.45 * em) + 2;
        for (int orientation : {0, 1}) {
            for (int h : horizontal) {
                for (int v : vertical) {
                    SCOPED_TRACE(::testing::Message() << "zoom " << zoom << " orientation " << orientation
                                                      << " align " << (h | v));
                    e->GetTextValue().SetOrientation(orientation);
                    e->GetTextValue().SetAlign(h | v);
                    const QImage image = Draw(e, zoom, 1, kDrawText);
                    const QRect ink = InkBounds(image);
                    ASSERT_FALSE(ink.isNull());
                    EXPECT_TRUE(element.adjusted(-1, -1, 1, 1).contains(ink)) << "ink outside the rectangle";
                    // Along x: left, centre or right of the inner box.
                    const int dx = h == kAlignLeft    ? ink.left() - box.left()
                                   : h == kAlignRight ? box.right() - ink.right()
                                                      : std::abs(ink.center().x() - box.center().x());
                    EXPECT_GE(dx, h == kAlignHCenter ? 0 : -1);
                    EXPECT_LE(dx, tol);
                    // Along y: top, centre or bottom.
                    const int dy = v == kAlignTop      ? ink.top() - box.top()
                                   : v == kAlignBottom ? box.bottom() - ink.bottom()
                                                       : std::abs(ink.center().y() - box.center().y());
                    EXPECT_GE(dy, v == kAlignVCenter ? 0 : -1);
                    EXPECT_LE(dy, tol);
                    // Vertical text is taller than wide.
                    if (orientation == 1) EXPECT_GT(ink.height(), ink.width());
                    else EXPECT_GT(ink.width(), ink.height());
                }
            }
        }
    }
}

TEST_F(DrawTest, WrappedLinesStackInsideTheRectangle) {
    CReportSheet* sheet = NewSheet();
    CReportElement* e = NewRect(sheet, {50, -650}, {250, 600}, "Первая строка текста\nвторая строка\nтретья");
    e->GetTextValue().SetBorder(0);
    e->GetTextValue().SetAlign(kAlignBottom | kAlignLeft);
    for (double zoom : {0.5, 1.0, 2.0}) {
        const QRect element = DeviceRect(ElementRect(e, zoom));
        const QImage image = Draw(e, zoom, 1, kDrawText);
        const QRect ink = InkBounds(image);
        EXPECT_TRUE(element.contains(ink)) << zoom;
        const double em = 80 * 254.0 / 720.0 * zoom;
        EXPECT_GT(ink.height(), 3 * em) << "at least three lines at " << zoom;
        // Bottom alignment: the last line ends near the lower edge.
        EXPECT_LE(element.bottom() - ink.bottom(), static_cast<int>(10 * zoom + 0.45 * em) + 2) << zoom;
    }
}

TEST_F(DrawTest, FitTextShrinksIntoTheRectangleOrDrawsNothing) {
    CReportSheet* sheet = NewSheet();
    CReportElement* e = NewRect(sheet, {50, -150}, {300, 100}, "Очень длинная строка, которая не помещается");
    e->GetTextValue().SetBorder(0);
    e->GetTextValue().SetWordWrap(0);
    for (double zoom : {0.5, 1.0, 2.0}) {
        e->GetTextValue().SetFitText(0);
        const CRect outer = ElementRect(e, zoom);
        const QRect element = DeviceRect(outer);
        const QRect clip = DeviceRect(TextClip(outer, zoom));
        const QRect clipped = InkBounds(Draw(e, zoom, 1, kDrawText));
        // Without fitting the centred line runs over the whole clip and is cut there.
        EXPECT_TRUE(clip.adjusted(-1, -1, 1, 1).contains(clipped)) << zoom;
        EXPECT_GT(clipped.width(), clip.width() * 8 / 10) << zoom;
        e->GetTextValue().SetFitText(1);
        const QRect fitted = InkBounds(Draw(e, zoom, 1, kDrawText));
        ASSERT_FALSE(fitted.isNull()) << zoom;
        EXPECT_TRUE(element.contains(fitted)) << zoom;
        EXPECT_LT(fitted.height(), clipped.height()) << zoom;
        // The whole line shows, at one step below the first size that fits the rectangle less 5 · zoom.
        CDC measuring;
        CRect fitRect = outer;
        fitRect.DeflateRect(ZoomTrunc(5 * zoom), ZoomTrunc(5 * zoom));
        LOGFONT lf = e->GetTextValue().GetFont();
        lf.lfHeight = ZoomTrunc(lf.lfHeight * zoom + 0.0001);
        lf.lfHeight = CReportElement::FitFontHeight(&measuring, lf, e->GetTextValue().GetText(), fitRect, false);
        ASSERT_GT(lf.lfHeight, 0);
        CFont font;
        font.CreatePointFontIndirect(&lf, &measuring);
        measuring.SelectObject(&font);
        const int width = measuring.GetTextExtent(e->GetTextValue().GetText()).cx;
        EXPECT_LE(width, fitRect.Width());
        EXPECT_NEAR(fitted.width(), width, 3 + width / 12) << zoom;  // drawn glyphs against measured advances
    }
    e->SetSize(CSize(3, 3));
    EXPECT_EQ(InkCount(Draw(e, 1.0, 1, kDrawText), QRect(0, 0, 1500, 1400)), 0);
}

TEST_F(DrawTest, TextIsClippedNineUnitsTimesZoomOutsideItsPlace) {
    CReportSheet* sheet = NewSheet();
    CReportElement* e = NewRect(sheet, {50, -150}, {100, 100}, "Слишком длинное слово без пробелов");
    e->GetTextValue().SetBorder(0);
    e->GetTextValue().SetWordWrap(0);
    e->GetTextValue().SetAlign(kAlignLeft | kAlignVCenter);
    for (double zoom : {0.5, 1.0, 2.0}) {
        const QRect clip = DeviceRect(TextClip(ElementRect(e, zoom), zoom));
        const QRect ink = InkBounds(Draw(e, zoom, 1, kDrawText));
        EXPECT_TRUE(clip.contains(ink)) << zoom;
        EXPECT_GE(ink.right(), clip.right() - 1) << zoom;
    }
}

TEST_F(DrawTest, SelectionHandlesOnlyWhenAskedAndNeverOnPaper) {
    CReportSheet* sheet = NewSheet();
    CReportElement* first = NewRect(sheet, {100, -300}, {200, 200});
    CReportElement* second = NewRect(sheet, {500, -300}, {200, 200});
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const QRect all(0, 0, 1500, 1400);
    EXPECT_EQ(ColourCount(Draw(first, 1.0, 0, kDrawText | kDrawSelection), all, highlight), 0);  // not selected
    sheet->Select(first, 1);
    sheet->Select(second, 1);
    for (double zoom : {0.5, 1.0, 2.0}) {
        const int asked = ColourCount(Draw(first, zoom, 0, kDrawText | kDrawSelection), all, highlight);
        EXPECT_GT(asked, 0) << zoom;
        EXPECT_EQ(ColourCount(Draw(first, zoom, 0, kDrawText), all, highlight), 0) << zoom;
        EXPECT_EQ(ColourCount(Draw(first, zoom, 0, kDrawText | kDrawSelection, true), all, highlight), 0) << zoom;
        // Every selected element shows its outline; only the first also its handles.
        const int outlineOnly = ColourCount(Draw(second, zoom, 0, kDrawText | kDrawSelection), all, highlight);
        EXPECT_GT(outlineOnly, 0) << zoom;
        EXPECT_GT(asked, outlineOnly) << zoom;
    }
    // A handle square: window-coloured inside, highlight border.
    const QImage image = Draw(first, 1.0, 0, kDrawSelection);
    const QRect handle = DeviceRect(CReportElement::GetSelPtRect(CPoint(200, -300)));
    EXPECT_GT(ColourCount(image, handle, highlight), 20);
}

TEST_F(DrawTest, EditingAidsShowOnlyWhileATemplateIsEdited) {
    CReportSheet* sheet = NewSheet();
    CReportElement* borderless = NewRect(sheet, {100, -300}, {200, 200});
    borderless->GetTextValue().SetBorder(0);
    CReportElement* hairline = NewLine(sheet, {100, -500}, {400, 0});
    hairline->SetLineWidth(0);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    const QRect all(0, 0, 1500, 1400);
    for (CReportElement* e : {borderless, hairline}) {
        EXPECT_GT(ColourCount(Draw(e, 1.0, 0, kDrawText), all, grey), 0);
        EXPECT_EQ(InkCount(Draw(e, 1.0, 1, kDrawText), all), 0);
    }
    // A framed rectangle and a line of width 1 draw in the window-text colour in both modes.
    CReportElement* framed = NewRect(sheet, {100, -300}, {200, 200});
    CReportElement* line = NewLine(sheet, {100, -500}, {400, 0});
    for (CReportElement* e : {framed, line}) {
        for (int mode : {0, 1}) {
            const QImage image = Draw(e, 1.0, mode, kDrawText);
            EXPECT_GT(ColourCount(image, all, RGB(0, 0, 0)), 0);
            EXPECT_EQ(ColourCount(image, all, grey), 0);
        }
    }
    // The own colour replaces the window-text colour.
    framed->SetColor(RGB(200, 0, 0));
    EXPECT_GT(ColourCount(Draw(framed, 1.0, 1, kDrawText), all, RGB(200, 0, 0)), 0);
}

TEST_F(DrawTest, LineWidthScalesWithTheZoom) {
    CReportSheet* sheet = NewSheet();
    CReportElement* line = NewLine(sheet, {100, -500}, {400, 0});
    line->SetLineWidth(10);
    auto thickness = [&](double zoom) {
        const QImage image = Draw(line, zoom, 1, 0);
        const QRect ink = InkBounds(image);
        return ink.height();
    };
    EXPECT_NEAR(thickness(0.5), 5, 1);
    EXPECT_NEAR(thickness(1.0), 10, 1);
    EXPECT_NEAR(thickness(2.0), 20, 1);
}

TEST_F(DrawTest, ParameterNamesAreGreyWhileATemplateIsEdited) {
    CReportSheet* sheet = NewSheet();
    CReportParam* param = NewParam("ИМЯ", kParamText, "ЗНАЧЕНИЕ");
    CReportElement* e = NewRect(sheet, {50, -250}, {600, 200});
    e->GetTextValue().SetBorder(0);
    e->GetTextValue().SetText(param);
    const QRect all(0, 0, 1500, 1400);
    auto darkest = [&](const QImage& image) {
        int best = 255;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) best = std::min(best, qGray(image.pixel(x, y)));
        return best;
    };
    const QImage templ = Draw(e, 2.0, 0, kDrawText);
    const QImage report = Draw(e, 2.0, 1, kDrawText);
    EXPECT_GT(InkCount(templ, all), 0);
    EXPECT_GE(darkest(templ), 120);  // grey text, never black
    EXPECT_LT(darkest(report), 60);  // the value in black
    // Inside the grey editing outline: the value "ЗНАЧЕНИЕ" is wider than the name "ИМЯ".
    const QRect inside = DeviceRect(ElementRect(e, 2.0)).adjusted(4, 4, -4, -4);
    EXPECT_GT(InkBoundsIn(report, inside).width(), InkBoundsIn(templ, inside).width());
}

TEST_F(DrawTest, SheetFillsThePageAndOutlinesIt) {
    CReportSheet* sheet = NewSheet();
    sheet->SetSize(CSize(400, 300));
    sheet->SetOrgPt(CPoint(100, -900));
    EXPECT_EQ(sheet->GetRect(2.0), CRect(200, -1800, 1000, -1200));
    QImage image = BlankImage(1500, 1000, kDpi);
    image.fill(Qt::gray);
    {
        CDC dc(&image);
        EXPECT_EQ(sheet->Draw(&dc, 1.0), 1);
    }
    const QRect page = DeviceRect(sheet->GetRect(1.0));
    const QRect inside = page.adjusted(3, 3, -3, -3);
    EXPECT_EQ(ColourCount(image, inside, RGB(255, 255, 255)), inside.width() * inside.height());
    EXPECT_GT(ColourCount(image, QRect(page.left(), page.top(), page.width(), 2), RGB(0, 0, 0)), 0);
    EXPECT_EQ(ColourCount(image, QRect(0, 0, 50, 50), RGB(255, 255, 255)), 0);  // outside stays as it was
}

}  // namespace
}  // namespace model_test
