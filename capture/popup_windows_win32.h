// The popups a user opens over a window (menus, drop-down lists, tooltips):
// what a capture at the end of a countdown takes along with the window.
#pragma once

#include <windows.h>

#include <vector>

namespace tessory {

// Whether `window` is a visible top-level popup without a title bar, as
// menus, drop-down lists and tooltips are (dialogs have a title bar).
bool IsOpenPopup(HWND window);

// The open popups of `target`'s process that lie over or against it, or
// against one of those (a submenu beside its menu), top of the stacking
// order first.
std::vector<HWND> PopupsOf(HWND target);

// The window a capture with the pointer at `point` takes: the top-level
// window there, or, over an open popup, the window that owns the popup.
// Null over this program's own windows.
HWND WindowOrPopupOwnerAt(POINT point);

}  // namespace tessory
