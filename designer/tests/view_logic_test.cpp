// The editor view's rules without a widget: zoom steps and limits, page placement, position texts and
// cursors, and the mouse on a sheet (selection, rubber band, moves with clamping and snapping, handles,
// creation by tool, deleting, parameter drops).
#include <clocale>

#include "designer/tests/view_fixture.h"
#include "designer/view/view_editor.h"
#include "designer/view/view_geometry.h"
#include "platform/settings/default_settings.h"
#include "report/model/page_reference_element.h"

namespace view_test {
namespace {

using namespace quillmark;

TEST(ViewZoomTest, WheelSteps) {
    const struct {
        double zoom;
        int delta;
        double expected;
    } cases[] = {
        {1.0, 120, 1.02},       // a notch below 2: 1/50
        {3.0, 120, 3.03},       // from 2: 3/100
        {6.0, 120, 6.06},       // from 5: 6/100
        {1.0, -120, 0.98},
        {20.0, 120, 20.0},      // the top stays
        {19.99, 1200, 20.0},
        {0.01, -120, 0.01},     // the bottom stays: passing zero gives the smallest zoom
        {1.0, -7200, 0.01},     // 1 - 1.2
        {0.5, -12000, 1 / 1.5}, // 0.5 - 2 is below -1: its negative reciprocal
        {0.1, -120000, 0.05},   // 0.1 - 20 = -19.9 gives 0.05025, kept as is
    };
    for (const auto& c : cases)
        EXPECT_NEAR(WheelZoom(c.zoom, c.delta), c.expected, 0.001) << c.zoom << " " << c.delta;
}

TEST(ViewZoomTest, ZoomToolStaysWithinLimits) {
    const struct {
        double zoom;
        int dy;
        double expected;
    } cases[] = {
        {1.0, 60, 1.1},       // dragging down zooms in
        {1.0, -60, 0.9},
        {1.0, -1800, 0.5},    // -2 turns into 1/2
        {1.0, -600, 0.01},    // exactly 0 is no zoom: the smallest one
        {1.0, -900, 0.5},     // -0.5 turns positive
        {19.0, 1200, 20.0},
        {1.0, 60000, 20.0},
        {1.0, -600000, 0.01}, // -1/-999 is below the smallest
    };
    for (const auto& c : cases) EXPECT_NEAR(ZoomToolStep(c.zoom, c.dy), c.expected, 0.0011) << c.zoom << " " << c.dy;
}

TEST(ViewZoomTest, FitAndZoomToRect) {
    EXPECT_NEAR(FitZoom(CSize(3030, 2160), CSize(2970, 2100)), 0.99, 1e-9);
    EXPECT_NEAR(FitZoom(CSize(6060, 2160), CSize(2970, 2100)), 0.99, 1e-9);  // the smaller direction
    EXPECT_DOUBLE_EQ(FitZoom(CSize(10, 10), CSize(2970, 2100)), kMinZoom);  // a tiny window

    const CSize client(1000, 500);
    EXPECT_NEAR(*ZoomForRect(client, CRect(0, 0, 100, -100)), 4.99, 1e-9);
    EXPECT_NEAR(*ZoomForRect(client, CRect(100, -100, 0, 0)), 4.99, 1e-9);  // normalised first
    EXPECT_DOUBLE_EQ(*ZoomForRect(client, CRect(0, 0, 1, 1)), kMaxZoom);
    EXPECT_DOUBLE_EQ(*ZoomForRect(client, CRect(0, 0, 1000000, 1000000)), kMinZoom);
    EXPECT_FALSE(ZoomForRect(client, CRect(10, 10, 10, 200)));  // no width
    EXPECT_FALSE(ZoomForRect(client, CRect(10, 10, 200, 10)));  // no height
}

TEST(ViewPlacementTest, CentredWhenItFitsElseAtTheMargin) {
    const struct {
        CSize client;
        double zoom;
        int left, distance;
    } cases[] = {
        {{4000, 3000}, 1.0, 515, 450},
        {{2000, 1000}, 1.0, 30, 30},
        {{3030, 3000}, 1.0, 30, 450},   // w + 60 equal to the width does not fit
        {{3031, 2160}, 1.0, 30, 30},    // (3031 - 2970) / 2 would be 30 too; height exactly fills: margin
        {{4000, 3000}, 0.5, 1257, 975},
        {{4000, 3000}, 2.0, 30, 30},
    };
    for (const auto& c : cases) {
        const PagePlacement p = PlacePage(c.client, CSize(2970, 2100), c.zoom);
        EXPECT_EQ(p.left, c.left) << c.client.cx << "x" << c.client.cy << " at " << c.zoom;
        EXPECT_EQ(p.distance, c.distance) << c.client.cx << "x" << c.client.cy << " at " << c.zoom;
        const int w = static_cast<int>(2970 * c.zoom), h = static_cast<int>(2100 * c.zoom);
        EXPECT_EQ(p.extent, CSize(w + 60, h + 60));
        EXPECT_EQ(p.pageRect, CRect(c.left, -c.distance, c.left + w, -c.distance - h));
    }
}

TEST(ViewTextTest, PositionTextsKeepThePointInAnyLocale) {
    // A locale with a decimal comma, where the machine has one.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") || std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(ElementPositionText(CPoint(105, -300), CSize(200, 100)), "X=10.5 Y=20.0 CX=20.0 CY=10.0");
    EXPECT_EQ(PointPositionText(150, 250, 0.5), "X = 30.0 Y = 50.0");
    EXPECT_EQ(PointPositionText(0, 0, 1.0), "X = 0.0 Y = 0.0");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(ViewTextTest, SheetNumbers) {
    EXPECT_EQ(SheetNumber("Лист1"), 1);
    EXPECT_EQ(SheetNumber("Лист12"), 12);
    EXPECT_EQ(SheetNumber("Лист"), 0);
    EXPECT_EQ(SheetNumber(""), 0);
    EXPECT_EQ(SheetNumber("Итог"), 0);
    EXPECT_EQ(SheetNumber("Лист99999999999999"), 999999999);  // no overflow
}

TEST(ViewTextTest, CursorCodes) {
    const std::pair<int, Qt::CursorShape> cases[] = {
        {2, Qt::SizeBDiagCursor}, {9, Qt::SizeBDiagCursor}, {3, Qt::SizeFDiagCursor}, {8, Qt::SizeFDiagCursor},
        {4, Qt::SizeVerCursor},   {5, Qt::SizeVerCursor},   {6, Qt::SizeHorCursor},   {7, Qt::SizeHorCursor},
        {10, Qt::SizeAllCursor},  {-1, Qt::CrossCursor},    {0, Qt::ArrowCursor},     {18, Qt::ArrowCursor},
    };
    for (const auto& [code, shape] : cases) EXPECT_EQ(CursorForCode(code), shape) << code;
}

// A sheet of an attached model and an editor over it; points are page-logical (the page's top left corner
// at (0, 0), y upward).
class EditorTest : public model_test::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        sheet = NewSheet();
        sheet->SetSize(document.pageSize);
        editor.SetSheet(sheet);
    }
    // Press and release at one point.
    void Click(CPoint p, ViewKeys keys = {}) {
        editor.LButtonDown(p, keys);
        editor.LButtonUp(p, keys);
    }
    ViewOutcome Drag(CPoint from, CPoint to, ViewKeys keys = {}) {
        editor.LButtonDown(from, keys);
        editor.MouseMove(CPoint((from.x + to.x) / 2, (from.y + to.y) / 2), true, keys);
        editor.MouseMove(to, true, keys);
        return editor.LButtonUp(to, keys);
    }
    std::vector<CReportElement*> Selected() const {
        return {sheet->GetSelection().begin(), sheet->GetSelection().end()};
    }

