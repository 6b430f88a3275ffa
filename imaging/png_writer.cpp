#include "imaging/png_writer.h"

#include <optional>

#include "imaging/libpng_binding.h"
#include "imaging/png_deflate.h"
#include "imaging/png_filter.h"
#include "imaging/rows24_view.h"

namespace tessory {
namespace {

// libdeflate's levels for each kind of content, measured on the corpus
// against libpng's defaults (adaptive filter, zlib level 6): unfiltered
// screen content at level 6 is about 0.8 of that size in a fifth of the
// time; Sub at level 5 keeps a photograph just under that size in about a
// third of the time. Small pictures take the slow levels, whose cost there
// is a millisecond or two and whose files are a tenth smaller.
constexpr int kScreenLevel = 6;
constexpr int kPhotoLevel = 5;
constexpr int kSmallPictureLevel = 9;
constexpr std::size_t kSmallPictureBytes = std::size_t{256} << 10;

int DeflateLevel(PngRowFilter filter, std::size_t filteredBytes) {
  if (filteredBytes <= kSmallPictureBytes) return kSmallPictureLevel;
  return filter == PngRowFilter::None ? kScreenLevel : kPhotoLevel;
}

}  // namespace

void WritePng(ByteSink& sink, const CaptureImage& image, std::uint32_t transparentColor) {
  const bool keyed = transparentColor != clNone;
  const Rows24View view(image);
  const CaptureImage& rows24 = view.Image();
  const PngRowFilter filter = ChooseRowFilter(rows24);
  PixelBuffer rows = AllocatePixels(FilteredRowsSize(rows24.Width(), rows24.Height(), keyed ? 4 : 3));
  FilterRows(rows24, keyed ? std::optional<std::uint32_t>(transparentColor & 0xFFFFFF) : std::nullopt, filter, rows);
  const ZlibStream stream = CompressZlib(rows, DeflateLevel(filter, rows.size()));

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
