#include "app/main_form_win32.h"

#include <windowsx.h>

#include <algorithm>

#include "app/capture_hint.h"
#include "capture/capture_steps.h"
#include "capture/pick_outline.h"
#include "capture/popup_windows_win32.h"
#include "capture/window_stack_win32.h"
#include "framework/application_win32.h"
#include "framework/utf8.h"
#include "help/html_help_api_win32.h"
#include "delivery/clipboard_win32.h"
#include "options/more_options_form_win32.h"
#include "options/options_form_win32.h"

namespace tessory {
namespace {

constexpr UINT_PTR kTargetTool = 1;
constexpr UINT_PTR kWindowTool = 2;
constexpr char kTargetHint[] = "Drag and drop on a window to capture";
constexpr int kHelpContext = 1000;
// The commands the window's menus add; system-menu commands keep their
// low four bits clear.
constexpr UINT kMoreOptionsCommand = 0x0110;
constexpr UINT kHelpCommand = 0x0120;
constexpr UINT kFirstHotkeyCommand = 0x0130;  // one a hotkey, shown but not chosen
// Tries again the hotkeys another program held (the countdown's timer is 21).
constexpr UINT_PTR kHotkeyRetryTimer = 22;
// Sent by the focused target icon on Enter or Space.
constexpr UINT kStartPickMessage = WM_APP + 23;

// Counts a capture or a dialog in progress for as long as it lasts.
class BusyScope {
 public:
  explicit BusyScope(int& busy) : busy_(busy) { ++busy_; }
  ~BusyScope() { --busy_; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  int& busy_;
};

}  // namespace

HWND TopLevelWindowAt(POINT point, HWND self) {
  HWND window = WindowFromPoint(point);
  if (!window || window == self) return window;
  while (window && (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) window = GetParent(window);
  return window;
}

TMainForm::TMainForm(RegistryKeyStore& store)
    : store_(store),
      platform_(
          nullptr, [this] { return imageTypeForm_->Ask(); },
          [](const ClipboardContent& content) { CopyToClipboard(content); },
          [this](const std::string& path) { saveNotice_.Show(path); }) {
  Frame frame;
  frame.caption = "Tessory";
  frame.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  frame.exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
  frame.clientWidth = 115;  // the layout's size, until FormCreate sets the real one
  frame.clientHeight = 18;
  CreateFrame(frame, Application::Instance().Handle());
  hotkeys_.emplace(Handle());
  SetHelpContext(kHelpContext);
  platform_.SetDialogOwner(Handle());
  CreateControls();
  imageTypeForm_ = std::make_unique<TImageTypeForm>(Application::Instance().Handle());
  FormCreate();
}

TMainForm::~TMainForm() {
  pick_.reset();
  countdown_.reset();
  EndDrag();
}

void TMainForm::CreateControls() {
  targetBitmap_.reset(static_cast<HBITMAP>(
      LoadImageW(Application::Instance().ModuleInstance(), L"TARGET", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  // The icon lets the mouse through to the window, which runs the drag.
  HWND target = AddControl(L"STATIC", "", WS_VISIBLE | SS_BITMAP | SS_REALSIZECONTROL, 2, 3, 15, 13, kTargetImg);
  SendMessageW(target, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(targetBitmap_.get()));
  MakeIconKeyboardReachable(target, std::string(kTargetHint) + "; Enter picks a window with the keyboard",
                            kStartPickMessage);
  static const FontSpec kButtonFont{L"Arial", 9};
  AddControl(L"BUTTON", "Options", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_FLAT, 23, 2, 48, 15, kShowOptsBtn,
             &kButtonFont);
  // A font wider than the designed one widens the button and the window.
  FitCaptions({kShowOptsBtn});
  AddTooltips();
}

void TMainForm::AddTooltips() {
  tooltip_.Create(Handle());
  // The icon first: the tooltip takes the first tool under the pointer.
  tooltip_.AddArea(kTargetTool, {Scale(2), Scale(3), Scale(2 + 15), Scale(3 + 13)}, kTargetHint);
  tooltip_.AddArea(kWindowTool, {0, 0, Scale(200), Scale(100)}, "");
  tooltip_.AddControl(Control(kShowOptsBtn), "");
}

void TMainForm::FormCreate() {
  SYSTEMTIME now;
  GetSystemTime(&now);
  random_.SetSeed(ClockSeed(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds));
  image_ = CaptureImage();
  SetDefaultSettings(settings_, sequenceCounter_, SystemTempPath());
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
  if (!placedFromSettings_) PlaceByDefault();
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
  AddMenuItems(GetSystemMenu(Handle(), FALSE), true);
}

std::string TMainForm::ShownHint() const {
  std::string shown = hint_;
  if (hotkeys_->Holds(HotkeyAction::ActiveWindow)) {
    shown = HintWithActiveWindowHotkey(shown, HotkeyName(settings_.HotkeyActiveWindow));
  }
  std::vector<std::string> untaken;
  for (const HotkeyFailure& failure : untakenHotkeys_) untaken.push_back(HotkeyName(failure.value));
  return HintWithUntakenHotkeys(shown, untaken);
}

std::vector<HotkeyFailure> TMainForm::RegisterHotkeys() {
  untakenHotkeys_ = hotkeys_->Register(settings_);
  RefreshSystemMenu();
  if (std::ranges::any_of(untakenHotkeys_, IsRetried) && GetTickCount64() - createdAt_ < kHotkeyRetryPeriodMs) {
    SetTimer(Handle(), kHotkeyRetryTimer, kHotkeyRetryIntervalMs, nullptr);
  }
  return untakenHotkeys_;
}

// Taking a key changes nothing the user is in the middle of, so a retry
// may come during a capture, a dialog, a drag or a menu: the system menu's
// items are named anew as it opens.
void TMainForm::RetryHotkeys() {
  if (std::ranges::none_of(untakenHotkeys_, IsRetried)) return;
  untakenHotkeys_ = hotkeys_->Retry(settings_);
  UpdateCaptureHint();
}

void TMainForm::HotkeyRetryTick() {
  const bool inPeriod = GetTickCount64() - createdAt_ < kHotkeyRetryPeriodMs;
  if (inPeriod) RetryHotkeys();
  if (!inPeriod || std::ranges::none_of(untakenHotkeys_, IsRetried)) KillTimer(Handle(), kHotkeyRetryTimer);
}

void TMainForm::TellUntakenHotkeys() {
  if (untakenHotkeys_.empty()) return;
  BusyScope busy(busy_);
  Application::Instance().ShowError(StartupHotkeyFailureText(untakenHotkeys_));
}

int TMainForm::Left() const {
  RECT rect;
  GetWindowRect(Handle(), &rect);
  return rect.left;
}

int TMainForm::Top() const {
  RECT rect;
  GetWindowRect(Handle(), &rect);
  return rect.top;
}

void TMainForm::SetTop(int top) {
  if (!pendingLeft_) return;
  const int left = *std::exchange(pendingLeft_, std::nullopt);
  RECT rect;
  GetWindowRect(Handle(), &rect);
  OffsetRect(&rect, left - rect.left, top - rect.top);
  // A place on no monitor any more would leave the window unreachable:
  // the window system's placement stays then.
  if (!MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) return;
  SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  placedFromSettings_ = true;
}

// Without a stored place the window opens where a new top-level window
// would: the first cascade step into the work area of the monitor the user
// works on (the one under the pointer), wholly on it.
void TMainForm::PlaceByDefault() {
  POINT pointer{};
  GetCursorPos(&pointer);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int step = GetSystemMetricsForDpi(SM_CYCAPTION, Dpi()) + GetSystemMetricsForDpi(SM_CYSIZEFRAME, Dpi()) +
                   GetSystemMetricsForDpi(SM_CXPADDEDBORDER, Dpi());
  RECT rect;
  GetWindowRect(Handle(), &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const int left = std::max<int>(work.left, std::min<int>(work.left + step, work.right - width));
  const int top = std::max<int>(work.top, std::min<int>(work.top + step, work.bottom - height));
  SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TMainForm::OverIcon(int x, int y) const {
  const POINT corner = IconCorner();
  return x >= corner.x && y >= corner.y && x < corner.x + Scale(15) && y < corner.y + Scale(13);
}

PickOutline& TMainForm::PickOutlineWindows() {
  if (!pickOutline_) pickOutline_ = std::make_unique<PickOutline>(Handle());
  return *pickOutline_;
}

void TMainForm::TargetImgMouseDown() {
  countdown_.reset();  // a new drag replaces a countdown or a keyboard pick in progress
  pick_.reset();
  drag_ = std::make_unique<DragSession>(Handle(), PickOutlineWindows());
  tooltip_.Activate(false);  // no hint pops up over the pick; EndDrag turns hints on again
  ShowPick();
}

void TMainForm::TargetImgMouseMove(bool leftButtonHeld) {
  if (leftButtonHeld) {
    POINT point;
    GetCursorPos(&point);
    pickedWindow_ = TopLevelWindowAt(point, Handle());
  }
  ShowPick();
}

HWND TMainForm::ReleaseTarget(int x, int y) const {
  RECT client;
  GetClientRect(Handle(), &client);
  if (IsReleaseOverWindow(x, y, client.right, client.bottom)) return nullptr;
  // No window picked yet (a first drag with another button), or the picked
  // one closed meanwhile: there is nothing to grab.
  if (!pickedWindow_ || pickedWindow_ == Handle() || !IsWindow(pickedWindow_)) return nullptr;
  return pickedWindow_;
}

// Outlines the window a release at the pointer would capture. The desktop
// and the program's own windows get no outline.
void TMainForm::ShowPick() {
  if (!drag_) return;
  POINT pointer, client;
  GetCursorPos(&pointer);
  client = pointer;
  ScreenToClient(Handle(), &client);
  HWND target = ReleaseTarget(client.x - IconCorner().x, client.y - IconCorner().y);
  DWORD process = 0;
  if (target) GetWindowThreadProcessId(target, &process);
  if (target == GetDesktopWindow() || target == GetShellWindow() || process == GetCurrentProcessId()) target = nullptr;
  if (!target) return drag_->Outline(nullptr, {}, {}, pointer);
  if (target == drag_->OutlinedWindow()) return drag_->FollowPointer(pointer);
  const RECT rect = GrabRect(target);
  std::wstring title(256, L'\0');
  title.resize(std::max(0, GetWindowTextW(target, title.data(), static_cast<int>(title.size()))));
  drag_->Outline(target, rect, PickLabelText(Narrow(title), rect.right - rect.left, rect.bottom - rect.top), pointer);
}

void TMainForm::EndDrag() {
  // Ending the session releases the capture, whose WM_CAPTURECHANGED comes
  // back here: by then there is no drag left to end.
  std::unique_ptr<DragSession> ending = std::move(drag_);
  if (!ending) return;
  ending.reset();
  tooltip_.Activate(true);
}

CaptureDelivery TMainForm::Delivery() {
  return CaptureDelivery({image_, settings_, sequenceCounter_, random_, saveDlg_, platform_});
}

void TMainForm::TargetImgMouseUp(int x, int y) {
  capture_steps::Begin("release message");
  // The outline is gone before the grab copies anything; the grab has the
  // target repaint, the part the outline covered included.
  EndDrag();
  capture_steps::Mark("drag ended");
  HWND target = ReleaseTarget(x, y);
  if (!target) return;
  if (CountdownSeconds(settings_.CaptureDelay) > 0) return StartCountdown(HotkeyAction::PointerWindow);
  CaptureTarget(target);
}

void TMainForm::CaptureTarget(HWND target, bool fromHotkey) {
  BusyScope busy(busy_);
  CaptureDelivery delivery = Delivery();
  GrabOptions options;
  options.drawPointer = fromHotkey && settings_.CapturePointer;
  CaptureWindow(
      target, {Handle(), Application::Instance().Handle(), fromHotkey ? SW_SHOWNOACTIVATE : SW_SHOW}, image_,
      [&](const CapturedWindow& window) {
        delivery.SetCapturedWindow(window);
        delivery.Deliver(settings_.SaveOption);
      },
      options);
}

void TMainForm::StartCountdown(HotkeyAction lookup) {
  countdown_.reset();  // a second press starts it again
  countdownLookup_ = lookup;
  countdown_ = std::make_unique<CaptureCountdown>(Handle(), CountdownSeconds(settings_.CaptureDelay));
}

void TMainForm::CountdownTick() {
  if (!countdown_ || !countdown_->Tick()) return;
  countdown_.reset();
  // A dialog or a drag begun meanwhile has the user's attention: no capture.
  if (!Busy()) CaptureAtCountdownEnd(countdownLookup_);
}

void TMainForm::CaptureAtCountdownEnd(HotkeyAction lookup) {
  POINT pointer{};
  GetCursorPos(&pointer);
  HWND target = lookup == HotkeyAction::ActiveWindow ? ActiveWindowTarget() : WindowOrPopupOwnerAt(pointer);
  if (!target || !IsWindow(target)) return;
  GrabOptions options;
  options.source = CopySource::Screen;
  options.drawPointer = settings_.CapturePointer;
  std::vector<RECT> parts{GrabRect(target, options)};
  for (HWND popup : PopupsOf(target)) {
    RECT rect;
    if (GetWindowRect(popup, &rect)) parts.push_back(rect);
  }
  BusyScope busy(busy_);
  CaptureDelivery delivery = Delivery();
  CaptureWithWindowsHidden(
      {Handle(), Application::Instance().Handle(), SW_SHOWNOACTIVATE}, image_, DescribeWindow(target),
      [&] { return GrabScreenParts(parts, options); },
      [&](const CapturedWindow& window) {
        delivery.SetCapturedWindow(window);
        delivery.Deliver(settings_.SaveOption);
      });
}

bool TMainForm::Busy() const {
  // A modal dialog or message box of the program disables this window.
  return busy_ > 0 || menuOpen_ || drag_ || pick_ || !IsWindowEnabled(Handle()) || !IsWindowVisible(Handle());
}

void TMainForm::StartKeyboardPick() {
  if (Busy()) return;
  std::vector<HWND> windows = PickCandidatesInStackingOrder();
  if (windows.empty()) return;
  countdown_.reset();
  tooltip_.Activate(false);
  pick_ = std::make_unique<KeyboardPick>(Handle(), PickOutlineWindows(), std::move(windows), ActiveWindowTarget());
}

void TMainForm::KeyboardPickRequest(KeyboardPick::Request request) {
  if (!pick_) return;
  switch (request) {
    case KeyboardPick::Request::Next: return pick_->Move(1);
    case KeyboardPick::Request::Previous: return pick_->Move(-1);
    case KeyboardPick::Request::Capture:
    case KeyboardPick::Request::Cancel: break;
  }
  HWND target = pick_->Current();
  pick_.reset();
  tooltip_.Activate(true);
  if (request == KeyboardPick::Request::Capture && target) CaptureTarget(target);
}

void TMainForm::HotkeyPressed(HotkeyAction action) {
  if (Busy()) return;
  if (action == HotkeyAction::KeyboardPick) return StartKeyboardPick();
  if (CountdownSeconds(settings_.CaptureDelay) > 0) return StartCountdown(action);
  HWND target = nullptr;
  if (action == HotkeyAction::ActiveWindow) {
    target = ActiveWindowTarget();
  } else {
    // What a drag released there would take, unless that is one of ours.
    POINT pointer{};
    GetCursorPos(&pointer);
    target = TopLevelWindowAt(pointer, Handle());
    if (target && IsOwnWindow(target)) target = nullptr;
  }
  if (target) CaptureTarget(target, true);
}

void TMainForm::ShowOptsBtnClick() {
  {
    BusyScope busy(busy_);
    TOptionsForm options(settings_);
    options.SetMoreOptionsApplied([this] { return HotkeysApplied(); });
    options.SetMoreOptionsOpening([this] { RetryHotkeys(); });
    options.SetMoreOptionsHotkeyCheck(HotkeyChoiceProblem);
    options.SetNamePreview([this](const std::string& pattern) { return NamePreview(pattern); });
    options.ShowModal();  // OK has updated the settings itself
  }
  UpdateCaptureHint();
}

void TMainForm::ShowMoreOptions() {
  {
    BusyScope busy(busy_);
    TMoreOptionsForm more(settings_, Application::Instance().Handle());
    more.SetApplied([this] { return HotkeysApplied(); });
    more.SetOpening([this] { RetryHotkeys(); });
    more.SetHotkeyCheck(HotkeyChoiceProblem);
    more.SetNamePreview([this](const std::string& pattern) { return NamePreview(pattern); });
    more.ShowModal();
  }
  UpdateCaptureHint();
}

// The window is not known before the capture: the preview names an
// example, a Notepad window of 640 x 480 captured now.
std::string TMainForm::NamePreview(const std::string& pattern) const {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const NameFields fields{
      AutoSaveBaseOf(settings_.BaseFileName),
      {"Untitled - Notepad", "notepad", {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}},
      640,
      480};
  return PreviewFileName(settings_, pattern, fields);
}

// The hotkeys of the settings just confirmed, taken at once; what the
// dialog tells of the keys that could not be taken ("" when all were).
std::string TMainForm::HotkeysApplied() {
  const std::vector<HotkeyFailure> untaken = RegisterHotkeys();
  UpdateCaptureHint();
  return untaken.empty() ? std::string() : HotkeyFailureText(untaken);
}

void TMainForm::AddMenuItems(HMENU menu, bool systemMenu) {
  if (!menu) return;
  if (systemMenu) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kMoreOptionsCommand, L"More options...");
  AppendMenuW(menu, MF_STRING, kHelpCommand, L"Help");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  UINT command = kFirstHotkeyCommand;
  for (HotkeyAction action : {HotkeyAction::ActiveWindow, HotkeyAction::PointerWindow}) {
    AppendMenuW(menu, MF_STRING | MF_GRAYED, command, Widen(HotkeyMenuText(action)).c_str());
    command += 0x10;
  }
}

void TMainForm::RetitleHotkeyItems(HMENU menu) {
  UINT command = kFirstHotkeyCommand;
  for (HotkeyAction action : {HotkeyAction::ActiveWindow, HotkeyAction::PointerWindow}) {
    // Only once RefreshSystemMenu has added the items.
    if (GetMenuState(menu, command, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
      ModifyMenuW(menu, command, MF_BYCOMMAND | MF_STRING | MF_GRAYED, command, Widen(HotkeyMenuText(action)).c_str());
    }
    command += 0x10;
  }
}

std::string TMainForm::HotkeyMenuText(HotkeyAction action) const {
  std::string name = HotkeyName(HotkeyValue(settings_, action));
  if (name.empty()) name = "no hotkey";
  else if (!hotkeys_->Holds(action)) name += " (not available)";
  return HotkeyActionName(action) + "\t" + name;
}

void TMainForm::ShowContextMenu(POINT at) {
  if (Busy()) return;
  UniqueHmenu menu(CreatePopupMenu());
  AddMenuItems(menu.get(), false);
  if (at.x == -1 && at.y == -1) {  // from the keyboard: at the window's corner
    RECT rect;
    GetWindowRect(Handle(), &rect);
    at = {rect.left, rect.bottom};
  }
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr));
  if (chosen) MenuCommand(chosen);
}

bool TMainForm::MenuCommand(UINT id) {
  switch (id) {
    case kMoreOptionsCommand:
      if (!Busy()) ShowMoreOptions();
      return true;
    case kHelpCommand: ShowHelpContextOf(kHelpContext); return true;
  }
  return false;
}

bool TMainForm::FormHelp(UINT, ULONG_PTR, bool&) {
  ShowHelpContextOf(kHelpContext);
  return true;
}

void TMainForm::FormClose() {
  image_ = CaptureImage();
  try {
    SaveSettings(store_, settings_, *this);
  } catch (...) {
    // The window closes all the same; what could not be stored is lost.
    Application::Instance().ShowCurrentException();
  }
}

void TMainForm::OnCommand(int id, int notification, HWND) {
  if (id == kShowOptsBtn && notification == BN_CLICKED) ShowOptsBtnClick();
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);  // signed: monitors left of or above the primary
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    // The class takes double clicks: a quick second press arrives as one,
    // and starts a drag all the same.
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      if (!drag_ && OverIcon(x, y)) TargetImgMouseDown();
      return 0;
    case WM_MOUSEMOVE:
      if (drag_) TargetImgMouseMove((wParam & MK_LBUTTON) != 0);
      return 0;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
      if (drag_) TargetImgMouseUp(x - IconCorner().x, y - IconCorner().y);
      return 0;
    case WM_RBUTTONUP:
      // Without a drag, the right button's release brings the menu.
      if (!drag_) break;
      TargetImgMouseUp(x - IconCorner().x, y - IconCorner().y);
      return 0;
    case WM_CONTEXTMENU: ShowContextMenu({x, y}); return 0;
    case WM_SYSCOMMAND:
      if (MenuCommand(static_cast<UINT>(wParam & 0xFFF0))) return 0;
      break;
    case WM_HOTKEY: HotkeyPressed(static_cast<HotkeyAction>(wParam)); return 0;
    case WM_TIMER:
      if (wParam == kHotkeyRetryTimer) {
        HotkeyRetryTick();
        return 0;
      }
      if (wParam != CaptureCountdown::kTimerId) break;
      CountdownTick();
      return 0;
    // A menu of this window (its own or the system menu) runs a loop that
    // would run a hotkey's capture and hide the menu's owner: while it is
    // open the window counts as busy, as during a dialog.
    case WM_ENTERMENULOOP: menuOpen_ = true; break;
    case WM_EXITMENULOOP: menuOpen_ = false; break;
    case WM_INITMENUPOPUP:
      if (HIWORD(lParam)) RetitleHotkeyItems(GetSystemMenu(Handle(), FALSE));  // the system menu opens
      break;
    case CaptureCountdown::kCancelMessage: countdown_.reset(); return 0;
    case KeyboardPick::kKeyMessage: KeyboardPickRequest(static_cast<KeyboardPick::Request>(wParam)); return 0;
    case kStartPickMessage: StartKeyboardPick(); return 0;
    // The drag was taken away, or Escape ended it (the drag's keyboard
    // watch sends WM_CANCELMODE): pick nothing.
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      EndDrag();
      break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) EndDrag();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return Form::HandleMessage(message, wParam, lParam);
}

}  // namespace tessory
