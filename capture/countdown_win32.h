// The countdown before a capture: a small topmost label beside the pointer
// with the seconds left (the picker's label, which never takes the focus
// or a click), so that a menu the user opens meanwhile stays open. Escape,
// wherever the keyboard focus is, cancels the countdown.
#pragma once

#include <windows.h>

#include <string>

#include "capture/pick_outline_win32.h"
#include "framework/handles_win32.h"

namespace tessory {

class CaptureCountdown {
 public:
  // Posted to the owner when Escape cancels the countdown.
  static constexpr UINT kCancelMessage = WM_APP + 21;
  // The owner's timer that drives the countdown (WM_TIMER with this id).
  static constexpr UINT_PTR kTimerId = 21;

  // Starts `seconds` of countdown for `owner`, which forwards its
  // WM_TIMER of kTimerId to Tick.
  CaptureCountdown(HWND owner, int seconds);
  ~CaptureCountdown();
  CaptureCountdown(const CaptureCountdown&) = delete;
  CaptureCountdown& operator=(const CaptureCountdown&) = delete;

  // Shows the seconds left beside the pointer; true once none are left
  // (the label is hidden then).
  bool Tick();
  int SecondsLeft() const;

 private:
  static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept;
  void Show();

  HWND owner_;
  ULONGLONG deadline_;
  PickOutline label_;
  UniqueHhook escapeWatch_;
  int shownSeconds_ = -1;
};

}  // namespace tessory
