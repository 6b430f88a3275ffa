#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

// clang-format off: jpeglib.h expects FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>
// clang-format on

#include "imaging/codec_read_back.h"
#include "imaging/jpeg_image.h"
#include "support/temp_dir.h"
#include "support/test_images.h"
#include "tools/file_io.h"
#include "tools/jpeg_reference.h"

namespace tessory {
namespace {

using test::Rgb;

struct DecodedJpeg {
  int width = 0, height = 0, components = 0;
  bool jfif = false, progressive = false;
  std::vector<std::pair<int, int>> sampling;  // h, v per component
  std::vector<std::uint8_t> rgb;              // top row first
  Rgb At(int x, int y) const {
    const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
  }
};

// Decodes with libjpeg's own decompressor, to RGB.
DecodedJpeg DecodeJpeg(std::span<const std::uint8_t> bytes) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  DecodedJpeg d;
  d.width = static_cast<int>(cinfo.image_width);
  d.height = static_cast<int>(cinfo.image_height);
  d.components = cinfo.num_components;
  d.jfif = cinfo.saw_JFIF_marker;
  d.progressive = cinfo.progressive_mode;
  for (int i = 0; i < cinfo.num_components; ++i) {
    d.sampling.emplace_back(cinfo.comp_info[i].h_samp_factor, cinfo.comp_info[i].v_samp_factor);
  }
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  d.rgb.resize(static_cast<std::size_t>(d.width) * d.height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = d.rgb.data() + static_cast<std::size_t>(cinfo.output_scanline) * d.width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return d;
}

// The marker codes from SOI up to SOS (0xD8, 0xE0, ...).
std::vector<int> Markers(std::span<const std::uint8_t> bytes) {
  std::vector<int> markers;
  for (std::size_t at = 2; at + 4 <= bytes.size() && bytes[at] == 0xFF;) {
    markers.push_back(bytes[at + 1]);
    if (bytes[at + 1] == 0xDA) break;
    at += 2 + (bytes[at + 2] << 8 | bytes[at + 3]);
  }
  return markers;
}

// A smooth picture: JPEG keeps it close, so its pixels can be compared.
Rgb Gradient(int x, int y) {
  return {static_cast<std::uint8_t>(40 + x * 3 % 180), static_cast<std::uint8_t>(60 + y * 2 % 150),
          static_cast<std::uint8_t>(200 - (x + y) % 150)};
}

std::vector<std::uint8_t> Encode(const CaptureImage& image, std::uint8_t quality = TJPEGImage::kDefaultQuality) {
  TJPEGImage jpeg;
  jpeg.SetQuality(quality);
  jpeg.AssignBitmap(image);
  jpeg.CompressJpeg();
  return {jpeg.EncodedData().begin(), jpeg.EncodedData().end()};
}

bool Near(Rgb a, Rgb b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

TEST(JpegFile, IsBaselineJfifWithLumaSampledTwoByTwo) {
  const std::vector<std::uint8_t> bytes = Encode(test::MakeDeviceImage(40, 24, Gradient));
  const DecodedJpeg d = DecodeJpeg(bytes);
  EXPECT_EQ(d.width, 40);
  EXPECT_EQ(d.height, 24);
  EXPECT_EQ(d.components, 3);
  EXPECT_TRUE(d.jfif);
  EXPECT_FALSE(d.progressive);
  EXPECT_EQ(d.sampling, (std::vector<std::pair<int, int>>{{2, 2}, {1, 1}, {1, 1}}));
  const std::vector<int> markers = Markers(bytes);
  EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xC0), 1) << "one SOF0 frame";
  for (int sof : {0xC1, 0xC2, 0xC3, 0xC9, 0xCA}) EXPECT_EQ(std::count(markers.begin(), markers.end(), sof), 0);
  EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xDB), 2) << "both quantisation tables";
  EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xC4), 4) << "all four Huffman tables";
}

TEST(JpegFile, KeepsLeftAndRightColoursApart) {
  const auto halves = [](int x, int) { return x < 16 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}; };
  const DecodedJpeg d = DecodeJpeg(Encode(test::MakeImage24(32, 16, halves)));
  EXPECT_TRUE(Near(d.At(4, 8), {255, 0, 0}, 12));
  EXPECT_TRUE(Near(d.At(27, 8), {0, 0, 255}, 12));
}

TEST(JpegFile, LowQualityIsMarkedlySmaller) {
  const CaptureImage image = test::MakeImage24(64, 64, test::Pattern);
  EXPECT_LT(Encode(image, 10).size() * 2, Encode(image, 100).size());
}

class JpegSizes : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(JpegSizes, EncodeAndDecodeToTheCapture) {
  const auto [width, height] = GetParam();
  const DecodedJpeg d = DecodeJpeg(Encode(test::MakeDeviceImage(width, height, Gradient), 95));
  ASSERT_EQ(d.width, width);
  ASSERT_EQ(d.height, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) ASSERT_TRUE(Near(d.At(x, y), Gradient(x, y), 12)) << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(FromOnePixel, JpegSizes,
                         ::testing::Values(std::pair{1, 1}, std::pair{1, 2}, std::pair{2, 1}, std::pair{3, 3},
                                           std::pair{8, 8}, std::pair{9, 17}, std::pair{16, 16}, std::pair{17, 1},
                                           std::pair{1, 17}, std::pair{31, 33}));

struct Variant {
  int width, height, quality;
  bool grayscale, progressive;
  friend void PrintTo(const Variant& v, std::ostream* os) {
    *os << v.width << "x" << v.height << " q" << v.quality << (v.grayscale ? " grey" : "")
        << (v.progressive ? " progressive" : "");
  }
};

// The test pattern as red-first rows, top row first: the same pixels the
// writer reads as blue-green-red rows, bottom row first.
std::vector<std::uint8_t> PatternRgb(int width, int height) {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = test::Pattern(x, y);
      rgb.insert(rgb.end(), {c.r, c.g, c.b});
    }
  }
  return rgb;
}

