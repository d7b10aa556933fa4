// CzorMenu's settings, records, and the operations that add, change, find and remove items.
#include "controls/menu/zor_menu.h"

#include <algorithm>

#include "controls/menu/menu_effects.h"
#include "controls/menu/text16.h"
#include "controls/resources/module_resources.h"
#include "platform/gdi/sys_colors.h"
#include "platform/settings/organisation.h"

unsigned CzorMenu::original_drawmode = 1;
unsigned CzorMenu::xp_drawmode = 1;
int CzorMenu::original_select_disabled = 1;
int CzorMenu::xp_select_disabled = 1;
int CzorMenu::xp_draw_3D_bitmaps = 0;
int CzorMenu::xp_space_accelerators = 1;
int CzorMenu::original_space_accelerators = 1;
int CzorMenu::hicolor_bitmaps = 0;
int CzorMenu::m_iconX = 16;
int CzorMenu::m_iconY = 15;
CImageList CzorMenu::m_AllImages;
std::vector<int> CzorMenu::m_AllImagesID;
std::vector<HMENU> CzorMenu::m_AllSubMenus;

namespace {

constexpr char kXpMenuEntry[] = "XP_Menu";

// This platform stands for Windows XP with a themed look (see the header).
constexpr int kVersionClass = 7;

void EraseHandle(std::vector<HMENU>& list, HMENU menu) { std::erase(list, menu); }

}  // namespace

// --- Settings -----------------------------------------------------------------------------------------------

void CzorMenu::SetMenuDrawMode(UINT mode) { original_drawmode = xp_drawmode = mode; }
UINT CzorMenu::GetMenuDrawMode() { return IsWinXPLuna() ? xp_drawmode : original_drawmode; }
void CzorMenu::SetSelectDisableMode(BOOL select) { original_select_disabled = xp_select_disabled = select; }
BOOL CzorMenu::GetSelectDisableMode() { return IsLunaMenuStyle() ? xp_select_disabled : original_select_disabled; }
void CzorMenu::SetXPBitmap3D(BOOL on) { xp_draw_3D_bitmaps = on; }
BOOL CzorMenu::GetXPBitmap3D() { return xp_draw_3D_bitmaps; }

void CzorMenu::SetIconSize(int width, int height) {
    m_iconX = width;
    m_iconY = height;
}

BOOL CzorMenu::IsNewShell() { return kVersionClass > 1; }
BOOL CzorMenu::IsWinXPLuna() { return kVersionClass == 7 && !IsWindowsClassicTheme(); }
BOOL CzorMenu::IsLunaMenuStyle() { return GetMenuDrawMode() == 1; }
BOOL CzorMenu::IsWindowsClassicTheme() { return FALSE; }

void CzorMenu::SaveXpMode() { zor::WriteOrganisationInt(kXpMenuEntry, static_cast<int>(GetMenuDrawMode())); }

void CzorMenu::LoadXpMode() {
    int value = 0;
    if (zor::GetOrganisationInt(kXpMenuEntry, value)) SetMenuDrawMode(value ? 1 : 0);
}

BOOL CzorMenu::IsMenu(CMenu* menu) { return menu && IsMenu(menu->m_hMenu); }

BOOL CzorMenu::IsMenu(HMENU menu) {
    return menu && std::find(m_AllSubMenus.begin(), m_AllSubMenus.end(), menu) != m_AllSubMenus.end();
}

void CzorMenu::UpdateMenu(CMenu* popup) {
    if (CzorMenu* menu = dynamic_cast<CzorMenu*>(popup)) menu->SynchronizeMenu();
}

COLORREF CzorMenu::LightenColor(COLORREF colour, double factor) { return zor::menu::Lighten(colour, factor); }
COLORREF CzorMenu::DarkenColor(COLORREF colour, double factor) { return zor::menu::Darken(colour, factor); }

void CzorMenu::ResetGlobals() {
    m_AllImages = CImageList();
    m_AllImagesID.clear();
    m_AllSubMenus.clear();
    hicolor_bitmaps = 0;
}

// --- Life -------------------------------------------------------------------------------------------------

CzorMenu::CzorMenu() = default;

