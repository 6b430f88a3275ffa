#include "options/options_rules.h"

#include <algorithm>

#include "framework/file_names.h"

namespace tessory {

std::optional<QualityScale> QualityScaleFor(std::optional<ImageKind> imageType) {
  if (imageType == ImageKind::Bitmap) return QualityScale{1, 4, 1, 1, 1, 3};
  if (imageType == ImageKind::Jpeg) return QualityScale{10, 100, 10, 10, 10, 90};
  return std::nullopt;
}

bool QualitySliderEnabled(std::optional<ImageKind> imageType, std::optional<SaveRoute> saveOption) {
  return QualityScaleFor(imageType).has_value() && saveOption != SaveRoute::CopyToClipboard;
}

int ClampItemIndex(std::int32_t index, int itemCount) {
  if (index < 0) return -1;
  return std::min<std::int32_t>(index, itemCount - 1);
}

int ClampPosition(std::int32_t position, int minimum, int maximum) {
  // Checked in this order so that an empty range still gives its minimum.
  if (position > maximum) position = maximum;
  if (position < minimum) position = minimum;
  return position;
}

std::optional<std::string> BaseNameProblem(std::string_view baseName) {
  if (!HasForbiddenChars(baseName)) return std::nullopt;
  const std::string shown = ForbiddenCharsIn(baseName);
  const bool controls = std::ranges::any_of(baseName, [](char c) { return static_cast<unsigned char>(c) < 32; });
  std::string list;
  for (char c : shown) list += std::string(list.empty() ? "" : " ") + c;
  if (list.empty()) return "The base file name cannot contain control characters.";
  return "The base file name cannot contain these characters: " + list + (controls ? " (nor control characters)" : "");
}

std::string CopyrightText(int year) {
  return "\xC2\xA9 " + std::to_string(year) + " Morrowlin, Inc.";
}

CentredOrigin CentreOnScreen(int screenWidth, int screenHeight, int width, int height) {
  // Computed wide enough for any two ints; C++ division truncates toward zero.
  const auto half = [](long long screen, long long size) { return static_cast<int>((screen - size) / 2); };
  return {half(screenWidth, width), half(screenHeight, height)};
}

}  // namespace tessory
