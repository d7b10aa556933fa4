#pragma once
// The numbers and records of menus that our menu code and its callers share: item flags, popup tracking
// flags, draw and measure requests. The values are those menu resources and callers were written with.
#include <cstdint>

#include "platform/win/geometry.h"

using UINT = unsigned int;
using BOOL = int;
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// An opaque menu handle (menu_handles.h); never dereferenced.
struct MenuHandleTag;
using HMENU = MenuHandleTag*;

// Item flags.
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_MENUBARBREAK = 0x0020;
constexpr UINT MF_MENUBREAK = 0x0040;
constexpr UINT MF_END = 0x0080;
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_DEFAULT = 0x1000;
constexpr UINT MFT_RADIOCHECK = 0x0200;
constexpr UINT kMenuStateNotFound = 0xFFFFFFFFu;  // GetMenuState of an item that does not exist

// Popup tracking.
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

// The high word of an answer to a typed mnemonic.
constexpr UINT MNC_IGNORE = 0;
constexpr UINT MNC_CLOSE = 1;
constexpr UINT MNC_EXECUTE = 2;
constexpr UINT MNC_SELECT = 3;

// Owner-draw requests.
constexpr UINT ODT_MENU = 1;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_CHECKED = 0x0008;
constexpr UINT ODS_DEFAULT = 0x0020;

class CDC;
class QPainter;

struct MEASUREITEMSTRUCT {
    UINT CtlType = ODT_MENU;
    UINT itemID = 0;
    UINT itemWidth = 0;
    UINT itemHeight = 0;
    uintptr_t itemData = 0;  // the item's record
};
using LPMEASUREITEMSTRUCT = MEASUREITEMSTRUCT*;

struct DRAWITEMSTRUCT {
    UINT CtlType = ODT_MENU;
    UINT itemID = 0;
    UINT itemState = 0;      // ODS_ flags
    QPainter* painter = nullptr;  // where to draw, in the item's own pixel coordinates
    CRect rcItem;
    uintptr_t itemData = 0;  // the item's record
    bool radio = false;      // a radio item (its check is a dot)
    int bitsPerPixel = 24;   // of the display: 8 or less is a palette device, always drawn classic
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;
