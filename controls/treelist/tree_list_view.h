#pragma once
// A view that hosts a tree-list with title tips under its column header, sorts the whole tree
// when a column title is clicked, and saves the rows as separated values or an HTML table. It
// can be placed in a dialog or any window with CreateTreeListView.
#include <string>

#include <QWidget>

#include "controls/resources/imagelist.h"
#include "controls/treelist/tree_list_ctrl.h"

class QScrollBar;

class CzorTreeListCtrlView : public QWidget {
    Q_OBJECT
public:
    explicit CzorTreeListCtrlView(QWidget* parent = nullptr);
    ~CzorTreeListCtrlView() override;

    // Null without a parent. Made as a visible child with the given number, laid out at `rect`.
    static CzorTreeListCtrlView* CreateTreeListView(QWidget* parent, const QRect& rect, int id);
    void OnInitialUpdate();

    CzorTreeListCtrlWithToolTip& GetTreeCtrl() { return *m_tree; }
    CzorTreeListHeaderCtrl& GetHeaderCtrl() { return *m_tree->Header(); }
    QScrollBar* GetScrollBar() const;

    // Repeats the last sort from `first` (null: the first top-level row) down every level.
    void SortTree(HTREEITEM first);
    void SortTree(int column, int ascending, HTREEITEM first);
    int SortColumn() const { return m_nSortColumn; }
    int SortAscending() const { return m_bSortAscending; }
    // The owner hears of the expansion first; bit 0 of `flags` expands every row below too.
    void Expand(HTREEITEM node, unsigned flags);

    int HorizontalScrollVisible() const;
    int VerticalScrollVisible() const;
    // Refits the header and the scroll bar after rows or widths changed.
    void ResetScrollBar();
    // Later sorts go by column 0, in the direction they had.
    void DeleteAllColumns();

    // Asks for a file (the proposed name from `title`, or the last export's) and writes the rows:
    // HTML for ".htm"/".html", comma-separated for ".csv", tab-separated otherwise. `file` given
    // skips the dialog. False when cancelled or the file could not be written.
    bool SaveListDoc(bool all, const char* title, const char* heading, const std::string& file = {});
    const std::string& ExportName() const { return m_strExportName; }

    bool m_bAutofitHeader = false;

signals:
    void contextMenuForwarded(QPoint screen);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Initialize();
    void OnHeaderClicked(int column);
    void OnScrollAction(int action);

    CzorTreeListCtrlWithToolTip* m_tree;
    CImageList m_sortArrows;
    int m_nSortColumn = 0;
    int m_bSortAscending = 0;
    bool m_bReady = false;
    std::string m_strExportName;
};
