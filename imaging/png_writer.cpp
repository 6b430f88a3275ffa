#include "imaging/png_writer.h"

#include <optional>

#include "imaging/libpng_binding.h"
#include "imaging/png_deflate.h"
#include "imaging/png_filter.h"
#include "imaging/rows24_view.h"

namespace tessory {
namespace {

// libdeflate's level, measured on the corpus against libpng's defaults
// (adaptive filter, zlib level 6) with the filters chosen per band of rows
// (imaging/png_filter.h): screens of windows and text come out at about
// 0.8 of that size, a photograph at about 0.96, windows over a gradient
// at about 0.9, in a fifth of the time or less. Level 5 leaves gradients
// larger than the default. Small pictures of windows and text go to the
// screen coder, whose files are a few hundredths smaller again; other
// small pictures take a slower level, which still takes less time than
// the default there. Large pictures are compressed in parts across the
// cores, which only libdeflate's streams are joined in.
constexpr int kLevel = 6;
constexpr int kSmallPictureLevel = 7;
constexpr std::size_t kSmallPictureBytes = std::size_t{256} << 10;

}  // namespace

void WritePng(ByteSink& sink, const CaptureImage& image, std::uint32_t transparentColor) {
  const bool keyed = transparentColor != clNone;
  PngWorkspace workspace;
  const Rows24View view(image);
  const CaptureImage& rows24 = view.Image();
  const PngSourceRows source{rows24.Rows().data(), rows24.Width(), rows24.Height(), rows24.Stride()};
  const std::span<std::uint8_t> rows =
      workspace.FilteredRows(FilteredRowsSize(source.width, source.height, keyed ? 4 : 3));
  const std::optional<std::uint32_t> key =
      keyed ? std::optional<std::uint32_t>(transparentColor & 0xFFFFFF) : std::nullopt;
  const auto fill = [&](int first, int count, std::span<std::uint8_t> out) {
    FilterRows(source, first, count, key, out);
  };

  pnglib::PngPicture picture;
  picture.width = static_cast<std::uint32_t>(source.width);
  picture.height = static_cast<std::uint32_t>(source.height);
  picture.colorType = keyed ? pnglib::kColorTypeRgbAlpha : pnglib::kColorTypeRgb;
  picture.imageData =
      rows.size() <= kSmallPictureBytes
          ? workspace.FillAndCompressScreen(rows, source.height, keyed ? 4 : 3, kSmallPictureLevel, fill)
          : workspace.FillAndCompress(rows, source.height, kLevel, fill);
  // A missing write context counts as a failure too: an empty file must
  // not pass for a written picture.
  if (pnglib::WritePicture(sink, picture) != pnglib::WriteResult::Written) {
    throw EPngError(std::string(kPngFileTexts.cannotWrite));
  }
}

}  // namespace tessory
