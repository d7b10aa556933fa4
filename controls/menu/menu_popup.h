#pragma once
// The Qt side of menus: a QMenu that shows the items of a menu handle, drawn by the handle's CzorMenu
// and answering typed mnemonics the menu's way, when the window it opens for is hooked (Install) or
// when it opens for no window. Otherwise it is a plain QMenu of the same items.
#include <QMenu>

#include "controls/menu/menu_handles.h"

class CzorMenu;

class CzorPopup : public QMenu {
public:
    // `owner`: the window the menu opens for (its hook decides the look), may be null.
    CzorPopup(HMENU handle, QWidget* owner, QWidget* parent);
    HMENU Handle() const { return m_handle; }
    // Makes the actions anew from the handle's items: command in data(), check, enable and radio groups.
    void Rebuild();
    // The menu that draws the items, or null for a plain menu.
    CzorMenu* Drawer() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    HMENU m_handle;
    QWidget* m_owner;
};

// The command of an action made from a menu item, 0 for none.
unsigned CommandOfAction(const QAction* action);
