#include "options/more_options_form_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "framework/application_win32.h"
#include "framework/utf8.h"
#include "help/html_help_api_win32.h"

namespace tessory {
namespace {

constexpr DWORD kLabel = WS_VISIBLE | SS_LEFTNOWORDWRAP;
constexpr int kMargin = 12, kGroupWidth = 337, kFieldX = 170, kHotkeyWidth = 155;

// The hotkey control's flag for keys of the extended set. The stored value
// never holds it (shift, control and alt are all it keeps), but the control
// needs it to name such a key: without it PrtScn reads as the keypad's "*".
constexpr int kExtendedKeyFlag = HOTKEYF_EXT << 8;

bool IsExtendedKey(int virtualKey) {
  switch (virtualKey) {
    case VK_CANCEL: case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME: case VK_LEFT: case VK_UP:
    case VK_RIGHT: case VK_DOWN: case VK_SNAPSHOT: case VK_INSERT: case VK_DELETE: case VK_LWIN: case VK_RWIN:
    case VK_APPS: case VK_DIVIDE: case VK_NUMLOCK:
      return true;
    default:
      return false;
  }
}

}  // namespace

// Sections are group boxes stacked from the top; the buttons follow the
// last one. A further section is created below the ones before it.
TMoreOptionsForm::TMoreOptionsForm(CaptureSettings& settings, HWND owner) : settings_(settings) {
  // Centred at a provisional height; the sections give the real one.
  CreateFrame(DialogFrame("More Options", kMargin + kGroupWidth + kMargin, 100), owner);
  SetHelpContext(kHelpContext);
  const int bottom = CreateStartSection(CreateNamesSection(CreateCaptureSection(9) + 9) + 9);
  CreateButtons(bottom + 12);
  SetClientSize(kMargin + kGroupWidth + kMargin, bottom + 12 + 24 + 9);
  FitCaptions({kCaptureGroup});
  FitCaptions({kNamesGroup});
  FitCaptions({kCopyImageChk});
  FitCaptions({kCopyFileChk});
  FitCaptions({kCopyPathChk});
  FitCaptions({kNotifyChk});
  FitCaptions({kStartGroup});
  FitCaptions({kTrayChk});
  FitCaptions({kStartChk});
  FitCaptions({kActiveWindowLbl, kPointerWindowLbl, kKeyboardPickLbl, kDelayLbl},
              {kActiveWindowKey, kPointerWindowKey, kKeyboardPickKey, kDelayTxt, kDelayUpDown, kSecondsLbl});
  FitCaptions({kPointerChk});
  FitCaptions({kSecondsLbl});
  FitContainer(kCaptureGroup);
  FitContainer(kNamesGroup);
  FitContainer(kStartGroup);
  // The sections keep one width when fitting widened the first.
  KeepAtRightEdge({kNamesGroup, kPatternTxt, kPreviewLbl}, {});
  KeepAtRightEdge({kStartGroup}, {});
  FitCaptions({kOKBtn, kCancelBtn}, {kCancelBtn});
  KeepAtRightEdge({}, {kOKBtn, kCancelBtn});
  SetDefaultButton(kOKBtn);
}

int TMoreOptionsForm::CreateCaptureSection(int top) {
  constexpr int kHeight = 160;
  const int x = kMargin;
  AddControl({.windowClass = L"BUTTON",
              .text = "Capture without dragging",
              .style = WS_VISIBLE | BS_GROUPBOX,
              .bounds = {x, top, kGroupWidth, kHeight},
              .id = kCaptureGroup});
  struct Row {
    int label, field;
    const char* text;
  };
  const Row rows[] = {{kActiveWindowLbl, kActiveWindowKey, "Capture active window:"},
                      {kPointerWindowLbl, kPointerWindowKey, "Capture window under pointer:"},
                      {kKeyboardPickLbl, kKeyboardPickKey, "Pick a window with the keyboard:"}};
  int y = top + 21;
  for (const Row& row : rows) {
    AddControl({.windowClass = L"STATIC",
                .text = row.text,
                .style = kLabel,
                .bounds = {x + 12, y + 3, 140, 17},
                .id = row.label});
    AddControl({.windowClass = HOTKEY_CLASSW,
                .style = WS_VISIBLE | WS_TABSTOP | WS_GROUP,
                .bounds = {x + kFieldX - kMargin, y, kHotkeyWidth, 21},
                .id = row.field,
                .exStyle = WS_EX_CLIENTEDGE});
    y += 27;
  }
  CreateCountdownRow(y);
  y += 30;
  AddControl({.windowClass = L"BUTTON",
              .text = "Include the pointer",
              .style = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX,
              .bounds = {x + 12, y, 200, 17},
              .id = kPointerChk});
  return top + kHeight;
}

// The countdown's label, its seconds with their arrows, and their unit, on
// the row at `y` of the capture section.
void TMoreOptionsForm::CreateCountdownRow(int y) {
  AddControl({.windowClass = L"STATIC",
              .text = "Countdown before capture:",
              .style = kLabel,
              .bounds = {kMargin + 12, y + 3, 140, 17},
              .id = kDelayLbl});
  AddControl({.windowClass = L"EDIT",
              .text = "0",
              .style = WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_NUMBER | ES_AUTOHSCROLL,
              .bounds = {kFieldX, y, 40, 21},
              .id = kDelayTxt,
              .exStyle = WS_EX_CLIENTEDGE});
  HWND upDown = AddControl({.windowClass = UPDOWN_CLASSW,
                            .style = WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                            .bounds = {kFieldX + 40, y, 17, 21},
                            .id = kDelayUpDown});
  SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(kDelayTxt)), 0);
  SendMessageW(upDown, UDM_SETRANGE32, 0, kMaxCaptureDelay);
  AddControl({.windowClass = L"STATIC",
              .text = "seconds",
              .style = kLabel,
              .bounds = {kFieldX + 62, y + 3, 60, 17},
              .id = kSecondsLbl});
}

