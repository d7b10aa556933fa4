// Drawing picture elements onto images: where the picture, the placeholder and the outline land in each
// draw mode and at several zooms, and what drawing does to the element's rectangle.
#include <QImage>

#include "platform/tests/gdi/image_probe.h"
#include "report/model/picture_placeholder.h"
#include "report/tests/picture/picture_fixture.h"

namespace picture_test {
namespace {

using gdi_test::BlankImage;
using gdi_test::ColourCount;
using gdi_test::DeviceRect;
using gdi_test::InkCount;

// At 254 dpi a logical unit (a tenth of a millimetre) is one pixel, and device y = -logical y.
constexpr double kDpi = 254.0;
constexpr COLORREF kRedRef = RGB(255, 0, 0);
constexpr COLORREF kBlueRef = RGB(0, 0, 255);

CRect Scaled(const CRect& r, double zoom) {
    const int left = ZoomTrunc(r.left * zoom), top = ZoomTrunc(r.top * zoom);
    return CRect(left, top, left + ZoomTrunc(r.Width() * zoom), top + ZoomTrunc(r.Height() * zoom));
}

int Area(const QRect& r) { return r.isEmpty() ? 0 : r.width() * r.height(); }

class PictureDrawTest : public PictureTest {
protected:
    QImage Draw(CReportElement* e, double zoom, unsigned flags, bool printing = false) {
        QImage image = BlankImage(900, 900, kDpi);
        CDC dc(&image);
        dc.SetPrinting(printing);
        EXPECT_EQ(e->Draw(&dc, zoom, 0, flags), 1);
        return image;
    }

    // A 100 × 100 element at (50, -300) showing a 200 × 100 picture, red on the left, blue on the right.
    std::unique_ptr<CPictureElement> WidePicture(int mode) {
        auto element = PictureFromPng(200, 100);
        element->SetOrigin(CPoint(50, -300));
        element->SetSize(CSize(100, 100));
        element->SetLineWidth(0);
        element->SetDrawMode(mode);
        return element;
    }

    static CRect ElementRect(const CReportElement& e) {
        CRect r;
        e.GetRect(r, 1.0, 1);
        return r;
    }

