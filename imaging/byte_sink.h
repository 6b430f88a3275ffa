// Byte sinks: where every encoder writes. A sink reports each failed write
// by throwing, so no encoder can lose a write silently.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tessory {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Stores all of `bytes` or throws.
  virtual void Write(std::span<const std::uint8_t> bytes) = 0;
};

// Collects the bytes in memory.
class VectorSink final : public ByteSink {
 public:
  void Write(std::span<const std::uint8_t> bytes) override {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Little-endian field writers for file headers.
void PutU16Le(std::vector<std::uint8_t>& out, std::uint16_t value);
void PutU32Le(std::vector<std::uint8_t>& out, std::uint32_t value);

}  // namespace tessory
