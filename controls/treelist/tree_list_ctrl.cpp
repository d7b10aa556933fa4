#include "controls/treelist/tree_list_ctrl.h"

#include <algorithm>
#include <functional>

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

#include "controls/dialogs/title_tip.h"
#include "controls/treelist/tree_list_header.h"
#include "platform/gdi/sys_colors.h"

namespace {

QColor ToColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

Qt::Alignment AlignOf(int align) {
    return align == 1 ? Qt::AlignRight : (align == 2 ? Qt::AlignHCenter : Qt::AlignLeft);
}

// One cell: 4 pixels in from the left and 1 from the right, one line, vertically centred, cut
// with an ellipsis.
void DrawItemText(QPainter* painter, const QString& text, const QRect& cell, int align) {
    const QRect r = cell.adjusted(4, 0, -1, 0);
    if (text.isEmpty() || r.width() <= 0 || r.height() <= 0) return;
    painter->drawText(r, int(AlignOf(align) | Qt::AlignVCenter | Qt::TextSingleLine),
                      painter->fontMetrics().elidedText(text, Qt::ElideRight, r.width()));
}

// Paints every cell from the row records: the tree's own labels stay empty.
class TreeListCellDelegate : public QStyledItemDelegate {
public:
    explicit TreeListCellDelegate(CzorTreeListCtrl* tree) : QStyledItemDelegate(tree), m_tree(tree) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const auto id = static_cast<zor::HTREEITEM>(index.siblingAtColumn(0).data(Qt::UserRole).toULongLong());
        const zor::CTreeListModel& model = m_tree->Model();
        const zor::CTreeListRow* row = model.Row(id);
        if (!row) return;
        const bool selected = model.IsSelected(id), drop = model.IsDropHilited(id);
        painter->save();
        QColor text = ToColor(row->m_color);
        if (selected || drop) {
            painter->fillRect(option.rect, option.palette.color(QPalette::Active, QPalette::Highlight));
            text = drop ? QColor(255, 0, 0) : option.palette.color(QPalette::Active, QPalette::HighlightedText);
        }
        QFont font = option.font;
        if (row->m_bold) font.setWeight(QFont::Bold);
        painter->setFont(font);
        painter->setPen(text);
        const int column = index.column();
        DrawItemText(painter, QString::fromStdString(model.GetItemText(id, column)), option.rect,
                     model.GetColumnAlign(column));
        painter->restore();
    }

private:
    CzorTreeListCtrl* m_tree;
};

bool IsUnder(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor) {
    for (; item; item = item->parent())
        if (item == ancestor) return true;
    return false;
}

}  // namespace

CzorTreeListCtrl::CzorTreeListCtrl(QWidget* parent)
    : QTreeWidget(parent), m_header(new CzorTreeListHeaderCtrl(this)), m_crBack(::GetSysColor(COLOR_WINDOW)),
      m_expandTimer(new QTimer(this)) {
    m_expandTimer->setSingleShot(true);
    connect(m_expandTimer, &QTimer::timeout, this, [this] {
        if (m_hAnchor && !m_hAnchor->isExpanded()) ToggleByUser(m_hAnchor);
    });
    setHeader(m_header);
    // The view sorts on a title click itself; Qt's own sorting would turn the clicks off.
    setSortingEnabled(false);
    m_header->setSectionsClickable(true);
    m_header->setSortIndicatorShown(false);
    setColumnCount(1);
    setHeaderLabels({QString()});
    // Selection is ours: Qt's extended selection differs from what hosts expect.
    setSelectionMode(QAbstractItemView::NoSelection);
    setUniformRowHeights(true);
    setExpandsOnDoubleClick(false);
    setItemDelegate(new TreeListCellDelegate(this));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalScrollBar()->setSingleStep(6);
    setAllColumnsShowFocus(false);
    viewport()->setAttribute(Qt::WA_Hover, false);
    SetBkColor(m_crBack);
    connect(m_header, &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (m_syncing) return;
        if (logical < m_model.GetColumnsNum()) m_model.SetColumnWidth(logical, size);
        RecalcColumnsWidth();
        emit extentChanged();
        viewport()->update();
    });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { m_model.SetExpanded(IdOf(item), true); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { m_model.SetExpanded(IdOf(item), false); });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* now, QTreeWidgetItem*) {
        if (m_syncing || !now || !m_pOwner) return;
        emit commandToOwner(parentWidget() ? parentWidget()->objectName().toInt() : 0);
        emit commandToOwner(kTreeListOwnerMessage);
    });
}

