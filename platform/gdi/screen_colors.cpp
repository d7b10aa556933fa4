#include "platform/gdi/screen_colors.h"

#include <QGuiApplication>

namespace {

struct RoleOfIndex {
    int index;
    QPalette::ColorRole role;
    QPalette::ColorGroup group;
};

constexpr RoleOfIndex kRoles[] = {
    {COLOR_WINDOW, QPalette::Base, QPalette::Active},
    {COLOR_WINDOWTEXT, QPalette::Text, QPalette::Active},
    {COLOR_GRAYTEXT, QPalette::Text, QPalette::Disabled},
    {COLOR_HIGHLIGHT, QPalette::Highlight, QPalette::Active},
    {COLOR_HIGHLIGHTTEXT, QPalette::HighlightedText, QPalette::Active},
    {COLOR_BTNFACE, QPalette::Button, QPalette::Active},
    {COLOR_BTNTEXT, QPalette::ButtonText, QPalette::Active},
    {COLOR_BTNSHADOW, QPalette::Dark, QPalette::Active},
    {COLOR_BTNHIGHLIGHT, QPalette::Light, QPalette::Active},
    {COLOR_3DDKSHADOW, QPalette::Shadow, QPalette::Active},
    {COLOR_3DLIGHT, QPalette::Midlight, QPalette::Active},
    {COLOR_MENU, QPalette::Window, QPalette::Active},
    {COLOR_MENUTEXT, QPalette::WindowText, QPalette::Active},
    {COLOR_INFOBK, QPalette::ToolTipBase, QPalette::Active},
    {COLOR_INFOTEXT, QPalette::ToolTipText, QPalette::Active},
};

QColor ToColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

}  // namespace

COLORREF GetScreenSysColor(int index) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return ::GetSysColor(index);
    const QPalette palette = QGuiApplication::palette();
    for (const RoleOfIndex& r : kRoles)
        if (r.index == index) {
            const QColor c = palette.color(r.group, r.role);
            return RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
        }
    return ::GetSysColor(index);
}

QPalette FixedSchemePalette() {
    QPalette palette;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (const RoleOfIndex& r : kRoles)
            if (r.group == QPalette::Active) palette.setColor(group, r.role, ToColor(::GetSysColor(r.index)));
    // Grey text is the disabled text; disabled button and window texts follow it.
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, ToColor(::GetSysColor(COLOR_GRAYTEXT)));
    palette.setColor(QPalette::All, QPalette::Mid, ToColor(::GetSysColor(COLOR_BTNSHADOW)));
    return palette;
}
