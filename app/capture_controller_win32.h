// A capture's life, from what starts it to the delivered image: a drag of
// the target icon, a pick from the keyboard or a countdown, never two at
// once, then the grab with the program's windows hidden and the delivery
// by the "Save Option". The main window turns its messages into these
// calls; the hotkeys and the menus start captures here too.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <variant>

#include "capture/countdown_win32.h"
#include "capture/drag_session_win32.h"
#include "capture/hotkeys.h"
#include "capture/keyboard_pick_win32.h"
#include "capture/pick_outline_win32.h"
#include "delivery/delivery.h"
#include "delivery/delivery_platform_win32.h"
#include "delivery/image_type_form_win32.h"
#include "delivery/save_notice_win32.h"
#include "imaging/capture_image.h"
#include "settings/settings.h"

namespace tessory {

// What the controller asks of the window it works for.
class CaptureOwner {
 public:
  virtual ~CaptureOwner() = default;
  virtual HWND Handle() const = 0;
  // True when a release of a drag with the pointer at screen point
  // `pointer` falls on the window itself, and so captures nothing.
  virtual bool ReleasesOnItself(POINT pointer) const = 0;
  // A pick (a drag or a keyboard pick) began (true) or ended (false).
  virtual void PickingChanged(bool picking) = 0;
  // The window is hidden in the tray on purpose: captures go on then.
  virtual bool InTray() const { return false; }
};

// Counts a capture or a dialog in progress for as long as it lives.
class BusyScope {
 public:
  explicit BusyScope(int& busy) : busy_(busy) { ++busy_; }
  ~BusyScope() { --busy_; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  int& busy_;
};

class CaptureController {
 public:
  // `settings` is the owner's record, read at every capture.
  CaptureController(CaptureOwner& owner, CaptureSettings& settings);
  ~CaptureController();
  CaptureController(const CaptureController&) = delete;
  CaptureController& operator=(const CaptureController&) = delete;

  // A fresh start: the random names seeded from the clock, no image.
  void Restart();
  // Lets the last capture's image go.
  void ForgetImage() { image_ = CaptureImage(); }
  // The auto-save route's SequenceCounter, never stored.
  std::int32_t& SequenceCounter() { return sequenceCounter_; }

  // The drag: a press on the icon starts it, replacing a countdown or a
  // keyboard pick; moves with the left button held pick the top-level
  // window under the pointer; the release captures the window picked last
  // unless it falls on the owner itself; a cancel captures nothing.
  void BeginDrag();
  void DragMoved(bool leftButtonHeld);
  void ReleaseDrag(bool onItself);
  void CancelDrag();

  // The keyboard pick: from the active window through the windows in
  // stacking order; a request from its keys moves, captures or cancels.
  void StartKeyboardPick();
  void KeyboardPickRequest(KeyboardPick::Request request);

  // A capture hotkey; while busy it does nothing. With a "Capture Delay"
  // it starts the countdown, or starts it again.
  void HotkeyPressed(HotkeyAction action);
  // The countdown's timer; at its end the window is looked up and taken
  // from the screen with the popups opened over it.
  void CountdownTick();
  void CancelCountdown();

  // A capture, a dialog, a menu or a pick is in progress, or the owner is
  // disabled (a modal box) or hidden but not in the tray: hotkeys and menus
  // start nothing.
  bool Busy() const;
  // Counts a dialog of the owner as busy for as long as it lives.
  [[nodiscard]] BusyScope Occupy() { return BusyScope(busy_); }
  // A menu of the owner is tracked: busy as during a dialog.
  void SetMenuOpen(bool open) { menuOpen_ = open; }

  HWND PickedWindow() const { return pickedWindow_; }
  const DragSession* Drag() const;

 private:
  struct Idle {};
  struct Dragging {
    std::unique_ptr<DragSession> session;
  };
  struct KeyboardPicking {
    std::unique_ptr<KeyboardPick> pick;
  };
  struct CountingDown {
    std::unique_ptr<CaptureCountdown> countdown;
    HotkeyAction lookup;  // how the window is found at its end
  };
  using State = std::variant<Idle, Dragging, KeyboardPicking, CountingDown>;

  // Ends what is in progress: the state is idle before its session ends,
  // so what the ending sends back (WM_CAPTURECHANGED) finds nothing to end.
  void Leave();
  bool Picking() const;
  PickOutline& Outline();  // made at first use
  // The window picked last, while it is still one a release may take.
  HWND PickedTarget() const;
  void ShowPick();
  void StartCountdown(HotkeyAction lookup);
  // Grabs `target` with the program's windows hidden and delivers it. A
  // hotkey's capture draws the pointer when asked to, and leaves the
  // keyboard with the window the user works in.
  void CaptureTarget(HWND target, bool fromHotkey = false);
  void CaptureAtCountdownEnd(HotkeyAction lookup);
  CaptureDelivery Delivery();
  void Deliver(CaptureDelivery& delivery, const CapturedWindow& window);

  CaptureOwner& owner_;
  CaptureSettings& settings_;
  std::int32_t sequenceCounter_ = 0;
  CaptureImage image_;
  SaveDialogState saveDialog_;
  RandomGenerator random_;
  std::unique_ptr<TImageTypeForm> imageTypeForm_;
  SaveNotice saveNotice_;  // before the platform that shows it
  Win32DeliveryPlatform platform_;
  HWND pickedWindow_ = nullptr;
  int busy_ = 0;
  bool menuOpen_ = false;
  // The outline of a drag or a keyboard pick, made at the first and kept:
  // creating and destroying its windows with every pick would cost each
  // capture several milliseconds.
  std::unique_ptr<PickOutline> outline_;
  State state_;  // after the outline its sessions borrow
};

}  // namespace tessory
