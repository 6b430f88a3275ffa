// The options dialog's event handlers.
#include "options/options_form_win32.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "settings/settings.h"
#include "framework/application_win32.h"
#include "framework/dpi_win32.h"
#include "framework/file_dialog_win32.h"
#include "framework/utf8.h"
#include "help/html_help_api_win32.h"
#include "options/folder_browser_win32.h"
#include "options/glyphs_win32.h"
#include "options/more_options_form_win32.h"

namespace tessory {
namespace {

int CurrentYear() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now.wYear;
}

std::wstring OpenSoundFile(HWND owner, const std::string& current) {
  // A stored name too long for the dialog opens it without a name.
  return AskOpenFileName({owner, L"WAV Sound Files (*.wav)\0*.wav\0All Files (*.*)\0*.*\0", nullptr, L"wav",
                          OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST, Widen(current)})
      .value_or(std::wstring());
}

}  // namespace

void TOptionsForm::FormShow() {
  SetSaveOptionsIndex(0);
  SetImgTypeIndex(0);
  ImgTypeClick();
  ShowCopyright();
  SetControlText(kVersionLbl, GetFileVersionString(RunningProgramPath()));
  SetSaveOptionsIndex(settings_.SaveOption);
  SetImgTypeIndex(settings_.ImageType.Stored());
  SaveOptionsClick();
  SetSliderPosition(settings_.ImageQuality);
  SetControlText(kTempFolderTxt, settings_.TempFolder);
  SendMessageW(Control(kSequentialChk), BM_SETCHECK, settings_.SequentialFileNames ? BST_CHECKED : BST_UNCHECKED, 0);
  SetControlText(kBaseNameTxt, settings_.BaseFileName);
  SetControlText(kCaptureSoundTxt, settings_.CaptureSound);
  SetFocus(GetNextDlgTabItem(Handle(), nullptr, FALSE));
}

void TOptionsForm::ShowCopyright() {
  SetControlText(kCopyrightLbl, CopyrightText(CurrentYear()));
  FitLabelToText(kCopyrightLbl);
}

// Labels size themselves to their text, as wide as the font makes it.
void TOptionsForm::FitLabelToText(int id) {
  HWND label = Control(id);
  const std::wstring text = Widen(ControlText(id));
  WindowDc dc(label, GetDC(label));
  SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  RECT bounds;
  GetWindowRect(label, &bounds);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&bounds), 2);
  const auto unscale = [this](LONG pixels) { return ScaleFromDpi(pixels, Dpi()); };
  SetControlBounds(label, {unscale(bounds.left), unscale(bounds.top), unscale(size.cx) + 2,
                           unscale(bounds.bottom - bounds.top)});
}

void TOptionsForm::ImgTypeClick() {
  const std::optional<ImageKind> type = AsImageKind(ImgTypeIndex());
  const bool enabled = QualitySliderEnabled(type, AsSaveRoute(SaveOptionsIndex()));
  for (int id : {kQualitySlider, kQualityLbl, kLowQualLbl, kHighQualLbl}) Enable(id, enabled);
  if (const std::optional<QualityScale> scale = QualityScaleFor(type)) SetSliderScale(*scale);
}

void TOptionsForm::SaveOptionsClick() {
  const std::optional<SaveRoute> method = AsSaveRoute(SaveOptionsIndex());
  Enable(kImgType, method != SaveRoute::CopyToClipboard);
  for (int i = 0; i < kImgTypeCount; ++i) Enable(kImgTypeFirst + i, method != SaveRoute::CopyToClipboard);
  for (int id : {kBrowseBtn, kSequentialChk, kBaseNameTxt, kAutoSaveLbl, kSequentialLbl, kTempFolderTxt}) {
    Enable(id, method == SaveRoute::AutoSave);
  }
  ImgTypeClick();
  SetSliderPosition(settings_.ImageQuality);
}

void TOptionsForm::OKBtnClick() {
  settings_.SaveOption = SaveOptionsIndex();
  settings_.ImageType = ImageTypeValue::FromStored(ImgTypeIndex());
  settings_.ImageQuality = static_cast<std::int32_t>(SendMessageW(Control(kQualitySlider), TBM_GETPOS, 0, 0));
  settings_.TempFolder = ControlText(kTempFolderTxt);
  settings_.SequentialFileNames = SendMessageW(Control(kSequentialChk), BM_GETCHECK, 0, 0) == BST_CHECKED;
  settings_.BaseFileName = ControlText(kBaseNameTxt);
  settings_.CaptureSound = ControlText(kCaptureSoundTxt);
}

// Only a name the auto-save route uses is checked: a disabled field cannot
// be corrected.
bool TOptionsForm::BaseNameAccepted() {
  HWND edit = Control(kBaseNameTxt);
  if (!IsWindowEnabled(edit)) return true;
  const std::optional<std::string> problem = BaseNameProblem(ControlText(kBaseNameTxt));
  if (!problem) return true;
  Application::Instance().ShowError(*problem);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  return false;
}

void TOptionsForm::BrowseBtnClick() {
  std::string folder = settings_.TempFolder;
  if (!BrowseFolder("Select location to autosave image temp files", "Select Temp Folder", CSIDL_DESKTOP, folder)) {
    return;
  }
  settings_.TempFolder = folder;
  SetControlText(kTempFolderTxt, folder);
}

void TOptionsForm::SoundBrwsBtnClick() {
  const std::wstring chosen = OpenSoundFile(Handle(), settings_.CaptureSound);
  if (chosen.empty()) return;
  settings_.CaptureSound = Narrow(chosen);
  SetControlText(kCaptureSoundTxt, settings_.CaptureSound);
}

