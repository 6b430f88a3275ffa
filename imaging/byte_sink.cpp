#include "imaging/byte_sink.h"

#include "framework/error.h"

namespace tessory {

void FileSink::Write(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    throw EWriteError("Stream write error");
  }
}

void FileSink::Flush() {
  if (std::fflush(file_) != 0) throw EWriteError("Stream write error");
}

void PutU16Le(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32Le(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

}  // namespace tessory
