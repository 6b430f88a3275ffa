#include "imaging/bmp_writer.h"

#include <gtest/gtest.h>

#include "framework/error.h"
#include "imaging/pixel_formats.h"
#include "support/bmp_reader.h"
#include "support/image_files.h"
#include "support/temp_dir.h"
#include "support/test_images.h"
#include "tools/file_io.h"

namespace tessory {
namespace {

using test::DecodeBmp;
using test::LeU16;
using test::LeU32;
using test::Rgb;

std::string BmpBytes(const CaptureImage& image) {
  VectorSink sink;
  WriteBmp(image, sink);
  return std::string(sink.Bytes().begin(), sink.Bytes().end());
}

std::string BmpAtDepth(int width, int height, int bits, const test::ColorAt& color = test::Pattern) {
  CaptureImage image = test::MakeImage24(width, height, color);
  ConvertPixelDepth(image, bits);
  return BmpBytes(image);
}

struct HeaderCase {
  int width, height, bits;
  std::uint32_t stride, offBits, fileSize, clrUsed, compression;
};

class BmpHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(BmpHeaders, FieldsFollowTheLayout) {
  const HeaderCase c = GetParam();
  const std::string bytes = BmpAtDepth(c.width, c.height, c.bits);
  ASSERT_EQ(bytes.size(), c.fileSize);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(LeU32(bytes, 2), c.fileSize);             // bfSize
  EXPECT_EQ(LeU32(bytes, 6), 0u);                     // bfReserved1, bfReserved2
  EXPECT_EQ(LeU32(bytes, 10), c.offBits);             // bfOffBits
  EXPECT_EQ(LeU32(bytes, 14), 40u);                   // biSize
  EXPECT_EQ(LeU32(bytes, 18), static_cast<std::uint32_t>(c.width));
  EXPECT_EQ(LeU32(bytes, 22), static_cast<std::uint32_t>(c.height));
  EXPECT_EQ(LeU16(bytes, 26), 1u);                    // biPlanes
  EXPECT_EQ(LeU16(bytes, 28), c.bits);
  EXPECT_EQ(LeU32(bytes, 30), c.compression);
  EXPECT_EQ(LeU32(bytes, 34), c.stride * c.height);   // biSizeImage
  EXPECT_EQ(LeU32(bytes, 38), 0u);
  EXPECT_EQ(LeU32(bytes, 42), 0u);
  EXPECT_EQ(LeU32(bytes, 46), c.clrUsed);
  EXPECT_EQ(LeU32(bytes, 50), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, BmpHeaders,
    ::testing::Values(HeaderCase{100, 50, 8, 100, 1078, 6078, 256, 0},  // 8 bits, stride 100
                      HeaderCase{101, 10, 24, 304, 54, 3094, 0, 0},     // one padding byte a row
                      HeaderCase{3, 1, 16, 8, 66, 74, 0, 3},            // masks present
                      HeaderCase{1, 1, 8, 4, 1078, 1082, 256, 0}, HeaderCase{1, 1, 16, 4, 66, 70, 0, 3},
                      HeaderCase{1, 1, 24, 4, 54, 58, 0, 0}, HeaderCase{1, 1, 32, 4, 54, 58, 0, 0}));

TEST(BmpWriter, SixteenBitsAreFiveSixFiveWordsWithMasks) {
  const Rgb colors[] = {{255, 0, 0}, {0, 255, 0}, {8, 4, 8}};
  const std::string bytes = BmpAtDepth(3, 1, 16, [&](int x, int) { return colors[x]; });
  EXPECT_EQ(LeU32(bytes, 54), 0xF800u);
  EXPECT_EQ(LeU32(bytes, 58), 0x07E0u);
  EXPECT_EQ(LeU32(bytes, 62), 0x001Fu);
  EXPECT_EQ(static_cast<unsigned char>(bytes[66]), 0x00);  // red: word 0xF800, low byte first
  EXPECT_EQ(static_cast<unsigned char>(bytes[67]), 0xF8);
  EXPECT_EQ(LeU16(bytes, 68), 0x07E0u);
  EXPECT_EQ(LeU16(bytes, 70), 0x0821u);
  EXPECT_EQ(LeU16(bytes, 72), 0u);  // padding to the 8-byte stride
}

TEST(BmpWriter, ThirtyTwoBitsHaveZeroFourthBytes) {
  const std::string bytes = BmpAtDepth(7, 5, 32, [](int, int) { return Rgb{255, 255, 255}; });
  for (std::size_t at = 54 + 3; at < bytes.size(); at += 4) ASSERT_EQ(bytes[at], 0) << "offset " << at;
}

TEST(BmpWriter, BottomRowComesFirst) {
  const std::string bytes = BmpAtDepth(2, 2, 24, [](int, int y) { return y == 0 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}; });
  // First pixel after bfOffBits is the bottom row's blue (stored blue, green, red).
  EXPECT_EQ(static_cast<unsigned char>(bytes[54]), 255);
  EXPECT_EQ(static_cast<unsigned char>(bytes[56]), 0);
  EXPECT_EQ(static_cast<unsigned char>(bytes[54 + 8 + 2]), 255);  // top row's red, one stride later
}

class BmpPadding : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(BmpPadding, RowsPadWithZerosAndPixelsReadBack) {
  const auto [width, bits] = GetParam();
  const std::string bytes = BmpAtDepth(width, 3, bits);
  const auto decoded = DecodeBmp(bytes);
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::size_t used = static_cast<std::size_t>(width) * bits / 8;
  for (int row = 0; row < 3; ++row) {
    for (std::size_t at = used; at < stride; ++at) {
      ASSERT_EQ(bytes[decoded.offBits + row * stride + at], 0) << "row " << row << " byte " << at;
    }
  }
  if (bits >= 24) {
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < width; ++x) ASSERT_EQ(decoded.At(x, y), test::Pattern(x, y)) << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(WidthsAndDepths, BmpPadding,
                         ::testing::Combine(::testing::Values(1, 2, 3, 4, 5), ::testing::Values(8, 16, 24, 32)));

TEST(BmpWriter, DeviceImagesAreWrittenAtTwentyFourBits) {
  const CaptureImage device = test::MakeDeviceImage(3, 2, test::Pattern);
  const auto decoded = DecodeBmp(BmpBytes(device));
  EXPECT_EQ(decoded.bitCount, 24);
  EXPECT_EQ(decoded.At(2, 1), test::Pattern(2, 1));
}

TEST(BmpWriter, FileReplacesAnExistingOne) {
  test::TempDir dir;
  const std::string path = dir.File("shot.bmp");
  test::WriteFileBytes(path, std::string(10000, 'x'));
  CaptureImage image = test::MakeImage24(4, 4, test::Pattern);
  test::WriteBmpFile(image, path);
  EXPECT_EQ(test::ReadFileBytes(path), BmpBytes(image));
}

TEST(BmpWriter, NonAsciiPathsWork) {
  test::TempDir dir;
  const std::string path = dir.File("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7.bmp");
  const CaptureImage image = test::MakeImage24(3, 2, test::Pattern);
  test::WriteBmpFile(image, path);
  EXPECT_EQ(test::ReadFileBytes(path), BmpBytes(image));
  EXPECT_TRUE(FileExists(path));
}

TEST(BmpWriter, MissingFolderReportsTheFileLayerError) {
  test::TempDir dir;
  const std::string path = dir.File("missing") + "/x.bmp";
  const CaptureImage image = test::MakeImage24(1, 1, test::Pattern);
  try {
    test::WriteBmpFile(image, path);
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(test::FirstLine(e.what()), "Cannot create file " + path);
  }
  EXPECT_FALSE(FileExists(path));
}

// A sink that takes `limit` bytes, then fails as a full disk would.
class FullSink final : public ByteSink {
 public:
  explicit FullSink(std::size_t limit) : limit_(limit) {}
  void Write(std::span<const std::uint8_t> bytes) override {
    if (taken_ + bytes.size() > limit_) throw EWriteError("Stream write error");
    taken_ += bytes.size();
  }

 private:
  std::size_t limit_, taken_ = 0;
};

TEST(BmpWriter, ShortWriteIsStreamWriteError) {
  const CaptureImage image = test::MakeImage24(8, 8, test::Pattern);
  for (std::size_t limit : {0u, 20u, 60u}) {
    FullSink sink(limit);
    EXPECT_THROW(WriteBmp(image, sink), EWriteError) << limit;
  }
}

#ifdef __linux__
TEST(BmpWriter, FullDiskIsStreamWriteError) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const CaptureImage image = test::MakeImage24(64, 64, test::Pattern);
  try {
    test::WriteBmpFile(image, "/dev/full");
    FAIL() << "no error";
  } catch (const EWriteError& e) {
    EXPECT_EQ(test::FirstLine(e.what()), "Stream write error");
  }
}
#endif

}  // namespace
}  // namespace tessory
