// Element geometry: the truncation rule, rectangles at zoom, handles, hit-testing, moving and rounding.
#include <cmath>
#include <thread>

#include "platform/settings/profile.h"
#include "report/model/element_defaults.h"

#include "report/tests/model/model_fixture.h"

namespace model_test {
namespace {

TEST(ZoomTruncTest, TruncatesTowardZeroAfterAMillionthWithTheSign) {
    struct Case {
        double value;
        int expected;
    } cases[] = {
        {0.0, 0},        {0.5, 0},         {0.9999995, 1},  {0.999998, 0},   {1.0, 1},
        {2.5, 2},        {-2.5, -2},       {-0.9999995, -1}, {-0.999998, 0}, {199.99999999, 200},
        {-199.99999999, -200}, {3 * 0.1 * 10, 3}, {-1e9, -1000000000},
    };
    for (const Case& c : cases) EXPECT_EQ(ZoomTrunc(c.value), c.expected) << c.value;
}

class ElementGeometryTest : public ModelTest {};

TEST_F(ElementGeometryTest, GetRectAndSetRectAtSeveralZooms) {
    struct Case {
        CPoint origin;
        CSize size;
        double zoom;
        CRect expected;
    } cases[] = {
        {{100, -200}, {300, 150}, 1.0, {100, -200, 400, -50}},
        {{100, -200}, {300, 150}, 0.5, {50, -100, 200, -25}},
        {{100, -200}, {300, 150}, 2.0, {200, -400, 800, -100}},
        {{33, -33}, {17, 17}, 0.3, {9, -9, 14, -4}},     // 9.9 → 9, -9.9 → -9, 5.1 → 5
        {{10, -10}, {-30, 25}, 1.5, {15, -15, -30, 22}},  // a line keeps its direction
        {{1, -1}, {3, 3}, 1.0 / 3.0, {0, 0, 1, 1}},       // 1/3 stays 0; 3 · 1/3 → 1 after the millionth
    };
    CReportSheet* sheet = NewSheet();
    for (const Case& c : cases) {
        CReportElement* e = NewRect(sheet, c.origin, c.size);
        CRect r;
        e->GetRect(r, c.zoom, 1);
        EXPECT_EQ(r, c.expected) << c.zoom;
    }
}

TEST_F(ElementGeometryTest, SetRectTruncatesEachSideAfterDividing) {
    struct Case {
        CRect rect;
        double zoom;
        CPoint origin;
        CSize size;
    } cases[] = {
        {{50, -100, 200, -25}, 0.5, {100, -200}, {300, 150}},
        {{200, -400, 800, -100}, 2.0, {100, -200}, {300, 150}},
        {{9, -9, 14, -4}, 0.3, {30, -30}, {16, 17}},     // 46.67 → 46, -13.33 → -13
        {{15, -15, -30, 22}, 1.5, {10, -10}, {-30, 24}},  // 14.67 → 14
        {{-1, 1, 1, -1}, 3.0, {0, 0}, {0, 0}},
    };
    CReportSheet* sheet = NewSheet();
    for (const Case& c : cases) {
        CReportElement* e = NewRect(sheet, {7, 7}, {7, 7});
        e->SetRect(c.rect, c.zoom);
        EXPECT_EQ(e->GetOrigin(), c.origin) << c.zoom;
        EXPECT_EQ(e->GetSize(), c.size) << c.zoom;
    }
}

TEST_F(ElementGeometryTest, SetRectDividesEachSideByTheZoom) {
    CReportSheet* sheet = NewSheet();
    CReportElement* e = NewRect(sheet, {0, 0}, {0, 0});
    e->SetRect(CRect(101, -201, 301, -51), 2.0);
    EXPECT_EQ(e->GetOrigin(), CPoint(50, -100));
    EXPECT_EQ(e->GetSize(), CSize(100, 75));  // 150 - 50, -25 - (-100)
    e->SetRect(CRect(1, 1, 2, 2), 0.0);       // no zoom: nothing to divide by
    EXPECT_EQ(e->GetOrigin(), CPoint(50, -100));
}

TEST_F(ElementGeometryTest, ViewCoordinatesAddTheSheetOrigin) {
    CReportSheet* sheet = NewSheet();
    sheet->SetOrgPt(CPoint(1000, 500));
    CReportElement* e = NewRect(sheet, {100, -200}, {300, 150});
    CRect view, page;
    e->GetRect(view, 1.0, 0);
    e->GetRect(page, 1.0, 1);
    EXPECT_EQ(page, CRect(100, -200, 400, -50));
    EXPECT_EQ(view, CRect(1100, -700, 1400, -550));
    CPoint p(5, -7);
    sheet->PtSheetToLog(p);
    sheet->PtLogToSheet(p);
    EXPECT_EQ(p, CPoint(5, -7));
}

TEST_F(ElementGeometryTest, HandlePointsOfRectanglesAndLines) {
    CReportSheet* sheet = NewSheet();
    CReportElement* rect = NewRect(sheet, {0, -100}, {101, 51});
    std::vector<CPoint> points;
    EXPECT_EQ(rect->GetSelPts(points, nullptr, 1.0), 1);
    const std::vector<CPoint> expected = {{0, -100}, {50, -100}, {101, -100}, {101, -75},
                                          {101, -49}, {50, -49}, {0, -49},    {0, -75}};
    EXPECT_EQ(points, expected);

    CReportElement* line = NewLine(sheet, {100, -100}, {-60, 40});
    points.clear();
    line->GetSelPts(points, nullptr, 1.0);
    EXPECT_EQ(points, (std::vector<CPoint>{{100, -100}, {70, -80}, {40, -60}}));

    // Paper takes the origin as stored, only the size is scaled.
    sheet->SetOrgPt(CPoint(500, 500));
    CDC printer;
    printer.SetPrinting(true);
    points.clear();
    rect->GetSelPts(points, &printer, 2.0);
    EXPECT_EQ(points.front(), CPoint(0, -100));
    EXPECT_EQ(points[4], CPoint(202, 2));
}

// Hit-testing of a rectangle (0, -200)–(200, 0) at zoom 1.
TEST_F(ElementGeometryTest, RectangleDragModes) {
    CReportSheet* sheet = NewSheet();
    CReportElement* e = NewRect(sheet, {0, -200}, {200, 200});
    struct Case {
        CPoint p;
        bool selected;
        bool fixed;
        int expected;
    } cases[] = {
        {{100, -100}, false, false, kDragMove},
        {{100, -200}, false, false, kDragMove},          // on the top handle but not selected
        {{100, -200}, true, false, kDragTop},
        {{0, -200}, true, false, kDragLeftTop},
        {{200, -200}, true, false, kDragRightTop},
        {{200, -100}, true, false, kDragRight},
        {{200, 0}, true, false, kDragRightBottom},
        {{100, 0}, true, false, kDragBottom},
        {{0, 0}, true, false, kDragLeftBottom},
        {{0, -100}, true, false, kDragLeft},
        {{-9, -209}, true, false, kDragLeftTop},        // handle squares reach 10 out, right/bottom excluded
        {{-11, -200}, true, false, kDragNone},
        {{209, 9}, true, false, kDragRightBottom},
        {{210, 0}, true, false, kDragNone},
        {{200, -150}, false, false, kDragNone},         // the right edge is outside
        {{199, -150}, false, false, kDragMove},
        {{300, -100}, false, false, kDragNone},
        {{100, -100}, false, true, kDragFixed},
        {{100, -200}, true, true, kDragFixed},          // also on a handle
        {{300, -100}, true, true, kDragNone},
    };
    int hint = 12345;
    for (const Case& c : cases) {
        e->SetSelected(c.selected ? 1 : 0);
        e->SetFixed(c.fixed ? 1 : 0);
        EXPECT_EQ(e->GetDragMode(c.p, hint, 1.0), c.expected) << c.p.x << "," << c.p.y;
    }
    EXPECT_EQ(hint, 12345);
}

TEST_F(ElementGeometryTest, LineDragModes) {
    CReportSheet* sheet = NewSheet();
    CReportElement* line = NewLine(sheet, {0, 0}, {400, -300});  // length 500
    struct Case {
        CPoint p;
        bool fixed;
        int expected;
    } cases[] = {
        {{0, 0}, false, kDragLeft},        // start handle, selected or not
        {{200, -150}, false, kDragMove},   // middle handle
        {{400, -300}, false, kDragRight},  // end handle
        {{100, -75}, false, kDragMove},    // on the line
        {{112, -59}, false, kDragMove},    // 20 units from it: (12, 16) off the line
        {{113, -58}, false, kDragNone},    // a little more than 20
        {{300, -10}, false, kDragNone},    // inside the box, far from the line
        {{-20, 10}, false, kDragNone},     // outside the box widened by 10
        {{100, -75}, true, kDragFixed},
        {{0, 0}, true, kDragFixed},
    };
    int hint = 0;
    for (const Case& c : cases) {
        line->SetFixed(c.fixed ? 1 : 0);
        EXPECT_EQ(line->GetDragMode(c.p, hint, 1.0), c.expected) << c.p.x << "," << c.p.y;
    }
}

TEST_F(ElementGeometryTest, ZeroLengthLineHitsAsAPoint) {
    CReportSheet* sheet = NewSheet();
    CReportElement* dot = NewLine(sheet, {100, -100}, {0, 0});
    int hint = 0;
    // The handles lie on the point; away from them the distance to the point decides, never a NaN.
    EXPECT_EQ(dot->GetDragMode(CPoint(100, -100), hint, 1.0), kDragLeft);
    EXPECT_EQ(dot->GetDragMode(CPoint(110, -100), hint, 1.0), kDragNone);  // outside box widened by 10
    CReportElement* shortLine = NewLine(sheet, {0, 0}, {0, 0});
    shortLine->SetOrigin(CPoint(500, -500));
    EXPECT_EQ(shortLine->GetDragMode(CPoint(509, -500), hint, 1.0), kDragLeft);
}

TEST_F(ElementGeometryTest, EveryPointOnALongLineHitsAtEveryZoom) {
    CReportSheet* sheet = NewSheet();
    CReportElement* line = NewLine(sheet, {0, 0}, {3000, -1000});
    int hint = 0;
    for (double zoom : {0.5, 1.0, 2.0, 0.37}) {
        CRect r;
        line->GetRect(r, zoom, 0);
        for (int k = 1; k < 100; ++k) {
            // Points on the line through the drawn ends (rounding may put them a hair off it).
            const CPoint p(r.left + (r.right - r.left) * k / 100, r.top + (r.bottom - r.top) * k / 100);
            EXPECT_EQ(line->GetDragMode(p, hint, zoom), kDragMove) << zoom << " " << k;
        }
    }
}

TEST_F(ElementGeometryTest, MoveAppliesEachModeAndRoundsHalfAwayFromZero) {
    struct Case {
        int kind;
        int mode;
        CSize delta;
        double zoom;
        CRect expected;  // from (100, -200, 300, -100)
    } cases[] = {
        {kElemRect, kDragMove, {5, -5}, 2.0, {103, -203, 303, -103}},  // 2.5 rounds to 3
        {kElemRect, kDragMove, {4, -4}, 2.0, {102, -202, 302, -102}},
        {kElemRect, kDragMove, {10, 10}, 0.5, {120, -180, 320, -80}},
        {kElemRect, kDragLeftTop, {10, 10}, 1.0, {110, -190, 300, -100}},
        {kElemRect, kDragRightTop, {10, 10}, 1.0, {100, -190, 310, -100}},
        {kElemRect, kDragTop, {10, 10}, 1.0, {100, -190, 300, -100}},
        {kElemRect, kDragBottom, {10, 10}, 1.0, {100, -200, 300, -90}},
        {kElemRect, kDragLeft, {10, 10}, 1.0, {110, -200, 300, -100}},
        {kElemRect, kDragRight, {10, 10}, 1.0, {100, -200, 310, -100}},
        {kElemRect, kDragLeftBottom, {10, 10}, 1.0, {110, -200, 300, -90}},
        {kElemRect, kDragRightBottom, {10, 10}, 1.0, {100, -200, 310, -90}},
        {kElemRect, kDragNewRect, {10, 10}, 1.0, {100, -200, 310, -90}},
        {kElemRect, kDragNewFrame, {10, 10}, 1.0, {100, -200, 310, -90}},
        {kElemRect, kDragNewLine, {10, 10}, 1.0, {100, -200, 300, -100}},
        {kElemRect, kDragFixed, {10, 10}, 1.0, {100, -200, 300, -100}},
        {kElemRect, 99, {10, 10}, 1.0, {100, -200, 300, -100}},
        {kElemLine, kDragLeft, {10, 10}, 1.0, {110, -190, 300, -100}},
        {kElemLine, kDragRight, {10, 10}, 1.0, {100, -200, 310, -90}},
        {kElemLine, kDragNewLine, {10, 10}, 1.0, {100, -200, 310, -90}},
        {kElemLine, kDragMove, {-3, 3}, 2.0, {98, -198, 298, -98}},  // -1.5 → -2, 1.5 → 2
        {kElemLine, kDragTop, {10, 10}, 1.0, {100, -200, 300, -100}},
        {kElemLine, kDragNewRect, {10, 10}, 1.0, {100, -200, 300, -100}},
    };
    CReportSheet* sheet = NewSheet();
    for (const Case& c : cases) {
        CReportElement* e = sheet->CreateReportElem({100, -200}, {200, 100}, c.kind);
        sheet->Add(e);
        EXPECT_EQ(e->Move(c.delta, c.mode, c.zoom), c.mode);
        CRect r;
        e->GetRect(r, 1.0, 1);
        EXPECT_EQ(r, c.expected) << "kind " << c.kind << " mode " << c.mode;
    }
}

TEST_F(ElementGeometryTest, AlignRoundsToWholeMillimetres) {
    struct Case {
        CPoint origin;
        CSize size;
        CPoint origin2;
        CSize size2;
    } cases[] = {
        {{15, -15}, {14, 15}, {20, -20}, {10, 20}},
        {{14, -14}, {0, 4}, {10, -10}, {0, 0}},
        {{0, 0}, {-14, -15}, {0, 0}, {-10, -20}},
        {{1234, -1236}, {555, 1}, {1230, -1240}, {560, 0}},
    };
    CReportSheet* sheet = NewSheet();
    for (const Case& c : cases) {
        CReportElement* e = NewRect(sheet, c.origin, c.size);
        e->Align();
        EXPECT_EQ(e->GetOrigin(), c.origin2);
        EXPECT_EQ(e->GetSize(), c.size2);
    }
}

TEST_F(ElementGeometryTest, EdgeBandsForSnapping) {
    CReportSheet* sheet = NewSheet();
    CReportElement* e = NewRect(sheet, {100, -200}, {200, 100});
    EXPECT_EQ(e->GetLeftRect(50, 1.0), CRect(50, -200, 150, -100));
    EXPECT_EQ(e->GetTopRect(50, 1.0), CRect(100, -250, 300, -150));
    EXPECT_EQ(e->GetRightRect(50, 1.0), CRect(250, -200, 350, -100));
    EXPECT_EQ(e->GetBottomRect(50, 1.0), CRect(100, -150, 300, -50));
    CRect range;
    EXPECT_EQ(e->GetRange(range), 1);
    EXPECT_EQ(range, CRect(0, 0, 2100, 2970));
}

TEST_F(ElementGeometryTest, ExecuteCmdReordersWithinTheSheet) {
    CReportSheet* sheet = NewSheet();
    CReportElement* a = NewRect(sheet, {0, 0}, {10, 10});
    CReportElement* b = NewRect(sheet, {0, 0}, {10, 10});
    CReportElement* c = NewRect(sheet, {0, 0}, {10, 10});
    EXPECT_EQ(a->ExecuteCmd(ID_ELEM_TO_FRONT), 0);
    EXPECT_EQ(sheet->GetElement(2), a);
    EXPECT_EQ(a->ExecuteCmd(ID_ELEM_TO_BACK), 0);
    EXPECT_EQ(sheet->GetElement(0), a);
    EXPECT_EQ(c->ExecuteCmd(ID_ELEM_TO_BACK), 0);
    EXPECT_EQ(sheet->GetElement(0), c);
    EXPECT_EQ(sheet->GetElement(1), a);
    EXPECT_EQ(sheet->GetElement(2), b);
    EXPECT_EQ(b->ExecuteCmd(0), 0);
    EXPECT_EQ(b->ExecuteCmd(57634), 57634);  // copy: the caller's
    EXPECT_EQ(b->ExecuteCmd(32839), 32839);
    CReportElement loose(&Manager());
    EXPECT_EQ(loose.ExecuteCmd(ID_ELEM_TO_FRONT), 0);
}

TEST_F(ElementGeometryTest, ProfileValuesSetNewElementsDefaults) {
    CReportElement plain(&Manager());
    EXPECT_EQ(plain.GetLineWidth(), 1);
    EXPECT_EQ(plain.GetFixed(), 0);
    EXPECT_EQ(plain.GetKind(), kElemRect);
    EXPECT_EQ(plain.GetName(), "Элемент");
    ASSERT_TRUE(WriteProfileInt("DefaultSettings", "LineWidth", 7));
    ASSERT_TRUE(WriteProfileInt("DefaultSettings", "CreateFixed", 1));
    CReportElement configured(&Manager());
    EXPECT_EQ(configured.GetLineWidth(), 7);
    EXPECT_EQ(configured.GetFixed(), 1);
    ASSERT_TRUE(WriteProfileInt("DefaultSettings", "LineWidth", 1));
    ASSERT_TRUE(WriteProfileInt("DefaultSettings", "CreateFixed", 0));
}

// While held (a generation), elements of the holding thread take the values read when it began; other
// threads and later elements see the profile as it is.
TEST_F(ElementGeometryTest, HeldDefaultsStayForTheirThreadUntilReleased) {
    ASSERT_TRUE(WriteProfileInt("DefaultSettings", "LineWidth", 4));
    {
        CHeldElementDefaults held;
        ASSERT_TRUE(WriteProfileInt("DefaultSettings", "LineWidth", 7));
        EXPECT_EQ(CReportElement(&Manager()).GetLineWidth(), 4);
        int elsewhere = 0;
        std::thread([&] { elsewhere = CReportElement(&Manager()).GetLineWidth(); }).join();
        EXPECT_EQ(elsewhere, 7);
    }
    EXPECT_EQ(CReportElement(&Manager()).GetLineWidth(), 7);
    ASSERT_TRUE(WriteProfileInt("DefaultSettings", "LineWidth", 1));
}

TEST_F(ElementGeometryTest, CloneKeepsTextAndParameterLinkButNoInstanceOrSheet) {
    CReportSheet* sheet = NewSheet();
    CReportParam* param = NewParam("Заказчик", kParamText, "ООО");
    CReportElement* linked = NewRect(sheet, {10, -20}, {30, 40});
    linked->GetTextValue().SetText(param);
    linked->SetName("Поле");
    linked->SetFixed(1);
    linked->SetLineWidth(3);
    linked->GetTextValue().SetAlign(kAlignLeft | kAlignTop);
    sheet->Update(true);
    sheet->Select(linked, 1);
    std::unique_ptr<CReportElement> clone(linked->CreateClon());
    EXPECT_EQ(clone->GetTextValue().GetParam(), param);
    EXPECT_EQ(clone->GetOrigin(), CPoint(10, -20));
    EXPECT_EQ(clone->GetSize(), CSize(30, 40));
    EXPECT_EQ(clone->GetName(), "Поле");
    EXPECT_EQ(clone->GetFixed(), 1);
    EXPECT_EQ(clone->GetLineWidth(), 3);
    EXPECT_EQ(clone->GetTextValue().GetAlign(), kAlignLeft | kAlignTop);
    EXPECT_EQ(clone->GetInstance(), nullptr);
    EXPECT_EQ(clone->GetTextValue().GetInstance(), nullptr);
    EXPECT_EQ(clone->GetSheet(), nullptr);
    EXPECT_EQ(clone->GetSelected(), 0);

    CReportElement* own = NewRect(sheet, {0, 0}, {1, 1}, "abc");
    std::unique_ptr<CReportElement> ownClone(own->CreateClon());
    EXPECT_EQ(ownClone->GetTextValue().GetType(), kTextOwn);
    EXPECT_EQ(ownClone->GetTextValue().GetText(), "abc");
}

}  // namespace
}  // namespace model_test
