#pragma once
// The fixed measures and the font of menus.
#include <QFont>

#include "platform/gdi/sys_colors.h"
#include "platform/win/gdi_types.h"

constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXMENUCHECK = 71;
constexpr int SM_CYMENUCHECK = 72;

// The measure of a screen of 96 dpi; 0 for an index the table does not hold.
int GetSystemMetrics(int index);

// The application's menu font (a default font without a GUI application).
QFont MenuFont();

// A system colour for menus: the application's palette while a GUI application runs, else the fixed table.
COLORREF MenuSysColor(int index);