    FakeDocument document;
    CViewEditor editor{document};
    CReportSheet* sheet = nullptr;
};

TEST_F(EditorTest, ClicksCycleThroughStackedElements) {
    CReportElement* a = NewRect(sheet, {100, -400}, {300, 200});
    CReportElement* b = NewRect(sheet, {150, -350}, {300, 200});
    CReportElement* c = NewRect(sheet, {200, -300}, {300, 200});
    const CPoint p(250, -250);  // inside all three
    const std::vector<CReportElement*> expected[] = {{c}, {b}, {a}, {c}};
    for (const auto& selection : expected) {
        Click(p);
        EXPECT_EQ(Selected(), selection);
    }
    Click(CPoint(2000, -1500));  // nothing there
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(document.changed, 0);  // clicks change nothing worth saving
}

TEST_F(EditorTest, CtrlTogglesAndAltTakesEveryHit) {
    CReportElement* a = NewRect(sheet, {100, -400}, {300, 200});
    CReportElement* b = NewRect(sheet, {1000, -400}, {300, 200});
    CReportElement* under = NewRect(sheet, {1050, -350}, {100, 100});
    Click(CPoint(200, -300));
    Click(CPoint(1200, -300), {.ctrl = true});
    EXPECT_EQ(Selected(), (std::vector<CReportElement*>{a, b}));
    Click(CPoint(200, -300), {.ctrl = true});
    EXPECT_EQ(Selected(), (std::vector<CReportElement*>{b}));
    Click(CPoint(1100, -300), {.alt = true});  // b and the one on it
    EXPECT_EQ(Selected(), (std::vector<CReportElement*>{under, b}));
    EXPECT_EQ(document.changed, 0);
}

TEST_F(EditorTest, RubberBandSelectsWhatLiesInside) {
    CReportElement* a = NewRect(sheet, {100, -400}, {200, 200});
    CReportElement* b = NewRect(sheet, {500, -400}, {200, 200});
    NewRect(sheet, {900, -400}, {200, 200});  // only partly inside
    Drag(CPoint(50, -100), CPoint(1000, -500));
    EXPECT_EQ(Selected(), (std::vector<CReportElement*>{a, b}));
    EXPECT_TRUE(editor.Frames().GetSize() == 0);
    Drag(CPoint(50, -1000), CPoint(1000, -1500));  // over nothing
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(document.changed, 0);
}

TEST_F(EditorTest, GroupMoveLeavesFixedElementsAndWritesTheMoved) {
    CReportElement* a = NewRect(sheet, {500, -800}, {200, 200});
    CReportElement* fixed = NewRect(sheet, {900, -800}, {200, 200});
    fixed->SetFixed(1);
    Drag(CPoint(400, -500), CPoint(1200, -1100));
    ASSERT_EQ(Selected().size(), 2u);
    Drag(CPoint(600, -700), CPoint(700, -1000));  // grab a, move right and down
    EXPECT_EQ(a->GetOrigin(), CPoint(600, -1100));
    EXPECT_EQ(a->GetSize(), CSize(200, 200));
    EXPECT_EQ(fixed->GetOrigin(), CPoint(900, -800));
    EXPECT_EQ(document.changed, 1);
    // Written on release: the stored element reads back where it now is.
    ASSERT_NE(a->GetInstance(), nullptr);
    a->SetOrigin(CPoint(0, 0));
    a->Update(false);
    EXPECT_EQ(a->GetOrigin(), CPoint(600, -1100));
}

TEST_F(EditorTest, MovesStayOnThePage) {
    CReportElement* a = NewRect(sheet, {100, -400}, {200, 200});
    CReportElement* b = NewRect(sheet, {500, -300}, {200, 100});
    Drag(CPoint(50, -100), CPoint(1000, -500));
    ASSERT_EQ(Selected().size(), 2u);
    Drag(CPoint(200, -300), CPoint(-500, 400));  // far beyond the top left corner
    EXPECT_EQ(a->GetOrigin().x, 0);
    EXPECT_EQ(b->GetOrigin(), CPoint(400, -100));  // the group's upper edge on the page's
    Drag(CPoint(100, -100), CPoint(5000, -5000));  // beyond the bottom right corner
    EXPECT_EQ(b->GetOrigin().x + 200, 2970);
    EXPECT_EQ(a->GetOrigin().y, -2100);
}

TEST_F(EditorTest, MovesSnapToANeighboursEdge) {
    const int stick = 10 * zor::DefaultStickSize();
    ASSERT_GT(stick, 20);
    NewRect(sheet, {100, -400}, {200, 200});
    CReportElement* b = NewRect(sheet, {1000, -400}, {200, 200});
    Click(CPoint(1100, -300));
    ASSERT_EQ(Selected(), std::vector<CReportElement*>{b});
    // Left edge to 320, within the snapping distance of the other's right edge at 300.
    Drag(CPoint(1100, -300), CPoint(420, -300));
    EXPECT_EQ(b->GetOrigin(), CPoint(300, -400));
    // Far from anything it goes where it is put.
    Drag(CPoint(400, -300), CPoint(1500, -300));
    EXPECT_EQ(b->GetOrigin(), CPoint(1400, -400));
}

TEST_F(EditorTest, HandlesResizeOneElement) {
    CReportElement* a = NewRect(sheet, {100, -400}, {200, 200});
    Click(CPoint(200, -300));
    // The middle of the right edge is the right handle.
    editor.MouseMove(CPoint(300, -300), false, {});
    EXPECT_EQ(editor.CursorCode(), kDragRight);
    Drag(CPoint(300, -300), CPoint(450, -250));
    EXPECT_EQ(a->GetOrigin(), CPoint(100, -400));
    EXPECT_EQ(a->GetSize(), CSize(350, 200));
    EXPECT_EQ(document.changed, 1);
}

TEST_F(EditorTest, ToolsMakeElementsAtEveryZoom) {
    for (double zoom : {1.0, 0.5, 2.0}) {
        SCOPED_TRACE(zoom);
        editor.SetBothZooms(zoom);
        const int before = sheet->GetElementCount();
        auto at = [zoom](int x, int y) { return CPoint(static_cast<int>(x * zoom), static_cast<int>(y * zoom)); };

        document.tool = kToolText;
        Drag(at(100, -100), at(600, -400));
        ASSERT_EQ(sheet->GetElementCount(), before + 1);
        CReportElement* text = sheet->GetElement(before);
        EXPECT_EQ(text->GetKind(), kElemRect);
        EXPECT_EQ(text->GetOrigin(), CPoint(100, -400));
        EXPECT_EQ(text->GetSize(), CSize(500, 300));
        EXPECT_NE(text->GetInstance(), nullptr);
        EXPECT_EQ(document.tool, kToolSelect);

        document.tool = kToolLine;
        Drag(at(1000, -1000), at(800, -700));
        ASSERT_EQ(sheet->GetElementCount(), before + 2);
        CReportElement* line = sheet->GetElement(before + 1);
        EXPECT_EQ(line->GetKind(), kElemLine);
        EXPECT_EQ(line->GetOrigin(), CPoint(1000, -1000));  // a line keeps its direction
        EXPECT_EQ(line->GetSize(), CSize(-200, 300));
    }
    EXPECT_EQ(document.changed, 6);
}

TEST_F(EditorTest, ToolsOutsideThePageOrWithoutATableMakeNothing) {
    document.tool = kToolText;
    const ViewOutcome outside = editor.LButtonDown(CPoint(-100, 100), {});
    EXPECT_FALSE(outside.capture);
    editor.LButtonUp(CPoint(500, -500), {});
    EXPECT_EQ(sheet->GetElementCount(), 0);

    document.tool = kToolContinuation;  // no table to continue
    Drag(CPoint(100, -100), CPoint(600, -400));
    EXPECT_EQ(sheet->GetElementCount(), 0);
    EXPECT_EQ(document.tool, kToolSelect);

    document.tool = kToolText;  // pressed and released at one point: a click, no element
    Click(CPoint(100, -100));
    EXPECT_EQ(sheet->GetElementCount(), 0);
    EXPECT_EQ(document.changed, 0);
}

TEST_F(EditorTest, ZoomRectangleTool) {
    editor.SetBothZooms(2.0);
    document.tool = kToolZoomRect;
    const ViewOutcome out = Drag(CPoint(200, -200), CPoint(600, -1000));
    ASSERT_TRUE(out.zoomTo);
    EXPECT_EQ(*out.zoomTo, CRect(100, -500, 300, -100));  // in the page's own units
    EXPECT_EQ(sheet->GetElementCount(), 0);
    EXPECT_EQ(document.changed, 0);
}

// Viewing a file that cannot be changed: the band still selects and the zoom rectangle still zooms, but
// nothing moves, nothing is deleted and no parameter lands.
TEST_F(EditorTest, ReadOnlyDocumentsAreOnlyLookedAt) {
    CReportElement* a = NewRect(sheet, {100, -400}, {200, 200});
    CReportParam* param = NewParam("Дата", 1);
    document.readOnly = true;
    Drag(CPoint(50, -100), CPoint(1000, -500));
    EXPECT_EQ(Selected(), std::vector<CReportElement*>{a});
    Drag(CPoint(200, -300), CPoint(700, -700));
    EXPECT_EQ(a->GetOrigin(), CPoint(100, -400));
    messages.QueueAnswer(IDYES);
    EXPECT_FALSE(editor.DeleteSelection());
    EXPECT_FALSE(editor.DropParam(CPoint(200, -300), param));
    document.tool = kToolText;
    Drag(CPoint(1000, -1000), CPoint(1500, -1500));
    EXPECT_EQ(sheet->GetElementCount(), 1);

    document.mode = 1;
    document.editRight = false;
    document.tool = kToolZoomRect;
    const ViewOutcome out = Drag(CPoint(200, -200), CPoint(600, -1000));
    ASSERT_TRUE(out.zoomTo);
    EXPECT_EQ(*out.zoomTo, CRect(200, -1000, 600, -200));
    EXPECT_EQ(document.changed, 0);
    EXPECT_TRUE(document.position.empty());
}

TEST_F(EditorTest, PositionTextAndCursor) {
    CReportElement* a = NewRect(sheet, {100, -400}, {200, 200});
    editor.MouseMove(CPoint(300, -500), false, {});
    EXPECT_EQ(document.position, "X = 30.0 Y = 50.0");
    EXPECT_EQ(editor.CursorCode(), 0);
    editor.MouseMove(CPoint(200, -300), false, {});
    EXPECT_EQ(editor.CursorCode(), kDragMove);
    Click(CPoint(200, -300));
    editor.MouseMove(CPoint(900, -900), false, {});
    EXPECT_EQ(document.position, "X=10.0 Y=20.0 CX=20.0 CY=20.0");
    document.tool = kToolLine;
    editor.MouseMove(CPoint(900, -900), false, {});
    EXPECT_EQ(editor.CursorCode(), -1);

    document.tool = kToolSelect;
    document.readOnly = true;  // no editing feedback at all
    document.position.clear();
    Drag(CPoint(200, -300), CPoint(600, -600));
    EXPECT_TRUE(document.position.empty());
    EXPECT_EQ(a->GetOrigin(), CPoint(100, -400));
}

TEST_F(EditorTest, DeleteSelectionAsksFirst) {
    NewRect(sheet, {100, -400}, {200, 200});
    NewRect(sheet, {500, -400}, {200, 200});
    NewRect(sheet, {900, -400}, {200, 200});
    EXPECT_FALSE(editor.DeleteSelection());  // nothing selected: no question
    EXPECT_TRUE(messages.Texts().empty());

    Click(CPoint(200, -300));
    EXPECT_FALSE(editor.DeleteSelection());  // the default answer is No
    EXPECT_EQ(messages.Texts().back(), "Вы действительно желаете удалить выделенный элемент?");
    EXPECT_EQ(sheet->GetElementCount(), 3);

    Drag(CPoint(50, -100), CPoint(750, -700));
    messages.QueueAnswer(IDYES);
    EXPECT_TRUE(editor.DeleteSelection());
    EXPECT_EQ(messages.Texts().back(), "Вы действительно желаете удалить выделенные элементы?");
    EXPECT_EQ(sheet->GetElementCount(), 1);
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(document.changed, 1);

    document.mode = 1;
    Click(CPoint(1000, -300));
    messages.QueueAnswer(IDYES);
    EXPECT_FALSE(editor.DeleteSelection());  // a report being viewed keeps its elements
    EXPECT_EQ(sheet->GetElementCount(), 1);
}

TEST_F(EditorTest, ParameterDropsOnATextRectangle) {
    CReportParam* param = NewParam("Дата", 1, "01.01.2026");
    CReportElement* line = NewLine(sheet, {50, -250}, {1000, 0});
    CReportElement* lower = NewRect(sheet, {100, -400}, {300, 200}, "нижний");
    CReportElement* upper = NewRect(sheet, {150, -350}, {300, 200}, "верхний");
    EXPECT_FALSE(editor.DropParam(CPoint(2000, -1500), param));  // nothing there
    EXPECT_FALSE(editor.DropParam(CPoint(900, -250), param));    // only a line there
    EXPECT_EQ(document.changed, 0);

    sheet->Select(lower, 1);
    EXPECT_TRUE(editor.DropParam(CPoint(250, -250), param));  // the selected one, not the top one
    EXPECT_EQ(lower->GetTextValue().GetParam(), param);
    EXPECT_EQ(upper->GetTextValue().GetParam(), nullptr);
    sheet->UnselectAll();
    EXPECT_TRUE(editor.DropParam(CPoint(250, -250), param));
    EXPECT_EQ(upper->GetTextValue().GetParam(), param);
    EXPECT_EQ(line->GetTextValue().GetParam(), nullptr);
    EXPECT_FALSE(editor.DropParam(CPoint(250, -250), nullptr));
}

TEST_F(EditorTest, ViewModeSelectsOnPressAndFollowsPageReferences) {
    CReportSheet* other = NewSheet();
    CReportElement* a = NewRect(sheet, {100, -400}, {300, 200});
    CReportElement* b = NewRect(sheet, {150, -350}, {300, 200});
    auto* reference = dynamic_cast<CPageReferenceElement*>(sheet->CreateReportElem({1000, -400}, {300, 200}, kElemPageReference));
    ASSERT_NE(reference, nullptr);
    sheet->Add(reference);
    reference->SetTarget(other);
    document.mode = 1;
    for (int i = 0; i < 2; ++i) {
        Click(CPoint(250, -250));
        EXPECT_EQ(Selected(), std::vector<CReportElement*>{b});  // the press chose; the release keeps it
    }
    Click(CPoint(250, -250), {.alt = true});
    EXPECT_EQ(Selected(), (std::vector<CReportElement*>{b, a}));
    EXPECT_TRUE(document.shownSheets.empty());
    Click(CPoint(1100, -300));
    EXPECT_EQ(document.shownSheets, std::vector<CReportSheet*>{other});
    EXPECT_EQ(document.changed, 0);
}

TEST_F(EditorTest, ZoomRule) {
    editor.SetZoom(2.0);
    EXPECT_DOUBLE_EQ(editor.Zoom(), 2.0);
    EXPECT_DOUBLE_EQ(document.commonScale, 1.0);
    document.useCommonScale = true;
    EXPECT_DOUBLE_EQ(editor.Zoom(), 1.0);
    editor.SetZoom(3.0);
    EXPECT_DOUBLE_EQ(document.commonScale, 3.0);
    EXPECT_DOUBLE_EQ(editor.OwnZoom(), 2.0);
    document.commonScale = 0;  // never drawn at no zoom
    EXPECT_DOUBLE_EQ(editor.Zoom(), 1.0);
    editor.SetBothZooms(0.5);
    EXPECT_DOUBLE_EQ(editor.OwnZoom(), 0.5);
    EXPECT_DOUBLE_EQ(document.commonScale, 0.5);
}

}  // namespace
}  // namespace view_test
