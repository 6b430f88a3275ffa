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

std::string ProgramNameOf(std::string_view executablePath) {
  const std::size_t slash = executablePath.find_last_of("\\/");
  std::string_view name = slash == std::string_view::npos ? executablePath : executablePath.substr(slash + 1);
  if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

}  // namespace tessory
