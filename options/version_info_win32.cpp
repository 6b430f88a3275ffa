// The program file's version text, read from its version resource.
#include <windows.h>

#include <vector>

#include "framework/application_win32.h"
#include "framework/utf8.h"
#include "options/options_form_win32.h"

namespace tessory {

std::string GetFileVersionString(const std::string& path) {
  const std::wstring file = Widen(path);
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
  if (size == 0) return {};
  std::vector<std::byte> info(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, info.data())) return {};
  // US English (0x0409), Windows Latin-1 (0x04E4).
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(info.data(), L"\\StringFileInfo\\040904E4\\FileVersion", &value, &length) || !value) return {};
  // The length counts characters and may include the terminator; never read past it.
  const auto* text = static_cast<const wchar_t*>(value);
  return Narrow(std::wstring(text, wcsnlen(text, length)));
}

std::string RunningProgramPath() {
  return Application::ExecutablePath();
}

}  // namespace tessory
