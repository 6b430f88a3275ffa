// GIF images as the capture flow writes them: one frame reduced to a
// 256-colour local colour table and coded with LZW.
//
// HOW TO USE
//   TGIFImage gif;
//   gif.ReductionMethod = kReductionOctree;
//   gif.DitherStyle = kDitherFloydSteinberg;
//   gif.AssignBitmap(image);  // converts `image` to 24 bits, then reduces it
//   gif.SaveToStream(file);  // an OutputFile: whole or not at all
//
// ERRORS
//   Every failure is an exception: GIFException with the unit's own texts,
//   EOutOfMemory "Failed to allocate memory for GIF DIB", EConvertError for
//   reduction settings that are not built, and the file layer's errors.
//   AssignBitmap fails before any file exists; a failure while writing
//   leaves no file behind (an existing one stays as it was) and is never
//   reported as success.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/color_reduction.h"
#include "gif/gif_error.h"
#include "gif/gif_items.h"
#include "imaging/byte_sink.h"
#include "imaging/capture_image.h"

namespace tessory {

using TGIFImageList = std::vector<std::unique_ptr<TGIFSubImage>>;

class TGIFImage {
 public:
  // A cleared image: no frames, a 0 x 0 screen, an empty global colour map.
  TGIFImage() : header_(*this) {}
  // Its parts point back at it, so it stays where it was made.
  TGIFImage(const TGIFImage&) = delete;
  TGIFImage& operator=(const TGIFImage&) = delete;

  // Colour reduction of AssignBitmap: kReductionOctree (7; the default 6,
  // the 216-colour cube, is not built); kDitherNearest (0) or
  // kDitherFloydSteinberg (1); a palette of 2^PaletteBits entries.
  std::uint8_t ReductionMethod = 6;
  std::int32_t PaletteBits = 8;
  std::uint8_t DitherStyle = 0;
  // Whether AssignBitmap codes the frame's LZW data on a second thread
  // while the reduction makes the rows; the bytes written are the same.
  GifThreading Threading = GifThreading::Automatic;

  void Clear();
  // Replaces the image's content with one frame made from `bitmap`.
  void AssignBitmap(CaptureImage& bitmap);
  void SaveToStream(ByteSink& stream);

  // The highest version among the frames; GifVersion::Unknown without frames.
  GifVersion Version() const;
  // The largest index width of the global and every local colour map.
  int LargestColorMapBits() const;

  TGIFHeader& Header() { return header_; }
  const TGIFHeader& Header() const { return header_; }
  const TGIFImageList& Images() const { return images_; }

 private:
  TGIFHeader header_;
  TGIFImageList images_;
};

// The capture route's GIF of `image`: the octree palette with
// Floyd-Steinberg diffusion, written to `sink`.
void WriteCaptureGif(CaptureImage& image, ByteSink& sink, GifThreading threading = GifThreading::Automatic);

}  // namespace tessory
