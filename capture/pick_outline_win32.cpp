#include "capture/pick_outline_win32.h"

#include <algorithm>

#include "framework/dpi_win32.h"
#include "framework/utf8.h"

namespace tessory {
namespace {

constexpr wchar_t kFrameClass[] = L"TessoryPickOutline";
constexpr wchar_t kLabelClass[] = L"TessoryPickLabel";
constexpr DWORD kPartExStyle = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST;
constexpr UINT kPlaceFlags = SWP_NOACTIVATE | SWP_NOOWNERZORDER;

// An amber line between two dark ones: it stands out on light and on dark
// windows alike. The label is dark with light text and an amber edge.
constexpr COLORREF kAccent = RGB(255, 176, 0);
constexpr COLORREF kDark = RGB(24, 24, 24);
constexpr COLORREF kLabelText = RGB(250, 250, 250);
// Sizes at the design DPI.
constexpr int kThickness = 4, kEdge = 1, kLabelGap = 16, kLabelPadding = 4, kLabelMaxWidth = 480;

void RegisterPartClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_CROSS);
  windowClass.lpszClassName = name;
  RegisterClassExW(&windowClass);
}

// The effective DPI of a monitor; the design DPI where the system cannot tell.
int MonitorDpi(HMONITOR monitor) {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const UniqueHmodule shcore(LoadLibraryW(L"shcore.dll"));
  static const auto getDpi = ProcAddress<GetDpiForMonitorFn>(shcore.get(), "GetDpiForMonitor");
  UINT x = kDesignDpi, y = kDesignDpi;
  if (!getDpi || FAILED(getDpi(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) || x == 0) return kDesignDpi;
  return static_cast<int>(x);
}

PixelRect ToPixelRect(const RECT& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}
RECT ToRect(const PixelRect& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

PixelRect VirtualScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

void Fill(HDC dc, RECT rect, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

RECT Inset(RECT rect, int by) {
  InflateRect(&rect, -by, -by);
  return rect;
}

}  // namespace

PickOutline::PickOutline(HWND owner) {
  static const bool registered = [] {
    RegisterPartClass(kFrameClass, &PickOutline::PartProc);
    RegisterPartClass(kLabelClass, &PickOutline::PartProc);
    return true;
  }();
  (void)registered;
  frame_.reset(CreatePart(kFrameClass, owner));
  label_.reset(CreatePart(kLabelClass, owner));
}

HWND PickOutline::CreatePart(const wchar_t* windowClass, HWND owner) {
  HWND part = CreateWindowExW(kPartExStyle, windowClass, L"", WS_POPUP, 0, 0, 0, 0, owner, nullptr,
                              GetModuleHandleW(nullptr), this);
  // Opaque: layered only so that the pointer and its pick pass through.
  if (part) SetLayeredWindowAttributes(part, 0, 255, LWA_ALPHA);
  return part;
}

void PickOutline::Show(const RECT& target, const std::string& text, POINT pointer) {
  const int dpi = MonitorDpi(MonitorFromRect(&target, MONITOR_DEFAULTTONEAREST));
  thickness_ = ScaleToDpi(kThickness, dpi);
  edge_ = std::max(1, ScaleToDpi(kEdge, dpi));
  ring_ = OutlineRing(ToPixelRect(target), VirtualScreen(), thickness_);
  if (ring_.Empty()) return Hide();
  // The frame covers the ring's outer rectangle, shaped to its four bands
  // (in the window's own coordinates).
  UniqueHrgn shape(CreateRectRgn(0, 0, 0, 0));
  for (const PixelRect& band : RingBands(ring_, thickness_)) {
    const UniqueHrgn part(CreateRectRgn(band.left - ring_.left, band.top - ring_.top, band.right - ring_.left,
                                        band.bottom - ring_.top));
    if (shape && part) CombineRgn(shape.get(), shape.get(), part.get(), RGN_OR);
  }
  if (shape && SetWindowRgn(frame_.get(), shape.get(), TRUE)) (void)shape.release();  // the window owns it now
  SetWindowPos(frame_.get(), HWND_TOPMOST, ring_.left, ring_.top, ring_.Width(), ring_.Height(),
               kPlaceFlags | SWP_SHOWWINDOW);
  InvalidateRect(frame_.get(), nullptr, FALSE);
  ShowLabel(text, pointer);
}

void PickOutline::ShowLabel(const std::string& text, POINT pointer) {
  text_ = Widen(text);
  SetWindowTextW(label_.get(), text_.c_str());  // also for screen readers
  const int labelDpi = MonitorDpi(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(labelDpi));
  if (metrics.lfMessageFont.lfHeight == 0) metrics.lfMessageFont.lfHeight = -ScaleToDpi(12, labelDpi);
  font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
  padding_ = ScaleToDpi(kLabelPadding, labelDpi);
  {
    WindowDc dc(label_.get(), GetDC(label_.get()));
    SelectedObject font(dc.get(), font_.get());
    RECT measured{0, 0, 0, 0};
    DrawTextW(dc.get(), text_.c_str(), -1, &measured, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    labelSize_ = {std::min<int>(measured.right, ScaleToDpi(kLabelMaxWidth, labelDpi)) + 2 * padding_ + 2 * edge_,
                  measured.bottom + 2 * padding_ + 2 * edge_};
  }
  visible_ = true;
  PlaceLabel(pointer);
  InvalidateRect(label_.get(), nullptr, FALSE);
}

void PickOutline::FollowPointer(POINT pointer) {
  if (visible_) PlaceLabel(pointer);
}

void PickOutline::PlaceLabel(POINT pointer) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor);
  const int gap = ScaleToDpi(kLabelGap, MonitorDpi(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST)));
  const PixelRect place =
      LabelPlacement(pointer.x, pointer.y, labelSize_.cx, labelSize_.cy, ToPixelRect(monitor.rcWork), gap);
  SetWindowPos(label_.get(), HWND_TOPMOST, place.left, place.top, place.Width(), place.Height(),
               kPlaceFlags | SWP_SHOWWINDOW);
}

void PickOutline::Hide() {
  visible_ = false;
  ring_ = {};
  ShowWindow(frame_.get(), SW_HIDE);
  ShowWindow(label_.get(), SW_HIDE);
}

void PickOutline::PaintFrame(HDC dc) const {
  RECT ring = ToRect(ring_);
  OffsetRect(&ring, -ring_.left, -ring_.top);
  // Dark edge, amber line, dark edge; the shape leaves the middle out.
  Fill(dc, ring, kDark);
  Fill(dc, Inset(ring, edge_), kAccent);
  Fill(dc, Inset(ring, thickness_ - edge_), kDark);
}

void PickOutline::PaintLabel(HDC dc) const {
  RECT client;
  GetClientRect(label_.get(), &client);
  Fill(dc, client, kAccent);
  Fill(dc, Inset(client, edge_), kDark);
  RECT text = Inset(client, edge_ + padding_);
  SelectedObject font(dc, font_.get());
  SetTextColor(dc, kLabelText);
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text_.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS);
}

LRESULT CALLBACK PickOutline::PartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  const auto* outline = reinterpret_cast<const PickOutline*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (outline) {
        if (window == outline->label_.get())
          outline->PaintLabel(dc);
        else
          outline->PaintFrame(dc);
      }
      EndPaint(window, &paint);
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tessory
