// CzorMenu's model: adding, changing, finding and removing items, records kept in step, mnemonics, and
// the draw mode kept in the organisation's settings.
#include <fstream>

#include "controls/menu/text16.h"
#include "controls/tests/menu_fixture.h"
#include "platform/settings/organisation.h"
#include "platform/tests/test_support.h"

namespace menu_test {
namespace {

class MenuModel : public MenuTest {
protected:
    // A popup of plain items: text i|command 10 + i.
    static void Fill(CzorMenu& popup, const std::vector<const char*>& texts) {
        ASSERT_TRUE(popup.CreatePopupMenu());
        for (size_t i = 0; i < texts.size(); ++i)
            ASSERT_TRUE(popup.AppendODMenuA(texts[i], MF_STRING, texts[i][0] == '-' ? 0 : UINT(10 + i)));
    }
    static std::string Texts(CzorMenu& menu) {
        std::string out;
        for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
            std::string text;
            menu.GetMenuText(UINT(i), text);
            out += (out.empty() ? "" : ",") + text;
        }
        return out;
    }
};

TEST_F(MenuModel, CommandZeroIsASeparatorWhateverTheFlags) {
    for (UINT flags : {UINT(MF_STRING), UINT(MF_CHECKED), UINT(MF_GRAYED | MF_CHECKED), UINT(MF_BYPOSITION), UINT(MF_DEFAULT)}) {
        SCOPED_TRACE(flags);
        CzorMenu menu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        ASSERT_TRUE(menu.AppendODMenuA("текст", flags, 0));
        const UINT state = menu.GetMenuState(0, MF_BYPOSITION);
        EXPECT_EQ(state & (MF_SEPARATOR | MF_OWNERDRAW), MF_SEPARATOR | MF_OWNERDRAW);
        EXPECT_EQ(state & (MF_CHECKED | MF_GRAYED), 0u);
        ASSERT_EQ(menu.Records().size(), 1u);
        EXPECT_NE(menu.Records()[0]->nFlags & MF_SEPARATOR, 0u);
    }
}

TEST_F(MenuModel, RemovingByTextWithTheItemsBeforeIt) {
    struct Case {
        const char* text;
        KM_Seperator kind;
        int result;
        const char* left;
    } cases[] = {
        {"f", kBothSeparator, 5, "a,b,c,g"},      // positions 5, 4 and 3, numbered before the removal
        {"f", kHeadSeparator, 5, "a,b,c,d,g"},
        {"f", kTailSeparator, 5, "a,b,c,d,g"},
        {"f", kNoneSeparator, 5, "a,b,c,d,e,g"},
        {"b", kBothSeparator, 1, "c,d,e,f,g"},    // only what exists before it goes
        {"a", kBothSeparator, 0, "b,c,d,e,f,g"},
        {"a", kHeadSeparator, 0, "b,c,d,e,f,g"},
        {"x", kBothSeparator, -1, "a,b,c,d,e,f,g"},
    };
    for (const Case& c : cases) {
        for (bool destroy : {false, true}) {
            SCOPED_TRACE(std::string(c.text) + " kind " + std::to_string(c.kind) + (destroy ? " delete" : " remove"));
            CzorMenu menu;
            Fill(menu, {"a", "b", "c", "d", "e", "f", "g"});
            EXPECT_EQ(destroy ? menu.DeleteMenu(c.text, c.kind) : menu.RemoveMenu(c.text, c.kind), c.result);
            EXPECT_EQ(Texts(menu), c.left);
            EXPECT_EQ(size_t(menu.GetMenuItemCount()), menu.Records().size());
        }
    }
}

TEST_F(MenuModel, ModifyingACommandChangesItInEveryPopup) {
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    ASSERT_TRUE(menu.ModifyODMenuA("Открыть документ", 101));
    auto* file = dynamic_cast<CzorMenu*>(menu.GetSubMenu(0));
    auto* view = dynamic_cast<CzorMenu*>(menu.GetSubMenu(1));
    ASSERT_TRUE(file && view);
    std::string first, second;
    ASSERT_TRUE(file->GetMenuText(0, first));
    ASSERT_TRUE(view->GetMenuText(1, second));
    EXPECT_EQ(first, "Открыть документ");
    EXPECT_EQ(second, "Открыть документ");
    EXPECT_FALSE(menu.ModifyODMenuA("нет", 4711)) << "a command in no item";
    EXPECT_EQ(file->Records().size(), size_t(file->GetMenuItemCount()));
}

TEST_F(MenuModel, TypedMnemonicsAnswerTheFirstMarkedItem) {
    CzorMenu popup;
    Fill(popup, {"&Save", "-", "&Select", "&Открыть", "Plain"});
    struct Case {
        UINT ch;
        UINT flags;
        UINT answer;
    } cases[] = {
        {'s', MF_POPUP, 0 | (MNC_EXECUTE << 16)},
        {'S', MF_POPUP, 0 | (MNC_EXECUTE << 16)},
        {u'о', MF_POPUP, 3 | (MNC_EXECUTE << 16)},
        {u'О', MF_POPUP, 3 | (MNC_EXECUTE << 16)},
        {'p', MF_POPUP, 0},   // "Plain" marks nothing
        {'x', MF_POPUP, 0},
        {'s', 0, 0},          // the menu bar: the system decides
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ch);
        EXPECT_EQ(CzorMenu::FindKeyboardShortcut(c.ch, c.flags, &popup), c.answer);
    }
    EXPECT_EQ(CzorMenu::FindKeyboardShortcut('s', MF_POPUP, nullptr), 0u);
}

