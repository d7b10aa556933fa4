#include "designer/navigator/navigator_view.h"

#include <unistd.h>

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QtEndian>
#include <QTreeWidget>

#include "designer/doc/quillmark_doc.h"
#include "designer/navigator/doc_navigator.h"
#include "designer/navigator/navigator_items.h"

namespace quillmark {

QByteArray MakeSheetDragRecord(qint64 processId, long long itemId) {
    QByteArray record(12, '\0');
    qToLittleEndian<qint32>(static_cast<qint32>(processId), record.data());
    qToLittleEndian<qint64>(static_cast<qint64>(itemId), record.data() + 4);
    return record;
}

bool ParseSheetDragRecord(const QByteArray& record, qint64& processId, long long& itemId) {
    if (record.size() != 12) return false;
    processId = qFromLittleEndian<qint32>(record.constData());
    itemId = qFromLittleEndian<qint64>(record.constData() + 4);
    return true;
}

CNavigatorView::CNavigatorView(QTreeWidget* tree, QObject* parent) : QObject(parent), m_tree(tree) {
    m_tree->setDragDropMode(QAbstractItemView::NoDragDrop);
    m_tree->setAcceptDrops(true);
    m_tree->viewport()->setAcceptDrops(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->setRootIsDecorated(true);
    m_tree->viewport()->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { OnItemClicked(item); });
    connect(m_tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) { OnContextMenu(pos); });
}

// Qt drops the event filter with this object, and the tree may already be gone when the bar deletes it.
CNavigatorView::~CNavigatorView() = default;

void CNavigatorView::SetRedraw(bool redraw) {
    m_redraw = redraw;
    m_tree->setUpdatesEnabled(redraw);
}

bool CNavigatorView::SetSelectionFollows(bool follows) {
    const bool previous = m_selectionFollows;
    m_selectionFollows = follows;
    return previous;
}

void CNavigatorView::OnItemClicked(QTreeWidgetItem* item) {
    if (!m_redraw || !item) return;
    m_tree->setCurrentItem(item);
    CQuillmarkDoc* doc = m_nav ? m_nav->Document() : nullptr;
    if (!doc || !m_selectionFollows) return;
    CNavigatorItem* object = m_nav->ItemOf(item);
    if (!object || (object->Kind() != kItemSheet && object->Kind() != kItemContents)) return;
    if (object->Sheet()) doc->ShowSheet(object->Sheet());
}

void CNavigatorView::OnContextMenu(const QPoint& pos) {
    const bool hasItems = m_tree->topLevelItemCount() > 0;
    if (hasItems) {
        QTreeWidgetItem* under = m_tree->itemAt(pos);
        if (under) m_tree->setCurrentItem(under);
    }
    CQuillmarkDoc* doc = m_nav ? m_nav->Document() : nullptr;
    if (!doc || doc->m_mode == kDocView || !hasItems) return;
    const QPoint global = m_tree->viewport()->mapToGlobal(pos);
    if (CNavigatorItem* item = m_nav->ItemOf(m_tree->currentItem())) {
        item->ShowContextMenu(global, m_tree);
        return;
    }
    const int chosen = RunNavigatorMenu(global, m_tree, false, false);
    if (chosen == ID_NAV_NEW_SHEET) doc->AddSheet();
    else if (chosen == ID_NAV_NEW_PARAM) doc->NewParam();
}

QMimeData* CNavigatorView::DragData(QTreeWidgetItem* item) const {
    CQuillmarkDoc* doc = m_nav ? m_nav->Document() : nullptr;
    if (!doc || doc->m_mode == kDocView) return nullptr;
    // A sheet is dragged within the tree, a parameter onto a text rectangle of the editor view.
    CNavigatorItem* object = m_nav->ItemOf(item);
    if (!object || (object->Kind() != kItemSheet && object->Kind() != kItemParam)) return nullptr;
    auto* data = new QMimeData;
    data->setData(kSheetDragFormat, MakeSheetDragRecord(::getpid(), object->Id()));
    return data;
}

void CNavigatorView::StartDrag() {
    QMimeData* data = DragData(m_pressedItem);
    m_pressedItem = nullptr;
    if (!data) return;
    auto* drag = new QDrag(m_tree);
    drag->setMimeData(data);
    m_dragging = true;
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
    m_dragging = false;
}

bool CNavigatorView::HandleDrop(const QMimeData& data, const QPoint& pos) {
    if (data.hasUrls()) {
        // The file opens once the drop has been handled.
        if (dropFiles) dropFiles(data);
        return false;
    }
    if (!m_nav || !m_nav->Document() || !data.hasFormat(kSheetDragFormat)) return false;
    qint64 processId = 0;
    long long itemId = 0;
    if (!ParseSheetDragRecord(data.data(kSheetDragFormat), processId, itemId) || processId != ::getpid())
        return false;
    auto* dragged = dynamic_cast<CSheetItem*>(m_nav->FindItem(itemId));
    if (!dragged || dragged->Kind() != kItemSheet) return false;
    CNavigatorItem* target = m_nav->ItemOf(m_tree->itemAt(pos));
    return m_nav->MoveSheetTo(dragged, target);
}

bool CNavigatorView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_tree->viewport()) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                m_pressPos = mouse->position().toPoint();
                m_pressedItem = m_tree->itemAt(m_pressPos);
            }
            return false;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (m_pressedItem && (mouse->buttons() & Qt::LeftButton) &&
                (mouse->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
                StartDrag();
                return true;
            }
            return false;
        }
        case QEvent::MouseButtonRelease: m_pressedItem = nullptr; return false;
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            const QMimeData* data = drag->mimeData();
            if (data->hasFormat(kSheetDragFormat)) {
                if (QTreeWidgetItem* under = m_tree->itemAt(drag->position().toPoint()))
                    m_tree->setCurrentItem(under);
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else if (data->hasUrls()) {
                drag->acceptProposedAction();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            drop->acceptProposedAction();
            HandleDrop(*drop->mimeData(), drop->position().toPoint());
            return true;
        }
        default: return false;
    }
}

}  // namespace quillmark
