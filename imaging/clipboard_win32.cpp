#include "imaging/clipboard_win32.h"

#include <cstring>
#include <utility>
#include <vector>

#include "framework/application_win32.h"
#include "framework/error.h"
#include "framework/handles_win32.h"
#include "framework/win32_error.h"
#include "framework/window_process_win32.h"
#include "imaging/clipboard_formats_win32.h"
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
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = image.Width();
  info.header.biHeight = image.Height();
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(BitsPerPixel(image.Format()));
  info.header.biCompression = BI_RGB;
  if (image.Format() == PixelFormat::Bits16) {
    info.header.biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info.colors, masks, sizeof masks);
  } else if (image.Format() == PixelFormat::Bits8) {
    info.header.biClrUsed = 256;
    for (int i = 0; i < 256; ++i) {
      const RgbQuad& c = image.Colors()[i];
      info.colors[i] = {c.blue, c.green, c.red, 0};
    }
  }
  void* bits = nullptr;
  UniqueHbitmap dib(
      CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
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

// Places one block; the clipboard owns it once placed.
template <typename Handle>
void Place(UINT format, Handle& data) {
  if (SetClipboardData(format, data.get())) (void)data.release();
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
    bool opened = OpenClipboard(owner_);
    for (int attempt = 1; !opened && attempt < kOpenAttempts; ++attempt) {
      Sleep(kOpenRetryMs);
      opened = OpenClipboard(owner_);
    }
    if (!opened) {
      const std::string text = CannotOpenText();
      ownWindow_.reset();
      owner_ = nullptr;
      throw Error(text);
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

void CopyToClipboard(const ClipboardContent& content) {
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

  ClipboardScope open;
  ClipboardOwner::Instance().EmptyOnce();
  if (bitmap) {
    Place(CF_BITMAP, bitmap);
    Place(CF_DIB, dib);
    Place(RegisterClipboardFormatW(kPngFormatName), png);
  }
  if (files) {
    Place(CF_HDROP, files);
    Place(RegisterClipboardFormatW(kDropEffectFormatName), dropEffect);
  }
  if (text) Place(CF_UNICODETEXT, text);
}

void CopyImageToClipboard(const CaptureImage& image) {
  ClipboardContent content;
  content.image = &image;
  CopyToClipboard(content);
}

}  // namespace tessory
