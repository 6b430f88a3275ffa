#include "gif/gif_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "delivery/delivery.h"
#include "tools/headless_platform.h"
#include "gif/gif_decoder.h"
#include "gif/gif_test_support.h"
#include "gif/lzw_encoder.h"
#include "imaging/pixel_formats.h"
#include "support/image_files.h"
#include "support/temp_dir.h"
#include "tools/file_io.h"

namespace tessory {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Rgb;

using test::GifBytes;

Bytes FileBytes(const std::string& path) {
  const std::string bytes = test::ReadFileBytes(path);
  return Bytes(bytes.begin(), bytes.end());
}

TEST(GifFile, OnePixelCaptureIs799BytesInTheFixedLayout) {
  CaptureImage capture = test::MakeImage24(1, 1, [](int, int) { return Rgb{200, 100, 50}; });
  const Bytes bytes = GifBytes(capture);
  ASSERT_EQ(bytes.size(), 799u);
  const Bytes head = {'G', 'I', 'F', '8', '7', 'a', 1, 0, 1, 0, 0x77, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x87};
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 23), head);
  // Entry 0 is the pixel's colour; the entries after the last leaf repeat it.
  for (std::size_t entry = 0; entry < 256; ++entry) {
    EXPECT_EQ(
        Bytes(bytes.begin() + 23 + 3 * static_cast<long>(entry), bytes.begin() + 26 + 3 * static_cast<long>(entry)),
        (Bytes{200, 100, 50}));
  }
  EXPECT_EQ(Bytes(bytes.begin() + 791, bytes.end()), (Bytes{0x08, 0x04, 0x00, 0x01, 0x04, 0x04, 0x00, 0x3B}));
  EXPECT_EQ(capture.Format(), PixelFormat::Bits24);
}

TEST(GifFile, CaptureWithoutPixelsIsThe14ByteFile) {
  const Bytes expected = {'G', 'I', 'F', '8', '7', 'a', 0, 0, 0, 0, 0x77, 0, 0, 0x3B};
  CaptureImage empty;
  EXPECT_EQ(GifBytes(empty), expected);
  CaptureImage noRows(5, 0, PixelFormat::Bits24, {});
  EXPECT_EQ(GifBytes(noRows), expected);
}

// Everything written decodes, with the test's own reader, to the frame's
// indices and palette, which are those of the literal model.
TEST(GifFile, WrittenFilesDecodeToTheReducedImage) {
  struct Case {
    int width, height;
    test::ColorAt color;
  };
  const Case cases[] = {{2, 2, test::Pattern},
                        {6, 5,
                         [](int x, int y) {
                           return x == 0 || y == 0 || (y == 2 && x < 4) ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
                         }},
                        {37, 19, test::Pattern},
                        {1, 300, test::Pattern},
                        {300, 1, test::Pattern},
                        {160, 120, [](int x, int y) {
                           return Rgb{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y * 2),
                                      static_cast<std::uint8_t>((x ^ y) & 0xF0)};
                         }}};
  for (const Case& c : cases) {
    const test::ReferenceImage reference = test::MakeReference(c.width, c.height, c.color);
    CaptureImage capture = test::ToCapture(reference);
    const test::DecodedGif gif = test::DecodeGif(GifBytes(capture));
    const IndexedImage expected = test::ReferenceReduce(reference);
    EXPECT_EQ(gif.version, "87a");
    EXPECT_EQ(gif.screenWidth, c.width);
    EXPECT_EQ(gif.screenHeight, c.height);
    EXPECT_EQ(gif.packed, 0x77);
    EXPECT_TRUE(gif.globalTable.empty());
    ASSERT_EQ(gif.frames.size(), 1u);
    const test::DecodedFrame& frame = gif.frames[0];
    EXPECT_EQ(frame.packed, 0x87);
    EXPECT_EQ(frame.minCodeSize, 8);
    EXPECT_EQ(frame.localTable, expected.palette);
    EXPECT_EQ(frame.indices, Bytes(expected.pixels.begin(), expected.pixels.end())) << c.width << "x" << c.height;
  }
}

TEST(GifFile, TwoColourPaletteSizesEveryField) {
  CaptureImage capture = test::MakeImage24(9, 4, test::Pattern);
  const test::DecodedGif gif = test::DecodeGif(GifBytes(capture, 1));
  EXPECT_EQ(gif.packed, 0x00);
  ASSERT_EQ(gif.frames.size(), 1u);
  EXPECT_EQ(gif.frames[0].packed, 0x80);
  EXPECT_EQ(gif.frames[0].localTable.size(), 2u);
  EXPECT_EQ(gif.frames[0].minCodeSize, 2);
}

