#include "gif/color_reduction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "framework/error.h"
#include "gif/color_lookup.h"
#include "gif/dither.h"
#include "gif/gif_test_support.h"
#include "gif/octree_quantizer.h"
#include "imaging/pixel_formats.h"

namespace tessory {
namespace {

using test::ReferenceImage;
using test::Rgb;

IndexedImage Reduce(const ReferenceImage& image) {
  CaptureImage capture = test::ToCapture(image);
  return ReduceToPalette(capture, 7, 1, 8);
}

// The octree's depth-first order: the colours' bits interleaved red, green,
// blue from the top bit down.
std::uint32_t TreeOrder(Rgb c) {
  std::uint32_t order = 0;
  for (int level = 0; level < 8; ++level)
    order = order << 3 | static_cast<std::uint32_t>(OctreeChildIndex(c.r, c.g, c.b, level));
  return order;
}

TEST(Octree, ColourPathAndCacheKeyOf200_100_50) {
  std::vector<int> path;
  for (int level = 0; level < 8; ++level) path.push_back(OctreeChildIndex(200, 100, 50, level));
  EXPECT_EQ(path, (std::vector<int>{4, 6, 3, 1, 4, 2, 1, 0}));
  EXPECT_EQ(ColorKey(200, 100, 50), 6553);
}

TEST(Octree, OneColourImageGivesOneLeafAndIndexZeroEverywhere) {
  const IndexedImage result = Reduce(test::MakeReference(7, 5, [](int, int) { return Rgb{200, 100, 50}; }));
  ASSERT_EQ(result.palette.size(), 256u);
  // Entries after the last leaf repeat entry 0.
  for (const PaletteColor& c : result.palette) EXPECT_EQ(c, (PaletteColor{200, 100, 50}));
  EXPECT_EQ(std::count(result.pixels.begin(), result.pixels.end(), 0), 35);
}

TEST(Octree, AtMost256ColoursKeepEachExactlyInTreeOrder) {
  test::Lcg lcg(21);
  std::vector<Rgb> colors;
  std::set<int> keys;  // distinct cache keys too, so no colour answers for another
  while (colors.size() < 256) {
    const Rgb c{lcg.Byte(), lcg.Byte(), lcg.Byte()};
    if (keys.insert(ColorKey(c.r, c.g, c.b)).second) colors.push_back(c);
  }
  const ReferenceImage image =
      test::MakeReference(32, 16, [&](int x, int y) { return colors[(x * 7 + y * 32) % 256]; });
  const IndexedImage result = Reduce(image);
  std::vector<Rgb> sorted = colors;
  std::sort(sorted.begin(), sorted.end(), [](Rgb a, Rgb b) { return TreeOrder(a) < TreeOrder(b); });
  for (std::size_t i = 0; i < 256; ++i) {
    EXPECT_EQ(result.palette[i], (PaletteColor{sorted[i].r, sorted[i].g, sorted[i].b})) << i;
  }
  // Exact colours leave no error, so every pixel gets its own colour.
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) {
      const PaletteColor& got = result.palette[result.pixels[static_cast<std::size_t>(y) * 32 + x]];
      EXPECT_EQ(got, (PaletteColor{image.At(x, y).r, image.At(x, y).g, image.At(x, y).b}));
    }
}

// 256 blues in 128 level-7 pairs; a 257th colour adds a leaf under an
// existing pair, so the most recently created pair, (0,0,254)/(0,0,255),
// merges and the count falls by one to 256.
TEST(Octree, The257thLeafMergesTheNewestLevel7Node) {
  TColorQuantizer quantizer(256, 8);
  for (int b = 0; b < 256; ++b) quantizer.AddPixels(0, 0, static_cast<std::uint8_t>(b), b == 255 ? 3 : 1);
  EXPECT_EQ(quantizer.LeafCount(), 256);
  quantizer.AddPixels(1, 0, 0, 1);
  EXPECT_EQ(quantizer.LeafCount(), 256);
  const std::vector<PaletteColor> palette = quantizer.Palette(256);
  // (3 * 255 + 254) / 4 = 254 for the merged pair; its neighbours stay.
  EXPECT_EQ(palette[253], (PaletteColor{0, 0, 252}));
  EXPECT_EQ(palette[254], (PaletteColor{0, 0, 253}));
  EXPECT_EQ(palette[255], (PaletteColor{0, 0, 254}));
  EXPECT_EQ(palette[0], (PaletteColor{0, 0, 0}));
  EXPECT_EQ(palette[1], (PaletteColor{0, 0, 1}));
  EXPECT_EQ(palette[2], (PaletteColor{1, 0, 0}));
}

TEST(FastLookup, SharedKeyGoesToTheLowerIndexAndSearchesTakeTheFirstNearest) {
  TFastColorLookup lookup({{8, 8, 8}, {15, 15, 15}, {200, 100, 0}, {100, 200, 0}});
  PaletteColor chosen;
  EXPECT_EQ(lookup.Lookup(15, 15, 15, chosen), 0);
  EXPECT_EQ(chosen, (PaletteColor{8, 8, 8}));
  // (150, 150, 0) is 100 from both colours: the tie goes to index 2, and
  // the cached answer then serves the key's other colours, even one
  // nearer to index 3.
  EXPECT_EQ(lookup.Lookup(150, 150, 0, chosen), 2);
  EXPECT_EQ(lookup.Lookup(144, 151, 7, chosen), 2);
  EXPECT_EQ(chosen, (PaletteColor{200, 100, 0}));
}

// A full palette: the nearest entry is found anywhere in it, and of equally
// near entries the first, wherever they lie.
TEST(FastLookup, SearchFindsTheFirstNearestAcrossTheWholePalette) {
  std::vector<PaletteColor> palette(256, PaletteColor{255, 255, 255});
  palette[255] = {0, 0, 0};
  // Each 17 from (100, 5, 12), whose cache key no entry has.
  palette[200] = palette[21] = palette[15] = palette[13] = {100, 0, 0};
  TFastColorLookup lookup(palette);
  PaletteColor chosen;
  EXPECT_EQ(lookup.Lookup(100, 5, 12, chosen), 13);
  EXPECT_EQ(lookup.Lookup(3, 3, 3, chosen), 255);
  EXPECT_EQ(chosen, (PaletteColor{0, 0, 0}));
}

// Pixel 0 (10) maps to 14 and leaves e = -4, cur = -28; pixel 1 (97) gets
// 97 + trunc(-20 / 16) = 96, which is index 1 (95, had it rounded down,
// would be index 2).
TEST(FloydSteinberg, CorrectionTruncatesTowardsZero) {
  TFastColorLookup lookup({{14, 14, 14}, {96, 96, 96}, {95, 95, 95}});
  TFloydSteinbergDitherer ditherer(2, lookup);
  EXPECT_EQ(ditherer.Dither(10, 10, 10), 0);
  EXPECT_EQ(ditherer.Dither(97, 97, 97), 1);
}

TEST(FloydSteinberg, RowsAlternateDirection) {
  TFastColorLookup lookup({{0, 0, 0}});
  TFloydSteinbergDitherer ditherer(3, lookup);
  std::vector<int> columns;
  for (int row = 0; row < 3; ++row) {
    while (ditherer.Column() >= 0 && ditherer.Column() < 3) {
      columns.push_back(ditherer.Column());
      ditherer.Dither(0, 0, 0);
    }
    ditherer.EndOfRow();
  }
  EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 2, 1, 0, 0, 1, 2}));
}

