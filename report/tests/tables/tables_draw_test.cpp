// Drawing the table kinds onto images at several zooms, while a template is edited (reportMode 0) and in a
// report (1): where ink lands, never whole images. At 254 dpi a logical unit is one pixel and device y is
// minus logical y.
#include <QImage>

#include "platform/gdi/dc.h"
#include "platform/tests/gdi/image_probe.h"
#include "report/tests/tables/tables_fixture.h"

namespace tables_test {
namespace {

using gdi_test::BlankImage;
using gdi_test::ColourCount;
using gdi_test::DeviceRect;
using gdi_test::InkBounds;
using gdi_test::InkCount;

constexpr double kDpi = 254.0;
const double kZooms[] = {0.5, 1.0, 2.0};
const QRect kAll(0, 0, 1400, 1000);
constexpr COLORREF kAidGrey = RGB(192, 192, 192);

// A small square of the device around a logical point.
QRect Around(CPoint logical, int half = 3) {
    return QRect(logical.x - half, -logical.y - half, 2 * half + 1, 2 * half + 1);
}

class TablesDrawTest : public TablesTest {
protected:
    QImage Draw(CReportElement* e, double zoom, int reportMode, unsigned flags = kDrawText, bool printing = false) {
        QImage image = BlankImage(kAll.width(), kAll.height(), kDpi);
        {
            CDC dc(&image);
            dc.SetPrinting(printing);
            EXPECT_EQ(e->Draw(&dc, zoom, reportMode, flags), 1);
        }
        return image;
    }
    static CRect Rect(const CReportElement* e, double zoom) {
        CRect r;
        e->GetRect(r, zoom, 1);
        return r;
    }
    // Ink on the middle part of each edge of the rectangle.
    static void ExpectOutline(const QImage& image, const CRect& r, bool present, const std::string& what) {
        const QRect d = DeviceRect(r);
        const QRect bands[] = {
            QRect(d.left() - 2, d.top() + d.height() / 3, 5, d.height() / 3),
            QRect(d.right() - 2, d.top() + d.height() / 3, 5, d.height() / 3),
            QRect(d.left() + d.width() / 3, d.top() - 2, d.width() / 3, 5),
            QRect(d.left() + d.width() / 3, d.bottom() - 2, d.width() / 3, 5),
        };
        for (const QRect& band : bands) {
            if (present)
                EXPECT_GT(InkCount(image, band), band.width() * band.height() / 10) << what;
            else
                EXPECT_EQ(InkCount(image, band), 0) << what;
        }
    }
    // Midpoints of the inner vertical edges of the four corner boxes: lower left, lower right, upper right
    // and upper left on the page.
    static std::vector<CPoint> BoxEdges(const CRect& r, double zoom) {
        const int w = CTableFrameDrawing::BoxExtent(r.Width(), zoom);
        const int h = CTableFrameDrawing::BoxExtent(r.Height(), zoom);
        return {CPoint(r.left + w, r.top + h / 2), CPoint(r.right - w, r.top + h / 2),
                CPoint(r.right - w, r.bottom - h / 2), CPoint(r.left + w, r.bottom - h / 2)};
    }
};

TEST_F(TablesDrawTest, CornerBoxesAreAQuarterOfShortSidesAndShrinkBelowZoomOne) {
    EXPECT_EQ(CTableFrameDrawing::BoxExtent(600, 1.0), 50);
    EXPECT_EQ(CTableFrameDrawing::BoxExtent(200, 2.0), 50);
    EXPECT_EQ(CTableFrameDrawing::BoxExtent(200, 0.5), 25);
    EXPECT_EQ(CTableFrameDrawing::BoxExtent(199, 1.0), 49);
    EXPECT_EQ(CTableFrameDrawing::BoxExtent(150, 0.3), 37);
    EXPECT_EQ(CTableFrameDrawing::BoxExtent(0, 1.0), 0);
}

TEST_F(TablesDrawTest, ATableShowsItsCornerBoxesOnlyWhileATemplateIsEdited) {
    CReportSheet* sheet = NewSheet();
    CTableElement* table = static_cast<CTableElement*>(NewElement(sheet, kElemTable, {50, -450}, {600, 400}));
    CTableElement* small = static_cast<CTableElement*>(NewElement(sheet, kElemTable, {50, -150}, {150, 100}));
    for (CTableElement* t : {table, small}) {
        t->SetLineWidth(2);
        for (double zoom : kZooms) {
            const std::string at = "zoom " + std::to_string(zoom) + (t == small ? " small" : "");
            const CRect r = Rect(t, zoom);
            const QImage editing = Draw(t, zoom, 0);
            ExpectOutline(editing, r, true, at);
            for (CPoint p : BoxEdges(r, zoom)) EXPECT_GT(InkCount(editing, Around(p, 1)), 0) << at;
            // Nothing else inside.
            const CPoint centre((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            EXPECT_EQ(InkCount(editing, Around(centre, 5)), 0) << at;
            EXPECT_TRUE(DeviceRect(r).adjusted(-3, -3, 3, 3).contains(InkBounds(editing))) << at;

            const QImage report = Draw(t, zoom, 1);
            ExpectOutline(report, r, true, at);
            for (CPoint p : BoxEdges(r, zoom)) EXPECT_EQ(InkCount(report, Around(p, 1)), 0) << at;
        }
    }
}

TEST_F(TablesDrawTest, ATableOfLineWidthZeroIsGreyInATemplateAndInvisibleInAReport) {
    CReportSheet* sheet = NewSheet();
    CTableElement* table = static_cast<CTableElement*>(NewElement(sheet, kElemTable, {50, -450}, {600, 400}));
    table->SetLineWidth(0);
    for (double zoom : kZooms) {
        const QImage editing = Draw(table, zoom, 0);
        const int grey = ColourCount(editing, kAll, kAidGrey, 8);
        EXPECT_GT(grey, 0) << zoom;
        EXPECT_EQ(ColourCount(editing, kAll, RGB(0, 0, 0), 40), 0) << zoom;
        EXPECT_EQ(InkCount(Draw(table, zoom, 1), kAll), 0) << zoom;
    }
}

TEST_F(TablesDrawTest, AnOwnColourPaintsTheOutlineAndFillsTheBoxes) {
    CReportSheet* sheet = NewSheet();
    CTableElement* table = static_cast<CTableElement*>(NewElement(sheet, kElemTable, {50, -450}, {600, 400}));
    table->SetLineWidth(3);
    const COLORREF red = RGB(200, 0, 0);
    table->SetColor(red);
    const CRect r = Rect(table, 1.0);
    const QImage image = Draw(table, 1.0, 0);
    // Inside the lower left box (left of its inner edge), the brush's colour.
    EXPECT_GT(ColourCount(image, Around(CPoint(r.left + 25, r.top + 25), 5), red, 8), 60);
    EXPECT_EQ(ColourCount(image, kAll, RGB(0, 0, 0), 40), 0);
}

TEST_F(TablesDrawTest, SelectionPointsOfATableShowForAnyFlagButNeverOnPaper) {
    CReportSheet* sheet = NewSheet();
    CTableElement* table = static_cast<CTableElement*>(NewElement(sheet, kElemTable, {50, -450}, {600, 400}));
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(ColourCount(Draw(table, 1.0, 0, kDrawSelection), kAll, highlight), 0);  // not selected
    sheet->Select(table, 1);
    for (double zoom : kZooms) {
        EXPECT_EQ(ColourCount(Draw(table, zoom, 0, 0), kAll, highlight), 0) << zoom;
        EXPECT_GT(ColourCount(Draw(table, zoom, 0, kDrawText), kAll, highlight), 0) << zoom;
        EXPECT_GT(ColourCount(Draw(table, zoom, 1, kDrawSelection), kAll, highlight), 0) << zoom;
        EXPECT_EQ(ColourCount(Draw(table, zoom, 0, kDrawSelection, true), kAll, highlight), 0) << zoom;
    }
}

TEST_F(TablesDrawTest, AContinuationMarksItsLowerRightCornerWithACaret) {
    CReportSheet* sheet = NewSheet();
    CReportElement* map = NewElement(sheet, kElemTableMap, {50, -450}, {600, 400});
    map->SetLineWidth(1);
    for (double zoom : kZooms) {
        const std::string at = "zoom " + std::to_string(zoom);
        const CRect r = Rect(map, zoom);
        const int w = CTableFrameDrawing::BoxExtent(r.Width(), zoom);
        const int h = CTableFrameDrawing::BoxExtent(r.Height(), zoom);
        const QRect box = DeviceRect(CRect(r.right - w, r.top, r.right, r.top + h));
        const QRect inside = box.adjusted(3, 3, -3, -3);
        const QImage editing = Draw(map, zoom, 0);
        ExpectOutline(editing, r, true, at);
        // The box's inner edge and a caret inside it; no box at the other corners.
        EXPECT_GT(InkCount(editing, Around(CPoint(r.right - w, r.top + h / 2), 1)), 0) << at;
        EXPECT_GT(InkCount(editing, inside), 0) << at;
        const std::vector<CPoint> edges = BoxEdges(r, zoom);
        for (size_t i : {0u, 2u, 3u}) EXPECT_EQ(InkCount(editing, Around(edges[i], 1)), 0) << at << " corner " << i;
        // All ink inside the rectangle but the outline and the box.
        const QRect inner = DeviceRect(r).adjusted(4, 4, -4, -4);
        EXPECT_EQ(InkCount(editing, inner), InkCount(editing, box.adjusted(-4, -4, 4, 4).intersected(inner))) << at;

        const QImage report = Draw(map, zoom, 1);
        ExpectOutline(report, r, true, at);
        EXPECT_EQ(InkCount(report, inside), 0) << at;
        EXPECT_EQ(InkCount(report, Around(CPoint(r.right - w, r.top + h / 2), 1)), 0) << at;
    }
    // Line width 0: grey in a template, nothing in a report.
    map->SetLineWidth(0);
    EXPECT_GT(ColourCount(Draw(map, 1.0, 0), kAll, kAidGrey, 8), 0);
    EXPECT_EQ(InkCount(Draw(map, 1.0, 1), kAll), 0);
}

TEST_F(TablesDrawTest, AContentsElementSaysSoOnlyWhileATemplateIsEdited) {
    CReportSheet* sheet = NewSheet();
    CReportElement* contents = NewElement(sheet, kElemTableContent, {50, -450}, {600, 400});
    contents->SetLineWidth(1);
    for (double zoom : kZooms) {
        const std::string at = "zoom " + std::to_string(zoom);
        const CRect r = Rect(contents, zoom);
        const QRect inside = DeviceRect(r).adjusted(4, 4, -4, -4);
        const QImage editing = Draw(contents, zoom, 0);
        ExpectOutline(editing, r, true, at);
        const QRect word = InkBounds(editing.copy(inside)).translated(inside.topLeft());
        ASSERT_FALSE(word.isNull()) << at;
        // One line of ten letters at 8 points whatever the zoom, centred both ways.
        const int em = static_cast<int>(80 * 254.0 / 720.0);
        EXPECT_LE(std::abs(word.center().x() - inside.center().x()), em / 2) << at;
        EXPECT_LE(std::abs(word.center().y() - inside.center().y()), em / 2) << at;
        EXPECT_LT(word.height(), 2 * em) << at;
        EXPECT_GT(word.width(), 3 * em) << at;
        EXPECT_LT(word.width(), 8 * em) << at;

        const QImage report = Draw(contents, zoom, 1);
        ExpectOutline(report, r, true, at);
        EXPECT_EQ(InkCount(report, inside), 0) << at;
    }
}

TEST_F(TablesDrawTest, APageReferenceShowsTheSheetsNameInATemplateAndItsNumberInAReport) {
    CReportSheet* sheet = NewSheet();
    CReportSheet* target = NewSheet();
    target->SetName("Лист12");
    auto* reference = static_cast<CPageReferenceElement*>(NewElement(sheet, kElemPageReference, {50, -250}, {600, 200}));
    reference->GetTextValue().SetBorder(0);
    reference->GetTextValue().SetFont(Font(200, FW_NORMAL, 0, "Arial"));
    reference->SetTarget(target);
    for (double zoom : kZooms) {
        const std::string at = "zoom " + std::to_string(zoom);
        const QRect rect = DeviceRect(Rect(reference, zoom));
        const QRect name = InkBounds(Draw(reference, zoom, 0));
        EXPECT_EQ(reference->GetTextValue().GetText(), "Лист12");
        const QRect number = InkBounds(Draw(reference, zoom, 1));
        EXPECT_EQ(reference->GetTextValue().GetText(), "12");
        ASSERT_FALSE(name.isNull() || number.isNull()) << at;
        EXPECT_TRUE(rect.contains(number)) << at;
        // Two of six characters.
        EXPECT_LT(number.width() * 2, name.width()) << at;
    }
    // Without a target the text value is drawn as it is.
    reference->SetTarget(nullptr);
    reference->GetTextValue().SetText("свой");
    Draw(reference, 1.0, 1);
    EXPECT_EQ(reference->GetTextValue().GetText(), "свой");
}

TEST_F(TablesDrawTest, NothingIsDrawnWithoutAContextOrAtZoomZero) {
    CReportSheet* sheet = NewSheet();
    for (int kind : {kElemTable, kElemTableMap}) {
        CReportElement* e = NewElement(sheet, kind, {50, -450}, {600, 400});
        EXPECT_EQ(e->Draw(nullptr, 1.0, 0, kDrawText), 0);
        QImage image = BlankImage(kAll.width(), kAll.height(), kDpi);
        {
            CDC dc(&image);
            EXPECT_EQ(e->Draw(&dc, 0.0, 0, kDrawText), 0);
        }
        EXPECT_EQ(InkCount(image, kAll), 0);
    }
    CReportElement* contents = NewElement(sheet, kElemTableContent, {50, -450}, {600, 400});
    EXPECT_EQ(contents->Draw(nullptr, 1.0, 0, kDrawText), 1);
}

}  // namespace
}  // namespace tables_test
