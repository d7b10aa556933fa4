#pragma once
// The items of the menu combo box and the relations that nest them, apart from the widget, and the
// menu they make: which items become commands, which open submenus and where each one goes.
#include <string>
#include <vector>

namespace zor {

struct MenuComboItem {
    int id = 0;  // 0 stands for the top level of the menu
    std::string text;
    bool enabled = true;
};

// A (parent position, child position) pair.
struct MenuComboRelation {
    int parent = 0, child = 0;
};

// One built (sub)menu: its entries in order. An entry is a command (number = item position + 1)
// or a submenu (the index of another built menu), shown with the item's text.
struct MenuComboEntry {
    int item = 0;     // the item's position
    int command = 0;  // 0 for a submenu entry
    int submenu = -1; // index into MenuComboMenus::menus, -1 for a command
    bool enabled = true;
};
struct MenuComboMenus {
    // menus[0] is the top level.
    std::vector<std::vector<MenuComboEntry>> menus;
};

class MenuComboItems {
public:
    // Renames the item with the identifier or appends a new one. Parent -1: the position of an item
    // with identifier -1 (normally none: -1). Otherwise a missing parent is appended as an empty,
    // disabled placeholder, the relation is recorded and the parent's position returned.
    int AddItem(int id, const std::string& text, int parentId, bool enabled);
    // False when either identifier has no item.
    bool AddItemsRelation(int parentId, int childId);
    void Clear();

    // The position of the first item with the identifier, -1 when none.
    int Find(int id) const;
    const std::vector<MenuComboItem>& Items() const { return m_items; }
    const std::vector<MenuComboRelation>& Relations() const { return m_relations; }

    // The menus: items with identifier 0 stand for the top level, every relation's parent opens a
    // submenu, and each item goes into the menu of each of its parents, or into the top level when it
    // is nobody's child and its identifier is not 0. An entry that would put a menu inside itself
    // (a relation cycle) is left out, since no menu can be opened that way.
    MenuComboMenus BuildMenus() const;

private:
    std::vector<MenuComboItem> m_items;
    std::vector<MenuComboRelation> m_relations;
};

}  // namespace zor
