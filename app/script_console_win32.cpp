#include "app/script_console_win32.h"

#include "framework/utf8.h"

namespace tessory {
namespace {

bool Usable(HANDLE stream) {
  return stream && stream != INVALID_HANDLE_VALUE && GetFileType(stream) != FILE_TYPE_UNKNOWN;
}

}  // namespace

ScriptConsole::ScriptConsole() {
  out_ = Stream(STD_OUTPUT_HANDLE);
  err_ = Stream(STD_ERROR_HANDLE);
}

HANDLE ScriptConsole::Stream(DWORD which) {
  if (HANDLE given = GetStdHandle(which); Usable(given)) return given;
  if (!attachTried_) {
    attachTried_ = true;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
      console_.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    }
  }
  return console_ ? console_.get() : nullptr;
}

// A console takes UTF-16 and shows it whatever its code page; a pipe or a
// file gets UTF-8.
void ScriptConsole::Write(HANDLE stream, const std::string& text) {
  if (!stream) return;
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(stream, &mode)) {
    const std::wstring wide = Widen(text + "\r\n");
    WriteConsoleW(stream, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  const std::string line = text + "\r\n";
  WriteFile(stream, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace tessory