CzorTreeListCtrl::~CzorTreeListCtrl() = default;

// --- Columns -------------------------------------------------------------------------------------

void CzorTreeListCtrl::ApplyHeader() {
    m_syncing = true;
    const int n = m_model.GetColumnsNum();
    setColumnCount(std::max(1, n));
    QStringList titles;
    for (int c = 0; c < n; ++c) titles << QString::fromStdString(m_model.ColumnTitle(c));
    if (n == 0) titles << QString();
    setHeaderLabels(titles);
    for (int c = 0; c < n; ++c) {
        headerItem()->setTextAlignment(c, AlignOf(m_model.GetColumnAlign(c)) | Qt::AlignVCenter);
        m_header->resizeSection(c, m_model.GetColumnWidth(c));
    }
    m_syncing = false;
}

int CzorTreeListCtrl::InsertColumn(int index, const char* title, int align, int width, int) {
    const bool first = m_model.GetColumnsNum() == 0;
    const int at = m_model.InsertColumn(index, title ? title : "", align,
                                        width == -1 ? m_header->defaultSectionSize() : width);
    ApplyHeader();
    // The first column shows the ascending arrow until a sort says otherwise.
    m_header->SetItemImage(at, first ? 0 : -1);
    RecalcColumnsWidth();
    SetBkColor(m_crBack);
    emit extentChanged();
    return at;
}

bool CzorTreeListCtrl::DeleteColumn(int column) {
    const bool deleted = m_model.DeleteColumn(column);
    if (deleted) ApplyHeader();
    RecalcColumnsWidth();
    emit extentChanged();
    return deleted;
}

void CzorTreeListCtrl::DeleteAllColumns() {
    m_model.DeleteAllColumns();
    ApplyHeader();
    RecalcColumnsWidth();
    emit extentChanged();
}

int CzorTreeListCtrl::GetColumnWidth(int column) const { return m_model.GetColumnWidth(column); }
int CzorTreeListCtrl::GetColumnAlign(int column) const { return m_model.GetColumnAlign(column); }

void CzorTreeListCtrl::RecalcColumnsWidth() {
    int total = 0;
    for (int c = 0; c < m_model.GetColumnsNum(); ++c) total += m_model.GetColumnWidth(c);
    m_nColumnsWidth = total;
}

// --- Rows ----------------------------------------------------------------------------------------

zor::HTREEITEM CzorTreeListCtrl::IdOf(const QTreeWidgetItem* item) const {
    return item ? static_cast<zor::HTREEITEM>(item->data(0, Qt::UserRole).toULongLong()) : 0;
}

HTREEITEM CzorTreeListCtrl::ItemOf(zor::HTREEITEM id) const {
    const auto found = m_items.find(id);
    return found == m_items.end() ? nullptr : found->second;
}

zor::HTREEITEM CzorTreeListCtrl::AfterId(HTREEITEM, HTREEITEM after) const {
    return after ? IdOf(after) : zor::TVI_LAST;
}