TEST_F(MenuModel, ItemsPutInByOtherCodeGetRecordsWhenThePopupOpens) {
    CzorMenu popup;
    Fill(popup, {"a", "b"});
    // A window list, say, inserted with the plain menu calls.
    ASSERT_TRUE(::InsertMenu(popup.m_hMenu, 1, MF_BYPOSITION | MF_STRING, 77, u"&1 окно"));
    ASSERT_TRUE(::AppendMenu(popup.m_hMenu, MF_SEPARATOR, 0, nullptr));
    CzorMenu::UpdateMenu(&popup);
    ASSERT_EQ(popup.Records().size(), 4u);
    EXPECT_EQ(Texts(popup), "a,&1 окно,b,");
    for (int i = 0; i < 4; ++i) EXPECT_NE(popup.GetMenuState(UINT(i), MF_BYPOSITION) & MF_OWNERDRAW, 0u) << i;
    EXPECT_EQ(CzorMenu::FindKeyboardShortcut('1', MF_POPUP, &popup), 1u | (MNC_EXECUTE << 16));
    // An item that went away takes its record with it.
    ASSERT_TRUE(::RemoveMenu(popup.m_hMenu, 0, MF_BYPOSITION));
    CzorMenu::UpdateMenu(&popup);
    EXPECT_EQ(Texts(popup), "&1 окно,b,");
}

TEST_F(MenuModel, PopupItemsKeepTheirTextsWhenBroughtInStep) {
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    CzorMenu* file = menu.GetSubCzorMenu("&Файл");
    CzorMenu::UpdateMenu(file);
    CzorMenu::UpdateMenu(file);
    // (Without a GUI application accelerators are not padded.)
    EXPECT_EQ(Describe(*file), "&Открыть\tCtrl+O|101|0\n"
                               "&Сохранить как...\tCtrl+Shift+S|102|0\n"
                               "В&ыбрать|103|0\n"
                               "|0|0\n"
                               "&Экспорт|-1|0\n"
                               "  &HTML|104|0\n"
                               "  &Текст|105|1\n");
    EXPECT_EQ(CzorMenu::FindKeyboardShortcut(u'э', MF_POPUP, file), 4u | (MNC_EXECUTE << 16));
}

