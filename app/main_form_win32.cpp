#include "app/main_form_win32.h"

#include <windowsx.h>

#include <utility>

#include "app/capture_hint.h"
#include "app/main_menus_win32.h"
#include "app/settings_dialogs_win32.h"
#include "delivery/autosave_names.h"
#include "delivery/delivery_platform_win32.h"
#include "framework/application_win32.h"
#include "help/html_help_api_win32.h"

namespace tessory {
namespace {

constexpr UINT_PTR kTargetTool = 1;
constexpr UINT_PTR kWindowTool = 2;
constexpr char kTargetHint[] = "Drag and drop on a window to capture";
constexpr int kHelpContext = 1000;
// Sent by the focused target icon on Enter or Space.
constexpr UINT kStartPickMessage = WM_APP + 23;

}  // namespace

TMainForm::TMainForm(RegistryKeyStore& store) : store_(store) {
  Frame frame;
  frame.caption = "Tessory";
  frame.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  frame.exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
  frame.clientWidth = 115;  // the layout's size, until FormCreate sets the real one
  frame.clientHeight = 18;
  CreateFrame(frame, Application::Instance().Handle());
  hotkeys_.emplace(Handle());
  SetHelpContext(kHelpContext);
  CreateControls();
  controller_ = std::make_unique<CaptureController>(*this, settings_);
  tray_.emplace(Handle(), Application::Instance().Handle());
  FormCreate();
}

// The controller ends a pick in progress while the hints it turns on again
// still exist.
TMainForm::~TMainForm() {
  controller_.reset();
}

void TMainForm::CreateControls() {
  targetBitmap_.reset(static_cast<HBITMAP>(
      LoadImageW(Application::Instance().ModuleInstance(), L"TARGET", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  // The icon lets the mouse through to the window, which runs the drag.
  HWND target = AddControl({.windowClass = L"STATIC",
                            .style = WS_VISIBLE | SS_BITMAP | SS_REALSIZECONTROL,
                            .bounds = {2, 3, 15, 13},
                            .id = kTargetImg});
  SendMessageW(target, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(targetBitmap_.get()));
  MakeIconKeyboardReachable(target, std::string(kTargetHint) + "; Enter picks a window with the keyboard",
                            kStartPickMessage);
  static const FontSpec kButtonFont{L"Arial", 9};
  AddControl({.windowClass = L"BUTTON",
              .text = "Options",
              .style = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_FLAT,
              .bounds = {23, 2, 48, 15},
              .id = kShowOptsBtn,
              .font = &kButtonFont});
  // A font wider than the designed one widens the button and the window.
  FitCaptions({kShowOptsBtn});
  tooltip_.Create(Handle());
  // The icon first: the tooltip takes the first tool under the pointer.
  tooltip_.AddArea(kTargetTool, {Scale(2), Scale(3), Scale(2 + 15), Scale(3 + 13)}, kTargetHint);
  tooltip_.AddArea(kWindowTool, {0, 0, Scale(200), Scale(100)}, "");
  tooltip_.AddControl(Control(kShowOptsBtn), "");
}

void TMainForm::FormCreate() {
  controller_->Restart();
  SetDefaultSettings(settings_, controller_->SequenceCounter(), SystemTempPath());
  try {
    LoadSettings(store_, settings_, *this);
  } catch (...) {
    // A wrongly typed value has kept its default and every other value has
    // been read: the user is told, and the window is made whole all the same.
    Application::Instance().ShowCurrentException();
  }
  RegisterHotkeys();
  UpdateCaptureHint();
  SetClientSize(74, 18);
  if (!placedFromSettings_) PlaceLikeNewWindow(Handle(), Dpi());
  tray_->Apply(settings_.ShowInTray);
  Application::Instance().SetHelpFile(Application::ExecutableFolder() + "tessory.chm");
}

void TMainForm::UpdateCaptureHint() {
  hint_ = CaptureHint(AsSaveRoute(settings_.SaveOption), settings_.ImageType.Kind());
  const std::string shown = ShownHint();
  tooltip_.SetAreaText(kWindowTool, shown);
  tooltip_.SetControlText(Control(kShowOptsBtn), shown);
}

// The system menu from the window system's own, with our entries after it.
void TMainForm::RefreshSystemMenu() {
  GetSystemMenu(Handle(), TRUE);
  AddMainMenuItems(GetSystemMenu(Handle(), FALSE), true, settings_, *hotkeys_);
}

std::string TMainForm::ShownHint() const {
  std::vector<std::string> untaken;
  for (const HotkeyFailure& failure : hotkeys_->Untaken()) untaken.push_back(HotkeyName(failure.value));
  if (!hotkeys_->Holds(HotkeyAction::ActiveWindow)) return HintWithUntakenHotkeys(hint_, untaken);
  return HintWithUntakenHotkeys(HintWithActiveWindowHotkey(hint_, HotkeyName(settings_.HotkeyActiveWindow)), untaken);
}

std::vector<HotkeyFailure> TMainForm::RegisterHotkeys() {
  hotkeys_->Register(settings_);
  RefreshSystemMenu();
  return hotkeys_->Untaken();
}

// The system menu's items are named anew as it opens.
void TMainForm::RetryHotkeys() {
  if (hotkeys_->Retry(settings_)) UpdateCaptureHint();
}

void TMainForm::TellUntakenHotkeys() {
  if (hotkeys_->Untaken().empty()) return;
  auto busy = controller_->Occupy();
  Application::Instance().ShowError(StartupHotkeyFailureText(hotkeys_->Untaken()));
}

// A place on no monitor any more would leave the window unreachable: the
// window system's placement stays then.
void TMainForm::SetTop(int top) {
  if (!pendingLeft_) return;
  const int left = *std::exchange(pendingLeft_, std::nullopt);
  if (MoveOntoMonitor(Handle(), left, top)) placedFromSettings_ = true;
}

bool TMainForm::OverIcon(int x, int y) const {
  const POINT corner = IconCorner();
  return x >= corner.x && y >= corner.y && x < corner.x + Scale(15) && y < corner.y + Scale(13);
}

bool TMainForm::ReleaseOnWindow(int x, int y) const {
  RECT client;
  GetClientRect(Handle(), &client);
  return IsReleaseOverWindow(x, y, client.right, client.bottom);
}

bool TMainForm::ReleasesOnItself(POINT pointer) const {
  ScreenToClient(Handle(), &pointer);
  return ReleaseOnWindow(pointer.x - IconCorner().x, pointer.y - IconCorner().y);
}

// What a dialog changed is stored at once, so that a logoff keeps it.
void TMainForm::RunSettingsDialog(bool (*dialog)(CaptureSettings&, const SettingsDialogHooks&)) {
  bool changed = false;
  {
    auto busy = controller_->Occupy();
    changed = dialog(settings_, {[this] { return HotkeysApplied(); }, [this] { RetryHotkeys(); }});
  }
  UpdateCaptureHint();
  tray_->Apply(settings_.ShowInTray);
  if (changed) StoreSettings();
}

// The hotkeys of the settings just confirmed, taken at once; what the
// dialog tells of the keys that could not be taken ("" when all were).
std::string TMainForm::HotkeysApplied() {
  const std::vector<HotkeyFailure> untaken = RegisterHotkeys();
  UpdateCaptureHint();
  return untaken.empty() ? std::string() : HotkeyFailureText(untaken);
}

void TMainForm::ShowContextMenu(POINT at) {
  if (controller_->Busy()) return;
  if (const UINT chosen = TrackContextMenu(Handle(), at, settings_, *hotkeys_)) MenuCommand(chosen);
}

bool TMainForm::MenuCommand(UINT id) {
  switch (id) {
    case kMoreOptionsCommand:
      if (!controller_->Busy()) ShowMoreOptions();
      return true;
    case kTrayOptionsCommand:
      if (!controller_->Busy()) ShowOptsBtnClick();
      return true;
    case kTrayCaptureCommand: controller_->HotkeyPressed(HotkeyAction::ActiveWindow); return true;
    case kTrayPickCommand: controller_->StartKeyboardPick(); return true;
    case kHelpCommand: ShowHelpContextOf(kHelpContext); return true;
  }
  return false;
}

bool TMainForm::FormHelp(UINT, ULONG_PTR, bool&) {
  ShowHelpContextOf(kHelpContext);
  return true;
}

void TMainForm::FormClose() {
  controller_->ForgetImage();
  StoreSettings();
}

// A failure is told; the program goes on (or closes) all the same.
void TMainForm::StoreSettings() {
  try {
    SaveSettings(store_, settings_, *this);
  } catch (...) {
    Application::Instance().ShowCurrentException();
  }
}

void TMainForm::OnCommand(int id, int notification, HWND) {
  if (id == kShowOptsBtn && notification == BN_CLICKED) ShowOptsBtnClick();
}

bool TMainForm::HandleMouse(UINT message, WPARAM wParam, int x, int y) {
  const bool dragging = controller_->Drag() != nullptr;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    // The class takes double clicks: a quick second press arrives as one,
    // and starts a drag all the same.
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      if (!dragging && OverIcon(x, y)) TargetImgMouseDown();
      return true;
    case WM_MOUSEMOVE:
      if (dragging) TargetImgMouseMove((wParam & MK_LBUTTON) != 0);
      return true;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
      if (dragging) TargetImgMouseUp(x - IconCorner().x, y - IconCorner().y);
      return true;
    case WM_RBUTTONUP:
      // Without a drag, the right button's release brings the menu.
      if (!dragging) return false;
      TargetImgMouseUp(x - IconCorner().x, y - IconCorner().y);
      return true;
  }
  return false;
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // The window's creation sends its first messages before the controller is made.
  if (!controller_) return Form::HandleMessage(message, wParam, lParam);
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);  // signed: monitors left of or above the primary
  if (HandleMouse(message, wParam, x, y)) return 0;
  if (const TrayPresence::Outcome tray = tray_->Handle(message, wParam, lParam); tray.handled) {
    if (tray.command) MenuCommand(tray.command);
    return 0;
  }
  switch (message) {
    case WM_CONTEXTMENU: ShowContextMenu({x, y}); return 0;
    case WM_SYSCOMMAND:
      if (MenuCommand(static_cast<UINT>(wParam & 0xFFF0))) return 0;
      break;
    case WM_HOTKEY: controller_->HotkeyPressed(static_cast<HotkeyAction>(wParam)); return 0;
    case WM_TIMER:
      if (wParam == HotkeyRegistration::kRetryTimer) {
        if (hotkeys_->RetryTick(settings_)) UpdateCaptureHint();
        return 0;
      }
      if (wParam != CaptureCountdown::kTimerId) break;
      controller_->CountdownTick();
      return 0;
    // A menu of this window (its own or the system menu) runs a loop that
    // would run a hotkey's capture and hide the menu's owner: while it is
    // open the window counts as busy, as during a dialog.
    case WM_ENTERMENULOOP: controller_->SetMenuOpen(true); break;
    case WM_EXITMENULOOP: controller_->SetMenuOpen(false); break;
    case WM_INITMENUPOPUP:
      if (HIWORD(lParam)) RetitleHotkeyItems(GetSystemMenu(Handle(), FALSE), settings_, *hotkeys_);
      break;
    case CaptureCountdown::kCancelMessage: controller_->CancelCountdown(); return 0;
    case KeyboardPick::kKeyMessage:
      controller_->KeyboardPickRequest(static_cast<KeyboardPick::Request>(wParam));
      return 0;
    case kStartPickMessage: controller_->StartKeyboardPick(); return 0;
    // The drag was taken away, or Escape ended it (the drag's keyboard
    // watch sends WM_CANCELMODE): pick nothing.
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE: controller_->CancelDrag(); break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) controller_->CancelDrag();
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return Form::HandleMessage(message, wParam, lParam);
}

}  // namespace tessory
