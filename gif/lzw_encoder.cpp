#include "gif/lzw_encoder.h"

#include <new>

#include "framework/error.h"
#include "gif/gif_error.h"

namespace tessory {

void TGIFEncoder::ColorNotInTable() {
  throw GIFException("Color not in color table");
}

void TGIFEncoder::StartFrame(int bitsPerPixel, int width, int height, std::span<const std::uint8_t> pixels,
                             int colorCount) {
  if (bitsPerPixel < 0 || bitsPerPixel > 8) throw GIFException("Unsupported GIF code size");
  const bool hasPixels = !pixels.empty() && width > 0 && height > 0;
  if (hasPixels && pixels.size() / static_cast<std::size_t>(width) < static_cast<std::size_t>(height)) {
    throw GIFException("GIF frame has too few pixels");
  }
  // GIF89a: the LZW minimum code size is at least 2, even for two colours.
  minCodeSize_ = bitsPerPixel < 2 ? 2 : bitsPerPixel;
  initialCodeWidth_ = minCodeSize_ + 1;
  codeWidth_ = initialCodeWidth_;
  largestCode_ = (1 << initialCodeWidth_) - 1;
  clearCode_ = 1 << minCodeSize_;
  endCode_ = clearCode_ + 1;
  firstFreeCode_ = clearCode_ + 2;
  bitBucket_ = 0;
  bitCount_ = 0;
  clearFlag_ = false;
  colorCount_ = colorCount;
  width_ = width;
  height_ = height;
  pixels_ = hasPixels ? pixels : std::span<const std::uint8_t>();
}

void TGIFEncoder::CodeFrame(TGIFWriter& writer) {
  writer_ = &writer;
  try {
    if (!pixels_.empty()) EncodeBody();
    EmitCode(endCode_);
  } catch (...) {
    writer_ = nullptr;
    // What was coded so far still goes out; the first error is the one
    // reported.
    try {
      writer.Close();
    } catch (...) {
    }
    throw;
  }
  writer_ = nullptr;
  writer.Close();
}

std::size_t TGIFEncoder::PixelsFinal(std::size_t seen) const {
  const std::size_t width = static_cast<std::size_t>(width_);
  if (rows_ == nullptr) return width * static_cast<std::size_t>(height_);
  return width * static_cast<std::size_t>(rows_->WaitBeyond(static_cast<int>(seen / width)));
}

void TGIFEncoder::EncodeFrame(ByteSink& stream, int bitsPerPixel, int width, int height,
                              std::span<const std::uint8_t> pixels, int colorCount, const RowProgress* rows) {
  StartFrame(bitsPerPixel, width, height, pixels, colorCount);
  rows_ = rows;
  const std::uint8_t codeSize = static_cast<std::uint8_t>(minCodeSize_);
  stream.Write(std::span<const std::uint8_t>(&codeSize, 1));
  TGIFWriter writer(stream);
  CodeFrame(writer);
  // GIF89a: the image data ends with a block terminator, a zero-length
  // data sub-block.
  const std::uint8_t terminator = 0;
  stream.Write(std::span<const std::uint8_t>(&terminator, 1));
}

// The code written while the next free code is 2^width still goes out at
// the old width; the width grows right after it, up to 12 bits.
void TLZWEncoder::TrackCodeWidth() {
  if (nextFreeCode_ <= largestCode_ && !clearFlag_) return;
  if (clearFlag_) {
    codeWidth_ = initialCodeWidth_;
    largestCode_ = (1 << codeWidth_) - 1;
    clearFlag_ = false;
    return;
  }
  ++codeWidth_;
  largestCode_ = codeWidth_ >= 12 ? 4096 : (1 << codeWidth_) - 1;
}

// GIF89a: a Clear code resets the table and the code size to their
// initial state; it opens every data stream.
void TLZWEncoder::ResetCodes() {
  clearFlag_ = true;
  Emit(clearCode_);
  table_->Restart();
  nextFreeCode_ = clearCode_ + 2;
}

// Codes pixels [next, end) onto the current prefix: each pixel extends the
// prefix while the table knows the string, else the prefix goes out and a
// new string is entered (or the table restarts).
void TLZWEncoder::CodePixels(std::size_t next, std::size_t end) {
  const std::uint8_t* pixels = pixels_.data();
  LzwCodeTable& table = *table_;
  int prefix = prefix_;
  for (; next < end; ++next) {
    const int pixel = pixels[next];
    if (pixel >= colorCount_) ColorNotInTable();
    const int code = table.Find(prefix, pixel);
    if (code >= 0) {
      prefix = code;
      continue;
    }
    Emit(prefix);
    if (nextFreeCode_ < kTableLimit) {
      table.Add(prefix, pixel, nextFreeCode_);
      ++nextFreeCode_;
    } else {
      ResetCodes();
    }
    prefix = pixel;
    // In a run of that pixel, its strings of it alone take over at once.
    next += table.FollowRun(pixel, pixels + next + 1, end - next - 1, prefix);
  }
  prefix_ = prefix;
}

void TLZWEncoder::EncodeBody() {
  try {
    table_ = std::make_unique<LzwCodeTable>();
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(kOutOfResourcesText);
  }
  ResetCodes();
  std::size_t final = PixelsFinal(0);
  prefix_ = pixels_[0];
  if (prefix_ >= colorCount_) ColorNotInTable();
  const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  // Coding stops at the last final pixel and goes on from it with the same
  // prefix and table: the codes are those of one pass over all pixels.
  for (std::size_t next = 1;; next = final, final = PixelsFinal(next)) {
    CodePixels(next, final);
    if (final == count) break;
  }
  Emit(prefix_);
  table_.reset();
}

}  // namespace tessory
