#include "imaging/png_writer.h"

#include <gtest/gtest.h>
#include <libdeflate.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <random>
#include <thread>

#include "imaging/codec_read_back.h"
#include "imaging/libpng_binding.h"
#include "imaging/pixel_formats.h"
#include "imaging/png_deflate.h"
#include "imaging/screen_deflate.h"
#include "support/temp_dir.h"
#include "support/test_images.h"
#include "tools/file_io.h"
#include "tools/png_file.h"

namespace tessory {
namespace {

using test::Rgb;

std::uint32_t BeU32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

struct Chunk {
  std::string type, data;
};

// Splits a PNG file into its chunks, checking the signature and every CRC.
std::vector<Chunk> Chunks(const std::string& file) {
  EXPECT_EQ(file.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::vector<Chunk> chunks;
  std::size_t at = 8;
  while (at + 12 <= file.size()) {
    const std::uint32_t length = BeU32(file, at);
    const std::string typeAndData = file.substr(at + 4, 4 + length);
    const auto crc =
        crc32(0, reinterpret_cast<const Bytef*>(typeAndData.data()), static_cast<uInt>(typeAndData.size()));
    EXPECT_EQ(BeU32(file, at + 8 + length), crc) << typeAndData.substr(0, 4);
    chunks.push_back({typeAndData.substr(0, 4), typeAndData.substr(4)});
    at += 12 + length;
  }
  EXPECT_EQ(at, file.size()) << "bytes after the last chunk";
  return chunks;
}

// The IDAT stream inflated: each row's filter byte followed by its samples.
std::string InflatedRows(const std::vector<Chunk>& chunks) {
  std::string deflated;
  for (const Chunk& c : chunks) {
    if (c.type == "IDAT") deflated += c.data;
  }
  std::string out(4 << 20, '\0');
  uLongf size = out.size();
  EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(deflated.data()),
                       deflated.size()),
            Z_OK);
  out.resize(size);
  return out;
}

struct DecodedPng {
  int width = 0, height = 0;
  bool alpha = false;
  std::vector<std::uint8_t> rgba;  // top row first
  Rgb At(int x, int y) const {
    const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
    return {p[0], p[1], p[2]};
  }
  std::uint8_t AlphaAt(int x, int y) const { return rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3]; }
};

// Decodes with libpng's own reader.
DecodedPng DecodePng(const std::string& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
    ADD_FAILURE() << image.message;
    return {};
  }
  DecodedPng decoded{
      static_cast<int>(image.width), static_cast<int>(image.height), (image.format & PNG_FORMAT_FLAG_ALPHA) != 0, {}};
  image.format = PNG_FORMAT_RGBA;
  decoded.rgba.resize(PNG_IMAGE_SIZE(image));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, decoded.rgba.data(), 0, nullptr)) << image.message;
  return decoded;
}

class PngWriter : public ::testing::Test {
 protected:
  std::string Write(const CaptureImage& image, std::uint32_t color = clNone, const std::string& name = "out.png") {
    WritePngFile(dir.File(name), image, color);
    return test::ReadBack(dir.File(name));
  }
  void ExpectFailure(const CaptureImage& image, const std::string& path, const std::string& message) {
    try {
      WritePngFile(path, image, clNone);
      ADD_FAILURE() << "no error for " << path;
    } catch (const Error& e) {
      EXPECT_EQ(test::FirstLine(e.what()), message);
    }
  }
  test::TempDir dir;
};

TEST_F(PngWriter, WritesIhdrOneSoftwareTextAndNothingElseAncillary) {
  const std::vector<Chunk> chunks = Chunks(Write(test::MakeImage24(7, 3, test::Pattern)));
  ASSERT_GE(chunks.size(), 4u);
  EXPECT_EQ(chunks[0].type, "IHDR");
  EXPECT_EQ(chunks[0].data, std::string("\0\0\0\x07\0\0\0\x03\x08\x02\0\0\0", 13));  // 7 x 3, 8 bits, RGB, no interlace
  EXPECT_EQ(chunks[1].type, "tEXt");
  EXPECT_EQ(chunks[1].data, std::string("Software\0", 9));
  for (std::size_t i = 2; i + 1 < chunks.size(); ++i) EXPECT_EQ(chunks[i].type, "IDAT");
  EXPECT_EQ(chunks.back().type, "IEND");
}

