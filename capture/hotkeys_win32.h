// The capture hotkeys registered for the main window: system-wide, without
// auto-repeat, each arriving as WM_HOTKEY with its action as the id.
#pragma once

#include <windows.h>

#include <vector>

#include "capture/hotkeys.h"

namespace tessory {

class HotkeyRegistration {
 public:
  explicit HotkeyRegistration(HWND window) : window_(window) {}
  ~HotkeyRegistration() { Unregister(); }
  HotkeyRegistration(const HotkeyRegistration&) = delete;
  HotkeyRegistration& operator=(const HotkeyRegistration&) = delete;

  // Gives up the keys held, then takes those of `settings`; the ones that
  // could not be taken (held by another program, or reserved), in action
  // order. A hotkey set to none is not registered.
  std::vector<HotkeyFailure> Register(const CaptureSettings& settings);
  // Tries again the hotkeys of `settings` not held now, keeping the ones
  // held; what is still not taken, as Register returns it.
  std::vector<HotkeyFailure> Retry(const CaptureSettings& settings);
  void Unregister();
  // Whether the hotkey of `action` is registered now.
  bool Holds(HotkeyAction action) const;

 private:
  // Takes the hotkey of `action` unless it is none or held; false when it
  // could not be taken.
  bool Take(const CaptureSettings& settings, HotkeyAction action);

  HWND window_;
  std::vector<HotkeyAction> held_;
};

// The system's modifier flags (MOD_ALT ...) for a hotkey's stored modifiers.
UINT SystemModifiers(const Hotkey& hotkey);

}  // namespace tessory
