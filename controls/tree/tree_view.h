#pragma once
// A tree view that paints its items itself: up to five extra images before an item's text, the
// item's own text colour and font style, and the selection in the classic or the XP (light, framed)
// look, which every tree view shares and the organisation's settings keep as "XP_Tree".
#include <array>
#include <string>

#include <QFont>
#include <QModelIndex>
#include <QTreeView>

#include "controls/tree/tree_item_layout.h"
#include "platform/win/geometry.h"

class CImageList;
class QStandardItem;
class QStandardItemModel;
class CzorTreeView;

// What an item carries besides its text; attached to the item, owned by the caller.
class CzorTreeItemData {
public:
    CzorTreeItemData() = default;
    CzorTreeItemData(const CzorTreeItemData&) = default;
    CzorTreeItemData& operator=(const CzorTreeItemData&) = default;
    virtual ~CzorTreeItemData() = default;

    // Inserts the item as `parent`'s last child (the top level for none) with `image` as its normal
    // image and attaches this object to it; false without a tree.
    virtual bool InsetItem(const std::string& text, int image, QStandardItem* parent);
    bool SetItemImage(int image, int slot, bool repaint);

    QStandardItem* m_item = nullptr;
    CzorTreeView* m_tree = nullptr;
    CRect m_labelRect;  // where the text was last drawn
    int m_data = 0;
    unsigned char m_fontStyle = 0;  // zor::TreeFontStyle bits
    COLORREF m_textColor = 0;
    std::array<int, zor::kTreeImageSlots> m_images{-1, -1, -1, -1, -1};
};

class CzorTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit CzorTreeView(QWidget* parent = nullptr);
    ~CzorTreeView() override;

    void ResetFont();
    // The state images' list, made here with that image size.
    void SetIconsSize(int width, int height);
    // The normal images, drawn before the text (not owned).
    void SetNormalImageList(const CImageList* list);
    // False for no list, a slot outside 0 to 4 or a list without images.
    bool SetImageList(const CImageList* list, int slot);
    // False for no item, no item data, data without tree or item, a negative image or a slot of 5 or
    // more. A negative slot sets the normal image.
    bool SetItemImage(QStandardItem* item, int image, int slot, bool repaint);
    CzorTreeItemData* GetSelectedItemData() const;
    CzorTreeItemData* ItemData(const QModelIndex& index) const;
    QStandardItem* InsertItem(const std::string& text, int image, QStandardItem* parent);
    QStandardItemModel* Model() const { return m_model; }
    QModelIndex DropTarget() const { return m_dropTarget; }
    // Nothing is painted while redraw is off.
    void SetRedraw(bool on);
    bool IsRedrawOff() const { return m_redrawOff; }
    const QFont& StyleFont(int style) const { return m_fonts[static_cast<size_t>(style & 7)]; }

    static void SaveXpMode();
    static void LoadXpMode();
    static bool m_xp_mode;
    static bool m_ShowSelectedOverIcons;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    friend class CzorTreeItemDelegate;
    struct Slot {
        const CImageList* list = nullptr;
        int width = 0, height = 0;
    };
    QStandardItemModel* m_model;
    CImageList* m_stateImages = nullptr;
    int m_stateImageWidth = 0;
    const CImageList* m_normalImages = nullptr;
    std::array<Slot, zor::kTreeImageSlots> m_slots{};
    std::array<QFont, 8> m_fonts;
    bool m_redrawOff = false;
    QPersistentModelIndex m_dropTarget;
};
