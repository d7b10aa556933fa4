// Menus on Qt widgets (offscreen): hooks of windows, TrackPopupMenu with keys and mnemonics, the frame's
// menu bar, and single items drawn through the menu in both looks, checked by regions.
#include <QActionGroup>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QKeyEvent>
#include <QTimer>

#include "controls/menu/menu_effects.h"
#include "controls/menu/menu_metrics.h"
#include "controls/menu/menu_popup.h"
#include "controls/tests/gui_test_app.h"
#include "controls/tests/menu_fixture.h"
#include "platform/gdi/screen_colors.h"

namespace menu_test {
namespace {

using zor::menu::ToRgb;

class MenuWidgets : public MenuTest {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        QApplication::setPalette(FixedSchemePalette());
        MenuTest::SetUp();
    }
    // Once the popup shows, sends it the keys (a text of one character is typed, else a key code).
    static void WhenShown(std::vector<std::variant<Qt::Key, QString>> keys) {
        auto* timer = new QTimer;
        auto tries = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, [timer, keys, tries] {
            QWidget* popup = QApplication::activePopupWidget();
            // Bounded: two seconds, then the popup is closed by hand.
            if (!popup && ++*tries < 100) return;
            timer->stop();
            timer->deleteLater();
            if (!popup) return;
            for (const auto& key : keys) {
                QWidget* target = QApplication::activePopupWidget();
                if (!target) break;
                const bool text = std::holds_alternative<QString>(key);
                QKeyEvent press(QEvent::KeyPress, text ? 0 : std::get<Qt::Key>(key), Qt::NoModifier,
                                text ? std::get<QString>(key) : QString());
                QApplication::sendEvent(target, &press);
            }
            while (QWidget* left = QApplication::activePopupWidget()) left->close();
        });
        timer->start(20);
    }
};

TEST_F(MenuWidgets, HooksOfWindows) {
    auto window = std::make_unique<QWidget>();
    CzorMenu first, second;
    EXPECT_EQ(first.Install(nullptr), 0);
    EXPECT_EQ(InstalledMenu(nullptr), nullptr);
    EXPECT_EQ(first.Install(window.get()), 1);
    EXPECT_EQ(first.Install(window.get()), 1) << "twice hooks once";
    EXPECT_EQ(second.Install(window.get()), 1);
    EXPECT_EQ(InstalledMenu(window.get()), &first) << "a second menu does not replace the first";
    EXPECT_EQ(second.Uninstall(), 0) << "the second never hooked it";
    EXPECT_EQ(InstalledMenu(window.get()), &first);
    EXPECT_EQ(first.Uninstall(), 1);
    EXPECT_EQ(InstalledMenu(window.get()), nullptr);
    EXPECT_EQ(first.Uninstall(), 0);

    // A hooked window that goes leaves the map at once.
    ASSERT_EQ(second.Install(window.get()), 1);
    const QWidget* gone = window.get();
    window.reset();
    EXPECT_EQ(InstalledMenu(gone), nullptr);
    EXPECT_EQ(second.HookedWindow(), nullptr);
    EXPECT_EQ(second.Uninstall(), 0);
}

TEST_F(MenuWidgets, TrackingReturnsTheChosenCommand) {
    QWidget view;
    view.resize(300, 200);
    view.show();
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    ASSERT_TRUE(menu.LoadToolBar(910));
    ASSERT_EQ(menu.Install(&view), 1);
    CMenu* file = menu.GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    struct Case {
        const char* what;
        std::vector<std::variant<Qt::Key, QString>> keys;
        UINT command;
    } cases[] = {
        {"down twice and enter", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, 102},
        {"a mnemonic in the middle of a word", {QString("ы")}, 103},
        {"an upper-case mnemonic", {QString("С")}, 102},
        {"a character no item marks", {QString("q"), Qt::Key_Escape}, 0},
        {"a mnemonic into a popup and on", {QString("э"), QString("h")}, 104},
        {"escape", {Qt::Key_Escape}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WhenShown(c.keys);
        EXPECT_EQ(UINT(file->TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, 10, 10, &view)), c.command);
    }
    // Without TPM_RETURNCMD the command goes to the window's handler.
    std::vector<UINT> got;
    CzorMenu::SetCommandHandler(&view, [&](UINT command) { got.push_back(command); });
    WhenShown({QString("о")});
    EXPECT_TRUE(file->TrackPopupMenu(TPM_RIGHTBUTTON, 10, 10, &view));
    EXPECT_EQ(got, std::vector<UINT>{101});
    CzorMenu::SetCommandHandler(&view, {});
}

