#include "controls/dialogs/title_tip_rules.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace zor;

TEST(TitleTipRules, TheTipCoversTheCellAndGrowsToTheText) {
    struct Case { CRect cell; CSize text; int ox, oy; std::optional<CRect> tip; };
    const Case cases[] = {
        {{100, 50, 160, 66}, {40, 13}, 4, 1, std::nullopt},                 // 100 + 4 + 40 + 3 = 147 fits
        {{100, 50, 147, 66}, {40, 13}, 4, 1, std::nullopt},                 // exactly fits
        {{100, 50, 146, 66}, {40, 13}, 4, 1, CRect(100, 50, 147, 66)},      // one pixel short
        {{100, 50, 120, 60}, {40, 13}, 5, 2, CRect(100, 50, 148, 66)},      // taller than the cell
        {{0, 0, 5, 4}, {30, 10}, 4, 1, CRect(0, 0, 37, 12)},                // the header's tiny rectangle
    };
    for (const auto& c : cases) EXPECT_EQ(TitleTipRect(c.cell, c.text, c.ox, c.oy), c.tip);
    EXPECT_FALSE(LeavesCell(CPoint(10, 5), CSize(60, 16)));
    EXPECT_TRUE(LeavesCell(CPoint(60, 5), CSize(60, 16)));
    EXPECT_TRUE(LeavesCell(CPoint(10, 16), CSize(60, 16)));
}

TEST(TitleTipRules, TwoPressesAtOneSpotWithinASecondMakeADoubleClick) {
    int64_t now = 0;
    CClickRelay relay([&] { return now; });
    struct Press { int64_t at; CPoint where; bool isDouble; };
    const Press presses[] = {
        {0, {5, 5}, false},      // the very first press at tick 0 is no double click
        {999, {5, 5}, true},
        {1200, {5, 5}, false},   // the double click was forgotten
        {2200, {5, 5}, false},   // exactly 1000 ms: too late
        {2300, {6, 5}, false},   // another spot
        {2400, {6, 5}, true},
    };
    for (const auto& p : presses) {
        now = p.at;
        EXPECT_EQ(relay.PressIsDoubleClick(p.where), p.isDouble) << p.at;
    }
}

TEST(TitleTipRules, HeaderTipItemKeepsClearOfEdges) {
    const std::vector<CRect> items = {{0, 0, 100, 20}, {100, 0, 180, 20}};
    struct Case { CPoint p; int item; };
    const Case cases[] = {{{50, 10}, 0}, {{50, 2}, -1}, {{50, 18}, -1}, {{4, 10}, -1}, {{5, 10}, 0},
                          {{96, 10}, -1}, {{103, 10}, -1}, {{105, 10}, 1}, {{300, 10}, -1}};
    for (const auto& c : cases) EXPECT_EQ(HeaderTipItem(c.p, items), c.item) << c.p.x << "," << c.p.y;
}

}  // namespace
