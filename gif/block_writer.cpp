#include "gif/block_writer.h"

namespace tessory {

void TGIFWriter::Write(std::span<const std::uint8_t> bytes) {
  for (std::uint8_t byte : bytes) PutByte(byte);
}

void TGIFWriter::Flush() {
  const int size = count_;
  // GIF89a data sub-block: a block size byte (1 to 255), then that many
  // data bytes.
  buffer_[0] = static_cast<std::uint8_t>(size - 1);
  // Emptied before the write, so a failed write is never repeated by Close.
  count_ = 1;
  dirty_ = false;
  out_.Write(std::span<const std::uint8_t>(buffer_.data(), static_cast<std::size_t>(size)));
}

}  // namespace tessory
