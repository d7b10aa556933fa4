#include "controls/bars/menu_combo_box.h"

#include <vector>

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include "controls/dialogs/widget_colors.h"
#include "platform/gdi/screen_colors.h"

namespace {

// The selected text at full length, over the parent, in the control's colours and font.
class FullTextLabel : public QWidget {
public:
    FullTextLabel(QWidget* parent, const QString& text, const QFont& font) : QWidget(parent), m_text(text) {
        setFont(font);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), zor::ToQColor(GetScreenSysColor(COLOR_WINDOW)));
        p.setPen(zor::ToQColor(GetScreenSysColor(COLOR_WINDOWTEXT)));
        p.drawText(rect().adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
    }

private:
    QString m_text;
};

}  // namespace

CMenuComboBox::CMenuComboBox(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

CMenuComboBox::~CMenuComboBox() { delete m_overlay; }

QRect CMenuComboBox::TextRect() const { return QRect(0, 0, ArrowRect().left(), height()); }

void CMenuComboBox::SetHovered(bool hovered) {
    if (hovered == m_hovered) return;
    m_hovered = hovered;
    delete m_overlay;
    m_overlay = nullptr;
    const QFont font = m_font.value_or(this->font());
    const QString text = QString::fromStdString(m_selText);
    const int wide = 2 + QFontMetrics(font).horizontalAdvance(text) + 2;
    if (hovered && parentWidget() && wide > TextRect().width()) {
        m_overlay = new FullTextLabel(parentWidget(), text, font);
        m_overlay->setGeometry(QRect(mapToParent(QPoint(0, 0)), QSize(wide, height())));
        m_overlay->raise();
        m_overlay->show();
    }
    repaint();
}

void CMenuComboBox::mouseMoveEvent(QMouseEvent* e) {
    SetHovered(TextRect().adjusted(5, 5, 0, -5).contains(e->position().toPoint()));
    QWidget::mouseMoveEvent(e);
}

void CMenuComboBox::leaveEvent(QEvent* e) {
    SetHovered(false);
    QWidget::leaveEvent(e);
}

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
    const QRect text = TextRect().adjusted(2, 0, 0, 0);
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
