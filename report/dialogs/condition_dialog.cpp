#include "report/dialogs/condition_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "report/dialogs/dialog_controls.h"

namespace {

QComboBox* MakeCombo(QWidget* parent, const char* id, const std::vector<std::string>& items, int current) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(id);
    for (const std::string& item : items) combo->addItem(QString::fromStdString(item));
    combo->setCurrentIndex(current);
    return combo;
}

}  // namespace

CConditionDlg::CConditionDlg(CCondition* condition, QWidget* parent)
    : QDialog(parent), m_pCondition(condition), m_Logic(condition) {
    setObjectName("165");
    setWindowTitle(QString::fromUtf8("Условие"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    auto* columnRow = new QHBoxLayout();
    m_pColumn = new QLineEdit(QString::fromStdString(m_Logic.ColumnText()), this);
    m_pColumn->setObjectName("1026");
    m_pColumn->setReadOnly(true);
    auto* choose = new QPushButton("...", this);
    choose->setObjectName("1075");
    columnRow->addWidget(m_pColumn, 1);
    columnRow->addWidget(choose);
    m_pComparison = MakeCombo(this, "1054", ConditionComparisonNames(), m_Logic.m_nComparison);
    m_pValue = new QLineEdit(QString::fromStdString(m_Logic.m_Value), this);
    m_pValue->setObjectName("1082");
    m_pValueType = MakeCombo(this, "1085", ConditionValueTypeNames(), m_Logic.m_nValueType - kCondValueInt);
    m_pLink = MakeCombo(this, "1086", ConditionLinkNames(), m_Logic.m_nLinkIndex);
    form->addRow(QString::fromUtf8("Поле источника данных:"), columnRow);
    form->addRow(QString::fromUtf8("Тип условия:"), m_pComparison);
    form->addRow(QString::fromUtf8("Значение:"), m_pValue);
    form->addRow(QString::fromUtf8("Тип значения:"), m_pValueType);
    form->addRow(QString::fromUtf8("Тип сравнения:"), m_pLink);
    layout->addLayout(form);
    AddOkCancel(this, layout, [this] { return OnOK(); });
    connect(choose, &QPushButton::clicked, this, [this] { OnChooseColumn(); });
}

void CConditionDlg::OnChooseColumn() {
    if (m_Logic.ChooseColumn(m_Chooser)) m_pColumn->setText(QString::fromStdString(m_Logic.ColumnText()));
}

bool CConditionDlg::OnOK() {
    m_Logic.m_nComparison = m_pComparison->currentIndex();
    m_Logic.m_Value = m_pValue->text().toStdString();
    m_Logic.m_nValueType = m_pValueType->currentIndex() + kCondValueInt;
    m_Logic.m_nLinkIndex = m_pLink->currentIndex();
    return m_Logic.Apply(m_pCondition);
}
