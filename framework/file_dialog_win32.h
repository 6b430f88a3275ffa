// The common open and save dialogs, asked for one file name.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tessory {

// The longest path the file system allows, in characters, with its
// terminating NUL: the room every path buffer of the program has.
inline constexpr DWORD kLongPathChars = 32768;

// What a file dialog is asked. Null texts leave the dialog's own.
struct FileDialogRequest {
  HWND owner = nullptr;
  // Pairs of description and pattern, each ended by a NUL, the list by a
  // second NUL; the first pair is selected.
  const wchar_t* filter = nullptr;
  const wchar_t* title = nullptr;
  const wchar_t* defaultExt = nullptr;
  // Beyond the Explorer style, sizing and no read-only box, which every
  // dialog of the program has.
  DWORD flags = 0;
  // Offered in the name field; a name too long for the dialog is not.
  std::wstring fileName;
};

// The name the user chose, or none when the dialog was cancelled.
std::optional<std::wstring> AskSaveFileName(const FileDialogRequest& request);
std::optional<std::wstring> AskOpenFileName(const FileDialogRequest& request);

}  // namespace tessory
