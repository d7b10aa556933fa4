#pragma once
// A tree whose rows are drawn as table rows under a column header: every node is a row whose
// cells stand in the header's columns. The rows live in a CTreeListModel (counts, copies, moves,
// sorting, the rows-and-columns view the exports read); the widget mirrors its nodes, paints the
// cells itself with grid lines, keeps its own selection (single or multiple, handled on press and
// release) and tells an owner dialog of expansion, sorting and key presses before and after.
//
// Messages an owner window received become signals, in the same order.
#include <unordered_map>
#include <vector>

#include <QPoint>
#include <QTreeWidget>

#include "controls/dialogs/resizable_dialog.h"
#include "controls/treelist/tree_list_model.h"
#include "platform/win/gdi_types.h"

class CzorTitleTip;
class QTimer;
class CzorTreeListHeaderCtrl;

// The message an owner gets after a press on a row (WM_USER + 51).
inline constexpr int kTreeListOwnerMessage = 0x0400 + 51;

class CzorTreeListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CzorTreeListCtrl(QWidget* parent = nullptr);
    ~CzorTreeListCtrl() override;

    // The owner receives the hooks; the control never sets it itself.
    CzorResizableDialog* m_pOwner = nullptr;
    bool m_bAutoStretch = false;
    int m_nStretchColumn = 0;
    bool m_bSortAll = true;

    CzorTreeListHeaderCtrl* Header() const { return m_header; }
    const zor::CTreeListModel& Model() const { return m_model; }

    // Columns. `align`: 0 left, 1 right, 2 centre; `width` -1 keeps the header's default.
    int InsertColumn(int index, const char* title, int align = 0, int width = -1, int = -1);
    // The count drops only when a column went.
    bool DeleteColumn(int column);
    void DeleteAllColumns();
    int GetColumnWidth(int column) const;
    int GetColumnAlign(int column) const;
    void RecalcColumnsWidth();
    int GetColumnsNum() const { return m_model.GetColumnsNum(); }
    int GetColumnsWidth() const { return m_nColumnsWidth; }
    int GetItemCount() const { return m_model.GetItemCount(); }
    int SetColumnDate(int column) { return m_model.Marks().SetColumnDate(column); }
    int SetColumnNum(int column) { return m_model.Marks().SetColumnNum(column); }
    int GetColType(int column) { return m_model.Marks().GetColType(column); }

    // Rows. A null parent is the top level; `after` null means the last place.
    HTREEITEM InsertItem(const char* text, HTREEITEM parent = nullptr, HTREEITEM after = nullptr,
                         bool fictive = false);
    HTREEITEM InsertItem(const char* text, int image, int selectedImage, HTREEITEM parent = nullptr,
                         HTREEITEM after = nullptr);
    HTREEITEM InsertItem(unsigned mask, const char* text, int image, int selectedImage, unsigned state,
                         unsigned stateMask, std::uint32_t data, HTREEITEM parent, HTREEITEM after);
    // Null for a row with children.
    HTREEITEM CopyItem(HTREEITEM item, HTREEITEM parent, HTREEITEM after);
    HTREEITEM MoveItem(HTREEITEM item, HTREEITEM parent, HTREEITEM after);
    bool DeleteItem(HTREEITEM item);
    bool DeleteItem(int topLevelIndex);
    // Nonzero when a deletion failed.
    int DeleteSubItems(HTREEITEM item);
    bool DeleteAllItems();

    bool SetItemText(HTREEITEM item, int column, const char* text);
    std::string GetItemText(HTREEITEM item, int column) const;
    std::string GetItemText(int topLevelIndex, int column) const;
    // The row is repainted whatever `redraw` says.
    bool SetItemColor(HTREEITEM item, COLORREF color, int redraw = 0);
    bool SetItemBold(HTREEITEM item, int bold, int redraw = 0);
    bool SetItemType(HTREEITEM item, const std::string& type);
    bool GetItemType(HTREEITEM item, std::string& type) const;
    bool SetItemData(HTREEITEM item, std::uint32_t data);
    std::uint32_t GetItemData(HTREEITEM item) const;
    bool IsItemFictive(HTREEITEM item) const;
    zor::CTreeListRow* GetRow(HTREEITEM item);
    HTREEITEM GetTreeItem(int n) const;
    int GetListItem(HTREEITEM item) const;
    HTREEITEM GetParentItem(HTREEITEM item) const;
    HTREEITEM GetNextVisibleItem(HTREEITEM item) const;

    // TVE_EXPAND or TVE_COLLAPSE, with the record's flag set first (so the owner is not told), or
    // TVE_TOGGLE, which leaves the flag as it is. False for a row without a record or a code of none.
    bool Expand(HTREEITEM item, unsigned code);

    // Selection.
    bool SetSelectMode(bool single);
    bool IsSingleSelect() const { return m_bSingleSelect; }
    // Ctrl and Shift as the keyboard holds them now.
    int SelectItem(HTREEITEM item, bool buttonDown);
    int SelectItem(HTREEITEM item, bool buttonDown, Qt::KeyboardModifiers modifiers);
    void SingleSelectItem(HTREEITEM item, bool makeCaret);
    void DeselectAll(bool selected = true, bool dropHilited = true);
    bool IsSelected(HTREEITEM item) const;
    bool IsDropHilited(HTREEITEM item) const;
    void SetDropHilited(HTREEITEM item, bool on);
    HTREEITEM GetNextSelectedItem(HTREEITEM after) const;
    bool GetListSelected(std::vector<HTREEITEM>& out) const;
    HTREEITEM GetAnchor() const { return m_hAnchor; }

    // A host may open the anchor row after a pause (while something is dragged over it); any mouse
    // movement over the control stops the timer.
    void StartExpandTimer(int milliseconds);
    bool IsExpandTimerRunning() const;

    // One level: the children of `parent` (null: the top level).
    void SortItems(int column, int ascending, HTREEITEM parent);

    COLORREF SetBkColor(COLORREF color);
    bool m_bHorzLines = true, m_bVertLines = true;

    static std::string GetNextLine(std::string& text) { return zor::GetNextLine(text); }

    HTREEITEM ItemOf(zor::HTREEITEM id) const;
    zor::HTREEITEM IdOf(const QTreeWidgetItem* item) const;

