#include "capture/window_grab_win32.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "capture/capture_steps.h"
#include "framework/callback_failure.h"
#include "framework/error.h"
#include "framework/file_names.h"
#include "framework/handles_win32.h"
#include "framework/utf8.h"
#include "framework/window_process_win32.h"
#include "imaging/screen_bitmap_win32.h"

namespace tessory {
namespace {

// The flags of the raise and the restore: no size, no move, no
// WM_WINDOWPOSCHANGING; the raise activates the target, the restore does not.
constexpr UINT kRaiseFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOSENDCHANGING;                     // 0x403
constexpr UINT kRestoreFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOSENDCHANGING;  // 0x413
// GetWindowDC's request: the whole window, honouring the class's own DC style.
constexpr DWORD kWindowContext = DCX_WINDOW | 0x10000;

// The desktop window manager's services, where the system has them.
class Compositor {
 public:
  Compositor() : library_(LoadLibraryW(L"dwmapi.dll")) {
    isEnabled_ = ProcAddress<IsEnabledFn>(library_.get(), "DwmIsCompositionEnabled");
    flush_ = ProcAddress<FlushFn>(library_.get(), "DwmFlush");
    attribute_ = ProcAddress<AttributeFn>(library_.get(), "DwmGetWindowAttribute");
  }
  bool Enabled() const {
    BOOL enabled = FALSE;
    return isEnabled_ && SUCCEEDED(isEnabled_(&enabled)) && enabled;
  }
  void Flush() const {
    if (flush_) flush_();
  }
  // The rectangle the window shows on screen, without invisible borders.
  RECT VisibleRect(HWND window) const {
    RECT rect{};
    constexpr DWORD kExtendedFrameBounds = 9;  // DWMWA_EXTENDED_FRAME_BOUNDS
    if (!attribute_ || FAILED(attribute_(window, kExtendedFrameBounds, &rect, sizeof rect)) ||
        rect.right <= rect.left) {
      GetWindowRect(window, &rect);
    }
    return rect;
  }