TEST(GifColorMap, TablesArePaddedToAPowerOfTwo) {
  TGIFColorMap map;
  EXPECT_EQ(map.BitsPerPixel(), 0);
  map.Assign({{1, 2, 3}});
  EXPECT_EQ(map.BitsPerPixel(), 1);
  Bytes table;
  map.AppendTable(table);
  EXPECT_EQ(table, (Bytes{1, 2, 3, 0, 0, 0}));
  map.Assign(std::vector<PaletteColor>(5, {9, 9, 9}));
  EXPECT_EQ(map.BitsPerPixel(), 3);
  table.clear();
  map.AppendTable(table);
  EXPECT_EQ(table.size(), 24u);
  EXPECT_EQ(Bytes(table.begin() + 15, table.end()), Bytes(9, 0));
  EXPECT_THROW(map.Assign(std::vector<PaletteColor>(257)), GIFException);
  // A one-entry map codes at the minimum code size 2.
  map.Assign({{1, 2, 3}});
  VectorSink sink;
  TLZWEncoder().EncodeFrame(sink, map.BitsPerPixel(), 1, 1, Bytes{0}, map.Count());
  EXPECT_EQ(sink.Bytes().at(0), 2);
  EXPECT_EQ(test::DecodeLzw(Bytes(sink.Bytes().begin() + 2, sink.Bytes().end() - 1), 2), Bytes{0});
}

TEST(GifFile, EightBitCaptureKeepsItsIndicesAndColourTable) {
  ColorTable colors{};
  for (int i = 0; i < 256; ++i)
    colors[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i), 0};
  const std::size_t stride = RowStride(3, 8);
  PixelBuffer rows(stride * 2);
  // Stored bottom-up: the top row is the second one in memory.
  rows[stride] = 10, rows[stride + 1] = 20, rows[stride + 2] = 30;
  rows[0] = 40, rows[1] = 50, rows[2] = 60;
  CaptureImage capture(3, 2, PixelFormat::Bits8, rows, colors);
  const test::DecodedGif gif = test::DecodeGif(GifBytes(capture));
  ASSERT_EQ(gif.frames.size(), 1u);
  EXPECT_EQ(gif.frames[0].indices, (Bytes{10, 20, 30, 40, 50, 60}));
  EXPECT_EQ(gif.frames[0].localTable[20], (PaletteColor{255 - 20, 0, 20}));
  EXPECT_EQ(capture.Format(), PixelFormat::Bits8);
}

TEST(GifFile, CapturesBeyond65535PixelsAreRefusedBeforeAnythingChanges) {
  for (auto [w, h] : {std::pair{65536, 1}, std::pair{1, 65536}}) {
    CaptureImage capture = test::MakeDeviceImage(w, h, [](int, int) { return Rgb{1, 2, 3}; });
    TGIFImage gif;
    gif.ReductionMethod = kReductionOctree;
    gif.DitherStyle = kDitherFloydSteinberg;
    EXPECT_THROW(gif.AssignBitmap(capture), GIFException);
    EXPECT_EQ(capture.Format(), PixelFormat::Device);
    EXPECT_TRUE(gif.Images().empty());
  }
  CaptureImage widest = test::MakeImage24(65535, 1, [](int x, int) { return Rgb{static_cast<std::uint8_t>(x), 0, 0}; });
  const test::DecodedGif gif = test::DecodeGif(GifBytes(widest));
  EXPECT_EQ(gif.screenWidth, 65535);
}

TEST(GifFile, ImageWithoutFramesWritesNothingAndKeepsAnExistingFile) {
  test::TempDir dir;
  const std::string path = dir.File("kept.gif");
  test::WriteFileBytes(path, "old content");
  TGIFImage gif;
  VectorSink sink;
  try {
    gif.SaveToStream(sink);
    FAIL() << "no error";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Unsupported GIF version");
  }
  EXPECT_TRUE(sink.Bytes().empty());
  EXPECT_THROW(test::WriteGifFile(gif, path), GIFException);
  EXPECT_EQ(test::ReadFileBytes(path), "old content");
}

