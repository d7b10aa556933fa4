#pragma once
// A tree of rows in memory for the HTML generator's tests.

#include <map>
#include <string>
#include <vector>

#include "controls/html/html_rows.h"

namespace zor::test {

class FakeRows : public IHtmlRows {
public:
    struct Column { std::string title; int width; };
    struct Row {
        HtmlRowId parent = 0;
        std::vector<std::string> cells;
        bool selected = false, fictive = false, expanded = true;
    };

    std::vector<Column> columns;
    std::map<HtmlRowId, Row> rows;  // ids in insertion order give the display order

    HtmlRowId Add(HtmlRowId parent, std::vector<std::string> cells) {
        const HtmlRowId id = rows.size() + 1;
        rows[id] = Row{parent, std::move(cells)};
        return id;
    }

    int ColumnCount() const override { return static_cast<int>(columns.size()); }
    std::string ColumnTitle(int c) const override { return columns[c].title; }
    int ColumnWidth(int c) const override { return columns[c].width; }
    std::vector<HtmlRowId> Children(HtmlRowId parent) const override {
        std::vector<HtmlRowId> out;
        for (const auto& [id, row] : rows)
            if (row.parent == parent) out.push_back(id);
        return out;
    }
    std::vector<HtmlRowId> VisibleRows() const override {
        std::vector<HtmlRowId> out;
        AddVisible(0, out);
        return out;
    }
    std::string CellText(HtmlRowId row, int c) const override {
        const auto& cells = rows.at(row).cells;
        return c < static_cast<int>(cells.size()) ? cells[c] : std::string();
    }
    bool IsSelected(HtmlRowId row) const override { return rows.at(row).selected; }
    bool IsFictive(HtmlRowId row) const override { return rows.at(row).fictive; }

private:
    void AddVisible(HtmlRowId parent, std::vector<HtmlRowId>& out) const {
        for (HtmlRowId id : Children(parent)) {
            out.push_back(id);
            if (rows.at(id).expanded) AddVisible(id, out);
        }
    }
};

}  // namespace zor::test
