#pragma once
// The condition dialog (template 165, caption "Условие"): column 1026 with its choice 1075, comparison
// 1054, value 1082, value type 1085, link 1086.
#include <QDialog>
#include <functional>

#include "report/dialogs/condition_logic.h"

class QComboBox;
class QLineEdit;

class CConditionDlg : public QDialog {
    Q_OBJECT
public:
    // condition: the one edited, null for a new one (after OK it holds the new one).
    CConditionDlg(CCondition* condition, QWidget* parent = nullptr);

    // The data-source column choice button 1075 runs: the owner supplies it.
    void SetColumnChooser(ColumnChooser chooser) { m_Chooser = std::move(chooser); }
    CCondition* Condition() const { return m_pCondition; }

private:
    bool OnOK();
    void OnChooseColumn();

    CCondition* m_pCondition;
    CConditionDlgLogic m_Logic;
    ColumnChooser m_Chooser;
    QLineEdit* m_pColumn;
    QComboBox* m_pComparison;
    QLineEdit* m_pValue;
    QComboBox* m_pValueType;
    QComboBox* m_pLink;
};
