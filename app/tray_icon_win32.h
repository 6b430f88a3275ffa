// The program's icon in the notification area, while "Show In Tray" is on:
// its clicks come to the owner window as kCallbackMessage, and it is added
// again when the shell's taskbar is made anew (Explorer restarted).
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>
#include <string>

namespace tessory {

// The tray menu's commands, beside the main menus' ones.
inline constexpr UINT kTrayCaptureCommand = 0x0210;
inline constexpr UINT kTrayPickCommand = 0x0220;
inline constexpr UINT kTrayOptionsCommand = 0x0230;
inline constexpr UINT kTrayShowHideCommand = 0x0240;
inline constexpr UINT kTrayExitCommand = 0x0250;

class TrayIcon {
 public:
  // The icon's clicks: lParam holds the mouse message (WM_LBUTTONUP ...).
  static constexpr UINT kCallbackMessage = WM_APP + 30;

  // Adds the program's icon for `owner`, with `tip` as its tooltip.
  TrayIcon(HWND owner, const std::string& tip);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Adds the icon again: for the taskbar's "TaskbarCreated" message.
  void Restore();

  // The message the shell broadcasts when it makes its taskbar anew.
  static UINT TaskbarCreatedMessage();

 private:
  NOTIFYICONDATAW Data() const;

  HWND owner_;
  std::wstring tip_;
  bool shown_ = false;
};

// Shows the tray menu at the pointer, owned by `owner`; the command chosen
// or 0. `toolWindowShown` names the show/hide entry.
UINT TrackTrayMenu(HWND owner, bool toolWindowShown);

// The tool window's life with the tray. While "Show In Tray" is on, the
// icon shows, closing the tool window hides it (and its taskbar button)
// and the icon's clicks and menu reach the window; Exit ends the program.
// On or off, a later start's request brings the tool window forward.
class TrayPresence {
 public:
  // For the tool window `window` and the application window that carries
  // its taskbar button.
  TrayPresence(HWND window, HWND applicationWindow) : window_(window), application_(applicationWindow) {}

  // Shows the icon, or takes it away and shows the tool window again.
  void Apply(bool showInTray);
  bool On() const { return icon_ != nullptr; }
  // The tool window is in the tray: hidden while the icon shows.
  bool Hidden() const { return icon_ && !IsWindowVisible(window_); }
  // Shows or hides the tool window with its taskbar button.
  void ShowToolWindow(bool show);

  // What a message of the tray asks of the tool window.
  struct Outcome {
    bool handled = false;
    UINT command = 0;  // a menu command for the window to run, or 0
  };
  // The icon's clicks and menu (a left click asks for a keyboard pick),
  // the taskbar made anew, a later start's request, and a close while the
  // icon shows (the window is hidden instead, unless Exit asked for it).
  Outcome Handle(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND window_;
  HWND application_;
  std::unique_ptr<TrayIcon> icon_;
  bool exiting_ = false;
};

}  // namespace tessory
