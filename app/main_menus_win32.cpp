#include "app/main_menus_win32.h"

#include "framework/handles_win32.h"
#include "framework/utf8.h"

namespace tessory {
namespace {

constexpr HotkeyAction kMenuHotkeys[] = {HotkeyAction::ActiveWindow, HotkeyAction::PointerWindow};

}  // namespace

std::string HotkeyMenuText(HotkeyAction action, const CaptureSettings& settings, const HotkeyRegistration& hotkeys) {
  std::string name = HotkeyName(HotkeyValue(settings, action));
  if (name.empty())
    name = "no hotkey";
  else if (!hotkeys.Holds(action))
    name += " (not available)";
  return HotkeyActionName(action) + "\t" + name;
}

void AddMainMenuItems(HMENU menu, bool systemMenu, const CaptureSettings& settings, const HotkeyRegistration& hotkeys) {
  if (!menu) return;
  if (systemMenu) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kMoreOptionsCommand, L"More options...");
  AppendMenuW(menu, MF_STRING, kHelpCommand, L"Help");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  UINT command = kFirstHotkeyCommand;
  for (HotkeyAction action : kMenuHotkeys) {
    AppendMenuW(menu, MF_STRING | MF_GRAYED, command, Widen(HotkeyMenuText(action, settings, hotkeys)).c_str());
    command += 0x10;
  }
}

void RetitleHotkeyItems(HMENU menu, const CaptureSettings& settings, const HotkeyRegistration& hotkeys) {
  UINT command = kFirstHotkeyCommand;
  for (HotkeyAction action : kMenuHotkeys) {
    if (GetMenuState(menu, command, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
      ModifyMenuW(menu, command, MF_BYCOMMAND | MF_STRING | MF_GRAYED, command,
                  Widen(HotkeyMenuText(action, settings, hotkeys)).c_str());
    }
    command += 0x10;
  }
}

UINT TrackContextMenu(HWND window, POINT at, const CaptureSettings& settings, const HotkeyRegistration& hotkeys) {
  UniqueHmenu menu(CreatePopupMenu());
  AddMainMenuItems(menu.get(), false, settings, hotkeys);
  if (at.x == -1 && at.y == -1) {
    RECT rect;
    GetWindowRect(window, &rect);
    at = {rect.left, rect.bottom};
  }
  return static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr));
}

}  // namespace tessory
