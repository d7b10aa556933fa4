#pragma once
// A menu object over a menu handle (menu_handles.h). An object that created or attached a handle is its
// permanent object until it detaches or destroys it; FromHandle gives that object, or a temporary one
// that the library keeps until the handle is gone (callers never delete it).
#include <string>

#include "controls/menu/menu_handles.h"

class QWidget;

class CMenu {
public:
    CMenu() = default;
    // Destroys the handle it still owns.
    virtual ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;
    HMENU GetSafeHmenu() const { return m_hMenu; }

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    BOOL Attach(HMENU menu);  // FALSE when this object already holds a handle or the handle is invalid
    HMENU Detach();
    virtual BOOL DestroyMenu();
    static CMenu* FromHandle(HMENU menu);
    // The permanent object of a handle, or null.
    static CMenu* FromHandlePermanent(HMENU menu);

    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    int GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
    UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(m_hMenu, item, flags); }
    std::u16string GetMenuString(UINT item, UINT flags) const { return ::GetMenuString(m_hMenu, item, flags); }
    CMenu* GetSubMenu(int position) const { return FromHandle(::GetSubMenu(m_hMenu, position)); }
    BOOL AppendMenu(UINT flags, uintptr_t idOrPopup, const char16_t* text = nullptr) {
        return ::AppendMenu(m_hMenu, flags, idOrPopup, text);
    }
    BOOL InsertMenu(UINT position, UINT flags, uintptr_t idOrPopup, const char16_t* text = nullptr) {
        return ::InsertMenu(m_hMenu, position, flags, idOrPopup, text);
    }
    BOOL ModifyMenu(UINT item, UINT flags, uintptr_t idOrPopup, const char16_t* text = nullptr) {
        return ::ModifyMenu(m_hMenu, item, flags, idOrPopup, text);
    }
    UINT EnableMenuItem(UINT item, UINT flags) { return ::EnableMenuItem(m_hMenu, item, flags); }
    UINT CheckMenuItem(UINT item, UINT flags) { return ::CheckMenuItem(m_hMenu, item, flags); }
    BOOL CheckMenuRadioItem(UINT first, UINT last, UINT check, UINT flags) {
        return ::CheckMenuRadioItem(m_hMenu, first, last, check, flags);
    }
    BOOL SetDefaultItem(UINT item, BOOL byPosition = FALSE) { return ::SetMenuDefaultItem(m_hMenu, item, byPosition); }

    // Shows this popup at the screen point and runs it until it closes (menu_widgets.cpp). With
    // TPM_RETURNCMD the chosen command is returned (0 when none); otherwise the command goes to the
    // window's command handler (CzorMenu::SetCommandHandler) and the result is TRUE when one was chosen.
    BOOL TrackPopupMenu(UINT flags, int x, int y, QWidget* wnd);

protected:
    void Forget();  // drops the permanent-object entry of the handle
};
