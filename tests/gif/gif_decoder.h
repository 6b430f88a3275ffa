// A small GIF reader for the tests, written from the GIF89a format
// description and sharing no code with the encoder: it walks the blocks of
// a file, keeps the colour tables and decodes each frame's LZW data with
// the decoder's own code-width rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gif/indexed_image.h"

namespace tessory::test {

struct DecodedCode {
  int code = 0;
  int width = 0;  // bits it was read with
};

struct DecodedFrame {
  int left = 0, top = 0, width = 0, height = 0;
  std::uint8_t packed = 0;
  std::vector<PaletteColor> localTable;  // as stored, padding included
  int minCodeSize = 0;
  std::vector<int> subBlockSizes;
  std::vector<DecodedCode> codes;
  std::vector<std::uint8_t> indices;  // rows top to bottom
};

struct DecodedGif {
  std::string version;  // "87a" or "89a"
  int screenWidth = 0, screenHeight = 0;
  std::uint8_t packed = 0, background = 0, aspect = 0;
  std::vector<PaletteColor> globalTable;
  std::vector<DecodedFrame> frames;
};

// Throws std::runtime_error on anything malformed: a wrong signature, a
// truncated block, an invalid code, too few or too many pixels, a missing
// trailer or bytes after it.
DecodedGif DecodeGif(const std::vector<std::uint8_t>& bytes);

// Just the LZW part: decodes the concatenated sub-block data at the given
// minimum code size into indices, recording every code read.
std::vector<std::uint8_t> DecodeLzw(const std::vector<std::uint8_t>& data, int minCodeSize,
                                    std::vector<DecodedCode>* codes = nullptr);

}  // namespace tessory::test
