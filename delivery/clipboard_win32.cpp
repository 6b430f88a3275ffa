#include "delivery/clipboard_win32.h"

#include <cstring>
#include <utility>
#include <vector>

#include "framework/application_win32.h"
#include "framework/error.h"
#include "framework/handles_win32.h"
#include "framework/win32_error_win32.h"
#include "framework/window_process_win32.h"
#include "imaging/bmp_writer.h"
#include "delivery/clipboard_formats_win32.h"
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

// How long a clipboard held by another program is waited for, in steps.
constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenRetryMs = 50;

// "Cannot open clipboard", and the program that holds it on its own line.
std::string CannotOpenText() {
  std::string text = "Cannot open clipboard";
  if (const std::string holder = ProgramFileOf(GetOpenClipboardWindow()); !holder.empty()) text += "\n" + holder;
  return text;
}

// The clipboard, open for the length of a scope, for `owner`. Without an
// owner the system still opens it and lets it be emptied, but then refuses
// every block: the user's clipboard would be lost for nothing, so no open
// is tried at all.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner) {
    if (!owner) throw Error("Cannot open clipboard");
    bool opened = OpenClipboard(owner);
    for (int attempt = 1; !opened && attempt < kOpenAttempts; ++attempt) {
      Sleep(kOpenRetryMs);
      opened = OpenClipboard(owner);
    }
    if (!opened) throw Error(CannotOpenText());
  }
  ~ClipboardSession() { CloseClipboard(); }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;

  void Empty() noexcept { EmptyClipboard(); }

  // Places `data` as `format`; the clipboard owns it from then on.
  template <typename Handle>
  void Place(UINT format, Handle& data) {
    if (!SetClipboardData(format, data.get())) throw Error("Cannot set clipboard data");
    (void)data.release();
  }
};

// A copy of `image` as a bitmap compatible with the screen.
UniqueHbitmap ScreenCopyOf(const CaptureImage& image) {
  const WindowDc screen = ScreenDc();
  if (!screen) RaiseOutOfResources();
  UniqueHbitmap copy(CreateCompatibleBitmap(screen.get(), image.Width(), image.Height()));
  UniqueHdc target(CreateCompatibleDC(screen.get()));
  UniqueHdc source(CreateCompatibleDC(screen.get()));
  if (!copy || !target || !source) RaiseOutOfResources();
  const SelectableBitmap sourceBitmap = SelectableBitmapOf(image);
  SelectedObject selectedCopy(target.get(), copy.get());
  SelectedObject selectedSource(source.get(), sourceBitmap.handle);
  const RECT all{0, 0, image.Width(), image.Height()};
  FillRect(target.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetTextColor(target.get(), RGB(0, 0, 0));
  SetBkColor(target.get(), RGB(255, 255, 255));
  if (!BitBlt(target.get(), 0, 0, image.Width(), image.Height(), source.get(), 0, 0, SRCCOPY)) {
    RaiseOutOfResources();
  }
  return copy;
}

}  // namespace

SelectableBitmap SelectableBitmapOf(const CaptureImage& image) {
  if (const ScreenBitmap* screen = ScreenBitmapOf(image)) return {screen->Handle(), UniqueHbitmap()};
  if (image.Format() == PixelFormat::Device) throw EConvertError("Invalid image");
  UniqueHbitmap dib = DibOf(image);
  const HBITMAP handle = dib.get();
  return {handle, std::move(dib)};
}

void CopyToClipboard(const ClipboardContent& content) {
  HWND owner = Application::Instance().Handle();
  UniqueHwnd hiddenOwner;  // destroyed after the clipboard is closed again
  if (!owner) {
    hiddenOwner.reset(CreateHiddenOwner());
    owner = hiddenOwner.get();
  }
  CopyToClipboardOwnedBy(owner, content);
}

void CopyToClipboardOwnedBy(HWND owner, const ClipboardContent& content) {
  // Everything is made before the clipboard is opened: other programs wait
  // for it no longer than the placing takes, and a failure here leaves the
  // clipboard as it was.
  UniqueHbitmap bitmap;
  UniqueHglobal dib, png, files, dropEffect, text;
  if (content.image) {
    bitmap = ScreenCopyOf(*content.image);
    dib = DibBlockOf(*content.image);
    png = PngBlockOf(*content.image);
  }
  if (!content.files.empty()) {
    files = FileDropBlockOf(content.files);
    dropEffect = CopyDropEffectBlock();
  }
  if (content.text) text = TextBlockOf(*content.text);

  ClipboardSession clipboard(owner);
  clipboard.Empty();
  if (bitmap) {
    clipboard.Place(CF_BITMAP, bitmap);
    clipboard.Place(CF_DIB, dib);
    clipboard.Place(RegisterClipboardFormatW(kPngFormatName), png);
  }
  if (files) {
    clipboard.Place(CF_HDROP, files);
    clipboard.Place(RegisterClipboardFormatW(kDropEffectFormatName), dropEffect);
  }
  if (text) clipboard.Place(CF_UNICODETEXT, text);
}

void CopyImageToClipboard(const CaptureImage& image) {
  ClipboardContent content;
  content.image = &image;
  CopyToClipboard(content);
}

}  // namespace tessory
