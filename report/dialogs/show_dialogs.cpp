#include "report/dialogs/show_dialogs.h"

#include <QDialog>

#include "controls/resources/module_resources.h"
#include "report/dialogs/property_dialog.h"

bool ShowElemProperties(const std::vector<CReportElement*>& selection, int reportMode) {
    zor::ScopedResourceModule own(zor::ResourceModule::Folivox);
    return CPropertyDlg(selection, reportMode).exec() == QDialog::Accepted;
}

bool ShowSimplDialog(const char* caption, std::string* name, int allowEmpty) {
    // The name-only layout belongs to the column dialog; until it is linked in here the dialog counts as
    // cancelled and the name stays as it was.
    (void)caption, (void)name, (void)allowEmpty;
    return false;
}
