#include "imaging/clipboard_win32.h"

#include <cstring>
#include <utility>
#include <vector>

#include "framework/application_win32.h"
#include "framework/error.h"
#include "framework/handles_win32.h"
#include "framework/win32_error_win32.h"
#include "imaging/bmp_writer.h"
#include "imaging/screen_bitmap_win32.h"

namespace tessory {
namespace {

// Opens the clipboard for the length of a scope.
class ClipboardScope {
 public:
  ClipboardScope() { ClipboardOwner::Instance().Open(); }
  ~ClipboardScope() { ClipboardOwner::Instance().Close(); }
  ClipboardScope(const ClipboardScope&) = delete;
  ClipboardScope& operator=(const ClipboardScope&) = delete;
};

// A DIB section holding the stored rows of an image in one of the four formats.
UniqueHbitmap DibOf(const CaptureImage& image) {
  const std::vector<std::uint8_t> info = DibHeader(image);
  void* bits = nullptr;
  UniqueHbitmap dib(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits,
                                     nullptr, 0));
  if (!dib || !bits) RaiseOutOfResources();
  std::memcpy(bits, image.Rows().data(), image.Rows().size());
  return dib;
}

LRESULT CALLBACK HiddenOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateHiddenOwner() {
  static const ATOM windowClass = [] {
    WNDCLASSW info{};
    info.lpfnWndProc = HiddenOwnerProc;
    info.hInstance = GetModuleHandleW(nullptr);
    info.lpszClassName = L"TessoryClipboardOwner";
    return RegisterClassW(&info);
  }();
  return CreateWindowExW(0, MAKEINTATOM(windowClass), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

ClipboardOwner& ClipboardOwner::Instance() {
  static ClipboardOwner owner;
  return owner;
}

void ClipboardOwner::Open() {
  if (openCount_ == 0) {
    owner_ = Application::Instance().Handle();
    if (!owner_) {
      ownWindow_.reset(CreateHiddenOwner());
      owner_ = ownWindow_.get();
    }
    emptied_ = false;
    if (!OpenClipboard(owner_)) {
      ownWindow_.reset();
      owner_ = nullptr;
      throw Error("Cannot open clipboard");
    }
  }
  ++openCount_;
}

void ClipboardOwner::Close() noexcept {
  if (openCount_ == 0) return;
  if (--openCount_ > 0) return;
  CloseClipboard();
  ownWindow_.reset();
  owner_ = nullptr;
}

void ClipboardOwner::EmptyOnce() {
  if (emptied_) return;
  Open();
  EmptyClipboard();
  Close();
  emptied_ = true;
}

SelectableBitmap SelectableBitmapOf(const CaptureImage& image) {
  if (const ScreenBitmap* screen = ScreenBitmapOf(image)) return {screen->Handle(), UniqueHbitmap()};
  if (image.Format() == PixelFormat::Device) throw EConvertError("Invalid image");
  UniqueHbitmap dib = DibOf(image);
  const HBITMAP handle = dib.get();
  return {handle, std::move(dib)};
}

void CopyImageToClipboard(const CaptureImage& image) {
  ClipboardScope open;
  ClipboardOwner::Instance().EmptyOnce();

  const WindowDc screen = ScreenDc();
  if (!screen) RaiseOutOfResources();
  UniqueHbitmap copy(CreateCompatibleBitmap(screen.get(), image.Width(), image.Height()));
  UniqueHdc target(CreateCompatibleDC(screen.get()));
  UniqueHdc source(CreateCompatibleDC(screen.get()));
  if (!copy || !target || !source) RaiseOutOfResources();
  const SelectableBitmap sourceBitmap = SelectableBitmapOf(image);
  {
    SelectedObject selectedCopy(target.get(), copy.get());
    SelectedObject selectedSource(source.get(), sourceBitmap.handle);
    const RECT all{0, 0, image.Width(), image.Height()};
    FillRect(target.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(target.get(), RGB(0, 0, 0));
    SetBkColor(target.get(), RGB(255, 255, 255));
    if (!BitBlt(target.get(), 0, 0, image.Width(), image.Height(), source.get(), 0, 0, SRCCOPY)) {
      RaiseOutOfResources();
    }
  }
  // The clipboard owns the bitmap once it is placed.
  if (SetClipboardData(CF_BITMAP, copy.get())) (void)copy.release();
}

}  // namespace tessory