CzorMenu::~CzorMenu() {
    Uninstall();
    DestroyMenu();
}

BOOL CzorMenu::DestroyMenu() {
    EraseHandle(m_AllSubMenus, m_hMenu);
    for (HMENU sub : m_SubMenus) EraseHandle(m_AllSubMenus, sub);
    // Children first: their handles go with ours, and their records point into nothing of ours.
    m_ownedSubMenus.clear();
    m_SubMenus.clear();
    m_MenuList.clear();
    if (checkmaps && !checkmapsshare) delete checkmaps;
    checkmaps = nullptr;
    checkmapsshare = FALSE;
    m_loadedFromResource = false;
    return CMenu::DestroyMenu();
}

CzorMenu* CzorMenu::MenuOf(HMENU popup) { return dynamic_cast<CzorMenu*>(CMenu::FromHandlePermanent(popup)); }

void CzorMenu::ForgetSubMenu(HMENU popup) {
    EraseHandle(m_AllSubMenus, popup);
    EraseHandle(m_SubMenus, popup);
}

// --- Records ----------------------------------------------------------------------------------------------

CzorMenuData* CzorMenu::OwnRecord(uintptr_t data) const {
    for (const auto& r : m_MenuList)
        if (reinterpret_cast<uintptr_t>(r.get()) == data) return r.get();
    return nullptr;
}

CzorMenuData* CzorMenu::RecordAt(int position) {
    const UINT state = GetMenuState(UINT(position), MF_BYPOSITION);
    if (state == kMenuStateNotFound) return nullptr;
    const HMENU sub = ::GetSubMenu(m_hMenu, position);
    const uintptr_t command = sub ? MenuToId(sub) : uintptr_t(std::max(0, GetMenuItemID(position)));
    auto find = [&]() -> CzorMenuData* {
        if (CzorMenuData* own = OwnRecord(GetMenuItemData(m_hMenu, UINT(position), MF_BYPOSITION))) return own;
        // Top-level items of a loaded menu bar are plain items: their records go by position.
        const int index = position - GetMenuStart();
        if (index >= 0 && size_t(index) < m_MenuList.size() && m_MenuList[size_t(index)]->nCommand == command)
            return m_MenuList[size_t(index)].get();
        return nullptr;
    };
    if (CzorMenuData* found = find()) return found;
    // An item that other code put in: bringing the records in step gives it one.
    SynchronizeMenu();
    return find();
}

UINT CzorMenu::ItemFlags(UINT flags, uintptr_t id) {
    // A command of 0 is a separator whatever was asked for.
    if (id == 0) return MF_SEPARATOR | MF_OWNERDRAW | (flags & MF_BYPOSITION);
    return flags | MF_OWNERDRAW;
}

BOOL CzorMenu::AddItem(UINT position, const char16_t* text, UINT flags, uintptr_t id, const Picture& picture) {
    if (!m_hMenu) return FALSE;
    flags = ItemFlags(flags, id);
    const bool append = position == kMenuStateNotFound;
    const int count = GetMenuItemCount();
    if (!append && ((flags & MF_BYPOSITION) == 0 || position > UINT(count))) return FALSE;
    if ((flags & MF_POPUP) && !IsMenuHandle(MenuFromId(id))) return FALSE;

    auto record = std::make_unique<CzorMenuData>();
    record->SetWideString(text);
    record->nFlags = flags;
    record->nCommand = id;
    if (!(flags & (MF_POPUP | MF_SEPARATOR)) && picture) picture(record.get());
    CzorMenuData* raw = record.get();
    const BOOL done = append ? ::AppendMenu(m_hMenu, flags, id, text, reinterpret_cast<uintptr_t>(raw))
                             : ::InsertMenu(m_hMenu, position, flags | MF_BYPOSITION, id, text,
                                            reinterpret_cast<uintptr_t>(raw));
    if (!done) return FALSE;
    if (flags & MF_POPUP) {
        HMENU popup = MenuFromId(id);
        if (!IsMenu(popup)) m_AllSubMenus.push_back(popup);
        m_SubMenus.push_back(popup);
    }
    const size_t index = append ? m_MenuList.size() : std::min<size_t>(position - UINT(GetMenuStart()), m_MenuList.size());
    m_MenuList.insert(m_MenuList.begin() + static_cast<std::ptrdiff_t>(index), std::move(record));
    if (m_loadedFromResource) RemoveTopLevelOwnerDraw();
    return TRUE;
}