TEST_F(PngWriter, RowsStartAtTheTopAndCarryNoPadding) {
  // Width 5: the 24-bit source rows are padded to 16 bytes, PNG rows hold 15.
  const CaptureImage image = test::MakeImage24(5, 3, [](int x, int y) {
    if (x == 0 && y == 0) return Rgb{10, 20, 30};
    return y == 0 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
  });
  const std::string file = Write(image);
  const std::string rows = InflatedRows(Chunks(file));
  ASSERT_EQ(rows.size(), 3u * (1 + 15));
  // Whatever filter the library picks, the first pixel of the first row is
  // stored unchanged: it has no neighbour to the left or above.
  EXPECT_EQ(rows.substr(1, 3), "\x0a\x14\x1e");
  const DecodedPng decoded = DecodePng(file);
  EXPECT_EQ(decoded.At(1, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(decoded.At(4, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(decoded.At(0, 1), (Rgb{0, 0, 0}));
}

enum class Source { Stored24, Device, Stored32 };

class PngPixels : public PngWriter, public ::testing::WithParamInterface<std::tuple<int, int, Source>> {};

TEST_P(PngPixels, DecodeToTheCapturePixelsExactly) {
  const auto [width, height, source] = GetParam();
  CaptureImage image = source == Source::Device ? test::MakeDeviceImage(width, height, test::Pattern)
                                                : test::MakeImage24(width, height, test::Pattern);
  if (source == Source::Stored32) ConvertPixelDepth(image, 32);
  const PixelFormat before = image.Format();
  const DecodedPng decoded = DecodePng(Write(image));
  ASSERT_EQ(decoded.width, width);
  ASSERT_EQ(decoded.height, height);
  EXPECT_FALSE(decoded.alpha);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) ASSERT_EQ(decoded.At(x, y), test::Pattern(x, y)) << x << "," << y;
  }
  EXPECT_EQ(image.Format(), before) << "the writer must not convert the capture";
}

INSTANTIATE_TEST_SUITE_P(Sizes, PngPixels,
                         ::testing::Combine(::testing::Values(1, 2, 5, 17, 64), ::testing::Values(1, 3, 33),
                                            ::testing::Values(Source::Stored24, Source::Device, Source::Stored32)));

// A smooth gradient is written with filters; screen content and noise with
// whichever filters the estimate picks (the screen's diagonal "text"
// deflates smaller with Up). With or without a colour key, the file decodes
// to the capture's pixels exactly.
constexpr char kAnyFilter = -1, kSomeFilter = -2;

struct FilterCase {
  const char* name;
  int width, height;
  test::ColorAt color;
  char filter;  // the filter of every row, or kAnyFilter, or kSomeFilter (any but None)
  std::uint32_t key;
  friend void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }
};

class PngRowFilter : public PngWriter, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(PngRowFilter, FollowsTheContentAndKeepsEveryPixel) {
  const FilterCase& c = GetParam();
  const std::string file = Write(test::MakeImage24(c.width, c.height, c.color), c.key);
  const int channels = c.key == clNone ? 3 : 4;
  const std::string rows = InflatedRows(Chunks(file));
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(c.height) * (1 + c.width * channels));
  for (int y = 0; y < c.height; ++y) {
    const char filter = rows[y * (1 + c.width * channels)];
    ASSERT_TRUE(filter >= 0 && filter <= 4) << "row " << y;
    if (c.filter == kSomeFilter) {
      ASSERT_NE(filter, 0) << "row " << y;
    } else if (c.filter != kAnyFilter) {
      ASSERT_EQ(filter, c.filter) << "row " << y;
    }
  }
  const DecodedPng decoded = DecodePng(file);
  const Rgb keyColor{static_cast<std::uint8_t>(c.key), static_cast<std::uint8_t>(c.key >> 8),
                     static_cast<std::uint8_t>(c.key >> 16)};
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      ASSERT_EQ(decoded.At(x, y), c.color(x, y)) << x << "," << y;
      if (channels == 4) {
        ASSERT_EQ(decoded.AlphaAt(x, y), c.color(x, y) == keyColor ? 0 : 255) << x << "," << y;
      }
    }
  }
}

