#pragma once
// CNavigatorView: what the navigator tree does with the mouse: a click shows the clicked sheet, a right
// click opens the item's menu (or the tree's own), a sheet dragged within the tree is moved to the place
// of the sheet it is dropped on, and report files dropped on it are opened.
//
// A dragged sheet travels as a "QuillmarkSheet" record of the process id and the item's id, never an
// address: a record from another process, of an item that is gone or of another kind is ignored.
#include <functional>

#include <QByteArray>
#include <QObject>
#include <QPoint>

class QMimeData;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillmark {

class CDocNavigator;

// The clipboard format of a dragged sheet.
inline constexpr const char* kSheetDragFormat = "QuillmarkSheet";

// The drag record: process id (int32, little-endian) then item id (int64, little-endian).
QByteArray MakeSheetDragRecord(qint64 processId, long long itemId);
// False for a record of another length.
bool ParseSheetDragRecord(const QByteArray& record, qint64& processId, long long& itemId);

class CNavigatorView : public QObject {
public:
    // Works on the tree, a child of parent (which owns the view).
    CNavigatorView(QTreeWidget* tree, QObject* parent);
    ~CNavigatorView() override;

    // The navigator of the open document; null while none is open.
    void SetNavigator(CDocNavigator* navigator) { m_nav = navigator; }
    CDocNavigator* Navigator() const { return m_nav; }
    // Files dropped on the tree: whoever opens them (they open once the drop has been handled).
    std::function<void(const QMimeData&)> dropFiles;
    void SetRedraw(bool redraw);
    // Returns the previous flag.
    bool SetSelectionFollows(bool follows);

    // A click on the tree item: selects it and, when the selection follows, shows its sheet.
    void OnItemClicked(QTreeWidgetItem* item);
    // A right click at a point of the tree's viewport.
    void OnContextMenu(const QPoint& pos);
    // What a drop of these data at a point of the viewport does; true when a sheet moved.
    bool HandleDrop(const QMimeData& data, const QPoint& pos);
    // The data a drag of the tree item offers; null when it may not be dragged.
    QMimeData* DragData(QTreeWidgetItem* item) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StartDrag();

    QTreeWidget* m_tree;
    CDocNavigator* m_nav = nullptr;
    bool m_redraw = true;
    bool m_selectionFollows = true;
    QTreeWidgetItem* m_pressedItem = nullptr;
    QPoint m_pressPos;
    bool m_dragging = false;
};

}  // namespace quillmark
