#include "designer/frame/navigator_bar.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include "designer/frame/file_drop.h"
#include "platform/ui/messages.h"

namespace quillmark {

CNavigatorBar::CNavigatorBar(QWidget* parent) : QDockWidget(QString::fromUtf8("Параметры"), parent) {
    setObjectName("61447");
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName("navigator");
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    setWidget(m_tree);
    setAcceptDrops(true);
    setMinimumWidth(120);
    resize(210, 50);
}

void CNavigatorBar::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CNavigatorBar::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CNavigatorBar::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    event->acceptProposedAction();
    HandleDrop(*event->mimeData());
}

void CNavigatorBar::HandleDrop(const QMimeData& data) {
    std::string toOpen;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) continue;
        const std::string path = url.toLocalFile().toStdString();
        switch (ClassifyDroppedFile(path)) {
            case DroppedFile::Missing: AfxMessageBox("File not found"); break;
            case DroppedFile::Report:
            case DroppedFile::Template:
                // One document at a time: the last of the dropped files is the one that opens.
                toOpen = path;
                break;
            case DroppedFile::Other: break;
        }
    }
    if (toOpen.empty() || !openDroppedFile) return;
    QTimer::singleShot(0, this, [bar = QPointer<CNavigatorBar>(this), toOpen] {
        if (bar && bar->openDroppedFile) bar->openDroppedFile(toOpen);
    });
}

}  // namespace quillmark
