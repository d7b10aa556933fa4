#pragma once
// The data-source column choice (template 163, caption "Выбор колонки источника данных"): the list 1074
// holds a blank row standing for no column, then the select header's columns and the result-select
// header's, without the columns of store instances.
#include <QDialog>
#include <vector>

#include "report/dialogs/condition_logic.h"

class CFolivox;
class QTreeWidget;

// The rows of the choice: null first (the blank row), then the columns.
std::vector<CHeaderColumn*> SelectableColumns(CFolivox* manager);

class CSelectColumnDlg : public QDialog {
    Q_OBJECT
public:
    CSelectColumnDlg(CFolivox* manager, CHeaderColumn* current, QWidget* parent = nullptr);
    // Without a manager the dialog ends at once with 0.
    int exec() override;
    // After OK: the chosen column, null for the blank row.
    CHeaderColumn* Column() const { return m_pColumn; }

private:
    void OnOK();

    CFolivox* m_pManager;
    std::vector<CHeaderColumn*> m_Columns;
    CHeaderColumn* m_pColumn;
    QTreeWidget* m_pList;
};

// The column choice as the condition dialog runs it.
ColumnChooser MakeColumnChooser(CFolivox* manager, QWidget* parent);
