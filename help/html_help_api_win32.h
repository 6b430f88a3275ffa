// The binding to the HTML Help control: its entry point, loaded at run time
// from "HHCTRL.OCX", and the commands the program sends it.
#pragma once

#include <windows.h>

#include <string>

namespace tessory {

// HtmlHelpW(owner window, file text, command, data): the help window.
using HtmlHelpFunction = HWND(WINAPI*)(HWND owner, LPCWSTR file, UINT command, DWORD_PTR data);

// The entry point, null while the control is not loaded.
extern HtmlHelpFunction HtmlHelpEntry;

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

// Calls the entry point when there is one (an empty file is passed as no
// file); false, with nothing called, when there is none. The control's
// own result is not examined.
bool CallHtmlHelp(HWND owner, const std::string& file, UINT command, DWORD_PTR data);

// A window's direct help request: HH_HELP_CONTEXT with `context` on the
// application's help file, owned by the application window. Without the
// control the user is told that help is unavailable.
void ShowHelpContextOf(int context);

}  // namespace tessory
