#include "report/dialogs/table_choice.h"

#include <QComboBox>
#include <QFormLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "platform/ui/messages.h"
#include "report/dialogs/dialog_controls.h"
#include "report/model/folivox.h"
#include "report/model/report_sheet.h"
#include "report/model/table_element.h"

CSelectTableDlgLogic::CSelectTableDlgLogic(CFolivox* manager) : m_pManager(manager) {}

std::vector<std::string> CSelectTableDlgLogic::SheetNames() const {
    std::vector<std::string> names;
    if (!m_pManager) return names;
    for (const CReportSheet* sheet : m_pManager->GetSheets()) names.push_back(sheet->GetName());
    return names;
}

std::vector<CTableElement*> CSelectTableDlgLogic::Tables(int index) const {
    std::vector<CTableElement*> tables;
    CReportSheet* sheet = m_pManager ? m_pManager->GetSheet(index) : nullptr;
    if (!sheet) return tables;
    const auto cached = [this](CReportElement* element) { return m_pManager->GetTables().Find(element) >= 0; };
    for (CReportElement* element : sheet->GetElements())
        if (element->GetKind() == kElemTable && cached(element))
            if (auto* table = dynamic_cast<CTableElement*>(element)) tables.push_back(table);
    for (CReportElement* element : m_pManager->GetTables()) {
        if (element->GetSheet() != sheet || sheet->GetElements().Find(element) >= 0) continue;
        if (auto* table = dynamic_cast<CTableElement*>(element)) tables.push_back(table);
    }
    return tables;
}

bool CSelectTableDlgLogic::Ok(int sheet, int row) {
    const std::vector<CTableElement*> tables = Tables(sheet);
    if (row < 0 || row >= static_cast<int>(tables.size())) {
        AfxMessageBox("Не выбрана таблица.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_pChosen = tables[row];
    return true;
}

CSelectTableDlg::CSelectTableDlg(CFolivox* manager, QWidget* parent) : QDialog(parent), m_Logic(manager) {
    setObjectName("161");
    setWindowTitle(QString::fromUtf8("Выбор таблицы"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    layout->addLayout(form);
    m_pSheets = new QComboBox(this);
    m_pSheets->setObjectName("1045");
    for (const std::string& name : m_Logic.SheetNames()) m_pSheets->addItem(QString::fromStdString(name));
    form->addRow(QString::fromUtf8("Лист:"), m_pSheets);
    m_pTables = new QListWidget(this);
    m_pTables->setObjectName("1064");
    form->addRow(QString::fromUtf8("Таблицы:"), m_pTables);
    if (m_pSheets->count() > 0) m_pSheets->setCurrentIndex(0);
    FillTables();
    connect(m_pSheets, &QComboBox::currentIndexChanged, this, [this] { FillTables(); });
    AddOkCancel(this, layout, [this] { return m_Logic.Ok(m_pSheets->currentIndex(), m_pTables->currentRow()); });
}

int CSelectTableDlg::exec() { return m_Logic.CanOpen() ? QDialog::exec() : 0; }

void CSelectTableDlg::FillTables() {
    m_pTables->clear();
    for (const CTableElement* table : m_Logic.Tables(m_pSheets->currentIndex()))
        m_pTables->addItem(QString::fromStdString(table->GetName()));
}

CTableElement* ChooseTable(CFolivox* manager, QWidget* parent) {
    CSelectTableDlg dlg(manager, parent);
    return dlg.exec() == QDialog::Accepted ? dlg.Chosen() : nullptr;
}
