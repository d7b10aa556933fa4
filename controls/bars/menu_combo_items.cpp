#include "controls/bars/menu_combo_items.h"

namespace zor {

int MenuComboItems::Find(int id) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].id == id) return static_cast<int>(i);
    return -1;
}

int MenuComboItems::AddItem(int id, const std::string& text, int parentId, bool enabled) {
    int pos = Find(id);
    if (pos >= 0) {
        m_items[static_cast<size_t>(pos)].text = text;
    } else {
        m_items.push_back({id, text, enabled});
        pos = static_cast<int>(m_items.size()) - 1;
    }
    if (parentId == -1) return Find(-1);
    int parent = Find(parentId);
    if (parent < 0) {
        m_items.push_back({parentId, std::string(), false});
        parent = static_cast<int>(m_items.size()) - 1;
    }
    m_relations.push_back({parent, pos});
    return parent;
}

bool MenuComboItems::AddItemsRelation(int parentId, int childId) {
    const int parent = Find(parentId), child = Find(childId);
    if (parent < 0 || child < 0) return false;
    m_relations.push_back({parent, child});
    return true;
}

void MenuComboItems::Clear() {
    m_relations.clear();
    m_items.clear();
}

namespace {

// Whether `target` can be reached from menu `from` through submenu entries (or is it).
bool Reaches(const MenuComboMenus& m, int from, int target) {
    if (from == target) return true;
    for (const MenuComboEntry& e : m.menus[static_cast<size_t>(from)])
        if (e.submenu >= 0 && Reaches(m, e.submenu, target)) return true;
    return false;
}

}  // namespace

MenuComboMenus MenuComboItems::BuildMenus() const {
    MenuComboMenus out;
    out.menus.emplace_back();
    std::vector<int> submenu(m_items.size(), -1);
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].id == 0) submenu[i] = 0;
    for (const MenuComboRelation& r : m_relations) {
        int& s = submenu[static_cast<size_t>(r.parent)];
        if (s < 0) {
            s = static_cast<int>(out.menus.size());
            out.menus.emplace_back();
        }
    }
    auto append = [&](int menu, size_t j) {
        const MenuComboItem& item = m_items[j];
        MenuComboEntry e{static_cast<int>(j), 0, submenu[j], true};
        if (e.submenu < 0) {
            e.command = static_cast<int>(j) + 1;
            e.enabled = item.enabled;
        } else if (Reaches(out, e.submenu, menu)) {
            return;
        }
        out.menus[static_cast<size_t>(menu)].push_back(e);
    };
    for (size_t j = 0; j < m_items.size(); ++j) {
        bool isChild = false;
        for (const MenuComboRelation& r : m_relations) {
            if (r.child != static_cast<int>(j)) continue;
            isChild = true;
            append(submenu[static_cast<size_t>(r.parent)], j);
        }
        if (!isChild && m_items[j].id != 0) append(0, j);
    }
    return out;
}

}  // namespace zor
