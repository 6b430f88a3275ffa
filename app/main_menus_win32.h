// The main window's menus: its context menu and the entries it adds to its
// system menu ("More options...", Help, and each capture hotkey named as it
// is held now).
#pragma once

#include <windows.h>

#include <string>

#include "capture/hotkeys.h"
#include "capture/hotkeys_win32.h"
#include "settings/settings.h"

namespace tessory {

// The commands the menus add; system-menu commands keep their low four
// bits clear.
inline constexpr UINT kMoreOptionsCommand = 0x0110;
inline constexpr UINT kHelpCommand = 0x0120;
inline constexpr UINT kFirstHotkeyCommand = 0x0130;  // one a hotkey, shown but not chosen

// A hotkey's menu text: its action, a tab, and its key ("no hotkey" when
// none, " (not available)" after one not held).
std::string HotkeyMenuText(HotkeyAction action, const CaptureSettings& settings, const HotkeyRegistration& hotkeys);
// Appends the entries to `menu`, after a separator on the system menu.
void AddMainMenuItems(HMENU menu, bool systemMenu, const CaptureSettings& settings, const HotkeyRegistration& hotkeys);
// Names the hotkey entries of `menu` anew, where it has them.
void RetitleHotkeyItems(HMENU menu, const CaptureSettings& settings, const HotkeyRegistration& hotkeys);
// Shows the context menu at `at` (-1, -1 from the keyboard: at the
// window's lower left corner), owned by `window`; the command chosen, or 0.
UINT TrackContextMenu(HWND window, POINT at, const CaptureSettings& settings, const HotkeyRegistration& hotkeys);

}  // namespace tessory