HTREEITEM CzorTreeListCtrl::Mirror(zor::HTREEITEM id, HTREEITEM parent, HTREEITEM) {
    auto* item = new QTreeWidgetItem;
    item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(id));
    const auto siblings = m_model.Children(parent ? IdOf(parent) : 0);
    const int at = int(std::find(siblings.begin(), siblings.end(), id) - siblings.begin());
    m_syncing = true;
    if (parent) parent->insertChild(at, item);
    else insertTopLevelItem(at, item);
    m_syncing = false;
    m_items[id] = item;
    return item;
}

HTREEITEM CzorTreeListCtrl::InsertItem(const char* text, HTREEITEM parent, HTREEITEM after, bool fictive) {
    if (parent && !m_model.Row(IdOf(parent))) return nullptr;
    const zor::HTREEITEM id = m_model.InsertItem(text ? text : "", IdOf(parent), AfterId(parent, after), fictive);
    if (!id) return nullptr;
    HTREEITEM item = Mirror(id, parent, after);
    emit extentChanged();
    return item;
}

HTREEITEM CzorTreeListCtrl::InsertItem(const char* text, int image, int, HTREEITEM parent, HTREEITEM after) {
    HTREEITEM item = InsertItem(text, parent, after, false);
    if (item && image >= 0) item->setData(0, Qt::UserRole + 1, image);
    return item;
}

HTREEITEM CzorTreeListCtrl::InsertItem(unsigned, const char* text, int image, int selectedImage, unsigned, unsigned,
                                       std::uint32_t data, HTREEITEM parent, HTREEITEM after) {
    HTREEITEM item = InsertItem(text, image, selectedImage, parent, after);
    if (item) m_model.Row(IdOf(item))->m_data = data;
    return item;
}

HTREEITEM CzorTreeListCtrl::CopyItem(HTREEITEM item, HTREEITEM parent, HTREEITEM after) {
    if (!item || (parent && !m_model.Row(IdOf(parent)))) return nullptr;
    const zor::HTREEITEM id = m_model.CopyItem(IdOf(item), IdOf(parent), AfterId(parent, after));
    if (!id) return nullptr;
    HTREEITEM copy = Mirror(id, parent, after);
    copy->setIcon(0, item->icon(0));
    copy->setData(0, Qt::UserRole + 1, item->data(0, Qt::UserRole + 1));
    m_model.SetSelected(id, IsSelected(item));
    emit extentChanged();
    return copy;
}

HTREEITEM CzorTreeListCtrl::MoveItem(HTREEITEM item, HTREEITEM parent, HTREEITEM after) {
    if (!item || IsUnder(parent, item)) return nullptr;
    HTREEITEM moved = CopyItem(item, parent, after);
    if (moved) DeleteItem(item);
    return moved;
}

void CzorTreeListCtrl::Forget(QTreeWidgetItem* item) {
    for (int i = 0; i < item->childCount(); ++i) Forget(item->child(i));
    m_items.erase(IdOf(item));
}

bool CzorTreeListCtrl::DeleteItem(HTREEITEM item) {
    if (!item || !m_model.Row(IdOf(item))) return false;
    const zor::HTREEITEM id = IdOf(item);
    if (IsUnder(m_hAnchor, item)) m_hAnchor = nullptr;
    Forget(item);
    m_model.DeleteItem(id);
    m_syncing = true;
    delete item;
    m_syncing = false;
    return true;
}

bool CzorTreeListCtrl::DeleteItem(int topLevelIndex) { return DeleteItem(GetTreeItem(topLevelIndex)); }

int CzorTreeListCtrl::DeleteSubItems(HTREEITEM item) {
    if (!item) return 1;
    bool failed = false;
    while (item->childCount() > 0)
        if (!DeleteItem(item->child(0))) {
            failed = true;
            break;
        }
    return failed ? 1 : 0;
}

bool CzorTreeListCtrl::DeleteAllItems() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setUpdatesEnabled(false);
    m_syncing = true;
    m_hAnchor = nullptr;
    m_items.clear();
    m_model.DeleteAllItems();
    clear();
    m_syncing = false;
    setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
    return true;
}

