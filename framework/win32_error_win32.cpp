#include "framework/win32_error_win32.h"

#include "framework/error.h"
#include "framework/handles_win32.h"
#include "framework/utf8.h"

namespace tessory {

std::string SystemMessage(DWORD code) {
  if (code == 0) return {};
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const UniqueLocalText text(buffer);
  if (length == 0 || !text) return {};
  std::wstring message(text.get(), length);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  return Narrow(message);
}

void RaiseOutOfResources() {
  std::string message = SystemMessage(GetLastError());
  if (message.empty()) message = kOutOfResourcesText;
  throw EOutOfResources(message);
}

}  // namespace tessory
