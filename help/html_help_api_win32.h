// The binding to the HTML Help control: its entry point, loaded at run time
// from "HHCTRL.OCX", and the commands the program sends it.
#pragma once

#include <windows.h>

#include <string>

#include "framework/handles_win32.h"

namespace tessory {

// HtmlHelpW(owner window, file text, command, data): the help window.
using HtmlHelpFunction = HWND(WINAPI*)(HWND owner, LPCWSTR file, UINT command, DWORD_PTR data);

inline constexpr wchar_t kHtmlHelpLibrary[] = L"HHCTRL.OCX";
inline constexpr char kHtmlHelpEntryName[] = "HtmlHelpW";

inline constexpr UINT kHhDisplayTopic = 0;
inline constexpr UINT kHhDisplayToc = 1;
inline constexpr UINT kHhDisplayIndex = 2;
inline constexpr UINT kHhHelpContext = 15;
inline constexpr UINT kHhCloseAll = 18;

// What the windows' help handlers tell the user when the control is missing.
inline constexpr char kHtmlHelpUnavailableText[] =
    "Help is not available: the HTML Help control (HHCTRL.OCX) could not be loaded.";

// The loaded control: its library and entry point, for the object's life.
// The windows' help handlers have no way to the help session that owns it,
// so the control registers itself for CallHtmlHelp while it is loaded; the
// program loads one at a time.
class HtmlHelpControl {
 public:
  // Loads `library` and finds its entry point; a library without one is
  // unloaded again, and nothing is registered. With `standIn`, a loaded
  // control's calls go to it instead (tests record them with one).
  explicit HtmlHelpControl(const wchar_t* library, HtmlHelpFunction standIn = nullptr);
  ~HtmlHelpControl();
  HtmlHelpControl(const HtmlHelpControl&) = delete;
  HtmlHelpControl& operator=(const HtmlHelpControl&) = delete;

  bool Loaded() const noexcept { return entry_ != nullptr; }

 private:
  friend bool CallHtmlHelp(HWND owner, const std::string& file, UINT command, DWORD_PTR data);

  static HtmlHelpControl* loaded_;

  UniqueHmodule library_;
  HtmlHelpFunction entry_ = nullptr;
};

// Calls the loaded control's entry point when there is one (an empty file is passed as no
// file); false, with nothing called, when there is none. The control's
// own result is not examined.
bool CallHtmlHelp(HWND owner, const std::string& file, UINT command, DWORD_PTR data);

// A window's direct help request: HH_HELP_CONTEXT with `context` on the
// application's help file, owned by the application window. Without the
// control the user is told that help is unavailable.
void ShowHelpContextOf(int context);

}  // namespace tessory