 private:
  using IsEnabledFn = HRESULT(WINAPI*)(BOOL*);
  using FlushFn = HRESULT(WINAPI*)();
  using AttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  UniqueHmodule library_;
  IsEnabledFn isEnabled_ = nullptr;
  FlushFn flush_ = nullptr;
  AttributeFn attribute_ = nullptr;
};

// Raises the target above all windows and puts its stacking back as it
// was: a window that was always-on-top stays so, any other is made normal.
class RaisedWindow {
 public:
  RaisedWindow(HWND target, bool answers)
      : target_(target),
        wasTopmost_((GetWindowLongPtrW(target, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0),
        async_(answers ? 0 : SWP_ASYNCWINDOWPOS) {
    SetWindowPos(target_, HWND_TOPMOST, 0, 0, 0, 0, kRaiseFlags | async_);
  }
  ~RaisedWindow() { Restore(); }
  RaisedWindow(const RaisedWindow&) = delete;
  RaisedWindow& operator=(const RaisedWindow&) = delete;
  void Restore() {
    if (restored_) return;
    restored_ = true;
    SetWindowPos(target_, wasTopmost_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kRestoreFlags | async_);
  }

 private:
  HWND target_;
  bool wasTopmost_;
  UINT async_;
  bool restored_ = false;
};

// Loaded once for the program's life: loading the library costs more than
// a step of the capture under some systems.
const Compositor& TheCompositor() {
  static const Compositor compositor;
  return compositor;
}

bool UsesScreen(const GrabOptions& options, const Compositor& compositor) {
  return options.source == CopySource::Screen || (options.source == CopySource::Automatic && compositor.Enabled());
}

// The parts of `rect` that lie on a monitor, in screen pixels.
std::vector<RECT> OnScreenParts(const RECT& rect) {
  struct Found {
    RECT rect;
    std::vector<RECT> parts;
    CallbackFailure failure;
  } found{rect, {}, {}};
  auto collect = [](HMONITOR, HDC, LPRECT monitor, LPARAM data) noexcept -> BOOL {
    auto& found = *reinterpret_cast<Found*>(data);
    RECT part;
    if (!IntersectRect(&part, monitor, &found.rect)) return TRUE;
    return found.failure.Guard([&] { found.parts.push_back(part); });
  };
  EnumDisplayMonitors(nullptr, nullptr, collect, reinterpret_cast<LPARAM>(&found));
  found.failure.Rethrow();
  return std::move(found.parts);
}

bool Covers(const std::vector<RECT>& parts, const RECT& rect) {
  long long area = 0;  // monitors do not overlap
  for (const RECT& part : parts) area += static_cast<long long>(part.right - part.left) * (part.bottom - part.top);
  return area == static_cast<long long>(rect.right - rect.left) * (rect.bottom - rect.top);
}

// PrintWindow's request for what the compositor shows of a window, its
// parts off the screen included (Windows 8.1 and later).
constexpr UINT kRenderFullContent = 0x2;  // PW_RENDERFULLCONTENT

// Fills the `width` x `height` pixels of `memory` with kOffScreenFill.
void FillOffScreen(HDC memory, int width, int height) {
  UniqueHbrush fill(CreateSolidBrush(kOffScreenFill));
  RECT whole{0, 0, width, height};
  FillRect(memory, &whole, fill.get());
}

// Copies each of `parts` (screen pixels, on a monitor) from the screen into
// `memory`, whose pixel (0, 0) is the screen point `origin`.
void CopyFromScreen(HDC memory, POINT origin, const std::vector<RECT>& parts) {
  const WindowDc screen = ScreenDc();
  if (!screen) throw Error("Canvas does not allow drawing");
  for (const RECT& part : parts) {
    const int partWidth = part.right - part.left, partHeight = part.bottom - part.top;
    if (!StretchBlt(memory, part.left - origin.x, part.top - origin.y, partWidth, partHeight, screen.get(), part.left,
                    part.top, partWidth, partHeight, SRCCOPY)) {
      throw Error("Canvas does not allow drawing");
    }
  }
}

// Copies the window at `rect` (screen pixels) into `memory`. A window wholly
// on the monitors comes from `windowDc` when there is one, else from the
// screen. A window reaching past the monitors is first filled with the
// compositor's rendering of it, or with kOffScreenFill, and then gets each
// of its on-screen parts from the screen at its own offset: a window DC
// does not reliably map the parts of a window beyond the screen's edge.
void CopyWindow(HWND target, const RECT& rect, HDC windowDc, const Compositor& compositor, HDC memory) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const std::vector<RECT> parts = OnScreenParts(rect);
  if (windowDc && Covers(parts, rect)) {
    if (!StretchBlt(memory, 0, 0, width, height, windowDc, 0, 0, width, height, SRCCOPY)) {
      throw Error("Canvas does not allow drawing");
    }
    return;
  }
  FillOffScreen(memory, width, height);
  if (compositor.Enabled() && !Covers(parts, rect)) {
    RECT outer;
    GetWindowRect(target, &outer);  // PrintWindow draws from the outer corner
    POINT previous;
    SetViewportOrgEx(memory, outer.left - rect.left, outer.top - rect.top, &previous);
    PrintWindow(target, memory, kRenderFullContent);
    SetViewportOrgEx(memory, previous.x, previous.y, nullptr);
  }
  CopyFromScreen(memory, {rect.left, rect.top}, parts);
}

}  // namespace

bool TargetAnswers(HWND target, UINT timeoutMs) {
  if (IsHungAppWindow(target)) return false;
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

RECT GrabRect(HWND target, const GrabOptions& options) {
  const Compositor& compositor = TheCompositor();
  RECT rect{};
  if (UsesScreen(options, compositor)) return compositor.VisibleRect(target);
  GetWindowRect(target, &rect);
  return rect;
}

CaptureImage GrabWindowImage(HWND target, const GrabOptions& options) {
  return GrabWindowImage(target, options, TargetAnswers(target, options.answerTimeoutMs));
}

CaptureImage GrabWindowImage(HWND target, const GrabOptions& options, bool answers) {
  const Compositor& compositor = TheCompositor();
  const bool fromScreen = UsesScreen(options, compositor);
  const RECT rect = GrabRect(target, options);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return CaptureImage();

  WindowDc windowDc(target, fromScreen ? nullptr : GetDCEx(target, nullptr, kWindowContext));
  if (!fromScreen && !windowDc) throw Error("Canvas does not allow drawing");
  capture_steps::Mark("rectangle read");
  RaisedWindow raised(target, answers);
  capture_steps::Mark("raised");
  if (answers) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(target, WM_PAINT, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, options.answerTimeoutMs, &ignored);
  }
  capture_steps::Mark("repainted");
  if (fromScreen) {
    compositor.Flush();  // let the compositor show the raised, repainted window
    capture_steps::Mark("compositor flushed");
  }
  auto bitmap = CreateScreenBitmap(width, height);
  {
    const WindowDc screen = ScreenDc();
    UniqueHdc memory(CreateCompatibleDC(screen.get()));
    if (!memory) throw EOutOfResources(kOutOfResourcesText);
    SelectedObject selected(memory.get(), bitmap->Handle());
    CopyWindow(target, rect, windowDc.get(), compositor, memory.get());
    if (options.drawPointer) DrawPointer(memory.get(), {rect.left, rect.top});
  }
  capture_steps::Mark("copied");
  windowDc.reset();
  raised.Restore();
  capture_steps::Mark("restacked");
  return CaptureImage(width, height, std::move(bitmap));
}

CaptureImage GrabScreenParts(const std::vector<RECT>& parts, const GrabOptions& options) {
  RECT bounds{};
  for (const RECT& part : parts) UnionRect(&bounds, &bounds, &part);
  const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  if (width <= 0 || height <= 0) return CaptureImage();
  TheCompositor().Flush();  // let the screen lose what was just hidden
  auto bitmap = CreateScreenBitmap(width, height);
  {
    const WindowDc screen = ScreenDc();
    if (!screen) throw Error("Canvas does not allow drawing");
    UniqueHdc memory(CreateCompatibleDC(screen.get()));
    if (!memory) throw EOutOfResources(kOutOfResourcesText);
    SelectedObject selected(memory.get(), bitmap->Handle());
    FillOffScreen(memory.get(), width, height);
    for (const RECT& part : parts) CopyFromScreen(memory.get(), {bounds.left, bounds.top}, OnScreenParts(part));
    if (options.drawPointer) DrawPointer(memory.get(), {bounds.left, bounds.top});
  }
  return CaptureImage(width, height, std::move(bitmap));
}

void DrawPointer(HDC dc, POINT origin) {
  CURSORINFO cursor{};
  cursor.cbSize = sizeof cursor;
  if (!GetCursorInfo(&cursor) || !(cursor.flags & CURSOR_SHOWING) || !cursor.hCursor) return;
  HCURSOR shape = cursor.hCursor;
  ICONINFO icon{};
  if (!GetIconInfo(shape, &icon)) {
    // Where the system keeps another program's pointer out of reach (Wine
    // does), the standard arrow stands in for it at the same place.
    shape = LoadCursorW(nullptr, IDC_ARROW);
    if (!GetIconInfo(shape, &icon)) return;
  }
  // GetIconInfo hands over copies of the pointer's bitmaps.
  const UniqueHbitmap mask(icon.hbmMask), colour(icon.hbmColor);
  DrawIconEx(dc, cursor.ptScreenPos.x - static_cast<int>(icon.xHotspot) - origin.x,
             cursor.ptScreenPos.y - static_cast<int>(icon.yHotspot) - origin.y, shape, 0, 0, 0, nullptr, DI_NORMAL);
}

CapturedWindow DescribeWindow(HWND target) {
  CapturedWindow window;
  // For another program's window the system answers from its own copy of
  // the title, without sending WM_GETTEXT.
  std::wstring title(512, L'\0');
  title.resize(static_cast<std::size_t>(std::max(0, GetWindowTextW(target, title.data(), 512))));
  window.title = Narrow(title);
  window.process = ProgramNameOf(ProgramPathOf(target));
  SYSTEMTIME now;
  GetLocalTime(&now);
  window.time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  return window;
}

void CaptureWindow(HWND target, const ProgramWindows& windows, CaptureImage& image, const DeliverCapture& deliver,
                   const GrabOptions& options) {
  if (!target || !IsWindow(target)) return;
  const CapturedWindow window = DescribeWindow(target);
  // Asked while the program's windows still cover the target: it is idle
  // then and answers at once, where just after the hiding it would first
  // repaint what they uncovered.
  const bool answers = TargetAnswers(target, options.answerTimeoutMs);
  capture_steps::Mark("answer checked");
  CaptureWithWindowsHidden(windows, image, window, [&] { return GrabWindowImage(target, options, answers); }, deliver);
}

void CaptureWithWindowsHidden(const ProgramWindows& windows, CaptureImage& image, const CapturedWindow& window,
                              const std::function<CaptureImage()>& grab, const DeliverCapture& deliver) {
  // A window hidden before (the tool window in the tray) stays hidden.
  const bool mainShown = ShowWindow(windows.mainWindow, SW_HIDE) != FALSE;
  capture_steps::Mark("main window hidden");
  const bool applicationShown = windows.applicationWindow && ShowWindow(windows.applicationWindow, SW_HIDE);
  capture_steps::Mark("windows hidden");
  // Shown again on every way out, before any error reaches the error box.
  ScopeExit showAgain([&] {
    if (mainShown) ShowWindow(windows.mainWindow, windows.showCommand);
    if (applicationShown) ShowWindow(windows.applicationWindow, windows.showCommand);
    capture_steps::Mark("windows shown");
    capture_steps::Write();
  });
  image = CaptureImage();
  image = grab();
  if (image.Empty()) return;
  deliver(window);
}

}  // namespace tessory
