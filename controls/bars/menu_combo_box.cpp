#include "controls/bars/menu_combo_box.h"

#include <vector>

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include "controls/dialogs/widget_colors.h"
#include "platform/gdi/screen_colors.h"

CMenuComboBox::CMenuComboBox(QWidget* parent) : QWidget(parent) {}

bool CMenuComboBox::SetSelID(int id) {
    const int pos = m_items.Find(id);
    if (pos < 0) return false;
    m_selText = m_items.Items()[static_cast<size_t>(pos)].text;
    m_selId = id;
    update();
    return true;
}

bool CMenuComboBox::SetReadOnly(bool readOnly) {
    const bool was = m_readOnly;
    m_readOnly = readOnly;
    return was;
}

void CMenuComboBox::LoadFontFromWnd(const QWidget* wnd) {
    if (wnd)
        m_font = wnd->font();
    else
        m_font.reset();
    update();
}

void CMenuComboBox::CreateMenu(QMenu& menu) const {
    const zor::MenuComboMenus built = m_items.BuildMenus();
    const auto& items = m_items.Items();
    // Every submenu is made before it is filled, so that an entry can point at one made later.
    std::vector<QMenu*> menus(built.menus.size(), nullptr);
    menus[0] = &menu;
    for (size_t i = 1; i < menus.size(); ++i) menus[i] = new QMenu(&menu);
    for (size_t m = 0; m < built.menus.size(); ++m) {
        for (const zor::MenuComboEntry& e : built.menus[m]) {
            const QString text = QString::fromStdString(items[static_cast<size_t>(e.item)].text);
            if (e.submenu >= 0) {
                QMenu* sub = menus[static_cast<size_t>(e.submenu)];
                sub->setTitle(text);
                menus[m]->addMenu(sub);
            } else {
                QAction* a = menus[m]->addAction(text);
                a->setData(e.command);
                a->setEnabled(e.enabled);
            }
        }
    }
}

QRect CMenuComboBox::ArrowRect() const { return QRect(width() - height(), 0, height(), height()); }

int CMenuComboBox::TrackMenu(QMenu& menu, const QPoint& screenPoint) {
    const QAction* chosen = menu.exec(screenPoint);
    return chosen ? chosen->data().toInt() : 0;
}

void CMenuComboBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), zor::ToQColor(GetScreenSysColor(COLOR_WINDOW)));

    QStyleOptionButton button;
    button.initFrom(this);
    button.rect = ArrowRect();
    button.state = (m_dropped ? QStyle::State_Sunken : QStyle::State_Raised) | QStyle::State_Enabled;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &p, this);
    QStyleOption arrow(button);
    arrow.rect = ArrowRect().adjusted(3, 3, -3, -3);
    if (m_dropped) arrow.rect.translate(1, 1);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowRight, &arrow, &p, this);

    if (m_font) p.setFont(*m_font);
    p.setPen(zor::ToQColor(GetScreenSysColor(COLOR_WINDOWTEXT)));
    const QRect text(2, 0, ArrowRect().left() - 2, height());
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QString::fromStdString(m_selText));
}

void CMenuComboBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && !m_dropped && !m_readOnly && ArrowRect().contains(e->position().toPoint())) {
        m_dropped = true;
        repaint();
        QMenu menu;
        CreateMenu(menu);
        const int command = TrackMenu(menu, mapToGlobal(QPoint(width() - 2, 0)));
        const auto& items = m_items.Items();
        if (command >= 1 && command <= static_cast<int>(items.size())) {
            m_selText = items[static_cast<size_t>(command - 1)].text;
            m_selId = items[static_cast<size_t>(command - 1)].id;
        }
        m_dropped = false;
        repaint();
        // The submenus are the menu's children and go with it.
    }
    QWidget::mousePressEvent(e);
}
