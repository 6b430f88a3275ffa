#include "framework/file_dialog_win32.h"

#include <commdlg.h>

#include <cwchar>

namespace tessory {
namespace {

using DialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);

std::optional<std::wstring> AskFileName(DialogFunction show, const FileDialogRequest& request) {
  std::wstring name = request.fileName.size() < kLongPathChars ? request.fileName : std::wstring();
  name.resize(kLongPathChars, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = request.owner;
  dialog.lpstrFilter = request.filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = kLongPathChars;
  dialog.lpstrTitle = request.title;
  dialog.lpstrDefExt = request.defaultExt;
  dialog.Flags = request.flags | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!show(&dialog)) return std::nullopt;
  name.resize(wcsnlen(name.c_str(), name.size()));
  return name;
}

}  // namespace

std::optional<std::wstring> AskSaveFileName(const FileDialogRequest& request) {
  return AskFileName(&GetSaveFileNameW, request);
}

std::optional<std::wstring> AskOpenFileName(const FileDialogRequest& request) {
  return AskFileName(&GetOpenFileNameW, request);
}

}  // namespace tessory
