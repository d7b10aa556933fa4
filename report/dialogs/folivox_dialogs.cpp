#include "report/dialogs/folivox_dialogs.h"

#include <QDialog>

#include "report/dialogs/param_dialog.h"
#include "report/model/element_dialogs.h"

namespace {

// The dialogs built so far; the others still answer as a cancelled dialog would.
class CFolivoxDialogs : public IElementDialogs {
public:
    bool ElemProper(CReportElement&, int) override { return false; }
    int ShowContextMenu(CReportElement&, CPoint, QWidget*, int) override { return 0; }
    bool AddSection(CTableElement&) override { return false; }
    bool ShowProp(CReportParam& param) override { return CParamDlg(&param).exec() == QDialog::Accepted; }
    CTableElement* SelectTable(CTableMapElement&) override { return nullptr; }
};

CFolivoxDialogs g_dialogs;

const bool g_registered = (RegisterFolivoxDialogs(), true);

}  // namespace

void RegisterFolivoxDialogs() { SetElementDialogs(&g_dialogs); }
