#include "imaging/pixel_formats.h"

#include <gtest/gtest.h>

#include <set>

#include "framework/error.h"
#include "imaging/pixel_buffer.h"
#include "support/test_images.h"

namespace tessory {
namespace {

using test::Rgb;

// Reads pixel (x, y), y = 0 the top row, of a 24-bit image.
Rgb At24(const CaptureImage& image, int x, int y) {
  const std::uint8_t* p = image.Rows().data() + image.Stride() * (image.Height() - 1 - y) + 3 * x;
  return {p[2], p[1], p[0]};
}

TEST(PixelFormats, EightBitsMapPaletteColoursExactlyAndEqualColoursEqually) {
  const ColorTable& palette = StandardPalette();
  // Row 0: every palette colour; row 1: the same colours again; row 2: off-palette colours.
  CaptureImage image = test::MakeImage24(256, 3, [&](int x, int y) {
    const RgbQuad& c = palette[x];
    if (y < 2) return Rgb{c.red, c.green, c.blue};
    return test::Pattern(x % 7, 0);
  });
  ConvertPixelDepth(image, 8);
  ASSERT_EQ(image.Format(), PixelFormat::Bits8);
  EXPECT_EQ(image.Colors(), palette);
  const auto row = [&](int y) { return image.Rows().data() + image.Stride() * (2 - y); };
  for (int x = 0; x < 256; ++x) {
    const RgbQuad& mapped = palette[row(0)[x]];
    EXPECT_EQ(mapped, palette[x]) << "entry " << x;
    EXPECT_EQ(row(0)[x], row(1)[x]);
  }
  for (int x = 7; x < 256; ++x) EXPECT_EQ(row(2)[x], row(2)[x % 7]) << "equal colours, other index at " << x;
}

TEST(PixelFormats, EightBitsPickTheNearestAndTheLowestIndexOnTies) {
  ColorTable palette{};
  palette[0] = {0, 0, 0, 0};
  palette[1] = {0, 0, 100, 0};  // red 100
  palette[2] = {0, 0, 100, 0};  // the same colour again
  for (int i = 3; i < 256; ++i) palette[i] = {255, 255, 255, 0};
  CaptureImage image = test::MakeImage24(3, 1, [](int x, int) {
    return x == 0 ? Rgb{90, 0, 0} : x == 1 ? Rgb{20, 0, 0} : Rgb{50, 0, 0};
  });
  ConvertPixelDepth(image, 8, palette);
  const std::uint8_t* indices = image.Rows().data();
  EXPECT_EQ(indices[0], 1);  // nearer 100 than 0, entry 1 before its twin
  EXPECT_EQ(indices[1], 0);
  EXPECT_EQ(indices[2], 0);  // equally far from 0 and 100: the lower index
}

// The index a search of all 256 entries gives: nearest, lowest index on ties.
std::uint8_t BruteForceNearest(const ColorTable& palette, const Rgb& c) {
  int best = 0, bestDistance = 1 << 30;
  for (int i = 0; i < 256; ++i) {
    const int dr = c.r - palette[i].red, dg = c.g - palette[i].green, db = c.b - palette[i].blue;
    if (const int d = dr * dr + dg * dg + db * db; d < bestDistance) best = i, bestDistance = d;
  }
  return static_cast<std::uint8_t>(best);
}

TEST(PixelFormats, EightBitsAgreeWithAFullSearchOnManyColours) {
  // The standard palette, and a random one with repeated entries and repeated greens.
  ColorTable random{};
  std::uint32_t seed = 12345;
  auto next = [&] { return static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 24); };
  for (int i = 0; i < 256; ++i) random[i] = {next(), static_cast<std::uint8_t>(next() & 0xF0), next(), 0};
  random[200] = random[7];
  for (const ColorTable* palette : {&StandardPalette(), static_cast<const ColorTable*>(&random)}) {
    CaptureImage image = test::MakeImage24(211, 97, test::Pattern);
    ConvertPixelDepth(image, 8, *palette);
    for (int y = 0; y < 97; ++y) {
      for (int x = 0; x < 211; ++x) {
        const std::uint8_t got = image.Rows()[image.Stride() * (96 - y) + x];
        ASSERT_EQ(got, BruteForceNearest(*palette, test::Pattern(x, y))) << x << "," << y;
      }
    }
  }
}

TEST(PixelFormats, DeviceImagesConvertToEveryDepth) {
  for (int bits : {8, 16, 24, 32}) {
    CaptureImage image = test::MakeDeviceImage(5, 3, test::Pattern);
    ConvertPixelDepth(image, bits);
    EXPECT_EQ(BitsPerPixel(image.Format()), bits);
    EXPECT_EQ(image.Device(), nullptr);
    EXPECT_EQ(image.Rows().size(), RowStride(5, bits) * 3);
    const CaptureImage back = CopyAtDepth24(image);
    if (bits >= 24) {
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(At24(back, x, y), test::Pattern(x, y));
    }
  }
}

TEST(PixelFormats, SixteenBitsKeepTheTopBitsAndExpandBackToFullRange) {
  CaptureImage image = test::MakeImage24(2, 1, [](int x, int) { return x ? Rgb{255, 255, 255} : Rgb{0x87, 0x43, 0x21}; });
  ConvertPixelDepth(image, 16);
  const std::uint8_t* p = image.Rows().data();
  EXPECT_EQ(p[0] | p[1] << 8, (0x87 >> 3) << 11 | (0x43 >> 2) << 5 | (0x21 >> 3));
  const CaptureImage back = CopyAtDepth24(image);
  EXPECT_EQ(At24(back, 1, 0), (Rgb{255, 255, 255}));
}

TEST(PixelFormats, CopyAtDepth24LeavesTheSourceAlone) {
  CaptureImage image = test::MakeImage24(3, 3, test::Pattern);
  ConvertPixelDepth(image, 32);
  const std::vector<std::uint8_t> before(image.Rows().begin(), image.Rows().end());
  const CaptureImage copy = CopyAtDepth24(image);
  EXPECT_EQ(image.Format(), PixelFormat::Bits32);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), image.Rows().begin()));
  EXPECT_EQ(copy.Format(), PixelFormat::Bits24);
  EXPECT_EQ(At24(copy, 2, 1), test::Pattern(2, 1));
}

