#include "controls/dialogs/anchor_layout.h"

#include <string>

#include <gtest/gtest.h>

namespace {

using zor::CAnchorLayout;

const int kControl = 0;  // only its address is used

struct AnchorCase {
    const char* name;
    CSize topLeft, bottomRight;
    CSize client;
    CRect expected;  // the control of (10, 20, 110, 50), added in a 200 x 100 client area
};

TEST(AnchorLayout, ControlsFollowTheirAnchorsAcrossClientSizes) {
    const CRect control(10, 20, 110, 50);
    const CSize opening(200, 100);
    const AnchorCase cases[] = {
        {"top-left only keeps place and size", ANCHOR_TOP_LEFT, ANCHOR_NONE, {400, 300}, {10, 20, 110, 50}},
        {"both corners grow with the dialog", ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT, {400, 300}, {10, 20, 310, 250}},
        {"bottom-right alone moves with the corner", ANCHOR_BOTTOM_RIGHT, ANCHOR_NONE, {400, 300}, {210, 220, 310, 250}},
        {"top-right alone moves across", ANCHOR_TOP_RIGHT, ANCHOR_NONE, {250, 100}, {60, 20, 160, 50}},
        {"middle-centre moves by half", ANCHOR_MIDDLE_CENTER, ANCHOR_NONE, {300, 200}, {60, 70, 160, 100}},
        {"left half grows by half the growth", ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_CENTER, {300, 100}, {10, 20, 160, 50}},
        {"smaller client shrinks the control", ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT, {150, 80}, {10, 20, 60, 30}},
        {"the same size places it where it is", ANCHOR_BOTTOM_RIGHT, ANCHOR_BOTTOM_RIGHT, {200, 100}, {10, 20, 110, 50}},
        {"any percentage pair is an anchor", CSize(25, 75), ANCHOR_NONE, {600, 100}, {110, 20, 210, 50}},
    };
    for (const auto& c : cases) {
        CAnchorLayout layout;
        layout.Add(&kControl, control, opening, c.topLeft, c.bottomRight, false);
        EXPECT_EQ(CAnchorLayout::Place(layout.Records()[0], c.client), c.expected) << c.name;
    }
}

TEST(AnchorLayout, TheProductComesBeforeTheDivision) {
    // A 301-pixel client: the centre is 301 * 50 / 100 = 150.
    CAnchorLayout layout;
    layout.Add(&kControl, CRect(160, 5, 170, 15), CSize(301, 40), ANCHOR_TOP_CENTER, ANCHOR_TOP_CENTER, false);
    EXPECT_EQ(layout.Records()[0].topLeftOffset, CSize(10, 5));
    EXPECT_EQ(layout.Records()[0].bottomRightOffset, CSize(20, 15));
    // 303 * 50 / 100 = 151, whereas 303 / 100 * 50 would give 150.
    EXPECT_EQ(CAnchorLayout::Place(layout.Records()[0], CSize(303, 40)), CRect(161, 5, 171, 15));
    // 99 * 33 / 100 = 32 truncated, where dividing first would give 0.
    CAnchorLayout third;
    third.Add(&kControl, CRect(32, 0, 42, 10), CSize(99, 10), CSize(33, 0), ANCHOR_NONE, false);
    EXPECT_EQ(third.Records()[0].topLeftOffset, CSize(0, 0));
}

TEST(AnchorLayout, ArrangeSkipsControlsWhosePlaceIsUnchanged) {
    const int a = 0, b = 0, c = 0;
    CAnchorLayout layout;
    const CSize client(200, 100);
    layout.Add(&a, CRect(0, 0, 10, 10), client, ANCHOR_TOP_LEFT, ANCHOR_NONE, true);
    layout.Add(&b, CRect(0, 0, 10, 10), client, ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT, false);
    layout.Add(&c, CRect(190, 90, 200, 100), client, ANCHOR_BOTTOM_RIGHT, ANCHOR_NONE, false);
    auto current = [](const void*) { return CRect(0, 0, 10, 10); };
    // Same size: only the controls not already in place move.
    auto moves = layout.Arrange(client, [&](const void* k) { return k == &c ? CRect(190, 90, 200, 100) : current(k); });
    EXPECT_TRUE(moves.empty());
    moves = layout.Arrange(CSize(300, 150), [&](const void* k) { return k == &c ? CRect(190, 90, 200, 100) : current(k); });
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].control, &b);
    EXPECT_FALSE(moves[0].moves);
    EXPECT_TRUE(moves[0].resizes);
    EXPECT_EQ(moves[1].control, &c);
    EXPECT_TRUE(moves[1].moves);
    EXPECT_FALSE(moves[1].resizes);
    EXPECT_EQ(moves[1].rect, CRect(290, 140, 300, 150));
}

