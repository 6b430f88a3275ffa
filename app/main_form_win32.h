// The main window: the target icon that picks a window to capture, the
// Options button, its menus and hints, and the settings' load at creation
// and store at close. What happens to a capture is the controller's; the
// window turns its messages into the controller's calls.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/capture_controller_win32.h"
#include "app/settings_dialogs_win32.h"
#include "app/tray_icon_win32.h"
#include "app/window_placement_win32.h"
#include "capture/hotkeys_win32.h"
#include "framework/form_win32.h"
#include "framework/tooltips_win32.h"
#include "settings/registry.h"
#include "settings/settings.h"

namespace tessory {

class TMainForm final : public Form, public MainWindowValues, public CaptureOwner {
 public:
  enum : int { kShowOptsBtn = 200, kTargetImg = 201 };

  // Creates the window (hidden) and runs FormCreate with settings from `store`.
  explicit TMainForm(RegistryKeyStore& store);
  ~TMainForm() override;

  void Show() { ShowWindow(Handle(), SW_SHOW); }
  HWND Handle() const override { return Form::Handle(); }

  // The picker's events; X and Y are measured from the icon's top-left corner.
  // Moves and the release read the pointer's screen position themselves.
  void TargetImgMouseDown() { controller_->BeginDrag(); }
  void TargetImgMouseMove(bool leftButtonHeld) { controller_->DragMoved(leftButtonHeld); }
  void TargetImgMouseUp(int x, int y) { controller_->ReleaseDrag(ReleaseOnWindow(x, y)); }
  void ShowOptsBtnClick() { RunSettingsDialog(ShowOptionsDialog); }
  // The "More Options" dialog (hotkeys, countdown, pointer, tray), from the menus.
  void ShowMoreOptions() { RunSettingsDialog(ShowMoreOptionsDialog); }
  void UpdateCaptureHint();
  // Takes the hotkeys of the settings anew; the ones that could not be
  // taken, also named by TellUntakenHotkeys and the hint.
  std::vector<HotkeyFailure> RegisterHotkeys();
  // Tries again the hotkeys not taken that another program may hold
  // (every few seconds at first, and as More Options opens); the hint
  // follows.
  void RetryHotkeys();
  // The start-up message naming each hotkey that could not be taken, and
  // saying which will be tried again; none when every one was taken.
  void TellUntakenHotkeys();
  bool FormHelp(UINT command, ULONG_PTR data, bool& callHelp) override;

  HWND PickedWindow() const { return controller_->PickedWindow(); }
  const DragSession* Drag() const { return controller_->Drag(); }
  const std::string& Hint() const { return hint_; }
  // The hint as the tool window shows it: with the active-window hotkey,
  // and a warning naming the hotkeys not taken.
  std::string ShownHint() const;
  const HotkeyRegistration& Hotkeys() const { return *hotkeys_; }
  // The settings record, which this window owns for the program's life.
  CaptureSettings& Settings() { return settings_; }

  // The values kept with the settings.
  int Left() const override { return WindowRectOf(Handle()).left; }
  int Top() const override { return WindowRectOf(Handle()).top; }
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
  // The icon, the button and their hints.
  void CreateControls();
  POINT IconCorner() const { return {Scale(2), Scale(3)}; }
  bool OverIcon(int x, int y) const;
  // Whether a release at (x, y) from the icon's corner falls on this window.
  bool ReleaseOnWindow(int x, int y) const;
  bool ReleasesOnItself(POINT pointer) const override;
  void PickingChanged(bool picking) override { tooltip_.Activate(!picking); }
  bool InTray() const override { return tray_ && tray_->Hidden(); }
  // The mouse's messages: a press on the icon starts a drag, which moves
  // and the release (or a cancel) end.
  bool HandleMouse(UINT message, WPARAM wParam, int x, int y);
  void RefreshSystemMenu();
  void ShowContextMenu(POINT at);
  bool MenuCommand(UINT id);
  std::string HotkeysApplied();
  // Runs a settings dialog as busy; the hint and the tray follow its
  // changes, which are stored at once.
  void RunSettingsDialog(bool (*dialog)(CaptureSettings&, const SettingsDialogHooks&));
  void StoreSettings();

  RegistryKeyStore& store_;
  CaptureSettings settings_;
  bool placedFromSettings_ = false;
  Tooltips tooltip_;
  UniqueHbitmap targetBitmap_;
  std::string hint_;
  std::optional<int> pendingLeft_;
  std::optional<HotkeyRegistration> hotkeys_;      // made with the window
  std::unique_ptr<CaptureController> controller_;  // made with the window, ended before it
  std::optional<TrayPresence> tray_;               // made with the window
};

}  // namespace tessory
