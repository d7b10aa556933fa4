#pragma once
// "SHEET", the popup of the program's menu 130 that a right click on an empty spot of the page shows in
// edit mode: pasting, the element tools, selecting all, a new sheet and the zoom commands. Its items are
// read apart from tracking the popup, so the view's tests see the same list the user does.
#include <functional>
#include <string>
#include <vector>

class QPoint;
class QWidget;

namespace quillmark {

inline constexpr int kContextMenuId = 130;

struct SheetMenuItem {
    int command = 0;  // 0: a separator
    std::string text;
};

// The popup's items in order; empty when the program's resources have no such popup.
std::vector<SheetMenuItem> SheetMenuItems();
// Shows the popup owner-drawn, with the pictures of the program's toolbars, at a screen point; items whose
// command `enabled` refuses are greyed. The command chosen, 0 for none.
int RunSheetMenu(const QPoint& globalPos, QWidget* parent, const std::function<bool(int)>& enabled);

}  // namespace quillmark