// Panels, a title bar and lines of "text" in four colours.
Rgb Screen(int x, int y) {
  if (y < 24) return {0, 120, 215};
  if (x < 160) return {236, 239, 244};
  return (y / 2 + x / 3) % 7 == 0 && y % 18 < 12 ? Rgb{30, 30, 30} : Rgb{250, 250, 250};
}

// A wallpaper that changes smoothly in both directions, of 1024 x 640.
Rgb Gradient(int x, int y) {
  return {static_cast<std::uint8_t>(20 + (x + y) * 150 / 1664 + y * 40 / 640),
          static_cast<std::uint8_t>(60 + x * 120 / 1024), static_cast<std::uint8_t>(200 - (x + y) * 120 / 1664)};
}

// The keyed screen makes the title bar's blue transparent; the keyed
// "photo" (17 sampled rows of 512 pixels, nearly all of their own colour)
// the colour of its top-left pixel. The large screen's rows (2 MB) are
// compressed in parts where the machine has more than one core.
INSTANTIATE_TEST_SUITE_P(Content, PngRowFilter,
                         ::testing::Values(FilterCase{"screen", 640, 120, Screen, kAnyFilter, clNone},
                                           FilterCase{"large screen", 1024, 700, Screen, kAnyFilter, clNone},
                                           FilterCase{"screen keyed", 640, 120, Screen, kAnyFilter, 0x00D77800},
                                           FilterCase{"gradient", 1024, 640, Gradient, kSomeFilter, clNone},
                                           FilterCase{"gradient keyed", 1024, 640, Gradient, kSomeFilter, 0x00C83C14},
                                           FilterCase{"photo", 512, 136, test::Pattern, kAnyFilter, clNone},
                                           FilterCase{"photo keyed", 512, 136, test::Pattern, kAnyFilter, 0x00300000}));

// The bytes libpng writes with its defaults (adaptive filter, zlib level
// 6) for red-first rows, top row first; 0 where it fails.
std::size_t LibpngDefaultSize(std::uint32_t width, std::uint32_t height, png_bytepp rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::size_t size = 0;
  if (info && !setjmp(png_jmpbuf(png))) {
    png_set_write_fn(
        png, &size, [](png_structp p, png_bytep, png_size_t n) { *static_cast<std::size_t*>(png_get_io_ptr(p)) += n; },
        nullptr);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
  } else {
    size = 0;
  }
  png_destroy_write_struct(&png, &info);
  return size;
}

std::size_t LibpngDefaultSize(const CaptureImage& image) {
  const std::size_t width = static_cast<std::size_t>(image.Width()), height = static_cast<std::size_t>(image.Height());
  std::vector<std::uint8_t> rgb(width * height * 3);
  std::vector<png_bytep> rows(height);
  for (std::size_t y = 0; y < height; ++y) {
    rows[y] = rgb.data() + y * width * 3;
    const std::uint8_t* s = image.Rows().data() + (height - 1 - y) * image.Stride();
    for (std::size_t x = 0; x < width; ++x)
      rows[y][3 * x] = s[3 * x + 2], rows[y][3 * x + 1] = s[3 * x + 1], rows[y][3 * x + 2] = s[3 * x];
  }
  return LibpngDefaultSize(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), rows.data());
}

// Windows with lines of glyphs, flat and anti-aliased, over the gradient
// wallpaper: the wallpaper wants filtered rows, the windows unfiltered
// ones, and rows across both a choice between them.
Rgb WindowsOverGradient(int x, int y) {
  struct Window {
    int left, top, right, bottom;
  };
  static constexpr Window kWindows[] = {{40, 30, 470, 330}, {360, 220, 900, 560}, {700, 40, 980, 200}};
  const Window* front = nullptr;
  for (const Window& w : kWindows) {
    if (x >= w.left && x < w.right && y >= w.top && y < w.bottom) front = &w;
  }
  if (!front) return Gradient(x, y);
  if (y < front->top + 24) return {0, 90, 200};
  const int line = (y - front->top - 24) % 18, column = (x - front->left) % 8;
  const std::uint32_t glyph =
      static_cast<std::uint32_t>((x - front->left) / 8 * 7919 + (y - front->top - 24) / 18 * 104729) % 61;
  if (line >= 13 || column >= 7 || glyph >= 52) return {250, 250, 250};
  const std::uint32_t dot = (glyph * 2654435761u >> (line * 7 + column) % 29) & 7;
  const std::uint8_t level = dot < 4 ? 250 : static_cast<std::uint8_t>(250 - dot * 30);
  return {level, level, level};
}

