#pragma once
// CNavigatorBar: the docking bar "Параметры" on the left of the main frame that hosts the navigator tree
// (the report's sheets, parameters and contents). The document fills the tree; the bar owns it.
#include <QDockWidget>

class QTreeWidget;

namespace quillmark {

class CNavigatorBar : public QDockWidget {
public:
    explicit CNavigatorBar(QWidget* parent);
    QTreeWidget* Tree() const { return m_tree; }

private:
    QTreeWidget* m_tree;
};

}  // namespace quillmark
