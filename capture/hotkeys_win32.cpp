#include "capture/hotkeys_win32.h"

#include <algorithm>

namespace tessory {

UINT SystemModifiers(const Hotkey& hotkey) {
  UINT modifiers = 0;
  if (hotkey.modifiers & kHotkeyShift) modifiers |= MOD_SHIFT;
  if (hotkey.modifiers & kHotkeyControl) modifiers |= MOD_CONTROL;
  if (hotkey.modifiers & kHotkeyAlt) modifiers |= MOD_ALT;
  return modifiers;
}

std::vector<HotkeyFailure> HotkeyRegistration::Register(const CaptureSettings& settings) {
  Unregister();
  return Retry(settings);
}

std::vector<HotkeyFailure> HotkeyRegistration::Retry(const CaptureSettings& settings) {
  std::vector<HotkeyFailure> failures;
  for (HotkeyAction action : kHotkeyActions) {
    if (!Take(settings, action)) failures.push_back({action, HotkeyValue(settings, action)});
  }
  return failures;
}

bool HotkeyRegistration::Take(const CaptureSettings& settings, HotkeyAction action) {
  const std::int32_t value = HotkeyValue(settings, action);
  const Hotkey hotkey = DecodeHotkey(value);
  if (hotkey.key == 0 || Holds(action)) return true;
  if (IsReservedHotkey(value) ||
      !RegisterHotKey(window_, static_cast<int>(action), SystemModifiers(hotkey) | MOD_NOREPEAT,
                      static_cast<UINT>(hotkey.key))) {
    return false;
  }
  held_.push_back(action);
  return true;
}

void HotkeyRegistration::Unregister() {
  for (HotkeyAction action : held_) UnregisterHotKey(window_, static_cast<int>(action));
  held_.clear();
}

bool HotkeyRegistration::Holds(HotkeyAction action) const {
  return std::find(held_.begin(), held_.end(), action) != held_.end();
}

}  // namespace tessory
