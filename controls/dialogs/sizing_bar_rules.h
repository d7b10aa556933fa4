#pragma once
// The docking bar's rules apart from the dock widget: its three sizes and their minimums, where a
// dock side puts it, what its profile state is called, and its caption down a side gripper.
#include <string>

#include "platform/win/geometry.h"

namespace zor {

// Dock bar identifiers of the frame's four sides; anything else is floating.
enum : unsigned {
    AFX_IDW_DOCKBAR_TOP = 59419,
    AFX_IDW_DOCKBAR_LEFT = 59420,
    AFX_IDW_DOCKBAR_RIGHT = 59421,
    AFX_IDW_DOCKBAR_BOTTOM = 59422,
};

inline bool IsHorzDockBar(unsigned id) { return id == AFX_IDW_DOCKBAR_TOP || id == AFX_IDW_DOCKBAR_BOTTOM; }
inline bool IsVertDockBar(unsigned id) { return id == AFX_IDW_DOCKBAR_LEFT || id == AFX_IDW_DOCKBAR_RIGHT; }

// The sizes a bar keeps for each way of showing it.
struct SizingBarSizes {
    CSize horz{200, 200}, vert{200, 200}, floating{200, 200};
    CSize minimum{33, 32};
    // Every cx at least the minimum cx and every cy at least the minimum cy.
    void Clamp();
    // The size for the way the bar is shown now.
    CSize& For(unsigned dockBarId);
};

// "%s-SCBar-%d": the profile section of a bar's sizes.
std::string SizingBarSection(const std::string& profileName, unsigned controlId);

// A caption written down a narrow gripper: one character per line.
std::string VerticalCaption(const std::string& title);

constexpr int kGripperSize = 17;

}  // namespace zor
