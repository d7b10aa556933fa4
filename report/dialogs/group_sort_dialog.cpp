#include "report/dialogs/group_sort_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/level_dialog.h"
#include "report/model/group_col.h"

namespace {

QListWidget* MakeList(QWidget* parent, const char* id) {
    auto* list = new QListWidget(parent);
    list->setObjectName(id);
    return list;
}

void Fill(QListWidget* list, const std::vector<std::string>& names, int row) {
    list->clear();
    for (const std::string& name : names) list->addItem(QString::fromStdString(name));
    if (row >= 0 && row < list->count()) list->setCurrentRow(row);
}

}  // namespace

CGroupSortDlg::CGroupSortDlg(CReportSection* section, QWidget* parent) : QDialog(parent), m_Logic(section) {
    setObjectName("8002");
    setWindowTitle(QString::fromUtf8("Настройка полей группировки и сортировки"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout();
    m_pSource = MakeList(this, "8012");
    m_pGroups = MakeList(this, "8013");
    m_pSorts = MakeList(this, "8014");
    grid->addWidget(new QLabel(QString::fromUtf8("Поля источника данных"), this), 0, 0);
    grid->addWidget(new QLabel(QString::fromUtf8("Поля группировки"), this), 0, 2);
    grid->addWidget(new QLabel(QString::fromUtf8("Поля сортировки"), this), 2, 2);
    grid->addWidget(m_pSource, 1, 0, 3, 1);
    grid->addWidget(m_pGroups, 1, 2);
    grid->addWidget(m_pSorts, 3, 2);
    layout->addLayout(grid);

    const auto button = [this](const char* id, const char* text, auto&& action) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(id);
        connect(b, &QPushButton::clicked, this, action);
        return b;
    };
    const auto runner = [this](CGroupCol* g, LOGFONT& f) { return RunGroupParams(g, f); };
    auto* groupMoves = new QVBoxLayout();
    groupMoves->addWidget(button("8015", ">", [this, runner] {
        const int row = m_Logic.AddGroup(m_pSource->currentRow(), runner);
        if (row >= 0) Refill(row, m_pSorts->currentRow());
    }));
    groupMoves->addWidget(button("8016", "<", [this] {
        if (m_Logic.RemoveGroup(m_pGroups->currentRow())) Refill(-1, m_pSorts->currentRow());
    }));
    auto* sortMoves = new QVBoxLayout();
    sortMoves->addWidget(button("8017", ">", [this] {
        const int row = m_Logic.AddSort(m_pSource->currentRow());
        if (row >= 0) Refill(m_pGroups->currentRow(), row);
    }));
    sortMoves->addWidget(button("8018", "<", [this] {
        if (m_Logic.RemoveSort(m_pSorts->currentRow())) Refill(m_pGroups->currentRow(), -1);
    }));
    grid->addLayout(groupMoves, 1, 1);
    grid->addLayout(sortMoves, 3, 1);
    auto* groupOrder = new QVBoxLayout();
    groupOrder->addWidget(button("8021", "Up", [this] { Refill(m_Logic.MoveGroup(m_pGroups->currentRow(), -1), m_pSorts->currentRow()); }));
    groupOrder->addWidget(button("8022", "D", [this] { Refill(m_Logic.MoveGroup(m_pGroups->currentRow(), +1), m_pSorts->currentRow()); }));
    auto* sortOrder = new QVBoxLayout();
    sortOrder->addWidget(button("8019", "Up", [this] { Refill(m_pGroups->currentRow(), m_Logic.MoveSort(m_pSorts->currentRow(), -1)); }));
    sortOrder->addWidget(button("8020", "D", [this] { Refill(m_pGroups->currentRow(), m_Logic.MoveSort(m_pSorts->currentRow(), +1)); }));
    grid->addLayout(groupOrder, 1, 3);
    grid->addLayout(sortOrder, 3, 3);
    connect(m_pGroups, &QListWidget::itemDoubleClicked, this,
            [this, runner] { m_Logic.EditGroup(m_pGroups->currentRow(), runner); });

    AddOkCancel(this, layout, [this] {
        m_Logic.Ok(m_Removed);
        return true;
    });
    connect(this, &QDialog::rejected, this, [this] { m_Logic.Cancel(); });
    Refill(-1, -1);
}

int CGroupSortDlg::exec() { return m_Logic.CanOpen() ? QDialog::exec() : 0; }

void CGroupSortDlg::Refill(int groupRow, int sortRow) {
    Fill(m_pSource, m_Logic.SourceNames(), -1);
    Fill(m_pGroups, m_Logic.GroupNames(), groupRow);
    Fill(m_pSorts, m_Logic.SortNames(), sortRow);
}

bool CGroupSortDlg::RunGroupParams(CGroupCol* group, LOGFONT& font) {
    CGroupParamsDlg dlg(group, &font, this);
    if (dlg.exec() != QDialog::Accepted) return false;
    font = dlg.Font();
    return true;
}
