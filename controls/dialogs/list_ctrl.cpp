#include "controls/dialogs/list_ctrl.h"

#include <QHeaderView>
#include <QPainter>

namespace {

Qt::Alignment AlignmentOf(int format) {
    switch (format & 3) {
    case LVCFMT_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

constexpr int kDataRole = Qt::UserRole + 1;

}  // namespace

CzorListCtrl::CzorListCtrl(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setColumnCount(0);
    header()->setStretchLastSection(false);
}

QTreeWidgetItem* CzorListCtrl::Row(int item) const {
    return item >= 0 && item < topLevelItemCount() ? topLevelItem(item) : nullptr;
}

int CzorListCtrl::GetColumnCount() const { return static_cast<int>(m_align.size()); }

int CzorListCtrl::InsertColumn(int index, const std::string& heading, int format, int width, int) {
    const int count = GetColumnCount();
    if (index < 0) return -1;
    if (index > count) index = count;
    // Widths and texts of the later columns move one place right.
    std::vector<int> widths;
    for (int c = 0; c < count; ++c) widths.push_back(header()->sectionSize(c));
    setColumnCount(count + 1);
    QTreeWidgetItem* head = headerItem();
    auto shift = [&](QTreeWidgetItem* it) {
        for (int c = count; c > index; --c) {
            it->setText(c, it->text(c - 1));
            it->setTextAlignment(c, Qt::Alignment(QFlag(it->textAlignment(c - 1))));
        }
        it->setText(index, QString());
        it->setTextAlignment(index, AlignmentOf(format));
    };
    shift(head);
    for (int r = 0; r < topLevelItemCount(); ++r) shift(topLevelItem(r));
    head->setText(index, QString::fromStdString(heading));
    m_align.insert(m_align.begin() + index, format);
    widths.insert(widths.begin() + index, width >= 0 ? width : HeadingWidth(index));
    for (int c = 0; c <= count; ++c) header()->resizeSection(c, widths[static_cast<size_t>(c)]);
    return index;
}

bool CzorListCtrl::DeleteColumn(int column) {
    const int count = GetColumnCount();
    if (column < 0 || column >= count) return false;
    std::vector<int> widths;
    for (int c = 0; c < count; ++c) widths.push_back(header()->sectionSize(c));
    auto shift = [&](QTreeWidgetItem* it) {
        for (int c = column; c + 1 < count; ++c) {
            it->setText(c, it->text(c + 1));
            it->setTextAlignment(c, Qt::Alignment(QFlag(it->textAlignment(c + 1))));
        }
    };
    shift(headerItem());
    for (int r = 0; r < topLevelItemCount(); ++r) shift(topLevelItem(r));
    setColumnCount(count - 1);
    m_align.erase(m_align.begin() + column);
    widths.erase(widths.begin() + column);
    for (int c = 0; c + 1 < count; ++c) header()->resizeSection(c, widths[static_cast<size_t>(c)]);
    return true;
}

std::string CzorListCtrl::GetColumnHeading(int column) const {
    if (column < 0 || column >= GetColumnCount()) return {};
    return headerItem()->text(column).toStdString();
}

int CzorListCtrl::GetColumnWidth(int column) const {
    return column >= 0 && column < GetColumnCount() ? header()->sectionSize(column) : 0;
}

bool CzorListCtrl::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= GetColumnCount() || width < 0) return false;
    header()->resizeSection(column, width);
    return true;
}

int CzorListCtrl::InsertItem(int index, const std::string& text) {
    if (GetColumnCount() == 0 || index < 0) return -1;
    if (index > topLevelItemCount()) index = topLevelItemCount();
    auto* it = new QTreeWidgetItem;
    for (int c = 0; c < GetColumnCount(); ++c) it->setTextAlignment(c, AlignmentOf(m_align[static_cast<size_t>(c)]));
    it->setText(0, QString::fromStdString(text));
    it->setData(0, kDataRole, QVariant::fromValue<qulonglong>(0));
    insertTopLevelItem(index, it);
    return index;
}

bool CzorListCtrl::DeleteItem(int item) {
    QTreeWidgetItem* it = Row(item);
    if (!it) return false;
    delete takeTopLevelItem(item);
    return true;
}

bool CzorListCtrl::DeleteAllItems() {
    if (topLevelItemCount() == 0) return false;
    clear();
    return true;
}

bool CzorListCtrl::SetItemText(int item, int subItem, const std::string& text) {
    QTreeWidgetItem* it = Row(item);
    if (!it || subItem < 0 || subItem >= GetColumnCount()) return false;
    it->setText(subItem, QString::fromStdString(text));
    return true;
}

std::string CzorListCtrl::GetItemText(int item, int subItem) const {
    const QTreeWidgetItem* it = Row(item);
    if (!it || subItem < 0 || subItem >= GetColumnCount()) return {};
    return it->text(subItem).toStdString();
}

bool CzorListCtrl::SetItemData(int item, uint64_t data) {
    QTreeWidgetItem* it = Row(item);
    if (!it) return false;
    it->setData(0, kDataRole, QVariant::fromValue<qulonglong>(data));
    return true;
}

uint64_t CzorListCtrl::GetItemData(int item) const {
    const QTreeWidgetItem* it = Row(item);
    return it ? it->data(0, kDataRole).toULongLong() : 0;
}

void CzorListCtrl::SetItemSelected(int item, bool selected) {
    if (QTreeWidgetItem* it = Row(item)) it->setSelected(selected);
}

bool CzorListCtrl::IsItemSelected(int item) const {
    const QTreeWidgetItem* it = Row(item);
    return it && it->isSelected();
}

int CzorListCtrl::GetSelectedCount() const {
    int n = 0;
    for (int r = 0; r < topLevelItemCount(); ++r) n += topLevelItem(r)->isSelected();
    return n;
}

int CzorListCtrl::GetNextSelectedItem(int after) const {
    for (int r = after + 1; r < topLevelItemCount(); ++r)
        if (topLevelItem(r)->isSelected()) return r;
    return -1;
}

CRect CzorListCtrl::GetSubItemRect(int item, int subItem) const {
    QTreeWidgetItem* it = Row(item);
    if (!it || subItem < 0 || subItem >= GetColumnCount()) return CRect();
    const QRect r = visualRect(indexFromItem(it, subItem));
    return CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

int CzorListCtrl::HitTest(const QPoint& point, int* subItem) const {
    const QModelIndex index = indexAt(point);
    if (subItem) *subItem = index.isValid() ? index.column() : -1;
    return index.isValid() ? indexOfTopLevelItem(itemFromIndex(index)) : -1;
}

int CzorListCtrl::ContentWidth(int column) const {
    return column >= 0 && column < GetColumnCount() ? sizeHintForColumn(column) : 0;
}

int CzorListCtrl::HeadingWidth(int column) const {
    return column >= 0 && column < GetColumnCount() ? header()->sectionSizeHint(column) : 0;
}

void CzorListCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QTreeWidget::drawRow(painter, option, index);
    // Grid lines: under every row and at the right edge of every column.
    painter->save();
    painter->setPen(palette().color(QPalette::Midlight).darker(110));
    const QRect row = option.rect;
    painter->drawLine(row.left(), row.bottom(), row.right(), row.bottom());
    for (int c = 0; c < GetColumnCount(); ++c) {
        const int x = header()->sectionViewportPosition(c) + header()->sectionSize(c) - 1;
        painter->drawLine(x, row.top(), x, row.bottom());
    }
    painter->restore();
}
