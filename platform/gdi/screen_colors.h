#pragma once
// System colours of what is painted on the screen: the application's palette mapped to the classic colour
// indexes (one table, used both ways), so that windows follow the desktop's colours.
#include <QPalette>

#include "platform/gdi/sys_colors.h"

// The palette's colour for the index when a GUI application runs (the fixed table for indexes the palette
// has no role for); the fixed table without one.
COLORREF GetScreenSysColor(int index);

// A palette whose colours are those of the fixed table, for screens that must look the same everywhere
// (real-window tests).
QPalette FixedSchemePalette();
