#include "gif/gif_image.h"

#include <algorithm>

namespace tessory {

void TGIFImage::Clear() {
  images_.clear();
  header_.Clear();
}

void TGIFImage::AssignBitmap(CaptureImage& bitmap) {
  Clear();
  auto frame = std::make_unique<TGIFSubImage>(*this);
  frame->AssignBitmap(bitmap);  // a failure discards the frame
  images_.push_back(std::move(frame));
}

GifVersion TGIFImage::Version() const {
  GifVersion version = GifVersion::Unknown;
  for (const auto& frame : images_) version = std::max(version, frame->Version());
  return version;
}

int TGIFImage::LargestColorMapBits() const {
  int bits = header_.ColorMap().BitsPerPixel();
  for (const auto& frame : images_) bits = std::max(bits, frame->ColorMap().BitsPerPixel());
  return bits;
}

void TGIFImage::SaveToStream(ByteSink& stream) {
  header_.SaveToStream(stream);
  for (const auto& frame : images_) frame->SaveToStream(stream);
  // GIF89a: the trailer ends the data stream.
  static constexpr std::uint8_t kTrailer[] = {0x3B};
  stream.Write(kTrailer);
}

void WriteCaptureGif(CaptureImage& image, ByteSink& sink, GifThreading threading) {
  TGIFImage gif;
  gif.ReductionMethod = kReductionOctree;
  gif.DitherStyle = kDitherFloydSteinberg;
  gif.Threading = threading;
  gif.AssignBitmap(image);
  gif.SaveToStream(sink);
}

}  // namespace tessory
