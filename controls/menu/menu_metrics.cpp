#include "controls/menu/menu_metrics.h"

#include <QApplication>

#include "platform/gdi/screen_colors.h"

int GetSystemMetrics(int index) {
    struct Metric {
        int index, value;
    };
    static constexpr Metric kTable[] = {
        {SM_CXBORDER, 1}, {SM_CYBORDER, 1}, {SM_CXFRAME, 4}, {SM_CYFRAME, 4},
        {SM_CXEDGE, 2}, {SM_CYEDGE, 2}, {SM_CYMENU, 19}, {SM_CXMENUCHECK, 13}, {SM_CYMENUCHECK, 13},
    };
    for (const Metric& m : kTable)
        if (m.index == index) return m.value;
    return 0;
}

QFont MenuFont() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) return QApplication::font("QMenu");
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return QGuiApplication::font();
    return QFont();
}

COLORREF MenuSysColor(int index) { return GetScreenSysColor(index); }
