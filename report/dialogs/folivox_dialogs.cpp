#include "report/dialogs/folivox_dialogs.h"

#include <QDialog>

#include "controls/resources/module_resources.h"
#include "report/dialogs/element_menu.h"
#include "report/dialogs/param_dialog.h"
#include "report/dialogs/section_dialog.h"
#include "report/dialogs/show_dialogs.h"
#include "report/dialogs/table_choice.h"
#include "report/model/element_dialogs.h"
#include "report/model/report_element.h"
#include "report/model/table_map_element.h"

namespace {

class CFolivoxDialogs : public IElementDialogs {
public:
    bool ElemProper(CReportElement& element, int reportMode) override {
        return ShowElemProperties({&element}, reportMode);
    }
    int ShowContextMenu(CReportElement& element, CPoint point, QWidget* window, int reportMode) override {
        return ShowElementMenu(element, point, window, reportMode);
    }
    bool AddSection(CTableElement& table) override { return AddTableSection(table) != nullptr; }
    bool ShowProp(CReportParam& param) override { return CParamDlg(&param).exec() == QDialog::Accepted; }
    CTableElement* SelectTable(CTableMapElement& map) override { return ChooseTable(map.GetManager()); }
};

CFolivoxDialogs g_dialogs;

const bool g_registered = (RegisterFolivoxDialogs(), true);

}  // namespace

void RegisterFolivoxDialogs() {
    SetElementDialogs(&g_dialogs);
    zor::SetBitmapLoader(zor::ResourceModule::Folivox, &FolivoxBitmap);
}