    // The picture fills target (left half red, right half blue) and nothing is drawn outside it.
    static void ExpectPictureIn(const QImage& image, const QRect& target) {
        const int half = target.width() / 2;
        const QRect left(target.left() + 2, target.top() + 2, half - 4, target.height() - 4);
        const QRect right(target.left() + half + 2, target.top() + 2, target.width() - half - 4, target.height() - 4);
        EXPECT_EQ(ColourCount(image, left, kRedRef, 2), Area(left));
        EXPECT_EQ(ColourCount(image, right, kBlueRef, 2), Area(right));
        EXPECT_EQ(InkCount(image, image.rect()), InkCount(image, target.adjusted(-1, -1, 1, 1)))
            << "ink outside the picture's rectangle";
    }
};

TEST_F(PictureDrawTest, EachDrawModeAtTwoZooms) {
    const struct {
        int mode;
        CRect element;  // the element after drawing, sheet coordinates
        CRect target;   // where the picture lands at zoom 1
    } cases[] = {
        // Not fitted: the element takes the picture's proportions, keeping its upper edge.
        {0, CRect(50, -250, 150, -200), CRect(50, -250, 150, -200)},
        {kPictureKeepAspect, CRect(50, -250, 150, -200), CRect(50, -250, 150, -200)},
        // Fitted: stretched over the whole rectangle.
        {kPictureFit, CRect(50, -300, 150, -200), CRect(50, -300, 150, -200)},
        // Fitted keeping proportions: centred, the element unchanged.
        {kPictureFit | kPictureKeepAspect, CRect(50, -300, 150, -200), CRect(50, -275, 150, -225)},
    };
    for (const auto& c : cases) {
        for (double zoom : {1.0, 2.0}) {
            SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " zoom " << zoom);
            auto element = WidePicture(c.mode);
            const QImage image = Draw(element.get(), zoom, kDrawPictures);
            EXPECT_EQ(ElementRect(*element), c.element);
            ExpectPictureIn(image, DeviceRect(Scaled(c.target, zoom)));
            // The next repaints change nothing.
            const QImage again = Draw(element.get(), zoom, kDrawPictures);
            EXPECT_EQ(ElementRect(*element), c.element);
            EXPECT_EQ(again, image);
        }
    }
}

TEST_F(PictureDrawTest, UnfittedRectangleTakesThePictureProportionsOnlyWhenThePictureChanges) {
    // A 3 × 7 picture: its proportions cannot be met exactly, so reshaping at every repaint would creep.
    auto tall = TwoColourPicture(3, 7);
    auto element = NewPicture();
    ASSERT_EQ(element->LoadPicture(SaveAs(*tall, "tall.bmp", IMAGE_FORMAT_BMP)), 1);
    element->SetOrigin(CPoint(100, -400));
    element->SetSize(CSize(100, 100));
    element->SetDrawMode(0);
    Draw(element.get(), 1.0, kDrawPictures);
    EXPECT_EQ(element->GetOrigin(), CPoint(100, -400));
    EXPECT_EQ(element->GetSize(), CSize(42, 100));
    for (double zoom : {0.5, 1.0, 1.5, 2.0, 0.75, 1.0})
        Draw(element.get(), zoom, kDrawPictures);
    EXPECT_EQ(element->GetSize(), CSize(42, 100));

    // The user's own shape stays; the picture is stretched over it.
    element->SetSize(CSize(300, 100));
    const QImage image = Draw(element.get(), 1.0, kDrawPictures);
    EXPECT_EQ(element->GetSize(), CSize(300, 100));
    EXPECT_GT(ColourCount(image, DeviceRect(CRect(100, -400, 400, -300)), kBlueRef, 2), 100 * 100);

    // A new picture reshapes once more: 200 × 100 in 300 × 100 keeps the height.
    ASSERT_EQ(element->LoadPicture(SaveAs(*TwoColourPicture(200, 100), "wide.bmp", IMAGE_FORMAT_BMP)), 1);
    Draw(element.get(), 2.0, kDrawPictures);
    EXPECT_EQ(element->GetOrigin(), CPoint(100, -400));
    EXPECT_EQ(element->GetSize(), CSize(200, 100));

    // So does turning fitting off.
    element->SetDrawMode(kPictureFit);
    element->SetSize(CSize(100, 100));
    Draw(element.get(), 1.0, kDrawPictures);
    EXPECT_EQ(element->GetSize(), CSize(100, 100));
    element->SetDrawMode(0);
    Draw(element.get(), 1.0, kDrawPictures);
    EXPECT_EQ(element->GetOrigin(), CPoint(100, -350));
    EXPECT_EQ(element->GetSize(), CSize(100, 50));
}

TEST_F(PictureDrawTest, StoredRectangleIsTakenAsItIs) {
    CReportSheet* sheet = NewSheet();
    auto* element = new CPictureElement(&Manager());
    ASSERT_EQ(element->LoadPicture(SaveAs(*TwoColourPicture(200, 100), "wide.png", IMAGE_FORMAT_PNG)), 1);
    element->SetDrawMode(kPictureFit);
    element->SetOrigin(CPoint(50, -300));
    element->SetSize(CSize(100, 100));
    sheet->Add(element);
    element->Update(true);
    // Mode 0 in the file with a rectangle of other proportions (as another editor may have left it).
    Store().PutAttr(element->GetInstance(), S().zor_report_pic_draw_mode, 0);
    auto read = NewPicture();
    read->SetInstance(element->GetInstance());
    read->Update(false);
    ASSERT_EQ(read->GetDrawMode(), 0);
    Draw(read.get(), 1.0, kDrawPictures);
    EXPECT_EQ(read->GetSize(), CSize(100, 100));
    // A pasted copy too.
    std::vector<uint8_t> record = Record(*read);
    CRecordReader in(record, 4);
    auto pasted = NewPicture();
    ASSERT_TRUE(pasted->LoadDataFromMem(in));
    Draw(pasted.get(), 1.0, kDrawPictures);
    EXPECT_EQ(pasted->GetSize(), CSize(100, 100));
}

TEST_F(PictureDrawTest, PlaceholderStandsInWhilePicturesAreHidden) {
    auto element = WidePicture(kPictureFit);
    const QRect area = DeviceRect(ElementRect(*element));
    const COLORREF frame = RGB(128, 128, 128);
    for (unsigned flags : {0u, unsigned(kDrawSelection | kDrawText)}) {
        const QImage hidden = Draw(element.get(), 1.0, flags);
        EXPECT_EQ(ColourCount(hidden, area, kRedRef, 2) + ColourCount(hidden, area, kBlueRef, 2), 0);
        // The placeholder's grey frame runs round the rectangle.
        EXPECT_GT(ColourCount(hidden, QRect(area.left(), area.top(), area.width(), 2), frame, 2), area.width() / 2);
    }
    const QImage shown = Draw(element.get(), 1.0, kDrawPictures);
    EXPECT_EQ(ColourCount(shown, area, frame, 2), 0);

    // A new element shows the placeholder as its picture too.
    auto fresh = NewPicture();
    fresh->SetOrigin(CPoint(50, -300));
    fresh->SetSize(CSize(96, 96));
    fresh->SetLineWidth(0);
    const QImage image = Draw(fresh.get(), 2.0, kDrawPictures);
    EXPECT_EQ(fresh->GetSize(), CSize(96, 96));
    const QRect big = DeviceRect(Scaled(ElementRect(*fresh), 2.0));
    EXPECT_GT(ColourCount(image, QRect(big.left(), big.top(), big.width(), 2), frame, 2), big.width());
}

TEST_F(PictureDrawTest, EmptyPictureDrawsNothingInsideItsFrame) {
    auto element = WithoutPicture();
    element->SetOrigin(CPoint(50, -300));
    element->SetSize(CSize(200, 100));
    element->SetLineWidth(0);
    for (int mode : {0, 1, 3}) {
        element->SetDrawMode(mode);
        const QImage image = Draw(element.get(), 1.5, kDrawPictures);
        EXPECT_EQ(InkCount(image, image.rect()), 0) << mode;
        EXPECT_EQ(element->GetSize(), CSize(200, 100));
        EXPECT_EQ(element->GetOrigin(), CPoint(50, -300));
    }
    // Hidden pictures still show the placeholder.
    EXPECT_GT(InkCount(Draw(element.get(), 1.0, 0), DeviceRect(ElementRect(*element))), 0);
}

TEST_F(PictureDrawTest, OutlineKeepsItsWidthAtEveryZoom) {
    auto element = WithoutPicture();
    element->SetOrigin(CPoint(100, -500));
    element->SetSize(CSize(200, 200));
    element->SetLineWidth(10);
    for (double zoom : {1.0, 2.0}) {
        SCOPED_TRACE(zoom);
        const QImage image = Draw(element.get(), zoom, kDrawPictures);
        const QRect r = DeviceRect(Scaled(ElementRect(*element), zoom));
        // Across the left edge, halfway down: the pen's width in black, whatever the zoom.
        const QRect band(r.left() - 20, r.center().y(), 40, 1);
        const int black = ColourCount(image, band, RGB(0, 0, 0), 60);
        EXPECT_GE(black, 9);
        EXPECT_LE(black, 12);
    }
    element->SetLineWidth(0);
    EXPECT_EQ(InkCount(Draw(element.get(), 1.0, kDrawPictures), QRect(0, 0, 900, 900)), 0);
}

TEST_F(PictureDrawTest, SelectionOnlyWhenAskedAndNeverOnPaper) {
    CReportSheet* sheet = NewSheet();
    auto* element = new CPictureElement(&Manager());
    element->SetOrigin(CPoint(100, -400));
    element->SetSize(CSize(200, 200));
    element->SetDrawMode(kPictureFit);
    sheet->Add(element);
    sheet->Select(element, 1);
    const COLORREF highlight = RGB(10, 36, 106);
    const QRect all(0, 0, 900, 900);
    EXPECT_GT(ColourCount(Draw(element, 1.0, kDrawPictures | kDrawSelection), all, highlight), 0);
    EXPECT_EQ(ColourCount(Draw(element, 1.0, kDrawPictures), all, highlight), 0);
    EXPECT_EQ(ColourCount(Draw(element, 1.0, kDrawPictures | kDrawSelection, true), all, highlight), 0);
}

TEST_F(PictureDrawTest, NoContextOrZeroZoomDrawsNothing) {
    auto element = WidePicture(0);
    EXPECT_EQ(element->Draw(nullptr, 1.0, 0, kDrawPictures), 0);
    QImage image = BlankImage(100, 100, kDpi);
    CDC dc(&image);
    EXPECT_EQ(element->Draw(&dc, 0.0, 0, kDrawPictures), 0);
    EXPECT_EQ(element->GetSize(), CSize(100, 100));
}

}  // namespace
}  // namespace picture_test
