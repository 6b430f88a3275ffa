// The notice after a save: a silent balloon of the notification area that
// names the file; a click on it opens the file's folder with the file
// selected. The icon leaves the notification area when the notice is gone
// and when its owner is destroyed.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

#include "framework/handles_win32.h"

namespace tessory {

class SaveNotice {
 public:
  SaveNotice() = default;
  ~SaveNotice();
  SaveNotice(const SaveNotice&) = delete;
  SaveNotice& operator=(const SaveNotice&) = delete;

  // Shows the notice for `path`, replacing one still showing.
  void Show(const std::string& path);
  // Takes the icon out of the notification area.
  void Remove();
  bool Showing() const { return showing_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  void OnNotifyEvent(UINT event);
  NOTIFYICONDATAW IconData() const;

  UniqueHwnd window_;  // receives the notification area's events
  UniqueHicon icon_;
  std::string path_;
  bool showing_ = false;
};

// Opens an Explorer window on the folder of `path` with the file selected.
void OpenFolderAndSelect(const std::string& path);

}  // namespace tessory
