#include "imaging/libpng_binding.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <exception>

namespace tessory::pnglib {
namespace {

// libpng calls this for a fatal error and must not see it return. Jumping
// back to the frame that armed png_jmpbuf is the only way out that does not
// unwind libpng's own C frames with a C++ exception.
[[noreturn]] void OnPngError(png_structp png, png_const_charp /*message*/) {
  png_longjmp(png, 1);
}

// Warnings (such as a refused version text) carry nothing the user can act
// on; the outcome is reported through the write's result instead.
void OnPngWarning(png_structp /*png*/, png_const_charp /*message*/) {}

// Owns one libpng write context and its info structure.
class WriteContext {
 public:
  explicit WriteContext(const char* libraryVersion)
      : png_(png_create_write_struct(libraryVersion, nullptr, OnPngError, OnPngWarning)) {
    if (png_) info_ = png_create_info_struct(png_);
  }
  ~WriteContext() {
    if (png_) png_destroy_write_struct(&png_, info_ ? &info_ : nullptr);
  }
  WriteContext(const WriteContext&) = delete;
  WriteContext& operator=(const WriteContext&) = delete;

  png_structp Png() const { return png_; }
  png_infop Info() const { return info_; }

 private:
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

// Where libpng's output goes: the sink, and the exception it raised, kept
// until the jump has left the library's frames.
struct SinkBinding {
  ByteSink* sink;
  std::exception_ptr failure;
};

// libpng's write callback. The sink's exception must not unwind libpng's
// C frames: it is kept, and the write ends through libpng's own error path
// once the handler has finished.
void OnPngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* binding = static_cast<SinkBinding*>(png_get_io_ptr(png));
  try {
    binding->sink->Write(std::span<const std::uint8_t>(data, length));
    return;
  } catch (...) {
    binding->failure = std::current_exception();
  }
  png_error(png, "write failed");
}

// The sink is flushed by its owner once the whole file is written.
void OnPngFlush(png_structp /*png*/) {}

// The one ancillary chunk: tEXt "Software" with empty text. libpng copies
// the record, but its fields are not const, hence the arrays.
char kSoftwareKeyword[] = "Software";
char kEmptyText[] = "";

constexpr png_byte kIdat[5] = "IDAT";
constexpr png_byte kIend[5] = "IEND";
// The largest chunk the format allows; the image data seldom needs a second.
constexpr std::size_t kMaxChunkData = PNG_UINT_31_MAX;

// Every libpng call that can fail runs in this frame, after setjmp. It
// holds no object with a destructor, so a jump back here skips no clean-up;
// the caller's WriteContext destroys the context either way.
bool WriteUnderJump(png_structp png, png_infop info, SinkBinding& binding, const PngPicture& picture) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &binding, OnPngWrite, OnPngFlush);
  png_set_write_status_fn(png, nullptr);
  png_set_IHDR(png, info, picture.width, picture.height, picture.bitDepth, picture.colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  png_text text{};
  text.compression = PNG_TEXT_COMPRESSION_NONE;
  text.key = kSoftwareKeyword;
  text.text = kEmptyText;
  text.text_length = 0;
  png_set_text(png, info, &text, 1);
  png_write_info(png, info);
  // The stream is compressed already: libpng frames it as chunks, with
  // their lengths and CRCs, and ends the file.
  std::span<const std::uint8_t> data = picture.imageData;
  do {
    const std::size_t length = std::min<std::size_t>(data.size(), kMaxChunkData);
    png_write_chunk(png, kIdat, data.data(), length);
    data = data.subspan(length);
  } while (!data.empty());
  png_write_chunk(png, kIend, nullptr, 0);
  return true;
}

}  // namespace

WriteResult WritePicture(ByteSink& sink, const PngPicture& picture) {
  return WritePicture(sink, picture, PNG_LIBPNG_VER_STRING);
}

WriteResult WritePicture(ByteSink& sink, const PngPicture& picture, const char* libraryVersion) {
  SinkBinding binding{&sink, nullptr};
  bool written = false;
  {
    WriteContext context(libraryVersion);
    if (!context.Png()) return WriteResult::NoContext;
    if (!context.Info()) return WriteResult::Failed;
    written = WriteUnderJump(context.Png(), context.Info(), binding, picture);
  }
  if (binding.failure) std::rethrow_exception(binding.failure);
  return written ? WriteResult::Written : WriteResult::Failed;
}

}  // namespace tessory::pnglib
