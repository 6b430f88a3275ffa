// The main window: the target icon that picks a window to capture, the
// Options button, and the settings' load at creation and store at close.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "delivery/delivery_platform_win32.h"
#include "capture/countdown_win32.h"
#include "capture/drag_session_win32.h"
#include "capture/hotkeys_win32.h"
#include "capture/keyboard_pick_win32.h"
#include "delivery/image_type_form_win32.h"
#include "delivery/save_notice_win32.h"
#include "settings/settings.h"
#include "capture/window_grab_win32.h"
#include "framework/form_win32.h"
#include "framework/tooltips_win32.h"

namespace tessory {

// The top-level window at screen point `point`: the window there, climbed
// through its parents while it is a child window. The main window `self`
// is returned as it is found, unclimbed.
HWND TopLevelWindowAt(POINT point, HWND self);

class TMainForm final : public Form, public MainWindowValues {
 public:
  enum : int { kShowOptsBtn = 200, kTargetImg = 201 };

  // Creates the window (hidden) and runs FormCreate with settings from `store`.
  explicit TMainForm(RegistryKeyStore& store);
  ~TMainForm() override;

  void Show() { ShowWindow(Handle(), SW_SHOW); }

  // The picker's events; X and Y are measured from the icon's top-left corner.
  // Moves and the release read the pointer's screen position themselves.
  void TargetImgMouseDown();
  void TargetImgMouseMove(bool leftButtonHeld);
  void TargetImgMouseUp(int x, int y);
  // The window a release at (x, y) would capture, or null for none.
  HWND ReleaseTarget(int x, int y) const;
  void ShowOptsBtnClick();
  // The "More Options" dialog (hotkeys, countdown, pointer), from the menus.
  void ShowMoreOptions();
  void UpdateCaptureHint();
  // A capture hotkey arrived; while a capture, a dialog, a menu of this
  // window or a drag is in progress it does nothing. With a "Capture Delay" it starts the
  // countdown, or starts it again.
  void HotkeyPressed(HotkeyAction action);
  // The countdown in progress, or null.
  const CaptureCountdown* Countdown() const { return countdown_.get(); }
  // Starts a pick from the keyboard at the active window (the pick hotkey,
  // or Enter or Space on the focused target icon).
  void StartKeyboardPick();
  // The keyboard pick in progress, or null.
  const KeyboardPick* Pick() const { return pick_.get(); }
  // Takes the hotkeys of the settings anew; the ones that could not be
  // taken, also kept for TellUntakenHotkeys and the hint. In the first
  // kHotkeyRetryPeriodMs after the window's creation, the ones another
  // program may hold are tried again every kHotkeyRetryIntervalMs.
  std::vector<HotkeyFailure> RegisterHotkeys();
  // Tries again the hotkeys not taken that another program may hold,
  // keeping the ones held (every few seconds at first, and as More Options
  // opens); the hint follows.
  void RetryHotkeys();
  // The start-up message naming each hotkey that could not be taken, and
  // saying which will be tried again; none when every one was taken.
  void TellUntakenHotkeys();
  bool FormHelp(UINT command, ULONG_PTR data, bool& callHelp) override;

  HWND PickedWindow() const { return pickedWindow_; }
  // The drag in progress, or null between drags.
  const DragSession* Drag() const { return drag_.get(); }
  const std::string& Hint() const { return hint_; }
  // The hint as the tool window shows it: with the active-window hotkey,
  // and a warning naming the hotkeys not taken.
  std::string ShownHint() const;
  const HotkeyRegistration& Hotkeys() const { return *hotkeys_; }
  CaptureImage& Image() { return image_; }
  // The settings record, which this window owns for the program's life.
  CaptureSettings& Settings() { return settings_; }

  // The values kept with the settings.
  int Left() const override;
  int Top() const override;
  void SetLeft(int left) override { pendingLeft_ = left; }
  void SetTop(int top) override;
  bool OptionsDown() const override { return false; }  // the button never stays down
  void SetOptionsDown(bool) override {}

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCommand(int id, int notification, HWND control) override;
  void FormClose() override;

 private:
  void FormCreate();
  void CreateControls();
  void AddTooltips();
  void EndDrag();
  PickOutline& PickOutlineWindows();  // made at first use
  void ShowPick();
  void PlaceByDefault();
  POINT IconCorner() const { return {Scale(2), Scale(3)}; }
  bool OverIcon(int x, int y) const;
  CaptureDelivery Delivery();
  // The one capture step of the drag and the hotkeys: grab `target` with
  // the program's windows hidden and deliver it by the "Save Option". A
  // hotkey's capture draws the pointer when asked to, and leaves the
  // keyboard with the window the user works in.
  void CaptureTarget(HWND target, bool fromHotkey = false);
  // Starts the countdown, at whose end the window is looked up as the
  // hotkey of `lookup` would (after a drag: the window under the pointer).
  void StartCountdown(HotkeyAction lookup);
  void CountdownTick();
  // The end of the countdown: the window and the popups the user opened
  // over it, taken from the screen as they show.
  void CaptureAtCountdownEnd(HotkeyAction lookup);
  void KeyboardPickRequest(KeyboardPick::Request request);
  bool Busy() const;
  void AddMenuItems(HMENU menu, bool systemMenu);
  // The hotkey items of `menu` named as the hotkeys are held now.
  void RetitleHotkeyItems(HMENU menu);
  std::string HotkeyMenuText(HotkeyAction action) const;
  void HotkeyRetryTick();
  void RefreshSystemMenu();
  void ShowContextMenu(POINT at);
  bool MenuCommand(UINT id);
  std::string HotkeysApplied();
  // The name the file name pattern `pattern` gives, for the More Options dialog.
  std::string NamePreview(const std::string& pattern) const;

  RegistryKeyStore& store_;
  CaptureSettings settings_;
  std::int32_t sequenceCounter_ = 0;  // the auto-save route's SequenceCounter, never stored
  CaptureImage image_;
  SaveDialogState saveDlg_;
  RandomGenerator random_;
  std::unique_ptr<TImageTypeForm> imageTypeForm_;
  SaveNotice saveNotice_;  // before the platform that shows it
  Win32DeliveryPlatform platform_;
  HWND pickedWindow_ = nullptr;
  // The outline of a drag or a keyboard pick, made at the first and kept:
  // creating and destroying its windows with every pick would cost each
  // capture several milliseconds.
  std::unique_ptr<PickOutline> pickOutline_;
  std::unique_ptr<DragSession> drag_;  // after the outline it borrows
  bool placedFromSettings_ = false;
  Tooltips tooltip_;
  UniqueHbitmap targetBitmap_;
  std::string hint_;
  std::optional<int> pendingLeft_;
  std::optional<HotkeyRegistration> hotkeys_;  // made with the window
  std::vector<HotkeyFailure> untakenHotkeys_;
  int busy_ = 0;  // captures and dialogs in progress
  bool menuOpen_ = false;  // a menu of this window (its own or the system menu) is tracked
  ULONGLONG createdAt_ = GetTickCount64();  // when the hotkey retries began
  std::unique_ptr<CaptureCountdown> countdown_;
  HotkeyAction countdownLookup_ = HotkeyAction::PointerWindow;
  std::unique_ptr<KeyboardPick> pick_;  // after the outline it borrows
};

}  // namespace tessory
