#include "controls/html/list_ctrl_rows.h"

#include "controls/dialogs/list_ctrl.h"

namespace zor {

int CListCtrlRows::ColumnCount() const { return m_list.GetColumnCount(); }
std::string CListCtrlRows::ColumnTitle(int column) const { return m_list.GetColumnHeading(column); }
int CListCtrlRows::ColumnWidth(int column) const { return m_list.GetColumnWidth(column); }

std::vector<HtmlRowId> CListCtrlRows::Children(HtmlRowId parent) const {
    std::vector<HtmlRowId> rows;
    if (parent != 0) return rows;
    for (int i = 0; i < m_list.GetItemCount(); ++i) rows.push_back(static_cast<HtmlRowId>(i) + 1);
    return rows;
}

std::string CListCtrlRows::CellText(HtmlRowId row, int column) const {
    return row == 0 ? std::string() : m_list.GetItemText(static_cast<int>(row - 1), column);
}

bool CListCtrlRows::IsSelected(HtmlRowId row) const {
    return row != 0 && m_list.IsItemSelected(static_cast<int>(row - 1));
}

}  // namespace zor
