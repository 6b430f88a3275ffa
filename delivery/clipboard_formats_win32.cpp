#include "delivery/clipboard_formats_win32.h"

#include <oleidl.h>
#include <shlobj.h>

#include <cstring>
#include <span>

#include "framework/error.h"
#include "framework/utf8.h"
#include "imaging/bmp_writer.h"
#include "imaging/png_writer.h"
#include "imaging/rows24_view.h"

namespace tessory {
namespace {

// A movable block of `size` bytes filled by `fill`.
template <typename Fill>
UniqueHglobal Block(std::size_t size, Fill fill) {
  UniqueHglobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  if (!block) throw EOutOfMemory(kOutOfResourcesText);
  void* bytes = GlobalLock(block.get());
  if (!bytes) throw EOutOfMemory(kOutOfResourcesText);
  fill(static_cast<std::uint8_t*>(bytes));
  GlobalUnlock(block.get());
  return block;
}

UniqueHglobal BlockOf(std::span<const std::uint8_t> bytes) {
  return Block(bytes.size(), [&](std::uint8_t* out) { std::memcpy(out, bytes.data(), bytes.size()); });
}

}  // namespace

UniqueHglobal DibBlockOf(const CaptureImage& image) {
  const Rows24View view(image);
  const std::vector<std::uint8_t> header = DibHeader(view.Image());
  const std::span<const std::uint8_t> rows = view.Image().Rows();
  return Block(header.size() + rows.size(), [&](std::uint8_t* out) {
    std::memcpy(out, header.data(), header.size());
    std::memcpy(out + header.size(), rows.data(), rows.size());
  });
}

UniqueHglobal PngBlockOf(const CaptureImage& image) {
  VectorSink png;
  WritePng(png, image, clNone);
  return BlockOf(png.Bytes());
}

UniqueHglobal FileDropBlockOf(const std::vector<std::string>& files) {
  std::wstring list;
  for (const std::string& file : files) {
    list += Widen(file);
    list += L'\0';
  }
  list += L'\0';  // the list ends in an empty name
  const std::size_t listBytes = list.size() * sizeof(wchar_t);
  return Block(sizeof(DROPFILES) + listBytes, [&](std::uint8_t* out) {
    DROPFILES drop{};
    drop.pFiles = sizeof(DROPFILES);
    drop.fWide = TRUE;
    std::memcpy(out, &drop, sizeof drop);
    std::memcpy(out + sizeof drop, list.data(), listBytes);
  });
}

UniqueHglobal CopyDropEffectBlock() {
  const DWORD effect = DROPEFFECT_COPY;
  return Block(sizeof effect, [&](std::uint8_t* out) { std::memcpy(out, &effect, sizeof effect); });
}

UniqueHglobal TextBlockOf(const std::string& text) {
  const std::wstring wide = Widen(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  return Block(bytes, [&](std::uint8_t* out) { std::memcpy(out, wide.c_str(), bytes); });
}

}  // namespace tessory
