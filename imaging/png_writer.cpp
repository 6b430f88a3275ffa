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
  PngWorkspace workspace;
  const Rows24View view(image);
  const CaptureImage& rows24 = view.Image();
  const PngSourceRows source{rows24.Rows().data(), rows24.Width(), rows24.Height(), rows24.Stride()};
  const PngRowFilter filter = ChooseRowFilter(source);
  const std::span<std::uint8_t> rows =
      workspace.FilteredRows(FilteredRowsSize(source.width, source.height, keyed ? 4 : 3));
  const std::optional<std::uint32_t> key =
      keyed ? std::optional<std::uint32_t>(transparentColor & 0xFFFFFF) : std::nullopt;
  const auto fill = [&](int first, int count, std::span<std::uint8_t> out) {
    FilterRows(RowsFrom(source, first, count), key, filter, out);
  };

  pnglib::PngPicture picture;
  picture.width = static_cast<std::uint32_t>(source.width);
  picture.height = static_cast<std::uint32_t>(source.height);
  picture.colorType = keyed ? pnglib::kColorTypeRgbAlpha : pnglib::kColorTypeRgb;
  picture.imageData = workspace.FillAndCompress(rows, source.height, DeflateLevel(rows.size()), fill);
  // A missing write context counts as a failure too: an empty file must
  // not pass for a written picture.
  if (pnglib::WritePicture(sink, picture) != pnglib::WriteResult::Written) {
    throw EPngError(std::string(kPngFileTexts.cannotWrite));
  }
}

}  // namespace tessory