class JpegReference : public ::testing::TestWithParam<Variant> {};

TEST_P(JpegReference, MatchesLibjpegOnReorderedRows) {
  const Variant v = GetParam();
  const CaptureImage image = test::MakeImage24(v.width, v.height, test::Pattern);
  TJPEGImage jpeg;
  jpeg.SetQuality(static_cast<std::uint8_t>(v.quality));
  jpeg.SetGrayscale(v.grayscale);
  jpeg.SetProgressiveEncoding(v.progressive);
  jpeg.AssignBitmap(image);
  jpeg.CompressJpeg();
  const std::vector<std::uint8_t> ours(jpeg.EncodedData().begin(), jpeg.EncodedData().end());
  const JpegReferenceSettings settings{v.quality, v.grayscale, v.progressive};
  EXPECT_TRUE(ours == ReferenceJpeg(PatternRgb(v.width, v.height), v.width, v.height, settings));
  EXPECT_EQ(jpeg.Width(), v.width);
  EXPECT_EQ(jpeg.Height(), v.height);
}

INSTANTIATE_TEST_SUITE_P(Settings, JpegReference,
                         ::testing::Values(Variant{1, 1, 90, false, false}, Variant{33, 17, 90, false, false},
                                           Variant{64, 48, 10, false, false}, Variant{64, 48, 100, false, false},
                                           Variant{20, 20, 0, false, false}, Variant{35, 9, 75, true, false},
                                           Variant{35, 9, 75, false, true}));

class JpegWriter : public ::testing::Test {
 protected:
  std::string Read(const std::string& name) { return test::ReadBack(dir.File(name)); }
  test::TempDir dir;
};

TEST_F(JpegWriter, SecondWriteReusesTheEncodingUntilANewBitmap) {
  CaptureImage image = test::MakeImage24(24, 16, test::Pattern);
  TJPEGImage jpeg;
  jpeg.AssignBitmap(image);
  jpeg.WriteJpegFile(dir.File("a.jpg"));
  image.Rows()[0] ^= 0xFF;  // encoding again would show this
  jpeg.WriteJpegFile(dir.File("b.jpg"));
  EXPECT_EQ(Read("a.jpg"), Read("b.jpg"));
  jpeg.AssignBitmap(image);
  jpeg.WriteJpegFile(dir.File("c.jpg"));
  EXPECT_NE(Read("a.jpg"), Read("c.jpg"));
  jpeg.SetQuality(20);
  jpeg.WriteJpegFile(dir.File("d.jpg"));
  EXPECT_LT(Read("d.jpg").size(), Read("c.jpg").size());
}

TEST_F(JpegWriter, UncreatableFileIsReportedBeforeEncoding) {
  const CaptureImage image = test::MakeImage24(4, 4, test::Pattern);
  TJPEGImage jpeg;
  jpeg.AssignBitmap(image);
  const std::string path = dir.File("missing") + "/a.jpg";
  try {
    jpeg.WriteJpegFile(path);
    ADD_FAILURE() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(test::FirstLine(e.what()), "Cannot create file " + path);
  }
  EXPECT_FALSE(jpeg.HasEncodedData());
  EXPECT_FALSE(FileExists(path));
}

// The library's message code for each picture it refuses; no file is left
// behind, and no encoded data survive the failure.
TEST_F(JpegWriter, LibraryErrorsCarryTheMessageCodeAndLeaveNoFile) {
  const CaptureImage tooWide = test::MakeImage24(JPEG_MAX_DIMENSION + 1, 1, test::Pattern);
  const CaptureImage empty;
  const std::pair<const CaptureImage*, int> cases[] = {
      {&tooWide, JERR_IMAGE_TOO_BIG}, {&empty, JERR_EMPTY_IMAGE}, {nullptr, JERR_EMPTY_IMAGE}};
  for (const auto& [image, code] : cases) {
    TJPEGImage jpeg;
    if (image) jpeg.AssignBitmap(*image);
    for (int attempt = 0; attempt < 2; ++attempt) {
      try {
        jpeg.WriteJpegFile(dir.File("bad.jpg"));
        ADD_FAILURE() << "no error for code " << code;
      } catch (const EJPEG& e) {
        EXPECT_EQ(e.what(), "JPEG error #" + std::to_string(code));
      }
      EXPECT_FALSE(FileExists(dir.File("bad.jpg")));
      EXPECT_FALSE(jpeg.HasEncodedData());
    }
  }
}

TEST_F(JpegWriter, ShortWriteIsReported) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  const CaptureImage image = test::MakeImage24(64, 64, test::Pattern);
  TJPEGImage jpeg;
  jpeg.AssignBitmap(image);
  EXPECT_THROW(jpeg.WriteJpegFile("/dev/full"), EWriteError);
}

TEST_F(JpegWriter, WritesToNonAsciiPathsAndLeavesTheCaptureAlone) {
  const CaptureImage image = test::MakeDeviceImage(5, 3, Gradient);
  TJPEGImage jpeg;
  jpeg.AssignBitmap(image);
  jpeg.WriteJpegFile(dir.File("Fen\xC3\xAAtre-\xE6\x97\xA5\xE6\x9C\xAC.jpg"));
  const std::string bytes = Read("Fen\xC3\xAAtre-\xE6\x97\xA5\xE6\x9C\xAC.jpg");
  EXPECT_EQ(bytes, std::string(jpeg.EncodedData().begin(), jpeg.EncodedData().end()));
  EXPECT_EQ(image.Format(), PixelFormat::Device);
}

}  // namespace
}  // namespace tessory
