// The button's images, tooltip and drop menu given by resource number: the bitmaps of the library, the
// strings and menu 900 of the test's own resource file (menu_test.rc).
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QBitmap>
#include <QMenu>
#include <gtest/gtest.h>

#include "controls/dialogs/button.h"
#include "controls/menu/menu_popup.h"
#include "controls/menu/zor_menu.h"
#include "controls/resources/bitmaps.h"
#include "controls/resources/module_resources.h"
#include "controls/tests/gui_fixture.h"
#include "controls/tests/mouse_events.h"

namespace {

class ButtonResources : public GuiFixture {
protected:
    void SetUp() override {
        parent.resize(200, 60);
        button = new CzorButton(&parent);
        button->setGeometry(10, 10, 80, 30);
    }
    QImage Render() { return button->grab().toImage(); }
    // What the handle form draws for a library bitmap with light grey transparent.
    QImage RenderedWithIcon(int id) {
        QPixmap pixmap = QPixmap::fromImage(zor::FindBitmapResource(id));
        pixmap.setMask(pixmap.createMaskFromColor(QColor(0xC0, 0xC0, 0xC0), Qt::MaskInColor));
        button->SetIcon(QIcon(pixmap));
        return Render();
    }
    QWidget parent;
    CzorButton* button = nullptr;
};

TEST_F(ButtonResources, IconsAndBitmapsByNumber) {
    const QImage bare = Render();
    const QImage down = RenderedWithIcon(zor::IDB_ZOR_SORT_DOWN), up = RenderedWithIcon(zor::IDB_ZOR_SORT_UP);
    ASSERT_NE(down, bare);
    ASSERT_NE(down, up);
    // `shows`: the picture a button at rest shows (the second one when there is one), 0 for none.
    struct Case { int in, out; uint32_t status; int shows; };
    const Case icons[] = {
        {zor::IDB_ZOR_SORT_DOWN, 0, zor::kButtonOk, zor::IDB_ZOR_SORT_DOWN},
        {zor::IDB_ZOR_SORT_DOWN, zor::IDB_ZOR_SORT_UP, zor::kButtonOk, zor::IDB_ZOR_SORT_UP},
        {zor::IDB_ZOR_SORT_DOWN, 999, zor::kButtonBadImage, 0},  // no such bitmap: no images at all
        {999, 0, zor::kButtonBadImage, 0},
        {0, zor::IDB_ZOR_SORT_UP, zor::kButtonOk, 0},            // a first number 0 only clears
        {-5, 0, zor::kButtonBadImage, 0},
    };
    for (const Case& c : icons) {
        button->SetIcon(zor::IDB_ZOR_SORT_DOWN);  // something to clear
        EXPECT_EQ(button->SetIcon(c.in, c.out), c.status) << c.in << " " << c.out;
        const QImage& expected = c.shows == zor::IDB_ZOR_SORT_DOWN ? down : c.shows ? up : bare;
        EXPECT_EQ(Render(), expected) << c.in << " " << c.out;
    }
    const QImage& expected = down;
    const COLORREF grey = RGB(0xC0, 0xC0, 0xC0);
    EXPECT_EQ(button->SetBitmaps(zor::IDB_ZOR_SORT_DOWN, grey), zor::kButtonOk);
    EXPECT_EQ(Render(), expected);
    EXPECT_EQ(button->SetBitmaps(zor::IDB_ZOR_SORT_DOWN, grey, 999, grey), zor::kButtonBadImage);
    EXPECT_EQ(Render(), bare);
    EXPECT_EQ(button->SetBitmaps(999, grey), zor::kButtonBadImage);
    EXPECT_EQ(button->SetBitmaps(zor::IDB_ZOR_SORT_DOWN, grey, zor::IDB_ZOR_SORT_UP, grey), zor::kButtonOk);
}

TEST_F(ButtonResources, TooltipFromAStringResource) {
    button->SetTooltipText(101);
    EXPECT_EQ(button->toolTip(), QStringLiteral("Открыть документ\nОткрыть"));
    button->SetTooltipText(4242);  // no such string: the tooltip stays
    EXPECT_EQ(button->toolTip(), QStringLiteral("Открыть документ\nОткрыть"));
    button->SetTooltipText(101, false);
    EXPECT_TRUE(button->toolTip().isEmpty());
}

// Menu 900's first popup drops down; the command chosen in it reaches the owner's handler.
TEST_F(ButtonResources, DropMenuFromAMenuResource) {
    EXPECT_EQ(button->SetMenu(4242u, &parent), zor::kButtonBadImage);
    ASSERT_EQ(button->SetMenu(900u, &parent), zor::kButtonOk);
    std::vector<UINT> commands;
    CzorMenu::SetCommandHandler(&parent, [&](UINT command) { commands.push_back(command); });
    std::vector<std::string> texts;
    QWidget* owner = nullptr;
    button->SetMenuTracker([&](QMenu* popup, const QPoint&, QWidget* o) {
        owner = o;
        emit popup->aboutToShow();
        for (QAction* a : popup->actions())
            if (!a->isSeparator()) texts.push_back(a->text().toStdString());
        for (QAction* a : popup->actions())
            if (CommandOfAction(a) == 103) a->trigger();
    });
    SendClick(button, QPoint(40, 15), Qt::LeftButton, QEvent::MouseButtonPress);
    EXPECT_EQ(owner, &parent);
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts.front().rfind("&Открыть", 0), 0u) << texts.front();
    EXPECT_EQ(commands, std::vector<UINT>{103});
    EXPECT_FALSE(button->IsMenuShowing());

    // A later click with no handler, and a cleared menu, send nothing.
    CzorMenu::SetCommandHandler(&parent, {});
    SendClick(button, QPoint(40, 15), Qt::LeftButton, QEvent::MouseButtonPress);
    EXPECT_EQ(button->SetMenu(0u, &parent), zor::kButtonOk);
    texts.clear();
    SendClick(button, QPoint(40, 15), Qt::LeftButton, QEvent::MouseButtonPress);
    EXPECT_TRUE(texts.empty());
    EXPECT_EQ(commands.size(), 1u);
}

}  // namespace
