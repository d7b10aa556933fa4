#include "controls/menu/menu_handles.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace {

struct Item {
    UINT flags = 0;
    uintptr_t id = 0;  // command, or the popup's handle
    std::u16string text;
    uintptr_t data = 0;
    bool radio = false;
};

struct Menu {
    bool popup = false;
    std::vector<Item> items;
};

struct Table {
    uintptr_t next = 0x1000;
    std::unordered_map<uintptr_t, Menu> menus;
};

Table& Menus() {
    static Table table;
    return table;
}

Menu* Get(HMENU menu) {
    auto it = Menus().menus.find(MenuToId(menu));
    return it == Menus().menus.end() ? nullptr : &it->second;
}

HMENU Create(bool popup) {
    Table& t = Menus();
    // Handles step by 16 so that a stale handle is seldom taken for a new one.
    t.next += 16;
    t.menus[t.next].popup = popup;
    return MenuFromId(t.next);
}

// The menu that holds the item and its position there.
struct Found {
    Menu* menu = nullptr;
    size_t position = 0;
};

Found FindByCommand(Menu* menu, uintptr_t command, int depth = 0) {
    if (!menu || depth > 64) return {};
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const Item& item = menu->items[i];
        if (item.flags & MF_POPUP) {
            if (Found f = FindByCommand(Get(MenuFromId(item.id)), command, depth + 1); f.menu) return f;
            // A popup can also be named by its handle.
            if (item.id == command) return {menu, i};
        } else if (item.id == command) {
            return {menu, i};
        }
    }
    return {};
}

Found Find(HMENU handle, UINT item, UINT flags) {
    Menu* menu = Get(handle);
    if (!menu) return {};
    if (flags & MF_BYPOSITION) return item < menu->items.size() ? Found{menu, item} : Found{};
    return FindByCommand(menu, item);
}

Item* FindItem(HMENU handle, UINT item, UINT flags) {
    const Found f = Find(handle, item, flags);
    return f.menu ? &f.menu->items[f.position] : nullptr;
}

Item MakeItem(UINT flags, uintptr_t idOrPopup, const char16_t* text, uintptr_t data) {
    Item item;
    item.flags = flags & ~(MF_BYPOSITION | MF_END);
    item.id = idOrPopup;
    if (flags & MF_OWNERDRAW) item.data = data;
    else if (text && !(flags & MF_SEPARATOR)) item.text = text;
    return item;
}

bool ValidPopup(UINT flags, uintptr_t idOrPopup) { return !(flags & MF_POPUP) || Get(MenuFromId(idOrPopup)); }

}  // namespace

HMENU CreateMenu() { return Create(false); }
HMENU CreatePopupMenu() { return Create(true); }

BOOL DestroyMenu(HMENU handle) {
    Menu* menu = Get(handle);
    if (!menu) return FALSE;
    std::vector<Item> items = std::move(menu->items);
    Menus().menus.erase(MenuToId(handle));
    for (const Item& item : items)
        if (item.flags & MF_POPUP) DestroyMenu(MenuFromId(item.id));
    return TRUE;
}

bool IsMenuHandle(HMENU menu) { return Get(menu) != nullptr; }

int GetMenuItemCount(HMENU handle) {
    const Menu* menu = Get(handle);
    return menu ? static_cast<int>(menu->items.size()) : -1;
}

int GetMenuItemID(HMENU handle, int position) {
    const Menu* menu = Get(handle);
    if (!menu || position < 0 || static_cast<size_t>(position) >= menu->items.size()) return -1;
    const Item& item = menu->items[size_t(position)];
    if (item.flags & MF_POPUP) return -1;
    return static_cast<int>(item.id);
}

HMENU GetSubMenu(HMENU handle, int position) {
    const Menu* menu = Get(handle);
    if (!menu || position < 0 || static_cast<size_t>(position) >= menu->items.size()) return nullptr;
    const Item& item = menu->items[size_t(position)];
    return (item.flags & MF_POPUP) ? MenuFromId(item.id) : nullptr;
}

UINT GetMenuState(HMENU handle, UINT item, UINT flags) {
    const Item* found = FindItem(handle, item, flags);
    if (!found) return kMenuStateNotFound;
    UINT state = found->flags & ~(MF_BYPOSITION | MF_END);
    if (state & MF_POPUP) state = (state & 0xFF) | (UINT(GetMenuItemCount(MenuFromId(found->id))) << 8);
    return state;
}

UINT GetMenuItemFlags(HMENU handle, UINT item, UINT flags) {
    const Item* found = FindItem(handle, item, flags);
    return found ? found->flags : kMenuStateNotFound;
}

std::u16string GetMenuString(HMENU handle, UINT item, UINT flags) {
    const Item* found = FindItem(handle, item, flags);
    return found ? found->text : std::u16string();
}

