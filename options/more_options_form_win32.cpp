#include "options/more_options_form_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "framework/application_win32.h"
#include "help/html_help_api_win32.h"

namespace tessory {
namespace {

constexpr DWORD kLabel = WS_VISIBLE | SS_LEFTNOWORDWRAP;
constexpr int kMargin = 12, kGroupWidth = 317, kFieldX = 170;

}  // namespace

// Sections are group boxes stacked from the top; the buttons follow the
// last one. A further section is created below the ones before it.
TMoreOptionsForm::TMoreOptionsForm(CaptureSettings& settings, HWND owner) : settings_(settings) {
  Frame frame;
  frame.caption = "More Options";
  frame.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  frame.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  frame.clientWidth = kMargin + kGroupWidth + kMargin;
  frame.centreOnScreen = true;
  CreateFrame(frame, owner);
  SetHelpContext(kHelpContext);
  const int bottom = CreateCaptureSection(9);
  CreateButtons(bottom + 12);
  SetClientSize(kMargin + kGroupWidth + kMargin, bottom + 12 + 24 + 9);
  FitCaptions({kCaptureGroup});
  FitCaptions({kActiveWindowLbl, kPointerWindowLbl, kKeyboardPickLbl, kDelayLbl},
              {kActiveWindowKey, kPointerWindowKey, kKeyboardPickKey, kDelayTxt, kDelayUpDown, kSecondsLbl});
  FitCaptions({kPointerChk});
  FitCaptions({kSecondsLbl});
  FitContainer(kCaptureGroup);
  FitCaptions({kOKBtn, kCancelBtn}, {kCancelBtn});
  KeepAtRightEdge({}, {kOKBtn, kCancelBtn});
  SetDefaultButton(kOKBtn);
}

int TMoreOptionsForm::CreateCaptureSection(int top) {
  constexpr int kHeight = 160;
  const int x = kMargin;
  AddControl(L"BUTTON", "Capture without dragging", WS_VISIBLE | BS_GROUPBOX, x, top, kGroupWidth, kHeight,
             kCaptureGroup);
  struct Row {
    int label, field;
    const char* text;
  };
  const Row rows[] = {{kActiveWindowLbl, kActiveWindowKey, "Capture active window:"},
                      {kPointerWindowLbl, kPointerWindowKey, "Capture window under pointer:"},
                      {kKeyboardPickLbl, kKeyboardPickKey, "Pick a window with the keyboard:"}};
  int y = top + 21;
  for (const Row& row : rows) {
    AddControl(L"STATIC", row.text, kLabel, x + 12, y + 3, 140, 17, row.label);
    AddControl(HOTKEY_CLASSW, "", WS_VISIBLE | WS_TABSTOP | WS_GROUP, x + kFieldX - kMargin, y, 135, 21, row.field,
               nullptr, WS_EX_CLIENTEDGE);
    y += 27;
  }
  AddControl(L"STATIC", "Countdown before capture:", kLabel, x + 12, y + 3, 140, 17, kDelayLbl);
  AddControl(L"EDIT", "0", WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_NUMBER | ES_AUTOHSCROLL, x + kFieldX - kMargin, y,
             40, 21, kDelayTxt, nullptr, WS_EX_CLIENTEDGE);
  HWND upDown = AddControl(UPDOWN_CLASSW, "",
                           WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                           x + kFieldX - kMargin + 40, y, 17, 21, kDelayUpDown);
  SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(kDelayTxt)), 0);
  SendMessageW(upDown, UDM_SETRANGE32, 0, kMaxCaptureDelay);
  AddControl(L"STATIC", "seconds", kLabel, x + kFieldX - kMargin + 62, y + 3, 60, 17, kSecondsLbl);
  y += 30;
  AddControl(L"BUTTON", "Include the pointer", WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, x + 12, y, 200, 17,
             kPointerChk);
  return top + kHeight;
}

void TMoreOptionsForm::CreateButtons(int top) {
  AddControl(L"BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 182, top, 70, 24, kOKBtn);
  AddControl(L"BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 258, top, 70, 24, kCancelBtn);
}

void TMoreOptionsForm::FormShow() {
  SetHotkeyOf(kActiveWindowKey, settings_.HotkeyActiveWindow);
  SetHotkeyOf(kPointerWindowKey, settings_.HotkeyPointerWindow);
  SetHotkeyOf(kKeyboardPickKey, settings_.HotkeyKeyboardPick);
  SendMessageW(Control(kDelayUpDown), UDM_SETPOS32, 0, std::clamp<std::int32_t>(settings_.CaptureDelay, 0, kMaxCaptureDelay));
  SendMessageW(Control(kPointerChk), BM_SETCHECK, settings_.CapturePointer ? BST_CHECKED : BST_UNCHECKED, 0);
  SetFocus(Control(kActiveWindowKey));
}

std::int32_t TMoreOptionsForm::HotkeyOf(int control) const {
  return static_cast<std::int32_t>(SendMessageW(Control(control), HKM_GETHOTKEY, 0, 0) & 0xFFFF);
}

void TMoreOptionsForm::SetHotkeyOf(int control, std::int32_t value) {
  SendMessageW(Control(control), HKM_SETHOTKEY, static_cast<WPARAM>(value & 0xFFFF), 0);
}

int TMoreOptionsForm::DelaySeconds() const {
  wchar_t text[16] = L"";
  GetWindowTextW(Control(kDelayTxt), text, 16);
  const long seconds = std::wcstol(text, nullptr, 10);
  return static_cast<int>(std::clamp<long>(seconds, 0, kMaxCaptureDelay));
}

void TMoreOptionsForm::OKBtnClick() {
  settings_.HotkeyActiveWindow = HotkeyOf(kActiveWindowKey);
  settings_.HotkeyPointerWindow = HotkeyOf(kPointerWindowKey);
  settings_.HotkeyKeyboardPick = HotkeyOf(kKeyboardPickKey);
  settings_.CaptureDelay = DelaySeconds();
  settings_.CapturePointer = SendMessageW(Control(kPointerChk), BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (!applied_) return;
  const std::string untaken = applied_();
  if (!untaken.empty()) Application::Instance().ShowError(untaken);
}

bool TMoreOptionsForm::FormHelp(UINT, ULONG_PTR, bool&) {
  ShowHelpContextOf(kHelpContext);
  return true;
}

void TMoreOptionsForm::OnCommand(int id, int notification, HWND control) {
  if (id == kOKBtn && notification == BN_CLICKED) {
    OKBtnClick();
    SetModalResult(kModalOk);
    return;
  }
  Form::OnCommand(id, notification, control);
}

}  // namespace tessory
