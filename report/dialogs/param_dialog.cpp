#include "report/dialogs/param_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "report/dialogs/dialog_controls.h"

CParamDlg::CParamDlg(CReportParam* param, QWidget* parent) : QDialog(parent), m_Logic(param) {
    setObjectName("158");
    setWindowTitle(QString::fromUtf8("Свойства"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    m_pName = new QLineEdit(QString::fromStdString(m_Logic.m_Name), this);
    m_pName->setObjectName("1055");
    m_pType = new QComboBox(this);
    m_pType->setObjectName("1054");
    for (const std::string& name : ParamTypeNames()) m_pType->addItem(QString::fromStdString(name));
    m_pType->setCurrentIndex(m_Logic.m_nTypeIndex);
    form->addRow(QString::fromUtf8("Наименование:"), m_pName);
    form->addRow(QString::fromUtf8("Тип:"), m_pType);
    layout->addLayout(form);
    AddOkCancel(this, layout, [this] { return OnOK(); });
}

int CParamDlg::exec() { return m_Logic.CanOpen() ? QDialog::exec() : 0; }

bool CParamDlg::OnOK() {
    m_Logic.m_Name = m_pName->text().toStdString();
    m_Logic.m_nTypeIndex = m_pType->currentIndex();
    return m_Logic.Apply();
}
