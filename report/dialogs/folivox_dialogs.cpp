#include "report/dialogs/folivox_dialogs.h"

#include <QDialog>

#include "controls/resources/module_resources.h"
#include "report/dialogs/element_menu.h"
#include "report/dialogs/param_dialog.h"
#include "report/dialogs/show_dialogs.h"
#include "report/generation/report_section.h"
#include "report/model/element_dialogs.h"
#include "report/model/report_element.h"

namespace {

// The section dialog on a new table section; the section dialog's line goes here, and until then a new
// section counts as cancelled.
bool EditNewSection(CReportSection&) { return false; }

// The dialogs built so far; the others still answer as a cancelled dialog would.
class CFolivoxDialogs : public IElementDialogs {
public:
    bool ElemProper(CReportElement& element, int reportMode) override {
        return ShowElemProperties({&element}, reportMode);
    }
    int ShowContextMenu(CReportElement& element, CPoint point, QWidget* window, int reportMode) override {
        return ShowElementMenu(element, point, window, reportMode);
    }
    bool AddSection(CTableElement& table) override { return AddTableSection(table, &EditNewSection); }
    bool ShowProp(CReportParam& param) override { return CParamDlg(&param).exec() == QDialog::Accepted; }
    CTableElement* SelectTable(CTableMapElement&) override { return nullptr; }
};

CFolivoxDialogs g_dialogs;

const bool g_registered = (RegisterFolivoxDialogs(), true);

}  // namespace

void RegisterFolivoxDialogs() {
    SetElementDialogs(&g_dialogs);
    zor::SetBitmapLoader(zor::ResourceModule::Folivox, &FolivoxBitmap);
}
