#pragma once

// The rows and columns the HTML generator writes as a table. The plain list and the tree-list
// both offer this view of themselves, so the generator needs no widget to be tested.

#include <cstdint>
#include <string>
#include <vector>

namespace zor {

using HtmlRowId = std::uintptr_t;  // 0 is the root, never a row

class IHtmlRows {
public:
    virtual ~IHtmlRows() = default;

    virtual int ColumnCount() const = 0;
    virtual std::string ColumnTitle(int column) const = 0;
    virtual int ColumnWidth(int column) const = 0;

    // Rows in display order: the children of `parent` (0 for the top level).
    virtual std::vector<HtmlRowId> Children(HtmlRowId parent) const = 0;
    // The rows a user sees now (parents expanded), in display order.
    virtual std::vector<HtmlRowId> VisibleRows() const = 0;
    virtual std::string CellText(HtmlRowId row, int column) const = 0;
    virtual bool IsSelected(HtmlRowId row) const = 0;
    // A fictive row stands in for children not loaded yet; it is never exported.
    virtual bool IsFictive(HtmlRowId) const { return false; }
};

}  // namespace zor
