#include "report/dialogs/element_menu.h"

#include <QPainter>

#include <algorithm>
#include <initializer_list>
#include <QWidget>

#include "controls/menu/menu_handles.h"
#include "controls/menu/zor_menu.h"
#include "controls/resources/module_resources.h"
#include "controls/resources/pictograms.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "report/model/table_element.h"

namespace {

constexpr int kElementPopup = 1;  // "REPORT_ELEM"
constexpr int kTablePopup = 2;    // "TABLE_ITEM"

constexpr struct {
    unsigned command;
    int type;
} kPageFields[] = {
    {ID_PAGE_NUMBER, kParamPageNumber},
    {ID_PAGE_COUNT, kParamPageCount},
    {ID_CURRENT_DATE, kParamCurrentDate},
    {ID_LOCAL_PAGE_NUMBER, kParamLocalPageNumber},
    {ID_LOCAL_PAGE_COUNT, kParamLocalPageCount},
    {ID_REPORT_DATE, kParamReportDate},
};

void Grey(CzorMenu* popup, std::initializer_list<unsigned> commands) {
    for (unsigned command : commands) popup->EnableMenuItem(command, MF_BYCOMMAND | MF_GRAYED);
}

void ToggleFixed(CReportElement& element) { element.SetFixed(element.GetFixed() > 0 ? 0 : 1); }

}  // namespace

int PageFieldTypeOfCommand(unsigned command) {
    for (const auto& field : kPageFields)
        if (field.command == command) return field.type;
    return -1;
}

CReportParam* LinkPageField(CReportElement& element, int type) {
    CFolivox* manager = element.GetManager();
    if (!manager) return nullptr;
    CParamArray& params = manager->GetParams();
    const int index = params.Find(type);
    CReportParam* param = index >= 0 ? params.GetAt(index) : nullptr;
    if (!param) {
        param = new CReportParam(manager);
        param->SetType(type);
        param->SetName(PageFieldParamName(type));
        params.Add(param);
    }
    element.GetTextValue().SetText(param);
    return param;
}