int TMoreOptionsForm::CreateNamesSection(int top) {
  constexpr int kHeight = 176;
  const int x = kMargin;
  AddControl({.windowClass = L"BUTTON",
              .text = "File names and saved files",
              .style = WS_VISIBLE | BS_GROUPBOX,
              .bounds = {x, top, kGroupWidth, kHeight},
              .id = kNamesGroup});
  int y = top + 21;
  AddControl({.windowClass = L"STATIC",
              .text = "File name pattern:",
              .style = kLabel,
              .bounds = {x + 12, y, 200, 17},
              .id = kPatternLbl});
  y += 19;
  AddControl({.windowClass = L"EDIT",
              .style = WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL,
              .bounds = {x + 12, y, kGroupWidth - 24, 21},
              .id = kPatternTxt,
              .exStyle = WS_EX_CLIENTEDGE});
  y += 25;
  // The preview ends in "..." where the name is wider than the line.
  AddControl({.windowClass = L"STATIC",
              .style = WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS | SS_NOPREFIX,
              .bounds = {x + 12, y, kGroupWidth - 24, 17},
              .id = kPreviewLbl});
  y += 24;
  struct Check {
    int id;
    const char* text;
  };
  const Check checks[] = {{kCopyImageChk, "Copy the image to the clipboard after saving"},
                          {kCopyFileChk, "Copy the file to the clipboard after saving"},
                          {kCopyPathChk, "Copy the file's path to the clipboard after saving"},
                          {kNotifyChk, "Show a notice after saving"}};
  for (const Check& check : checks) {
    AddControl({.windowClass = L"BUTTON",
                .text = check.text,
                .style = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX,
                .bounds = {x + 12, y, 280, 17},
                .id = check.id});
    y += 21;
  }
  return top + kHeight;
}

int TMoreOptionsForm::CreateStartSection(int top) {
  constexpr int kHeight = 70;
  AddControl({.windowClass = L"BUTTON",
              .text = "Tray and start",
              .style = WS_VISIBLE | BS_GROUPBOX,
              .bounds = {kMargin, top, kGroupWidth, kHeight},
              .id = kStartGroup});
  AddControl({.windowClass = L"BUTTON",
              .text = "Show in the notification area; closing hides it there",
              .style = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX,
              .bounds = {kMargin + 12, top + 21, 310, 17},
              .id = kTrayChk});
  AddControl({.windowClass = L"BUTTON",
              .text = "Start with Windows",
              .style = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX,
              .bounds = {kMargin + 12, top + 42, 280, 17},
              .id = kStartChk});
  return top + kHeight;
}

void TMoreOptionsForm::CreateButtons(int top) {
  AddControl({.windowClass = L"BUTTON",
              .text = "OK",
              .style = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON,
              .bounds = {202, top, 70, 24},
              .id = kOKBtn});
  AddControl({.windowClass = L"BUTTON",
              .text = "Cancel",
              .style = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
              .bounds = {278, top, 70, 24},
              .id = kCancelBtn});
}

