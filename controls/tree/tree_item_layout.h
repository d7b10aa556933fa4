#pragma once
// Where a tree item's extra images, highlight and text go, and which colours its selection takes,
// apart from the view: x positions in the view's coordinates.
#include <array>

#include "platform/win/gdi_types.h"

namespace zor {

constexpr int kTreeImageSlots = 5;

// Font style bits of an item.
enum TreeFontStyle : unsigned char { kTreeItalic = 1, kTreeBold = 2, kTreeStrikeOut = 4 };

struct TreeItemGeometry {
    int textLeft = 0;           // the left edge of the text rectangle as the tree places it
    int stateImageWidth = 0;    // 0 without a state image list
    int normalImageWidth = 0;
    std::array<int, kTreeImageSlots> slotWidths{};  // the extra image lists' widths
    std::array<int, kTreeImageSlots> images{-1, -1, -1, -1, -1};  // the item's extra images
    int textWidth = 0;
    bool showSelectedOverIcons = false;
};

struct TreeItemLayout {
    int x0 = 0;             // the item's left edge
    int imagesWidth = 0;    // d: the slots the item has an image in
    int right = 0;          // the item's right edge (exclusive)
    int textX = 0;
    int highlightLeft = 0;  // left of it, selected items keep the window colour
    std::array<int, kTreeImageSlots> imageX{-1, -1, -1, -1, -1};  // -1 where the item has no image
    bool HasImages() const { return imagesWidth > 0; }
};

TreeItemLayout LayOutTreeItem(const TreeItemGeometry& g);

// The colours of a selected (or drop-target) item.
struct TreeSelectionLook {
    COLORREF fill = 0;
    bool framed = false;
    COLORREF frame = 0;
    COLORREF text = 0;
};

struct TreeColors {
    COLORREF window = 0, highlight = 0, highlightText = 0;
};

// The XP look: the highlight lightened by 0.75 (the window colour while another item is the drop
// target), framed, the text in the item's colour. The classic look: the highlight and its text colour.
TreeSelectionLook SelectionLook(bool xpMode, bool otherIsDropTarget, COLORREF itemText, const TreeColors& c);

}  // namespace zor
