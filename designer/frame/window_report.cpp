#include "designer/frame/window_report.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <QWidget>

namespace quillmark {
namespace {

void Write(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void Place(const std::string& key, const QWidget* widget, QRect rect) {
    const QPoint at = widget->mapToGlobal(rect.topLeft());
    Write(key + " " + std::to_string(at.x()) + " " + std::to_string(at.y()) + " " + std::to_string(rect.width()) + " " +
          std::to_string(rect.height()));
}

// One word of a key: spaces and the mnemonic's ampersand would split or change it.
std::string Word(QString text) {
    text.remove('&');
    text.replace(' ', '_');
    return text.toStdString();
}

bool IsCommandId(const QString& name) { return !name.isEmpty() && name.at(0).isDigit(); }

void PlaceMenu(const QMenu& menu) {
    int n = 0;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator() || !action->isVisible()) continue;
        const QRect rect = menu.actionGeometry(action);
        Place("item" + std::to_string(n++), &menu, rect);
        if (IsCommandId(action->objectName())) Place("cmd" + action->objectName().toStdString(), &menu, rect);
        // The owner-drawn menus keep an item's command in its data.
        else if (const uint id = action->data().toUInt(); id && !action->menu())
            Place("cmd" + std::to_string(id), &menu, rect);
        if (action->menu()) Place("submenu-" + Word(action->text()), &menu, rect);
    }
    Write("items " + std::to_string(n));
}

void PlaceMainWindow(const QMainWindow& window) {
    if (const QMenuBar* bar = window.menuBar()) {
        int n = 0;
        for (QAction* action : bar->actions())
            if (action->isVisible() && !action->isSeparator())
                Place("menu" + std::to_string(n++), bar, bar->actionGeometry(action));
        Write("menus " + std::to_string(n));
    }
    for (const QToolBar* bar : window.findChildren<QToolBar*>()) {
        if (!bar->isVisible()) continue;
        for (QAction* action : bar->actions()) {
            const QWidget* button = bar->widgetForAction(action);
            if (button && button->isVisible() && IsCommandId(action->objectName()))
                Place("button" + action->objectName().toStdString(), button, button->rect());
        }
    }
}

void PlaceWindow(const QWidget& window) {
    Place("window", &window, window.rect());
    if (const auto* menu = qobject_cast<const QMenu*>(&window)) return PlaceMenu(*menu);
    if (const auto* main = qobject_cast<const QMainWindow*>(&window)) PlaceMainWindow(*main);
    for (const QWidget* child : window.findChildren<QWidget*>()) {
        if (!child->isVisible() || child->window() != &window) continue;
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith("qt_") && !name.contains(' '))
            Place(name.toStdString(), child, child->rect());
        if (const auto* button = qobject_cast<const QAbstractButton*>(child); button && !button->text().isEmpty())
            Place("button-" + Word(button->text()), child, child->rect());
    }
}

class WindowReport : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget || !widget->isWindow() || widget->windowType() == Qt::ToolTip) return Input(event);
        switch (event->type()) {
        case QEvent::Show: Later(widget); break;
        case QEvent::Move:
        case QEvent::Resize:
            if (m_shown.count(widget)) Later(widget);
            break;
        case QEvent::Hide:
            if (m_shown.erase(widget)) Write("hidden " + Title(*widget));
            break;
        default: break;
        }
        return Input(event);
    }

private:
    static std::string Title(const QWidget& window) {
        return std::string(window.metaObject()->className()) + " " + window.windowTitle().toStdString();
    }
    // After the events already queued, so that the window is laid out and placed on the screen.
    void Later(QWidget* window) {
        if (!m_due.insert(window).second) return;
        QTimer::singleShot(0, this, [this, window, target = QPointer<QWidget>(window)] {
            m_due.erase(window);
            if (!target || !target->isVisible()) return;
            const bool first = m_shown.insert(window).second;
            // A window freed while shown gets no hide event to take it off the list.
            if (first) connect(window, &QObject::destroyed, this, [this, window] { m_shown.erase(window); });
            PlaceWindow(*target);
            Write((first ? "shown " : "placed ") + Title(*target));
        });
    }
    // Counted once its handling is over: the line comes after what the click or key did (or, when it opened
    // a modal window, while that window is up). A key counts when let go (a shortcut takes the press before any
    // window sees it); a key that closed the window with the keyboard is let go nowhere and counts for nothing,
    // nor does a modifier alone.
    bool Input(QEvent* event) {
        const QEvent::Type type = event->type();
        if ((type != QEvent::MouseButtonRelease && type != QEvent::KeyRelease && type != QEvent::Wheel) ||
            !event->spontaneous() || m_inputDue || IsModifier(event))
            return false;
        m_inputDue = true;
        QTimer::singleShot(0, this, [this] {
            m_inputDue = false;
            QWidget* active = QApplication::activePopupWidget();
            if (!active) active = QApplication::activeWindow();
            if (active) PlaceWindow(*active);
            Write("handled " + std::to_string(++m_handled));
        });
        return false;
    }

    static bool IsModifier(const QEvent* event) {
        if (event->type() != QEvent::KeyRelease) return false;
        const int key = static_cast<const QKeyEvent*>(event)->key();
        return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
               key == Qt::Key_AltGr;
    }

    std::set<QWidget*> m_shown, m_due;
    bool m_inputDue = false;
    int m_handled = 0;
};

}  // namespace

void StartWindowReport() {
    if (!std::getenv("QUILLMARK_WINDOW_REPORT") || !qApp) return;
    qApp->installEventFilter(new WindowReport(qApp));
}

}  // namespace quillmark