TEST(PngSize, MixedPictureIsNoLargerThanLibpngDefaults) {
  const CaptureImage image = test::MakeImage24(1024, 640, WindowsOverGradient);
  VectorSink sink;
  WritePng(sink, image, clNone);
  const std::size_t libpng = LibpngDefaultSize(image);
  EXPECT_LE(sink.Bytes().size(), libpng);
}

struct KeyCase {
  std::uint32_t key;
  Rgb transparent;
  friend void PrintTo(const KeyCase& c, std::ostream* os) { *os << "key 0x" << std::hex << c.key; }
};

class PngColorKey : public PngWriter, public ::testing::WithParamInterface<KeyCase> {};

// Colours that differ from each key in a single channel or by order.
const Rgb kKeyColors[] = {{0, 255, 0}, {0, 0, 0}, {255, 0, 0}, {0, 0, 255}, {0, 254, 0}, {1, 255, 0}, {10, 20, 30}};

TEST_P(PngColorKey, OnlyTheKeyColourTurnsTransparent) {
  const KeyCase c = GetParam();
  const auto color = [](int x, int y) { return kKeyColors[(x + 2 * y) % std::size(kKeyColors)]; };
  const std::string file = Write(test::MakeImage24(7, 4, color), c.key);
  EXPECT_EQ(Chunks(file)[0].data[9], '\x06');  // colour type RGB with alpha
  const DecodedPng decoded = DecodePng(file);
  ASSERT_TRUE(decoded.alpha);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 7; ++x) {
      EXPECT_EQ(decoded.At(x, y), color(x, y));
      EXPECT_EQ(decoded.AlphaAt(x, y), color(x, y) == c.transparent ? 0 : 255) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Keys, PngColorKey,
                         ::testing::Values(KeyCase{0x00FF00, {0, 255, 0}},    // green
                                           KeyCase{0xFF00FF00, {0, 255, 0}},  // the top 8 bits are ignored
                                           KeyCase{0x01000000, {0, 0, 0}},    // low 24 bits 0: black
                                           KeyCase{0x0000FF, {255, 0, 0}},    // red sits in the low byte
                                           KeyCase{0xFF0000, {0, 0, 255}},    // blue in bits 16-23
                                           KeyCase{0x1E140A, {10, 20, 30}}));

TEST_F(PngWriter, MissingFolderIsReportedAndCreatesNothing) {
  const std::string path = dir.File("missing") + "/a.png";
  ExpectFailure(test::MakeImage24(2, 2, test::Pattern), path, "Error Opening File " + path + "!");
  EXPECT_FALSE(FileExists(path));
}

TEST_F(PngWriter, ReplacesAnExistingFile) {
  test::WriteFileBytes(dir.File("old.png"), std::string(100000, 'x'));
  const CaptureImage image = test::MakeImage24(3, 2, test::Pattern);
  EXPECT_EQ(Write(image, clNone, "old.png"), Write(image, clNone, "new.png"));
}

TEST_F(PngWriter, PicturesTheLibraryRefusesAreErrorsNotFiles) {
  test::WriteFileBytes(dir.File("wide.png"), "old picture");
  ExpectFailure(CaptureImage(), dir.File("empty.png"), "Error Writing PNG File!");
  // libpng refuses widths above its limit of one million pixels.
  ExpectFailure(test::MakeImage24(1000001, 1, test::Pattern), dir.File("wide.png"), "Error Writing PNG File!");
  EXPECT_EQ(test::ReadFileBytes(dir.File("wide.png")), "old picture");
  EXPECT_FALSE(FileExists(dir.File("empty.png")));
}

TEST_F(PngWriter, ShortWriteIsReported) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  ExpectFailure(test::MakeImage24(64, 64, test::Pattern), "/dev/full", "Error Writing PNG File!");
}

