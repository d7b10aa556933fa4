// The tracking frame's states and geometry, and the union of several frames.
#include "report/model/bound_rect.h"
#include "report/tests/model/model_fixture.h"

namespace model_test {
namespace {

class BoundRectTest : public ModelTest {};

TEST_F(BoundRectTest, ModeZeroStaysIdle) {
    CReportSheet* sheet = NewSheet();
    CBoundRect frame(sheet, &Manager());
    frame.StartObjOper(nullptr, 0, CPoint(10, -10), 1.0);
    EXPECT_FALSE(frame.IsActive());
    CPoint p(20, -20);
    CDC dc;
    EXPECT_EQ(frame.EndBound(p, &dc, 1.0), nullptr);
    EXPECT_EQ(frame.Draw(&dc, 1.0), 0);
}

TEST_F(BoundRectTest, NewRectangleDraggedLeftEndsNormalisedAndANewLineKeepsItsDirection) {
    CReportSheet* sheet = NewSheet();
    CDC dc;
    CBoundRect frame(sheet, &Manager());
    frame.StartObjOper(nullptr, kDragNewRect, CPoint(500, -500), 1.0);
    EXPECT_TRUE(frame.IsActive());
    EXPECT_FALSE(frame.IsDrawn());
    EXPECT_EQ(frame.GetKind(), kElemRect);
    EXPECT_EQ(frame.TraceBoundRect(CPoint(300, -400), &dc, 1.0), 1);
    EXPECT_TRUE(frame.IsDrawn());
    EXPECT_EQ(frame.TraceBoundRect(CPoint(300, -400), nullptr, 1.0), 0);
    CPoint end(300, -400);
    EXPECT_EQ(frame.EndBound(end, &dc, 1.0), nullptr);
    EXPECT_FALSE(frame.IsActive());
    EXPECT_EQ(frame.GetOrigin(), CPoint(300, -500));
    EXPECT_EQ(frame.GetSize(), CSize(200, 100));

    CBoundRect line(sheet, &Manager());
    line.StartObjOper(nullptr, kDragNewLine, CPoint(500, -500), 1.0);
    EXPECT_EQ(line.GetKind(), kElemLine);
    line.TraceBoundRect(CPoint(300, -400), &dc, 1.0);
    CPoint lineEnd(300, -400);
    line.EndBound(lineEnd, &dc, 1.0);
    EXPECT_EQ(line.GetOrigin(), CPoint(500, -500));
    EXPECT_EQ(line.GetSize(), CSize(-200, 100));
}

TEST_F(BoundRectTest, TrackingAnElementMovesItOnlyAtTheEnd) {
    CReportSheet* sheet = NewSheet();
    sheet->SetOrgPt(CPoint(100, 0));  // the page sits 100 units to the right in the view
    CReportElement* e = NewRect(sheet, {0, -100}, {100, 100});
    CDC dc;
    CBoundRect frame(sheet, &Manager());
    frame.StartObjOper(e, kDragMove, CPoint(150, -50), 2.0);
    EXPECT_EQ(frame.GetTarget(), e);
    EXPECT_EQ(frame.GetMode(), kDragMove);
    frame.TraceBoundRect(CPoint(170, -50), &dc, 2.0);
    frame.TraceBoundRect(CPoint(170, -50), &dc, 2.0);  // the same point twice: no further move
    EXPECT_EQ(frame.GetOrigin(), CPoint(10, -100));
    EXPECT_EQ(e->GetOrigin(), CPoint(0, -100));  // not yet
    CPoint p(170, -50);
    EXPECT_EQ(frame.EndBound(p, &dc, 2.0), e);
    EXPECT_EQ(p, CPoint(70, -50));  // converted in place to sheet coordinates
    EXPECT_EQ(e->GetOrigin(), CPoint(10, -100));
    EXPECT_EQ(e->GetSize(), CSize(100, 100));
    EXPECT_EQ(frame.GetTarget(), nullptr);
}

TEST_F(BoundRectTest, OverlayRectangleCoversTheDrawnFrame) {
    CReportSheet* sheet = NewSheet();
    CDC dc;
    CBoundRect frame(sheet, &Manager());
    frame.StartObjOper(nullptr, kDragNewFrame, CPoint(100, -100), 1.0);
    EXPECT_TRUE(frame.GetOverlayRect(1.0).IsRectNull());  // not drawn yet
    frame.TraceBoundRect(CPoint(200, -300), &dc, 1.0);
    EXPECT_EQ(frame.GetOverlayRect(1.0), CRect(96, -304, 204, -96));
    EXPECT_EQ(frame.ResetBound(), 1);
    EXPECT_TRUE(frame.GetOverlayRect(1.0).IsRectNull());
}

TEST_F(BoundRectTest, UnionOfFramesStartsFromTheFirst) {
    CReportSheet* sheet = NewSheet();
    CBoundArray frames;
    EXPECT_TRUE(frames.GetRect(1.0).IsRectNull());
    auto add = [&](CPoint origin, CSize size) {
        auto* f = new CBoundRect(sheet, &Manager());
        f->SetOrigin(origin);
        f->SetSize(size);
        frames.Add(f);
    };
    // Far beyond the old fixed starting values 100000 and -10000.
    add({200000, -200000}, {100, 100});
    add({200300, -199950}, {-50, -20});
    EXPECT_EQ(frames.GetTopLeft(1.0), CPoint(200000, -200000));
    EXPECT_EQ(frames.GetBottomRight(1.0), CPoint(200300, -199900));
    EXPECT_EQ(frames.GetRect(1.0), CRect(200000, -200000, 200300, -199900));
    EXPECT_EQ(frames.GetRect(0.5), CRect(100000, -100000, 100150, -99950));
    EXPECT_EQ(frames.GetSize(), 2);
    frames.RemoveAt(0);
    frames.RemoveAt(5);
    EXPECT_EQ(frames.GetSize(), 1);
    EXPECT_EQ(frames.GetRect(1.0), CRect(200250, -199970, 200300, -199950));
    EXPECT_EQ(frames.Add(nullptr), -1);
}

}  // namespace
}  // namespace model_test
