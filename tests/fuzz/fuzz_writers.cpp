// Every writer fed small fuzzed images at every colour depth, each output
// read back by an independent decoder: BMP by its header fields, PNG by
// libpng's pixels, JPEG by libjpeg's size, GIF by the tests' own reader
// against the indexed image the reduction made. The PNG writer's deflate
// in parts gets the raw input too: in as many parts as were asked for and
// could be made (never one call in their place), joined, it inflates
// (zlib) to the input; and its block walker, fed the input as a stream,
// stays inside it. So does the screen coder, and runs of pixels the input
// spells out: what it codes inflates to its input, and what it leaves to
// the general coder leaves the output as it was.
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <utility>
#include <vector>

// clang-format off: jpeglib.h expects FILE and size_t declared before it.
#include <jpeglib.h>
// clang-format on

#include "fuzz/fuzz_support.h"
#include "gif/gif_decoder.h"
#include "gif/gif_image.h"
#include "imaging/bmp_writer.h"
#include "imaging/deflate_blocks.h"
#include "imaging/jpeg_image.h"
#include "imaging/pixel_formats.h"
#include "imaging/png_deflate.h"
#include "imaging/png_writer.h"
#include "imaging/screen_deflate.h"

using namespace tessory;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32(const Bytes& b, std::size_t at) {
  return b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) | (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}

// Width, height and pixels from the input; the pixel bytes repeat.
CaptureImage FuzzedImage(fuzz::InputBytes& input) {
  const int width = 1 + input.Next() % 40, height = 1 + input.Next() % 40;
  const std::span<const std::uint8_t> rest = input.Rest();
  const Bytes colours = rest.empty() ? Bytes{0} : Bytes(rest.begin(), rest.end());
  const std::size_t stride = RowStride(width, 24);
  PixelBuffer rows(stride * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < static_cast<std::size_t>(width) * 3; ++x) {
      rows[stride * static_cast<std::size_t>(y) + x] =
          colours[(static_cast<std::size_t>(y) * width * 3 + x) % colours.size()];
    }
  }
  return CaptureImage(width, height, PixelFormat::Bits24, std::move(rows));
}

void CheckBmp(const CaptureImage& image) {
  VectorSink sink;
  WriteBmp(image, sink);
  const Bytes& b = sink.Bytes();
  const int bits = BitsPerPixel(image.Format());
  FUZZ_CHECK(b.at(0) == 'B' && b.at(1) == 'M');
  FUZZ_CHECK(U32(b, 2) == b.size());
  FUZZ_CHECK(U32(b, 10) + image.Stride() * static_cast<std::size_t>(image.Height()) == b.size());
  FUZZ_CHECK(static_cast<int>(U32(b, 18)) == image.Width() && static_cast<int>(U32(b, 22)) == image.Height());
  FUZZ_CHECK((b.at(28) | (b.at(29) << 8)) == bits);
}

void CheckPng(const CaptureImage& image, std::uint32_t key) {
  VectorSink sink;
  WritePng(sink, image, key);
  png_image decoded{};
  decoded.version = PNG_IMAGE_VERSION;
  FUZZ_CHECK(png_image_begin_read_from_memory(&decoded, sink.Bytes().data(), sink.Bytes().size()));
  decoded.format = PNG_FORMAT_RGBA;
  Bytes rgba(PNG_IMAGE_SIZE(decoded));
  FUZZ_CHECK(png_image_finish_read(&decoded, nullptr, rgba.data(), 0, nullptr));
  FUZZ_CHECK(static_cast<int>(decoded.width) == image.Width() && static_cast<int>(decoded.height) == image.Height());
  const CaptureImage rows = CopyAtDepth24(image);
  for (int y = 0; y < image.Height(); ++y) {
    const std::uint8_t* source = rows.Rows().data() + rows.Stride() * static_cast<std::size_t>(image.Height() - 1 - y);
    for (int x = 0; x < image.Width(); ++x, source += 3) {
      const std::uint8_t* pixel = rgba.data() + (static_cast<std::size_t>(y) * image.Width() + x) * 4;
      FUZZ_CHECK(pixel[0] == source[2] && pixel[1] == source[1] && pixel[2] == source[0]);
      const std::uint32_t packed = source[2] | (source[1] << 8) | (source[0] << 16);
      FUZZ_CHECK(pixel[3] == (key != clNone && packed == (key & 0xFFFFFF) ? 0 : 255));
    }
  }
}

void CheckDeflateParts(std::span<const std::uint8_t> data) {
  if (const std::optional<DeflateFinalBlock> final = FindFinalBlock(data)) {
    FUZZ_CHECK(final->headerBit < final->endBit && final->endBit <= data.size() * 8);
  }
  if (data.empty()) return;
  PngWorkspace workspace;
  const std::size_t parts = 1 + data[0] % PngWorkspace::kMaxParts;
  const std::span<const std::uint8_t> stream = workspace.CompressZlibInParts(data, 5, parts);
  // Every part of a byte or more is joined: a fallback to one call would
  // inflate alike and hide a part the joining could not follow.
  FUZZ_CHECK(workspace.Parts() == std::min(parts, data.size()));
  Bytes inflated(data.size());
  uLongf size = inflated.size();
  FUZZ_CHECK(uncompress(inflated.data(), &size, stream.data(), stream.size()) == Z_OK);
  FUZZ_CHECK(size == data.size() && std::equal(data.begin(), data.end(), inflated.begin()));
}

