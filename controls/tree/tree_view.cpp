#include "controls/tree/tree_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStandardItemModel>
#include <QStyledItemDelegate>

#include "controls/dialogs/widget_colors.h"
#include "controls/resources/imagelist.h"
#include "platform/gdi/screen_colors.h"
#include "platform/settings/organisation.h"

namespace {

constexpr int kItemDataRole = Qt::UserRole + 1;
constexpr int kNormalImageRole = Qt::UserRole + 2;
constexpr char kXpTreeEntry[] = "XP_Tree";

QColor Sys(int index) { return zor::ToQColor(GetScreenSysColor(index)); }

// The application's style, except that a selected row's indentation and branch lines keep the window
// colour: only the item itself shows the selection, as the delegate paints it.
class TreeStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* answer) const override {
        if (hint == SH_ItemView_ShowDecorationSelected) return 0;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

}  // namespace

bool CzorTreeView::m_xp_mode = true;
bool CzorTreeView::m_ShowSelectedOverIcons = false;

// Paints every item by the rules of tree_item_layout.h over what the view drew of its row.
class CzorTreeItemDelegate : public QStyledItemDelegate {
public:
    explicit CzorTreeItemDelegate(CzorTreeView* view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        static const CzorTreeItemData kDefault;
        CzorTreeItemData* data = m_view->ItemData(index);
        const CzorTreeItemData& d = data ? *data : kDefault;
        const QRect row = option.rect;
        const int normalWidth = m_view->m_normalImages ? m_view->m_normalImages->GetImageSize().width() : 0;

        zor::TreeItemGeometry g;
        g.stateImageWidth = m_view->m_stateImageWidth;
        g.normalImageWidth = normalWidth;
        g.textLeft = row.left() + g.stateImageWidth + (normalWidth ? normalWidth + 3 : 0);
        for (size_t i = 0; i < m_view->m_slots.size(); ++i) {
            g.slotWidths[i] = m_view->m_slots[i].width;
            g.images[i] = m_view->m_slots[i].list ? d.m_images[i] : -1;
        }
        const QFont font = m_view->StyleFont(d.m_fontStyle);
        const QString text = index.data(Qt::DisplayRole).toString();
        g.textWidth = QFontMetrics(font).horizontalAdvance(text);
        g.showSelectedOverIcons = CzorTreeView::m_ShowSelectedOverIcons;
        const zor::TreeItemLayout l = zor::LayOutTreeItem(g);

        if (normalWidth) {
            const int image = index.data(kNormalImageRole).toInt();
            const QImage picture = m_view->m_normalImages->GetImage(image);
            p->drawImage(row.left() + g.stateImageWidth, row.top() + (row.height() - picture.height() + 1) / 2, picture);
        }

        const zor::TreeColors colors{GetScreenSysColor(COLOR_WINDOW), GetScreenSysColor(COLOR_HIGHLIGHT),
                                     GetScreenSysColor(COLOR_HIGHLIGHTTEXT)};
        const QModelIndex drop = m_view->DropTarget();
        const bool selected = (option.state & QStyle::State_Selected) || (drop.isValid() && drop == index);
        QColor textColour = zor::ToQColor(d.m_textColor);
        if (selected) {
            const zor::TreeSelectionLook look = zor::SelectionLook(CzorTreeView::m_xp_mode,
                                                                   drop.isValid() && drop != index, d.m_textColor, colors);
            p->fillRect(QRect(QPoint(l.right, row.top()), QPoint(row.right(), row.bottom())), Sys(COLOR_WINDOW));
            p->fillRect(QRect(l.x0, row.top(), l.highlightLeft - l.x0, row.height()), Sys(COLOR_WINDOW));
            const QRect highlight(l.highlightLeft, row.top(), l.right - l.highlightLeft, row.height());
            if (CzorTreeView::m_xp_mode) {
                p->fillRect(highlight, zor::ToQColor(look.fill));
                p->setPen(zor::ToQColor(look.frame));
                p->drawRect(highlight.adjusted(0, 0, -1, -1));
            } else if (l.HasImages()) {
                p->fillRect(QRect(l.highlightLeft, row.top(), l.textX - 2 - l.highlightLeft, row.height()), Sys(COLOR_WINDOW));
                p->fillRect(QRect(l.textX - 2, row.top(), l.right - (l.textX - 2), row.height()), zor::ToQColor(look.fill));
            } else {
                p->fillRect(highlight, zor::ToQColor(look.fill));
            }
            textColour = zor::ToQColor(look.text);
        } else {
            p->fillRect(QRect(QPoint(l.x0, row.top()), QPoint(std::max(row.right(), l.right - 1), row.bottom())),
                        Sys(COLOR_WINDOW));
        }

        for (size_t i = 0; i < m_view->m_slots.size(); ++i) {
            if (l.imageX[i] < 0) continue;
            const auto& slot = m_view->m_slots[i];
            p->drawImage(l.imageX[i], row.top() + (row.height() - slot.height + 1) / 2, slot.list->GetImage(d.m_images[i]));
        }

        p->setFont(font);
        p->setPen(textColour);
        const QRect label(l.textX, row.top(), g.textWidth, row.height());
        p->drawText(label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        if (data) data->m_labelRect = CRect(label.left(), label.top(), label.left() + label.width(), label.top() + label.height());
    }

private:
    CzorTreeView* m_view;
};

bool CzorTreeItemData::InsetItem(const std::string& text, int image, QStandardItem* parent) {
    if (!m_tree) return false;
    m_item = m_tree->InsertItem(text, image, parent);
    m_item->setData(QVariant::fromValue(reinterpret_cast<quintptr>(this)), kItemDataRole);
    return true;
}

bool CzorTreeItemData::SetItemImage(int image, int slot, bool repaint) {
    return m_tree && m_tree->SetItemImage(m_item, image, slot, repaint);
}

CzorTreeView::CzorTreeView(QWidget* parent) : QTreeView(parent), m_model(new QStandardItemModel(this)) {
    setModel(m_model);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setItemDelegate(new CzorTreeItemDelegate(this));
    auto* style = new TreeStyle;
    style->setParent(this);
    setStyle(style);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ResetFont();
}

CzorTreeView::~CzorTreeView() { delete m_stateImages; }

void CzorTreeView::ResetFont() {
    for (int style = 0; style < 8; ++style) {
        QFont f = font();
        f.setItalic(style & zor::kTreeItalic);
        f.setBold(style & zor::kTreeBold);
        f.setStrikeOut(style & zor::kTreeStrikeOut);
        m_fonts[static_cast<size_t>(style)] = f;
    }
}

void CzorTreeView::SetIconsSize(int width, int height) {
    delete m_stateImages;
    m_stateImages = new CImageList;
    m_stateImages->Create(width, height);
    m_stateImageWidth = width;
    viewport()->update();
}

void CzorTreeView::SetNormalImageList(const CImageList* list) {
    m_normalImages = list && list->GetImageCount() > 0 ? list : nullptr;
    viewport()->update();
}

bool CzorTreeView::SetImageList(const CImageList* list, int slot) {
    if (!list || slot < 0 || slot >= zor::kTreeImageSlots || list->GetImageCount() == 0) return false;
    const QSize size = list->GetImageSize();
    m_slots[static_cast<size_t>(slot)] = {list, size.width(), size.height()};
    return true;
}

bool CzorTreeView::SetItemImage(QStandardItem* item, int image, int slot, bool repaint) {
    if (!item) return false;
    CzorTreeItemData* data = ItemData(item->index());
    if (!data || !data->m_tree || !data->m_item || image < 0 || slot >= zor::kTreeImageSlots) return false;
    if (slot < 0) {
        item->setData(image, kNormalImageRole);
    } else {
        data->m_images[static_cast<size_t>(slot)] = image;
        if (repaint) viewport()->update();
    }
    return true;
}

CzorTreeItemData* CzorTreeView::ItemData(const QModelIndex& index) const {
    if (!index.isValid()) return nullptr;
    return reinterpret_cast<CzorTreeItemData*>(index.data(kItemDataRole).value<quintptr>());
}

CzorTreeItemData* CzorTreeView::GetSelectedItemData() const { return ItemData(currentIndex()); }

QStandardItem* CzorTreeView::InsertItem(const std::string& text, int image, QStandardItem* parent) {
    auto* item = new QStandardItem(QString::fromStdString(text));
    item->setEditable(false);
    item->setData(image, kNormalImageRole);
    (parent ? parent : m_model->invisibleRootItem())->appendRow(item);
    return item;
}

void CzorTreeView::SetRedraw(bool on) {
    m_redrawOff = !on;
    if (on) viewport()->update();
}

void CzorTreeView::SaveXpMode() { zor::WriteOrganisationInt(kXpTreeEntry, m_xp_mode ? 1 : 0); }

void CzorTreeView::LoadXpMode() { zor::GetOrganisationFlag(kXpTreeEntry, m_xp_mode); }

void CzorTreeView::paintEvent(QPaintEvent* e) {
    if (m_redrawOff) return;
    QTreeView::paintEvent(e);
}

void CzorTreeView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(e->position().toPoint());
        if (index.isValid()) {
            setCurrentIndex(index);
            m_dropTarget = index;
        }
    }
    QTreeView::mousePressEvent(e);
}
