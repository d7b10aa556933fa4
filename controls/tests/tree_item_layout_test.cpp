#include "controls/tree/tree_item_layout.h"

#include <gtest/gtest.h>

namespace {

using namespace zor;

TEST(TreeItemLayout, ExtraImagesHighlightAndTextPlaces) {
    struct Case {
        const char* name;
        int textLeft, stateWidth;
        std::array<int, kTreeImageSlots> images;
        bool overIcons;
        int x0, d, right, textX, highlightLeft;
        std::array<int, kTreeImageSlots> imageX;
    } cases[] = {
        {"plain", 40, 0, {-1, -1, -1, -1, -1}, false, 40, 0, 97, 43, 40, {-1, -1, -1, -1, -1}},
        // Without state images the extra images take the normal image's place (16 + 3 to the left).
        {"extras", 40, 0, {3, -1, 0, -1, -1}, false, 21, 26, 110, 56, 51, {24, -1, 40, -1, -1}},
        {"extras, selection over them", 40, 0, {3, -1, 0, -1, -1}, true, 21, 26, 110, 56, 21, {24, -1, 40, -1, -1}},
        {"state images and an extra one", 60, 12, {-1, 7, -1, -1, -1}, false, 48, 8, 119, 65, 60, {-1, 51, -1, -1, -1}},
        {"state images only", 60, 12, {-1, -1, -1, -1, -1}, false, 48, 0, 105, 51, 48, {-1, -1, -1, -1, -1}},
        {"all five", 40, 0, {0, 0, 0, 0, 0}, false, 21, 50, 134, 80, 75, {24, 40, 48, 58, 62}},
    };
    for (const Case& c : cases) {
        TreeItemGeometry g;
        g.textLeft = c.textLeft;
        g.stateImageWidth = c.stateWidth;
        g.normalImageWidth = 16;
        g.slotWidths = {16, 8, 10, 4, 12};
        g.images = c.images;
        g.textWidth = 50;
        g.showSelectedOverIcons = c.overIcons;
        const TreeItemLayout l = LayOutTreeItem(g);
        EXPECT_EQ(l.x0, c.x0) << c.name;
        EXPECT_EQ(l.imagesWidth, c.d) << c.name;
        EXPECT_EQ(l.right, c.right) << c.name;
        EXPECT_EQ(l.textX, c.textX) << c.name;
        EXPECT_EQ(l.highlightLeft, c.highlightLeft) << c.name;
        EXPECT_EQ(l.imageX, c.imageX) << c.name;
    }
}

TEST(TreeItemLayout, SelectionLooks) {
    const TreeColors colors{RGB(255, 255, 255), RGB(0, 64, 255), RGB(250, 250, 250)};
    const COLORREF item = RGB(200, 0, 0);
    const TreeSelectionLook xp = SelectionLook(true, false, item, colors);
    // Each channel three quarters of the way to white.
    EXPECT_EQ(xp.fill, RGB(191, 207, 255));
    EXPECT_TRUE(xp.framed);
    EXPECT_EQ(xp.frame, colors.highlight);
    EXPECT_EQ(xp.text, item);
    const TreeSelectionLook xpElsewhereDrop = SelectionLook(true, true, item, colors);
    EXPECT_EQ(xpElsewhereDrop.fill, colors.window);
    EXPECT_TRUE(xpElsewhereDrop.framed);
    const TreeSelectionLook classic = SelectionLook(false, false, item, colors);
    EXPECT_EQ(classic.fill, colors.highlight);
    EXPECT_FALSE(classic.framed);
    EXPECT_EQ(classic.text, colors.highlightText);
}

}  // namespace