TEST_F(MenuWidgets, PopupsOfHookedWindowsAreDrawnByTheMenu) {
    QWidget hooked, plain;
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    ASSERT_EQ(menu.Install(&hooked), 1);
    const HMENU file = ::GetSubMenu(menu.m_hMenu, 0);
    CzorPopup mine(file, &hooked, nullptr), theirs(file, &plain, nullptr), alone(file, nullptr, nullptr);
    EXPECT_EQ(mine.Drawer(), menu.GetSubMenu(0));
    EXPECT_EQ(theirs.Drawer(), nullptr);
    EXPECT_EQ(alone.Drawer(), menu.GetSubMenu(0));
    mine.Rebuild();
    ASSERT_EQ(mine.actions().size(), 5);
    EXPECT_EQ(CommandOfAction(mine.actions()[0]), 101u);
    EXPECT_TRUE(mine.actions()[3]->isSeparator());
    EXPECT_NE(mine.actions()[4]->menu(), nullptr);
    // State set through the menu shows in the actions.
    menu.EnableMenuItem(102, MF_GRAYED);
    menu.CheckMenuItem(103, MF_CHECKED);
    mine.Rebuild();
    EXPECT_FALSE(mine.actions()[1]->isEnabled());
    EXPECT_TRUE(mine.actions()[2]->isChecked());
    // Radio items form an exclusive group.
    ASSERT_TRUE(::CheckMenuRadioItem(file, 0, 2, 1, MF_BYPOSITION));
    mine.Rebuild();
    ASSERT_NE(mine.actions()[0]->actionGroup(), nullptr);
    EXPECT_TRUE(mine.actions()[0]->actionGroup()->isExclusive());
    EXPECT_TRUE(mine.actions()[1]->isChecked());
    EXPECT_FALSE(mine.actions()[2]->isChecked());
}

TEST_F(MenuWidgets, TheFrameTakesTheMenuBar) {
    std::vector<UINT> got;
    auto frame = std::make_unique<QMainWindow>();
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    const HMENU handle = menu.m_hMenu;
    ASSERT_TRUE(menu.AttachToFrame(frame.get(), [&](UINT command) { got.push_back(command); }));
    EXPECT_EQ(menu.m_hMenu, nullptr) << "the frame owns the handle now";
    ASSERT_EQ(menu.Install(frame.get()), 1);
    QMenuBar* bar = frame->menuBar();
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[0]->text(), "&Файл");
    auto* file = dynamic_cast<CzorPopup*>(bar->actions()[0]->menu());
    ASSERT_NE(file, nullptr);
    EXPECT_NE(file->Drawer(), nullptr);
    file->Rebuild();
    file->actions()[2]->trigger();
    EXPECT_EQ(got, std::vector<UINT>{103});
    frame.reset();
    EXPECT_FALSE(IsMenuHandle(handle)) << "the frame ended the menu";
}

// --- Single items drawn through the menu ------------------------------------------------------------------

class ItemRender : public MenuWidgets {
protected:
    void SetUp() override {
        MenuWidgets::SetUp();
        ASSERT_TRUE(m_menu.CreatePopupMenu());
        QImage picture(16, 15, QImage::Format_ARGB32);
        picture.fill(qRgb(0, 128, 0));
        CImageList list;
        list.Create(16, 15);
        list.AddImage(picture);
        ASSERT_TRUE(m_menu.AppendODMenuA("&Картинка\tCtrl+K", MF_STRING, 201, &list, 0));
        ASSERT_TRUE(m_menu.AppendODMenuA("&Без картинки", MF_STRING, 202));
        ASSERT_TRUE(m_menu.AppendODMenuA(nullptr, MF_SEPARATOR, 0));
    }
    void TearDown() override {
        CzorMenu::SetIconSize(16, 15);
        MenuWidgets::TearDown();
    }
    // Item `index` drawn in a rectangle of the given size at (0, 0).
    QImage Render(int index, UINT state, int width = 200, int height = 23, bool radio = false) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(qRgb(1, 2, 3));
        QPainter painter(&image);
        DRAWITEMSTRUCT draw;
        draw.painter = &painter;
        draw.rcItem = CRect(0, 0, width, height);
        draw.itemState = state;
        draw.itemData = reinterpret_cast<uintptr_t>(m_menu.Records()[size_t(index)].get());
        draw.radio = radio;
        m_menu.DrawItem(&draw);
        return image;
    }
    static QRgb C(int index) { return ToRgb(::GetSysColor(index)); }
    static bool FindRed(const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < 24; ++x)
                if (image.pixel(x, y) == kStripColours[0]) return true;
        return false;
    }
    CzorMenu m_menu;
};

