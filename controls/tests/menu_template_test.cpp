// Menu templates: the reader's checks of every length, terminator and nesting level, and LoadMenu on
// templates made here, good and hostile (run under the address sanitizer).
#include <random>

#include "controls/resources/module_resources.h"
#include "controls/tests/menu_fixture.h"

namespace menu_test {
namespace {

const std::vector<Row> kBar = {
    {0, MF_POPUP, 0, "&Файл"},
    {1, 0, 101, "&Открыть\tCtrl+O"},
    {1, 0, 0, ""},
    {1, MF_POPUP, 0, "&Экспорт"},
    {2, 0, 104, "&HTML"},
    {2, MF_GRAYED, 105, "&Текст"},
    {0, MF_POPUP, 0, "&Вид"},
    {1, MF_CHECKED, 106, "&Панель"},
};

TEST(MenuTemplate, WrittenRowsReadBackWithTheirEndMarks) {
    std::vector<zor::MenuTemplateItem> items;
    std::string error;
    ASSERT_TRUE(zor::ReadMenuTemplate(Template(kBar), items, &error)) << error;
    ASSERT_EQ(items.size(), kBar.size());
    // The last of each level carries the end mark: "Экспорт" closes Файл's items, "Текст" Экспорт's,
    // "Вид" the bar's and "Панель" Вид's.
    const bool ends[] = {false, false, false, true, false, true, true, true};
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].depth, kBar[i].depth);
        EXPECT_EQ(items[i].id, kBar[i].id);
        EXPECT_EQ(bool(items[i].flags & zor::kTemplateEnd), ends[i]);
    }
}

TEST(MenuTemplate, HostileTemplatesFailCleanly) {
    const std::vector<uint8_t> good = Template(kBar);
    auto with = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> out = good;
        for (size_t i = 0; i < bytes.size(); ++i) out[at + i] = bytes[i];
        return out;
    };
    // A popup inside a popup, 20 deep, each the last of its level.
    std::vector<Row> deep;
    for (int d = 0; d < 20; ++d) deep.push_back({d, MF_POPUP, 0, "p"});
    deep.push_back({20, 0, 1, "x"});
    // The end mark taken off "Панель", the last item: Вид and the bar never close.
    std::vector<uint8_t> unclosed = good;
    unclosed[good.size() - 2 * (std::u16string(u"&Панель").size() + 1) - 4] &= uint8_t(~0x80);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"header only", {0, 0, 0, 0}},
        {"version 1", with(0, {1, 0})},
        {"offset past the end", with(2, {0xFF, 0xFF})},
        {"the last text unterminated", std::vector<uint8_t>(good.begin(), good.end() - 2)},
        {"a level never closed", unclosed},
        {"nested too deeply", Template(deep)},
        {"a popup with no children", {0, 0, 0, 0, 0x90, 0, 'A', 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<zor::MenuTemplateItem> items = {{}};
        std::string error;
        EXPECT_FALSE(zor::ReadMenuTemplate(c.bytes, items, &error));
        EXPECT_TRUE(items.empty());
        EXPECT_FALSE(error.empty());
    }
}

TEST(MenuTemplate, EveryTruncationFails) {
    const std::vector<uint8_t> good = Template(kBar);
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(n));
        std::vector<zor::MenuTemplateItem> items;
        EXPECT_FALSE(zor::ReadMenuTemplate(cut, items)) << "cut at " << n;
    }
}

class LoadMenuTest : public MenuTest {};

TEST_F(LoadMenuTest, BuildsTheBarPopupsAndRecords) {
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenuTemplate(Template(kBar)));
    EXPECT_EQ(Describe(menu),
              "&Файл|-1|0\n"
              "  &Открыть\tCtrl+O|101|0\n"
              "  |0|0\n"
              "  &Экспорт|-1|0\n"
              "    &HTML|104|0\n"
              "    &Текст|105|1\n"
              "&Вид|-1|0\n"
              "  &Панель|106|8\n");
    // The bar stays plain; popup items are drawn by the menu.
    EXPECT_EQ(menu.GetMenuString(0, MF_BYPOSITION), u"&Файл") << "a plain item keeps its text";
    EXPECT_EQ(GetMenuItemData(menu.m_hMenu, 0, MF_BYPOSITION), 0u);
    auto* file = dynamic_cast<CzorMenu*>(menu.GetSubMenu(0));
    ASSERT_NE(file, nullptr);
    EXPECT_NE(file->GetMenuState(0, MF_BYPOSITION) & MF_OWNERDRAW, 0u);
    EXPECT_NE(file->GetMenuState(1, MF_BYPOSITION) & MF_SEPARATOR, 0u);
    EXPECT_TRUE(CzorMenu::IsMenu(file));
    EXPECT_EQ(CzorMenu::m_AllSubMenus.size(), 3u);
}

