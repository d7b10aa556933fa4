// CzorMenu shown through Qt widgets: popups, the frame's menu bar, TrackPopupMenu, the window hooks and
// the command handlers of windows.
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include <map>

#include "controls/menu/menu_effects.h"
#include "controls/menu/menu_metrics.h"
#include "controls/menu/menu_popup.h"
#include "controls/menu/zor_menu.h"
#include "controls/stock_icons.h"

namespace {

constexpr char kRecordProperty[] = "zorRecord";

// Items of our popups measure as the menu measures them; the popup has a one-pixel frame and no margins.
class MenuStyle : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        const auto* popup = dynamic_cast<const CzorPopup*>(widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        CzorMenu* drawer = popup ? popup->Drawer() : nullptr;
        if (type != CT_MenuItem || !item || !drawer) return QProxyStyle::sizeFromContents(type, option, size, widget);
        CzorMenuData record;
        record.SetWideString(item->text.toStdU16String());
        record.nFlags = item->menuItemType == QStyleOptionMenuItem::Separator ? MF_SEPARATOR | MF_OWNERDRAW : MF_OWNERDRAW;
        MEASUREITEMSTRUCT measure;
        measure.itemData = reinterpret_cast<uintptr_t>(&record);
        drawer->MeasureItem(&measure);
        // A separator measures no width; the toolkit would hide an item without one.
        return QSize(std::max(1, int(measure.itemWidth)), int(measure.itemHeight));
    }
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        const auto* popup = dynamic_cast<const CzorPopup*>(widget);
        if (popup && popup->Drawer()) {
            if (metric == PM_MenuPanelWidth) return 1;
            if (metric == PM_MenuHMargin || metric == PM_MenuVMargin || metric == PM_MenuDesktopFrameWidth) return 0;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QStyle* Style() {
    static QPointer<MenuStyle> style;
    if (!style) {
        style = new MenuStyle;
        style->setParent(qApp);  // ends with the application
    }
    return style;
}

struct Hook {
    CzorMenu* menu;
    QMetaObject::Connection destroyed;
};

std::map<const QWidget*, Hook>& Hooks() {
    static std::map<const QWidget*, Hook> hooks;
    return hooks;
}

struct Handler {
    std::function<void(UINT)> handler;
    QMetaObject::Connection destroyed;
};

std::map<const QWidget*, Handler>& Handlers() {
    static std::map<const QWidget*, Handler> handlers;
    return handlers;
}

QString ItemText(CzorMenuData* record, HMENU handle, int position) {
    const std::u16string text =
        record && record->HasText() ? record->GetWideString() : GetMenuString(handle, UINT(position), MF_BYPOSITION);
    return QString::fromStdU16String(text);
}

}  // namespace

unsigned CommandOfAction(const QAction* action) {
    return action && action->data().isValid() ? action->data().toUInt() : 0;
}

// --- Popups ---------------------------------------------------------------------------------------------------

CzorPopup::CzorPopup(HMENU handle, QWidget* owner, QWidget* parent) : QMenu(parent), m_handle(handle), m_owner(owner) {
    setStyle(Style());
    connect(this, &QMenu::aboutToShow, this, [this] {
        // Records are brought in step with what other code did to the items since.
        if (CzorMenu::IsMenu(m_handle)) CzorMenu::UpdateMenu(CMenu::FromHandle(m_handle));
        Rebuild();
    });
}

CzorMenu* CzorPopup::Drawer() const {
    CzorMenu* menu = dynamic_cast<CzorMenu*>(CMenu::FromHandlePermanent(m_handle));
    if (!menu) return nullptr;
    return !m_owner || InstalledMenu(m_owner) ? menu : nullptr;
}

void CzorPopup::Rebuild() {
    for (QAction* a : actions())
        if (QMenu* sub = a->menu()) sub->deleteLater();
    clear();
    CzorMenu* menu = dynamic_cast<CzorMenu*>(CMenu::FromHandlePermanent(m_handle));
    QActionGroup* group = nullptr;
    const int count = GetMenuItemCount(m_handle);
    for (int i = 0; i < count; ++i) {
        const UINT state = GetMenuState(m_handle, UINT(i), MF_BYPOSITION);
        const HMENU sub = ::GetSubMenu(m_handle, i);
        CzorMenuData* record = menu ? menu->ItemRecord(i) : nullptr;
        const QString text = ItemText(record, m_handle, i);
        const bool radio = IsRadioItem(m_handle, UINT(i), MF_BYPOSITION);
        QAction* action = nullptr;
        if (sub) {
            auto* child = new CzorPopup(sub, m_owner, this);
            child->setTitle(text);
            action = addMenu(child);
        } else if ((state & MF_SEPARATOR) || GetMenuItemID(m_handle, i) == 0) {
            action = addSeparator();
        } else {
            action = addAction(text);
            action->setData(QVariant::fromValue(UINT(GetMenuItemID(m_handle, i))));
            action->setCheckable(radio || (state & MF_CHECKED));
            action->setChecked(state & MF_CHECKED);
        }
        action->setEnabled(!(state & (MF_GRAYED | MF_DISABLED)));
        action->setProperty(kRecordProperty, QVariant::fromValue(quintptr(record)));
        if (radio && !sub) {
            if (!group) {
                group = new QActionGroup(action);
                group->setExclusive(true);
            }
            group->addAction(action);
        } else {
            group = nullptr;
        }
    }
}

void CzorPopup::paintEvent(QPaintEvent* event) {
    CzorMenu* menu = Drawer();
    if (!menu) {
        QMenu::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const bool xp = CzorMenu::GetMenuDrawMode() == 1 && zorGetBitPerPixel(this) > 8;
    const COLORREF back = xp ? CzorMenu::DarkenColor(MenuSysColor(COLOR_WINDOW), 0.02) : MenuSysColor(COLOR_BTNFACE);
    painter.fillRect(rect(), QColor(zor::menu::ToRgb(back)));
    painter.setPen(QColor(zor::menu::ToRgb(MenuSysColor(COLOR_BTNSHADOW))));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const auto& records = menu->Records();
    for (QAction* action : actions()) {
        const QRect r = actionGeometry(action);
        if (r.isEmpty()) continue;
        // Only a record the menu still holds is drawn from.
        auto* record = reinterpret_cast<CzorMenuData*>(action->property(kRecordProperty).value<quintptr>());
        if (std::none_of(records.begin(), records.end(), [&](const auto& own) { return own.get() == record; })) continue;
        DRAWITEMSTRUCT draw;
        draw.painter = &painter;
        draw.rcItem = CRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
        draw.itemID = CommandOfAction(action);
        draw.itemState = (action == activeAction() ? ODS_SELECTED : 0) | (action->isEnabled() ? 0 : ODS_GRAYED) |
                         (action->isChecked() ? ODS_CHECKED : 0);
        draw.itemData = reinterpret_cast<uintptr_t>(record);
        draw.radio = action->actionGroup() && action->actionGroup()->isExclusive();
        draw.bitsPerPixel = zorGetBitPerPixel(this);
        menu->DrawItem(&draw);
        // The system draws a submenu's arrow after the owner has drawn the item; here that falls to the popup.
        if (action->menu()) {
            const int cx = r.right() - 10, cy = r.center().y();
            const COLORREF colour = MenuSysColor(action->isEnabled() ? COLOR_MENUTEXT : COLOR_GRAYTEXT);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(zor::menu::ToRgb(colour)));
            painter.drawPolygon(QPolygon({QPoint(cx, cy - 4), QPoint(cx + 4, cy), QPoint(cx, cy + 4)}));
        }
    }
}

void CzorPopup::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool typed = text.size() == 1 && text[0].isPrint() &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (typed && Drawer()) {
        // The menu's own answer takes the place of the toolkit's cycling through marked items.
        const UINT answer = CzorMenu::FindKeyboardShortcut(text[0].unicode(), MF_POPUP, CMenu::FromHandle(m_handle));
        if ((answer >> 16) == MNC_EXECUTE) {
            QAction* action = actions().value(int(answer & 0xFFFF));
            if (action && action->isEnabled()) {
                setActiveAction(action);
                QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                QMenu::keyPressEvent(&enter);
            }
        }
        event->accept();
        return;
    }
    QMenu::keyPressEvent(event);
}

