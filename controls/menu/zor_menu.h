#pragma once
// CzorMenu: the menu of every window of the system. Its popup items are owner-drawn with an icon taken
// from toolbar bitmaps, a text and a right-aligned accelerator, in the classic raised look (draw mode 0)
// or the flat XP look (draw mode 1).
//
// The menu is a model over menu handles (menu_handles.h) with one record (CzorMenuData) per item; it is
// shown through Qt widgets (menu_widgets.cpp): a QMenuBar for a frame, QMenus for popups, each action
// carrying its command and measured and drawn through MeasureItem and DrawItem (menu_popup.h).
//
// Texts: the A operations take UTF-8, the W operations UTF-16; records keep UTF-16.
// Fixed inputs of this platform: the system counts as Windows XP with a themed look, so the XP draw
// mode setting (xp_drawmode) is the one in force and SetMenuDrawMode/LoadXpMode decide the look; a display
// of 8 bits per pixel or less counts as a palette device and is always drawn in the classic look.
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <QImage>

#include "controls/menu/cmenu.h"
#include "controls/menu/menu_data.h"
#include "controls/resources/imagelist.h"
#include "platform/win/gdi_types.h"

class QMainWindow;
class QWidget;

// Popups nest at most this deep in every walk of a menu (a handle put inside itself ends there).
constexpr int kMaxMenuDepth = 32;

// How many items before a removed one go too (RemoveMenu/DeleteMenu by text).
enum KM_Seperator { kNoneSeparator = 0, kHeadSeparator = 1, kTailSeparator = 2, kBothSeparator = 3 };

class CzorMenu : public CMenu {
public:
    CzorMenu();
    ~CzorMenu() override;

    // --- Process-wide settings ---------------------------------------------------------------------
    static unsigned original_drawmode;
    static unsigned xp_drawmode;
    static int original_select_disabled;
    static int xp_select_disabled;
    static int xp_draw_3D_bitmaps;
    static int xp_space_accelerators;
    static int original_space_accelerators;
    static int hicolor_bitmaps;
    static int m_iconX;
    static int m_iconY;
    static CImageList m_AllImages;
    static std::vector<int> m_AllImagesID;
    static std::vector<HMENU> m_AllSubMenus;

    static void SetMenuDrawMode(UINT mode);
    static UINT GetMenuDrawMode();
    static void SetSelectDisableMode(BOOL select);
    static BOOL GetSelectDisableMode();
    static void SetXPBitmap3D(BOOL on);
    static BOOL GetXPBitmap3D();
    static void SetIconSize(int width, int height);
    static BOOL IsNewShell();
    static BOOL IsWinXPLuna();
    static BOOL IsLunaMenuStyle();
    static BOOL IsWindowsClassicTheme();
    // "XP_Menu" in the organisation's settings.
    static void SaveXpMode();
    static void LoadXpMode();
    static BOOL IsMenu(CMenu* menu);
    static BOOL IsMenu(HMENU menu);
    static void UpdateMenu(CMenu* popup);
    // The answer to a typed character: position in the low word, MNC_EXECUTE in the high word; 0 for
    // the system to decide (no popup, a menu bar, or no item marks the character).
    static UINT FindKeyboardShortcut(UINT ch, UINT flags, CMenu* popup);
    static COLORREF LightenColor(COLORREF colour, double factor);
    static COLORREF DarkenColor(COLORREF colour, double factor);
    // A 16-colour bitmap resource with its greys, black and white turned into the system colours; a null
    // image for any other bitmap.
    static QImage LoadSysColorBitmap(int id);
    // The colours a bitmap uses: its table's size for an indexed image (2, 16 or 256), else 0.
    static int NumBitmapColors(const QImage& bitmap);
    // Frees the global image list and forgets every popup (for tests that start from a clean process).
    static void ResetGlobals();

    // --- Life --------------------------------------------------------------------------------------------
    BOOL DestroyMenu() override;
    // Hands the handle to the frame, whose menu bar it becomes; this object no longer owns it. Commands
    // chosen in the bar go to `onCommand`.
    BOOL AttachToFrame(QMainWindow* frame, std::function<void(UINT)> onCommand = {});

