#include "tools/image_input.h"

#include <cstring>
#include <vector>

#include "framework/error.h"
#include "imaging/file_io.h"

namespace tessory {
namespace {

// The file's size, or -1 when it cannot be told (a pipe, say).
long FileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(file);
  if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
  return size;
}

// Reads the whole file: in one read at its size where that is known (an
// image is megabytes, and growing a buffer chunk by chunk copies it over and
// over), then in chunks for whatever is left or when the size is unknown.
std::vector<std::uint8_t> ReadAll(const std::string& path) {
  UniqueFile file = TryOpenForRead(path);
  if (!file) throw Error("Cannot open file " + path);
  std::vector<std::uint8_t> bytes;
  const long size = FileSize(file.get());
  if (size > 0) {
    bytes.resize(static_cast<std::size_t>(size));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
  }
  std::uint8_t chunk[65536];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
    bytes.insert(bytes.end(), chunk, chunk + n);
  if (std::ferror(file.get())) throw Error("Cannot read file " + path);
  return bytes;
}

[[noreturn]] void Malformed(const std::string& path, const char* what) {
  throw Error(path + ": " + what);
}

// Parses one decimal header field of a PPM, skipping whitespace and comments.
long PpmNumber(const std::vector<std::uint8_t>& b, std::size_t& at, const std::string& path) {
  for (;;) {
    while (at < b.size() && std::strchr(" \t\r\n", b[at])) ++at;
    if (at < b.size() && b[at] == '#') {
      while (at < b.size() && b[at] != '\n') ++at;
      continue;
    }
    break;
  }
  long value = 0;
  const std::size_t start = at;
  while (at < b.size() && b[at] >= '0' && b[at] <= '9' && value < 1000000000) value = value * 10 + (b[at++] - '0');
  if (at == start) Malformed(path, "malformed PPM header");
  return value;
}

CaptureImage ReadPpm(const std::vector<std::uint8_t>& b, const std::string& path) {
  std::size_t at = 2;
  const long width = PpmNumber(b, at, path), height = PpmNumber(b, at, path), maxval = PpmNumber(b, at, path);
  if (maxval != 255) Malformed(path, "only PPM files with maxval 255 are supported");
  if (width <= 0 || height <= 0 || width > 1 << 16 || height > 1 << 16) Malformed(path, "unsupported PPM size");
  ++at;  // the single whitespace byte after maxval
  const auto w = static_cast<int>(width), h = static_cast<int>(height);
  if (b.size() < at + static_cast<std::size_t>(w) * 3 * static_cast<std::size_t>(h))
    Malformed(path, "truncated PPM data");
  const std::size_t stride = RowStride(w, 24);
  std::vector<std::uint8_t> rows = AllocatePixels(stride * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* s = b.data() + at + static_cast<std::size_t>(y) * static_cast<std::size_t>(w) * 3;
    std::uint8_t* d = rows.data() + stride * static_cast<std::size_t>(h - 1 - y);  // bottom-up
    for (int x = 0; x < w; ++x, s += 3, d += 3) d[0] = s[2], d[1] = s[1], d[2] = s[0];
  }
  return CaptureImage(w, h, PixelFormat::Bits24, std::move(rows));
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

CaptureImage ReadBmp(const std::vector<std::uint8_t>& b, const std::string& path) {
  if (b.size() < 54) Malformed(path, "truncated BMP header");
  const std::uint32_t offBits = U32(b, 10);
  const auto width = static_cast<std::int32_t>(U32(b, 18)), height = static_cast<std::int32_t>(U32(b, 22));
  const unsigned bitCount = b[28] | (b[29] << 8);
  if (bitCount != 24 || U32(b, 30) != 0) Malformed(path, "only uncompressed 24-bit BMP files are supported");
  if (width <= 0 || height == 0 || width > 1 << 16 || height > 1 << 16 || height < -(1 << 16)) {
    Malformed(path, "unsupported BMP size");
  }
  const int h = height < 0 ? -height : height;
  const std::size_t stride = RowStride(width, 24);
  if (b.size() < offBits + stride * static_cast<std::size_t>(h)) Malformed(path, "truncated BMP data");
  std::vector<std::uint8_t> rows(b.begin() + offBits, b.begin() + offBits + static_cast<std::ptrdiff_t>(stride * h));
  if (height < 0) {  // top-down file: store bottom-up
    for (int y = 0; y < h / 2; ++y) {
      std::swap_ranges(rows.begin() + static_cast<std::ptrdiff_t>(stride * y),
                       rows.begin() + static_cast<std::ptrdiff_t>(stride * (y + 1)),
                       rows.begin() + static_cast<std::ptrdiff_t>(stride * (h - 1 - y)));
    }
  }
  return CaptureImage(width, h, PixelFormat::Bits24, std::move(rows));
}

}  // namespace

CaptureImage ReadInputImage(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadAll(path);
  if (bytes.size() >= 2 && bytes[0] == 'P' && bytes[1] == '6') return ReadPpm(bytes, path);
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return ReadBmp(bytes, path);
  throw Error(path + ": not a binary PPM (P6) or BMP file");
}

}  // namespace tessory
