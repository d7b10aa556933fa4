#pragma once
// The plain list seen as rows and columns, so that the HTML generator writes its table. Row ids
// are the row's index plus one (0 stays the root).
#include "controls/html/html_rows.h"

class CzorListCtrl;

namespace zor {

class CListCtrlRows : public IHtmlRows {
public:
    explicit CListCtrlRows(const CzorListCtrl& list) : m_list(list) {}

    int ColumnCount() const override;
    std::string ColumnTitle(int column) const override;
    int ColumnWidth(int column) const override;
    std::vector<HtmlRowId> Children(HtmlRowId parent) const override;
    std::vector<HtmlRowId> VisibleRows() const override { return Children(0); }
    std::string CellText(HtmlRowId row, int column) const override;
    bool IsSelected(HtmlRowId row) const override;

private:
    const CzorListCtrl& m_list;
};

}  // namespace zor
