// The PNG writer's binding to libpng: opening and closing the output file,
// and writing one prepared picture with libpng's write calls. libpng
// reports its errors by a jump, so everything that can fail inside it runs
// in one frame of this binding and comes back as a result code.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "imaging/file_io.h"

namespace tessory::pnglib {

// PNG colour types the writer produces.
inline constexpr int kColorTypeRgb = 2;
inline constexpr int kColorTypeRgbAlpha = 6;

// The whole picture in the layout libpng takes: top row first, rows packed
// without padding, 8 bits per sample, plus the start address of each row.
struct PngPicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int colorType = kColorTypeRgb;
  int channels = 3;
  int bitDepth = 8;
  std::vector<std::uint8_t> pixels;
  std::vector<std::uint8_t*> rows;
};

// Opens `path` for binary writing ("wb"), creating the file or emptying an
// existing one; null when it cannot be opened. Wide path on Windows.
UniqueFile OpenPngFile(const std::string& path);
// Closes the file; false when buffered bytes could not be stored.
bool ClosePngFile(UniqueFile file);

enum class WriteResult {
  Written,    // signature, IHDR, tEXt, IDAT and IEND went to the file
  NoContext,  // the library gave no write context; nothing was written
  Failed,     // the library reported an error; the file holds what it had written
};

// Writes `picture` to the open `file` through a write context created for
// `libraryVersion` (the default is the libpng this program is built with).
WriteResult WritePicture(std::FILE* file, const PngPicture& picture);
WriteResult WritePicture(std::FILE* file, const PngPicture& picture, const char* libraryVersion);

}  // namespace tessory::pnglib
