#include "designer/frame/navigator_bar.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace quillmark {

CNavigatorBar::CNavigatorBar(QWidget* parent) : QDockWidget(QString::fromUtf8("Параметры"), parent) {
    setObjectName("61447");
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName("navigator");
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    setWidget(m_tree);
    setMinimumWidth(120);
    resize(210, 50);
}

}  // namespace quillmark
