#include "controls/tests/menu_fixture.h"

#include "controls/menu/text16.h"
#include "controls/resources/module_resources.h"

namespace menu_test {

std::vector<uint8_t> Template(const std::vector<Row>& rows) {
    std::vector<zor::MenuTemplateItem> items;
    for (const Row& r : rows) items.push_back({uint16_t(r.flags), uint16_t(r.id), zor::ToUtf16(r.text), r.depth});
    return zor::WriteMenuTemplate(items);
}

std::string Describe(CzorMenu& menu, int depth) {
    std::string out;
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        std::string text;
        menu.GetMenuText(UINT(i), text, MF_BYPOSITION);
        const UINT state = menu.GetMenuState(UINT(i), MF_BYPOSITION);
        out += std::string(size_t(depth) * 2, ' ') + text + "|" + std::to_string(menu.GetMenuItemID(i)) + "|" +
               std::to_string(state & 0xFF & ~MF_POPUP) + "\n";
        if (auto* sub = dynamic_cast<CzorMenu*>(menu.GetSubMenu(i))) out += Describe(*sub, depth + 1);
    }
    return out;
}

void MenuTest::SetUp() {
    CzorMenu::ResetGlobals();
    CzorMenu::SetMenuDrawMode(1);
    CzorMenu::SetSelectDisableMode(TRUE);
    CzorMenu::SetXPBitmap3D(FALSE);
    CzorMenu::SetIconSize(16, 15);
    zor::SetBitmapLoader(zor::ResourceModule::Program, &TestBitmap);
}

void MenuTest::TearDown() {
    // Every menu of the test is gone by now, and with it every popup it named.
    EXPECT_TRUE(CzorMenu::m_AllSubMenus.empty()) << CzorMenu::m_AllSubMenus.size() << " popups outlived their menus";
    CzorMenu::ResetGlobals();
}

}  // namespace menu_test
