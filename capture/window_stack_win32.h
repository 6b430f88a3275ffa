// The windows a capture without the drag can take: the active window, the
// window under the pointer, and the top-level windows in stacking order.
#pragma once

#include <windows.h>

#include <vector>

namespace tessory {

// The top-level window at screen point `point`: the window there, climbed
// through its parents while it is a child window. The window `self` is
// returned as it is found, unclimbed.
HWND TopLevelWindowAt(POINT point, HWND self);

// Whether `window` belongs to this program.
bool IsOwnWindow(HWND window);

// A window the user can see and pick: top-level, visible, not cloaked, not
// minimized, with an area, not a tool window, and neither the desktop nor
// one of this program's windows.
bool IsPickCandidate(HWND window);

// The pick candidates from the top of the stacking order down.
std::vector<HWND> PickCandidatesInStackingOrder();

// The window a capture of the active window takes: the foreground window
// climbed to its root; when that is one of this program's windows (or
// there is none), the window that was active before it, which is the
// highest pick candidate in the stacking order. Null when there is none.
HWND ActiveWindowTarget();

}  // namespace tessory
