#include "report/dialogs/conditions_dialog.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "report/dialogs/condition_dialog.h"
#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/select_column_dialog.h"
#include "report/generation/condition.h"

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
