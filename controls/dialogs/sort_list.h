#pragma once
// Report lists that sort by a click on a column header (Ctrl+click adds the column to a sort by
// several columns), show arrows on the sorted columns, show the whole text of a clipped cell or
// caption in a title tip, and keep their column widths in the profile under a name the owner
// gives. CSortListCtrl is the list placed in dialogs; CMultiColumnSortListView the same list
// filling a frame window. Every list made here gets its arrows, grid lines and title tips.
#include <map>
#include <memory>
#include <string>

#include <QHeaderView>
#include <QPixmap>

#include "controls/dialogs/list_ctrl.h"
#include "controls/dialogs/sort_order.h"
#include "controls/dialogs/title_tip.h"

// The header of a sortable list: an arrow on every sorted column, the caption in a title tip.
class CSortArrowHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit CSortArrowHeader(QWidget* parent = nullptr);

    void SetSortArrow(int column, bool ascending);
    void RemoveSortArrow(int column);
    void RemoveAllSortArrows();
    // -1 no arrow, 0 down (descending), 1 up (ascending).
    int ArrowOf(int column) const;
    int LastArrowColumn() const { return m_lastArrow; }
    // Made on the first mouse movement over the header; null before.
    CzorTitleTip* CaptionTip() const { return m_tip.get(); }

signals:
    // A left click on a column (never a right click); `ctrl` while Ctrl is held.
    void LeftClicked(int column, bool ctrl);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ShowArrow(int column, int arrow);

    std::map<int, bool> m_arrows;
    int m_lastArrow = -1;
    QPixmap m_up, m_down;
    std::unique_ptr<CzorTitleTip> m_tip;
    QPoint m_lastMouse{-1, -1};
    int m_pressed = -1;
};

class CSortListCtrl : public CzorListCtrl {
    Q_OBJECT
public:
    explicit CSortListCtrl(QWidget* parent = nullptr);
    ~CSortListCtrl() override;

    void SortColumn(int column, bool combined = false);
    // A left click on a header item: sorts, combined while Ctrl is held.
    void OnHeaderClicked(int column, bool ctrl);
    static bool IsControlPressed();
    bool IsSorting() const { return m_sorting; }

    bool GetItemSortState(int column) const { return m_order.GetItemSortState(column); }
    void SetItemSortState(int column, bool state) { m_order.SetItemSortState(column, state); }
    int GetNumCombinedSortedColumns() const { return m_order.GetNumCombinedSortedColumns(); }
    bool NotInCombinedSortedColumnList(int column) const { return m_order.NotInCombinedSortedColumnList(column); }
    int FindItemInCombedSortedList(int column) const { return m_order.FindItemInCombedSortedList(column); }
    void MoveItemInCombinedSortedListToEnd(int column) { m_order.MoveItemInCombinedSortedListToEnd(column); }
    const zor::CSortOrder& Order() const { return m_order; }

    void SetColumnNumeric(int column) { m_kinds.SetColumnNumeric(column); }
    void SetColumnDate(int column) { m_kinds.SetColumnDate(column); }
    int IsColumnNumeric(int column) const { return m_kinds.IsColumnNumeric(column); }
    void UnsetColumnNumeric(int column) { m_kinds.UnsetColumnNumeric(column); }
    int FindNumericColumnIndex(int column) const { return m_kinds.FindNumericColumnIndex(column); }

    // Removes the column's first numeric and date marks (later marks keep their numbers).
    bool DeleteColumn(int column);
    void DeleteAllColumns();

    // The name the widths are kept under; saved when the list goes.
    virtual void SetUniqueName(const std::string& name);
    virtual void SaveColumnWidths();
    int GetRegColumnWidth(int column) const;
    // The saved width when it is at least 20, else an automatic one.
    void SetColumnWidth(int column);
    using CzorListCtrl::SetColumnWidth;
    bool LoadColumnWidths();
    void AutoSizeColumn(int column);
    void AutoSizeAllColumns();

    CSortArrowHeader* ArrowHeader() const { return m_header; }
    CzorTitleTip* CellTip() const { return m_tip.get(); }

protected:
    // The owner shows its own context menu: the request goes on to the parent.
    virtual void OnContextMenu(QContextMenuEvent* event);
    void contextMenuEvent(QContextMenuEvent* event) override { OnContextMenu(event); }
    void mouseMoveEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

    bool m_saveOnDestroy = false;
    std::string m_uniqueName;
    bool m_sortingEnabled = true;

private:
    void SortRows(int column, bool ascending);

    zor::CSortOrder m_order;
    zor::CColumnKinds m_kinds;
    std::string m_section = "ColumnWidths";
    bool m_sorting = false;
    CSortArrowHeader* m_header;
    std::unique_ptr<CzorTitleTip> m_tip;
    QPoint m_lastMouse{-1, -1};
};

// The sortable list as the view of a frame window: sorting can be switched off, a new column
// takes its saved or automatic width at once, an empty name saves nothing, and columns are not
// deleted one by one. Its context menu requests take Qt's way up to the frame.
class CMultiColumnSortListView : public CSortListCtrl {
    Q_OBJECT
public:
    explicit CMultiColumnSortListView(QWidget* parent = nullptr);

    void EnableSorting(bool on = true) { m_sortingEnabled = on; }
    int InsertColumn(int index, const std::string& heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    void SetUniqueName(const std::string& name) override;

private:
    using CSortListCtrl::DeleteColumn;
};
