#include "report/dialogs/select_column_dialog.h"

#include <QTreeWidget>
#include <QVBoxLayout>

#include "report/dialogs/dialog_controls.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"

namespace {
constexpr int kInstanceValues = 1;
}

std::vector<CHeaderColumn*> SelectableColumns(CFolivox* manager) {
    std::vector<CHeaderColumn*> columns{nullptr};
    if (!manager) return columns;
    for (CHeader* header : {manager->GetSelectHeader(), manager->GetResultSelectHeader()}) {
        if (!header) continue;
        for (int i = 0; i < header->GetSize(); ++i) {
            CHeaderColumn* column = header->GetColumn(i);
            if (column && column->m_nType != kInstanceValues) columns.push_back(column);
        }
    }
    return columns;
}

CSelectColumnDlg::CSelectColumnDlg(CFolivox* manager, CHeaderColumn* current, QWidget* parent)
    : QDialog(parent), m_pManager(manager), m_Columns(SelectableColumns(manager)), m_pColumn(current) {
    setObjectName("163");
    setWindowTitle(QString::fromUtf8("Выбор колонки источника данных"));
    auto* layout = new QVBoxLayout(this);
    m_pList = MakeRowList(this, "1074", {{"Поле", 200}});
    for (const CHeaderColumn* column : m_Columns)
        m_pList->addTopLevelItem(new QTreeWidgetItem({column ? QString::fromStdString(column->GetName()) : " "}));
    layout->addWidget(m_pList);
    connect(m_pList, &QTreeWidget::itemDoubleClicked, this, [this] { OnOK(); });
    AddOkCancel(this, layout, [this] {
        OnOK();
        return false;  // OnOK closes the dialog itself when a row is selected
    });
}

int CSelectColumnDlg::exec() { return m_pManager ? QDialog::exec() : 0; }

void CSelectColumnDlg::OnOK() {
    const int row = m_pList->indexOfTopLevelItem(m_pList->currentItem());
    if (row < 0 || row >= static_cast<int>(m_Columns.size())) return;
    m_pColumn = m_Columns[row];
    accept();
}

ColumnChooser MakeColumnChooser(CFolivox* manager, QWidget* parent) {
    return [manager, parent](CHeaderColumn*& column) {
        CSelectColumnDlg dlg(manager, column, parent);
        if (dlg.exec() != QDialog::Accepted) return false;
        column = dlg.Column();
        return true;
    };
}