CzorMenu::Picture CzorMenu::ToolbarPicture(uintptr_t id, int bitmapId) {
    return [this, id, bitmapId](CzorMenuData* record) {
        int index = -1;
        zor::ToolbarResource toolbar;
        CImageList list;
        if (bitmapId >= 0 && LoadFromToolBar(UINT(id), UINT(bitmapId), index) &&
            zor::FindToolbarResource(bitmapId, toolbar) && list.Create(toolbar.imageWidth, toolbar.imageHeight) &&
            AddBitmapToImageList(&list, UINT(toolbar.bitmapId))) {
            record->global_offset = AddToGlobalImageList(&list, index, int(id));
            return;
        }
        record->global_offset = GlobalImageListOffset(int(id));
    };
}

CzorMenu::Picture CzorMenu::ListPicture(uintptr_t id, const CImageList* list, int index, bool own) {
    return [this, id, list, index, own](CzorMenuData* record) {
        record->bitmap.reset();
        record->xoffset = record->nID = -1;
        if (!list) {
            record->global_offset = own ? -1 : GlobalImageListOffset(int(id));
            return;
        }
        if (own) {
            // The record keeps a copy of the one picture.
            auto copy = std::make_unique<CImageList>();
            if (ImageListDuplicate(list, index, copy.get())) {
                record->bitmap = std::move(copy);
                record->xoffset = 0;
                record->nID = 0;
            }
            record->global_offset = -1;
            return;
        }
        record->global_offset = AddToGlobalImageList(list, index, int(id));
    };
}

CzorMenu::Picture CzorMenu::BitmapPicture(uintptr_t id, const QImage& bitmap) {
    return [this, id, bitmap](CzorMenuData* record) {
        CImageList list;
        list.Create(m_iconX, m_iconY);
        list.Add(bitmap, TransparentColour());
        record->global_offset = AddToGlobalImageList(&list, 0, int(id));
    };
}

// --- Adding ------------------------------------------------------------------------------------------------

BOOL CzorMenu::AppendODMenuA(const char* text, UINT flags, UINT id, int bitmapId) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return AppendODMenuW(text ? wide.c_str() : nullptr, flags, id, bitmapId);
}

BOOL CzorMenu::AppendODMenuW(const char16_t* text, UINT flags, uintptr_t id, int bitmapId) {
    return AddItem(kMenuStateNotFound, text, flags, id, ToolbarPicture(id, bitmapId));
}

BOOL CzorMenu::AppendODMenuA(const char* text, UINT flags, UINT id, const CImageList* list, int index) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return AppendODMenuW(text ? wide.c_str() : nullptr, flags, id, list, index);
}

BOOL CzorMenu::AppendODMenuW(const char16_t* text, UINT flags, uintptr_t id, const CImageList* list, int index) {
    return AddItem(kMenuStateNotFound, text, flags, id, ListPicture(id, list, index, true));
}

BOOL CzorMenu::InsertODMenuA(UINT position, const char* text, UINT flags, UINT id, int bitmapId) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return InsertODMenuW(position, text ? wide.c_str() : nullptr, flags, id, bitmapId);
}

BOOL CzorMenu::InsertODMenuW(UINT position, const char16_t* text, UINT flags, uintptr_t id, int bitmapId) {
    if (!(flags & MF_BYPOSITION) && position != kMenuStateNotFound) {
        int at = -1;
        CzorMenu* holder = FindMenuOption(int(position), at);
        return holder ? holder->InsertODMenuW(UINT(at), text, flags | MF_BYPOSITION, id, bitmapId) : FALSE;
    }
    return AddItem(position, text, flags | MF_BYPOSITION, id, ToolbarPicture(id, bitmapId));
}

BOOL CzorMenu::InsertODMenuA(UINT position, const char* text, UINT flags, UINT id, const CImageList* list, int index) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return InsertODMenuW(position, text ? wide.c_str() : nullptr, flags, id, list, index);
}

