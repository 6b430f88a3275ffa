#include "framework/error.h"

#include <new>

namespace tessory {

std::string UserMessage(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error)) return kOutOfResourcesText;
  return error.what();
}

std::string FormatText(std::string_view pattern, std::string_view argument) {
  std::string text(pattern);
  for (const char* placeholder : {"%s", "%d"}) {
    if (auto at = text.find(placeholder); at != std::string::npos) {
      text.replace(at, 2, argument);
      break;
    }
  }
  return text;
}

}  // namespace tessory
