// Shared by the fuzz targets: a reader over the fuzzer's bytes, and the
// check that stops a run the moment a written file does not read back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

namespace tessory::fuzz {

// Hands out the input's bytes in order, then zeros.
class InputBytes {
 public:
  InputBytes(const std::uint8_t* data, std::size_t size) : data_(data, size) {}
  std::uint8_t Next() { return at_ < data_.size() ? data_[at_++] : 0; }
  // The bytes not yet taken.
  std::span<const std::uint8_t> Rest() const { return data_.subspan(at_); }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t at_ = 0;
};

// A failed check is a crash, so that the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                       \
  do {                                                                              \
    if (!(condition)) {                                                             \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                 \
    }                                                                               \
  } while (false)

}  // namespace tessory::fuzz
