#include "controls/dialogs/sizing_bar_rules.h"

#include <gtest/gtest.h>

namespace {

using namespace zor;

TEST(SizingBarRules, SizesPerPlaceAndTheirMinimums) {
    SizingBarSizes s;
    s.horz = CSize(10, 500);
    s.vert = CSize(40, 5);
    s.floating = CSize(-3, 31);
    s.Clamp();
    EXPECT_EQ(s.horz, CSize(33, 500));
    EXPECT_EQ(s.vert, CSize(40, 32));
    EXPECT_EQ(s.floating, CSize(33, 32));
    EXPECT_EQ(&s.For(AFX_IDW_DOCKBAR_TOP), &s.horz);
    EXPECT_EQ(&s.For(AFX_IDW_DOCKBAR_BOTTOM), &s.horz);
    EXPECT_EQ(&s.For(AFX_IDW_DOCKBAR_LEFT), &s.vert);
    EXPECT_EQ(&s.For(AFX_IDW_DOCKBAR_RIGHT), &s.vert);
    EXPECT_EQ(&s.For(0), &s.floating);
    EXPECT_EQ(&s.For(59423), &s.floating);
}

TEST(SizingBarRules, SectionNameAndVerticalCaption) {
    EXPECT_EQ(SizingBarSection("Квиллмарк", 1234), "Квиллмарк-SCBar-1234");
    EXPECT_EQ(VerticalCaption("Навигатор"), "Н\nа\nв\nи\nг\nа\nт\nо\nр");
    EXPECT_EQ(VerticalCaption("A"), "A");
    EXPECT_EQ(VerticalCaption(""), "");
}

}  // namespace
