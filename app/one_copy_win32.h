// One Tessory per user session: the first start holds a named mutex for
// its life; a later start finds the running copy's main window, asks it
// to come forward (shown again if it was hidden in the tray), and ends.
#pragma once

#include <windows.h>

#include "framework/handles_win32.h"

namespace tessory {

class OneCopy {
 public:
  // Takes the session's mutex; IsFirst tells whether this start got it.
  OneCopy();
  OneCopy(const OneCopy&) = delete;
  OneCopy& operator=(const OneCopy&) = delete;

  bool IsFirst() const { return first_; }
  // Asks the running copy to bring its tool window forward, waiting a few
  // seconds for it to have one; false when none answered.
  bool BringRunningCopyForward() const;

  // The message the running copy's main window gets from a later start.
  static UINT ShowMessage();

 private:
  UniqueProcessHandle mutex_;
  bool first_ = false;
};

}  // namespace tessory