BOOL CzorMenu::InsertODMenuW(UINT position, const char16_t* text, UINT flags, uintptr_t id, const CImageList* list, int index) {
    if (!(flags & MF_BYPOSITION) && position != kMenuStateNotFound) {
        int at = -1;
        CzorMenu* holder = FindMenuOption(int(position), at);
        return holder ? holder->InsertODMenuW(UINT(at), text, flags | MF_BYPOSITION, id, list, index) : FALSE;
    }
    return AddItem(position, text, flags | MF_BYPOSITION, id, ListPicture(id, list, index, true));
}

BOOL CzorMenu::AppendMenuA(UINT flags, UINT id, const char* text, int bitmapId) { return AppendODMenuA(text, flags, id, bitmapId); }
BOOL CzorMenu::AppendMenuW(UINT flags, uintptr_t id, const char16_t* text, int bitmapId) { return AppendODMenuW(text, flags, id, bitmapId); }
BOOL CzorMenu::AppendMenuA(UINT flags, UINT id, const char* text, const CImageList* list, int index) {
    return AppendODMenuA(text, flags, id, list, index);
}
BOOL CzorMenu::AppendMenuW(UINT flags, uintptr_t id, const char16_t* text, const CImageList* list, int index) {
    return AppendODMenuW(text, flags, id, list, index);
}
BOOL CzorMenu::InsertMenuA(UINT position, UINT flags, UINT id, const char* text, int bitmapId) {
    return InsertODMenuA(position, text, flags, id, bitmapId);
}
BOOL CzorMenu::InsertMenuW(UINT position, UINT flags, uintptr_t id, const char16_t* text, int bitmapId) {
    return InsertODMenuW(position, text, flags, id, bitmapId);
}
BOOL CzorMenu::InsertMenuA(UINT position, UINT flags, UINT id, const char* text, const CImageList* list, int index) {
    return InsertODMenuA(position, text, flags, id, list, index);
}
BOOL CzorMenu::InsertMenuW(UINT position, UINT flags, uintptr_t id, const char16_t* text, const CImageList* list, int index) {
    return InsertODMenuW(position, text, flags, id, list, index);
}

// The bitmap forms go through a one-picture list of the icon size, masked with the transparent colour.
BOOL CzorMenu::AppendMenuA(UINT flags, UINT id, const char* text, const QImage& bitmap) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return AppendMenuW(flags, id, text ? wide.c_str() : nullptr, bitmap);
}
BOOL CzorMenu::AppendMenuW(UINT flags, uintptr_t id, const char16_t* text, const QImage& bitmap) {
    CImageList list;
    list.Create(m_iconX, m_iconY);
    list.Add(bitmap, TransparentColour());
    return AppendODMenuW(text, flags, id, &list, 0);
}
BOOL CzorMenu::InsertMenuA(UINT position, UINT flags, UINT id, const char* text, const QImage& bitmap) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return InsertMenuW(position, flags, id, text ? wide.c_str() : nullptr, bitmap);
}
BOOL CzorMenu::InsertMenuW(UINT position, UINT flags, uintptr_t id, const char16_t* text, const QImage& bitmap) {
    CImageList list;
    list.Create(m_iconX, m_iconY);
    list.Add(bitmap, TransparentColour());
    return InsertODMenuW(position, text, flags, id, &list, 0);
}

CzorMenu* CzorMenu::AppendODPopupMenuA(const char* text) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return AppendODPopupMenuW(text ? wide.c_str() : nullptr);
}

CzorMenu* CzorMenu::AppendODPopupMenuW(const char16_t* text) {
    auto popup = std::make_unique<CzorMenu>();
    if (!popup->CreatePopupMenu()) return nullptr;
    if (!AppendODMenuW(text, MF_POPUP | MF_OWNERDRAW, MenuToId(popup->m_hMenu), -1)) return nullptr;
    m_ownedSubMenus.push_back(std::move(popup));
    return m_ownedSubMenus.back().get();
}

// --- Changing ---------------------------------------------------------------------------------------------