// The sink fails once the header chunks are in: its own error travels on
// from inside the library's chunk writing.
TEST_F(PngWriter, SinkFailureWhileWritingTheImageDataTravelsOn) {
  class HeaderOnlySink final : public ByteSink {
   public:
    void Write(std::span<const std::uint8_t> bytes) override {
      if (taken + bytes.size() > 8 + 25 + 21) throw EWriteError("Stream write error");
      taken += bytes.size();
    }
    std::size_t taken = 0;
  } sink;
  EXPECT_THROW(WritePng(sink, test::MakeImage24(64, 64, test::Pattern), clNone), EWriteError);
  EXPECT_EQ(sink.taken, 8u + 25 + 21);  // signature, IHDR, tEXt
}

TEST_F(PngWriter, WritesToNonAsciiPaths) {
  const std::string name = "Fen\xC3\xAAtre-\xE6\x97\xA5\xE6\x9C\xAC.png";
  const DecodedPng decoded = DecodePng(Write(test::MakeImage24(4, 2, test::Pattern), clNone, name));
  EXPECT_EQ(decoded.width, 4);
}

// 300 unfiltered PNG rows of the 640-wide screen, with an alpha sample of
// 255 at four bytes a pixel.
std::vector<std::uint8_t> ScreenRows(std::size_t pixelBytes) {
  std::vector<std::uint8_t> rows;
  for (int y = 0; y < 300; ++y) {
    rows.push_back(0);
    for (int x = 0; x < 640; ++x) {
      const Rgb c = Screen(x, y);
      rows.insert(rows.end(), {c.r, c.g, c.b});
      if (pixelBytes == 4) rows.push_back(255);
    }
  }
  return rows;
}

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

// Rows compressed in parts join into one zlib stream, whatever kind of
// blocks each part holds: stored (random bytes), fixed codes (a short
// text), codes of its own (screen-like rows) or a mix.
TEST(PngDeflate, PartsJoinIntoOneStreamThatInflatesToTheInput) {
  std::mt19937 random(20);
  std::vector<std::uint8_t> noise(150000);
  for (std::uint8_t& byte : noise) byte = static_cast<std::uint8_t>(random());
  std::string text;
  for (int i = 0; i < 12; ++i) text += "Error Opening File " + std::to_string(i * 7) + ".png! ";
  const std::vector<std::uint8_t> screen = ScreenRows(3);
  std::vector<std::uint8_t> mixed = screen;
  mixed.insert(mixed.begin() + 200000, noise.begin(), noise.end());
  const std::vector<std::vector<std::uint8_t>> inputs = {noise, {text.begin(), text.end()}, screen, mixed};
  for (const std::vector<std::uint8_t>& input : inputs) {
    for (const std::size_t parts : {2, 3, 8}) {
      PngWorkspace workspace;
      const std::vector<std::uint8_t> oneCall = Bytes(workspace.CompressZlibInParts(input, 5, 1));
      const std::span<const std::uint8_t> stream = workspace.CompressZlibInParts(input, 5, parts);
      EXPECT_NE(Bytes(stream), oneCall) << "compressed in one call instead";
      std::vector<std::uint8_t> inflated(input.size() + 1);
      uLongf size = inflated.size();
      ASSERT_EQ(uncompress(inflated.data(), &size, stream.data(), stream.size()), Z_OK) << input.size() << "/" << parts;
      inflated.resize(size);
      EXPECT_EQ(inflated, input) << input.size() << "/" << parts;
    }
  }
}

