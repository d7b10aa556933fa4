#include "report/dialogs/conditions_dialog.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "report/dialogs/condition_dialog.h"
#include "report/dialogs/dialog_buttons.h"
#include "report/generation/condition.h"

CConditionsDlg::CConditionsDlg(CConditionArray& conditions, QWidget* parent)
    : QDialog(parent), m_Conditions(conditions), m_Logic(conditions) {
    setObjectName("164");
    setWindowTitle(QString::fromUtf8("Настройка условий"));
    auto* layout = new QVBoxLayout(this);
    m_pList = new QTreeWidget(this);
    m_pList->setObjectName("1074");
    m_pList->setRootIsDecorated(false);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setHeaderLabels({QString::fromUtf8("Поле"), QString::fromUtf8("Тип"), QString::fromUtf8("Значение")});
    const int widths[] = {100, 100, 200};
    for (int i = 0; i < 3; ++i) m_pList->setColumnWidth(i, widths[i]);
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