BOOL CzorMenu::ModifyRecords(const char16_t* text, UINT id, const Picture& picture) {
    // Every item with the command, in this menu and in the popups below (a command may be in several).
    std::vector<std::pair<CzorMenu*, int>> items;
    std::function<void(CzorMenu*, int)> collect = [&](CzorMenu* menu, int depth) {
        if (!menu || depth > kMaxMenuDepth) return;
        for (int i = 0; i < menu->GetMenuItemCount(); ++i) {
            if (HMENU sub = ::GetSubMenu(menu->m_hMenu, i)) collect(MenuOf(sub), depth + 1);
            else if (menu->GetMenuItemID(i) == int(id) && id != 0) items.emplace_back(menu, i);
        }
    };
    collect(this, 0);
    if (items.empty()) return FALSE;
    BOOL result = TRUE;
    for (auto [menu, position] : items) {
        CzorMenuData* record = menu->RecordAt(position);
        if (!record) continue;
        if (text) record->SetWideString(text);
        if (picture) picture(record);
        const UINT state = menu->GetMenuState(UINT(position), MF_BYPOSITION);
        record->nFlags = ((record->nFlags | MF_OWNERDRAW) & ~(MF_BYPOSITION | MF_GRAYED | MF_DISABLED | MF_CHECKED)) |
                         (state & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
        result &= ::ModifyMenu(menu->m_hMenu, UINT(position), record->nFlags | MF_BYPOSITION, id, nullptr,
                               reinterpret_cast<uintptr_t>(record));
    }
    return result;
}

BOOL CzorMenu::ModifyODMenuA(const char* text, UINT id, int bitmapId) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return ModifyODMenuW(text ? wide.c_str() : nullptr, id, bitmapId);
}
BOOL CzorMenu::ModifyODMenuW(const char16_t* text, UINT id, int bitmapId) {
    return ModifyRecords(text, id, ToolbarPicture(id, bitmapId));
}
BOOL CzorMenu::ModifyODMenuA(const char* text, UINT id, const CImageList* list, int index) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return ModifyODMenuW(text ? wide.c_str() : nullptr, id, list, index);
}
BOOL CzorMenu::ModifyODMenuW(const char16_t* text, UINT id, const CImageList* list, int index) {
    return ModifyRecords(text, id, ListPicture(id, list, index, false));
}
BOOL CzorMenu::ModifyODMenuA(const char* text, UINT id, const QImage& bitmap) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return ModifyODMenuW(text ? wide.c_str() : nullptr, id, bitmap);
}
BOOL CzorMenu::ModifyODMenuW(const char16_t* text, UINT id, const QImage& bitmap) {
    return ModifyRecords(text, id, BitmapPicture(id, bitmap));
}
BOOL CzorMenu::ModifyODMenuA(const char* text, UINT id, COLORREF fill, COLORREF border, int hatchStyle, const CSize* size) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return ModifyODMenuW(text ? wide.c_str() : nullptr, id, fill, border, hatchStyle, size);
}
BOOL CzorMenu::ModifyODMenuW(const char16_t* text, UINT id, COLORREF fill, COLORREF border, int hatchStyle, const CSize* size) {
    const CSize swatch = size ? *size : CSize(m_iconX, m_iconY);
    const QImage bitmap = zor::menu::ColorBitmap(CSize(m_iconX, m_iconY), swatch, fill, border, hatchStyle,
                                                 ::GetSysColor(COLOR_MENU));
    return ModifyRecords(text, id, BitmapPicture(id, bitmap));
}

BOOL CzorMenu::ModifyODMenuA(const char* text, const char* optionText, int bitmapId) {
    if (!optionText) return FALSE;
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    const std::u16string option = zor::ToUtf16(optionText);
    return ModifyODMenuW(text ? wide.c_str() : nullptr, option.c_str(), bitmapId);
}

BOOL CzorMenu::ModifyODMenuW(const char16_t* text, const char16_t* optionText, int bitmapId) {
    CzorMenuData* record = FindRecordByText(optionText, 0);
    if (!record) return FALSE;
    if (text) record->SetWideString(text);
    if (bitmapId >= 0) {
        auto list = std::make_unique<CImageList>();
        list->Create(m_iconX, m_iconY);
        if (AddBitmapToImageList(list.get(), UINT(bitmapId))) {
            record->bitmap = std::move(list);
            record->xoffset = 0;
            record->nID = bitmapId;
        } else {
            record->bitmap.reset();
            record->xoffset = record->nID = -1;
        }
    }
    return TRUE;
}

