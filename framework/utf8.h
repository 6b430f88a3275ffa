// UTF-8 (the program's text everywhere) to and from the platform's wide
// strings (UTF-16 on Windows, UTF-32 elsewhere). Malformed input becomes
// U+FFFD rather than being dropped silently.
#pragma once

#include <string>
#include <string_view>

namespace tessory {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace tessory
