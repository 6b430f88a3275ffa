#include "help/html_help_api_win32.h"

#include "framework/application_win32.h"
#include "framework/utf8.h"

namespace tessory {

HtmlHelpControl* HtmlHelpControl::loaded_ = nullptr;

HtmlHelpControl::HtmlHelpControl(const wchar_t* library, HtmlHelpFunction standIn) : library_(LoadLibraryW(library)) {
  const auto entry = ProcAddress<HtmlHelpFunction>(library_.get(), kHtmlHelpEntryName);
  // A control without its entry point could show nothing: treat it as missing.
  if (!entry) {
    library_.reset();
    return;
  }
  entry_ = standIn ? standIn : entry;
  loaded_ = this;
}

HtmlHelpControl::~HtmlHelpControl() {
  if (loaded_ == this) loaded_ = nullptr;  // the entry point goes with the library
}

bool CallHtmlHelp(HWND owner, const std::string& file, UINT command, DWORD_PTR data) {
  if (!HtmlHelpControl::loaded_) return false;
  const std::wstring wide = Widen(file);
  HtmlHelpControl::loaded_->entry_(owner, file.empty() ? nullptr : wide.c_str(), command, data);
  return true;
}

void ShowHelpContextOf(int context) {
  Application& application = Application::Instance();
  if (!CallHtmlHelp(application.Handle(), application.HelpFile(), kHhHelpContext, static_cast<DWORD_PTR>(context))) {
    application.ShowError(kHtmlHelpUnavailableText);
  }
}

}  // namespace tessory
