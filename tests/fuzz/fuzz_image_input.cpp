// The encoder tool's reader over arbitrary bytes: every input is either an
// image whose size matches its rows or a refusal (tessory::Error).
#include <span>

#include "framework/error.h"
#include "fuzz/fuzz_support.h"
#include "tools/image_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const tessory::CaptureImage image = tessory::ReadInputImage(std::span(data, size), "input");
    FUZZ_CHECK(image.Width() > 0 && image.Height() > 0);
    FUZZ_CHECK(image.Rows().size() == tessory::RowStride(image.Width(), 24) * static_cast<std::size_t>(image.Height()));
  } catch (const tessory::Error&) {
  }
  return 0;
}
