#include "report/dialogs/folivox_dialogs.h"

#include <QDialog>

#include "report/dialogs/param_dialog.h"
#include "report/dialogs/property_dialog.h"
#include "report/dialogs/section_dialog.h"
#include "report/dialogs/table_choice.h"
#include "report/model/element_dialogs.h"
#include "report/model/report_element.h"
#include "report/model/table_map_element.h"

namespace {

// The dialogs built so far; the others still answer as a cancelled dialog would.
class CFolivoxDialogs : public IElementDialogs {
public:
    // Only the kinds whose whole dialog exists: the others' pages are still to come.
    bool ElemProper(CReportElement& element, int reportMode) override {
        const int kind = element.GetKind();
        if (kind != kElemLine && kind != kElemPageReference) return false;
        return ShowElemProperties({&element}, reportMode);
    }
    int ShowContextMenu(CReportElement&, CPoint, QWidget*, int) override { return 0; }
    bool AddSection(CTableElement& table) override { return AddTableSection(table) != nullptr; }
    bool ShowProp(CReportParam& param) override { return CParamDlg(&param).exec() == QDialog::Accepted; }
    CTableElement* SelectTable(CTableMapElement& map) override { return ChooseTable(map.GetManager()); }
};

CFolivoxDialogs g_dialogs;

const bool g_registered = (RegisterFolivoxDialogs(), true);

}  // namespace

void RegisterFolivoxDialogs() { SetElementDialogs(&g_dialogs); }
