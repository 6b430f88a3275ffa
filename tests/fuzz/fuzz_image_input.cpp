// The encoder tool's reader over arbitrary bytes: every input is either an
// image whose size matches its rows or a refusal (tessory::Error).
#include <cstdio>
#include <memory>
#include <string>

#include "framework/error.h"
#include "fuzz/fuzz_support.h"
#include "tools/image_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  // fmemopen refuses an empty buffer; an empty file is a one-byte stream cut short.
  static const std::uint8_t kNothing = 0;
  std::unique_ptr<std::FILE, Closer> file(fmemopen(const_cast<std::uint8_t*>(size ? data : &kNothing),
                                                   size ? size : 1, "rb"));
  if (!file) return 0;
  try {
    const tessory::CaptureImage image = tessory::ReadInputImage(file.get(), size, "input");
    FUZZ_CHECK(image.Width() > 0 && image.Height() > 0);
    FUZZ_CHECK(image.Rows().size() == tessory::RowStride(image.Width(), 24) * static_cast<std::size_t>(image.Height()));
  } catch (const tessory::Error&) {
  }
  return 0;
}
