#pragma once
// CNavigatorBar: the docking bar "Параметры" on the left of the main frame that hosts the navigator tree
// (the report's sheets, parameters and contents). The document fills the tree; the bar owns it.
#include <functional>
#include <string>

#include <QDockWidget>

class QMimeData;
class QTreeWidget;

namespace quillmark {

class CNavigatorBar : public QDockWidget {
public:
    explicit CNavigatorBar(QWidget* parent);
    QTreeWidget* Tree() const { return m_tree; }

    // Opens a report or template dropped on the bar. It runs once the drop has been handled, since an
    // open replaces the document and its views, and the drop's own handler must not be torn down under it.
    std::function<void(const std::string&)> openDroppedFile;
    // What a drop of these data does (the drop event's work).
    void HandleDrop(const QMimeData& data);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QTreeWidget* m_tree;
};

}  // namespace quillmark
