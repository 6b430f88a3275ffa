#include "framework/form_win32.h"

#include "framework/application_win32.h"
#include "framework/callback_failure.h"
#include "framework/error.h"
#include "framework/utf8.h"

namespace tessory {
namespace {

constexpr wchar_t kFormClass[] = L"TessoryForm";

// The windows of the thread a modal form disables while it shows.
struct DisabledWindows {
  HWND modal;
  std::vector<HWND> windows;
  CallbackFailure failure;
};

BOOL CALLBACK DisableOther(HWND window, LPARAM lParam) noexcept {
  auto* state = reinterpret_cast<DisabledWindows*>(lParam);
  if (window == state->modal || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  // Recorded before it is disabled: no window stays disabled unrecorded.
  if (!state->failure.Guard([&] { state->windows.push_back(window); })) return FALSE;
  EnableWindow(window, FALSE);
  return TRUE;
}

}  // namespace

int WindowDpi(HWND window) {
  const UINT dpi = window ? GetDpiForWindow(window) : 0;
  return dpi ? static_cast<int>(dpi) : kDesignDpi;
}

void Form::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = &Form::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, L"MAINICON");
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kFormClass;
  RegisterClassExW(&windowClass);
}

std::string Form::ControlText(int id) const {
  HWND control = Control(id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

bool Form::IsFormWindow(HWND window) {
  wchar_t name[32];
  return window && GetClassNameW(window, name, 32) && lstrcmpW(name, kFormClass) == 0;
}

Form* Form::FromHandle(HWND window) {
  return IsFormWindow(window) ? reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
}

Form::~Form() {
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

Form::Frame Form::DialogFrame(std::string caption, int clientWidth, int clientHeight, CaptionButtons buttons) {
  Frame frame;
  frame.caption = std::move(caption);
  frame.style = WS_POPUP | WS_CAPTION | (buttons == CaptionButtons::SystemMenu ? WS_SYSMENU : 0);
  frame.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  frame.clientWidth = clientWidth;
  frame.clientHeight = clientHeight;
  frame.centreOnScreen = true;
  return frame;
}

void Form::CreateFrame(const Frame& frame, HWND owner) {
  formFont_ = frame.font;
  clientWidth_ = frame.clientWidth;
  clientHeight_ = frame.clientHeight;
  window_ = CreateWindowExW(frame.exStyle, kFormClass, Widen(frame.caption).c_str(), frame.style, CW_USEDEFAULT,
                            CW_USEDEFAULT, 100, 100, owner, nullptr, Application::Instance().ModuleInstance(), this);
  if (!window_) throw Error("Cannot create window");
  fonts_.clear();
  fonts_.emplace_back();  // the form's font, made for the DPI below
  ApplyDpi(WindowDpi(window_));
  if (frame.centreOnScreen) {
    RECT rect;
    GetWindowRect(window_, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HFONT Form::FontFor(const FontSpec& style) {
  LOGFONTW font{};
  font.lfHeight = -Scale(style.pixelHeight);
  font.lfWeight = style.bold ? FW_BOLD : FW_NORMAL;
  font.lfUnderline = style.underline;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, style.face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

HWND Form::AddControl(const ControlSpec& wanted) {
  const DesignBounds& at = wanted.bounds;
  // Edges are scaled, not sizes, so that neighbours stay neighbours.
  HWND control = CreateWindowExW(
      wanted.exStyle, wanted.windowClass, Widen(wanted.text).c_str(), wanted.style | WS_CHILD, Scale(at.x), Scale(at.y),
      Scale(at.x + at.width) - Scale(at.x), Scale(at.y + at.height) - Scale(at.y), window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(wanted.id)), Application::Instance().ModuleInstance(), nullptr);
  if (!control) throw Error("Cannot create window");
  int fontIndex = -1;
  if (wanted.font) {
    fontSpecs_.push_back(*wanted.font);
    fonts_.emplace_back(FontFor(*wanted.font));
    fontIndex = static_cast<int>(fonts_.size()) - 1;
  }
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[fontIndex < 0 ? 0 : fontIndex].get()), FALSE);
  layout_.push_back({control, at.x, at.y, at.width, at.height, fontIndex});
  return control;
}

void Form::AddControls(std::span<const ControlSpec> rows, POINT origin) {
  for (ControlSpec row : rows) {
    row.bounds.x += origin.x;
    row.bounds.y += origin.y;
    AddControl(row);
  }
}

void Form::SetControlBounds(HWND control, const DesignBounds& bounds) {
  for (Layout& item : layout_) {
    if (item.control != control) continue;
    item.x = bounds.x;
    item.y = bounds.y;
    item.width = bounds.width;
    item.height = bounds.height;
    PlaceControl(item);
  }
}

void Form::PlaceControl(const Layout& item) {
  const int left = item.x + item.fitShift, right = left + item.width + item.fitGrowth;
  SetWindowPos(item.control, nullptr, Scale(left), Scale(item.y), Scale(right) - Scale(left),
               Scale(item.y + item.height) - Scale(item.y), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Form::FormHelp(UINT, ULONG_PTR, bool&) {
  return false;
}

void Form::ContextHelpRequested() {
  if (helpContext_ == 0) return;
  Application& application = Application::Instance();
  if (!application.HelpCommand(*this, HELP_CONTEXT, static_cast<ULONG_PTR>(helpContext_))) {
    application.ShowError(kNoHelpViewerText);
  }
}

void Form::SetClientSize(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  RECT rect{0, 0, Scale(width + fitWidening_), Scale(height)};
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE));
  AdjustWindowRectExForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi_));
  SetWindowPos(window_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Re-makes the fonts and places every control for `dpi`.
void Form::ApplyDpi(int dpi) {
  dpi_ = dpi;
  fonts_[0].reset(FontFor(formFont_));
  for (std::size_t i = 0; i < fontSpecs_.size(); ++i) fonts_[i + 1].reset(FontFor(fontSpecs_[i]));
  for (const Layout& item : layout_) {
    SendMessageW(item.control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(fonts_[item.fontIndex < 0 ? 0 : item.fontIndex].get()), TRUE);
  }
  // Text widths change with the fonts: the captions are fitted anew.
  FitLayout();
  SetClientSize(clientWidth_, clientHeight_);
}

int Form::ShowModal() {
  modalResult_ = kModalNone;
  DisabledWindows disabled{window_, {}, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOther, reinterpret_cast<LPARAM>(&disabled));
  if (disabled.failure) {
    for (HWND window : disabled.windows) EnableWindow(window, TRUE);
    disabled.failure.Rethrow();
  }
  inModalLoop_ = true;
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  FormShow();
  MSG message;
  bool quit = false;
  while (modalResult_ == kModalNone) {
    if (!Application::Instance().ProcessMessage(message)) {
      quit = true;
      modalResult_ = kModalCancel;
    }
  }
  inModalLoop_ = false;
  for (HWND window : disabled.windows) EnableWindow(window, TRUE);
  ShowWindow(window_, SW_HIDE);
  if (quit) PostQuitMessage(static_cast<int>(message.wParam));
  return modalResult_;
}

void Form::OnCommand(int id, int notification, HWND) {
  if (notification == BN_CLICKED && (id == IDOK || id == IDCANCEL)) {
    SetModalResult(id == IDOK ? kModalOk : kModalCancel);
  }
}

void Form::CloseRequested() {
  FormClose();
  if (inModalLoop_) {
    if (modalResult_ == kModalNone) modalResult_ = kModalCancel;
  } else {
    DestroyWindow(window_);
  }
}

LRESULT Form::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
    case DM_GETDEFID: return MAKELRESULT(defaultButton_, DC_HASDEFID);
    case WM_CLOSE: CloseRequested(); return 0;
    case WM_HELP: ContextHelpRequested(); return TRUE;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyDpi(HIWORD(wParam));
      return 0;
    }
  }
  return DefaultHandling(message, wParam, lParam);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  Form* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->window_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  try {
    return form->HandleMessage(message, wParam, lParam);
  } catch (...) {
    Application::Instance().ShowCurrentException();
    return 0;
  }
}

}  // namespace tessory