zor::CTreeListRow* CzorTreeListCtrl::GetRow(HTREEITEM item) { return item ? m_model.Row(IdOf(item)) : nullptr; }

bool CzorTreeListCtrl::SetItemText(HTREEITEM item, int column, const char* text) {
    if (!GetRow(item) || !m_model.SetItemText(IdOf(item), column, text ? text : "")) return false;
    viewport()->update();
    return true;
}

std::string CzorTreeListCtrl::GetItemText(HTREEITEM item, int column) const {
    return item ? m_model.GetItemText(IdOf(item), column) : std::string();
}

std::string CzorTreeListCtrl::GetItemText(int topLevelIndex, int column) const {
    return GetItemText(GetTreeItem(topLevelIndex), column);
}

bool CzorTreeListCtrl::SetItemColor(HTREEITEM item, COLORREF color, int) {
    zor::CTreeListRow* row = GetRow(item);
    if (!row) return false;
    row->m_color = color;
    viewport()->update();
    return true;
}

bool CzorTreeListCtrl::SetItemBold(HTREEITEM item, int bold, int) {
    zor::CTreeListRow* row = GetRow(item);
    if (!row) return false;
    row->m_bold = bold;
    viewport()->update();
    return true;
}

bool CzorTreeListCtrl::SetItemType(HTREEITEM item, const std::string& type) {
    zor::CTreeListRow* row = GetRow(item);
    if (!row) return false;
    row->m_type = type;
    return true;
}

bool CzorTreeListCtrl::GetItemType(HTREEITEM item, std::string& type) const {
    const zor::CTreeListRow* row = item ? m_model.Row(IdOf(item)) : nullptr;
    if (!row) return false;
    type = row->m_type;
    return true;
}

bool CzorTreeListCtrl::SetItemData(HTREEITEM item, std::uint32_t data) {
    zor::CTreeListRow* row = GetRow(item);
    if (!row) return false;
    row->m_data = data;
    return true;
}

std::uint32_t CzorTreeListCtrl::GetItemData(HTREEITEM item) const {
    const zor::CTreeListRow* row = item ? m_model.Row(IdOf(item)) : nullptr;
    return row ? row->m_data : 0;
}

bool CzorTreeListCtrl::IsItemFictive(HTREEITEM item) const { return item && m_model.IsFictive(IdOf(item)); }

HTREEITEM CzorTreeListCtrl::GetTreeItem(int n) const { return n >= 0 && n < topLevelItemCount() ? topLevelItem(n) : nullptr; }

int CzorTreeListCtrl::GetListItem(HTREEITEM item) const {
    const int at = item && !item->parent() ? indexOfTopLevelItem(item) : -1;
    return at < 0 ? topLevelItemCount() : at;
}

HTREEITEM CzorTreeListCtrl::GetParentItem(HTREEITEM item) const { return item ? item->parent() : nullptr; }

HTREEITEM CzorTreeListCtrl::GetNextVisibleItem(HTREEITEM item) const {
    return item ? ItemOf(m_model.GetNextVisible(IdOf(item))) : nullptr;
}

// --- Expansion -----------------------------------------------------------------------------------

bool CzorTreeListCtrl::Expand(HTREEITEM item, unsigned code) {
    zor::CTreeListRow* row = GetRow(item);
    if (!row) return false;
    if (code == TVE_EXPAND) row->m_expanded = true;
    else if (code == TVE_COLLAPSE) row->m_expanded = false;
    // The tree takes every code: its low bits say collapse, expand or toggle (the flags above them ask
    // for nothing more here). Only a code that asks for none of the three is refused.
    bool open = false;
    switch (code & TVE_TOGGLE) {
    case TVE_COLLAPSE: open = false; break;
    case TVE_EXPAND: open = true; break;
    case TVE_TOGGLE: open = !item->isExpanded(); break;
    default: return false;
    }
    item->setExpanded(open);
    emit extentChanged();
    return true;
}