void TMoreOptionsForm::FormShow() {
  if (hooks_.opening) hooks_.opening();
  SetHotkeyOf(kActiveWindowKey, settings_.HotkeyActiveWindow);
  SetHotkeyOf(kPointerWindowKey, settings_.HotkeyPointerWindow);
  SetHotkeyOf(kKeyboardPickKey, settings_.HotkeyKeyboardPick);
  SendMessageW(Control(kDelayUpDown), UDM_SETPOS32, 0, std::clamp<std::int32_t>(settings_.CaptureDelay, 0, kMaxCaptureDelay));
  SendMessageW(Control(kPointerChk), BM_SETCHECK, settings_.CapturePointer ? BST_CHECKED : BST_UNCHECKED, 0);
  SetWindowTextW(Control(kPatternTxt), Widen(settings_.FileNamePattern).c_str());
  const std::pair<int, bool> checks[] = {{kCopyImageChk, settings_.CopyImageAfterSave},
                                         {kCopyFileChk, settings_.CopyFileAfterSave},
                                         {kCopyPathChk, settings_.CopyPathAfterSave},
                                         {kNotifyChk, settings_.NotifyAfterSave}};
  for (const auto& [id, on] : checks) SendMessageW(Control(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  const bool starts = hooks_.startsWithWindows && hooks_.startsWithWindows();
  SendMessageW(Control(kTrayChk), BM_SETCHECK, settings_.ShowInTray ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(Control(kStartChk), BM_SETCHECK, starts ? BST_CHECKED : BST_UNCHECKED, 0);
  PatternTxtChange();
  SetFocus(Control(kActiveWindowKey));
}

std::int32_t TMoreOptionsForm::HotkeyOf(int control) const {
  return static_cast<std::int32_t>(SendMessageW(Control(control), HKM_GETHOTKEY, 0, 0) & 0xFFFF & ~kExtendedKeyFlag);
}

void TMoreOptionsForm::SetHotkeyOf(int control, std::int32_t value) {
  std::int32_t shown = value & 0xFFFF & ~kExtendedKeyFlag;
  if (IsExtendedKey(shown & 0xFF)) shown |= kExtendedKeyFlag;
  SendMessageW(Control(control), HKM_SETHOTKEY, static_cast<WPARAM>(shown), 0);
}

int TMoreOptionsForm::DelaySeconds() const {
  wchar_t text[16] = L"";
  GetWindowTextW(Control(kDelayTxt), text, 16);
  const long seconds = std::wcstol(text, nullptr, 10);
  return static_cast<int>(std::clamp<long>(seconds, 0, kMaxCaptureDelay));
}

bool TMoreOptionsForm::OKBtnClick() {
  CaptureSettings chosen = settings_;
  chosen.HotkeyActiveWindow = HotkeyOf(kActiveWindowKey);
  chosen.HotkeyPointerWindow = HotkeyOf(kPointerWindowKey);
  chosen.HotkeyKeyboardPick = HotkeyOf(kKeyboardPickKey);
  if (const auto problem = hooks_.hotkeyCheck ? hooks_.hotkeyCheck(chosen) : std::nullopt) {
    Application::Instance().ShowError(*problem);
    return false;
  }
  if (!ApplyStartWithWindows()) return false;
  settings_.HotkeyActiveWindow = chosen.HotkeyActiveWindow;
  settings_.HotkeyPointerWindow = chosen.HotkeyPointerWindow;
  settings_.HotkeyKeyboardPick = chosen.HotkeyKeyboardPick;
  settings_.CaptureDelay = DelaySeconds();
  settings_.CapturePointer = Checked(kPointerChk);
  settings_.FileNamePattern = ControlText(kPatternTxt);
  settings_.CopyImageAfterSave = Checked(kCopyImageChk);
  settings_.CopyFileAfterSave = Checked(kCopyFileChk);
  settings_.CopyPathAfterSave = Checked(kCopyPathChk);
  settings_.NotifyAfterSave = Checked(kNotifyChk);
  settings_.ShowInTray = Checked(kTrayChk);
  if (!hooks_.applied) return true;
  const std::string untaken = hooks_.applied();
  if (!untaken.empty()) Application::Instance().ShowError(untaken);
  return true;
}

bool TMoreOptionsForm::ApplyStartWithWindows() {
  const bool wanted = Checked(kStartChk);
  if (!hooks_.setStartWithWindows || (hooks_.startsWithWindows && hooks_.startsWithWindows() == wanted)) return true;
  try {
    hooks_.setStartWithWindows(wanted);
    return true;
  } catch (...) {
    Application::Instance().ShowCurrentException();
    return false;
  }
}

void TMoreOptionsForm::PatternTxtChange() {
  const std::string text = hooks_.namePreview ? "Next name: " + hooks_.namePreview(ControlText(kPatternTxt)) : std::string();
  SetWindowTextW(Control(kPreviewLbl), Widen(text).c_str());
}

bool TMoreOptionsForm::Checked(int id) const {
  return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool TMoreOptionsForm::FormHelp(UINT, ULONG_PTR, bool&) {
  ShowHelpContextOf(kHelpContext);
  return true;
}

void TMoreOptionsForm::OnCommand(int id, int notification, HWND control) {
  if (id == kPatternTxt && notification == EN_CHANGE) {
    PatternTxtChange();
    return;
  }
  if (id == kOKBtn && notification == BN_CLICKED) {
    if (OKBtnClick()) SetModalResult(kModalOk);
    return;
  }
  Form::OnCommand(id, notification, control);
}

}  // namespace tessory
