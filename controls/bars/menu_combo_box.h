#pragma once
// A combo-box-like control that shows the selected item's text and an arrow; the arrow opens a popup
// menu of the items, in which items may open nested submenus.
#include <optional>
#include <string>

#include <QPointer>
#include <QWidget>

#include "controls/bars/menu_combo_items.h"

class QMenu;

class CMenuComboBox : public QWidget {
    Q_OBJECT
public:
    explicit CMenuComboBox(QWidget* parent = nullptr);
    ~CMenuComboBox() override;

    int AddItem(int id, const std::string& text, int parentId = 0, bool enabled = true) {
        return m_items.AddItem(id, text, parentId, enabled);
    }
    bool AddItemsRelation(int parentId, int childId) { return m_items.AddItemsRelation(parentId, childId); }
    // The selection stays.
    void Clear() { m_items.Clear(); }
    const zor::MenuComboItems& Items() const { return m_items; }

    std::string GetSelText() const { return m_selText; }
    int GetSelId() const { return m_selId; }
    bool SetSelID(int id);
    // The previous value.
    bool SetReadOnly(bool readOnly);
    // A copy of the widget's font; none with no widget.
    void LoadFontFromWnd(const QWidget* wnd);
    // The items as `menu`'s entries, commands numbered by item position + 1, submenus made as children
    // of `menu`.
    void CreateMenu(QMenu& menu) const;

    bool IsDropped() const { return m_dropped; }
    bool IsHovered() const { return m_hovered; }
    // While hovered, a text longer than the control is shown in full over the parent by this widget
    // (a widget cannot paint outside its own rectangle); none before the first such hover.
    const QWidget* FullTextOverlay() const { return m_overlay; }
    // The square at the right end.
    QRect ArrowRect() const;

protected:
    // Shows the menu at a screen point and answers the chosen command, 0 for none.
    virtual int TrackMenu(QMenu& menu, const QPoint& screenPoint);
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    zor::MenuComboItems m_items;
    std::string m_selText;
    int m_selId = 0;
    bool m_dropped = false;
    bool m_readOnly = false;
    std::optional<QFont> m_font;
    bool m_hovered = false;
    QPointer<QWidget> m_overlay;  // a child of the parent, which may go first

    QRect TextRect() const;
    void SetHovered(bool hovered);
};