// Every shape of input against the literal model: noise (many merges and
// clamping), gradients and flat areas (runs and the exact-colour path),
// width 1 and height 1.
TEST(ReduceToPalette, MatchesTheLiteralModelOnEveryKindOfImage) {
  struct Case {
    const char* name;
    int width, height;
    test::ColorAt color;
  };
  test::Lcg lcg(99);
  std::vector<Rgb> noise(64 * 48);
  for (Rgb& c : noise) c = {lcg.Byte(), lcg.Byte(), lcg.Byte()};
  const Case cases[] = {
      {"noise", 64, 48, [&](int x, int y) { return noise[static_cast<std::size_t>(y) * 64 + x]; }},
      {"pattern", 37, 19, test::Pattern},
      {"gradient", 120, 40,
       [](int x, int y) {
         return Rgb{static_cast<std::uint8_t>(x * 2), static_cast<std::uint8_t>(y * 6), 90};
       }},
      {"flat boxes", 90, 30,
       [](int x, int y) {
         return x < 40   ? Rgb{255, 255, 255}
                : y < 10 ? Rgb{30, 60, 200}
                         : Rgb{(x * 7) % 256 > 128 ? std::uint8_t{250} : std::uint8_t{3}, 128, 17};
       }},
      {"extremes", 40, 40,
       [](int x, int y) {
         return (x + y) % 3 ? Rgb{255, 0, 255} : Rgb{0, 255, 1};
       }},
      {"width 1", 1, 60,
       [](int, int y) {
         return Rgb{static_cast<std::uint8_t>(y * 4), 7, static_cast<std::uint8_t>(255 - y)};
       }},
      {"height 1", 300, 1, [&](int x, int) { return noise[static_cast<std::size_t>(x)]; }},
  };
  for (const Case& c : cases) {
    const ReferenceImage image = test::MakeReference(c.width, c.height, c.color);
    const IndexedImage expected = test::ReferenceReduce(image);
    const IndexedImage result = Reduce(image);
    EXPECT_EQ(result.width, c.width) << c.name;
    EXPECT_EQ(result.palette, expected.palette) << c.name;
    EXPECT_EQ(result.pixels, expected.pixels) << c.name;
  }
}

