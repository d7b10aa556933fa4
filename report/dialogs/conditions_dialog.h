#pragma once
// The conditions-list dialog (template 164, caption "Настройка условий"): the list 1074 with the columns
// "Поле", "Тип" and "Значение"; a double click edits the condition in the condition dialog, a right click
// opens the list's context menu. The conditions change in place; OK and Cancel only close the dialog.
#include <QDialog>

#include "report/dialogs/condition_logic.h"

class CFolivox;
class CzorMenu;
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

    // The context menu, sub-menu 3 of this library's menu 130 with the pictures of toolbar 131, loaded into
    // menu: "Добавить...", "Копировать", "Удалить", "Свойства...", the last two greyed when no row is
    // selected. Null when the menu is missing.
    static CzorMenu* LoadContextMenu(CzorMenu& menu, bool rowSelected);
    // Carries out a command of the context menu; "Копировать" (32786) and unknown commands do nothing.
    void RunCommand(unsigned command);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Refill(int row);

    CConditionArray& m_Conditions;
    CConditionsDlgLogic m_Logic;
    ColumnChooser m_Chooser;
    QTreeWidget* m_pList;
};
