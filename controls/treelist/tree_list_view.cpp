#include "controls/treelist/tree_list_view.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QScrollBar>
#include <QVBoxLayout>

#include "controls/html/html_gen.h"
#include "controls/resources/bitmaps.h"
#include "controls/treelist/list_export.h"
#include "controls/treelist/tree_list_header.h"
#include "platform/base/file_io.h"
#include "platform/ui/messages.h"

namespace {

HTREEITEM NextSibling(QTreeWidget* tree, HTREEITEM item) {
    if (QTreeWidgetItem* parent = item->parent()) {
        const int at = parent->indexOfChild(item) + 1;
        return at < parent->childCount() ? parent->child(at) : nullptr;
    }
    const int at = tree->indexOfTopLevelItem(item) + 1;
    return at < tree->topLevelItemCount() ? tree->topLevelItem(at) : nullptr;
}

}  // namespace

CzorTreeListCtrlView::CzorTreeListCtrlView(QWidget* parent)
    : QWidget(parent), m_tree(new CzorTreeListCtrlWithToolTip(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);
    m_tree->setObjectName("373");
    m_tree->Header()->setObjectName("337");
    m_tree->horizontalScrollBar()->setObjectName("377");
    connect(m_tree->Header(), &QHeaderView::sectionClicked, this, &CzorTreeListCtrlView::OnHeaderClicked);
    connect(m_tree, &CzorTreeListCtrl::extentChanged, this, &CzorTreeListCtrlView::ResetScrollBar);
    connect(m_tree->horizontalScrollBar(), &QScrollBar::actionTriggered, this, &CzorTreeListCtrlView::OnScrollAction);
}

CzorTreeListCtrlView::~CzorTreeListCtrlView() = default;

CzorTreeListCtrlView* CzorTreeListCtrlView::CreateTreeListView(QWidget* parent, const QRect& rect, int id) {
    if (!parent) return nullptr;
    auto* view = new CzorTreeListCtrlView(parent);
    view->setObjectName(QString::number(id));
    view->setGeometry(rect);
    view->OnInitialUpdate();
    view->show();
    return view;
}

void CzorTreeListCtrlView::OnInitialUpdate() {
    if (m_bReady) return;
    Initialize();
    m_bReady = true;
    ResetScrollBar();
}

void CzorTreeListCtrlView::Initialize() {
    m_sortArrows.Create(zor::LoadVistrelBitmap(zor::IDB_ZOR_TREE_SORT), 10, RGB(192, 192, 192));
    GetHeaderCtrl().SetImageList(&m_sortArrows);
    SortTree(0, 1, nullptr);
}

QScrollBar* CzorTreeListCtrlView::GetScrollBar() const { return m_tree->horizontalScrollBar(); }

void CzorTreeListCtrlView::SortTree(HTREEITEM first) {
    if (m_nSortColumn < 0) return;
    SortTree(m_nSortColumn, m_bSortAscending, first ? first : m_tree->GetTreeItem(0));
}

void CzorTreeListCtrlView::SortTree(int column, int ascending, HTREEITEM first) {
    for (HTREEITEM node = first; node; node = NextSibling(m_tree, node)) {
        if (node->childCount() == 0) continue;
        m_tree->SortItems(column, ascending, node);
        SortTree(column, ascending, node->child(0));
    }
    m_nSortColumn = column;
    m_bSortAscending = ascending;
}

void CzorTreeListCtrlView::OnHeaderClicked(int column) {
    CzorTreeListHeaderCtrl& header = GetHeaderCtrl();
    const bool ascending = zor::SortAscendingAfterClick(header.GetItemImage(column));
    for (int c = 0; c < header.count(); ++c) header.SetItemImage(c, -1);
    header.SetItemImage(column, ascending ? 0 : 1);
    m_tree->SortItems(column, ascending, nullptr);
    SortTree(column, ascending, m_tree->GetTreeItem(0));
    m_tree->viewport()->repaint();
}

void CzorTreeListCtrlView::Expand(HTREEITEM node, unsigned flags) {
    if (!node) return;
    if (m_tree->m_pOwner) m_tree->m_pOwner->Expand(node, TVE_EXPAND);
    m_tree->Expand(node, TVE_EXPAND);
    if (flags & 1)
        for (int i = 0; i < node->childCount(); ++i) Expand(node->child(i), flags);
}