TEST_F(ItemRender, ClassicHighlightStartsRightOfTheIconColumn) {
    CzorMenu::SetMenuDrawMode(0);
    const QImage item = Render(0, ODS_SELECTED);
    const int iconX = CzorMenu::m_iconX;
    for (int y : {0, 22}) {
        EXPECT_EQ(item.pixel(iconX + 4, y), C(COLOR_BTNFACE)) << "the icon column keeps the menu colour";
        EXPECT_EQ(item.pixel(iconX + 5, y), C(COLOR_HIGHLIGHT));
        EXPECT_EQ(item.pixel(199, y), C(COLOR_HIGHLIGHT));
    }
    EXPECT_EQ(item.pixel(8, 11), qRgb(0, 128, 0)) << "the picture";
    // Without a picture or a check the highlight spans the item.
    EXPECT_EQ(Render(1, ODS_SELECTED).pixel(0, 0), C(COLOR_HIGHLIGHT));
    EXPECT_EQ(Render(1, 0).pixel(0, 0), C(COLOR_BTNFACE));
}

TEST_F(ItemRender, FlatHighlightIsFilledAndFramed) {
    CzorMenu::SetMenuDrawMode(1);
    const COLORREF S = ::GetSysColor(COLOR_HIGHLIGHT);
    const QRgb fill = ToRgb(CzorMenu::LightenColor(S, 0.7));
    const QImage item = Render(1, ODS_SELECTED);
    EXPECT_EQ(item.pixel(0, 0), ToRgb(S));
    EXPECT_EQ(item.pixel(199, 22), ToRgb(S));
    EXPECT_EQ(item.pixel(100, 0), ToRgb(S));
    EXPECT_EQ(item.pixel(1, 1), fill);
    EXPECT_EQ(item.pixel(198, 1), fill);
    // Not selected: the column in the button face, the rest a shade darker than the window.
    const QImage plain = Render(1, 0);
    const int W = CzorMenu::m_iconX + 4;
    EXPECT_EQ(plain.pixel(W - 1, 5), C(COLOR_BTNFACE));
    EXPECT_EQ(plain.pixel(W, 0), ToRgb(CzorMenu::DarkenColor(::GetSysColor(COLOR_WINDOW), 0.02)));
}

TEST_F(ItemRender, DisabledItemsShowNoHighlightWhenSelectingThemIsOff) {
    CzorMenu::SetSelectDisableMode(FALSE);
    for (UINT mode : {0u, 1u}) {
        SCOPED_TRACE(mode);
        CzorMenu::SetMenuDrawMode(mode);
        const QImage item = Render(1, ODS_SELECTED | ODS_GRAYED);
        EXPECT_EQ(item.pixel(0, 0), mode ? C(COLOR_BTNFACE) : C(COLOR_BTNFACE));
        EXPECT_NE(item.pixel(150, 0), C(COLOR_HIGHLIGHT));
        EXPECT_NE(item.pixel(150, 0), ToRgb(CzorMenu::LightenColor(::GetSysColor(COLOR_HIGHLIGHT), 0.7)));
    }
    // With selecting on, the same item is highlighted.
    CzorMenu::SetSelectDisableMode(TRUE);
    CzorMenu::SetMenuDrawMode(0);
    EXPECT_EQ(Render(1, ODS_SELECTED | ODS_GRAYED).pixel(150, 0), C(COLOR_HIGHLIGHT));
}

TEST_F(ItemRender, ATallIconSitsAtTheTop) {
    CzorMenu::SetMenuDrawMode(0);
    CzorMenu::SetIconSize(16, 30);
    // Item height 20 is less than the icon height plus 4: the offset is 0 and the picture starts at row 2.
    const QImage item = Render(0, 0, 200, 20);
    EXPECT_EQ(item.pixel(3, 2), qRgb(0, 128, 0));
    EXPECT_NE(item.pixel(3, 1), qRgb(0, 128, 0));
}