BOOL CzorMenu::SetMenuText(UINT id, const std::string& text, UINT flags) {
    if (!(flags & MF_BYPOSITION)) {
        int position = -1;
        CzorMenu* holder = FindMenuOption(int(id), position);
        return holder ? holder->SetMenuText(UINT(position), text, MF_BYPOSITION) : FALSE;
    }
    if (id >= m_MenuList.size()) return FALSE;
    m_MenuList[id]->SetString(text.c_str());
    return TRUE;
}

BOOL CzorMenu::GetMenuText(UINT id, std::string& text, UINT flags) {
    if (!(flags & MF_BYPOSITION)) {
        int position = -1;
        CzorMenu* holder = FindMenuOption(int(id), position);
        return holder ? holder->GetMenuText(UINT(position), text, MF_BYPOSITION) : FALSE;
    }
    if (id >= m_MenuList.size()) return FALSE;
    text = m_MenuList[id]->GetString();
    return TRUE;
}

// --- Finding -------------------------------------------------------------------------------------------------

CzorMenu* CzorMenu::FindMenuOption(int id, int& position) { return FindMenuOption(id, position, 0); }

CzorMenu* CzorMenu::FindMenuOption(int id, int& position, int depth) {
    position = -1;
    if (depth > kMaxMenuDepth) return nullptr;
    for (int i = 0; i < GetMenuItemCount(); ++i) {
        if (HMENU sub = ::GetSubMenu(m_hMenu, i)) {
            if (CzorMenu* popup = MenuOf(sub))
                if (CzorMenu* found = popup->FindMenuOption(id, position, depth + 1)) return found;
        } else if (GetMenuItemID(i) == id) {
            position = i;
            return this;
        }
    }
    position = -1;
    return nullptr;
}

CzorMenuData* CzorMenu::FindMenuOption(const char16_t* text) { return FindRecordByText(text, 0); }

CzorMenuData* CzorMenu::FindRecordByText(const char16_t* text, int depth) {
    if (!text || depth > kMaxMenuDepth) return nullptr;
    for (int i = 0; i < GetMenuItemCount(); ++i) {
        if (HMENU sub = ::GetSubMenu(m_hMenu, i))
            if (CzorMenu* popup = MenuOf(sub))
                if (CzorMenuData* found = popup->FindRecordByText(text, depth + 1)) return found;
        CzorMenuData* record = OwnRecord(GetMenuItemData(m_hMenu, UINT(i), MF_BYPOSITION));
        if (record && record->HasText() && record->GetWideString() == text) return record;
    }
    // Records of top-level items of a loaded menu bar are not the items' data.
    for (const auto& record : m_MenuList)
        if (record->HasText() && record->GetWideString() == text) return record.get();
    return nullptr;
}

CzorMenuData* CzorMenu::FindMenuItem(UINT id) {
    int position = -1;
    CzorMenu* holder = FindMenuOption(int(id), position);
    return holder ? holder->RecordAt(position) : nullptr;
}

CMenu* CzorMenu::GetSubMenu(int position) { return CMenu::GetSubMenu(position); }

CMenu* CzorMenu::GetSubMenu(const char* text) {
    if (!text) return nullptr;
    const std::u16string wide = zor::ToUtf16(text);
    for (int i = 0; i < GetMenuItemCount(); ++i)
        if (::GetSubMenu(m_hMenu, i) && GetMenuString(UINT(i), MF_BYPOSITION) == wide) return CMenu::GetSubMenu(i);
    return nullptr;
}

CzorMenu* CzorMenu::GetSubCzorMenu(const char* text) {
    if (!text) return nullptr;
    const std::u16string wide = zor::ToUtf16(text);
    return GetSubCzorMenu(wide.c_str());
}

CzorMenu* CzorMenu::GetSubCzorMenu(const char16_t* text) {
    if (!text) return nullptr;
    for (const auto& record : m_MenuList)
        if ((record->nFlags & MF_POPUP) && record->GetWideString() == text) return MenuOf(MenuFromId(record->nCommand));
    return nullptr;
}

