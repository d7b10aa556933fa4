#include "designer/view/sheet_menu.h"

#include <QPoint>

#include "controls/menu/menu_handles.h"
#include "controls/menu/zor_menu.h"
#include "controls/resources/module_resources.h"
#include "designer/frame/menu_bitmaps.h"

namespace quillmark {
namespace {

CzorMenu* LoadSheetPopup(CzorMenu& menu) {
    zor::ScopedResourceModule own(zor::ResourceModule::Program);
    RegisterProgramBitmaps();
    if (!menu.LoadMenu(kContextMenuId)) return nullptr;
    menu.LoadToolbars(kMenuToolbars, int(std::size(kMenuToolbars)));
    return menu.GetSubCzorMenu("SHEET");
}

}  // namespace

std::vector<SheetMenuItem> SheetMenuItems() {
    CzorMenu menu;
    CzorMenu* popup = LoadSheetPopup(menu);
    std::vector<SheetMenuItem> items;
    if (!popup) return items;
    const HMENU handle = popup->GetSafeHmenu();
    for (int i = 0, count = ::GetMenuItemCount(handle); i < count; ++i) {
        const int command = ::GetMenuItemID(handle, i);
        if (command <= 0) {
            items.push_back({});
            continue;
        }
        std::string text;
        popup->GetMenuText(UINT(i), text, MF_BYPOSITION);
        items.push_back({command, text});
    }
    return items;
}

int RunSheetMenu(const QPoint& globalPos, QWidget* parent, const std::function<bool(int)>& enabled) {
    if (!parent) return 0;
    CzorMenu menu;
    CzorMenu* popup = LoadSheetPopup(menu);
    if (!popup) return 0;
    for (const SheetMenuItem& item : SheetMenuItems())
        if (item.command && enabled && !enabled(item.command))
            popup->EnableMenuItem(UINT(item.command), MF_BYCOMMAND | MF_GRAYED);
    zor::ScopedResourceModule own(zor::ResourceModule::Program);
    menu.Install(parent);
    const int command = popup->TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, globalPos.x(), globalPos.y(), parent);
    menu.Uninstall();
    return command;
}

}  // namespace quillmark