TEST_F(LoadMenuTest, AnEndingPopupClosesBothLevels) {
    // The last top-level item is a popup with the end mark: after its last child both levels end, and
    // bytes after that are not read as items.
    std::vector<uint8_t> bytes = Template({{0, MF_POPUP, 0, "A"}, {1, 0, 1, "a"}, {0, MF_POPUP, 0, "B"}, {1, 0, 2, "b"}});
    bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF});
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenuTemplate(bytes));
    EXPECT_EQ(Describe(menu), "A|-1|0\n  a|1|0\nB|-1|0\n  b|2|0\n");
}

TEST_F(LoadMenuTest, AMissingOrBadTemplateLeavesTheMenuAsItWas) {
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenuTemplate(Template(kBar)));
    const std::string before = Describe(menu);
    EXPECT_FALSE(menu.LoadMenu(4711));
    EXPECT_FALSE(menu.LoadMenu("no such menu"));
    EXPECT_FALSE(menu.LoadMenu(static_cast<const char*>(nullptr)));
    const std::vector<uint8_t> good = Template(kBar);
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(menu.LoadMenuTemplate(std::span<const uint8_t>(good.data(), n))) << "cut at " << n;
    EXPECT_EQ(Describe(menu), before);
}

TEST_F(LoadMenuTest, RandomDamageNeverReadsPastTheEnd) {
    const std::vector<uint8_t> good = Template(kBar);
    std::mt19937 random(1406);
    int loaded = 0;
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> bytes = good;
        for (int k = 0; k < 3; ++k) bytes[random() % bytes.size()] = uint8_t(random());
        // Each its own heap block of the exact size, so that a read past it is caught.
        auto exact = std::make_unique<uint8_t[]>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), exact.get());
        CzorMenu menu;
        loaded += menu.LoadMenuTemplate(std::span<const uint8_t>(exact.get(), bytes.size()));
    }
    EXPECT_GT(loaded, 0) << "some damage only changes texts and flags";
}

TEST_F(LoadMenuTest, ResourcesByNameAndNumber) {
    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    CzorMenu byName;
    ASSERT_TRUE(byName.LoadMenu("#900"));
    EXPECT_EQ(Describe(menu), Describe(byName));
    EXPECT_EQ(menu.GetMenuItemCount(), 2);
}

TEST_F(LoadMenuTest, TheCurrentModuleIsSearchedFirst) {
    // Folivox has a menu 900 of its own; the program's is found unless Folivox makes its resources current.
    static const std::vector<uint8_t> bytes = Template({{0, MF_POPUP, 0, "REPORT_ELEM"}, {1, 0, 32839, "Свойства..."}});
    static const zor::MenuResourceEntry menus[] = {{900, bytes.data(), bytes.size()}};
    static const zor::ToolbarResourceEntry toolbars[] = {{0, 0, 0, 0, nullptr, 0}};
    static const zor::StringResourceEntry strings[] = {{32839, "Свойства элемента\nСвойства"}};
    static const zor::ResourceTable table = {menus, toolbars, strings, nullptr};
    static const bool registered = zor::RegisterResourceTable(zor::ResourceModule::Folivox, &table);
    ASSERT_TRUE(registered);

    CzorMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    EXPECT_EQ(menu.GetMenuItemCount(), 2);
    {
        zor::ScopedResourceModule own(zor::ResourceModule::Folivox);
        EXPECT_EQ(zor::CurrentResourceModule(), zor::ResourceModule::Folivox);
        ASSERT_TRUE(menu.LoadMenu(900));
        EXPECT_EQ(Describe(menu), "REPORT_ELEM|-1|0\n  Свойства...|32839|0\n");
    }
    EXPECT_EQ(zor::CurrentResourceModule(), zor::ResourceModule::Program);
    ASSERT_TRUE(menu.LoadMenu(900));
    EXPECT_EQ(menu.GetMenuItemCount(), 2);
    // What only one module has is found from anywhere in the chain.
    std::string prompt;
    ASSERT_TRUE(zor::FindStringResource(32839, prompt));
    EXPECT_EQ(prompt, "Свойства элемента\nСвойства");
    ASSERT_TRUE(zor::FindStringResource(101, prompt));
    EXPECT_EQ(prompt, "Открыть документ\nОткрыть");
    EXPECT_FALSE(zor::FindStringResource(0, prompt)) << "0 is no resource";
    zor::ToolbarResource toolbar;
    ASSERT_TRUE(zor::FindToolbarResource(910, toolbar));
    EXPECT_EQ(toolbar.commands, (std::vector<uint16_t>{101, 102, 0, 103, 999}));
    EXPECT_FALSE(zor::FindToolbarResource(0, toolbar));
}

}  // namespace
}  // namespace menu_test