TEST(GifFile, SettingsThatAreNotBuiltFailTheAssignmentAndLeaveNoFrame) {
  CaptureImage capture = test::MakeImage24(4, 4, test::Pattern);
  TGIFImage gif;  // default reduction method 6
  EXPECT_THROW(gif.AssignBitmap(capture), EConvertError);
  EXPECT_TRUE(gif.Images().empty());
  EXPECT_EQ(gif.Version(), GifVersion::Unknown);
}

TEST(GifFile, UnwritablePathAndFailingWritesAreReported) {
  CaptureImage capture = test::MakeImage24(40, 30, test::Pattern);
  TGIFImage gif;
  gif.ReductionMethod = kReductionOctree;
  gif.DitherStyle = kDitherFloydSteinberg;
  gif.AssignBitmap(capture);
  test::TempDir dir;
  const std::string missing = dir.File("no-such-folder") + "/x.gif";
  try {
    test::WriteGifFile(gif, missing);
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(test::FirstLine(e.what()), "Cannot create file " + missing);
  }
  EXPECT_FALSE(FileExists(missing));

  VectorSink whole;
  gif.SaveToStream(whole);
  for (std::size_t limit : std::vector<std::size_t>{0, 6, 13, 22, 790, 792, 1200, whole.Bytes().size() - 1}) {
    test::FailingSink sink(limit);
    EXPECT_THROW(gif.SaveToStream(sink), EWriteError) << limit;
  }
  // The file route writes exactly the stream's bytes.
  const std::string path = dir.File("out.gif");
  test::WriteGifFile(gif, path);
  EXPECT_EQ(FileBytes(path), whole.Bytes());
}

class SilentPlatform final : public HeadlessPlatform {
 public:
  void Beep() override { ++beeps; }
  int beeps = 0;
};

TEST(GifDelivery, SavingAsType2WritesTheOctreeFloydSteinbergGif) {
  test::TempDir dir;
  CaptureImage image = test::MakeDeviceImage(23, 17, test::Pattern);
  CaptureSettings settings;
  std::int32_t counter = 0;
  RandomGenerator random;
  SaveDialogState dialog;
  SilentPlatform platform;
  CaptureDelivery delivery({image, settings, counter, random, dialog, platform});
  delivery.SaveImageFile(dir.File("cap.gif"), ImageKind::Gif);
  CaptureImage same = test::MakeDeviceImage(23, 17, test::Pattern);
  EXPECT_EQ(FileBytes(dir.File("cap.gif")), GifBytes(same));
  EXPECT_EQ(image.Format(), PixelFormat::Bits24);
  EXPECT_EQ(platform.beeps, 1);

  CaptureImage huge = test::MakeDeviceImage(70000, 1, test::Pattern);
  CaptureDelivery refused({huge, settings, counter, random, dialog, platform});
  EXPECT_THROW(refused.SaveImageFile(dir.File("huge.gif"), ImageKind::Gif), GIFException);
  EXPECT_FALSE(FileExists(dir.File("huge.gif")));
}

#ifndef _WIN32
// ImageMagick, where installed, must read the same colours that the
// test's reader finds through the palette.
TEST(GifFile, AnOutsideDecoderReadsTheSamePixels) {
  if (std::system("/usr/bin/convert -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick not installed";
  test::TempDir dir;
  CaptureImage capture = test::MakeImage24(61, 33, test::Pattern);
  const Bytes bytes = GifBytes(capture);
  const std::string gifPath = dir.File("in.gif"), rgbPath = dir.File("out.rgb");
  test::WriteFileBytes(gifPath, std::string(bytes.begin(), bytes.end()));
  ASSERT_EQ(std::system(("/usr/bin/convert '" + gifPath + "' -depth 8 'rgb:" + rgbPath + "'").c_str()), 0);
  const Bytes rgb = FileBytes(rgbPath);
  const test::DecodedGif gif = test::DecodeGif(bytes);
  ASSERT_EQ(rgb.size(), 61u * 33u * 3u);
  for (std::size_t i = 0; i < 61u * 33u; ++i) {
    const PaletteColor& c = gif.frames[0].localTable[gif.frames[0].indices[i]];
    ASSERT_EQ(Bytes(rgb.begin() + 3 * static_cast<long>(i), rgb.begin() + 3 * static_cast<long>(i) + 3),
              (Bytes{c.red, c.green, c.blue}))
        << i;
  }
}
#endif

}  // namespace
}  // namespace tessory
