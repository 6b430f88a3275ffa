// The shell's folder browser, opened with the current folder selected,
// centred on the primary screen under a caption of the caller's choice,
// its status line showing the full path of the selected folder.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <string>

namespace tessory {

// Shows the browser below `rootFolder` (a CSIDL value; 0 is the desktop,
// the whole name space) with `instruction` above the tree. On OK returns
// true with `folder` set to the chosen folder's full path; on cancel
// returns false with `folder` empty. On entry `folder` names the folder to
// preselect. Paths of any length pass whole (no 255-character limit).
bool BrowseFolder(const std::string& instruction, const std::string& caption, int rootFolder, std::string& folder);

// The browser's callback: preselection, caption and centring when the
// dialog starts, the status line on every selection change. `data` is the
// request of BrowseFolder. Always 0.
int CALLBACK BrowseFolderCallback(HWND dialog, UINT message, LPARAM argument, LPARAM data) noexcept;

// The file-system path of an item list; empty for a virtual item.
std::wstring PathFromIdList(LPCITEMIDLIST list);

}  // namespace tessory
