#pragma once
// The menus themselves, kept by handle in one process-wide table: what a window system keeps for its
// menus and what `CMenu` and `CzorMenu` wrap. Each item has its flags, a command (or, for a popup, the
// popup's handle), a text (for items that are not owner-drawn) or a data word (for owner-drawn items).
//
// "By command" look-ups also search the popups below, depth-first; "by position" ones act on this menu.
// An invalid handle or position fails (false, -1, null or kMenuStateNotFound), never faults.
// On the user-interface thread only, as all menus.
#include <cstdint>
#include <string>

#include "controls/menu/menu_types.h"

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and every popup it holds.
BOOL DestroyMenu(HMENU menu);
bool IsMenuHandle(HMENU menu);

int GetMenuItemCount(HMENU menu);                 // -1 for an invalid handle
// The command at a position: 0 for a separator, -1 for a popup or no item.
int GetMenuItemID(HMENU menu, int position);
HMENU GetSubMenu(HMENU menu, int position);       // null when the item is no popup
// The item's flags (MF_ state and kind bits); kMenuStateNotFound when there is no such item.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
// The text of a plain item; empty for an owner-drawn item or none.
// The item's own flags as given (a popup's are not mixed with its item count as GetMenuState's are).
UINT GetMenuItemFlags(HMENU menu, UINT item, UINT flags);
std::u16string GetMenuString(HMENU menu, UINT item, UINT flags);
uintptr_t GetMenuItemData(HMENU menu, UINT item, UINT flags);
bool IsRadioItem(HMENU menu, UINT item, UINT flags);

// `idOrPopup` is the command, or the popup's handle (as an integer) with MF_POPUP. The text is kept for
// plain items, `data` for owner-drawn ones. Position -1 (0xFFFFFFFF) appends.
BOOL AppendMenu(HMENU menu, UINT flags, uintptr_t idOrPopup, const char16_t* text, uintptr_t data = 0);
BOOL InsertMenu(HMENU menu, UINT position, UINT flags, uintptr_t idOrPopup, const char16_t* text, uintptr_t data = 0);
BOOL ModifyMenu(HMENU menu, UINT item, UINT flags, uintptr_t idOrPopup, const char16_t* text, uintptr_t data = 0);
// RemoveMenu keeps a removed popup; DeleteMenu destroys it.
BOOL RemoveMenu(HMENU menu, UINT item, UINT flags);
BOOL DeleteMenu(HMENU menu, UINT item, UINT flags);

// Each returns the previous state (MF_GRAYED/MF_DISABLED, or MF_CHECKED), or kMenuStateNotFound.
UINT EnableMenuItem(HMENU menu, UINT item, UINT flags);
UINT CheckMenuItem(HMENU menu, UINT item, UINT flags);
// Makes the items of the range one group of radio items (shown as an exclusive group) with only `check`
// checked.
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition);

inline HMENU MenuFromId(uintptr_t value) { return reinterpret_cast<HMENU>(value); }
inline uintptr_t MenuToId(HMENU menu) { return reinterpret_cast<uintptr_t>(menu); }
