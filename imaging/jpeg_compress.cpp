#include "imaging/jpeg_compress.h"

#include <csetjmp>
#include <cstdio>
#include <string>

// clang-format off: jpeglib.h expects FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>
// clang-format on

#include "imaging/jpeg_image.h"
#include "imaging/jpeg_messages.h"

#ifndef JCS_EXTENSIONS
#error "the JPEG writer reads blue-green-red rows through libjpeg-turbo's extended colour spaces"
#endif

namespace tessory::jpegcodec {
namespace {

// The library's error record, followed by the jump back to the frame that
// runs the library.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

// A fatal error must not return into the library, nor may a C++ exception
// unwind its C frames: jump back to EncodeUnderJump, which reports it.
[[noreturn]] void OnFatalError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings and trace messages are dropped; only the warning count is kept,
// as the library's own manager keeps it.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level < 0) ++cinfo->err->num_warnings;
}

void OnOutputMessage(j_common_ptr /*cinfo*/) {}

void OnReset(j_common_ptr cinfo) {
  cinfo->err->num_warnings = 0;
  cinfo->err->msg_code = 0;
}

void InstallErrorManager(ErrorManager& manager) {
  // jpeg_std_error fills the message table and the remaining fields; every
  // handler that could print or exit is replaced.
  jpeg_std_error(&manager.pub);
  manager.pub.error_exit = OnFatalError;
  manager.pub.emit_message = OnMessage;
  manager.pub.output_message = OnOutputMessage;
  manager.pub.reset_error_mgr = OnReset;
}

// The destination: the encoded bytes go into a growing buffer in memory.
struct Destination {
  jpeg_destination_mgr pub;
  PixelBuffer* buffer;
  std::size_t firstChunk;
};

// The first chunk of the buffer: small pictures take 64 KB; a picture of
// 2 MB or more starts with one large block (see PixelBuffer), which most
// of them fill only in part, so the buffer rarely has to move.
std::size_t FirstChunk(const BgrRows& rows) {
  constexpr std::size_t kSmall = 64 * 1024;
  const std::size_t picture = rows.stride * static_cast<std::size_t>(rows.height > 0 ? rows.height : 0);
  return picture >= large_block::kSize ? large_block::kSize : kSmall;
}

Destination& DestinationOf(j_compress_ptr cinfo) {
  return *reinterpret_cast<Destination*>(cinfo->dest);
}

// Makes `extra` more bytes writable after the first `used`. It runs inside
// the library, so a failed allocation is returned, never thrown.
bool Extend(Destination& destination, std::size_t used, std::size_t extra) noexcept {
  try {
    destination.buffer->resize(used + extra);
  } catch (...) {
    return false;
  }
  destination.pub.next_output_byte = destination.buffer->data() + used;
  destination.pub.free_in_buffer = extra;
  return true;
}

void InitDestination(j_compress_ptr cinfo) {
  Destination& destination = DestinationOf(cinfo);
  destination.buffer->clear();
  if (!Extend(destination, 0, destination.firstChunk)) ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
}

// The library calls this when the whole buffer is full: double it.
boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  Destination& destination = DestinationOf(cinfo);
  const std::size_t used = destination.buffer->size();
  if (!Extend(destination, used, used)) ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  Destination& destination = DestinationOf(cinfo);
  destination.buffer->resize(destination.buffer->size() - destination.pub.free_in_buffer);
}

// Owns one compressor with its error manager and destination. The library
// keeps pointers to both managers, so the object stays where it is.
struct Compressor {
  Compressor(PixelBuffer& out, std::size_t firstChunk) {
    InstallErrorManager(errors);
    cinfo.err = &errors.pub;
    destination.pub.init_destination = InitDestination;
    destination.pub.empty_output_buffer = EmptyOutputBuffer;
    destination.pub.term_destination = TermDestination;
    destination.buffer = &out;
    destination.firstChunk = firstChunk;
  }
  // Safe also when creation failed: jpeg_destroy skips a compressor
  // without memory manager.
  ~Compressor() { jpeg_destroy_compress(&cinfo); }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  jpeg_compress_struct cinfo{};
  ErrorManager errors{};
  Destination destination{};
};

void Configure(j_compress_ptr cinfo, const BgrRows& rows, const Settings& settings) {
  cinfo->image_width = static_cast<JDIMENSION>(rows.width);
  cinfo->image_height = static_cast<JDIMENSION>(rows.height);
  cinfo->input_components = 3;
  // The rows hold blue, green, red. libjpeg-turbo's extended colour space
  // reads them in place with the same conversion arithmetic as red-first
  // rows, so the output is that of reordered rows without the reordering.
  cinfo->in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(cinfo);
  cinfo->dct_method = JDCT_FLOAT;
  // Forcing baseline keeps every quantisation value within 1 to 255, so
  // the frame stays SOF0 at any quality; the library treats 0 as 1.
  jpeg_set_quality(cinfo, settings.quality, TRUE);
  if (settings.grayscale) jpeg_set_colorspace(cinfo, JCS_GRAYSCALE);
  if (settings.progressive) jpeg_simple_progression(cinfo);
}

// Top row first, one row per call; the stored rows run bottom-up.
void WriteRows(j_compress_ptr cinfo, const BgrRows& rows) {
  while (cinfo->next_scanline < cinfo->image_height) {
    const std::size_t fromBottom = cinfo->image_height - 1 - cinfo->next_scanline;
    // The library only reads the rows; its row type just is not const.
    JSAMPROW row = const_cast<JSAMPROW>(rows.bottomRow + fromBottom * rows.stride);
    jpeg_write_scanlines(cinfo, &row, 1);
  }
}

// Every libjpeg call runs in this frame, after setjmp. Neither it nor the
// helpers it calls hold objects with destructors, so a jump back here skips
// no clean-up; the caller's Compressor destroys the compressor either way.
bool EncodeUnderJump(Compressor& compressor, const BgrRows& rows, const Settings& settings) {
  j_compress_ptr cinfo = &compressor.cinfo;
  if (setjmp(compressor.errors.jump)) return false;
  jpeg_CreateCompress(cinfo, JPEG_LIB_VERSION, sizeof(*cinfo));
  cinfo->dest = &compressor.destination.pub;
  Configure(cinfo, rows, settings);
  jpeg_start_compress(cinfo, TRUE);  // TRUE: write all tables
  WriteRows(cinfo, rows);
  jpeg_finish_compress(cinfo);
  return true;
}

}  // namespace

void CompressRows(const BgrRows& rows, const Settings& settings, PixelBuffer& out) {
  out.clear();
  Compressor compressor(out, FirstChunk(rows));
  if (EncodeUnderJump(compressor, rows, settings)) return;
  const int code = compressor.errors.pub.msg_code;
  out.clear();
  throw EJPEG(FormatText(jconsts::kJpegErrorText, std::to_string(code)));
}

}  // namespace tessory::jpegcodec
