#include "imaging/png_writer.h"

#include <optional>

#include "imaging/libpng_binding.h"
#include "imaging/png_deflate.h"
#include "imaging/png_filter.h"
#include "imaging/rows24_view.h"

namespace tessory {
namespace {

// libdeflate's level, measured on the corpus against libpng's defaults
// (adaptive filter, zlib level 6): unfiltered screen content comes out at
// about 0.8 of that size, a photograph with Sub at about 0.98, each in a
// fifth to a third of the time. Lower levels are faster still, but a
// screenshot grows past 0.85 of the default and a photograph past 1.0.
// Small pictures take a slower level, whose cost there is a few
// milliseconds and whose files are another tenth smaller.
constexpr int kLevel = 5;
constexpr int kSmallPictureLevel = 9;
constexpr std::size_t kSmallPictureBytes = std::size_t{256} << 10;

int DeflateLevel(std::size_t filteredBytes) {
  return filteredBytes <= kSmallPictureBytes ? kSmallPictureLevel : kLevel;
}

}  // namespace

void WritePng(ByteSink& sink, const CaptureImage& image, std::uint32_t transparentColor) {
  const bool keyed = transparentColor != clNone;
  const Rows24View view(image);
  const CaptureImage& rows24 = view.Image();
  const PngRowFilter filter = ChooseRowFilter(rows24);
  PixelBuffer rows = AllocatePixels(FilteredRowsSize(rows24.Width(), rows24.Height(), keyed ? 4 : 3));
  FilterRows(rows24, keyed ? std::optional<std::uint32_t>(transparentColor & 0xFFFFFF) : std::nullopt, filter, rows);
  const ZlibStream stream = CompressZlib(rows, DeflateLevel(rows.size()));

  pnglib::PngPicture picture;
  picture.width = static_cast<std::uint32_t>(rows24.Width());
  picture.height = static_cast<std::uint32_t>(rows24.Height());
  picture.colorType = keyed ? pnglib::kColorTypeRgbAlpha : pnglib::kColorTypeRgb;
  picture.imageData = stream.Bytes();
  // A missing write context counts as a failure too: an empty file must
  // not pass for a written picture.
  if (pnglib::WritePicture(sink, picture) != pnglib::WriteResult::Written) {
    throw EPngError(std::string(kPngFileTexts.cannotWrite));
  }
}

void WritePngFile(const std::string& path, const CaptureImage& image, std::uint32_t transparentColor) {
  const std::unique_ptr<OutputFile> file = OutputFile::Replace(path, kPngFileTexts);
  WritePng(*file, image, transparentColor);
  file->Commit();
}

}  // namespace tessory