signals:
    // A press on a row with an owner (WM_USER + 51 to the owner, wParam the control's id).
    void ownerNotified(int controlId);
    // Mouse messages passed on to the parent, the point in screen coordinates (the right button's
    // release: in the control's coordinates).
    void buttonDownForwarded(QPoint screen);
    void buttonUpForwarded(QPoint screen);
    void doubleClickForwarded(QPoint screen);
    void rightButtonDownForwarded(QPoint screen);
    void rightButtonUpForwarded(QPoint client);
    void mouseMoveForwarded(QPoint screen);
    // The caret moved, with an owner: first the view's control id, then WM_USER + 51.
    void commandToOwner(int wParam);
    // Expansion done, without an owner to tell.
    void itemExpandedNotify(HTREEITEM item, unsigned action);
    // Rows were added or columns resized: the hosting view refits its scroll bar.
    void extentChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    HTREEITEM Mirror(zor::HTREEITEM id, HTREEITEM parent, HTREEITEM after);
    void Forget(QTreeWidgetItem* item);
    zor::HTREEITEM AfterId(HTREEITEM parent, HTREEITEM after) const;
    void ApplyHeader();
    void SyncWidths();
    // Expansion by the user: the owner hears of it before it happens and after.
    void ToggleByUser(HTREEITEM item);
    bool BeforeExpand(HTREEITEM item, bool expanding);
    void AfterExpand(HTREEITEM item, unsigned action);
    bool OnBranch(HTREEITEM item, QPoint pos) const;
    void SetSelected(HTREEITEM item, bool on);
    std::vector<HTREEITEM> VisibleItems() const;
    void UpdateOwner();

    zor::CTreeListModel m_model;
    std::unordered_map<zor::HTREEITEM, HTREEITEM> m_items;
    CzorTreeListHeaderCtrl* m_header;
    int m_nColumnsWidth = 0;
    COLORREF m_crBack;
    bool m_bSingleSelect = true;
    bool m_bMouseDown = false, m_bDeferredToggle = false;
    HTREEITEM m_hAnchor = nullptr;
    bool m_syncing = false;
    QTimer* m_expandTimer;
};

// The tree-list with the whole text of a clipped cell in a title tip.
class CzorTreeListCtrlWithToolTip : public CzorTreeListCtrl {
    Q_OBJECT
public:
    explicit CzorTreeListCtrlWithToolTip(QWidget* parent = nullptr);
    ~CzorTreeListCtrlWithToolTip() override;

    // `rect` in the control's coordinates.
    void DisplayToolTip(const QRect& rect, const QString& text);
    void HideToolTip();
    bool IsAppActive() const { return true; }
    CzorTitleTip* TitleTip() const { return m_tip; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    CzorTitleTip* m_tip = nullptr;
    QPoint m_lastMouse{-1, -1};
};
