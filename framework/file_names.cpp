#include "framework/file_names.h"

#include <algorithm>

namespace tessory {

bool IsForbiddenInName(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code < 32 || kForbiddenNameChars.find(c) != std::string_view::npos;
}

std::string ForbiddenCharsIn(std::string_view name) {
  std::string found;
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 32 || !IsForbiddenInName(c)) continue;
    if (found.find(c) == std::string::npos) found += c;
  }
  return found;
}

bool HasForbiddenChars(std::string_view name) {
  return std::ranges::any_of(name, IsForbiddenInName);
}

}  // namespace tessory
