// tessory-encode: writes an image file through the program's own writers.
//
//   tessory-encode --type bmp|jpg|gif|png [--quality N] IN OUT
//
// IN is a binary PPM (P6) or a 24-bit BMP. --quality has the meaning of the
// "Image Quality" setting: the colour-depth index 1-4 for bmp, the quality
// for jpg. Errors print the program's own message and exit with status 1.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "delivery/delivery.h"
#include "settings/image_kinds.h"
#include "framework/error.h"
#include "tools/headless_platform.h"
#include "tools/image_input.h"

namespace {

using namespace tessory;

int Usage() {
  std::string types;
  for (const FileFormat& format : kFileFormats) (types += types.empty() ? "" : "|") += format.typeName;
  std::fprintf(stderr, "usage: tessory-encode --type %s [--quality N] IN OUT\n", types.c_str());
  return 2;
}

// The image kind of a --type name ("jpeg" also names JPEG), or none.
std::optional<ImageKind> TypeFromName(std::string_view name) {
  if (name == "jpeg") name = "jpg";
  for (const FileFormat& format : kFileFormats) {
    if (format.typeName == name) return format.kind;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<ImageKind> type;
  std::int32_t quality = -1;
  const char* paths[2] = {nullptr, nullptr};
  int pathCount = 0;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--type") && i + 1 < argc) {
      type = TypeFromName(argv[++i]);
    } else if (!std::strcmp(argv[i], "--quality") && i + 1 < argc) {
      char* end = nullptr;
      const long value = std::strtol(argv[++i], &end, 10);
      if (*end || end == argv[i]) return Usage();
      quality = static_cast<std::int32_t>(value);
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      return Usage();
    } else if (pathCount < 2) {
      paths[pathCount++] = argv[i];
    } else {
      return Usage();
    }
  }
  if (!type || pathCount != 2) return Usage();

  try {
    CaptureImage image = ReadInputImage(paths[0]);
    CaptureSettings settings;
    if (quality < 0) quality = type == ImageKind::Jpeg ? 90 : 3;
    settings.ImageType = *type;
    settings.ImageQuality = quality;
    std::int32_t counter = 0;
    RandomGenerator random;
    SaveDialogState dialog;
    HeadlessPlatform platform;
    CaptureDelivery delivery({image, settings, counter, random, dialog, platform});
    delivery.SaveImageFile(paths[1], type);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tessory-encode: %s\n", UserMessage(e).c_str());
    return 1;
  }
  return 0;
}