int CzorMenu::GetMenuPosition(const char* text) {
    if (!text) return -1;
    const std::u16string wide = zor::ToUtf16(text);
    return GetMenuPosition(wide.c_str());
}

int CzorMenu::GetMenuPosition(const char16_t* text) {
    if (!text) return -1;
    const int count = GetMenuItemCount();
    bool plain = false;
    for (int i = 0; i < count; ++i) plain |= ::GetSubMenu(m_hMenu, i) == nullptr;
    if (!plain) return -1;
    for (int i = 0; i < count; ++i)
        if (CzorMenuData* record = RecordAt(i); record && record->GetWideString() == text) return i;
    return -1;
}

// --- Removing -------------------------------------------------------------------------------------------

BOOL CzorMenu::RemoveMenu(UINT id, UINT flags) { return RemoveOrDelete(id, flags, false); }
BOOL CzorMenu::DeleteMenu(UINT id, UINT flags) { return RemoveOrDelete(id, flags, true); }

BOOL CzorMenu::RemoveOrDelete(UINT id, UINT flags, bool destroy) {
    if (!(flags & MF_BYPOSITION)) {
        int position = -1;
        CzorMenu* holder = FindMenuOption(int(id), position);
        return holder ? holder->RemoveOrDelete(UINT(position), MF_BYPOSITION, destroy) : FALSE;
    }
    const UINT position = id;
    if (GetMenuState(position, MF_BYPOSITION) == kMenuStateNotFound) return FALSE;
    CzorMenuData* record = OwnRecord(GetMenuItemData(m_hMenu, position, MF_BYPOSITION));
    if (!record && position < m_MenuList.size() && m_MenuList[position]->nCommand == uintptr_t(GetMenuItemID(int(position))))
        record = m_MenuList[position].get();
    if (HMENU popup = ::GetSubMenu(m_hMenu, int(position))) {
        ForgetSubMenu(popup);
        for (auto it = m_MenuList.begin(); it != m_MenuList.end(); ++it)
            if ((*it)->nCommand == MenuToId(popup)) {
                record = it->get();
                break;
            }
        if (CzorMenu* sub = MenuOf(popup)) {
            while (sub->GetMenuItemCount() > 0) sub->RemoveOrDelete(0, MF_BYPOSITION, destroy);
            // A popup that we made goes; one of another owner is only let go.
            auto owned = std::find_if(m_ownedSubMenus.begin(), m_ownedSubMenus.end(),
                                      [&](const auto& p) { return p.get() == sub; });
            if (owned != m_ownedSubMenus.end()) {
                if (!destroy) (*owned)->Detach();  // a removed popup keeps its handle
                m_ownedSubMenus.erase(owned);
            }
        }
    }
    if (record)
        std::erase_if(m_MenuList, [&](const auto& r) { return r.get() == record; });
    return destroy ? ::DeleteMenu(m_hMenu, position, MF_BYPOSITION) : ::RemoveMenu(m_hMenu, position, MF_BYPOSITION);
}

int CzorMenu::RemoveMenu(const char* text, KM_Seperator kind) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return text ? RemoveOrDeleteByText(wide.c_str(), kind, false) : -1;
}
int CzorMenu::RemoveMenu(const char16_t* text, KM_Seperator kind) { return RemoveOrDeleteByText(text, kind, false); }
int CzorMenu::DeleteMenu(const char* text, KM_Seperator kind) {
    const std::u16string wide = text ? zor::ToUtf16(text) : std::u16string();
    return text ? RemoveOrDeleteByText(wide.c_str(), kind, true) : -1;
}
int CzorMenu::DeleteMenu(const char16_t* text, KM_Seperator kind) { return RemoveOrDeleteByText(text, kind, true); }

int CzorMenu::RemoveOrDeleteByText(const char16_t* text, KM_Seperator kind, bool destroy) {
    const int position = GetMenuPosition(text);
    if (position < 0) return -1;
    RemoveOrDelete(UINT(position), MF_BYPOSITION, destroy);
    // The items before it, as far as there are any.
    const int before = kind == kBothSeparator ? 2 : (kind == kHeadSeparator || kind == kTailSeparator) ? 1 : 0;
    for (int k = 1; k <= before && position - k >= 0; ++k) RemoveOrDelete(UINT(position - k), MF_BYPOSITION, destroy);
    return position;
}

