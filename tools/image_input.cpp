#include "tools/image_input.h"

#include <algorithm>
#include <cstring>

#include "framework/error.h"
#include "tools/mapped_file.h"

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define TESSORY_INPUT_SSSE3 1
#endif

namespace tessory {
namespace {

// Copies `bytes` of red-green-blue pixels from `source` to `target` as
// blue-green-red.
void CopySwappingRedAndBlueScalar(const std::uint8_t* source, std::uint8_t* target, std::size_t bytes) {
  for (std::size_t i = 0; i + 3 <= bytes; i += 3) {
    target[i] = source[i + 2], target[i + 1] = source[i + 1], target[i + 2] = source[i];
  }
}

#ifdef TESSORY_INPUT_SSSE3
// Five pixels per step: sixteen bytes are loaded and stored, of which the
// first fifteen are the five pixels reordered; the sixteenth is written
// over by the next step. The last (up to) sixteen bytes go one by one, so
// no store reaches past the row.
__attribute__((target("ssse3"))) void CopySwappingRedAndBlueSsse3(const std::uint8_t* source, std::uint8_t* target,
                                                                  std::size_t bytes) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  std::size_t i = 0;
  for (; bytes - i > 16; i += 15) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i), _mm_shuffle_epi8(pixels, order));
  }
  CopySwappingRedAndBlueScalar(source + i, target + i, bytes - i);
}
#endif

void CopySwappingRedAndBlue(const std::uint8_t* source, std::uint8_t* target, std::size_t bytes) {
#ifdef TESSORY_INPUT_SSSE3
  static const bool ssse3 = __builtin_cpu_supports("ssse3");
  if (ssse3) return CopySwappingRedAndBlueSsse3(source, target, bytes);
#endif
  CopySwappingRedAndBlueScalar(source, target, bytes);
}

// Both formats are refused beyond this width or height.
constexpr std::uint32_t kMaxSide = 1u << 16;

class InputReader {
 public:
  InputReader(std::span<const std::uint8_t> bytes, const std::string& name) : bytes_(bytes), name_(name) {}

  CaptureImage Read();

 private:
  [[noreturn]] void Malformed(const std::string& what) const { throw Error(name_ + ": " + what); }

  int Next();  // the next header byte, or EOF
  // The next `count` bytes. Pixels are taken this way before any pixel
  // memory is: a few header bytes cannot make the reader allocate
  // gigabytes for a file that does not hold them.
  const std::uint8_t* Take(std::uint64_t count, const char* truncated);
  std::uint32_t PpmNumber(const char* field);
  CaptureImage ReadPpm();
  CaptureImage ReadBmp();

  std::span<const std::uint8_t> bytes_;
  const std::string& name_;
  std::size_t consumed_ = 0;  // bytes read so far
};

int InputReader::Next() { return consumed_ < bytes_.size() ? bytes_[consumed_++] : EOF; }

const std::uint8_t* InputReader::Take(std::uint64_t count, const char* truncated) {
  if (count > bytes_.size() - consumed_) Malformed(truncated);
  const std::uint8_t* taken = bytes_.data() + consumed_;
  consumed_ += static_cast<std::size_t>(count);
  return taken;
}

bool IsPpmSpace(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// One decimal header field, after whitespace and "#" comments. Values past
// the size limit are kept at limit + 1, so that a 20-digit width reads as
// too large rather than overflowing into something else.
std::uint32_t InputReader::PpmNumber(const char* field) {
  int c = Next();
  for (;;) {
    while (IsPpmSpace(c)) c = Next();
    if (c != '#') break;
    while (c != '\n' && c != EOF) c = Next();
  }
  if (c < '0' || c > '9') Malformed(std::string("malformed PPM header: no ") + field);
  std::uint32_t value = 0;
  for (; c >= '0' && c <= '9'; c = Next()) value = std::min<std::uint32_t>(value * 10 + (c - '0'), kMaxSide + 1);
  // The byte after the digits ends the field: whitespace, or the start of a
  // comment, which runs to the end of its line.
  if (c == '#') {
    while (c != '\n' && c != EOF) c = Next();
  }
  if (!IsPpmSpace(c)) Malformed(std::string("malformed PPM header after the ") + field);
  return value;
}

CaptureImage InputReader::ReadPpm() {
  const std::uint32_t width = PpmNumber("width"), height = PpmNumber("height");
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
    Malformed("unsupported PPM size (width and height must be 1 to 65536)");
  }
  // The maxval's field ends in the single whitespace byte before the pixels.
  if (PpmNumber("maxval") != 255) Malformed("only PPM files with maxval 255 are supported");
  const auto w = static_cast<int>(width), h = static_cast<int>(height);
  const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
  const std::uint8_t* pixels = Take(std::uint64_t{rowBytes} * height, "truncated PPM data");

  const std::size_t stride = RowStride(w, 24);
  PixelBuffer rows = AllocatePixels(stride * static_cast<std::size_t>(h));
  // PPM rows run top-down in red, green, blue; the image's bottom-up in
  // blue, green, red: each is reordered straight into its place.
  for (int y = 0; y < h; ++y) {
    CopySwappingRedAndBlue(pixels + rowBytes * static_cast<std::size_t>(y),
                           rows.data() + stride * static_cast<std::size_t>(h - 1 - y), rowBytes);
  }
  return CaptureImage(w, h, PixelFormat::Bits24, std::move(rows));
}