TEST(PixelFormats, SameFormatIsLeftUntouchedAndBadDepthsRefused) {
  CaptureImage image = test::MakeImage24(2, 2, test::Pattern);
  ConvertPixelDepth(image, 8);
  const std::uint8_t* storage = image.Rows().data();
  ConvertPixelDepth(image, 8, ColorTable{});  // would map everything to 0 if it ran
  EXPECT_EQ(image.Rows().data(), storage);
  EXPECT_EQ(image.Colors(), StandardPalette());
  EXPECT_THROW(ConvertPixelDepth(image, 15), EConvertError);
  EXPECT_EQ(image.Format(), PixelFormat::Bits8);
}

TEST(PixelFormats, StandardPaletteHas256DistinctColours) {
  std::set<std::uint32_t> colours;
  for (const RgbQuad& c : StandardPalette()) colours.insert(c.red << 16 | c.green << 8 | c.blue);
  EXPECT_EQ(colours.size(), 256u);
}

TEST(PixelFormats, StrideOverflowIsOutOfResources) {
  EXPECT_EQ(RowStride(101, 24), 304u);
  EXPECT_EQ(RowStride(3, 16), 8u);
  EXPECT_THROW(RowStride(-1, 24), EOutOfResources);
}

// A picture's block given back serves the next picture of about its size,
// a smaller one included, and keeps its whole capacity through that.
TEST(PixelBuffers, GivenBackBlocksServeTheNextPictures) {
  constexpr std::size_t kLarge = std::size_t{5} << 20, kSmaller = std::size_t{9} << 19;
  void* first = large_block::Allocate(kLarge);
  large_block::Free(first, kLarge);
  void* smaller = large_block::Allocate(kSmaller);
  EXPECT_EQ(smaller, first);
  large_block::Free(smaller, kSmaller);
  auto* again = static_cast<std::uint8_t*>(large_block::Allocate(kLarge));
  EXPECT_EQ(again, first);
  again[kLarge - 1] = 1;  // the whole first size is there
  large_block::Free(again, kLarge);
}

}  // namespace
}  // namespace tessory