TEST_F(ItemRender, CheckMarkStrokes) {
    CzorMenu::SetMenuDrawMode(0);
    m_menu.CheckMenuItem(202, MF_CHECKED);
    const QImage item = Render(1, ODS_CHECKED, 200, 19);
    // Classic: the mark at (1 + (16 - 6) / 2, 2 + (15 - 7) / 2 + 1) = (6, 7); stroke k starts
    // (2, 3, 4, 3, 2, 1, 0)[k] rows down and is 3 rows long.
    const QRgb ink = C(COLOR_MENUTEXT);
    const int start[] = {2, 3, 4, 3, 2, 1, 0};
    for (int k = 0; k < 7; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NE(item.pixel(6 + k, 7 + start[k] - 1), ink);
        for (int r = 0; r < 3; ++r) EXPECT_EQ(item.pixel(6 + k, 7 + start[k] + r), ink);
        EXPECT_NE(item.pixel(6 + k, 7 + start[k] + 3), ink);
    }
    EXPECT_EQ(item.pixel(3, 4), ToRgb(CzorMenu::LightenColor(::GetSysColor(COLOR_BTNFACE), 0.6)));
    // Flat: a narrow mark (2 rows) in a box framed in the select colour.
    CzorMenu::SetMenuDrawMode(1);
    const QImage flat = Render(1, ODS_CHECKED, 200, 19);
    const QRgb S = C(COLOR_HIGHLIGHT);
    EXPECT_EQ(flat.pixel(1, 1), S);
    // Button (1, 1)-(18, 18): 17 x 17, the mark at (1 + 5, 1 + 5).
    for (int k = 0; k < 7; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(flat.pixel(6 + k, 6 + start[k]), ink);
        EXPECT_EQ(flat.pixel(6 + k, 6 + start[k] + 1), ink);
        EXPECT_NE(flat.pixel(6 + k, 6 + start[k] + 2), ink);
    }
}

TEST_F(ItemRender, CheckPicturesTakeThePlaceOfTheMark) {
    m_menu.LoadCheckmarkBitmap(911, 921);  // unselected: red first image, selected: red of the other strip
    ASSERT_NE(m_menu.CheckImages(), nullptr);
    for (UINT mode : {0u, 1u}) {
        SCOPED_TRACE(mode);
        CzorMenu::SetMenuDrawMode(mode);
        const QImage item = Render(1, ODS_CHECKED, 200, 21);
        EXPECT_EQ(FindRed(item), true);
        // No mark strokes where the classic mark would be.
        EXPECT_NE(item.pixel(6, 9), C(COLOR_MENUTEXT));
    }
}

TEST_F(ItemRender, RaisedIconsOfTheFlatLook) {
    CzorMenu::SetMenuDrawMode(1);
    CzorMenu::SetXPBitmap3D(TRUE);
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    ASSERT_TRUE(menu.LoadToolBar(910));
    CzorMenu* file = menu.GetSubCzorMenu("&Файл");
    auto render = [&](UINT state) {
        QImage image(200, 23, QImage::Format_RGB32);
        QPainter painter(&image);
        DRAWITEMSTRUCT draw;
        draw.painter = &painter;
        draw.rcItem = CRect(0, 0, 200, 23);
        draw.itemState = state;
        draw.itemData = reinterpret_cast<uintptr_t>(file->Records()[0].get());
        file->DrawItem(&draw);
        return image;
    };
    // Column 16 + 7 wide: the picture at ((23 - 16 + 1) / 2, (23 - 15 + 1) / 2) = (4, 4); its coloured
    // square is inset by one pixel.
    const QRgb red = kStripColours[0], faded = ToRgb(CzorMenu::LightenColor(RGB(255, 0, 0), 0.3));
    EXPECT_EQ(render(0).pixel(5, 5), faded) << "a plain item shows the faded picture";
    const QImage selected = render(ODS_SELECTED);
    EXPECT_EQ(selected.pixel(4, 4), red) << "raised one pixel up and left";
    EXPECT_EQ(selected.pixel(18, 17), C(COLOR_BTNSHADOW)) << "its shadow one pixel right and down";
    const QImage grey = render(ODS_GRAYED);
    EXPECT_NE(grey.pixel(5, 5), red);
    EXPECT_NE(grey.pixel(5, 5), faded);
    CzorMenu::SetXPBitmap3D(FALSE);
}

TEST_F(ItemRender, SeparatorsAndAPaletteDevice) {
    for (UINT mode : {0u, 1u}) {
        CzorMenu::SetMenuDrawMode(mode);
        const QImage separator = Render(2, 0, 100, 4);
        EXPECT_EQ(separator.pixel(50, 2), C(COLOR_BTNSHADOW)) << mode;
        EXPECT_EQ(separator.pixel(50, 3), C(COLOR_BTNHIGHLIGHT)) << mode;
    }
    // On a palette display the classic look is drawn whatever the mode.
    CzorMenu::SetMenuDrawMode(1);
    QImage image(200, 23, QImage::Format_RGB32);
    QPainter painter(&image);
    DRAWITEMSTRUCT draw;
    draw.painter = &painter;
    draw.rcItem = CRect(0, 0, 200, 23);
    draw.itemState = ODS_SELECTED;
    draw.itemData = reinterpret_cast<uintptr_t>(m_menu.Records()[0].get());
    draw.bitsPerPixel = 8;
    m_menu.DrawItem(&draw);
    EXPECT_EQ(image.pixel(CzorMenu::m_iconX + 5, 0), C(COLOR_HIGHLIGHT));
}

}  // namespace
}  // namespace menu_test
