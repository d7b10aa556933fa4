#include "report/dialogs/column_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/select_column_dialog.h"

namespace {

QComboBox* MakeCombo(QWidget* parent, const char* id, std::initializer_list<const char*> items, int current) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(id);
    for (const char* item : items) combo->addItem(QString::fromUtf8(item));
    combo->setCurrentIndex(current);
    return combo;
}

}  // namespace

CColumnDlg::CColumnDlg(ColumnDlgValues& values, QWidget* parent)
    : QDialog(parent), m_Values(values), m_Logic(values), m_Chooser(MakeColumnChooser(values.manager, this)) {
    setObjectName("148");
    setWindowTitle(QString::fromStdString(values.caption));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    layout->addLayout(form);
    m_pName = MakeEdit(this, "1030", m_Logic.m_Name);
    form->addRow(QString::fromUtf8("Наименование:"), m_pName);

    // Every row past the name, so that the name prompt can hide them together with their labels.
    auto* details = new QWidget(this);
    auto* detailForm = new QFormLayout(details);
    detailForm->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(details);
    m_pWidth = MakeEdit(details, "1032", m_Logic.m_Width);
    detailForm->addRow(QString::fromUtf8("Ширина"), m_pWidth);
    auto* fieldRow = new QHBoxLayout();
    m_pField = MakeEdit(details, "1076", m_Logic.FieldText(), true);
    auto* choose = new QPushButton("...", details);
    choose->setObjectName("1075");
    m_pChoose = choose;
    fieldRow->addWidget(m_pField, 1);
    fieldRow->addWidget(choose);
    detailForm->addRow(QString::fromUtf8("Поле источника данных:"), fieldRow);
    m_pLevel = MakeCheck(details, "1091", "Уровень", m_Logic.m_bLevel);
    detailForm->addRow(m_pLevel);
    m_pVertical = MakeCombo(details, "1092", {"Сверху", "По центру", "Снизу"}, m_Logic.m_nVertical);
    m_pHorizontal = MakeCombo(details, "1093", {"Слева", "По центру", "Справа"}, m_Logic.m_nHorizontal);
    detailForm->addRow(QString::fromUtf8("По вертикали:"), m_pVertical);
    detailForm->addRow(QString::fromUtf8("По горизонтали"), m_pHorizontal);
    m_pFitText = MakeCheck(details, "8002", "Вписывать текст в ячейку", m_Logic.m_bFitText);
    detailForm->addRow(m_pFitText);
    m_pBorder = MakeEdit(details, "1090", m_Logic.m_Border);
    detailForm->addRow(QString::fromUtf8("Толщина линии рамки, мм:"), m_pBorder);
    m_pRows = MakeEdit(details, "1094", m_Logic.m_Rows);
    detailForm->addRow(QString::fromUtf8("Строк в ячейке:"), m_pRows);
    m_pKind = new QComboBox(details);
    m_pKind->setObjectName("8026");
    m_pKind->setEditable(true);
    m_pKind->setInsertPolicy(QComboBox::NoInsert);
    for (size_t kind = 0; kind < ColumnKindNames().size(); ++kind)
        m_pKind->addItem(QString::fromStdString(ColumnKindNames()[kind]), static_cast<int>(kind));
    m_pKind->setCurrentIndex(m_Logic.m_nKind);
    m_pKind->setEditText(QString::fromStdString(m_Logic.m_KindText));
    auto* kindLabel = new QLabel(QString::fromUtf8("Отображать:"), details);
    detailForm->addRow(kindLabel, m_pKind);

    if (values.layout == kColumnLayoutName) details->hide();
    if (values.layout == kColumnLayoutSection) {
        kindLabel->hide();
        m_pKind->hide();
    }
    if (!values.manager) choose->hide();
    choose->setEnabled(m_Logic.CanChooseColumn());
    connect(m_pLevel, &QCheckBox::toggled, this, [this](bool checked) { OnLevelToggled(checked); });
    connect(choose, &QPushButton::clicked, this, [this] { OnChooseColumn(); });
    AddOkCancel(this, layout, [this] { return OnOK(); });
    if (values.layout == kColumnLayoutName) adjustSize();
}

void CColumnDlg::OnLevelToggled(bool checked) {
    m_Logic.m_bLevel = checked;
    m_pField->setText(QString::fromStdString(m_Logic.FieldText()));
    m_pChoose->setEnabled(m_Logic.CanChooseColumn());
}

void CColumnDlg::OnChooseColumn() {
    CHeaderColumn* column = m_Logic.m_pColumn;
    if (!m_Chooser || !m_Chooser(column)) return;
    m_Logic.TakeColumn(column);
    m_pField->setText(QString::fromStdString(m_Logic.FieldText()));
    m_pName->setText(QString::fromStdString(m_Logic.m_Name));
}

bool CColumnDlg::OnOK() {
    m_Logic.m_Name = m_pName->text().toStdString();
    m_Logic.m_Width = m_pWidth->text().toStdString();
    m_Logic.m_Border = m_pBorder->text().toStdString();
    m_Logic.m_Rows = m_pRows->text().toStdString();
    m_Logic.m_bLevel = m_pLevel->isChecked();
    m_Logic.m_bFitText = m_pFitText->isChecked();
    m_Logic.m_nVertical = m_pVertical->currentIndex();
    m_Logic.m_nHorizontal = m_pHorizontal->currentIndex();
    // A text typed over the entries makes a constant-text column.
    const QString text = m_pKind->currentText();
    const int entry = m_pKind->findText(text, Qt::MatchExactly);
    m_Logic.m_nKind = entry >= 0 ? m_pKind->itemData(entry).toInt() : -1;
    m_Logic.m_KindText = text.toStdString();
    return m_Logic.Apply();
}

bool ShowColumnDialog(const std::string& caption, std::string& name, bool allowEmptyName, int layout,
                      QWidget* parent) {
    ColumnDlgValues values;
    values.caption = caption;
    values.name = name;
    values.allowEmptyName = allowEmptyName;
    values.layout = layout;
    CColumnDlg dlg(values, parent);
    if (dlg.exec() != QDialog::Accepted) return false;
    name = values.name;
    return true;
}
