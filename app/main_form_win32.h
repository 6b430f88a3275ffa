// The main window: the target icon that picks a window to capture, the
// Options button, and the settings' load at creation and store at close.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/delivery_platform_win32.h"
#include "app/drag_session_win32.h"
#include "app/image_type_form_win32.h"
#include "app/save_notice_win32.h"
#include "app/settings.h"
#include "app/window_grab_win32.h"
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
  void UpdateCaptureHint();
  bool FormHelp(UINT command, ULONG_PTR data, bool& callHelp) override;

  HWND PickedWindow() const { return pickedWindow_; }
  // The drag in progress, or null between drags.
  const DragSession* Drag() const { return drag_.get(); }
  const std::string& Hint() const { return hint_; }
  CaptureImage& Image() { return image_; }
  // The settings record, which this window owns for the program's life.
  CaptureSettings& Settings() { return settings_; }
  // The grab's copy source, for tests of the screen path.
  void SetGrabOptions(const GrabOptions& options) { grabOptions_ = options; }

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
  void ShowPick();
  void PlaceByDefault();
  POINT IconCorner() const { return {Scale(2), Scale(3)}; }
  bool OverIcon(int x, int y) const;
  CaptureDelivery Delivery();

  RegistryKeyStore& store_;
  CaptureSettings settings_;
  std::int32_t sequenceCounter_ = 0;  // the auto-save route's SequenceCounter, never stored
  CaptureImage image_;
  SaveDialogState saveDlg_;
  RandomGenerator random_;
  std::unique_ptr<TImageTypeForm> imageTypeForm_;
  SaveNotice saveNotice_;  // before the platform that shows it
  Win32DeliveryPlatform platform_;
  GrabOptions grabOptions_;
  HWND pickedWindow_ = nullptr;
  std::unique_ptr<DragSession> drag_;
  bool placedFromSettings_ = false;
  Tooltips tooltip_;
  UniqueHbitmap targetBitmap_;
  std::string hint_;
  std::optional<int> pendingLeft_;
};

}  // namespace tessory