// Plays what the edit holds, before OK; the dialog waits for the end.
void TOptionsForm::PlayBtnClick() {
  const std::string sound = ControlText(kCaptureSoundTxt);
  if (!sound.empty()) playSound_(sound);
}

void TOptionsForm::MoreBtnClick() {
  TMoreOptionsForm more(settings_, Handle());
  more.SetHooks(moreOptionsHooks_);
  more.ShowModal();
}

void TOptionsForm::WebAddressLblClick() {
  openLink_(kMakerWebAddress);
}

bool TOptionsForm::FormHelp(UINT, ULONG_PTR, bool&) {
  ShowHelpContextOf(kHelpContext);
  return true;
}

int TOptionsForm::RadioIndex(int first, int count) const {
  for (int i = 0; i < count; ++i) {
    if (SendMessageW(Control(first + i), BM_GETCHECK, 0, 0) == BST_CHECKED) return i;
  }
  return -1;
}

void TOptionsForm::SetRadioIndex(int first, int count, int index) {
  const int selected = ClampItemIndex(index, count);
  for (int i = 0; i < count; ++i) {
    SendMessageW(Control(first + i), BM_SETCHECK, i == selected ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  (first == kSaveOptionsFirst ? lastSaveOption_ : lastImgType_) = selected;
}

QualityScale TOptionsForm::SliderScale() const {
  HWND slider = Control(kQualitySlider);
  const auto get = [slider](UINT message) { return static_cast<int>(SendMessageW(slider, message, 0, 0)); };
  return {get(TBM_GETRANGEMIN), get(TBM_GETRANGEMAX), get(TBM_GETLINESIZE), get(TBM_GETPAGESIZE), 0, get(TBM_GETPOS)};
}

// Minimum, maximum, line size, page size, tick frequency, then position.
void TOptionsForm::SetSliderScale(const QualityScale& scale) {
  HWND slider = Control(kQualitySlider);
  SendMessageW(slider, TBM_SETRANGEMIN, FALSE, scale.minimum);
  SendMessageW(slider, TBM_SETRANGEMAX, TRUE, scale.maximum);
  SendMessageW(slider, TBM_SETLINESIZE, 0, scale.lineSize);
  SendMessageW(slider, TBM_SETPAGESIZE, 0, scale.pageSize);
  SendMessageW(slider, TBM_SETTICFREQ, scale.tickFrequency, 0);
  SetSliderPosition(scale.position);
}

void TOptionsForm::SetSliderPosition(int position) {
  const QualityScale scale = SliderScale();
  SendMessageW(Control(kQualitySlider), TBM_SETPOS, TRUE, ClampPosition(position, scale.minimum, scale.maximum));
}

void TOptionsForm::Enable(int id, bool enabled) {
  EnableWindow(Control(id), enabled);
  InvalidateRect(Control(id), nullptr, TRUE);
}

void TOptionsForm::SetControlText(int id, const std::string& text) {
  SetWindowTextW(Control(id), Widen(text).c_str());
}

void TOptionsForm::SetLinkColour(int colour) {
  if (linkColour_ == colour) return;
  linkColour_ = colour;
  InvalidateRect(Control(kWebAddressLbl), nullptr, TRUE);
}

// Selection changes only: a click on the selected item changes nothing.
void TOptionsForm::RadioClicked(int id) {
  if (id >= kSaveOptionsFirst && id < kSaveOptionsFirst + kSaveOptionsCount) {
    const int index = SaveOptionsIndex();
    if (index == lastSaveOption_) return;
    lastSaveOption_ = index;
    SaveOptionsClick();
  } else if (id >= kImgTypeFirst && id < kImgTypeFirst + kImgTypeCount) {
    const int index = ImgTypeIndex();
    if (index == lastImgType_) return;
    lastImgType_ = index;
    ImgTypeClick();
  }
}

void TOptionsForm::OnCommand(int id, int notification, HWND control) {
  if (notification != BN_CLICKED) return;  // STN_CLICKED too: both are 0
  switch (id) {
    case kOKBtn:
      if (!BaseNameAccepted()) return;
      OKBtnClick();
      SetModalResult(kModalOk);
      return;
    case kBrowseBtn: BrowseBtnClick(); return;
    case kSoundBrwsBtn: SoundBrwsBtnClick(); return;
    case kPlayBtn: PlayBtnClick(); return;
    case kMoreBtn: MoreBtnClick(); return;
    case kWebAddressLbl: WebAddressLblClick(); return;
  }
  RadioClicked(id);
  Form::OnCommand(id, notification, control);
}

LRESULT TOptionsForm::LinkColours(HDC dc) {
  SetTextColor(dc, GetSysColor(linkColour_));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void TOptionsForm::DrawGlyph(const DRAWITEMSTRUCT& item) {
  const Glyph glyph = item.CtlID == kPlayBtn ? Glyph::Play : Glyph::Folder;
  PaintGlyphButton(item.hDC, item.rcItem, glyph, IsWindowEnabled(item.hwndItem) != FALSE, Dpi());
}

LRESULT TOptionsForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == Control(kWebAddressLbl)) return LinkColours(reinterpret_cast<HDC>(wParam));
      break;
    case WM_DRAWITEM: DrawGlyph(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == Control(kWebAddressLbl) && HIWORD(lParam) == WM_MOUSEMOVE) {
        WebAddressLblMouseMove();
      }
      break;
    case WM_MOUSEMOVE: {
      RECT panel;
      GetWindowRect(Control(kPanel1), &panel);
      MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&panel), 2);
      const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (PtInRect(&panel, point)) {
        Panel1MouseMove();
      } else {
        FormMouseMove();
      }
      return 0;
    }
  }
  return Form::HandleMessage(message, wParam, lParam);
}

}  // namespace tessory
