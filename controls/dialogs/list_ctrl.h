#pragma once
// A report-style list: columns under a header, rows of cell texts, a number of the owner's per
// row, selection by whole rows, and grid lines. Rows and columns are addressed by index, as the
// dialogs that fill such lists expect.
#include <cstdint>
#include <string>
#include <vector>

#include <QTreeWidget>

#include "platform/win/geometry.h"

// Column text alignment.
enum : int { LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2 };

class CzorListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CzorListCtrl(QWidget* parent = nullptr);

    // The new column's index, or -1. A width of -1 fits the heading.
    int InsertColumn(int index, const std::string& heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    bool DeleteColumn(int column);
    int GetColumnCount() const;
    std::string GetColumnHeading(int column) const;
    int GetColumnWidth(int column) const;
    bool SetColumnWidth(int column, int width);

    int GetItemCount() const { return topLevelItemCount(); }
    // The new row's index (at the end when `index` is past it), or -1 without columns.
    int InsertItem(int index, const std::string& text);
    bool DeleteItem(int item);
    // Deletes every row; false when there was none.
    bool DeleteAllItems();
    bool SetItemText(int item, int subItem, const std::string& text);
    std::string GetItemText(int item, int subItem) const;
    bool SetItemData(int item, uint64_t data);
    uint64_t GetItemData(int item) const;

    void SetItemSelected(int item, bool selected);
    bool IsItemSelected(int item) const;
    int GetSelectedCount() const;
    // The next selected row after `after` (-1 to start), or -1.
    int GetNextSelectedItem(int after = -1) const;

    // A cell's rectangle in the rows area's coordinates (empty when the cell does not exist).
    CRect GetSubItemRect(int item, int subItem) const;
    // The row under a point of the rows area, or -1; `subItem` receives the column.
    int HitTest(const QPoint& point, int* subItem = nullptr) const;

    // Widths that fit a column's cells, and its heading.
    int ContentWidth(int column) const;
    int HeadingWidth(int column) const;

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QTreeWidgetItem* Row(int item) const;
    std::vector<int> m_align;  // per column
};