TEST(AnchorLayout, ModifyRecomputesTheFirstRecordOnlyForKnownControls) {
    const int known = 0, unknown = 0;
    CAnchorLayout layout;
    layout.Add(&known, CRect(10, 10, 20, 20), CSize(100, 100), ANCHOR_BOTTOM_RIGHT, ANCHOR_NONE, false);
    const auto before = layout.Records()[0];
    EXPECT_FALSE(layout.Modify(&unknown, CRect(0, 0, 5, 5), CSize(100, 100)));
    EXPECT_EQ(layout.Records().size(), 1u);
    EXPECT_EQ(layout.Records()[0].topLeftOffset, before.topLeftOffset);
    EXPECT_TRUE(layout.Modify(&known, CRect(30, 30, 50, 40), CSize(100, 100)));
    EXPECT_EQ(layout.Records()[0].topLeftOffset, CSize(-70, -70));
    EXPECT_EQ(layout.Records()[0].bottomRightOffset, CSize(-50, -60));
}

TEST(AnchorLayout, GripIsTheBottomRightSquareAndHitsOnlyWhenShown) {
    const CRect grip = zor::GripRect(CSize(300, 200), CSize(16, 16));
    EXPECT_EQ(grip, CRect(284, 184, 300, 200));
    EXPECT_TRUE(zor::HitsGrip(true, grip, CPoint(290, 190)));
    EXPECT_FALSE(zor::HitsGrip(false, grip, CPoint(290, 190)));
    EXPECT_FALSE(zor::HitsGrip(true, grip, CPoint(300, 190)));  // right edge is outside
    // A client area smaller than the grip: the part at negative coordinates is not the grip.
    const CRect tiny = zor::GripRect(CSize(8, 8), CSize(16, 16));
    EXPECT_FALSE(zor::HitsGrip(true, tiny, CPoint(-2, 3)));
    EXPECT_TRUE(zor::HitsGrip(true, tiny, CPoint(2, 3)));
}

TEST(WindowPlacementText, RoundTripsAndRefusesAnythingShortOfSixNumbers) {
    zor::WindowPlacement p;
    p.normal = CRect(-8, 20, 640, 480);
    p.showCmd = zor::SW_SHOWMAXIMIZED;
    p.flags = 2;
    EXPECT_EQ(zor::FormatPlacement(p), "-8,20,640,480,3,2");
    const auto back = zor::ParsePlacement("-8,20,640,480,3,2");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->normal, p.normal);
    EXPECT_EQ(back->showCmd, 3);
    EXPECT_EQ(back->flags, 2);

    struct Case { const char* text; bool parses; };
    const Case cases[] = {
        {"", false},
        {"1,2,3,4,5", false},
        {"1,2,3,4,5,", false},
        {"a,2,3,4,5,6", false},
        {"1,2,x3,4,5,6", false},
        {"1;2;3;4;5;6", false},
        {"1, 2, 3, 4, 5, 6", true},   // blanks before a number are read past
        {"1,2,3,4,5,6 and more", true},  // what follows the sixth number is not read
        {"99999999999,2,3,4,5,6", true},  // clamped, not undefined
    };
    for (const auto& c : cases) EXPECT_EQ(zor::ParsePlacement(c.text).has_value(), c.parses) << c.text;
}

}  // namespace