bool CzorTreeListCtrl::BeforeExpand(HTREEITEM item, bool expanding) {
    zor::CTreeListRow* row = GetRow(item);
    if (!m_pOwner || !row) return true;
    if (row->m_expanded && !expanding) {
        m_pOwner->Expand(item, TVE_COLLAPSE);
        row->m_expanded = false;
    } else if (!row->m_expanded && expanding) {
        m_pOwner->Expand(item, TVE_EXPAND);
        row->m_expanded = true;
    }
    return true;
}

void CzorTreeListCtrl::AfterExpand(HTREEITEM item, unsigned action) {
    if (m_pOwner) m_pOwner->Expanded(item, action);
    else emit itemExpandedNotify(item, action);
}

void CzorTreeListCtrl::ToggleByUser(HTREEITEM item) {
    if (!item || item->childCount() == 0) return;
    const bool expanding = !item->isExpanded();
    BeforeExpand(item, expanding);
    item->setExpanded(expanding);
    AfterExpand(item, expanding ? TVE_EXPAND : TVE_COLLAPSE);
    emit extentChanged();
}

bool CzorTreeListCtrl::OnBranch(HTREEITEM item, QPoint pos) const {
    if (!item || item->childCount() == 0) return false;
    const QRect label = visualRect(indexFromItem(item, 0));
    return pos.x() < label.left() && pos.x() >= label.left() - indentation();
}

// --- Selection -----------------------------------------------------------------------------------

bool CzorTreeListCtrl::SetSelectMode(bool single) {
    const bool previous = m_bSingleSelect;
    m_bSingleSelect = single;
    return previous;
}

bool CzorTreeListCtrl::IsSelected(HTREEITEM item) const { return item && m_model.IsSelected(IdOf(item)); }
bool CzorTreeListCtrl::IsDropHilited(HTREEITEM item) const { return item && m_model.IsDropHilited(IdOf(item)); }

void CzorTreeListCtrl::SetDropHilited(HTREEITEM item, bool on) {
    if (!item) return;
    m_model.SetDropHilited(IdOf(item), on);
    viewport()->update();
}

void CzorTreeListCtrl::SetSelected(HTREEITEM item, bool on) {
    if (item) m_model.SetSelected(IdOf(item), on);
}

std::vector<HTREEITEM> CzorTreeListCtrl::VisibleItems() const {
    std::vector<HTREEITEM> out;
    for (zor::HtmlRowId id : m_model.VisibleRows()) out.push_back(ItemOf(id));
    return out;
}

void CzorTreeListCtrl::SingleSelectItem(HTREEITEM item, bool makeCaret) {
    if (!item) return;
    SetSelected(item, true);
    m_model.SetDropHilited(IdOf(item), false);
    if (makeCaret) setCurrentItem(item);
    viewport()->update();
}

void CzorTreeListCtrl::DeselectAll(bool selected, bool dropHilited) {
    for (HTREEITEM item : VisibleItems()) {
        if (selected) SetSelected(item, false);
        if (dropHilited) m_model.SetDropHilited(IdOf(item), false);
    }
    viewport()->update();
}

HTREEITEM CzorTreeListCtrl::GetNextSelectedItem(HTREEITEM after) const {
    const auto rows = VisibleItems();
    auto at = rows.begin();
    if (after) {
        at = std::find(rows.begin(), rows.end(), after);
        if (at != rows.end()) ++at;
    }
    for (; at != rows.end(); ++at)
        if (IsSelected(*at)) return *at;
    return nullptr;
}

bool CzorTreeListCtrl::GetListSelected(std::vector<HTREEITEM>& out) const {
    for (HTREEITEM item : VisibleItems())
        if (IsSelected(item)) out.push_back(item);
    return true;
}

int CzorTreeListCtrl::SelectItem(HTREEITEM item, bool buttonDown) {
    return SelectItem(item, buttonDown, QGuiApplication::queryKeyboardModifiers());
}