TEST_F(MenuModel, TextsByPositionAndByCommand) {
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    std::string text;
    struct Case {
        UINT id;
        UINT flags;
        bool found;
        const char* text;
    } cases[] = {
        {0, MF_BYPOSITION, true, "&Файл"},
        {1, MF_BYPOSITION, true, "&Вид"},
        {2, MF_BYPOSITION, false, ""},
        {UINT(-1), MF_BYPOSITION, false, ""},
        {104, MF_BYCOMMAND, true, "&HTML"},    // two levels down
        {4711, MF_BYCOMMAND, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        text.clear();
        EXPECT_EQ(bool(menu.GetMenuText(c.id, text, c.flags)), c.found);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(bool(menu.SetMenuText(c.id, "новый", c.flags)), c.found);
    }
    ASSERT_TRUE(menu.GetMenuText(104, text, MF_BYCOMMAND));
    EXPECT_EQ(text, "новый");
}

TEST_F(MenuModel, FindingItemsAndPopups) {
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    auto* file = dynamic_cast<CzorMenu*>(menu.GetSubMenu(0));
    ASSERT_NE(file, nullptr);
    auto* exportMenu = dynamic_cast<CzorMenu*>(file->GetSubMenu(4));
    ASSERT_NE(exportMenu, nullptr);

    int position = -2;
    EXPECT_EQ(menu.FindMenuOption(105, position), exportMenu);
    EXPECT_EQ(position, 1);
    EXPECT_EQ(menu.FindMenuOption(101, position), file) << "depth first, in position order";
    EXPECT_EQ(position, 0);
    EXPECT_EQ(menu.FindMenuOption(4711, position), nullptr);
    EXPECT_EQ(position, -1);

    CzorMenuData* html = menu.FindMenuOption(u"&HTML");
    ASSERT_NE(html, nullptr);
    EXPECT_EQ(html->nCommand, 104u);
    EXPECT_EQ(menu.FindMenuOption(u"нет"), nullptr);
    EXPECT_EQ(menu.FindMenuItem(106), menu.FindMenuOption(u"&Панель"));
    EXPECT_EQ(menu.FindMenuItem(4711), nullptr);

    EXPECT_EQ(menu.GetSubMenu("&Вид"), menu.GetSubMenu(1));
    EXPECT_EQ(menu.GetSubMenu("Вид"), nullptr);
    EXPECT_EQ(file->GetSubCzorMenu("&Экспорт"), exportMenu);
    EXPECT_EQ(file->GetSubCzorMenu("&Открыть\tCtrl+O"), nullptr) << "not a popup";
    EXPECT_EQ(file->GetMenuPosition("В&ыбрать"), 2);
    EXPECT_EQ(file->GetMenuPosition("нет"), -1);
    EXPECT_EQ(menu.GetMenuPosition("&Файл"), -1) << "a bar of popups only";
}

TEST_F(MenuModel, InsertingByCommandGoesIntoThePopupThatHoldsIt) {
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    ASSERT_TRUE(menu.InsertODMenuA(105, "&PDF", MF_STRING, 107));
    auto* exportMenu = menu.GetSubCzorMenu("&Файл")->GetSubCzorMenu("&Экспорт");
    ASSERT_NE(exportMenu, nullptr);
    EXPECT_EQ(Texts(*exportMenu), "&HTML,&PDF,&Текст");
    EXPECT_FALSE(menu.InsertODMenuA(4711, "x", MF_STRING, 108));
    ASSERT_TRUE(exportMenu->InsertODMenuA(UINT(-1), "&В конец", MF_BYPOSITION, 109));
    EXPECT_EQ(Texts(*exportMenu), "&HTML,&PDF,&Текст,&В конец");
    // A menu bar loaded from a resource keeps plain popups after an append.
    CzorMenu* extra = menu.AppendODPopupMenuA("&Справка");
    ASSERT_NE(extra, nullptr);
    EXPECT_EQ(menu.GetMenuString(2, MF_BYPOSITION), u"&Справка");
    EXPECT_EQ(menu.GetSubMenu("&Справка"), extra);
}

TEST_F(MenuModel, RemovingAndDeletingPopups) {
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    auto* file = menu.GetSubCzorMenu("&Файл");
    const HMENU exportHandle = ::GetSubMenu(file->m_hMenu, 4);
    ASSERT_TRUE(CzorMenu::IsMenu(exportHandle));
    ASSERT_TRUE(file->RemoveMenu(4, MF_BYPOSITION));
    EXPECT_FALSE(CzorMenu::IsMenu(exportHandle));
    EXPECT_TRUE(IsMenuHandle(exportHandle)) << "a removed popup keeps its handle";
    EXPECT_EQ(GetMenuItemCount(exportHandle), 0);
    ::DestroyMenu(exportHandle);

    const HMENU view = ::GetSubMenu(menu.m_hMenu, 1);
    ASSERT_TRUE(menu.DeleteMenu(1, MF_BYPOSITION));
    EXPECT_FALSE(IsMenuHandle(view)) << "a deleted popup is destroyed";
    EXPECT_EQ(menu.Records().size(), 1u);
    ASSERT_TRUE(menu.DeleteMenu(103, MF_BYCOMMAND));
    EXPECT_EQ(Texts(*file), "&Открыть\tCtrl+O,&Сохранить как...\tCtrl+Shift+S,");
    EXPECT_FALSE(menu.DeleteMenu(103, MF_BYCOMMAND));
}

TEST_F(MenuModel, DestroyingForgetsEveryPopup) {
    auto menu = std::make_unique<CzorMenu>();
    ASSERT_TRUE(menu->LoadMenu(900));
    const HMENU bar = menu->m_hMenu;
    ASSERT_EQ(CzorMenu::m_AllSubMenus.size(), 3u);
    EXPECT_TRUE(menu->DestroyMenu());
    EXPECT_TRUE(CzorMenu::m_AllSubMenus.empty());
    EXPECT_FALSE(IsMenuHandle(bar));
    EXPECT_TRUE(menu->Records().empty());
    // Loading again after a destroy works, and the destructor cleans up.
    ASSERT_TRUE(menu->LoadMenu(900));
    menu.reset();
    EXPECT_TRUE(CzorMenu::m_AllSubMenus.empty());
}

TEST_F(MenuModel, DrawModesAndTheirSettings) {
    zor::test::ScopedTempDir home;
    zor::test::ScopedEnv config("XDG_CONFIG_HOME", home.Path());
    const std::string file = home / "Veldcourt.ini";
    ASSERT_EQ(zor::OrganisationSettingsPath(), file);

    CzorMenu::SetMenuDrawMode(1);
    CzorMenu::LoadXpMode();
    EXPECT_EQ(CzorMenu::GetMenuDrawMode(), 1u) << "no file: nothing changes";

    struct Case {
        const char* contents;
        UINT before;
        UINT after;
    } cases[] = {
        {"[General]\nXP_Menu=0\n", 1, 0},
        {"[General]\nXP_Menu=1\n", 0, 1},
        {"[General]\nXP_Menu=7\n", 0, 1},
        {"[General]\nOther=0\n", 1, 1},
        {"[General]\nOther=0\n", 0, 0},
        {"[General]\nXP_Menu=много\n", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contents);
        std::ofstream(file, std::ios::trunc) << c.contents;
        CzorMenu::SetMenuDrawMode(c.before);
        CzorMenu::LoadXpMode();
        EXPECT_EQ(CzorMenu::GetMenuDrawMode(), c.after);
        EXPECT_EQ(CzorMenu::original_drawmode, c.after);
        EXPECT_EQ(CzorMenu::xp_drawmode, c.after);
    }
    for (UINT mode : {0u, 1u}) {
        CzorMenu::SetMenuDrawMode(mode);
        CzorMenu::SaveXpMode();
        int stored = -1;
        ASSERT_TRUE(zor::GetOrganisationInt("XP_Menu", stored));
        EXPECT_EQ(stored, int(mode));
        EXPECT_EQ(CzorMenu::IsLunaMenuStyle(), mode == 1);
    }
    // The program's own profile is another file.
    EXPECT_FALSE(zor::test::Slurp(file).empty());
    EXPECT_FALSE(std::filesystem::exists(home / "Veldcourt/Квиллмарк.ini"));
}

}  // namespace
}  // namespace menu_test