void CheckScreenDeflate(std::span<const std::uint8_t> data, std::size_t pixelBytes, std::size_t rowBytes) {
  static ScreenDeflater deflater;  // kept, as the writer keeps it
  Bytes stream = {0xA5};
  if (!deflater.Compress(data, pixelBytes, rowBytes, stream)) {
    FUZZ_CHECK(stream == Bytes{0xA5});
    return;
  }
  Bytes inflated(data.size() + 1);
  z_stream z{};
  FUZZ_CHECK(inflateInit2(&z, -15) == Z_OK);
  z.next_in = stream.data() + 1, z.avail_in = static_cast<uInt>(stream.size() - 1);
  z.next_out = inflated.data(), z.avail_out = static_cast<uInt>(inflated.size());
  const int result = inflate(&z, Z_FINISH);
  const std::size_t size = z.total_out;
  inflateEnd(&z);
  FUZZ_CHECK(result == Z_STREAM_END && size == data.size() && std::equal(data.begin(), data.end(), inflated.begin()));
}

// The input as runs of pixels: each pair of bytes a colour of eight and a
// run of 1 to 256 pixels, at three or four bytes a pixel.
Bytes PixelRuns(std::span<const std::uint8_t> data, std::size_t pixelBytes) {
  Bytes runs;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    const std::uint8_t colour = static_cast<std::uint8_t>((data[i] & 7) * 36);
    for (int n = 0; n <= data[i + 1]; ++n) runs.insert(runs.end(), pixelBytes, colour);
  }
  return runs;
}

void CheckScreenDeflate(std::span<const std::uint8_t> data) {
  if (data.size() < 2) return;
  const std::size_t pixelBytes = 3 + data[0] % 2, rowBytes = 1 + pixelBytes * (1 + data[1] % 200);
  CheckScreenDeflate(data, pixelBytes, rowBytes);
  CheckScreenDeflate(PixelRuns(data.subspan(2), pixelBytes), pixelBytes, rowBytes);
}

struct JpegErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void OnJpegError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

// The decoded header's size; no object with a destructor lives in this
// frame, so the library's jump skips no clean-up.
bool JpegSize(const Bytes& bytes, JDIMENSION& width, JDIMENSION& height) {
  jpeg_decompress_struct cinfo{};
  JpegErrors errors{};
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = OnJpegError;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  width = cinfo.image_width;
  height = cinfo.image_height;
  jpeg_destroy_decompress(&cinfo);
  return true;
}

void CheckJpeg(const CaptureImage& image, std::uint8_t quality) {
  TJPEGImage jpeg;
  jpeg.SetQuality(quality);
  jpeg.AssignBitmap(image);
  VectorSink sink;
  jpeg.SaveToStream(sink);
  JDIMENSION width = 0, height = 0;
  FUZZ_CHECK(JpegSize(sink.Bytes(), width, height));
  FUZZ_CHECK(static_cast<int>(width) == image.Width() && static_cast<int>(height) == image.Height());
}

// Converts `image` to 24 bits, as the GIF route does, so it runs last.
void CheckGif(CaptureImage& image, std::uint8_t ditherStyle) {
  TGIFImage gif;
  gif.ReductionMethod = kReductionOctree;
  gif.DitherStyle = ditherStyle;
  gif.AssignBitmap(image);
  VectorSink sink;
  gif.SaveToStream(sink);
  const test::DecodedGif decoded = test::DecodeGif(sink.Bytes());
  FUZZ_CHECK(decoded.frames.size() == 1);
  const IndexedImage& indexed = gif.Images()[0]->Bitmap();
  FUZZ_CHECK(std::ranges::equal(decoded.frames[0].indices, indexed.pixels));
  for (std::size_t i = 0; i < indexed.palette.size(); ++i)
    FUZZ_CHECK(decoded.frames[0].localTable.at(i) == indexed.palette[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckDeflateParts({data, size});
  CheckScreenDeflate({data, size});
  fuzz::InputBytes input(data, size);
  static constexpr int kDepths[] = {8, 16, 24, 32};
  const int depth = kDepths[input.Next() % 4];
  const std::uint8_t flags = input.Next();
  std::uint32_t key = clNone;
  if (flags & 1) key = input.Next() | (input.Next() << 8) | (input.Next() << 16) | (std::uint32_t{input.Next()} << 24);
  const std::uint8_t quality = input.Next();
  CaptureImage image = FuzzedImage(input);
  ConvertPixelDepth(image, depth);
  CheckBmp(image);
  CheckPng(image, key);
  CheckJpeg(image, quality);
  CheckGif(image, (flags >> 1) & 1);
  return 0;
}
