#include "app/main_form_win32.h"

#include <windowsx.h>

#include <algorithm>

#include "app/capture_hint.h"
#include "app/pick_outline.h"
#include "framework/application_win32.h"
#include "framework/utf8.h"
#include "help/html_help_api_win32.h"
#include "imaging/clipboard_win32.h"
#include "options/options_form_win32.h"

namespace tessory {
namespace {

constexpr UINT_PTR kTargetTool = 1;
constexpr UINT_PTR kWindowTool = 2;
constexpr char kTargetHint[] = "Drag and drop on a window to capture";
constexpr int kHelpContext = 1000;

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
  SetHelpContext(kHelpContext);
  platform_.SetDialogOwner(Handle());
  CreateControls();
  imageTypeForm_ = std::make_unique<TImageTypeForm>(Application::Instance().Handle());
  FormCreate();
}

TMainForm::~TMainForm() {
  EndDrag();
}

void TMainForm::CreateControls() {
  targetBitmap_.reset(static_cast<HBITMAP>(
      LoadImageW(Application::Instance().ModuleInstance(), L"TARGET", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  // The icon lets the mouse through to the window, which runs the drag.
  HWND target = AddControl(L"STATIC", "", WS_VISIBLE | SS_BITMAP | SS_REALSIZECONTROL, 2, 3, 15, 13, kTargetImg);
  SendMessageW(target, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(targetBitmap_.get()));
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
  UpdateCaptureHint();
  SetClientSize(74, 18);
  if (!placedFromSettings_) PlaceByDefault();
  Application::Instance().SetHelpFile(Application::ExecutableFolder() + "tessory.chm");
}

void TMainForm::UpdateCaptureHint() {
  hint_ = CaptureHint(AsSaveRoute(settings_.SaveOption), AsImageKind(settings_.ImageType));
  tooltip_.SetAreaText(kWindowTool, hint_);
  tooltip_.SetControlText(Control(kShowOptsBtn), hint_);
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

void TMainForm::TargetImgMouseDown() {
  drag_ = std::make_unique<DragSession>(Handle());
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
  const RECT rect = GrabRect(target, grabOptions_);
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
  // The outline is gone before the grab copies anything; the grab has the
  // target repaint, the part the outline covered included.
  EndDrag();
  HWND target = ReleaseTarget(x, y);
  if (!target) return;
  CaptureDelivery delivery = Delivery();
  CaptureWindow(target, {Handle(), Application::Instance().Handle()}, image_, delivery, settings_.SaveOption,
                grabOptions_);
}

void TMainForm::ShowOptsBtnClick() {
  {
    TOptionsForm options(settings_);
    options.ShowModal();  // OK has updated the settings itself
  }
  UpdateCaptureHint();
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
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (drag_) TargetImgMouseUp(x - IconCorner().x, y - IconCorner().y);
      return 0;
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
