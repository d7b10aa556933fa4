#include "report/dialogs/conditions_dialog.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/menu/zor_menu.h"
#include "controls/resources/module_resources.h"
#include "report/dialogs/element_menu.h"

#include "report/dialogs/condition_dialog.h"
#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/select_column_dialog.h"
#include "report/model/condition.h"

CConditionsDlg::CConditionsDlg(CConditionArray& conditions, CFolivox* manager, QWidget* parent)
    : QDialog(parent), m_Conditions(conditions), m_Logic(conditions), m_Chooser(MakeColumnChooser(manager, this)) {
    setObjectName("164");
    setWindowTitle(QString::fromUtf8("Настройка условий"));
    auto* layout = new QVBoxLayout(this);
    m_pList = MakeRowList(this, "1074", {{"Поле", 100}, {"Тип", 100}, {"Значение", 200}});
    layout->addWidget(m_pList);
    connect(m_pList, &QTreeWidget::itemDoubleClicked, this, [this] { EditSelected(); });
    AddOkCancel(this, layout, [] { return true; });
    Refill(-1);
}

void CConditionsDlg::Refill(int row) {
    m_pList->clear();
    for (const auto& r : m_Logic.Rows()) {
        m_pList->addTopLevelItem(new QTreeWidgetItem(
            {QString::fromStdString(r.column), QString::fromStdString(r.comparison), QString::fromStdString(r.value)}));
    }
    if (row >= 0 && row < m_pList->topLevelItemCount()) m_pList->setCurrentItem(m_pList->topLevelItem(row));
}

void CConditionsDlg::New() {
    CConditionDlg dlg(nullptr, this);
    dlg.SetColumnChooser(m_Chooser);
    if (dlg.exec() != QDialog::Accepted || !dlg.Condition()) return;
    m_Logic.Append(dlg.Condition());
    Refill(m_Conditions.GetSize() - 1);
}

void CConditionsDlg::DeleteSelected() {
    if (m_Logic.Delete(m_pList->indexOfTopLevelItem(m_pList->currentItem()))) Refill(-1);
}

void CConditionsDlg::EditSelected() {
    const int row = m_pList->indexOfTopLevelItem(m_pList->currentItem());
    CCondition* condition = m_Conditions.GetAt(row);
    if (!condition) return;
    CConditionDlg dlg(condition, this);
    dlg.SetColumnChooser(m_Chooser);
    if (dlg.exec() == QDialog::Accepted) Refill(row);
}

namespace {
constexpr int kConditionsPopup = 3;  // "COLUMN"
constexpr unsigned kCmdNew = 32801;
}  // namespace

CzorMenu* CConditionsDlg::LoadContextMenu(CzorMenu& menu, bool rowSelected) {
    zor::ScopedResourceModule own(zor::ResourceModule::Folivox);
    if (!menu.LoadMenu(kElementMenuId)) return nullptr;
    menu.LoadToolBar(kElementMenuToolbarId);
    auto* popup = dynamic_cast<CzorMenu*>(menu.GetSubMenu(kConditionsPopup));
    if (!popup) return nullptr;
    if (!rowSelected)
        for (unsigned command : {unsigned(ID_ELEM_DELETE), unsigned(ID_ELEM_PROPERTIES)})
            popup->EnableMenuItem(command, MF_BYCOMMAND | MF_GRAYED);
    return popup;
}

void CConditionsDlg::RunCommand(unsigned command) {
    switch (command) {
    case kCmdNew: New(); break;
    case ID_ELEM_DELETE: DeleteSelected(); break;
    case ID_ELEM_PROPERTIES: EditSelected(); break;
    default: break;
    }
}

void CConditionsDlg::contextMenuEvent(QContextMenuEvent* event) {
    unsigned command = 0;
    {
        CzorMenu menu;
        CzorMenu* popup = LoadContextMenu(menu, m_pList->currentItem() != nullptr);
        if (!popup) return;
        zor::ScopedResourceModule own(zor::ResourceModule::Folivox);
        menu.Install(this);
        command = unsigned(
            popup->TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, event->globalPos().x(), event->globalPos().y(), this));
        menu.Uninstall();
    }
    RunCommand(command);
}