int CzorTreeListCtrl::SelectItem(HTREEITEM item, bool buttonDown, Qt::KeyboardModifiers modifiers) {
    if (!item) return 0;
    const bool ctrl = modifiers & Qt::ControlModifier, shift = modifiers & Qt::ShiftModifier;
    if (m_bSingleSelect) {
        if (buttonDown) {
            DeselectAll(true, true);
            SingleSelectItem(item, true);
        }
        return 1;
    }
    if (!shift) {
        m_hAnchor = item;
        if (ctrl) {
            if (buttonDown) {
                // A selected row is let go only at the release, so that a selection can be dragged.
                if (!IsSelected(item)) SetSelected(item, true);
                else m_bDeferredToggle = true;
            } else if (m_bDeferredToggle) {
                m_bDeferredToggle = false;
                SetSelected(item, false);
            }
        } else if (!buttonDown || !IsSelected(item)) {
            DeselectAll(true, true);
            if (buttonDown) SingleSelectItem(item, true);
            else SetSelected(item, true);
        }
    } else if (buttonDown) {
        if (!ctrl) DeselectAll(true, true);
        const auto rows = VisibleItems();
        HTREEITEM anchor = m_hAnchor ? m_hAnchor : item;
        auto a = std::find(rows.begin(), rows.end(), anchor), b = std::find(rows.begin(), rows.end(), item);
        if (a == rows.end()) a = b;
        if (b != rows.end()) {
            if (a > b) std::swap(a, b);
            for (auto it = a; it <= b; ++it) SetSelected(*it, true);
        }
    }
    viewport()->update();
    return 1;
}

// --- Sorting -------------------------------------------------------------------------------------

void CzorTreeListCtrl::SortItems(int column, int ascending, HTREEITEM parent) {
    const zor::HTREEITEM pid = IdOf(parent);
    if (parent && !m_model.Row(pid)) return;
    m_model.SortChildren(pid, column, ascending != 0, m_bSortAll);
    // Qt's items follow the model's order; taking rows out loses their expansion, which the
    // model remembers.
    m_syncing = true;
    HTREEITEM current = currentItem();
    QList<QTreeWidgetItem*> taken = parent ? parent->takeChildren() : QList<QTreeWidgetItem*>();
    if (!parent)
        while (topLevelItemCount() > 0) taken << takeTopLevelItem(0);
    QList<QTreeWidgetItem*> ordered;
    for (zor::HtmlRowId id : m_model.Children(pid)) ordered << ItemOf(id);
    if (parent) parent->addChildren(ordered);
    else addTopLevelItems(ordered);
    std::function<void(QTreeWidgetItem*)> restore = [&](QTreeWidgetItem* item) {
        if (m_model.IsExpanded(IdOf(item))) item->setExpanded(true);
        for (int i = 0; i < item->childCount(); ++i) restore(item->child(i));
    };
    for (QTreeWidgetItem* item : ordered) restore(item);
    if (current) setCurrentItem(current);
    m_syncing = false;
    viewport()->update();
    if (m_pOwner) {
        m_pOwner->Sort(column);
        if (column != 0) m_pOwner->RefreshAllItems();
    }
}

COLORREF CzorTreeListCtrl::SetBkColor(COLORREF color) {
    const COLORREF previous = m_crBack;
    m_crBack = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, ToColor(color));
    setPalette(p);
    viewport()->update();
    return previous;
}

// --- Events --------------------------------------------------------------------------------------

void CzorTreeListCtrl::UpdateOwner() {
    if (m_pOwner) m_pOwner->UpdateUserData();
}

