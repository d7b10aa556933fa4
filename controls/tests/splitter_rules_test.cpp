#include "controls/bars/splitter_rules.h"

#include <gtest/gtest.h>

namespace {

using namespace zor;

TEST(SplitterRules, PlacesTheBarOnTheFirstPanesFarEdgeAndTakesThePaneLimits) {
    const CRect upper(0, 0, 300, 100), lower(0, 100, 300, 250);
    const SplitterRules h{true}, v{false};
    EXPECT_EQ(h.PlaceOnPane(upper), CRect(0, 98, 300, 102));
    EXPECT_EQ(v.PlaceOnPane(CRect(10, 5, 110, 205)), CRect(108, 5, 112, 205));
    EXPECT_EQ(h.PaneLimits(upper, lower).lower, 0);
    EXPECT_EQ(h.PaneLimits(upper, lower).upper, 250);
    EXPECT_EQ(v.PaneLimits(CRect(10, 5, 110, 205), CRect(110, 5, 400, 205)).lower, 10);
    EXPECT_EQ(v.PaneLimits(CRect(10, 5, 110, 205), CRect(110, 5, 400, 205)).upper, 400);
    EXPECT_EQ(h.ClientLimits(CRect(0, 0, 640, 480)).upper, 480);
    EXPECT_EQ(v.ClientLimits(CRect(0, 0, 640, 480)).upper, 640);
}

TEST(SplitterRules, ADropLandsOnTheClampedPositionKeepingTheThickness) {
    struct Case {
        bool horizontal;
        int pos;
        CRect expected;
    } cases[] = {
        {true, 150, CRect(0, 150, 300, 154)},   // inside
        {true, -40, CRect(0, 20, 300, 24)},     // above the lower limit: on it
        {true, 900, CRect(0, 250, 300, 254)},   // below the upper limit: on it
        {true, 20, CRect(0, 20, 300, 24)},      // exactly on a limit
        {false, 5, CRect(20, 0, 24, 300)},
        {false, 251, CRect(250, 0, 254, 300)},
        {false, 77, CRect(77, 0, 81, 300)},
    };
    const SplitterLimits limits{20, 250};
    for (const Case& c : cases) {
        const SplitterRules rules{c.horizontal};
        const CRect bar = c.horizontal ? CRect(0, 98, 300, 102) : CRect(98, 0, 102, 300);
        EXPECT_EQ(rules.Drop(bar, c.pos, limits), c.expected) << c.horizontal << " " << c.pos;
    }
}

TEST(SplitterRules, PanesFitTheBarWithTheBorderOverlapAndOtherEdgesKept) {
    CRect upper(0, 0, 300, 100), lower(0, 100, 300, 250);
    SplitterRules{true}.FitPanes(CRect(0, 150, 300, 154), upper, lower);
    EXPECT_EQ(upper, CRect(0, 0, 300, 151));
    EXPECT_EQ(lower, CRect(0, 153, 300, 250));
    CRect left(0, 0, 100, 200), right(100, 0, 300, 200);
    SplitterRules{false}.FitPanes(CRect(40, 0, 44, 200), left, right);
    EXPECT_EQ(left, CRect(0, 0, 41, 200));
    EXPECT_EQ(right, CRect(43, 0, 300, 200));

    // On the second pane's far edge (the upper limit) the pane is empty there, its far edge kept.
    SplitterRules{false}.FitPanes(CRect(300, 0, 304, 200), left, right);
    EXPECT_EQ(right, CRect(300, 0, 300, 200));
    SplitterRules{true}.FitPanes(CRect(0, 250, 300, 254), upper, lower);
    EXPECT_EQ(lower, CRect(0, 250, 300, 250));
    // On the first pane's near edge (the lower limit) the first pane keeps its near edge.
    SplitterRules{true}.FitPanes(CRect(0, -3, 300, 1), upper, lower);
    EXPECT_EQ(upper, CRect(0, 0, 300, 0));
}

TEST(SplitterRules, DragRectangleAndTheStripBetweenTwoRectangles) {
    const CRect start(0, 98, 300, 102);
    EXPECT_EQ(SplitterRules{true}.DragRect(start, CPoint(17, 140)), CRect(0, 140, 300, 244));
    EXPECT_EQ(SplitterRules{false}.DragRect(CRect(98, 0, 102, 300), CPoint(60, 9)), CRect(60, 0, 64, 300));
    EXPECT_EQ(StripBetween(CRect(0, 10, 100, 90), CRect(120, 0, 300, 200)), CRect(100, 10, 120, 90));
}

}  // namespace