    // --- Adding and changing items --------------------------------------------------------------------
    BOOL AppendODMenuA(const char* text, UINT flags = MF_OWNERDRAW, UINT id = 0, int bitmapId = -1);
    BOOL AppendODMenuW(const char16_t* text, UINT flags = MF_OWNERDRAW, uintptr_t id = 0, int bitmapId = -1);
    BOOL AppendODMenuA(const char* text, UINT flags, UINT id, const CImageList* list, int index);
    BOOL AppendODMenuW(const char16_t* text, UINT flags, uintptr_t id, const CImageList* list, int index);
    BOOL InsertODMenuA(UINT position, const char* text, UINT flags = MF_OWNERDRAW, UINT id = 0, int bitmapId = -1);
    BOOL InsertODMenuW(UINT position, const char16_t* text, UINT flags = MF_OWNERDRAW, uintptr_t id = 0, int bitmapId = -1);
    BOOL InsertODMenuA(UINT position, const char* text, UINT flags, UINT id, const CImageList* list, int index);
    BOOL InsertODMenuW(UINT position, const char16_t* text, UINT flags, uintptr_t id, const CImageList* list, int index);
    BOOL ModifyODMenuA(const char* text, UINT id, int bitmapId = -1);
    BOOL ModifyODMenuW(const char16_t* text, UINT id, int bitmapId = -1);
    BOOL ModifyODMenuA(const char* text, UINT id, const CImageList* list, int index);
    BOOL ModifyODMenuW(const char16_t* text, UINT id, const CImageList* list, int index);
    BOOL ModifyODMenuA(const char* text, UINT id, const QImage& bitmap);
    BOOL ModifyODMenuW(const char16_t* text, UINT id, const QImage& bitmap);
    // A colour swatch (hatchStyle -1: solid; 0 to 5: the hatch styles) of `size` (default: icon size).
    BOOL ModifyODMenuA(const char* text, UINT id, COLORREF fill, COLORREF border, int hatchStyle = -1, const CSize* size = nullptr);
    BOOL ModifyODMenuW(const char16_t* text, UINT id, COLORREF fill, COLORREF border, int hatchStyle = -1, const CSize* size = nullptr);
    BOOL ModifyODMenuA(const char* text, const char* optionText, int bitmapId);
    BOOL ModifyODMenuW(const char16_t* text, const char16_t* optionText, int bitmapId);
    BOOL AppendMenuA(UINT flags, UINT id = 0, const char* text = nullptr, int bitmapId = -1);
    BOOL AppendMenuW(UINT flags, uintptr_t id = 0, const char16_t* text = nullptr, int bitmapId = -1);
    BOOL AppendMenuA(UINT flags, UINT id, const char* text, const CImageList* list, int index);
    BOOL AppendMenuW(UINT flags, uintptr_t id, const char16_t* text, const CImageList* list, int index);
    BOOL AppendMenuA(UINT flags, UINT id, const char* text, const QImage& bitmap);
    BOOL AppendMenuW(UINT flags, uintptr_t id, const char16_t* text, const QImage& bitmap);
    BOOL InsertMenuA(UINT position, UINT flags, UINT id = 0, const char* text = nullptr, int bitmapId = -1);
    BOOL InsertMenuW(UINT position, UINT flags, uintptr_t id = 0, const char16_t* text = nullptr, int bitmapId = -1);
    BOOL InsertMenuA(UINT position, UINT flags, UINT id, const char* text, const CImageList* list, int index);
    BOOL InsertMenuW(UINT position, UINT flags, uintptr_t id, const char16_t* text, const CImageList* list, int index);
    BOOL InsertMenuA(UINT position, UINT flags, UINT id, const char* text, const QImage& bitmap);
    BOOL InsertMenuW(UINT position, UINT flags, uintptr_t id, const char16_t* text, const QImage& bitmap);
    CzorMenu* AppendODPopupMenuA(const char* text);
    CzorMenu* AppendODPopupMenuW(const char16_t* text);
    // UTF-8 texts of records; FALSE out of range or when no item has the command.
    BOOL SetMenuText(UINT id, const std::string& text, UINT flags = MF_BYPOSITION);
    BOOL GetMenuText(UINT id, std::string& text, UINT flags = MF_BYPOSITION);

    // --- Finding ------------------------------------------------------------------------------------------
    CzorMenu* FindMenuOption(int id, int& position);
    CzorMenuData* FindMenuOption(const char16_t* text);
    CzorMenuData* FindMenuItem(UINT id);
    CMenu* GetSubMenu(int position);
    CMenu* GetSubMenu(const char* text);
    CzorMenu* GetSubCzorMenu(const char* text);
    CzorMenu* GetSubCzorMenu(const char16_t* text);
    int GetMenuPosition(const char* text);
    int GetMenuPosition(const char16_t* text);

    // --- Removing -------------------------------------------------------------------------------------------
    BOOL RemoveMenu(UINT id, UINT flags);
    BOOL DeleteMenu(UINT id, UINT flags);
    int RemoveMenu(const char* text, KM_Seperator kind = kNoneSeparator);
    int RemoveMenu(const char16_t* text, KM_Seperator kind = kNoneSeparator);
    int DeleteMenu(const char* text, KM_Seperator kind = kNoneSeparator);
    int DeleteMenu(const char16_t* text, KM_Seperator kind = kNoneSeparator);