void CzorTreeListCtrl::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const QPoint screen = event->globalPosition().toPoint();
    HTREEITEM item = itemAt(pos);
    if (event->button() == Qt::LeftButton) {
        if (!item) {
            DeselectAll(true, true);
            return;
        }
        setFocus(Qt::MouseFocusReason);
        if (OnBranch(item, pos)) {
            ToggleByUser(item);
            return;
        }
        m_bMouseDown = true;
        SelectItem(item, true, event->modifiers());
        if (m_pOwner) emit ownerNotified(objectName().toInt());
        else emit buttonDownForwarded(screen);
    } else if (event->button() == Qt::RightButton) {
        if (item) {
            m_hAnchor = item;
            SelectItem(item, true, event->modifiers());
        }
        emit rightButtonDownForwarded(screen);
    }
}

void CzorTreeListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        m_bMouseDown = false;
        if (HTREEITEM item = itemAt(pos); item && !OnBranch(item, pos)) {
            SelectItem(item, false, event->modifiers());
            emit buttonUpForwarded(event->globalPosition().toPoint());
        }
    } else if (event->button() == Qt::RightButton) {
        emit rightButtonUpForwarded(pos);
    }
}

void CzorTreeListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton) return;
    const bool inFirst = GetColumnsNum() == 0 || pos.x() + m_header->offset() < m_header->sectionSize(0);
    if (inFirst) ToggleByUser(itemAt(pos));
    emit doubleClickForwarded(event->globalPosition().toPoint());
    setFocus(Qt::MouseFocusReason);
}

void CzorTreeListCtrl::StartExpandTimer(int milliseconds) { m_expandTimer->start(std::max(0, milliseconds)); }

bool CzorTreeListCtrl::IsExpandTimerRunning() const { return m_expandTimer->isActive(); }

void CzorTreeListCtrl::mouseMoveEvent(QMouseEvent* event) {
    // No call to the base: the press is ours, and Qt's drag selection would fight it.
    setFocus(Qt::MouseFocusReason);
    m_expandTimer->stop();
    emit mouseMoveForwarded(event->globalPosition().toPoint());
}

void CzorTreeListCtrl::keyPressEvent(QKeyEvent* event) {
    HTREEITEM current = currentItem();
    const int key = event->key();
    const bool expandKey = key == Qt::Key_Plus || (key == Qt::Key_Right && current && !current->isExpanded());
    const bool collapseKey = key == Qt::Key_Minus || (key == Qt::Key_Left && current && current->isExpanded());
    if (current && current->childCount() > 0 && ((expandKey && !current->isExpanded()) ||
                                                  (collapseKey && current->isExpanded()))) {
        ToggleByUser(current);
    } else if (key != Qt::Key_Asterisk && key != Qt::Key_Plus && key != Qt::Key_Minus) {
        QTreeWidget::keyPressEvent(event);
    }
    emit extentChanged();
    static const int kPlain[] = {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Tab, Qt::Key_Backtab,
                                 Qt::Key_Backspace, Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta};
    const bool selects = std::find(std::begin(kPlain), std::end(kPlain), key) == std::end(kPlain);
    if (selects && currentItem() && !(key == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)))
        SelectItem(currentItem(), true, event->modifiers());
    if (!m_bSingleSelect && key == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)) {
        for (HTREEITEM item : VisibleItems()) SetSelected(item, true);
        viewport()->update();
    }
    UpdateOwner();
}

void CzorTreeListCtrl::wheelEvent(QWheelEvent* event) {
    QTreeWidget::wheelEvent(event);
    UpdateOwner();
}

void CzorTreeListCtrl::scrollContentsBy(int dx, int dy) {
    QTreeWidget::scrollContentsBy(dx, dy);
    if (dy != 0) UpdateOwner();
}

void CzorTreeListCtrl::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    const int width = viewport()->width();
    if (m_bAutoStretch && width > 0 && m_nColumnsWidth > 0) {
        if (m_nStretchColumn < 0 || m_nStretchColumn >= GetColumnsNum()) m_nStretchColumn = 0;
        const int grown = GetColumnWidth(m_nStretchColumn) + width - m_nColumnsWidth;
        if (grown > 0) m_header->resizeSection(m_nStretchColumn, grown);
    }
}

