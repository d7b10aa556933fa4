#pragma once
// The grouping-and-sorting fields dialog (template 8002, caption "Настройка полей группировки и
// сортировки"): lists 8012 (data source), 8013 (grouping), 8014 (sorting) and the buttons that move
// columns between them (8015 to 8022).
#include <QDialog>
#include <memory>
#include <vector>

#include "report/dialogs/group_sort_logic.h"
#include "report/model/group_col.h"

class QListWidget;

class CGroupSortDlg : public QDialog {
    Q_OBJECT
public:
    explicit CGroupSortDlg(CReportSection* section, QWidget* parent = nullptr);
    // Without a section the dialog ends at once with 0.
    int exec() override;
    // After OK: the grouping columns taken out of the section, their store instances still in the store.
    std::vector<std::unique_ptr<CGroupCol>>& Removed() { return m_Removed; }

private:
    void Refill(int groupRow, int sortRow);
    bool RunGroupParams(CGroupCol* group, LOGFONT& font);

    CGroupSortDlgLogic m_Logic;
    std::vector<std::unique_ptr<CGroupCol>> m_Removed;
    QListWidget* m_pSource;
    QListWidget* m_pGroups;
    QListWidget* m_pSorts;
};
