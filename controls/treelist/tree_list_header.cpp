#include "controls/treelist/tree_list_header.h"

#include <vector>

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

#include "controls/dialogs/title_tip.h"
#include "controls/dialogs/title_tip_rules.h"
#include "controls/resources/imagelist.h"
#include "controls/treelist/tree_list_rules.h"

CzorTreeListHeaderCtrl::CzorTreeListHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setSortIndicatorShown(false);
    setStretchLastSection(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setMouseTracking(true);
}

CzorTreeListHeaderCtrl::~CzorTreeListHeaderCtrl() {
    if (m_tip) m_tip->Hide();
}

CImageList* CzorTreeListHeaderCtrl::SetImageList(CImageList* list) {
    CImageList* previous = m_pImageList;
    m_pImageList = list;
    viewport()->update();
    return previous;
}

int CzorTreeListHeaderCtrl::GetItemImage(int column) const {
    const auto found = m_itemImages.find(column);
    return found == m_itemImages.end() ? -1 : found->second;
}

void CzorTreeListHeaderCtrl::SetItemImage(int column, int image) {
    m_itemImages[column] = image;
    viewport()->update();
}

void CzorTreeListHeaderCtrl::SetAutofit(bool on) {
    m_bAutofit = on;
    Autofit(-1, 0);
}

void CzorTreeListHeaderCtrl::Autofit(int exceptColumn, int exceptWidth) {
    if (!m_bAutofit) return;
    setUpdatesEnabled(false);
    // Inside a tree the columns share the rows area, not the frame around it.
    const auto* area = qobject_cast<const QAbstractScrollArea*>(parentWidget());
    int target = area ? area->viewport()->width() : (parentWidget() ? parentWidget()->contentsRect().width() : width());
    if (exceptColumn != -1) target -= exceptWidth;
    std::vector<int> widths;
    for (int c = 0; c < count(); ++c) widths.push_back(sectionSize(c));
    if (zor::AutofitWidths(widths, exceptColumn, target)) {
        for (int c = 0; c < count(); ++c)
            if (c != exceptColumn && sectionSize(c) != widths[c]) resizeSection(c, widths[c]);
    }
    setUpdatesEnabled(true);
    viewport()->update();
}

void CzorTreeListHeaderCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) return;
    // The frame of the section in the style's look; text and image are ours.
    QStyleOptionHeader frame;
    initStyleOption(&frame);
    frame.rect = rect;
    frame.section = logicalIndex;
    frame.state |= QStyle::State_Raised;
    if (m_pressed == logicalIndex) frame.state |= QStyle::State_Sunken;
    style()->drawControl(QStyle::CE_HeaderSection, &frame, painter, this);

    const QVariant alignment = model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole)
                                       : QVariant();
    const Qt::Alignment align = alignment.isValid() ? Qt::Alignment(alignment.toInt()) : Qt::AlignLeft;
    const bool right = (align & Qt::AlignRight) != 0, centre = (align & Qt::AlignHCenter) != 0;
    QRect text = rect.adjusted(4, 1, -4, -1);
    if (m_pressed == logicalIndex) text.translate(1, 2);

    const int image = GetItemImage(logicalIndex);
    if (m_pImageList && image != -1) {
        const QPixmap picture = m_pImageList->GetPixmap(image);
        const int w = m_pImageList->GetImageSize().width(), h = m_pImageList->GetImageSize().height();
        const int x = right ? text.left() : text.right() + 1 - w - 3;
        painter->drawPixmap(x, text.top() + (text.height() - h) / 2, picture);
        if (right) text.setLeft(text.left() + w + 2);
        else text.setRight(text.right() - w);
    }
    if (text.width() <= 0 || text.height() <= 0) return;
    const QString title = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    painter->save();
    painter->setFont(font());
    painter->setPen(palette().color(QPalette::ButtonText));
    const Qt::Alignment h = right ? Qt::AlignRight : (centre ? Qt::AlignHCenter : Qt::AlignLeft);
    painter->drawText(text, int(h | Qt::AlignVCenter | Qt::TextSingleLine),
                      painter->fontMetrics().elidedText(title, Qt::ElideRight, text.width()));
    painter->restore();
}

void CzorTreeListHeaderCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_pressed = logicalIndexAt(event->position().toPoint());
    QHeaderView::mousePressEvent(event);
    viewport()->update();
}

void CzorTreeListHeaderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    m_pressed = -1;
    QHeaderView::mouseReleaseEvent(event);
    viewport()->update();
}

void CzorTreeListHeaderCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!m_tip) {
        m_tip = std::make_unique<CzorTitleTip>();
        m_tip->Create(this);
        m_tip->SetFont(font());
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
            const QString title = model() ? model()->headerData(item, Qt::Horizontal).toString() : QString();
            const QPoint at = mapToGlobal(p);
            m_tip->Show(CRect(at.x() + 10, at.y() + 10, at.x() + 15, at.y() + 14), title);
        }
    }
    QHeaderView::mouseMoveEvent(event);
}

void CzorTreeListHeaderCtrl::leaveEvent(QEvent* event) {
    if (m_tip) m_tip->Hide();
    QHeaderView::leaveEvent(event);
}
