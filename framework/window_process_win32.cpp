#include "framework/window_process_win32.h"

#include "framework/handles_win32.h"
#include "framework/utf8.h"

namespace tessory {

std::string ProgramPathOf(HWND window) {
  DWORD processId = 0;
  if (!window || !GetWindowThreadProcessId(window, &processId) || !processId) return {};
  const UniqueProcessHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  std::wstring path(32768, L'\0');
  DWORD length = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &length)) return {};
  path.resize(length);
  return Narrow(path);
}

std::string ProgramFileOf(HWND window) {
  const std::string path = ProgramPathOf(window);
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace tessory
