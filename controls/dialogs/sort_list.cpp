#include "controls/dialogs/sort_list.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include <QApplication>
#include <QContextMenuEvent>
#include <QIcon>
#include <QMouseEvent>

#include "controls/resources/bitmaps.h"
#include "controls/resources/palette.h"
#include "platform/settings/profile.h"

namespace {

// The arrow bitmap with light grey turned into the header's face colour.
QPixmap ArrowPixmap(int id, const QColor& face) {
    QImage image = zor::LoadVistrelBitmap(id).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == zor::art::kMaskRgb) image.setPixel(x, y, face.rgb());
    return QPixmap::fromImage(image);
}

CRect ScreenRect(const QWidget* w, const QRect& r) {
    const QPoint tl = w->mapToGlobal(r.topLeft());
    return CRect(tl.x(), tl.y(), tl.x() + r.width(), tl.y() + r.height());
}

}  // namespace

// --- Header ------------------------------------------------------------------------------------

CSortArrowHeader::CSortArrowHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setSectionsMovable(true);
    setSortIndicatorShown(false);
    setMouseTracking(true);
    const QColor face = palette().color(QPalette::Button);
    m_down = ArrowPixmap(zor::IDB_ZOR_SORT_DOWN, face);
    m_up = ArrowPixmap(zor::IDB_ZOR_SORT_UP, face);
}

void CSortArrowHeader::ShowArrow(int column, int arrow) {
    // The arrow is the item's image: the style leaves it room beside the caption.
    if (!model() || column < 0 || column >= model()->columnCount()) return;
    const QVariant image = arrow < 0 ? QVariant() : QVariant(QIcon(arrow ? m_up : m_down));
    model()->setHeaderData(column, Qt::Horizontal, image, Qt::DecorationRole);
}

void CSortArrowHeader::SetSortArrow(int column, bool ascending) {
    m_arrows[column] = ascending;
    m_lastArrow = column;
    ShowArrow(column, ascending ? 1 : 0);
}

void CSortArrowHeader::RemoveSortArrow(int column) {
    m_arrows.erase(column);
    ShowArrow(column, -1);
}

void CSortArrowHeader::RemoveAllSortArrows() {
    for (const auto& [column, ascending] : m_arrows) ShowArrow(column, -1);
    m_arrows.clear();
}

int CSortArrowHeader::ArrowOf(int column) const {
    const auto it = m_arrows.find(column);
    return it == m_arrows.end() ? -1 : (it->second ? 1 : 0);
}

void CSortArrowHeader::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton ? logicalIndexAt(event->position().toPoint()) : -1;
    QHeaderView::mousePressEvent(event);
}

void CSortArrowHeader::mouseReleaseEvent(QMouseEvent* event) {
    const int pressed = m_pressed;
    m_pressed = -1;
    QHeaderView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || pressed < 0) return;
    if (logicalIndexAt(event->position().toPoint()) == pressed)
        emit LeftClicked(pressed, (event->modifiers() & Qt::ControlModifier) != 0);
}

void CSortArrowHeader::mouseMoveEvent(QMouseEvent* event) {
    if (!m_tip) {
        m_tip = std::make_unique<CzorTitleTip>();
        m_tip->Create(this);
    }
    const QPoint p = event->position().toPoint();
    if (p != m_lastMouse) {
        m_lastMouse = p;
        std::vector<CRect> items;
        for (int c = 0; c < count(); ++c) {
            const int left = sectionViewportPosition(c);
            items.emplace_back(left, 0, left + sectionSize(c), height());
        }
        const int item = zor::HeaderTipItem(CPoint(p.x(), p.y()), items);
        if (item < 0) {
            m_tip->Hide();
        } else {
            const QString caption = model() ? model()->headerData(item, Qt::Horizontal).toString().left(255) : QString();
            const QPoint at = mapToGlobal(p);
            m_tip->Show(CRect(at.x() + 10, at.y() + 10, at.x() + 15, at.y() + 14), caption);
        }
    }
    QHeaderView::mouseMoveEvent(event);
}

void CSortArrowHeader::leaveEvent(QEvent* event) {
    if (m_tip) m_tip->Hide();
    QHeaderView::leaveEvent(event);
}

// --- List --------------------------------------------------------------------------------------

