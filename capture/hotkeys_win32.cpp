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
  untaken_ = TakeMissing(settings);
  if (std::ranges::any_of(untaken_, IsRetried) && InRetryPeriod()) {
    SetTimer(window_, kRetryTimer, kHotkeyRetryIntervalMs, nullptr);
  }
  return untaken_;
}

// Taking a key changes nothing the user is in the middle of, so a retry
// may come during a capture, a dialog, a drag or a menu.
bool HotkeyRegistration::Retry(const CaptureSettings& settings) {
  if (std::ranges::none_of(untaken_, IsRetried)) return false;
  untaken_ = TakeMissing(settings);
  return true;
}

bool HotkeyRegistration::RetryTick(const CaptureSettings& settings) {
  const bool inPeriod = InRetryPeriod();
  const bool retried = inPeriod && Retry(settings);
  if (!inPeriod || std::ranges::none_of(untaken_, IsRetried)) KillTimer(window_, kRetryTimer);
  return retried;
}

std::vector<HotkeyFailure> HotkeyRegistration::TakeMissing(const CaptureSettings& settings) {
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
