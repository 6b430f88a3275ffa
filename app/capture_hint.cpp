#include "app/capture_hint.h"

namespace tessory {

std::string CaptureHint(std::int32_t saveOption, std::int32_t imageType) {
  static constexpr const char* kRoutes[] = {"Clipboard", "Named File", "Autosave File"};
  static constexpr const char* kSuffixes[] = {" [BMP]", " [JPG]", " [GIF]", " [PNG]"};
  std::string hint = "Capture to: ";
  if (saveOption >= 0 && saveOption <= 2) hint += kRoutes[saveOption];
  // The clipboard takes no file format, and "Prompt at save" names none yet.
  if (saveOption != 0 && imageType >= 0 && imageType <= 3) hint += kSuffixes[imageType];
  return hint;
}

bool IsReleaseOverWindow(int x, int y, int clientWidth, int clientHeight) {
  return x >= 0 && x <= clientWidth && y >= 0 && y <= clientHeight;
}

}  // namespace tessory
