// The LZW coder's round trip: fuzzed indices at code sizes 1 to 8, coded
// and decoded again by the tests' own GIF reader.
#include <vector>

#include "fuzz/fuzz_support.h"
#include "gif/gif_decoder.h"
#include "gif/lzw_encoder.h"
#include "imaging/byte_sink.h"

using namespace tessory;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputBytes input(data, size);
  const int bits = 1 + input.Next() % 8;
  const int colors = 1 << bits;
  const int width = 1 + input.Next() % 64;
  std::vector<std::uint8_t> pixels;
  for (std::uint8_t byte : input.Rest()) pixels.push_back(static_cast<std::uint8_t>(byte % colors));
  // Whole rows only; the data repeat to give long runs and table restarts.
  if (pixels.empty()) pixels.push_back(0);
  const std::size_t rows = (pixels.size() * 4 + static_cast<std::size_t>(width) - 1) / static_cast<std::size_t>(width);
  std::vector<std::uint8_t> image(rows * static_cast<std::size_t>(width));
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = pixels[i % pixels.size()];

  VectorSink sink;
  TLZWEncoder encoder;
  encoder.EncodeFrame(sink, bits, width, static_cast<int>(rows), image, colors);
  const std::vector<std::uint8_t>& coded = sink.Bytes();
  // Minimum code size, then sub-blocks up to the zero-length terminator.
  FUZZ_CHECK(coded.at(0) == (bits < 2 ? 2 : bits));
  std::vector<std::uint8_t> stream;
  std::size_t at = 1;
  for (std::size_t length; (length = coded.at(at)) != 0; at += length + 1) {
    stream.insert(stream.end(), coded.begin() + static_cast<long>(at) + 1, coded.begin() + static_cast<long>(at + 1 + length));
  }
  FUZZ_CHECK(at + 1 == coded.size());
  FUZZ_CHECK(test::DecodeLzw(stream, coded[0]) == image);
  return 0;
}
