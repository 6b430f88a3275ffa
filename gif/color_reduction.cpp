#include "gif/color_reduction.h"

#include <new>

#include "framework/error.h"
#include "gif/color_lookup.h"
#include "gif/dither.h"
#include "gif/octree_quantizer.h"
#include "imaging/pixel_formats.h"

namespace tessory {
namespace {

// The tree is always 8 levels deep, whatever the palette size.
constexpr int kOctreeColorBits = 8;

void CheckSupported(int method, int style, int bits) {
  if (method != kReductionOctree) throw EConvertError("Unsupported colour reduction method");
  if (style != kDitherNearest && style != kDitherFloydSteinberg) throw EConvertError("Unsupported dither style");
  if (bits < 1 || bits > 8) throw EConvertError("Unsupported palette size");
}

// Row y of the picture (0 = top) of a 24-bit image stored bottom-up.
const std::uint8_t* SourceRow(const CaptureImage& source, int y) {
  return source.Rows().data() + source.Stride() * static_cast<std::size_t>(source.Height() - 1 - y);
}

// Everything that can fail is made before the observer hears of the
// result: the rows themselves are only computed.
template <class Ditherer>
void MapPixels(const CaptureImage& source, Ditherer& ditherer, IndexedImage& result, ReductionObserver* observer) {
  if (observer != nullptr) observer->PaletteReady(result);
  for (int y = 0; y < source.Height(); ++y) {
    ditherer.DitherRow(SourceRow(source, y), result.Row(y));
    if (observer != nullptr) observer->RowsFinal(y + 1);
  }
}

IndexedImage Reduce(CaptureImage& source, int style, int bits, ReductionObserver* observer) {
  IndexedImage result = AllocateIndexedImage(source.Width(), source.Height(), 0);
  if (source.Empty()) return result;
  result.palette = BuildOctreePalette(source, 1 << bits, kOctreeColorBits);
  TFastColorLookup lookup(result.palette);
  if (style == kDitherFloydSteinberg) {
    TFloydSteinbergDitherer ditherer(source.Width(), lookup);
    MapPixels(source, ditherer, result, observer);
  } else {
    TDitherEngine ditherer(source.Width(), lookup);
    MapPixels(source, ditherer, result, observer);
  }
  return result;
}

}  // namespace

IndexedImage ReduceToPalette(CaptureImage& source, int method, int style, int bits, ReductionObserver* observer) {
  CheckSupported(method, style, bits);
  ConvertPixelDepth(source, 24);
  try {
    return Reduce(source, style, bits, observer);
  } catch (const std::bad_alloc&) {
    // The tree's pool, the error rows or the palette could not be had.
    throw EOutOfMemory("Failed to allocate memory for GIF DIB");
  }
}

}  // namespace tessory
