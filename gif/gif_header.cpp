#include <string_view>

#include "gif/gif_image.h"
#include "gif/gif_items.h"

namespace tessory {
namespace {

constexpr std::uint8_t kGlobalTablePresent = 0x80;
constexpr std::uint8_t kGlobalTableSorted = 0x08;

}  // namespace

void TGIFHeader::Clear() {
  screenWidth_ = screenHeight_ = 0;
  background_ = aspectRatio_ = 0;
  colorMap_.Clear();
  colorMap_.Optimized = false;
}

void TGIFHeader::Widen(int width, int height) {
  if (screenWidth_ < width) screenWidth_ = static_cast<std::uint16_t>(width);
  if (screenHeight_ < height) screenHeight_ = static_cast<std::uint16_t>(height);
}

// The colour resolution (bits 6-4) and the table size (bits 2-0) both come
// from the largest colour map of the image, global or local, even when
// there is no global table: (bits - 1) modulo 8, so an image whose maps
// are all empty says 7 as well.
std::uint8_t TGIFHeader::PackedFields() const {
  const int size = (Image().LargestColorMapBits() - 1) & 7;
  std::uint8_t packed = static_cast<std::uint8_t>((size << 4) | size);
  if (!colorMap_.Empty()) {
    packed |= kGlobalTablePresent;
    if (colorMap_.Optimized) packed |= kGlobalTableSorted;
  }
  return packed;
}

void TGIFHeader::SaveToStream(ByteSink& stream) {
  const GifVersion version = Image().Version();
  if (version == GifVersion::Unknown) throw GIFException("Unsupported GIF version");
  const std::string_view signature = version == GifVersion::Gif89a ? "GIF89a" : "GIF87a";
  std::vector<std::uint8_t> out(signature.begin(), signature.end());
  // GIF89a logical screen descriptor: width, height, packed fields,
  // background colour index, pixel aspect ratio.
  PutU16Le(out, screenWidth_);
  PutU16Le(out, screenHeight_);
  const std::uint8_t packed = PackedFields();
  out.insert(out.end(), {packed, background_, aspectRatio_});
  if (packed & kGlobalTablePresent) colorMap_.AppendTable(out);
  stream.Write(out);
}

}  // namespace tessory
