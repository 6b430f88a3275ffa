#include "tools/image_input.h"

#include <gtest/gtest.h>

#include "framework/error.h"
#include "support/temp_dir.h"

namespace tessory {
namespace {

class InputImage : public ::testing::Test {
 protected:
  CaptureImage Read(const std::string& bytes) {
    test::WriteFileBytes(dir.File("in"), bytes);
    return ReadInputImage(dir.File("in"));
  }
  // The reader's message after "<path>: ".
  std::string Refusal(const std::string& bytes) {
    try {
      Read(bytes);
    } catch (const Error& e) {
      return std::string(e.what()).substr(dir.File("in").size() + 2);
    }
    return "accepted";
  }
  static std::string Bmp(std::uint32_t offBits, std::uint32_t infoSize, std::uint16_t bits, int width, int height) {
    std::string b = "BM";
    auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) b += static_cast<char>(v >> (8 * i)); };
    auto u16 = [&](std::uint16_t v) { b += static_cast<char>(v), b += static_cast<char>(v >> 8); };
    u32(0), u32(0), u32(offBits), u32(infoSize), u32(static_cast<std::uint32_t>(width)),
        u32(static_cast<std::uint32_t>(height)), u16(1), u16(bits);
    b.resize(54, '\0');
    b.resize(54 + 4 * static_cast<std::size_t>(height < 0 ? -height : height), '\x07');
    return b;
  }
  test::TempDir dir;
};

TEST_F(InputImage, CommentAfterMaxvalIsSkippedNotReadAsPixels) {
  const CaptureImage image = Read(std::string("P6 1 1 255# c\n") + "\x0a\x14\x1e");
  ASSERT_EQ(image.Width(), 1);
  EXPECT_EQ(image.Rows()[0], 0x1e);  // blue first in the image's rows
  EXPECT_EQ(image.Rows()[2], 0x0a);
}

TEST_F(InputImage, PpmRowsComeOutBottomUpInBlueGreenRed) {
  // Seven pixels a row: a whole reordering step and a tail after it.
  std::string pixels;
  for (int i = 0; i < 2 * 21; ++i) pixels += static_cast<char>(i);
  const CaptureImage image = Read("P6 7 2 255\n" + pixels);
  ASSERT_EQ(image.Stride(), 24u);
  for (int y = 0; y < 2; ++y) {
    for (int i = 0; i < 21; ++i) {
      const int source = (1 - y) * 21 + i / 3 * 3 + 2 - i % 3;
      EXPECT_EQ(image.Rows()[static_cast<std::size_t>(y * 24 + i)], source) << "row " << y << " byte " << i;
    }
  }
}

TEST_F(InputImage, BadHeadersAreRefusedWithWhatIsWrong) {
  EXPECT_EQ(Refusal("P6 123456789012345678901 1 255\n"),
            "unsupported PPM size (width and height must be 1 to 65536)");
  EXPECT_EQ(Refusal("P6 1 1 65535\n......"), "only PPM files with maxval 255 are supported");
  EXPECT_EQ(Refusal("P6 2 2 255\n\x01"), "truncated PPM data");
  EXPECT_EQ(Refusal(Bmp(0, 40, 24, 1, 1)), "BMP pixel offset 0 lies inside the headers");
  EXPECT_EQ(Refusal(Bmp(26, 12, 24, 1, 1)), "BMP files with the 12-byte core header are not supported");
  EXPECT_EQ(Refusal(Bmp(54, 40, 8, 1, 1)), "only 24-bit BMP files are supported; this one has 8 bits per pixel");
  EXPECT_EQ(Refusal(Bmp(54, 40, 24, 65536, 65536)), "truncated BMP data");
  EXPECT_EQ(Refusal("GIF89a"), "not a binary PPM (P6) or BMP file");
  EXPECT_EQ(Refusal(""), "not a binary PPM (P6) or BMP file");
}

TEST_F(InputImage, TopDownBmpIsStoredBottomUp) {
  std::string bytes = Bmp(54, 40, 24, 1, -2);
  bytes[54] = 1, bytes[58] = 2;  // top row, then bottom row
  const CaptureImage image = Read(bytes);
  EXPECT_EQ(image.Rows()[0], 2);
  EXPECT_EQ(image.Rows()[4], 1);
}

// Windows will not open a folder as a file at all; elsewhere it opens, and
// its size says nothing about its content.
TEST_F(InputImage, FoldersAreRefused) {
  try {
    ReadInputImage(dir.Path());
    FAIL() << "no error";
  } catch (const Error& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find(dir.Path()), std::string::npos) << text;
#ifndef _WIN32
    EXPECT_EQ(text, dir.Path() + ": not a regular file");
#endif
  }
}

}  // namespace
}  // namespace tessory
