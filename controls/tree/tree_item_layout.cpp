#include "controls/tree/tree_item_layout.h"

#include "controls/menu/zor_menu.h"

namespace zor {

TreeItemLayout LayOutTreeItem(const TreeItemGeometry& g) {
    TreeItemLayout l;
    for (int i = 0; i < kTreeImageSlots; ++i)
        if (g.images[static_cast<size_t>(i)] >= 0) l.imagesWidth += g.slotWidths[static_cast<size_t>(i)];
    l.x0 = g.textLeft - g.stateImageWidth;
    // Without a state image list the extra images take the normal image's place.
    if (l.HasImages() && g.stateImageWidth == 0) l.x0 -= g.normalImageWidth + 3;
    l.right = l.x0 + g.textWidth + 7 + (l.HasImages() ? l.imagesWidth + 6 : 0);
    l.textX = l.x0 + l.imagesWidth + (l.HasImages() ? 9 : 3);
    l.highlightLeft = (l.HasImages() && !g.showSelectedOverIcons) ? l.x0 + l.imagesWidth + 4 : l.x0;
    int x = l.x0 + 3;
    for (int i = 0; i < kTreeImageSlots; ++i) {
        if (g.images[static_cast<size_t>(i)] < 0) continue;
        l.imageX[static_cast<size_t>(i)] = x;
        x += g.slotWidths[static_cast<size_t>(i)];
    }
    return l;
}

TreeSelectionLook SelectionLook(bool xpMode, bool otherIsDropTarget, COLORREF itemText, const TreeColors& c) {
    if (xpMode)
        return {otherIsDropTarget ? c.window : CzorMenu::LightenColor(c.highlight, 0.75), true, c.highlight, itemText};
    return {c.highlight, false, 0, c.highlightText};
}

}  // namespace zor
