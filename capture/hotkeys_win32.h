// The capture hotkeys registered for the main window: system-wide, without
// auto-repeat, each arriving as WM_HOTKEY with its action as the id. The
// ones another program held are tried again for a while on the window's
// timer.
#pragma once

#include <windows.h>

#include <vector>

#include "capture/hotkeys.h"

namespace tessory {

class HotkeyRegistration {
 public:
  // The window's timer that tries the keys again (WM_TIMER with this id).
  static constexpr UINT_PTR kRetryTimer = 22;

  // Keys for `window`; the retries run for kHotkeyRetryPeriodMs from now.
  explicit HotkeyRegistration(HWND window) : window_(window), since_(GetTickCount64()) {}
  ~HotkeyRegistration() { Unregister(); }
  HotkeyRegistration(const HotkeyRegistration&) = delete;
  HotkeyRegistration& operator=(const HotkeyRegistration&) = delete;

  // Gives up the keys held, then takes those of `settings`; the ones that
  // could not be taken (held by another program, or reserved), in action
  // order, also kept as Untaken. A hotkey set to none is not registered.
  // While the retry period lasts and another program may hold one of
  // them, the timer tries them again every kHotkeyRetryIntervalMs.
  std::vector<HotkeyFailure> Register(const CaptureSettings& settings);
  // Tries again the hotkeys not taken that another program may hold,
  // keeping the ones held; false when there were none to try.
  bool Retry(const CaptureSettings& settings);
  // The timer's turn: a retry within the period; the timer stops after
  // it, or once nothing is left to try. True when a retry was made.
  bool RetryTick(const CaptureSettings& settings);
  void Unregister();
  // The keys the last registration or retry could not take.
  const std::vector<HotkeyFailure>& Untaken() const { return untaken_; }
  // Whether the hotkey of `action` is registered now.
  bool Holds(HotkeyAction action) const;

 private:
  // Takes the hotkey of `action` unless it is none or held; false when it
  // could not be taken.
  bool Take(const CaptureSettings& settings, HotkeyAction action);

  // The hotkeys of `settings` not held now, taken where they can be.
  std::vector<HotkeyFailure> TakeMissing(const CaptureSettings& settings);
  bool InRetryPeriod() const { return GetTickCount64() - since_ < kHotkeyRetryPeriodMs; }

  HWND window_;
  ULONGLONG since_;
  std::vector<HotkeyAction> held_;
  std::vector<HotkeyFailure> untaken_;
};

// The system's modifier flags (MOD_ALT ...) for a hotkey's stored modifiers.
UINT SystemModifiers(const Hotkey& hotkey);

}  // namespace tessory
