// Owners for Win32 handles. Each handle type is a one-line alias over
// UniqueHandle: move-only, closed exactly once. Handles whose release needs
// a second value (a DC and its window, a selected object and its DC) get
// small carrier types that keep both.
#pragma once

#include <windows.h>

#include <utility>

namespace tessory {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }
  // Gives up ownership: the caller (or the system) closes it now.
  [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle handle = Traits::Invalid()) noexcept {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

template <typename H, auto CloseFunction>
struct NullHandleTraits {
  using Handle = H;
  static constexpr Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle handle) noexcept { CloseFunction(handle); }
};

using UniqueHdc = UniqueHandle<NullHandleTraits<HDC, ::DeleteDC>>;
using UniqueHbitmap = UniqueHandle<NullHandleTraits<HBITMAP, ::DeleteObject>>;
using UniqueHpalette = UniqueHandle<NullHandleTraits<HPALETTE, ::DeleteObject>>;
using UniqueHbrush = UniqueHandle<NullHandleTraits<HBRUSH, ::DeleteObject>>;
using UniqueHrgn = UniqueHandle<NullHandleTraits<HRGN, ::DeleteObject>>;
using UniqueHfont = UniqueHandle<NullHandleTraits<HFONT, ::DeleteObject>>;
using UniqueHkey = UniqueHandle<NullHandleTraits<HKEY, ::RegCloseKey>>;
using UniqueHmodule = UniqueHandle<NullHandleTraits<HMODULE, ::FreeLibrary>>;
using UniqueHwnd = UniqueHandle<NullHandleTraits<HWND, ::DestroyWindow>>;
using UniqueHicon = UniqueHandle<NullHandleTraits<HICON, ::DestroyIcon>>;
using UniqueHhook = UniqueHandle<NullHandleTraits<HHOOK, ::UnhookWindowsHookEx>>;
// Text the system allocated for the caller (FormatMessage's buffer).
using UniqueLocalText = UniqueHandle<NullHandleTraits<wchar_t*, ::LocalFree>>;
using UniqueHmenu = UniqueHandle<NullHandleTraits<HMENU, ::DestroyMenu>>;
using UniqueHglobal = UniqueHandle<NullHandleTraits<HGLOBAL, ::GlobalFree>>;
// A process or thread handle: OpenProcess gives null, not INVALID_HANDLE_VALUE, when it fails.
using UniqueProcessHandle = UniqueHandle<NullHandleTraits<HANDLE, ::CloseHandle>>;

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) noexcept { ::CloseHandle(handle); }
};
using UniqueFileHandle = UniqueHandle<KernelHandleTraits>;

// A window's device context (GetDC / GetDCEx), released with its window.
class WindowDc {
 public:
  WindowDc(HWND window, HDC dc) noexcept : window_(window), dc_(dc) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDc(WindowDc&& other) noexcept : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  WindowDc& operator=(WindowDc&&) = delete;

  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }
  // Releases the context now rather than at the end of the scope.
  void reset() noexcept {
    if (dc_) ::ReleaseDC(window_, std::exchange(dc_, nullptr));
  }

 private:
  HWND window_;
  HDC dc_;
};

// The screen's device context.
inline WindowDc ScreenDc() noexcept { return WindowDc(nullptr, ::GetDC(nullptr)); }

// An object selected into a DC; the previous object is put back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The pointer captured for a window, released at the end of the scope.
class MouseCapture {
 public:
  explicit MouseCapture(HWND window) noexcept : window_(window) { ::SetCapture(window); }
  ~MouseCapture() {
    if (::GetCapture() == window_) ::ReleaseCapture();
  }
  MouseCapture(const MouseCapture&) = delete;
  MouseCapture& operator=(const MouseCapture&) = delete;

 private:
  HWND window_;
};

// A pointer shape shown for the scope; the previous shape comes back.
class CursorOverride {
 public:
  explicit CursorOverride(HCURSOR cursor) noexcept : previous_(::SetCursor(cursor)) {}
  // Without a previous shape, the arrow (IDC_ARROW, spelt out in its wide
  // form: the header serves code built without UNICODE too).
  ~CursorOverride() { ::SetCursor(previous_ ? previous_ : ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512))); }
  CursorOverride(const CursorOverride&) = delete;
  CursorOverride& operator=(const CursorOverride&) = delete;

 private:
  HCURSOR previous_;
};

// A function of a loaded library as its own type, or null.
template <typename F>
F ProcAddress(HMODULE module, const char* name) noexcept {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Runs a function when the scope ends, unless dismissed.
template <typename F>
class ScopeExit {
 public:
  explicit ScopeExit(F action) : action_(std::move(action)) {}
  ~ScopeExit() {
    if (armed_) action_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  void Dismiss() noexcept { armed_ = false; }

 private:
  F action_;
  bool armed_ = true;
};

}  // namespace tessory
