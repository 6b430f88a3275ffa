// The block writer: packs the LZW code stream into GIF data sub-blocks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/byte_sink.h"

namespace tessory {

// A write-only sink that hands `out` whole sub-blocks, a length byte then
// at most 255 data bytes, one write per block.
class TGIFWriter final : public ByteSink {
 public:
  explicit TGIFWriter(ByteSink& out) : out_(out) {}
  TGIFWriter(const TGIFWriter&) = delete;
  TGIFWriter& operator=(const TGIFWriter&) = delete;

  void Write(std::span<const std::uint8_t> bytes) override;
  void PutByte(std::uint8_t byte) {
    // The count is read once, before the byte store that may alias it.
    const int at = count_;
    buffer_[static_cast<std::size_t>(at)] = byte;
    count_ = at + 1;
    dirty_ = true;
    if (at + 1 == kBlockSize) Flush();
  }
  // Writes out the last, partly filled block if any byte went in since the
  // last full one. Never writes a block of length 0: the zero-length block
  // terminator is the caller's.
  void Close() {
    if (dirty_) Flush();
  }

 private:
  static constexpr int kBlockSize = 256;  // length byte + 255 data bytes

  void Flush();

  ByteSink& out_;
  std::array<std::uint8_t, kBlockSize> buffer_{};
  int count_ = 1;  // byte 0 is the block length
  bool dirty_ = false;
};

}  // namespace tessory
