#include <cstdint>
#include <thread>

#include "gif/color_reduction.h"
#include "gif/gif_image.h"
#include "gif/gif_items.h"
#include "gif/lzw_encoder.h"

namespace tessory {
namespace {

constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kLocalTablePresent = 0x80;
constexpr std::uint8_t kInterlaced = 0x40;
constexpr std::uint8_t kLocalTableSorted = 0x20;
constexpr std::uint8_t kReservedBits = 0x18;
constexpr int kMaxDimension = 65535;
// Below this many pixels the whole LZW stage takes about as long as
// starting and joining a thread.
constexpr std::int64_t kSecondThreadPixels = std::int64_t{1} << 18;

bool UseSecondThread(GifThreading threading, const CaptureImage& bitmap) {
  if (threading != GifThreading::Automatic) return threading == GifThreading::SecondThread;
  return std::thread::hardware_concurrency() >= 2 &&
         std::int64_t{bitmap.Width()} * bitmap.Height() >= kSecondThreadPixels;
}

// An 8-bit image as it is: its indices top row first and its colour table.
IndexedImage IndexedFrom8Bit(const CaptureImage& bitmap) {
  IndexedImage result = AllocateIndexedImage(bitmap.Width(), bitmap.Height(), 256);
  const std::size_t stride = bitmap.Stride();
  const std::size_t width = static_cast<std::size_t>(bitmap.Width());
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* row = bitmap.Rows().data() + stride * static_cast<std::size_t>(bitmap.Height() - 1 - y);
    std::copy(row, row + width, result.Row(y));
  }
  for (std::size_t i = 0; i < 256; ++i) {
    const RgbQuad& c = bitmap.Colors()[i];
    result.palette[i] = {c.red, c.green, c.blue};
  }
  return result;
}

}  // namespace

void TGIFSubImage::Clear() {
  left_ = top_ = width_ = height_ = 0;
  colorMap_.Clear();
  bitmap_ = IndexedImage{};
  coded_.reset();
}

void TGIFSubImage::SetSize(int width, int height) {
  width_ = static_cast<std::uint16_t>(width);
  Image().Header().Widen(left_ + width_, 0);
  height_ = static_cast<std::uint16_t>(height);
  Image().Header().Widen(0, top_ + height_);
}

void TGIFSubImage::AssignBitmap(CaptureImage& bitmap) {
  Clear();
  if (bitmap.Empty()) return;
  // The image descriptor's width and height are 16-bit fields.
  if (bitmap.Width() > kMaxDimension || bitmap.Height() > kMaxDimension) {
    throw GIFException("Image too large for GIF: at most 65535 x 65535 pixels");
  }
  SetSize(bitmap.Width(), bitmap.Height());
  if (bitmap.Format() == PixelFormat::Bits8) {
    bitmap_ = IndexedFrom8Bit(bitmap);
  } else {
    Reduce(bitmap);
  }
  ImportIndexed();
}

void TGIFSubImage::Reduce(CaptureImage& bitmap) {
  const TGIFImage& image = Image();
  if (!UseSecondThread(image.Threading, bitmap)) {
    bitmap_ = ReduceToPalette(bitmap, image.ReductionMethod, image.DitherStyle, image.PaletteBits);
    return;
  }
  OverlappedLzwCoder coder;  // joined on every path out
  bitmap_ = ReduceToPalette(bitmap, image.ReductionMethod, image.DitherStyle, image.PaletteBits, &coder);
  try {
    coded_ = coder.Finish();
  } catch (const std::exception&) {
    // Coding errors belong to the write. Without stored data SaveToStream
    // codes the frame on the caller's thread, and the same error is raised
    // there, after the same bytes, as in a single-thread write.
    coded_.reset();
  }
}

// The indices stay where the reduction put them: the frame writes them
// from there, so a copy would only cost the time and pages of one.
void TGIFSubImage::ImportIndexed() {
  colorMap_.Assign(bitmap_.palette);
}

GifVersion TGIFSubImage::Version() const {
  return colorMap_.Optimized ? GifVersion::Gif89a : GifVersion::Gif87a;
}

// With a local table: present, sorted if optimised, and its size, which
// also clears the interlace flag. Without one only the interlace and
// reserved bits remain.
std::uint8_t TGIFSubImage::PackedFields() const {
  if (colorMap_.Empty()) return packed_ & (kInterlaced | kReservedBits);
  std::uint8_t packed = kLocalTablePresent | static_cast<std::uint8_t>((colorMap_.BitsPerPixel() - 1) & 7);
  if (colorMap_.Optimized) packed |= kLocalTableSorted;
  return packed;
}

void TGIFSubImage::SaveToStream(ByteSink& stream) {
  if (Data().empty() || width_ == 0 || height_ == 0) return;
  packed_ = PackedFields();
  // GIF89a image descriptor: separator, left, top, width, height, packed
  // fields; the local colour table follows it directly.
  std::vector<std::uint8_t> out = {kImageSeparator};
  PutU16Le(out, left_);
  PutU16Le(out, top_);
  PutU16Le(out, width_);
  PutU16Le(out, height_);
  out.push_back(packed_);
  colorMap_.AppendTable(out);
  stream.Write(out);

  int bits = colorMap_.BitsPerPixel();
  int colors = colorMap_.Count();
  if (colorMap_.Empty()) {
    bits = Image().LargestColorMapBits();
    colors = 1 << bits;
  }
  if (coded_ && coded_->bitsPerPixel == bits && coded_->colorCount == colors) {
    stream.Write(coded_->data);
    return;
  }
  TLZWEncoder encoder;
  encoder.EncodeFrame(stream, bits, width_, height_, Data(), colors);
}

}  // namespace tessory