    // --- Loading (menu_load.cpp) ---------------------------------------------------------------------------
    virtual BOOL LoadMenu(int id);
    virtual BOOL LoadMenu(const char* name);
    // Builds the menu from template bytes; FALSE, with the menu unchanged, for a bad template.
    BOOL LoadMenuTemplate(std::span<const uint8_t> bytes);
    BOOL LoadToolBar(UINT toolbarId);
    BOOL LoadToolbars(const UINT* ids, int count);
    BOOL LoadFromToolBar(UINT command, UINT toolbarId, int& imageIndex);
    // Gives every command of the toolbar that the menu holds its own image list from bitmap `bitmapId`.
    void AddFromToolBar(UINT toolbarId, int bitmapId);
    BOOL AddBitmapToImageList(CImageList* list, UINT bitmapId);
    int AddToGlobalImageList(const CImageList* list, int index, int command);
    static int GlobalImageListOffset(int command);
    static BOOL CanDraw3DImageList(int index);
    BOOL ImageListDuplicate(const CImageList* source, int index, CImageList* target);
    void LoadCheckmarkBitmap(int unselectedId, int selectedId);
    void SetBitmapBackground(COLORREF colour);
    void UnSetBitmapBackground();
    void SetDisableOldStyle() { disable_old_style = TRUE; }
    void UnSetDisableOldStyle() { disable_old_style = FALSE; }
    BOOL GetDisableOldStyle() const { return disable_old_style; }

    // --- Drawing (menu_draw.cpp) ---------------------------------------------------------------------------
    virtual void MeasureItem(LPMEASUREITEMSTRUCT request);
    virtual void DrawItem(LPDRAWITEMSTRUCT request);

    // --- Windows (menu_widgets.cpp) -----------------------------------------------------------------
    // Hooks the window: its popups of this menu get the menu style and our mnemonic answer. 0 for no
    // window; 1 otherwise (installing twice hooks once; a window hooked by another menu keeps that one).
    int Install(QWidget* wnd);
    int Uninstall();
    QWidget* HookedWindow() const { return m_hookedWindow; }
    // Where TrackPopupMenu without TPM_RETURNCMD sends the chosen command for a window.
    static void SetCommandHandler(QWidget* wnd, std::function<void(UINT)> handler);
    // Hands the command to the window's handler as a chosen menu item does; FALSE when it has none.
    static BOOL SendCommand(QWidget* wnd, UINT command);

    // Read-only views for the drawing code and tests.
    const std::vector<std::unique_ptr<CzorMenuData>>& Records() const { return m_MenuList; }
    const std::vector<HMENU>& SubMenus() const { return m_SubMenus; }
    bool LoadedFromResource() const { return m_loadedFromResource; }
    CImageList* CheckImages() const { return checkmaps; }
    int CheckedBitmapId() const { return checkmapsshare_selected; }
    int UncheckedBitmapId() const { return checkmapsshare_unselected; }

    // The record of the item at a position (one is made for an item that other code put in); null when
    // there is no such item.
    CzorMenuData* ItemRecord(int position) { return RecordAt(position); }
    // Brings the records in step with the menu's items (popups are refreshed when they open).
    void SynchronizeMenu();
    // Pads each label followed by an accelerator to a common width with blanks.
    void InsertSpaces();

protected:
    void RemoveTopLevelOwnerDraw();
    int GetMenuStart();
    COLORREF TransparentColour() const;

private:
    using Picture = std::function<void(CzorMenuData*)>;
    static UINT ItemFlags(UINT flags, uintptr_t id);
    BOOL AddItem(UINT position, const char16_t* text, UINT flags, uintptr_t id, const Picture& picture);
    Picture ToolbarPicture(uintptr_t id, int bitmapId);
    Picture ListPicture(uintptr_t id, const CImageList* list, int index, bool own);
    Picture BitmapPicture(uintptr_t id, const QImage& bitmap);
    BOOL ModifyRecords(const char16_t* text, UINT id, const Picture& picture);
    // The record of the item at a position (made when the item has none).
    CzorMenuData* RecordAt(int position);
    CzorMenuData* OwnRecord(uintptr_t data) const;
    CzorMenuData* FindRecordByText(const char16_t* text, int depth);
    CzorMenu* FindMenuOption(int id, int& position, int depth);
    BOOL RemoveOrDelete(UINT id, UINT flags, bool destroy);
    int RemoveOrDeleteByText(const char16_t* text, KM_Seperator kind, bool destroy);
    void ForgetSubMenu(HMENU popup);
    // The CzorMenu of a popup handle: one this menu made, or the permanent object of the handle.
    static CzorMenu* MenuOf(HMENU popup);

    std::vector<std::unique_ptr<CzorMenuData>> m_MenuList;
    std::vector<HMENU> m_SubMenus;
    // The popup objects this menu made (LoadMenu, AppendODPopupMenu); popups of other owners are only named.
    std::vector<std::unique_ptr<CzorMenu>> m_ownedSubMenus;
    COLORREF m_bitmapBackground = RGB(0xC0, 0xC0, 0xC0);
    BOOL m_bitmapBackgroundFlag = FALSE;
    BOOL disable_old_style = FALSE;
    CImageList* checkmaps = nullptr;
    BOOL checkmapsshare = FALSE;
    int checkmapsshare_selected = -1;
    int checkmapsshare_unselected = -1;
    bool m_loadedFromResource = false;
    QWidget* m_hookedWindow = nullptr;

    friend class CzorMenuInstaller;
};

// The menu registered for a window by Install, or null.
CzorMenu* InstalledMenu(const QWidget* wnd);
