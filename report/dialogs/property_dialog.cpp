#include "report/dialogs/property_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/table_page.h"
#include "report/model/report_element.h"

std::string PropertyDialogCaption(const std::vector<CReportElement*>& selection) {
    if (selection.size() != 1) return "Свойства";
    switch (selection.front()->GetKind()) {
    case kElemRect: return "Свойства: Прямоугольник";
    case kElemTable: return "Свойства: Таблица";
    case kElemTableMap: return "Свойства: Продолжение таблицы";
    case kElemPicture: return "Свойства: Эскиз";
    case kElemTableContent: return "Свойства: Содержание";
    default: return "Свойства: Линия";
    }
}

CPositionPage::CPositionPage(std::vector<CReportElement*> selection, int reportMode, QWidget* parent)
    : QWidget(parent), m_Logic(selection, selection.empty() ? nullptr : selection.front(), reportMode) {
    setObjectName("139");
    auto* layout = new QVBoxLayout(this);
    const struct {
        const char* id;
        const char* label;
        const std::string* text;
    } fields[] = {
        {"1000", "X:", &m_Logic.m_X},
        {"1001", "Y:", &m_Logic.m_Y},
        {"1002", "Ширина", &m_Logic.m_Width},
        {"1003", "Высота", &m_Logic.m_Height},
        {"1090", "Толщина линии, мм", &m_Logic.m_LineWidth},
    };
    QFormLayout* forms[] = {new QFormLayout(), new QFormLayout(), new QFormLayout()};
    for (int i = 0; i < 5; ++i) {
        m_pFields[i] = new QLineEdit(QString::fromStdString(*fields[i].text), this);
        m_pFields[i]->setObjectName(fields[i].id);
        if (i < 4) m_pFields[i]->setReadOnly(m_Logic.ReadOnly());
        forms[i < 2 ? 0 : i < 4 ? 1 : 2]->addRow(QString::fromUtf8(fields[i].label), m_pFields[i]);
    }
    const char* groups[] = {"Положение элемента", "Размеры элемента"};
    for (int g = 0; g < 2; ++g) {
        auto* box = new QGroupBox(QString::fromUtf8(groups[g]), this);
        box->setLayout(forms[g]);
        layout->addWidget(box);
    }
    layout->addLayout(forms[2]);
    m_pFixed = new QCheckBox(QString::fromUtf8("Зафиксировать"), this);
    m_pFixed->setObjectName("8001");
    m_pFixed->setChecked(m_Logic.m_bFixed);
    layout->addWidget(m_pFixed);
    layout->addStretch(1);
}

bool CPositionPage::Apply() {
    std::string* texts[] = {&m_Logic.m_X, &m_Logic.m_Y, &m_Logic.m_Width, &m_Logic.m_Height, &m_Logic.m_LineWidth};
    for (int i = 0; i < 5; ++i) *texts[i] = m_pFields[i]->text().toStdString();
    m_Logic.m_bFixed = m_pFixed->isChecked();
    return m_Logic.Apply();
}

CPropertyDlg::CPropertyDlg(std::vector<CReportElement*> selection, int reportMode, QWidget* parent)
    : QDialog(parent), m_Selection(std::move(selection)) {
    setObjectName("143");
    setWindowTitle(QString::fromStdString(PropertyDialogCaption(m_Selection)));
    auto* layout = new QVBoxLayout(this);
    m_pTabs = new QTabWidget(this);
    m_pTabs->setObjectName("1008");
    layout->addWidget(m_pTabs);
    if (!m_Selection.empty()) {
        m_pPosition = new CPositionPage(m_Selection, reportMode, m_pTabs);
        m_pTabs->addTab(m_pPosition, QString::fromUtf8("Положение элемента"));
    }
    const std::function<bool()> applyTable = AddTablePage(m_pTabs, m_Selection, reportMode);
    AddOkCancel(this, layout, [this, applyTable] { return OnOK() && applyTable(); });
}

int CPropertyDlg::exec() { return m_pPosition ? QDialog::exec() : 0; }

bool CPropertyDlg::OnOK() { return m_pPosition && m_pPosition->Apply(); }

bool ShowElemProperties(const std::vector<CReportElement*>& selection, int reportMode) {
    return CPropertyDlg(selection, reportMode).exec() == QDialog::Accepted;
}
