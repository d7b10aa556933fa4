#include "report/dialogs/show_dialogs.h"

#include <QDialog>

#include "controls/resources/module_resources.h"
#include "report/dialogs/column_dialog.h"
#include "report/dialogs/property_dialog.h"

bool ShowElemProperties(const std::vector<CReportElement*>& selection, int reportMode) {
    zor::ScopedResourceModule own(zor::ResourceModule::Folivox);
    return CPropertyDlg(selection, reportMode).exec() == QDialog::Accepted;
}

bool ShowSimplDialog(const char* caption, std::string* name, int allowEmpty) {
    if (!name) return false;
    // The name is written back only after OK, so a cancelled prompt leaves the caller's text as it was.
    std::string edited = *name;
    if (!ShowColumnDialog(caption ? caption : "", edited, allowEmpty != 0, kColumnLayoutName)) return false;
    *name = edited;
    return true;
}