CSortListCtrl::CSortListCtrl(QWidget* parent) : CzorListCtrl(parent) {
    m_header = new CSortArrowHeader(this);
    setHeader(m_header);
    m_header->setStretchLastSection(false);
    connect(m_header, &CSortArrowHeader::LeftClicked, this, &CSortListCtrl::OnHeaderClicked);
    m_tip = std::make_unique<CzorTitleTip>();
    m_tip->Create(viewport());
    m_tip->SetOffsets(5, 2);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

CSortListCtrl::~CSortListCtrl() {
    if (m_saveOnDestroy) SaveColumnWidths();
}

bool CSortListCtrl::IsControlPressed() {
    return (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) != 0;
}

void CSortListCtrl::OnHeaderClicked(int column, bool ctrl) { SortColumn(column, ctrl); }

void CSortListCtrl::SortColumn(int column, bool combined) {
    if (!m_sortingEnabled || column < 0 || column >= GetColumnCount()) return;
    m_sorting = true;
    if (!combined) m_header->RemoveAllSortArrows();
    for (const zor::SortStep& step : m_order.Click(column, combined)) {
        SortRows(step.column, step.ascending);
        if (step.setsArrow) m_header->SetSortArrow(step.column, step.ascending);
    }
    m_sorting = false;
}

void CSortListCtrl::SortRows(int column, bool ascending) {
    const zor::ColumnKind kind = m_kinds.Kind(column);
    const int n = GetItemCount();
    std::vector<zor::SortKey> keys;
    keys.reserve(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) keys.push_back(zor::MakeSortKey(kind, GetItemText(r, column)));
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    // Stable, so that a combined sort leaves the earlier columns' order among equal cells.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return zor::CompareSortKeys(kind, ascending, keys[static_cast<size_t>(a)], keys[static_cast<size_t>(b)]) < 0;
    });
    QTreeWidgetItem* current = currentItem();
    std::vector<QTreeWidgetItem*> rows;
    std::vector<bool> selected;
    for (int r = 0; r < n; ++r) {
        rows.push_back(topLevelItem(r));
        selected.push_back(topLevelItem(r)->isSelected());
    }
    const bool blocked = blockSignals(true);
    for (int r = n - 1; r >= 0; --r) takeTopLevelItem(r);
    for (int r = 0; r < n; ++r) addTopLevelItem(rows[static_cast<size_t>(order[static_cast<size_t>(r)])]);
    for (int r = 0; r < n; ++r) rows[static_cast<size_t>(r)]->setSelected(selected[static_cast<size_t>(r)]);
    if (current) setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    blockSignals(blocked);
}

bool CSortListCtrl::DeleteColumn(int column) {
    m_kinds.ColumnDeleted(column);
    return CzorListCtrl::DeleteColumn(column);
}

void CSortListCtrl::DeleteAllColumns() {
    for (int n = GetColumnCount(); n > 0; --n) CzorListCtrl::DeleteColumn(0);
    m_kinds.Clear();
}

void CSortListCtrl::SetUniqueName(const std::string& name) {
    m_uniqueName = name;
    m_saveOnDestroy = true;
}

void CSortListCtrl::SaveColumnWidths() {
    std::vector<int> widths;
    for (int c = 0; c < GetColumnCount(); ++c) widths.push_back(GetColumnWidth(c));
    WriteProfileString(m_section, m_uniqueName, zor::FormatColumnWidths(widths));
}

int CSortListCtrl::GetRegColumnWidth(int column) const {
    return zor::ReadColumnWidth(GetProfileString(m_section, m_uniqueName, ""), column);
}

void CSortListCtrl::SetColumnWidth(int column) {
    const int saved = GetRegColumnWidth(column);
    if (saved >= zor::kMinSavedWidth) CzorListCtrl::SetColumnWidth(column, saved);
    else AutoSizeColumn(column);
}

bool CSortListCtrl::LoadColumnWidths() {
    for (int c = 0; c < GetColumnCount(); ++c) SetColumnWidth(c);
    return true;
}

void CSortListCtrl::AutoSizeColumn(int column) {
    setUpdatesEnabled(false);
    CzorListCtrl::SetColumnWidth(column, zor::AutoColumnWidth(ContentWidth(column), HeadingWidth(column)));
    setUpdatesEnabled(true);
}

void CSortListCtrl::AutoSizeAllColumns() {
    for (int c = 0; c < GetColumnCount(); ++c) AutoSizeColumn(c);
}

void CSortListCtrl::OnContextMenu(QContextMenuEvent* event) {
    QWidget* owner = parentWidget();
    if (!owner) return;
    QContextMenuEvent forwarded(event->reason(), owner->mapFromGlobal(event->globalPos()), event->globalPos(),
                                event->modifiers());
    QApplication::sendEvent(owner, &forwarded);
}

void CSortListCtrl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (p != m_lastMouse && m_tip) {
        m_lastMouse = p;
        int sub = -1;
        const int row = HitTest(p, &sub);
        if (row < 0 || sub < 0) {
            m_tip->Hide();
        } else {
            const CRect cell = GetSubItemRect(row, sub);
            const QString text = QString::fromStdString(GetItemText(row, sub));
            if (text.isEmpty()) {
                m_tip->Hide();
            } else {
                m_tip->SetFont(font());
                CRect screen = ScreenRect(viewport(), QRect(cell.left, cell.top, cell.Width(), cell.Height()));
                screen.left += 1;
                m_tip->Show(screen, text);
            }
        }
    }
    CzorListCtrl::mouseMoveEvent(event);
}

bool CSortListCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave && m_tip) {
        // The cursor went onto the tip itself: it stays.
        const QPoint at = QCursor::pos();
        if (!m_tip->ShownRect().PtInRect(CPoint(at.x(), at.y()))) m_tip->Hide();
    }
    return CzorListCtrl::viewportEvent(event);
}

// --- View --------------------------------------------------------------------------------------

CMultiColumnSortListView::CMultiColumnSortListView(QWidget* parent) : CSortListCtrl(parent) {
    setFrameShape(QFrame::Box);
}

int CMultiColumnSortListView::InsertColumn(int index, const std::string& heading, int format, int width, int subItem) {
    const int at = CzorListCtrl::InsertColumn(index, heading, format, width, subItem);
    if (at >= 0) SetColumnWidth(at);
    return at;
}

void CMultiColumnSortListView::SetUniqueName(const std::string& name) {
    m_uniqueName = name;
    if (!name.empty()) m_saveOnDestroy = true;
}
