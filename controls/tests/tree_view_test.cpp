#include "controls/tree/tree_view.h"

#include <gtest/gtest.h>

#include <QStandardItemModel>
#include <QTemporaryDir>

#include "controls/dialogs/widget_colors.h"
#include "controls/menu/zor_menu.h"
#include "controls/resources/imagelist.h"
#include "controls/tests/gui_fixture.h"
#include "controls/tests/mouse_events.h"
#include "platform/gdi/screen_colors.h"
#include "platform/settings/organisation.h"

namespace {

QColor Sys(int index) { return zor::ToQColor(GetScreenSysColor(index)); }

CImageList SolidList(int cx, int cy, QColor colour, int count) {
    CImageList list;
    list.Create(cx, cy);
    QImage picture(cx, cy, QImage::Format_ARGB32);
    picture.fill(colour);
    for (int i = 0; i < count; ++i) list.AddImage(picture);
    return list;
}

struct TreeFixture : GuiFixture {
    CzorTreeView view;
    CzorTreeItemData root, child, bare;
    CImageList icons = SolidList(16, 16, QColor(200, 0, 0), 3);
    CImageList empty = SolidList(16, 16, Qt::red, 0);

    void SetUp() override {
        CzorTreeView::m_xp_mode = true;
        CzorTreeView::m_ShowSelectedOverIcons = false;
        view.resize(300, 200);
        root.m_tree = &view;
        child.m_tree = &view;
        ASSERT_TRUE(root.InsetItem("Корень", 0, nullptr));
        ASSERT_TRUE(child.InsetItem("Лист", 0, root.m_item));
        view.expandAll();
    }
    ~TreeFixture() override { CzorTreeView::m_xp_mode = true; }
};

TEST_F(TreeFixture, ImageListAndItemImageSlotChecks) {
    struct ListCase {
        const CImageList* list;
        int slot;
        bool ok;
    } lists[] = {{nullptr, 0, false}, {&empty, 0, false}, {&icons, -1, false}, {&icons, 5, false},
                 {&icons, 0, true},   {&icons, 4, true}};
    for (const ListCase& c : lists) EXPECT_EQ(view.SetImageList(c.list, c.slot), c.ok) << c.slot;

    // An item inserted by the view alone carries no data.
    QStandardItem* plain = view.InsertItem("Без данных", 0, nullptr);
    CzorTreeItemData noTree = child;
    noTree.m_tree = nullptr;
    struct ItemCase {
        QStandardItem* item;
        int image, slot;
        bool ok;
    } items[] = {{nullptr, 0, 0, false}, {plain, 0, 0, false},       {child.m_item, -1, 0, false},
                 {child.m_item, 0, 5, false}, {child.m_item, 2, 4, true}, {child.m_item, 1, -1, true}};
    for (const ItemCase& c : items) EXPECT_EQ(view.SetItemImage(c.item, c.image, c.slot, true), c.ok) << c.image << " " << c.slot;
    EXPECT_EQ(child.m_images[4], 2);
    EXPECT_FALSE(noTree.SetItemImage(0, 0, false));
    EXPECT_TRUE(child.SetItemImage(0, 1, false));
    EXPECT_EQ(child.m_images[1], 0);
}

TEST_F(TreeFixture, ItemDataDefaultsCopiesAndTheSelectedItem) {
    EXPECT_EQ(bare.m_item, nullptr);
    EXPECT_EQ(bare.m_tree, nullptr);
    EXPECT_EQ(bare.m_data, 0);
    EXPECT_EQ(bare.m_fontStyle, 0);
    EXPECT_EQ(bare.m_textColor, 0u);
    EXPECT_EQ(bare.m_images, (std::array<int, 5>{-1, -1, -1, -1, -1}));
    EXPECT_FALSE(bare.InsetItem("нет дерева", 0, nullptr));
    child.m_fontStyle = 5;
    child.m_images[3] = 1;
    const CzorTreeItemData copy = child;
    EXPECT_EQ(copy.m_item, child.m_item);
    EXPECT_EQ(copy.m_fontStyle, 5);
    EXPECT_EQ(copy.m_images[3], 1);

    EXPECT_EQ(view.GetSelectedItemData(), nullptr);
    const QRect rowRect = view.visualRect(child.m_item->index());
    SendMouse(view.viewport(), QEvent::MouseButtonPress, rowRect.center(), Qt::LeftButton);
    EXPECT_EQ(view.GetSelectedItemData(), &child);
    EXPECT_EQ(view.DropTarget(), child.m_item->index());

    EXPECT_TRUE(view.StyleFont(5).italic());
    EXPECT_TRUE(view.StyleFont(5).strikeOut());
    EXPECT_FALSE(view.StyleFont(5).bold());
    EXPECT_TRUE(view.StyleFont(2).bold());
}

TEST_F(TreeFixture, XpModeIsKeptWithoutAValueAndReadBackOtherwise) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    CzorTreeView::LoadXpMode();
    EXPECT_TRUE(CzorTreeView::m_xp_mode);
    CzorTreeView::m_xp_mode = false;
    CzorTreeView::SaveXpMode();
    CzorTreeView::m_xp_mode = true;
    CzorTreeView::LoadXpMode();
    EXPECT_FALSE(CzorTreeView::m_xp_mode);
    int stored = -1;
    EXPECT_TRUE(zor::GetOrganisationInt("XP_Tree", stored));
    EXPECT_EQ(stored, 0);
    if (old.isNull()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", old);
}

TEST_F(TreeFixture, ASelectedItemInBothLooksAndNothingWhileRedrawIsOff) {
    ASSERT_TRUE(view.SetImageList(&icons, 0));
    ASSERT_TRUE(child.SetItemImage(1, 0, true));
    view.setCurrentIndex(child.m_item->index());
    view.show();
    const QRect row = view.visualRect(child.m_item->index());
    // No state or normal images: the extra images start 3 pixels left of the row (the place of the
    // normal image's gap), the image area d = 16 wide.
    const int x0 = row.left() - 3, y = row.center().y();
    const int highlightLeft = x0 + 16 + 4, textX = x0 + 16 + 9;
    const QColor light = zor::ToQColor(CzorMenu::LightenColor(GetScreenSysColor(COLOR_HIGHLIGHT), 0.75));

    QImage img = view.viewport()->grab().toImage();
    EXPECT_EQ(img.pixelColor(x0 + 1, row.top()), Sys(COLOR_WINDOW));  // the image area, outside the image
    EXPECT_EQ(img.pixelColor(x0 + 3 + 8, y), QColor(200, 0, 0));      // the extra image at x0 + 3
    EXPECT_EQ(img.pixelColor(highlightLeft, y), Sys(COLOR_HIGHLIGHT));  // the frame
    EXPECT_EQ(img.pixelColor(highlightLeft + 1, row.top()), Sys(COLOR_HIGHLIGHT));
    EXPECT_EQ(img.pixelColor(highlightLeft + 2, y), light);
    const CRect label = child.m_labelRect;
    EXPECT_EQ(label.left, textX);
    EXPECT_EQ(label.top, row.top());
    EXPECT_EQ(img.pixelColor(label.right + 2, y), light);  // right of the text, still the highlight

    CzorTreeView::m_xp_mode = false;
    view.viewport()->repaint();
    img = view.viewport()->grab().toImage();
    EXPECT_EQ(img.pixelColor(highlightLeft + 1, y), Sys(COLOR_WINDOW));  // up to 2 pixels before the text
    EXPECT_EQ(img.pixelColor(textX - 2, y), Sys(COLOR_HIGHLIGHT));
    EXPECT_EQ(img.pixelColor(label.right + 2, y), Sys(COLOR_HIGHLIGHT));

    // With redraw off nothing of the items is painted: the viewport shows only its background.
    view.SetRedraw(false);
    img = view.viewport()->grab().toImage();
    const QColor background = img.pixelColor(0, 0);
    for (int x = 0; x < img.width(); ++x) ASSERT_EQ(img.pixelColor(x, y), background) << x;
    view.SetRedraw(true);
    EXPECT_NE(view.viewport()->grab().toImage().pixelColor(textX - 2, y), background);
}

// Whether some pixel of the row right of `left` has exactly the colour.
bool RowHas(const QImage& img, const QRect& row, int left, QColor colour) {
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = std::max(0, left); x < img.width(); ++x)
            if (img.pixelColor(x, y) == colour) return true;
    return false;
}

TEST_F(TreeFixture, AnItemWithoutDataIsBlackAndAnItemWithDataTakesItsColour) {
    QStandardItem* plain = view.InsertItem("Без данных", 0, nullptr);
    child.m_textColor = RGB(0, 0, 255);
    view.show();
    const QImage img = view.viewport()->grab().toImage();
    const QRect plainRow = view.visualRect(plain->index()), childRow = view.visualRect(child.m_item->index());
    EXPECT_TRUE(RowHas(img, plainRow, plainRow.left(), Qt::black));
    EXPECT_TRUE(RowHas(img, childRow, childRow.left(), QColor(0, 0, 255)));
    EXPECT_FALSE(RowHas(img, childRow, childRow.left(), Qt::black));
}

}  // namespace