// --- Tracking and frames --------------------------------------------------------------------------------------

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, QWidget* wnd) {
    if (!IsMenuHandle(m_hMenu) || !qobject_cast<QApplication*>(QCoreApplication::instance())) return FALSE;
    CzorPopup popup(m_hMenu, wnd, wnd);
    const UINT command = CommandOfAction(popup.exec(QPoint(x, y)));
    if (flags & TPM_RETURNCMD) return BOOL(command);
    if (command) {
        auto it = Handlers().find(wnd);
        if (it != Handlers().end() && it->second.handler) it->second.handler(command);
    }
    return command != 0;
}

BOOL CzorMenu::SendCommand(QWidget* wnd, UINT command) {
    auto it = Handlers().find(wnd);
    if (it == Handlers().end() || !it->second.handler) return FALSE;
    it->second.handler(command);
    return TRUE;
}

void CzorMenu::SetCommandHandler(QWidget* wnd, std::function<void(UINT)> handler) {
    if (!wnd) return;
    auto& handlers = Handlers();
    if (auto it = handlers.find(wnd); it != handlers.end()) {
        QObject::disconnect(it->second.destroyed);
        handlers.erase(it);
    }
    if (!handler) return;
    handlers[wnd] = {std::move(handler), QObject::connect(wnd, &QObject::destroyed, [wnd] { Handlers().erase(wnd); })};
}

