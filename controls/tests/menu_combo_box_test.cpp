#include "controls/bars/menu_combo_box.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>

#include "controls/tests/gui_fixture.h"
#include "controls/tests/mouse_events.h"

namespace {

// Answers a fixed command instead of showing the menu, and keeps what the menu offered.
class ScriptedCombo : public CMenuComboBox {
public:
    int answer = 0;
    int tracked = 0;
    bool droppedWhileOpen = false;
    QPoint trackedAt;
    QStringList topLevel;

protected:
    int TrackMenu(QMenu& menu, const QPoint& at) override {
        ++tracked;
        droppedWhileOpen = IsDropped();
        trackedAt = at;
        topLevel.clear();
        for (QAction* a : menu.actions()) topLevel << a->text();
        return answer;
    }
};

struct MenuComboFixture : GuiFixture {
    QWidget parent;
    ScriptedCombo* combo = new ScriptedCombo;

    void SetUp() override {
        combo->setParent(&parent);
        combo->setGeometry(10, 20, 150, 22);
        combo->AddItem(1, "Файл", 0, true);
        combo->AddItem(2, "Новый", 1, true);
        combo->AddItem(3, "Старый", 1, false);
        combo->AddItem(4, "Сам по себе", -1, true);
        combo->AddItem(5, "Вложенный", 2, true);
    }
    void ClickArrow() { SendClick(combo, combo->ArrowRect().center()); }
};

TEST_F(MenuComboFixture, TheBuiltMenuHasSubmenusGreyedItemsAndCommandsByPosition) {
    QMenu menu;
    combo->CreateMenu(menu);
    const QList<QAction*> top = menu.actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->text(), "Файл");
    ASSERT_NE(top[0]->menu(), nullptr);  // an item with children opens a submenu: no command of its own
    EXPECT_FALSE(top[0]->data().isValid());
    EXPECT_EQ(top[1]->text(), "Сам по себе");
    EXPECT_EQ(top[1]->data().toInt(), 5);

    const QList<QAction*> file = top[0]->menu()->actions();
    ASSERT_EQ(file.size(), 2);
    EXPECT_EQ(file[0]->text(), "Новый");
    ASSERT_NE(file[0]->menu(), nullptr);
    EXPECT_EQ(file[1]->text(), "Старый");
    EXPECT_FALSE(file[1]->isEnabled());
    EXPECT_EQ(file[1]->data().toInt(), 4);
    const QList<QAction*> nested = file[0]->menu()->actions();
    ASSERT_EQ(nested.size(), 1);
    EXPECT_EQ(nested[0]->data().toInt(), 6);
    EXPECT_TRUE(nested[0]->isEnabled());
}

TEST_F(MenuComboFixture, AChosenCommandSelectsItsItemAndClosingWithoutAChoiceKeepsTheSelection) {
    ASSERT_TRUE(combo->SetSelID(4));
    EXPECT_FALSE(combo->SetSelID(99));
    EXPECT_EQ(combo->GetSelText(), "Сам по себе");

    combo->answer = 0;
    ClickArrow();
    EXPECT_EQ(combo->tracked, 1);
    EXPECT_TRUE(combo->droppedWhileOpen);
    EXPECT_FALSE(combo->IsDropped());
    EXPECT_EQ(combo->trackedAt, combo->mapToGlobal(QPoint(148, 0)));
    EXPECT_EQ(combo->topLevel, (QStringList{"Файл", "Сам по себе"}));
    EXPECT_EQ(combo->GetSelId(), 4);

    combo->answer = 6;
    ClickArrow();
    EXPECT_EQ(combo->GetSelId(), 5);
    EXPECT_EQ(combo->GetSelText(), "Вложенный");

    combo->answer = 99;  // no such item: nothing chosen
    ClickArrow();
    EXPECT_EQ(combo->GetSelId(), 5);

    // A click left of the arrow opens nothing.
    SendClick(combo, QPoint(5, 5));
    EXPECT_EQ(combo->tracked, 3);
}

TEST_F(MenuComboFixture, ReadOnlyIgnoresClicksAndClearKeepsTheSelection) {
    combo->SetSelID(2);
    EXPECT_FALSE(combo->SetReadOnly(true));
    combo->answer = 5;
    ClickArrow();
    EXPECT_EQ(combo->tracked, 0);
    EXPECT_EQ(combo->GetSelId(), 2);
    EXPECT_TRUE(combo->SetReadOnly(false));
    ClickArrow();
    EXPECT_EQ(combo->GetSelId(), 4);

    combo->Clear();
    EXPECT_TRUE(combo->Items().Items().empty());
    EXPECT_EQ(combo->GetSelText(), "Сам по себе");
}

TEST_F(MenuComboFixture, TheTextIsDrawnTwoPixelsInWithTheBorrowedFont) {
    QLabel big;
    QFont f = big.font();
    f.setPixelSize(18);
    f.setBold(true);
    big.setFont(f);
    combo->LoadFontFromWnd(&big);
    combo->SetSelID(1);
    const QImage img = combo->grab().toImage();
    const QColor window = img.pixelColor(0, 0);
    int firstInk = -1;
    for (int x = 0; x < combo->ArrowRect().left() && firstInk < 0; ++x)
        for (int y = 0; y < img.height(); ++y)
            if (img.pixelColor(x, y) != window) {
                firstInk = x;
                break;
            }
    EXPECT_GE(firstInk, 2);
    EXPECT_LE(firstInk, 5);
    // The arrow's square is painted apart from the window colour.
    bool arrowDrawn = false;
    const QRect arrow = combo->ArrowRect();
    for (int x = arrow.left(); x <= arrow.right(); ++x)
        if (img.pixelColor(x, arrow.center().y()) != window) arrowDrawn = true;
    EXPECT_TRUE(arrowDrawn);
}

TEST_F(MenuComboFixture, ALongTextIsShownInFullOverTheParentWhileHovered) {
    combo->AddItem(9, std::string(60, 'W'), -1, true);
    combo->SetSelID(9);
    parent.resize(800, 100);
    SendMouse(combo, QEvent::MouseMove, QPoint(3, 10));  // inside the 5-pixel margin: not hovered
    EXPECT_FALSE(combo->IsHovered());
    SendMouse(combo, QEvent::MouseMove, QPoint(20, 10));
    EXPECT_TRUE(combo->IsHovered());
    const QWidget* overlay = combo->FullTextOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->parentWidget(), &parent);
    EXPECT_EQ(overlay->pos(), combo->pos());
    EXPECT_GT(overlay->width(), combo->width());
    SendMouse(combo, QEvent::MouseMove, QPoint(20, 19));  // the bottom margin
    EXPECT_FALSE(combo->IsHovered());
    EXPECT_EQ(combo->FullTextOverlay(), nullptr);

    // A short text needs no overlay.
    combo->SetSelID(4);
    SendMouse(combo, QEvent::MouseMove, QPoint(20, 10));
    EXPECT_TRUE(combo->IsHovered());
    EXPECT_EQ(combo->FullTextOverlay(), nullptr);
}

}  // namespace
