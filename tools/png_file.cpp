#include "tools/png_file.h"

#include <memory>

#include "imaging/output_file.h"
#include "imaging/png_writer.h"

namespace tessory {

void WritePngFile(const std::string& path, const CaptureImage& image, std::uint32_t transparentColor) {
  const std::unique_ptr<OutputFile> file = OutputFile::Replace(path, kPngFileTexts);
  WritePng(*file, image, transparentColor);
  file->Commit();
}

}  // namespace tessory
