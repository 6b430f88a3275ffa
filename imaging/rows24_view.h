// The 24-bit rows through which the PNG and JPEG writers read a capture.
#pragma once

#include "imaging/capture_image.h"
#include "imaging/pixel_formats.h"

namespace tessory {

// An image as 24-bit rows (blue, green, red, bottom row first). A 24-bit
// image is read in place; any other format, the device format of a fresh
// capture above all, is read through a separate copy (CopyAtDepth24) that
// the view owns, so the source keeps its own format and pixels.
class Rows24View {
 public:
  explicit Rows24View(const CaptureImage& image) {
    if (image.Format() == PixelFormat::Bits24) {
      image_ = &image;
    } else {
      copy_ = CopyAtDepth24(image);
      image_ = &copy_;
    }
  }
  Rows24View(const Rows24View&) = delete;
  Rows24View& operator=(const Rows24View&) = delete;

  const CaptureImage& Image() const { return *image_; }

 private:
  CaptureImage copy_;
  const CaptureImage* image_ = nullptr;
};

}  // namespace tessory
