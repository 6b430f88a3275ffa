#include "delivery/save_notice_win32.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "framework/application_win32.h"
#include "framework/utf8.h"

namespace tessory {
namespace {

constexpr UINT kNotifyMessage = WM_APP + 1;
constexpr UINT kIconId = 1;

// Copies `text` into a fixed buffer of the notification data, cut to fit.
template <std::size_t N>
void CopyText(wchar_t (&buffer)[N], const std::wstring& text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::copy_n(text.begin(), length, buffer);
  buffer[length] = L'\0';
}

std::wstring FileNameOf(const std::string& path) {
  const std::wstring wide = Widen(path);
  const std::size_t slash = wide.find_last_of(L"\\/");
  return slash == std::wstring::npos ? wide : wide.substr(slash + 1);
}

ATOM NoticeWindowClass(WNDPROC procedure) {
  static const ATOM windowClass = [procedure] {
    WNDCLASSW info{};
    info.lpfnWndProc = procedure;
    info.hInstance = GetModuleHandleW(nullptr);
    info.lpszClassName = L"TessorySaveNotice";
    return RegisterClassW(&info);
  }();
  return windowClass;
}

}  // namespace

void OpenFolderAndSelect(const std::string& path) {
  PIDLIST_ABSOLUTE item = ILCreateFromPathW(Widen(path).c_str());
  if (!item) return;
  SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
  ILFree(item);
}

SaveNotice::~SaveNotice() {
  Remove();
}

NOTIFYICONDATAW SaveNotice::IconData() const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_.get();
  data.uID = kIconId;
  return data;
}

void SaveNotice::Show(const std::string& path) {
  if (!window_) {
    window_.reset(CreateWindowExW(0, MAKEINTATOM(NoticeWindowClass(WindowProc)), L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!window_) return;  // no notice is no failure of the save
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  if (!icon_) {
    // A command run from a script has no application object: the icon is the executable's all the same.
    HINSTANCE module = Application::Instance().ModuleInstance();
    if (!module) module = GetModuleHandleW(nullptr);
    icon_.reset(static_cast<HICON>(LoadImageW(module, L"MAINICON", IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
  }
  path_ = path;
  NOTIFYICONDATAW data = IconData();
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
  data.uCallbackMessage = kNotifyMessage;
  data.hIcon = icon_.get();
  CopyText(data.szTip, Widen(Application::Instance().Title()));
  CopyText(data.szInfoTitle, L"Saved " + FileNameOf(path));
  CopyText(data.szInfo, L"Click to open its folder.");
  // Silent: the capture sound has said it already.
  data.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
  if (!showing_) {
    showing_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    data.uVersion = NOTIFYICON_VERSION_4;
    if (showing_) Shell_NotifyIconW(NIM_SETVERSION, &data);
  } else {
    Shell_NotifyIconW(NIM_MODIFY, &data);
  }
}

void SaveNotice::Remove() {
  if (!showing_) return;
  NOTIFYICONDATAW data = IconData();
  Shell_NotifyIconW(NIM_DELETE, &data);
  showing_ = false;
}

void SaveNotice::OnNotifyEvent(UINT event) {
  switch (event) {
    case NIN_BALLOONUSERCLICK:
    case NIN_SELECT:
    case NIN_KEYSELECT:
    case WM_LBUTTONUP:
      Remove();
      OpenFolderAndSelect(path_);
      break;
    case NIN_BALLOONTIMEOUT:
    case NIN_BALLOONHIDE: Remove(); break;
  }
}

LRESULT CALLBACK SaveNotice::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == kNotifyMessage) {
    if (auto* notice = reinterpret_cast<SaveNotice*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
      try {
        notice->OnNotifyEvent(LOWORD(lParam));
      } catch (...) {
        Application::Instance().ShowCurrentException();
      }
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tessory
