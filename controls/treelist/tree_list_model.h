#pragma once

// The tree-list's rows and columns without a widget: row records, their counts through insert,
// copy, move and delete, and the columns with their widths. It offers itself to the HTML
// generator as rows and columns.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/html/html_rows.h"
#include "controls/treelist/tree_list_rules.h"

namespace zor {

using HTREEITEM = HtmlRowId;  // 0: none, or the root as a parent
inline constexpr HTREEITEM TVI_LAST = ~HTREEITEM(0);
inline constexpr HTREEITEM TVI_FIRST = ~HTREEITEM(0) - 1;

struct CTreeListRow {
    std::vector<std::string> m_texts;
    std::uint32_t m_data = 0;
    HTREEITEM m_parent = 0;
    bool m_fictive = false, m_expanded = false;
    std::string m_type;
    int m_bold = 0;
    std::uint32_t m_color = 0;  // 0x00BBGGRR
};

class CTreeListModel : public IHtmlRows {
public:
    // Columns. DeleteColumn lowers the count only when a column went.
    int InsertColumn(int index, const std::string& title, int align = 0, int width = -1);
    bool DeleteColumn(int column);
    void DeleteAllColumns();
    int GetColumnsNum() const { return static_cast<int>(m_columns.size()); }
    int GetColumnWidth(int column) const;
    bool SetColumnWidth(int column, int width);
    int GetColumnAlign(int column) const;
    CTreeListColumnMarks& Marks() { return m_marks; }

    // Rows. `after` is a sibling, TVI_FIRST or TVI_LAST.
    HTREEITEM InsertItem(const std::string& text, HTREEITEM parent = 0, HTREEITEM after = TVI_LAST,
                         bool fictive = false);
    // Null for a row with children; the copy keeps cells, bold, colour and data.
    HTREEITEM CopyItem(HTREEITEM item, HTREEITEM parent, HTREEITEM after);
    HTREEITEM MoveItem(HTREEITEM item, HTREEITEM parent, HTREEITEM after);
    bool DeleteItem(HTREEITEM item);
    void DeleteAllItems();
    int GetItemCount() const { return static_cast<int>(m_rows.size()); }

    CTreeListRow* Row(HTREEITEM item);
    const CTreeListRow* Row(HTREEITEM item) const;
    bool SetItemText(HTREEITEM item, int column, const std::string& text);
    std::string GetItemText(HTREEITEM item, int column) const;
    HTREEITEM GetParentItem(HTREEITEM item) const;
    HTREEITEM GetTreeItem(int n) const;

    bool IsExpanded(HTREEITEM item) const;
    void SetExpanded(HTREEITEM item, bool expanded);
    void SetSelected(HTREEITEM item, bool selected);
    // The red highlight of a row something is dragged over.
    bool IsDropHilited(HTREEITEM item) const;
    void SetDropHilited(HTREEITEM item, bool on);
    // The row above or below `item` among VisibleRows; 0 at either end or for a hidden row.
    HTREEITEM GetNextVisible(HTREEITEM item) const;
    HTREEITEM GetPrevVisible(HTREEITEM item) const;

    // Orders the children of `parent` (0: the top level) by one column, one level only; rows
    // that compare equal keep their order.
    void SortChildren(HTREEITEM parent, int column, bool ascending, bool sortAll);

    // IHtmlRows
    int ColumnCount() const override { return GetColumnsNum(); }
    std::string ColumnTitle(int column) const override;
    int ColumnWidth(int column) const override { return GetColumnWidth(column); }
    std::vector<HtmlRowId> Children(HtmlRowId parent) const override;
    std::vector<HtmlRowId> VisibleRows() const override;
    std::string CellText(HtmlRowId row, int column) const override { return GetItemText(row, column); }
    bool IsSelected(HtmlRowId row) const override;
    bool IsFictive(HtmlRowId row) const override;

private:
    struct Column { std::string title; int align = 0, width = 0; };
    struct Node {
        CTreeListRow row;
        HTREEITEM parent = 0;  // the tree's own parent, whatever the record's link says
        bool selected = false, open = false, dropHilited = false;
    };
    HTREEITEM Link(Node node, HTREEITEM parent, HTREEITEM after);
    void AddVisible(HTREEITEM parent, std::vector<HtmlRowId>& out) const;

    std::vector<Column> m_columns;
    CTreeListColumnMarks m_marks;
    std::map<HTREEITEM, std::unique_ptr<Node>> m_rows;
    std::map<HTREEITEM, std::vector<HTREEITEM>> m_children;  // 0: top level
    HTREEITEM m_next = 1;
};

}  // namespace zor