std::uint32_t U32(const std::uint8_t* b) {
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}
std::uint16_t U16(const std::uint8_t* b) { return static_cast<std::uint16_t>(b[0] | (b[1] << 8)); }

// BMP header fields, from the start of the file.
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kOffBits = 10, kInfoSize = 14, kWidth = 18, kHeight = 22, kBitCount = 28,
                      kCompression = 30;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kLargestInfoHeader = 124;  // BITMAPV5HEADER

CaptureImage InputReader::ReadBmp() {
  std::uint8_t header[kFileHeaderSize + kInfoHeaderSize];
  header[0] = 'B', header[1] = 'M';
  std::memcpy(header + 2, Take(kFileHeaderSize + 4 - 2, "truncated BMP header"), kFileHeaderSize + 4 - 2);
  const std::uint32_t infoSize = U32(header + kInfoSize);
  if (infoSize == kCoreHeaderSize) Malformed("BMP files with the 12-byte core header are not supported");
  if (infoSize < kInfoHeaderSize || infoSize > kLargestInfoHeader) {
    Malformed("unknown BMP header size " + std::to_string(infoSize));
  }
  std::memcpy(header + kFileHeaderSize + 4, Take(kInfoHeaderSize - 4, "truncated BMP header"), kInfoHeaderSize - 4);
  const std::uint16_t bitCount = U16(header + kBitCount);
  if (bitCount != 24) {
    Malformed("only 24-bit BMP files are supported; this one has " + std::to_string(bitCount) + " bits per pixel");
  }
  if (U32(header + kCompression) != 0) Malformed("compressed BMP files are not supported");
  const auto width = static_cast<std::int32_t>(U32(header + kWidth));
  const auto height = static_cast<std::int32_t>(U32(header + kHeight));
  if (width <= 0 || height == 0 || width > static_cast<std::int32_t>(kMaxSide) ||
      height > static_cast<std::int32_t>(kMaxSide) || height < -static_cast<std::int32_t>(kMaxSide)) {
    Malformed("unsupported BMP size (width and height must be 1 to 65536)");
  }
  const std::uint32_t offBits = U32(header + kOffBits);
  if (offBits < kFileHeaderSize + infoSize) {
    Malformed("BMP pixel offset " + std::to_string(offBits) + " lies inside the headers");
  }
  const int h = height < 0 ? -height : height;
  const std::size_t stride = RowStride(width, 24);
  // Whatever lies between the headers and the pixels (the rest of a larger
  // header, a colour table) is skipped.
  Take(offBits - consumed_, "truncated BMP data");
  const std::uint8_t* pixels = Take(std::uint64_t{stride} * static_cast<std::uint64_t>(h), "truncated BMP data");

  PixelBuffer rows = AllocatePixels(stride * static_cast<std::size_t>(h));
  if (height > 0) {
    std::memcpy(rows.data(), pixels, rows.size());
  } else {  // top-down file: stored bottom-up
    for (int y = 0; y < h; ++y) {
      std::memcpy(rows.data() + stride * static_cast<std::size_t>(h - 1 - y),
                  pixels + stride * static_cast<std::size_t>(y), stride);
    }
  }
  return CaptureImage(width, h, PixelFormat::Bits24, std::move(rows));
}

CaptureImage InputReader::Read() {
  const int first = Next(), second = Next();
  if (first == 'P' && second == '6') return ReadPpm();
  if (first == 'B' && second == 'M') return ReadBmp();
  Malformed("not a binary PPM (P6) or BMP file");
}

}  // namespace

CaptureImage ReadInputImage(std::span<const std::uint8_t> bytes, const std::string& name) {
  return InputReader(bytes, name).Read();
}

CaptureImage ReadInputImage(const std::string& path) {
  const MappedFile file(path);
  return ReadInputImage(file.Bytes(), path);
}

}  // namespace tessory
