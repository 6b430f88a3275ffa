// Which program a window belongs to, asked of the system without a message
// to the window, so a hung or foreign program cannot hold the caller.
#pragma once

#include <windows.h>

#include <string>

namespace tessory {

// The full path of the executable of the process that owns `window`, or ""
// when it cannot be read (the window is gone, or the process refuses even
// limited query rights).
std::string ProgramPathOf(HWND window);

// The file name of that executable without its folder ("notepad.exe"), or "".
std::string ProgramFileOf(HWND window);

}  // namespace tessory
