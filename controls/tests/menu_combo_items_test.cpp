#include "controls/bars/menu_combo_items.h"

#include <gtest/gtest.h>

namespace {

using namespace zor;

std::string Describe(const MenuComboItems& m) {
    std::string s;
    for (const MenuComboItem& i : m.Items())
        s += std::to_string(i.id) + ":" + i.text + (i.enabled ? "" : "(off)") + " ";
    s += "|";
    for (const MenuComboRelation& r : m.Relations()) s += " " + std::to_string(r.parent) + ">" + std::to_string(r.child);
    return s;
}

TEST(MenuComboItems, AddItemRenamesAddsPlaceholdersAndRecordsRelations) {
    struct Step {
        int id;
        const char* text;
        int parent;
        bool enabled;
        int result;
        const char* after;
    } steps[] = {
        {10, "Один", -1, true, -1, "10:Один |"},                             // no parent: nothing recorded
        {20, "Два", 0, true, 2, "10:Один 20:Два 0:(off) | 2>1"},            // missing parent: placeholder
        {30, "Три", 0, false, 2, "10:Один 20:Два 0:(off) 30:Три(off) | 2>1 2>3"},
        {20, "Два!", -1, true, -1, "10:Один 20:Два! 0:(off) 30:Три(off) | 2>1 2>3"},  // rename only
        {20, "Два?", 10, false, 0, "10:Один 20:Два? 0:(off) 30:Три(off) | 2>1 2>3 0>1"},  // rename + relation
        {40, "Четыре", 50, true, 5, "10:Один 20:Два? 0:(off) 30:Три(off) 40:Четыре 50:(off) | 2>1 2>3 0>1 5>4"},
        {-1, "минус", -1, true, 6, "10:Один 20:Два? 0:(off) 30:Три(off) 40:Четыре 50:(off) -1:минус | 2>1 2>3 0>1 5>4"},
    };
    MenuComboItems m;
    for (const Step& s : steps) {
        EXPECT_EQ(m.AddItem(s.id, s.text, s.parent, s.enabled), s.result) << s.id << " " << s.text;
        EXPECT_EQ(Describe(m), s.after) << s.id << " " << s.text;
    }
    EXPECT_TRUE(m.AddItemsRelation(50, 10));
    EXPECT_FALSE(m.AddItemsRelation(51, 10));
    EXPECT_FALSE(m.AddItemsRelation(50, 11));
    EXPECT_EQ(m.Relations().back().parent, 5);
    EXPECT_EQ(m.Relations().back().child, 0);
    m.Clear();
    EXPECT_EQ(Describe(m), "|");
}

// One line per menu: "c<number>" a command ("-" greyed), "s<menu>" a submenu entry, each with the item.
std::string Walk(const MenuComboItems& m) {
    const MenuComboMenus built = m.BuildMenus();
    std::string s;
    for (size_t i = 0; i < built.menus.size(); ++i) {
        s += std::to_string(i) + ":";
        for (const MenuComboEntry& e : built.menus[i]) {
            const std::string& text = m.Items()[static_cast<size_t>(e.item)].text;
            if (e.submenu >= 0)
                s += " s" + std::to_string(e.submenu) + "=" + text;
            else
                s += " c" + std::to_string(e.command) + (e.enabled ? "" : "-") + "=" + text;
        }
        s += "\n";
    }
    return s;
}

TEST(MenuComboItems, MenusNestByRelationsWithCommandsNumberedByPosition) {
    MenuComboItems m;
    m.AddItem(1, "Файл", 0, true);      // 0; the top level's placeholder at 1
    m.AddItem(2, "Новый", 1, true);     // 2
    m.AddItem(3, "Старый", 1, false);   // 3
    m.AddItem(4, "Сам по себе", -1, true);  // 4: nobody's child, top level
    m.AddItem(5, "Вложенный", 2, true);     // 5: makes "Новый" a submenu
    EXPECT_EQ(Walk(m),
              "0: s1=Файл c5=Сам по себе\n"
              "1: s2=Новый c4-=Старый\n"
              "2: c6=Вложенный\n");

    // An item under two parents appears in both; an item with identifier 0 and no parent is not shown.
    m.AddItemsRelation(0, 5);
    EXPECT_EQ(Walk(m),
              "0: s1=Файл c5=Сам по себе c6=Вложенный\n"
              "1: s2=Новый c4-=Старый\n"
              "2: c6=Вложенный\n");
}

TEST(MenuComboItems, ARelationCycleLeavesOutTheEntryThatWouldCloseIt) {
    MenuComboItems m;
    m.AddItem(1, "A", 0, true);
    m.AddItem(2, "B", 1, true);
    m.AddItemsRelation(2, 1);  // A in B and B in A
    m.AddItem(3, "C", 3, true);  // C in itself
    const std::string walked = Walk(m);
    EXPECT_EQ(walked,
              "0: s1=A\n"
              "1:\n"  // B would hold A, which holds B: left out here
              "2: s1=A\n"
              "3:\n");
}

}  // namespace
