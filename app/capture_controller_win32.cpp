#include "app/capture_controller_win32.h"

#include <string>
#include <utility>
#include <vector>

#include "capture/capture_steps.h"
#include "capture/pick_outline.h"
#include "capture/popup_windows_win32.h"
#include "capture/window_grab_win32.h"
#include "capture/window_stack_win32.h"
#include "delivery/clipboard_win32.h"
#include "framework/application_win32.h"
#include "framework/utf8.h"

namespace tessory {

CaptureController::CaptureController(CaptureOwner& owner, CaptureSettings& settings)
    : owner_(owner),
      settings_(settings),
      imageTypeForm_(std::make_unique<TImageTypeForm>(Application::Instance().Handle())),
      platform_(
          owner.Handle(), [this] { return imageTypeForm_->Ask(); },
          [](const ClipboardContent& content) { CopyToClipboard(content); },
          [this](const std::string& path) { saveNotice_.Show(path); }) {}

CaptureController::~CaptureController() {
  Leave();
}

void CaptureController::Restart() {
  SYSTEMTIME now;
  GetSystemTime(&now);
  random_.SetSeed(ClockSeed(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds));
  image_ = CaptureImage();
}

void CaptureController::Leave() {
  const bool wasPicking = Picking();
  { State ending = std::exchange(state_, Idle{}); }
  if (wasPicking) owner_.PickingChanged(false);
}

bool CaptureController::Picking() const {
  return std::holds_alternative<Dragging>(state_) || std::holds_alternative<KeyboardPicking>(state_);
}

PickOutline& CaptureController::Outline() {
  if (!outline_) outline_ = std::make_unique<PickOutline>(owner_.Handle());
  return *outline_;
}

const DragSession* CaptureController::Drag() const {
  const auto* dragging = std::get_if<Dragging>(&state_);
  return dragging ? dragging->session.get() : nullptr;
}

bool CaptureController::Busy() const {
  const HWND owner = owner_.Handle();
  return busy_ > 0 || menuOpen_ || Picking() || !IsWindowEnabled(owner) ||
         (!IsWindowVisible(owner) && !owner_.InTray());
}

void CaptureController::BeginDrag() {
  Leave();
  state_ = Dragging{std::make_unique<DragSession>(owner_.Handle(), Outline())};
  owner_.PickingChanged(true);
  ShowPick();
}

void CaptureController::DragMoved(bool leftButtonHeld) {
  if (!Drag()) return;
  if (leftButtonHeld) {
    POINT pointer;
    GetCursorPos(&pointer);
    pickedWindow_ = TopLevelWindowAt(pointer, owner_.Handle());
  }
  ShowPick();
}

void CaptureController::ReleaseDrag(bool onItself) {
  if (!Drag()) return;
  capture_steps::Begin("release message");
  // The outline is gone before the grab copies anything; the grab has the
  // target repaint, the part the outline covered included.
  Leave();
  capture_steps::Mark("drag ended");
  HWND target = onItself ? nullptr : PickedTarget();
  if (!target) return;
  if (CountdownSeconds(settings_.CaptureDelay) > 0) return StartCountdown(HotkeyAction::PointerWindow);
  CaptureTarget(target);
}

void CaptureController::CancelDrag() {
  if (Drag()) Leave();
}

HWND CaptureController::PickedTarget() const {
  // No window picked yet (a first drag with another button), or the picked
  // one closed meanwhile: there is nothing to grab.
  if (!pickedWindow_ || pickedWindow_ == owner_.Handle() || !IsWindow(pickedWindow_)) return nullptr;
  return pickedWindow_;
}

// Outlines the window a release at the pointer would capture. The desktop
// and the program's own windows get no outline.
void CaptureController::ShowPick() {
  auto* dragging = std::get_if<Dragging>(&state_);
  if (!dragging) return;
  DragSession& drag = *dragging->session;
  POINT pointer;
  GetCursorPos(&pointer);
  HWND target = owner_.ReleasesOnItself(pointer) ? nullptr : PickedTarget();
  DWORD process = 0;
  if (target) GetWindowThreadProcessId(target, &process);
  if (target == GetDesktopWindow() || target == GetShellWindow() || process == GetCurrentProcessId()) target = nullptr;
  if (!target) return drag.Outline(nullptr, {}, {}, pointer);
  if (target == drag.OutlinedWindow()) return drag.FollowPointer(pointer);
  const RECT rect = GrabRect(target);
  std::wstring title(256, L'\0');
  title.resize(std::max(0, GetWindowTextW(target, title.data(), static_cast<int>(title.size()))));
  drag.Outline(target, rect, PickLabelText(Narrow(title), rect.right - rect.left, rect.bottom - rect.top), pointer);
}

void CaptureController::StartKeyboardPick() {
  if (Busy()) return;
  std::vector<HWND> windows = PickCandidatesInStackingOrder();
  if (windows.empty()) return;
  Leave();
  state_ = KeyboardPicking{
      std::make_unique<KeyboardPick>(owner_.Handle(), Outline(), std::move(windows), ActiveWindowTarget())};
  owner_.PickingChanged(true);
}

void CaptureController::KeyboardPickRequest(KeyboardPick::Request request) {
  auto* picking = std::get_if<KeyboardPicking>(&state_);
  if (!picking) return;
  switch (request) {
    case KeyboardPick::Request::Next: return picking->pick->Move(1);
    case KeyboardPick::Request::Previous: return picking->pick->Move(-1);
    case KeyboardPick::Request::Capture:
    case KeyboardPick::Request::Cancel: break;
  }
  HWND target = picking->pick->Current();
  Leave();
  if (request == KeyboardPick::Request::Capture && target) CaptureTarget(target);
}

void CaptureController::HotkeyPressed(HotkeyAction action) {
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
    target = TopLevelWindowAt(pointer, owner_.Handle());
    if (target && IsOwnWindow(target)) target = nullptr;
  }
  if (target) CaptureTarget(target, true);
}