namespace {

// The host's rule over the commands it handles, in place of the menu's own greying.
void ApplyHost(CzorMenu* popup, const ElementMenuHost& host) {
    const HMENU handle = popup->GetSafeHmenu();
    for (int i = 0, count = ::GetMenuItemCount(handle); i < count; ++i) {
        const int id = ::GetMenuItemID(handle, i);
        if (id <= 0 || !host.Handles(unsigned(id))) continue;
        const bool enabled = host.enabled && host.enabled(unsigned(id));
        popup->EnableMenuItem(unsigned(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

CzorMenu* LoadElementPopup(CzorMenu& menu, const CReportElement& element, int reportMode) {
    zor::ScopedResourceModule own(zor::ResourceModule::Folivox);
    if (!menu.LoadMenu(kElementMenuId)) return nullptr;
    menu.LoadToolBar(kElementMenuToolbarId);
    const bool table = element.GetKind() == kElemTable;
    auto* popup = dynamic_cast<CzorMenu*>(menu.GetSubMenu(table ? kTablePopup : kElementPopup));
    if (!popup) return nullptr;
    const bool fixed = element.GetFixed() > 0;
    const bool report = reportMode > 0;
    if (table) {
        if (fixed) popup->SetMenuText(ID_ELEM_FIX, "Расфиксировать", MF_BYCOMMAND);
        if (report) Grey(popup, {ID_TABLE_ADD_SECTION, ID_ELEM_DELETE, ID_ELEM_FIX});
        return popup;
    }
    // The element menu's text has been spelt with a Latin "c" all along; kept as users know it.
    if (fixed) popup->SetMenuText(ID_ELEM_FIX, "Раcфиксировать", MF_BYCOMMAND);
    if (element.GetKind() != kElemRect || report)
        for (const auto& field : kPageFields) Grey(popup, {field.command});
    if (report) Grey(popup, {ID_ELEM_FIX, ID_ELEM_ALIGN, ID_ELEM_DELETE, ID_EDIT_PASTE_CMD});
    return popup;
}

}  // namespace

CzorMenu* LoadElementMenu(CzorMenu& menu, const CReportElement& element, int reportMode, const ElementMenuHost* host) {
    CzorMenu* popup = LoadElementPopup(menu, element, reportMode);
    if (popup && host) ApplyHost(popup, *host);
    return popup;
}

int CarryOutElementCommand(CReportElement& element, unsigned command, const ElementMenuHost* host) {
    if (host && host->Handles(command)) return static_cast<int>(command);
    if (element.GetKind() == kElemTable) {
        if (command == ID_TABLE_ADD_SECTION) {
            if (auto* table = dynamic_cast<CTableElement*>(&element)) table->AddSection();
        } else if (command == ID_ELEM_ALIGN) {
            element.Align();
        } else if (command == ID_ELEM_FIX) {
            ToggleFixed(element);
        }
        return element.ExecuteCmd(command);
    }
    if (const int type = PageFieldTypeOfCommand(command); type >= 0) {
        LinkPageField(element, type);
        return 0;
    }
    if (command == ID_ELEM_FIX) {
        ToggleFixed(element);
        return 0;
    }
    if (command == ID_ELEM_ALIGN) {
        element.Align();
        return 0;
    }
    return element.ExecuteCmd(command);
}

int ShowElementMenu(CReportElement& element, CPoint point, QWidget* window, int reportMode,
                    const ElementMenuHost* host) {
    if (!window) return 0;
    const QPoint screen = window->mapToGlobal(QPoint(point.x, point.y));
    unsigned command = 0;
    {
        CzorMenu menu;
        CzorMenu* popup = LoadElementMenu(menu, element, reportMode, host);
        if (!popup) return 0;
        zor::ScopedResourceModule own(zor::ResourceModule::Folivox);
        menu.Install(window);
        command = unsigned(popup->TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, screen.x(), screen.y(), window));
        menu.Uninstall();
    }
    return CarryOutElementCommand(element, command, host);
}

QImage FolivoxBitmap(int id) {
    using zor::art::Pictogram;
    zor::ToolbarResource toolbar;
    if (!zor::FindToolbarResource(kElementMenuToolbarId, toolbar) || toolbar.bitmapId != id) return {};
    // One picture a button, in the toolbar's order.
    auto pictogramOf = [](unsigned command) {
        switch (command) {
        case ID_EDIT_COPY_CMD: return Pictogram::Copy;
        case ID_EDIT_PASTE_CMD: return Pictogram::Paste;
        case ID_ELEM_DELETE: return Pictogram::Trash;
        case ID_ELEM_PROPERTIES: return Pictogram::Properties;
        case ID_ELEM_ALIGN: return Pictogram::Table;
        case ID_ELEM_FIX: return Pictogram::Lock;
        case ID_ELEM_TO_BACK: return Pictogram::Down;
        case ID_ELEM_TO_FRONT: return Pictogram::Up;
        case ID_TABLE_ADD_SECTION: return Pictogram::InsertRow;
        case 32801: return Pictogram::Add;
        case 32786: return Pictogram::Copy;
        case 32771: return Pictogram::NewDocument;
        case 32832: return Pictogram::Edit;
        case ID_CURRENT_DATE: return Pictogram::Calendar;
        default: return Pictogram::Properties;
        }
    };
    int buttons = 0;
    for (uint16_t command : toolbar.commands) buttons += command != 0;
    QImage strip(toolbar.imageWidth * std::max(buttons, 1), toolbar.imageHeight, QImage::Format_RGB32);
    strip.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter painter(&strip);
    int x = 0;
    for (uint16_t command : toolbar.commands) {
        if (command == 0) continue;
        zor::art::DrawPictogram(painter, pictogramOf(command), QRect(x, 0, toolbar.imageWidth, toolbar.imageHeight));
        x += toolbar.imageWidth;
    }
    return strip;
}