// --- Keeping records in step -------------------------------------------------------------------------------

void CzorMenu::SynchronizeMenu() {
    if (!m_hMenu) return;
    for (auto& r : m_MenuList) r->syncflag = false;
    auto take = [&](auto match) -> std::unique_ptr<CzorMenuData>* {
        for (auto& r : m_MenuList)
            if (r && !r->syncflag && match(*r)) {
                r->syncflag = true;
                return &r;
            }
        return nullptr;
    };
    std::vector<std::unique_ptr<CzorMenuData>> ordered;
    const int count = GetMenuItemCount();
    for (int i = 0; i < count; ++i) {
        const UINT state = GetMenuState(UINT(i), MF_BYPOSITION);
        const HMENU sub = ::GetSubMenu(m_hMenu, i);
        const uintptr_t command = sub ? MenuToId(sub) : uintptr_t(std::max(0, GetMenuItemID(i)));
        const bool separator = !sub && ((state & MF_SEPARATOR) || command == 0);
        // Texts of items that are not owner-drawn come from the menu (other code put them there).
        const std::u16string systemText = GetMenuString(UINT(i), MF_BYPOSITION);
        const bool drawn = GetMenuItemFlags(m_hMenu, UINT(i), MF_BYPOSITION) & MF_OWNERDRAW;
        std::unique_ptr<CzorMenuData>* slot = nullptr;
        if (CzorMenuData* own = OwnRecord(GetMenuItemData(m_hMenu, UINT(i), MF_BYPOSITION)); own && !own->syncflag) {
            slot = take([&](const CzorMenuData& r) { return &r == own; });
        }
        if (!slot) {
            slot = take([&](const CzorMenuData& r) {
                return separator ? r.nCommand == 0 && (r.nFlags & MF_SEPARATOR) : r.nCommand == command;
            });
        }
        std::unique_ptr<CzorMenuData> record;
        if (slot) {
            record = std::move(*slot);
        } else {
            record = std::make_unique<CzorMenuData>();
            record->nCommand = command;
            record->syncflag = true;
        }
        if (!drawn && !separator) record->SetWideString(systemText);
        const UINT kept = state & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT | MF_MENUBREAK | MF_MENUBARBREAK);
        record->nFlags = sub ? MF_BYPOSITION | MF_OWNERDRAW | MF_POPUP | kept
                             : separator ? MF_BYPOSITION | MF_OWNERDRAW | MF_SEPARATOR
                                         : kept | MF_BYPOSITION | MF_OWNERDRAW;
        ::ModifyMenu(m_hMenu, UINT(i), record->nFlags, command, nullptr, reinterpret_cast<uintptr_t>(record.get()));
        ordered.push_back(std::move(record));
    }
    // Records left without a mark have no item any more.
    m_MenuList = std::move(ordered);
    if (m_loadedFromResource) RemoveTopLevelOwnerDraw();
}

UINT CzorMenu::FindKeyboardShortcut(UINT ch, UINT flags, CMenu* popup) {
    if (!popup || !(flags & MF_POPUP)) return 0;
    CzorMenu* menu = dynamic_cast<CzorMenu*>(popup);
    if (!menu) menu = MenuOf(popup->m_hMenu);
    if (!menu) return 0;
    const std::u16string key = zor::LowerUtf16(std::u16string{u'&', static_cast<char16_t>(ch)});
    if (size_t(menu->GetMenuItemCount()) != menu->m_MenuList.size()) menu->SynchronizeMenu();
    for (int i = 0; i < menu->GetMenuItemCount(); ++i) {
        const CzorMenuData* record = menu->OwnRecord(GetMenuItemData(menu->m_hMenu, UINT(i), MF_BYPOSITION));
        if (!record && size_t(i) < menu->m_MenuList.size()) record = menu->m_MenuList[size_t(i)].get();
        if (record && zor::LowerUtf16(record->GetWideString()).find(key) != std::u16string::npos)
            return UINT(i) | (MNC_EXECUTE << 16);
    }
    return 0;
}