int CzorTreeListCtrlView::HorizontalScrollVisible() const { return m_tree->horizontalScrollBar()->maximum() != 0; }
int CzorTreeListCtrlView::VerticalScrollVisible() const { return m_tree->verticalScrollBar()->maximum() != 0; }

void CzorTreeListCtrlView::ResetScrollBar() {
    if (!m_bReady) return;
    // Qt keeps the header, the rows and the bar aligned; the header is drawn past the last
    // column by itself.
    m_tree->viewport()->update();
}

void CzorTreeListCtrlView::OnScrollAction(int action) {
    // Qt's own steps depend on the number of columns; the list moves 6 pixels a line (the thumb snaps
    // to those steps too) and a page is the width of the rows' area.
    zor::HScroll request;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: request = zor::HScroll::LineLeft; break;
    case QAbstractSlider::SliderSingleStepAdd: request = zor::HScroll::LineRight; break;
    case QAbstractSlider::SliderPageStepSub: request = zor::HScroll::PageLeft; break;
    case QAbstractSlider::SliderPageStepAdd: request = zor::HScroll::PageRight; break;
    case QAbstractSlider::SliderToMinimum: request = zor::HScroll::Left; break;
    case QAbstractSlider::SliderToMaximum: request = zor::HScroll::Right; break;
    case QAbstractSlider::SliderMove: request = zor::HScroll::Thumb; break;
    default: return;
    }
    QScrollBar* bar = m_tree->horizontalScrollBar();
    bar->setSliderPosition(zor::HScrollPosition(request, bar->value(), bar->sliderPosition(), m_tree->viewport()->width(),
                                                bar->maximum() + 1));
}

void CzorTreeListCtrlView::DeleteAllColumns() {
    m_tree->DeleteAllColumns();
    m_nSortColumn = 0;
}

void CzorTreeListCtrlView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_bReady) return;
    if (m_bAutofitHeader) {
        GetHeaderCtrl().SetAutofit(true);
        GetHeaderCtrl().Autofit(-1, 0);
    }
    ResetScrollBar();
}

void CzorTreeListCtrlView::contextMenuEvent(QContextMenuEvent* event) { emit contextMenuForwarded(event->globalPos()); }

bool CzorTreeListCtrlView::SaveListDoc(bool all, const char* title, const char* heading, const std::string& file) {
    if (title) m_strExportName = title;
    m_strExportName = zor::ProposedExportName(m_strExportName);
    std::string path = file;
    if (path.empty()) {
        QFileDialog dialog(this, QString(), QString::fromStdString(m_strExportName),
                           QStringLiteral("Текстовые файлы CSV (*.csv);;Текстовые файлы (*.txt);;"
                                          "Файлы HTML (*.html *.htm);;Все файлы (*)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix("txt");
        dialog.setOption(QFileDialog::ReadOnly, false);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        path = dialog.selectedFiles().first().toStdString();
    }
    m_strExportName = QFileInfo(QString::fromStdString(path)).fileName().toStdString();
    const zor::ListDocKind kind = zor::ListDocKindOf(path);
    std::string bytes;
    if (kind == zor::ListDocKind::Html) {
        std::string table;
        const unsigned char flags = zor::CHtmlGen::kAppend | (all ? zor::CHtmlGen::kWholeTree : zor::CHtmlGen::kSelected);
        if (!zor::CHtmlGen::TreeListTable(&m_tree->Model(), flags, nullptr, &table)) return false;
        bytes = zor::CHtmlGen::EmptyTitleText() + table + zor::CHtmlGen::EmptyPSText();
    } else {
        bytes = zor::ListDocText(m_tree->Model(), all, heading ? heading : "",
                                 kind == zor::ListDocKind::Csv ? ',' : '\t');
    }
    std::string error;
    if (!zor::WriteFileAtomically(path, bytes, &error)) {
        AfxMessageBox("Список не сохранен: " + error, MB_ICONERROR);
        return false;
    }
    AfxMessageBox("Список сохранен!");
    return true;
}