// Runs of noise colours: the first pixel of a run makes a leaf and forces
// a merge that may take that leaf away, and the rest of the run must land
// where the colour's path ends after it. The tree is pruned up to levels 3
// and 4, where leaves are found through the node cache. Checked against
// the literal model.
TEST(ReduceToPalette, RunsOfNewColoursLandInTheirLeafAfterThePruning) {
  test::Lcg lcg(23);
  std::vector<Rgb> noise(30 * 90);
  for (Rgb& c : noise) c = {lcg.Byte(), lcg.Byte(), lcg.Byte()};
  const ReferenceImage image =
      test::MakeReference(90, 90, [&](int x, int y) { return noise[static_cast<std::size_t>(y) * 30 + x / 3]; });
  const IndexedImage expected = test::ReferenceReduce(image);
  const IndexedImage result = Reduce(image);
  EXPECT_EQ(result.palette, expected.palette);
  EXPECT_EQ(result.pixels, expected.pixels);
}

// A short palette: the search never picks an entry past its end, even
// where those would be nearer (the zero colour here).
TEST(FastLookup, SearchesOnlyThePalettesOwnEntries) {
  TFastColorLookup lookup({{200, 200, 200}, {180, 0, 0}});
  PaletteColor chosen;
  EXPECT_EQ(lookup.Lookup(0, 0, 0, chosen), 1);
  EXPECT_EQ(lookup.Lookup(5, 200, 200, chosen), 0);
  EXPECT_EQ(chosen, (PaletteColor{200, 200, 200}));
}

