#pragma once
// Mouse input sent straight to a widget, as the window system would deliver it.
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

// `button` is the one that changes (none for a move); it is held during a press or double click.
inline void SendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton,
                      Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const bool holds = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    QMouseEvent e(type, QPointF(pos), target->mapToGlobal(QPointF(pos)), type == QEvent::MouseMove ? Qt::NoButton : button,
                  holds ? Qt::MouseButtons(button) : Qt::MouseButtons(Qt::NoButton), mods);
    QApplication::sendEvent(target, &e);
}

// A press (or double click) and its release.
inline void SendClick(QWidget* target, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                      QEvent::Type press = QEvent::MouseButtonPress, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    SendMouse(target, press, pos, button, mods);
    SendMouse(target, QEvent::MouseButtonRelease, pos, button, mods);
}