void CaptureController::StartCountdown(HotkeyAction lookup) {
  Leave();  // a second press starts it again
  state_ = CountingDown{std::make_unique<CaptureCountdown>(owner_.Handle(), CountdownSeconds(settings_.CaptureDelay)),
                        lookup};
}

void CaptureController::CountdownTick() {
  auto* counting = std::get_if<CountingDown>(&state_);
  if (!counting || !counting->countdown->Tick()) return;
  const HotkeyAction lookup = counting->lookup;
  Leave();
  // A dialog or a drag begun meanwhile has the user's attention: no capture.
  if (!Busy()) CaptureAtCountdownEnd(lookup);
}

void CaptureController::CancelCountdown() {
  if (std::holds_alternative<CountingDown>(state_)) Leave();
}

CaptureDelivery CaptureController::Delivery() {
  return CaptureDelivery({image_, settings_, sequenceCounter_, random_, saveDialog_, platform_});
}

void CaptureController::Deliver(CaptureDelivery& delivery, const CapturedWindow& window) {
  delivery.SetCapturedWindow(window);
  delivery.Deliver(settings_.SaveOption);
}

void CaptureController::CaptureTarget(HWND target, bool fromHotkey) {
  BusyScope busy(busy_);
  CaptureDelivery delivery = Delivery();
  GrabOptions options;
  options.drawPointer = fromHotkey && settings_.CapturePointer;
  const ProgramWindows windows{owner_.Handle(), Application::Instance().Handle(),
                               fromHotkey ? SW_SHOWNOACTIVATE : SW_SHOW};
  CaptureWindow(
      target, windows, image_, [&](const CapturedWindow& window) { Deliver(delivery, window); }, options);
}

void CaptureController::CaptureAtCountdownEnd(HotkeyAction lookup) {
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
      {owner_.Handle(), Application::Instance().Handle(), SW_SHOWNOACTIVATE}, image_, DescribeWindow(target),
      [&] { return GrabScreenParts(parts, options); },
      [&](const CapturedWindow& window) { Deliver(delivery, window); });
}

}  // namespace tessory
