#include "report/dialogs/property_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include "report/dialogs/contents_page.h"
#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/picture_page.h"
#include "report/dialogs/text_page.h"
#include "report/model/picture_element.h"
#include "report/model/table_content_element.h"
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

CKindPage CPropertyDlg::MakeKindPage(CReportElement& element) {
    switch (element.GetKind()) {
    case kElemRect: {
        auto* page = new CTextPage(element, m_pTabs);
        return {page, [page] { return page->Apply(); }, "Текст"};
    }
    case kElemPicture:
        if (auto* picture = dynamic_cast<CPictureElement*>(&element)) {
            auto* page = new CPicturePage(*picture, m_pTabs);
            return {page, [page] { return page->Apply(); }, "Эскиз"};
        }
        return {};
    case kElemTableContent:
        if (auto* contents = dynamic_cast<CTableContentElement*>(&element)) {
            auto* page = new CContentsPage(*contents, m_pTabs);
            return {page, [page] { return page->Apply(); }, "Содержание"};
        }
        return {};
    default:
        return {};
    }
}

CPropertyDlg::CPropertyDlg(std::vector<CReportElement*> selection, int reportMode, QWidget* parent)
    : QDialog(parent), m_Selection(std::move(selection)) {
    setObjectName("143");
    setWindowTitle(QString::fromUtf8("Свойства"));
    auto* layout = new QVBoxLayout(this);
    m_pTabs = new QTabWidget(this);
    m_pTabs->setObjectName("1008");
    layout->addWidget(m_pTabs);
    AddOkCancel(this, layout, [this] { return OnOK(); });
    if (m_Selection.empty()) return;
    m_pPosition = new CPositionPage(m_Selection, reportMode, m_pTabs);
    m_pTabs->addTab(m_pPosition, QString::fromUtf8("Положение элемента"));
    if (m_Selection.size() == 1) {
        m_KindPage = MakeKindPage(*m_Selection.front());
        if (m_KindPage.widget) {
            m_pTabs->addTab(m_KindPage.widget, QString::fromUtf8(m_KindPage.title));
            m_pTabs->setCurrentIndex(1);
        } else {
            // A table, or a continuation editing its table; nothing for the other kinds.
            m_KindPage.apply = AddTablePage(m_pTabs, m_Selection, reportMode);
        }
        setWindowTitle(QString::fromStdString(PropertyDialogCaption(m_Selection)));
    }
}

int CPropertyDlg::exec() { return m_pPosition ? QDialog::exec() : 0; }

bool CPropertyDlg::OnOK() {
    if (!m_pPosition || !m_pPosition->Apply()) return false;
    return !m_KindPage.apply || m_KindPage.apply();
}
