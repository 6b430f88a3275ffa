#include "support/image_files.h"

#include <memory>

#include "imaging/bmp_writer.h"
#include "imaging/output_file.h"

namespace tessory::test {

void WriteBmpFile(const CaptureImage& image, const std::string& path) {
  const std::unique_ptr<OutputFile> file = OutputFile::Replace(path);
  WriteBmp(image, *file);
  file->Commit();
}

void WriteGifFile(TGIFImage& gif, const std::string& path) {
  const std::unique_ptr<OutputFile> file = OutputFile::Replace(path);
  gif.SaveToStream(*file);
  file->Commit();
}

}  // namespace tessory::test
