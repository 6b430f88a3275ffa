// The countdown before a capture: a small topmost label beside the pointer
// with the seconds left. The label never takes the focus or a click, so a
// menu the user opens meanwhile stays open. Escape, wherever the keyboard
// focus is, cancels the countdown.
#pragma once

#include <windows.h>

#include <string>

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

  // Shows the seconds left beside the pointer; true once none are left.
  bool Tick();
  int SecondsLeft() const;
  HWND Label() const { return label_.get(); }

 private:
  static LRESULT CALLBACK LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept;
  void Show();

  HWND owner_;
  ULONGLONG deadline_;
  UniqueHwnd label_;
  UniqueHfont font_;
  UniqueHhook escapeWatch_;
  std::wstring text_;
};

}  // namespace tessory
