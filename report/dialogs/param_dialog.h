#pragma once
// The parameter properties dialog (template 158, caption "Свойства"): name 1055, type 1054.
#include <QDialog>

#include "report/dialogs/param_logic.h"

class QComboBox;
class QLineEdit;

class CParamDlg : public QDialog {
    Q_OBJECT
public:
    explicit CParamDlg(CReportParam* param, QWidget* parent = nullptr);
    // Without a parameter the dialog ends at once with 0.
    int exec() override;

private:
    bool OnOK();

    CParamDlgLogic m_Logic;
    QLineEdit* m_pName;
    QComboBox* m_pType;
};
