#include "options/folder_browser_win32.h"

#include <shlobj.h>

#include "framework/application_win32.h"
#include "framework/com_win32.h"
#include "framework/file_dialog_win32.h"
#include "framework/utf8.h"
#include "options/options_rules.h"

namespace tessory {
namespace {

// What one call hands its callback, in place of state shared by the module.
struct BrowseRequest {
  std::wstring currentFolder;
  std::wstring caption;
  int selectionMoves = 0;  // how often the browser's selection has changed
};

UniquePidl ParseFolder(HWND owner, std::wstring path) {
  if (path.empty()) return UniquePidl();
  IShellFolder* folder = nullptr;
  const HRESULT found = SHGetDesktopFolder(&folder);
  const UniqueComPtr<IShellFolder> desktop(folder);
  if (FAILED(found) || !desktop) return UniquePidl();
  LPITEMIDLIST list = nullptr;
  if (FAILED(desktop.get()->ParseDisplayName(owner, nullptr, path.data(), nullptr, &list, nullptr)))
    return UniquePidl();
  return UniquePidl(list);
}

// Selects the current folder in the browser's tree. Some shells match the
// folders on the way byte for byte, last-access time included, and parsing
// the path lists those folders: where one was written to since it was last
// listed (a pictures folder other programs save to), its time moves under
// the first attempt. A path parsed again carries the times the tree holds.
void SelectCurrentFolder(HWND dialog, BrowseRequest& request) {
  constexpr int kAttempts = 3;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const UniquePidl current = ParseFolder(dialog, request.currentFolder);
    if (!current) return;
    const int movesBefore = request.selectionMoves;
    SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(current.get()));
    if (request.selectionMoves != movesBefore) return;
  }
}

void Initialized(HWND dialog, BrowseRequest& request) {
  SelectCurrentFolder(dialog, request);
  RECT rect;
  GetWindowRect(dialog, &rect);
  const CentredOrigin origin = CentreOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                              rect.right - rect.left, rect.bottom - rect.top);
  SetWindowTextW(dialog, request.caption.c_str());
  SetWindowPos(dialog, HWND_TOP, origin.x, origin.y, 0, 0, SWP_NOSIZE);
}

void SelectionChanged(HWND dialog, LPCITEMIDLIST selected) {
  const std::wstring path = PathFromIdList(selected);
  SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

}  // namespace

std::wstring PathFromIdList(LPCITEMIDLIST list) {
  if (!list) return {};
  std::wstring path(kLongPathChars, L'\0');
  if (!SHGetPathFromIDListEx(list, path.data(), kLongPathChars, GPFIDL_DEFAULT)) {
    // Systems without the extended call still give paths up to MAX_PATH.
    path.assign(MAX_PATH, L'\0');
    if (!SHGetPathFromIDListW(list, path.data())) return {};
  }
  path.resize(wcsnlen(path.c_str(), path.size()));
  return path;
}

int CALLBACK BrowseFolderCallback(HWND dialog, UINT message, LPARAM argument, LPARAM data) noexcept {
  try {
    auto* request = reinterpret_cast<BrowseRequest*>(data);
    if (message == BFFM_INITIALIZED && request) Initialized(dialog, *request);
    if (message == BFFM_SELCHANGED) {
      if (request) ++request->selectionMoves;
      SelectionChanged(dialog, reinterpret_cast<LPCITEMIDLIST>(argument));
    }
  } catch (...) {
    Application::Instance().ShowCurrentException();
  }
  return 0;
}

bool BrowseFolder(const std::string& instruction, const std::string& caption, int rootFolder, std::string& folder) {
  BrowseRequest request{Widen(folder), Widen(caption)};
  folder.clear();
  const HWND owner = Application::Instance().Handle();
  LPITEMIDLIST rootList = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(owner, rootFolder, &rootList))) rootList = nullptr;
  const UniquePidl root(rootList);
  // The shell writes the chosen folder's display name here: MAX_PATH by contract.
  std::wstring displayName(MAX_PATH, L'\0');
  const std::wstring title = Widen(instruction);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = root.get();
  info.pszDisplayName = displayName.data();
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  info.lpfn = &BrowseFolderCallback;
  info.lParam = reinterpret_cast<LPARAM>(&request);
  info.iImage = -1;
  const UniquePidl chosen(SHBrowseForFolderW(&info));
  if (!chosen) return false;
  const std::wstring path = PathFromIdList(chosen.get());
  // A folder whose path cannot be had is no choice: the caller keeps its own.
  if (path.empty()) return false;
  folder = Narrow(path);
  return true;
}

}  // namespace tessory