BOOL CzorMenu::AttachToFrame(QMainWindow* frame, std::function<void(UINT)> onCommand) {
    if (!frame || !m_hMenu) return FALSE;
    auto* bar = new QMenuBar(frame);
    for (int i = 0; i < GetMenuItemCount(); ++i) {
        const UINT state = GetMenuState(UINT(i), MF_BYPOSITION);
        const HMENU sub = ::GetSubMenu(m_hMenu, i);
        const QString text = ItemText(RecordAt(i), m_hMenu, i);
        QAction* action = nullptr;
        if (sub) {
            auto* popup = new CzorPopup(sub, frame, bar);
            popup->setTitle(text);
            action = bar->addMenu(popup);
        } else if (state & MF_SEPARATOR) {
            action = bar->addSeparator();
        } else {
            action = bar->addAction(text);
            action->setData(QVariant::fromValue(UINT(GetMenuItemID(i))));
        }
        action->setEnabled(!(state & (MF_GRAYED | MF_DISABLED)));
    }
    if (onCommand)
        QObject::connect(bar, &QMenuBar::triggered, bar, [onCommand](QAction* action) {
            if (const UINT command = CommandOfAction(action)) onCommand(command);
        });
    frame->setMenuBar(bar);  // the frame's previous bar goes
    // The frame owns the menu from now on and ends it with itself.
    const HMENU handle = Detach();
    QObject::connect(frame, &QObject::destroyed, [handle] { ::DestroyMenu(handle); });
    return TRUE;
}

// --- Hooks ------------------------------------------------------------------------------------------------------

int CzorMenu::Install(QWidget* wnd) {
    if (!wnd) return 0;
    if (m_hookedWindow == wnd) return 1;
    auto& hooks = Hooks();
    // A window already hooked keeps the menu that hooked it first.
    if (hooks.count(wnd)) return 1;
    Uninstall();
    // A window that goes leaves the map at once, so no menu ever reaches it afterwards.
    auto connection = QObject::connect(wnd, &QObject::destroyed, [wnd] {
        auto it = Hooks().find(wnd);
        if (it == Hooks().end()) return;
        it->second.menu->m_hookedWindow = nullptr;
        Hooks().erase(it);
    });
    hooks[wnd] = {this, connection};
    m_hookedWindow = wnd;
    return 1;
}

int CzorMenu::Uninstall() {
    if (!m_hookedWindow) return 0;
    auto& hooks = Hooks();
    if (auto it = hooks.find(m_hookedWindow); it != hooks.end() && it->second.menu == this) {
        QObject::disconnect(it->second.destroyed);
        hooks.erase(it);
    }
    m_hookedWindow = nullptr;
    return 1;
}

CzorMenu* InstalledMenu(const QWidget* wnd) {
    auto it = Hooks().find(wnd);
    return it == Hooks().end() ? nullptr : it->second.menu;
}
