// Menu icons from toolbars, the global image list and its 3-D sets, system-colour bitmaps, accelerator
// alignment, and the colour and picture operations of the looks. Drawn under Qt's offscreen platform with
// the fixed colour scheme as the application's palette.
#include <QApplication>
#include <QFontMetrics>

#include "controls/menu/menu_effects.h"
#include "controls/menu/menu_metrics.h"
#include "controls/resources/bitmaps.h"
#include "controls/tests/gui_test_app.h"
#include "controls/tests/menu_fixture.h"
#include "platform/gdi/screen_colors.h"

namespace menu_test {
namespace {

class MenuIcons : public MenuTest {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        QApplication::setPalette(FixedSchemePalette());
        MenuTest::SetUp();
    }
    // The colour in the middle of a global image.
    static QRgb Middle(int index) { return CzorMenu::m_AllImages.GetImage(index).pixel(8, 7); }
};

TEST_F(MenuIcons, ToolbarButtonsGiveTheirCommandsIcons) {
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    ASSERT_TRUE(menu.LoadToolBar(910));
    // 101, 102 and 103 are in the menu; the separator and 999 add nothing.
    EXPECT_EQ(CzorMenu::m_AllImagesID, (std::vector<int>{101, 102, 103}));
    EXPECT_EQ(Middle(0), kStripColours[0]);
    EXPECT_EQ(Middle(2), kStripColours[2]) << "the separator takes no image";
    EXPECT_EQ(qAlpha(CzorMenu::m_AllImages.GetImage(0).pixel(0, 0)), 0) << "light grey is transparent";
    // Both items of command 101, in two popups, show the one image.
    EXPECT_EQ(menu.GetSubCzorMenu("&Файл")->Records()[0]->global_offset, 0);
    EXPECT_EQ(menu.GetSubCzorMenu("&Вид")->Records()[1]->global_offset, 0);
    EXPECT_EQ(CzorMenu::hicolor_bitmaps, 0);

    // Loading again replaces in place; a true-colour strip marks the high-colour flag.
    ASSERT_TRUE(menu.LoadToolBar(910));
    EXPECT_EQ(CzorMenu::m_AllImages.GetImageCount(), 3);
    const UINT both[] = {910, 920};
    EXPECT_TRUE(menu.LoadToolbars(both, 2));
    EXPECT_EQ(CzorMenu::m_AllImagesID, (std::vector<int>{101, 102, 103, 104, 106, 105}));
    EXPECT_EQ(Middle(3), kStripColours[0]);
    EXPECT_EQ(CzorMenu::hicolor_bitmaps, 1);

    const UINT withMissing[] = {910, 4711};
    EXPECT_FALSE(menu.LoadToolbars(withMissing, 2));
    int index = -1;
    EXPECT_TRUE(menu.LoadFromToolBar(103, 910, index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(menu.LoadFromToolBar(0, 910, index)) << "a separator has no image";
    EXPECT_FALSE(menu.LoadFromToolBar(105, 910, index));
}

TEST_F(MenuIcons, ThreeDSetsKeepFourImagesPerCommand) {
    CzorMenu::SetXPBitmap3D(TRUE);
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    ASSERT_TRUE(menu.LoadToolBar(920));
    ASSERT_EQ(CzorMenu::m_AllImagesID, (std::vector<int>{104, 104, 104, 104, 106, 106, 106, 106, 105, 105, 105, 105}));
    EXPECT_TRUE(CzorMenu::CanDraw3DImageList(0));
    EXPECT_TRUE(CzorMenu::CanDraw3DImageList(4));
    EXPECT_FALSE(CzorMenu::CanDraw3DImageList(2)) << "image 4 is another command's";
    const COLORREF red = RGB(255, 0, 0);
    EXPECT_EQ(Middle(1), zor::menu::ToRgb(CzorMenu::LightenColor(red, 0.3))) << "faded";
    EXPECT_EQ(Middle(2), zor::menu::ToRgb(MenuSysColor(COLOR_BTNSHADOW))) << "shadow";
    ASSERT_TRUE(menu.LoadToolBar(920));
    EXPECT_EQ(CzorMenu::m_AllImages.GetImageCount(), 12);
}

TEST_F(MenuIcons, PicturesOfOneItem) {
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    CzorMenu* file = menu.GetSubCzorMenu("&Файл");
    // Its own list from a whole bitmap, found by the item's text.
    ASSERT_TRUE(menu.ModifyODMenuA("Выбрать всё", "В&ыбрать", 911));
    CzorMenuData* select = menu.FindMenuItem(103);
    ASSERT_NE(select->bitmap, nullptr);
    EXPECT_EQ(select->nID, 911);
    EXPECT_EQ(select->xoffset, 0);
    EXPECT_EQ(select->GetString(), "Выбрать всё");
    EXPECT_FALSE(menu.ModifyODMenuA("x", "нет такого", 911));
    ASSERT_TRUE(menu.ModifyODMenuA(nullptr, "Выбрать всё", 4711));
    EXPECT_EQ(select->bitmap, nullptr) << "a bitmap that cannot be had drops the list";
    EXPECT_EQ(select->xoffset, -1);

    // Every command of a toolbar that the menu holds gets its own list of that toolbar's bitmap.
    menu.AddFromToolBar(910, 911);
    CzorMenuData* save = menu.FindMenuItem(102);
    ASSERT_NE(save->bitmap, nullptr);
    EXPECT_EQ(save->xoffset, 1);
    EXPECT_EQ(save->bitmap->GetImage(save->xoffset).pixel(8, 7), kStripColours[1]);
    EXPECT_NE(file->GetMenuState(1, MF_BYPOSITION), kMenuStateNotFound);

    // A colour swatch in the global list under the command.
    const CSize small(8, 8);
    ASSERT_TRUE(menu.ModifyODMenuA(nullptr, 104, RGB(0, 0, 255), RGB(0, 0, 0), -1, &small));
    const int index = CzorMenu::GlobalImageListOffset(104);
    ASSERT_GE(index, 0);
    const QImage swatch = CzorMenu::m_AllImages.GetImage(index);
    EXPECT_EQ(swatch.pixel(8, 7), qRgb(0, 0, 255));
    EXPECT_EQ(swatch.pixel(4, 3), qRgb(0, 0, 0)) << "its frame";
    EXPECT_EQ(menu.FindMenuItem(104)->global_offset, index);
}

TEST_F(MenuIcons, SysColourBitmapsMapTheirGreys) {
    EXPECT_EQ(CzorMenu::NumBitmapColors(TestBitmap(911)), 16);
    EXPECT_EQ(CzorMenu::NumBitmapColors(TestBitmap(921)), 0);
    EXPECT_EQ(CzorMenu::NumBitmapColors(zor::LoadVistrelBitmap(zor::IDB_ZOR_CHECK256)), 256);
    EXPECT_TRUE(CzorMenu::LoadSysColorBitmap(921).isNull()) << "only 16-colour bitmaps";
    EXPECT_TRUE(CzorMenu::LoadSysColorBitmap(4711).isNull());
    const QImage mapped = CzorMenu::LoadSysColorBitmap(911);
    ASSERT_FALSE(mapped.isNull());
    EXPECT_EQ(mapped.pixel(0, 0), zor::menu::ToRgb(MenuSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(mapped.pixel(8, 7), kStripColours[0]);
    // Vistrel's own bitmaps are found through the chain.
    EXPECT_FALSE(CzorMenu::LoadSysColorBitmap(zor::IDB_ZOR_STD_ICO16).isNull());
}

TEST_F(MenuIcons, CheckMarkPictures) {
    CzorMenu menu;
    menu.LoadCheckmarkBitmap(0, 911);
    EXPECT_EQ(menu.CheckImages(), nullptr);
    EXPECT_EQ(menu.CheckedBitmapId(), -1);
    menu.LoadCheckmarkBitmap(911, 921);
    ASSERT_NE(menu.CheckImages(), nullptr);
    EXPECT_EQ(menu.CheckImages()->GetImageCount(), 2);
    // Popups loaded afterwards share the list; only the owner frees it (the sanitizer build would see a
    // double free).
    ASSERT_TRUE(menu.LoadMenu(900));
    ASSERT_NE(menu.CheckImages(), nullptr) << "loading keeps the menu's check pictures";
    EXPECT_EQ(menu.GetSubCzorMenu("&Файл")->CheckImages(), menu.CheckImages());
    EXPECT_EQ(menu.GetSubCzorMenu("&Файл")->CheckedBitmapId(), 921);
    // New pictures reach the popups that borrowed the old ones, which are freed.
    menu.LoadCheckmarkBitmap(921, 911);
    ASSERT_NE(menu.CheckImages(), nullptr);
    EXPECT_EQ(menu.GetSubCzorMenu("&Файл")->GetSubCzorMenu("&Экспорт")->CheckImages(), menu.CheckImages());
    EXPECT_EQ(menu.GetSubCzorMenu("&Файл")->CheckedBitmapId(), 911);
    menu.LoadCheckmarkBitmap(911, 4711);
    EXPECT_EQ(menu.CheckImages(), nullptr) << "a picture that cannot be had drops the list";
    EXPECT_EQ(menu.GetSubCzorMenu("&Вид")->CheckImages(), nullptr);
}

TEST_F(MenuIcons, AcceleratorsLineUp) {
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    CzorMenu* file = menu.GetSubCzorMenu("&Файл");
    const QFontMetrics metrics(MenuFont());
    auto width = [&](const std::u16string& s) { return metrics.horizontalAdvance(QString::fromStdU16String(s)); };
    int widest = 0;
    for (const auto& r : file->Records()) {
        const std::u16string& text = r->GetWideString();
        const std::u16string label = text.substr(0, text.find(u'\t'));
        // Padding only adds blanks to labels, so the widest unpadded label is the widest label.
        std::u16string trimmed = label;
        while (!trimmed.empty() && trimmed.back() == u' ') trimmed.pop_back();
        widest = std::max(widest, width(trimmed + u" "));
    }
    int tabbed = 0;
    for (const auto& r : file->Records()) {
        const std::u16string& text = r->GetWideString();
        const size_t tab = text.find(u'\t');
        if (tab == std::u16string::npos) continue;
        ++tabbed;
        EXPECT_GE(width(text.substr(0, tab)), widest) << QString::fromStdU16String(text).toStdString();
    }
    EXPECT_EQ(tabbed, 2);
    EXPECT_EQ(file->Records()[2]->GetString(), "В&ыбрать") << "an item without a tab keeps its text";
}

TEST(MenuColours, LightenAndDarken) {
    struct Case {
        COLORREF colour;
        double factor;
        COLORREF lighter, darker;
    } cases[] = {
        {RGB(10, 100, 200), 0.0, RGB(10, 100, 200), RGB(10, 100, 200)},
        {RGB(10, 100, 200), 1.5, RGB(10, 100, 200), RGB(10, 100, 200)},
        {RGB(10, 100, 200), -0.5, RGB(10, 100, 200), RGB(10, 100, 200)},
        {RGB(0, 0, 0), 0.5, RGB(127, 127, 127), RGB(0, 0, 0)},
        {RGB(255, 255, 255), 0.5, RGB(255, 255, 255), RGB(127, 127, 127)},
        {RGB(10, 100, 200), 1.0, RGB(255, 255, 255), RGB(0, 0, 0)},
        {RGB(10, 36, 106), 0.7, RGB(181, 189, 210), RGB(3, 10, 31)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.factor);
        EXPECT_EQ(CzorMenu::LightenColor(c.colour, c.factor), c.lighter);
        EXPECT_EQ(CzorMenu::DarkenColor(c.colour, c.factor), c.darker);
    }
}

TEST(MenuEffects, PictureOperations) {
    using namespace zor::menu;
    const COLORREF face = RGB(212, 208, 200), shadow = RGB(128, 128, 128), white = RGB(255, 255, 255);
    // A 4 x 3 picture: face, black, a red pixel, light grey, white.
    QImage p(4, 3, QImage::Format_ARGB32);
    p.fill(ToRgb(face));
    p.setPixel(1, 1, qRgb(0, 0, 0));
    p.setPixel(2, 1, qRgb(255, 0, 0));
    p.setPixel(0, 2, qRgb(192, 192, 192));
    p.setPixel(3, 2, qRgb(255, 255, 255));

    const QImage faded = Faded(p, face);
    EXPECT_EQ(faded.pixel(0, 0), ToRgb(face));
    EXPECT_EQ(faded.pixel(1, 1), ToRgb(RGB(76, 76, 76)));
    EXPECT_EQ(faded.pixel(2, 1), ToRgb(RGB(255, 76, 76)));

    const QImage transparent = Transparent(p, face);
    EXPECT_EQ(transparent.pixel(0, 2), ToRgb(face));
    EXPECT_EQ(transparent.pixel(1, 1), qRgb(0, 0, 0));

    const QImage disabled = Disabled(p, face, RGB(1, 2, 3), shadow);
    EXPECT_EQ(disabled.pixel(0, 0), qRgb(1, 2, 3)) << "background takes the given colour";
    EXPECT_EQ(disabled.pixel(1, 1), ToRgb(shadow)) << "black: shadow lightened by 0";
    EXPECT_EQ(disabled.pixel(3, 2), ToRgb(white)) << "white: shadow lightened by 1";
    EXPECT_EQ(disabled.pixel(2, 1), ToRgb(CzorMenu::LightenColor(shadow, 85 / 255.0)));
    EXPECT_EQ(Disabled(p, face, 0, shadow).pixel(0, 0), ToRgb(face)) << "background 0 keeps the face";

    const QImage shadowed = Shadow(p, face, shadow);
    EXPECT_EQ(shadowed.pixel(0, 0), ToRgb(face));
    EXPECT_EQ(shadowed.pixel(2, 1), ToRgb(shadow));

    // Embossed: the shape in shadow in place and in highlight one pixel right and down where the shape
    // does not cover it; white is background in the old style.
    const QImage embossed = Embossed(p, face, white, shadow, {face, white});
    EXPECT_EQ(embossed.pixel(1, 1), ToRgb(shadow));
    EXPECT_EQ(embossed.pixel(2, 1), ToRgb(shadow));
    EXPECT_EQ(embossed.pixel(3, 2), ToRgb(white)) << "highlight of the red pixel";
    EXPECT_EQ(embossed.pixel(2, 2), ToRgb(white)) << "highlight of the black pixel";
    EXPECT_EQ(embossed.pixel(0, 0), ToRgb(face));
    EXPECT_EQ(embossed.pixel(0, 2), ToRgb(shadow)) << "light grey is part of the shape";
}

TEST(MenuEffects, ColourSwatches) {
    using namespace zor::menu;
    const COLORREF menu = RGB(212, 208, 200), fill = RGB(0, 128, 0), border = RGB(0, 0, 0);
    const QImage solid = ColorBitmap(CSize(16, 15), CSize(10, 9), fill, border, -1, menu);
    ASSERT_EQ(solid.size(), QSize(16, 15));
    EXPECT_EQ(solid.pixel(0, 0), ToRgb(menu)) << "a smaller swatch sits centred on the menu colour";
    EXPECT_EQ(solid.pixel(3, 3), ToRgb(border));
    EXPECT_EQ(solid.pixel(7, 7), ToRgb(fill));
    for (int style = 0; style < 6; ++style) {
        SCOPED_TRACE(style);
        const QImage hatched = ColorBitmap(CSize(16, 16), CSize(16, 16), fill, border, style, menu);
        int filled = 0, white = 0;
        for (int y = 1; y < 15; ++y)
            for (int x = 1; x < 15; ++x) (hatched.pixel(x, y) == ToRgb(fill) ? filled : white) += 1;
        EXPECT_GT(filled, 0);
        EXPECT_GT(white, filled) << "hatch lines on white";
        EXPECT_EQ(hatched.pixel(0, 0), ToRgb(border));
    }
}

}  // namespace
}  // namespace menu_test
