#include "app/window_grab_win32.h"

#include "framework/error.h"
#include "framework/handles_win32.h"
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

// Whether the target's thread answers within the timeout. A hung target is
// neither repainted nor re-stacked synchronously, so it cannot freeze us.
bool Answers(HWND target, UINT timeoutMs) {
  if (IsHungAppWindow(target)) return false;
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

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

// Copies `width` x `height` from `source` at (x, y) into a new screen bitmap.
CaptureImage CopyInto(HDC source, int x, int y, int width, int height) {
  if (!source) throw Error("Canvas does not allow drawing");
  auto bitmap = CreateScreenBitmap(width, height);
  UniqueHdc memory(CreateCompatibleDC(source));
  if (!memory) throw EOutOfResources("Out of system resources");
  {
    SelectedObject selected(memory.get(), bitmap->Handle());
    if (!StretchBlt(memory.get(), 0, 0, width, height, source, x, y, width, height, SRCCOPY)) {
      throw Error("Canvas does not allow drawing");
    }
  }
  return CaptureImage(width, height, std::move(bitmap));
}

}  // namespace

CaptureImage GrabWindowImage(HWND target, const GrabOptions& options) {
  const Compositor compositor;
  const bool fromScreen = options.source == CopySource::Screen ||
                          (options.source == CopySource::Automatic && compositor.Enabled());
  RECT rect{};
  GetWindowRect(target, &rect);
  if (fromScreen) rect = compositor.VisibleRect(target);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return CaptureImage();

  WindowDc windowDc(target, fromScreen ? nullptr : GetDCEx(target, nullptr, kWindowContext));
  const bool answers = Answers(target, options.answerTimeoutMs);
  RaisedWindow raised(target, answers);
  if (answers) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(target, WM_PAINT, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, options.answerTimeoutMs, &ignored);
  }
  CaptureImage image;
  if (fromScreen) {
    compositor.Flush();  // let the compositor show the raised, repainted window
    const WindowDc screen = ScreenDc();
    image = CopyInto(screen.get(), rect.left, rect.top, width, height);
  } else {
    image = CopyInto(windowDc.get(), 0, 0, width, height);
  }
  windowDc.reset();
  raised.Restore();
  return image;
}

void CaptureWindow(HWND target, const ProgramWindows& windows, CaptureImage& image, CaptureDelivery& delivery,
                   std::int32_t saveOption, const GrabOptions& options) {
  if (!target || !IsWindow(target)) return;
  ShowWindow(windows.mainWindow, SW_HIDE);
  if (windows.applicationWindow) ShowWindow(windows.applicationWindow, SW_HIDE);
  // Shown again on every way out, before any error reaches the error box.
  ScopeExit showAgain([&] {
    ShowWindow(windows.mainWindow, SW_SHOW);
    if (windows.applicationWindow) ShowWindow(windows.applicationWindow, SW_SHOW);
  });
  image = CaptureImage();
  image = GrabWindowImage(target, options);
  if (image.Empty()) return;
  delivery.Deliver(saveOption);
}

}  // namespace tessory
