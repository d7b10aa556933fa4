#pragma once
// The column dialog (template 148): name 1030, width 1032, frame line width 1090, fit text 8002, the
// data-source field 1076 with its choice 1075, level check 1091, alignment 1092 and 1093, kind 8026,
// text rows 1094. Layout 2 keeps the name alone; layout 1 hides the kind.
#include <QDialog>
#include <string>

#include "report/dialogs/column_dialog_logic.h"
#include "report/dialogs/condition_logic.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

class CColumnDlg : public QDialog {
    Q_OBJECT
public:
    // values: read on opening, written after OK.
    explicit CColumnDlg(ColumnDlgValues& values, QWidget* parent = nullptr);
    // Replaces the data-source column choice "..." runs (the column choice dialog unless replaced).
    void SetColumnChooser(ColumnChooser chooser) { m_Chooser = std::move(chooser); }

private:
    bool OnOK();
    void OnLevelToggled(bool checked);
    void OnChooseColumn();

    ColumnDlgValues& m_Values;
    CColumnDlgLogic m_Logic;
    ColumnChooser m_Chooser;
    QLineEdit* m_pName;
    QLineEdit* m_pWidth;
    QLineEdit* m_pBorder;
    QLineEdit* m_pField;
    QLineEdit* m_pRows;
    QCheckBox* m_pFitText;
    QCheckBox* m_pLevel;
    QComboBox* m_pVertical;
    QComboBox* m_pHorizontal;
    QComboBox* m_pKind;
    QWidget* m_pChoose;
};

// The column dialog as a prompt for one name (layout 2 unless another is given): true after OK, name
// then holds the text entered.
bool ShowColumnDialog(const std::string& caption, std::string& name, bool allowEmptyName,
                      int layout = kColumnLayoutName, QWidget* parent = nullptr);
