#include "help/html_help_api_win32.h"

#include "framework/application_win32.h"
#include "framework/utf8.h"

namespace tessory {

HtmlHelpFunction HtmlHelpEntry = nullptr;

bool CallHtmlHelp(HWND owner, const std::string& file, UINT command, DWORD_PTR data) {
  if (!HtmlHelpEntry) return false;
  const std::wstring wide = Widen(file);
  HtmlHelpEntry(owner, file.empty() ? nullptr : wide.c_str(), command, data);
  return true;
}

void ShowHelpContextOf(int context) {
  Application& application = Application::Instance();
  if (!CallHtmlHelp(application.Handle(), application.HelpFile(), kHhHelpContext, static_cast<DWORD_PTR>(context))) {
    application.ShowError(kHtmlHelpUnavailableText);
  }
}

}  // namespace tessory
