#include "tools/jpeg_reference.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

// clang-format off: jpeglib.h expects FILE and size_t declared before it.
#include <jpeglib.h>
// clang-format on

namespace tessory {
namespace {

// The library's error record, the jump back to CompressUnderJump and the
// text of the error that took it.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

// The library's own handler would end the process, and an exception must
// not unwind its C frames: keep the text and jump back.
[[noreturn]] void OnFatalError(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  errors->pub.format_message(cinfo, errors->message);
  std::longjmp(errors->jump, 1);
}

struct FreeMemory {
  void operator()(unsigned char* p) const { std::free(p); }
};

// Runs the whole compression, from creating the compressor; false when the
// library gave up. This frame holds nothing with a destructor, so the jump
// may leave it. The stream goes to a buffer the library allocates into
// `out`, which the caller owns either way.
bool CompressUnderJump(jpeg_compress_struct& cinfo, ErrorManager& errors, const std::uint8_t* rgb, int width,
                       int height, const JpegReferenceSettings& settings, unsigned char** out, unsigned long* size) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, out, size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  cinfo.dct_method = JDCT_FLOAT;
  jpeg_set_quality(&cinfo, settings.quality, TRUE);
  if (settings.grayscale) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  if (settings.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + cinfo.next_scanline * rowBytes);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

// One compressor with its error manager; the library keeps a pointer to
// the manager, so the object stays where it is. Destroying a compressor
// never created (its memory manager still null) does nothing.
struct Compressor {
  Compressor() {
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = OnFatalError;
    errors.message[0] = '\0';
  }
  ~Compressor() { jpeg_destroy_compress(&cinfo); }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  ErrorManager errors;
  jpeg_compress_struct cinfo{};
};

}  // namespace

std::vector<std::uint8_t> ReferenceJpeg(std::span<const std::uint8_t> rgb, int width, int height,
                                        const JpegReferenceSettings& settings) {
  if (width < 0 || height < 0 || rgb.size() / 3 / (width > 0 ? width : 1) < static_cast<std::size_t>(height)) {
    throw std::invalid_argument("JPEG reference: " + std::to_string(rgb.size()) + " bytes do not hold " +
                                std::to_string(width) + " x " + std::to_string(height) + " pixels");
  }
  Compressor compressor;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const bool compressed =
      CompressUnderJump(compressor.cinfo, compressor.errors, rgb.data(), width, height, settings, &out, &size);
  const std::unique_ptr<unsigned char, FreeMemory> owned(out);
  if (!compressed) throw std::runtime_error(std::string("JPEG reference: ") + compressor.errors.message);
  return {out, out + size};
}

}  // namespace tessory
