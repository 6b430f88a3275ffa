// JPEG files: a picture object that holds a bitmap, its encoding settings
// and, once encoded, the JPEG bytes, which every later write reuses.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "framework/error.h"
#include "imaging/byte_sink.h"
#include "imaging/capture_image.h"

namespace tessory {

// A fatal error of the JPEG library: "JPEG error #<the library's message code>".
class EJPEG : public Error {
  using Error::Error;
};

class TJPEGImage {
 public:
  static constexpr std::uint8_t kDefaultQuality = 90;

  // Changing a setting drops the encoded data, so the next write encodes
  // with it.
  std::uint8_t Quality() const { return quality_; }
  void SetQuality(std::uint8_t quality);
  void SetGrayscale(bool grayscale);
  void SetProgressiveEncoding(bool progressive);

  // Drops the encoded data and refers to `bitmap`, which must outlive this
  // object (or the next AssignBitmap). The bitmap is read, never changed.
  void AssignBitmap(const CaptureImage& bitmap);

  // Creates the file at `path` (EFCreateError "Cannot create file <path>"
  // before anything is encoded; OutputFile::Replace), encodes if there are
  // no encoded data yet and writes them. When anything fails, no file is
  // left and an existing one stays as it was.
  void WriteJpegFile(const std::string& path);
  // Encodes if there are no encoded data yet and writes them to `sink`.
  void SaveToStream(ByteSink& sink);

  // Encodes the bitmap. A library error raises EJPEG and leaves no encoded
  // data behind.
  void CompressJpeg();

  bool HasEncodedData() const { return encoded_.has_value(); }
  std::span<const std::uint8_t> EncodedData() const;
  // The size of the encoded picture, taken from the bitmap at encoding time.
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  const CaptureImage* bitmap_ = nullptr;
  std::optional<PixelBuffer> encoded_;
  int width_ = 0;
  int height_ = 0;
  std::uint8_t quality_ = kDefaultQuality;
  bool grayscale_ = false;
  bool progressive_ = false;
};

}  // namespace tessory
