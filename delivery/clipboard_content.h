// What one capture puts on the clipboard, in one go: the image, the saved
// file as a file, its path as text, any of them together.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "imaging/capture_image.h"

namespace tessory {

struct ClipboardContent {
  // The image as a bitmap in the screen's format, as a 24-bit DIB and as PNG.
  const CaptureImage* image = nullptr;
  // Files, as Explorer copies them ("copy" as the drop effect).
  std::vector<std::string> files;
  // Unicode text.
  std::optional<std::string> text;

  bool Empty() const { return !image && files.empty() && !text; }
};

}  // namespace tessory
