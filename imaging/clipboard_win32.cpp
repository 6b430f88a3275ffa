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

// The clipboard, open for the length of a scope. Its owner is the
// application window or, without one, a hidden window of its own.
class ClipboardSession {
 public:
  ClipboardSession() {
    HWND owner = Application::Instance().Handle();
    if (!owner) {
      ownWindow_.reset(CreateHiddenOwner());
      owner = ownWindow_.get();
    }
    if (!OpenClipboard(owner)) throw Error("Cannot open clipboard");
  }
  ~ClipboardSession() { CloseClipboard(); }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;

  void Empty() noexcept { EmptyClipboard(); }

  // Places `bitmap`, which the clipboard owns from then on.
  void Place(UniqueHbitmap bitmap) {
    if (!SetClipboardData(CF_BITMAP, bitmap.get())) throw Error("Cannot set clipboard data");
    (void)bitmap.release();
  }

 private:
  UniqueHwnd ownWindow_;  // the hidden owner, when it is one of ours; destroyed after the close
};

}  // namespace

SelectableBitmap SelectableBitmapOf(const CaptureImage& image) {
  if (const ScreenBitmap* screen = ScreenBitmapOf(image)) return {screen->Handle(), UniqueHbitmap()};
  if (image.Format() == PixelFormat::Device) throw EConvertError("Invalid image");
  UniqueHbitmap dib = DibOf(image);
  const HBITMAP handle = dib.get();
  return {handle, std::move(dib)};
}

void CopyImageToClipboard(const CaptureImage& image) {
  ClipboardSession clipboard;
  clipboard.Empty();

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
  clipboard.Place(std::move(copy));
}

}  // namespace tessory
