#include "imaging/jpeg_image.h"

#include "imaging/jpeg_compress.h"
#include "imaging/output_file.h"
#include "imaging/rows24_view.h"

namespace tessory {

void TJPEGImage::SetQuality(std::uint8_t quality) {
  if (quality != quality_) encoded_.reset();
  quality_ = quality;
}

void TJPEGImage::SetGrayscale(bool grayscale) {
  if (grayscale != grayscale_) encoded_.reset();
  grayscale_ = grayscale;
}

void TJPEGImage::SetProgressiveEncoding(bool progressive) {
  if (progressive != progressive_) encoded_.reset();
  progressive_ = progressive;
}

void TJPEGImage::AssignBitmap(const CaptureImage& bitmap) {
  encoded_.reset();
  bitmap_ = &bitmap;
}

std::span<const std::uint8_t> TJPEGImage::EncodedData() const {
  if (!encoded_) return {};
  return *encoded_;
}

void TJPEGImage::CompressJpeg() {
  // Old data go first, so that a failed encoding leaves none behind for a
  // later write to pass off as the picture.
  encoded_.reset();
  const CaptureImage empty;
  const Rows24View view(bitmap_ ? *bitmap_ : empty);
  const CaptureImage& rows24 = view.Image();
  const jpegcodec::BgrRows rows{rows24.Rows().data(), rows24.Stride(), rows24.Width(), rows24.Height()};
  PixelBuffer data;
  jpegcodec::CompressRows(rows, {quality_, grayscale_, progressive_}, data);
  width_ = rows24.Width();
  height_ = rows24.Height();
  encoded_ = std::move(data);
}

void TJPEGImage::WriteJpegFile(const std::string& path) {
  // The file comes first: a path that cannot be created costs no encoding.
  const std::unique_ptr<OutputFile> file = OutputFile::Replace(path);
  SaveToStream(*file);
  file->Commit();
}

void TJPEGImage::SaveToStream(ByteSink& sink) {
  if (!encoded_) CompressJpeg();
  sink.Write(*encoded_);
}

}  // namespace tessory
