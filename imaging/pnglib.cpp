#include "imaging/pnglib.h"

#include <png.h>

#include <csetjmp>

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

// The one ancillary chunk: tEXt "Software" with empty text. libpng copies
// the record, but its fields are not const, hence the arrays.
char kSoftwareKeyword[] = "Software";
char kEmptyText[] = "";

// Every libpng call that can fail runs in this frame, after setjmp. It
// holds no object with a destructor, so a jump back here skips no clean-up;
// the caller's WriteContext destroys the context either way.
bool WriteUnderJump(png_structp png, png_infop info, std::FILE* file, const PngPicture& picture) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
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
  // libpng only reads the rows; its interface just is not const-correct.
  png_write_image(png, const_cast<png_bytepp>(picture.rows.data()));
  png_write_end(png, info);
  return true;
}

}  // namespace

UniqueFile OpenPngFile(const std::string& path) {
  return TryOpenForWrite(path);
}

bool ClosePngFile(UniqueFile file) {
  const bool flushed = std::fflush(file.get()) == 0 && !std::ferror(file.get());
  const bool closed = std::fclose(file.release()) == 0;
  return flushed && closed;
}

WriteResult WritePicture(std::FILE* file, const PngPicture& picture) {
  return WritePicture(file, picture, PNG_LIBPNG_VER_STRING);
}

WriteResult WritePicture(std::FILE* file, const PngPicture& picture, const char* libraryVersion) {
  WriteContext context(libraryVersion);
  if (!context.Png()) return WriteResult::NoContext;
  if (!context.Info()) return WriteResult::Failed;
  return WriteUnderJump(context.Png(), context.Info(), file, picture) ? WriteResult::Written : WriteResult::Failed;
}

}  // namespace tessory::pnglib