// Rows of 2 MB or more are compressed in parts between rows, one per core
// (at most eight, none under 1 MB), whose rows `fill` writes; less in one
// call. A write that could be made in parts and fell back to one call
// fails here, as well as one whose rows come out wrong.
TEST(PngDeflate, RowsAreCompressedInAsManyPartsAsTheirSizeAndTheCoresAllow) {
  const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, PngWorkspace::kMaxParts);
  constexpr std::size_t kMegabyte = std::size_t{1} << 20;
  struct Size {
    std::size_t rowBytes;
    int rowCount;
  };
  // The last: two rows of 1.5 MB, two parts at most.
  for (const Size size : {Size{3841, 200}, Size{3841, 546}, Size{3841, 547}, Size{5761, 1080}, Size{11521, 2160},
                          Size{3 * kMegabyte, 1}, Size{3 * kMegabyte / 2, 2}}) {
    const std::size_t bytes = size.rowBytes * static_cast<std::size_t>(size.rowCount);
    const std::size_t expected =
        std::max<std::size_t>(1, std::min({cores, bytes / kMegabyte, static_cast<std::size_t>(size.rowCount)}));
    const auto byteAt = [&](std::size_t row, std::size_t column) {
      return static_cast<std::uint8_t>(column == 0 ? 0 : (row / 8 + column / 24) % 5 == 0 ? row * column >> 4 : 250);
    };
    std::vector<std::uint8_t> rows(bytes);
    PngWorkspace workspace;
    const PngWorkspace::RowFill fill = [&](int first, int count, std::span<std::uint8_t> out) {
      ASSERT_EQ(out.size(), size.rowBytes * static_cast<std::size_t>(count));
      for (std::size_t y = 0; y < static_cast<std::size_t>(count); ++y) {
        for (std::size_t x = 0; x < size.rowBytes; ++x) out[y * size.rowBytes + x] = byteAt(first + y, x);
      }
    };
    const std::span<const std::uint8_t> stream = workspace.FillAndCompress(rows, size.rowCount, 5, fill);
    EXPECT_EQ(workspace.Parts(), expected) << bytes << " bytes in rows of " << size.rowBytes;
    std::vector<std::uint8_t> inflated(bytes + 1);
    uLongf inflatedSize = inflated.size();
    ASSERT_EQ(uncompress(inflated.data(), &inflatedSize, stream.data(), stream.size()), Z_OK) << bytes;
    ASSERT_EQ(inflatedSize, bytes);
    for (std::size_t i = 0; i < bytes; ++i) {
      ASSERT_EQ(inflated[i], byteAt(i / size.rowBytes, i % size.rowBytes)) << "byte " << i << " of " << bytes;
    }
  }
}

// The library refuses a version text other than its own release series,
// which is why the binding passes the version it was built with.
// Screen rows, over more than the window and one block, at three and
// four bytes a pixel, inflate (zlib) to the input and come out smaller
// than at libdeflate's level 7, which small pictures take otherwise; noise
// is left to that coder, with the output as it was.
TEST(ScreenDeflate, ScreenRowsInflateToTheInputSmallerThanLibdeflateAndNoiseIsLeftAlone) {
  for (const std::size_t pixelBytes : {3, 4}) {
    const std::vector<std::uint8_t> rows = ScreenRows(pixelBytes);
    ScreenDeflater deflater;
    std::vector<std::uint8_t> stream;
    ASSERT_TRUE(deflater.Compress(rows, pixelBytes, 1 + 640 * pixelBytes, stream));
    std::vector<std::uint8_t> inflated(rows.size() + 1);
    z_stream z{};
    ASSERT_EQ(inflateInit2(&z, -15), Z_OK);
    z.next_in = stream.data(), z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = inflated.data(), z.avail_out = static_cast<uInt>(inflated.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END) << pixelBytes;
    inflated.resize(z.total_out);
    inflateEnd(&z);
    EXPECT_EQ(inflated, rows) << pixelBytes;
    libdeflate_compressor* level7 = libdeflate_alloc_compressor(7);
    std::vector<std::uint8_t> general(rows.size() * 2);
    EXPECT_LT(stream.size(),
              libdeflate_deflate_compress(level7, rows.data(), rows.size(), general.data(), general.size()));
    libdeflate_free_compressor(level7);
  }
  std::mt19937 random(7);
  std::vector<std::uint8_t> noise(100000);
  for (std::uint8_t& byte : noise) byte = static_cast<std::uint8_t>(random());
  std::vector<std::uint8_t> stream = {0x78, 0xDA};
  EXPECT_FALSE(ScreenDeflater().Compress(noise, 3, 1000, stream));
  EXPECT_EQ(stream, (std::vector<std::uint8_t>{0x78, 0xDA}));
}

TEST(PngLib, ForeignVersionTextGivesNoContext) {
  pnglib::PngPicture picture;
  VectorSink sink;
  EXPECT_EQ(pnglib::WritePicture(sink, picture, "1.0.1"), pnglib::WriteResult::NoContext);
  EXPECT_TRUE(sink.Bytes().empty());
}

}  // namespace
}  // namespace tessory
