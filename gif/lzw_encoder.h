// The image data of one GIF frame: the LZW minimum code size byte, the
// variable-width LZW code stream in data sub-blocks, and the block
// terminator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "gif/block_writer.h"
#include "gif/lzw_code_table.h"
#include "gif/row_progress.h"
#include "imaging/byte_sink.h"

namespace tessory {

class TGIFEncoder {
 public:
  virtual ~TGIFEncoder() = default;

  // Codes `pixels` (width * height palette indices, rows top to bottom) at
  // the minimum code size for `bitsPerPixel` (0 to 8) and writes the image
  // data to `stream`. A pixel not below `colorCount` raises GIFException
  // "Color not in color table" as soon as it is reached; what was coded
  // before it has been written then, the block terminator has not.
  // With `rows`, the pixels are still being made by another thread: each
  // row is coded once `rows` has published it (ERowsAbandoned when the
  // other thread stops first).
  void EncodeFrame(ByteSink& stream, int bitsPerPixel, int width, int height, std::span<const std::uint8_t> pixels,
                   int colorCount, const RowProgress* rows = nullptr);

 protected:
  // Appends one code to the bit stream at the current code width.
  virtual void EmitCode(int code) { PackCode(code); }
  // Starts a new code table.
  virtual void ResetCodes() = 0;
  // Codes all pixels.
  virtual void EncodeBody() = 0;

  // GIF89a: codes are packed least significant bit first; the stream
  // ends byte-aligned after the end code, its unused high bits 0. The
  // bucket is worked on in locals: the byte stores could alias members,
  // which would otherwise be reloaded after every byte.
  void PackCode(int code) {
    std::uint32_t bucket =
        bitCount_ > 0 ? (static_cast<std::uint32_t>(code) << bitCount_) | (bitBucket_ & ((1u << bitCount_) - 1))
                      : static_cast<std::uint32_t>(code);
    int count = bitCount_ + codeWidth_;
    TGIFWriter& writer = *writer_;
    for (; count >= 8; count -= 8, bucket >>= 8) writer.PutByte(static_cast<std::uint8_t>(bucket));
    if (code == endCode_) {
      for (; count > 0; count -= 8, bucket >>= 8) writer.PutByte(static_cast<std::uint8_t>(bucket));
    }
    bitBucket_ = bucket;
    bitCount_ = count;
  }
  [[noreturn]] static void ColorNotInTable();
  // How many pixels from the first are final, once more than `seen` are.
  std::size_t PixelsFinal(std::size_t seen) const;

  int colorCount_ = 0;
  int minCodeSize_ = 0;
  int width_ = 0;
  int height_ = 0;
  std::span<const std::uint8_t> pixels_;
  const RowProgress* rows_ = nullptr;  // null: every row is final
  TGIFWriter* writer_ = nullptr;        // valid while a frame is coded
  std::uint32_t bitBucket_ = 0;
  int bitCount_ = 0;
  bool clearFlag_ = false;
  int codeWidth_ = 0;
  int initialCodeWidth_ = 0;
  int largestCode_ = 0;
  int clearCode_ = 0;
  int endCode_ = 0;
  int firstFreeCode_ = 0;

 private:
  void StartFrame(int bitsPerPixel, int width, int height, std::span<const std::uint8_t> pixels, int colorCount);
  void CodeFrame(TGIFWriter& writer);
};

// LZW with a 12-bit code table that restarts with a clear code whenever
// 4095 is reached as the next free code.
class TLZWEncoder final : public TGIFEncoder {
 protected:
  void EmitCode(int code) override { Emit(code); }
  void ResetCodes() override;
  void EncodeBody() override;

 private:
  static constexpr int kTableLimit = 4095;  // the next free code that forces a restart

  void Emit(int code) {
    PackCode(code);
    if (nextFreeCode_ > largestCode_ || clearFlag_) TrackCodeWidth();
  }
  void TrackCodeWidth();
  void CodePixels(std::size_t next, std::size_t end);

  int prefix_ = 0;
  int nextFreeCode_ = 0;
  // The string table, owned while the body is coded. A direct index rather
  // than a hashed table: the same strings give the same answers, so the
  // same codes, and a lookup is one read instead of a hash and its probes.
  std::unique_ptr<LzwCodeTable> table_;
};

}  // namespace tessory