void CzorTreeListCtrl::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    QPainter painter(viewport());
    painter.setPen(QPen(QColor(192, 192, 192), 0));
    const int x0 = -m_header->offset();
    const int height = viewport()->height();
    if (m_bVertLines) {
        int edge = x0;
        for (int v = 0; v < m_header->count() && v < GetColumnsNum(); ++v) {
            edge += m_header->sectionSize(m_header->logicalIndex(v));
            painter.drawLine(edge - 1, 0, edge - 1, height);
        }
    }
    if (m_bHorzLines && topLevelItemCount() > 0) {
        const int h = rowHeight(indexFromItem(topLevelItem(0), 0));
        const int right = m_bVertLines ? x0 + m_nColumnsWidth - 1 : viewport()->width();
        for (int y = h - 1; h > 0 && y < height; y += h) painter.drawLine(x0, y, right, y);
    }
    // A selected row carries a dotted focus frame across its cells, inside the grid lines.
    painter.setPen(QPen(palette().color(QPalette::Active, QPalette::HighlightedText), 0, Qt::DotLine));
    for (HTREEITEM item = itemAt(QPoint(0, 0)); item; item = itemBelow(item)) {
        const QRect label = visualRect(indexFromItem(item, 0));
        if (label.top() >= height) break;
        if (IsSelected(item))
            painter.drawRect(QRect(QPoint(label.left(), label.top()), QPoint(x0 + m_nColumnsWidth - 3, label.bottom() - 2)));
    }
}

// --- With title tips -----------------------------------------------------------------------------

CzorTreeListCtrlWithToolTip::CzorTreeListCtrlWithToolTip(QWidget* parent) : CzorTreeListCtrl(parent) {
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

CzorTreeListCtrlWithToolTip::~CzorTreeListCtrlWithToolTip() {
    if (m_tip) m_tip->Hide();
    delete m_tip;
}

void CzorTreeListCtrlWithToolTip::DisplayToolTip(const QRect& rect, const QString& text) {
    if (!m_tip) {
        m_tip = new CzorTitleTip;
        m_tip->Create(viewport());
    }
    const QPoint at = viewport()->mapToGlobal(rect.topLeft());
    m_tip->Show(CRect(at.x(), at.y(), at.x() + rect.width(), at.y() + rect.height()), text);
}

void CzorTreeListCtrlWithToolTip::HideToolTip() {
    if (m_tip) m_tip->Hide();
}

void CzorTreeListCtrlWithToolTip::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (pos != m_lastMouse) {
        m_lastMouse = pos;
        HideToolTip();
        if (HTREEITEM item = itemAt(pos); item && viewport()->rect().contains(pos)) {
            const QRect row = visualRect(indexFromItem(item, 0));
            for (int c = 0; c < GetColumnsNum(); ++c) {
                int left = Header()->sectionViewportPosition(c);
                const int right = std::min(left + Header()->sectionSize(c), viewport()->width());
                if (c == 0) left = row.left();
                if (pos.x() <= left || pos.x() >= right) continue;
                DisplayToolTip(QRect(std::max(0, left), row.top(), right - std::max(0, left), row.height()),
                               QString::fromStdString(GetItemText(item, c)));
                break;
            }
        }
    }
    CzorTreeListCtrl::mouseMoveEvent(event);
}

void CzorTreeListCtrlWithToolTip::leaveEvent(QEvent* event) {
    if (m_tip && !m_tip->geometry().contains(QCursor::pos())) HideToolTip();
    CzorTreeListCtrl::leaveEvent(event);
}

void CzorTreeListCtrlWithToolTip::focusOutEvent(QFocusEvent* event) {
    QWidget* now = QApplication::focusWidget();
    if (now != m_tip && now != this) HideToolTip();
    CzorTreeListCtrl::focusOutEvent(event);
}