// Flat areas whose colours are averages of merged leaves (so the diffusion
// carries errors through them), clamped channels, runs (long enough to go
// four pixels at a time) cut by a column stripe and by a changed row
// above, next to enough noise to force merges throughout; and colours
// sharing their top bits while leaves merge under them. Checked against
// the literal model.
TEST(ReduceToPalette, FlatAreasAndSharedTopBitsMatchTheLiteralModel) {
  test::Lcg lcg(7);
  std::vector<Rgb> noise(40 * 64);
  for (Rgb& c : noise) c = {lcg.Byte(), lcg.Byte(), lcg.Byte()};
  const ReferenceImage flat = test::MakeReference(260, 64, [&](int x, int y) {
    if (x < 40) return noise[static_cast<std::size_t>(y) * 40 + x];
    if (x % 97 == 0) return Rgb{12, 200, 90};
    if (y < 20) return Rgb{255, 251, 3};
    if (y < 40) return Rgb{201, 99, 51};
    return y == 50 ? Rgb{0, 0, 0} : Rgb{118, 119, 120};
  });
  test::Lcg low(11);
  const ReferenceImage shared = test::MakeReference(96, 48, [&](int x, int y) {
    const int high = (x / 12) * 32 + (y / 12) * 16;
    return Rgb{static_cast<std::uint8_t>((high & 0xF0) | (low.Byte() & 15)),
               static_cast<std::uint8_t>(((x * 5) & 0xF0) | (low.Byte() & 15)),
               static_cast<std::uint8_t>(((y * 9) & 0xF0) | (low.Byte() & 15))};
  });
  for (const ReferenceImage* image : {&flat, &shared}) {
    const IndexedImage expected = test::ReferenceReduce(*image);
    const IndexedImage result = Reduce(*image);
    EXPECT_EQ(result.palette, expected.palette);
    EXPECT_EQ(result.pixels, expected.pixels);
  }
}

TEST(ReduceToPalette, ConvertsTheSourceTo24BitsInPlace) {
  CaptureImage device = test::MakeDeviceImage(6, 5, test::Pattern);
  const IndexedImage fromDevice = ReduceToPalette(device, 7, 1, 8);
  EXPECT_EQ(device.Format(), PixelFormat::Bits24);
  EXPECT_EQ(fromDevice.pixels, test::ReferenceReduce(test::MakeReference(6, 5, test::Pattern)).pixels);

  CaptureImage deep = test::MakeImage24(4, 4, test::Pattern);
  ConvertPixelDepth(deep, 32);
  ReduceToPalette(deep, 7, 1, 8);
  EXPECT_EQ(deep.Format(), PixelFormat::Bits24);
}

TEST(ReduceToPalette, SmallerPalettesAndNearestColour) {
  CaptureImage image = test::MakeImage24(20, 10, test::Pattern);
  const IndexedImage two = ReduceToPalette(image, 7, 1, 1);
  EXPECT_EQ(two.palette.size(), 2u);
  for (std::uint8_t index : two.pixels) EXPECT_LT(index, 2);

  const IndexedImage nearest = ReduceToPalette(image, 7, 0, 8);
  TFastColorLookup lookup(nearest.palette);
  const std::uint8_t* rows = image.Rows().data();
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) {
      const std::uint8_t* p = rows + image.Stride() * static_cast<std::size_t>(9 - y) + 3 * x;
      PaletteColor chosen;
      EXPECT_EQ(nearest.pixels[static_cast<std::size_t>(y) * 20 + x], lookup.Lookup(p[2], p[1], p[0], chosen));
    }
}

TEST(ReduceToPalette, RefusesSettingsThatAreNotBuiltBeforeTouchingTheSource) {
  CaptureImage image = test::MakeDeviceImage(3, 3, test::Pattern);
  EXPECT_THROW(ReduceToPalette(image, 6, 1, 8), EConvertError);
  EXPECT_THROW(ReduceToPalette(image, 7, 2, 8), EConvertError);
  EXPECT_THROW(ReduceToPalette(image, 7, 1, 9), EConvertError);
  EXPECT_THROW(ReduceToPalette(image, 7, 1, 0), EConvertError);
  EXPECT_EQ(image.Format(), PixelFormat::Device);
}

}  // namespace
}  // namespace tessory