uintptr_t GetMenuItemData(HMENU handle, UINT item, UINT flags) {
    const Item* found = FindItem(handle, item, flags);
    return found ? found->data : 0;
}

bool IsRadioItem(HMENU handle, UINT item, UINT flags) {
    const Item* found = FindItem(handle, item, flags);
    return found && found->radio;
}

BOOL AppendMenu(HMENU handle, UINT flags, uintptr_t idOrPopup, const char16_t* text, uintptr_t data) {
    Menu* menu = Get(handle);
    if (!menu || !ValidPopup(flags, idOrPopup)) return FALSE;
    menu->items.push_back(MakeItem(flags, idOrPopup, text, data));
    return TRUE;
}

BOOL InsertMenu(HMENU handle, UINT position, UINT flags, uintptr_t idOrPopup, const char16_t* text, uintptr_t data) {
    if (!ValidPopup(flags, idOrPopup)) return FALSE;
    Menu* menu = Get(handle);
    if (!menu) return FALSE;
    if (position == kMenuStateNotFound) return AppendMenu(handle, flags | MF_BYPOSITION, idOrPopup, text, data);
    Found where;
    if (flags & MF_BYPOSITION) where = {menu, std::min<size_t>(position, menu->items.size())};
    else where = FindByCommand(menu, position);
    if (!where.menu) return FALSE;
    where.menu->items.insert(where.menu->items.begin() + static_cast<std::ptrdiff_t>(where.position),
                             MakeItem(flags, idOrPopup, text, data));
    return TRUE;
}

BOOL ModifyMenu(HMENU handle, UINT item, UINT flags, uintptr_t idOrPopup, const char16_t* text, uintptr_t data) {
    Item* found = FindItem(handle, item, flags);
    if (!found || !ValidPopup(flags, idOrPopup)) return FALSE;
    // A popup replaced by something else is destroyed, as when it is deleted.
    const uintptr_t oldPopup = (found->flags & MF_POPUP) && found->id != idOrPopup ? found->id : 0;
    const bool radio = found->radio;
    *found = MakeItem(flags, idOrPopup, text, data);
    found->radio = radio;
    if (oldPopup) DestroyMenu(MenuFromId(oldPopup));
    return TRUE;
}

static BOOL Remove(HMENU handle, UINT item, UINT flags, bool destroy) {
    const Found f = Find(handle, item, flags);
    if (!f.menu) return FALSE;
    const Item removed = f.menu->items[f.position];
    f.menu->items.erase(f.menu->items.begin() + static_cast<std::ptrdiff_t>(f.position));
    if (destroy && (removed.flags & MF_POPUP)) DestroyMenu(MenuFromId(removed.id));
    return TRUE;
}

BOOL RemoveMenu(HMENU handle, UINT item, UINT flags) { return Remove(handle, item, flags, false); }
BOOL DeleteMenu(HMENU handle, UINT item, UINT flags) { return Remove(handle, item, flags, true); }

UINT EnableMenuItem(HMENU handle, UINT item, UINT flags) {
    Item* found = FindItem(handle, item, flags);
    if (!found) return kMenuStateNotFound;
    const UINT previous = found->flags & (MF_GRAYED | MF_DISABLED);
    found->flags = (found->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

UINT CheckMenuItem(HMENU handle, UINT item, UINT flags) {
    Item* found = FindItem(handle, item, flags);
    if (!found) return kMenuStateNotFound;
    const UINT previous = found->flags & MF_CHECKED;
    found->flags = (found->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    return previous;
}

BOOL CheckMenuRadioItem(HMENU handle, UINT first, UINT last, UINT check, UINT flags) {
    Menu* menu = Get(handle);
    if (!menu) return FALSE;
    bool done = false;
    if (flags & MF_BYPOSITION) {
        for (UINT p = first; p <= last && p < menu->items.size(); ++p) {
            Item& item = menu->items[p];
            item.radio = true;
            item.flags = (item.flags & ~MF_CHECKED) | (p == check ? MF_CHECKED : 0);
            done |= p == check;
        }
        return done;
    }
    // By command: the range is of commands, within the menu that holds the checked one.
    const Found f = FindByCommand(menu, check);
    if (!f.menu) return FALSE;
    for (Item& item : f.menu->items) {
        if ((item.flags & MF_POPUP) || item.id < first || item.id > last) continue;
        item.radio = true;
        item.flags = (item.flags & ~MF_CHECKED) | (item.id == check ? MF_CHECKED : 0);
    }
    return TRUE;
}

BOOL SetMenuDefaultItem(HMENU handle, UINT item, UINT byPosition) {
    Menu* menu = Get(handle);
    if (!menu) return FALSE;
    for (Item& i : menu->items) i.flags &= ~MF_DEFAULT;
    if (item == kMenuStateNotFound) return TRUE;
    Item* found = FindItem(handle, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
    if (!found) return FALSE;
    found->flags |= MF_DEFAULT;
    return TRUE;
}
