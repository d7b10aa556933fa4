#pragma once
// The conditions-list dialog (template 164, caption "Настройка условий"): the list 1074 with the columns
// "Поле", "Тип" and "Значение"; a double click edits the condition in the condition dialog. The
// conditions change in place; OK and Cancel only close the dialog.
#include <QDialog>

#include "report/dialogs/condition_logic.h"

class CFolivox;
class QTreeWidget;

class CConditionsDlg : public QDialog {
    Q_OBJECT
public:
    // manager: the one whose data-source columns the condition dialogs offer.
    CConditionsDlg(CConditionArray& conditions, CFolivox* manager, QWidget* parent = nullptr);
    // Replaces the data-source column choice the condition dialogs use.
    void SetColumnChooser(ColumnChooser chooser) { m_Chooser = std::move(chooser); }

    // The commands of the list's context menu: new (32801), delete (32837), properties (32839).
    void New();
    void DeleteSelected();
    void EditSelected();

private:
    void Refill(int row);

    CConditionArray& m_Conditions;
    CConditionsDlgLogic m_Logic;
    ColumnChooser m_Chooser;
    QTreeWidget* m_pList;
};
