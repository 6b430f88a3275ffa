// The options dialog's window and controls, laid out at 96 DPI. Controls
// inside the about panel and the temp-file group are given relative to
// their container and placed on the form. Creation order is the focus
// order: the radio groups, the slider, More..., OK and Cancel, the temp-file edits
// and check box, then the sound edit.
#include <windows.h>
// The other Windows headers need <windows.h> first.
#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "framework/application_win32.h"
#include "framework/utf8.h"
#include "options/options_form_win32.h"

namespace tessory {
namespace {

constexpr POINT kPanel1Origin{12, 9};
constexpr POINT kTempOptionsOrigin{12, 199};

constexpr const char* kSaveOptionItems[] = {"Copy to clipboard", "Prompt for file name", "Auto-save to temp file"};
constexpr const char* kImgTypeItems[] = {"Windows Bitmap", "JPEG Image", "GIF Image", "PNG Image", "Prompt at save"};

constexpr DWORD kLabel = WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOTIFY;
constexpr DWORD kEdit = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;

const FontSpec kArial9{L"Arial", 9};
const FontSpec kTitleFont{L"Arial", 16, false, true};
const FontSpec kLinkFont{L"MS Sans Serif", 11, true, false};

}  // namespace

TOptionsForm::TOptionsForm(CaptureSettings& settings) : settings_(settings) {
  Frame frame;
  frame.caption = "Options";
  // A fixed dialog frame with the system menu only.
  // Without WS_CLIPCHILDREN: the form paints the face colour inside the
  // group boxes and the panel, which do not paint their own inside.
  frame.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  frame.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  frame.clientWidth = 341;
  frame.clientHeight = 423;
  frame.centreOnScreen = true;
  CreateFrame(frame, Application::Instance().Handle());
  SetHelpContext(kHelpContext);
  tooltip_.Create(Handle());
  CreateAboutPanel();
  CreateChoices();
  CreateQualityControls();
  AddControl(L"BUTTON", "More...", WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 106, 394, 70, 24, kMoreBtn);
  AddControl(L"BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 182, 394, 70, 24, kOKBtn);
  AddControl(L"BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 258, 394, 70, 24, kCancelBtn);
  CreateTempFileOptions();
  CreateSoundControls();
  FitCaptionsToFont();
  SetDefaultButton(kOKBtn);
  playSound_ = [](const std::string& path) { PlaySoundW(Widen(path).c_str(), nullptr, SND_FILENAME | SND_SYNC); };
  openLink_ = [](const std::string& address) {
    ShellExecuteW(Application::Instance().Handle(), nullptr, Widen(address).c_str(), L"", L"", SW_SHOWNORMAL);
  };
}

TOptionsForm::~TOptionsForm() = default;

void TOptionsForm::CreateAboutPanel() {
  const LONG x = kPanel1Origin.x, y = kPanel1Origin.y;
  HWND image = AddControl(L"STATIC", "", WS_VISIBLE | SS_ICON | SS_CENTERIMAGE | SS_REALSIZEIMAGE, x + 2, y + 6, 37, 33,
                          kImage1);
  icon_.reset(static_cast<HICON>(
      LoadImageW(Application::Instance().ModuleInstance(), L"MAINICON", IMAGE_ICON, Scale(32), Scale(32), 0)));
  if (icon_) SendMessageW(image, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
  AddControl(L"STATIC", "Tessory", kLabel, x + 40, y + 6, 99, 19, kAppTitle, &kTitleFont);
  AddControl(L"STATIC", "version", WS_VISIBLE | SS_RIGHT | SS_NOTIFY, x + 256, y + 8, 48, 15, kVersionLbl);
  AddControl(L"STATIC", "", kLabel, x + 41, y + 28, 58, 13, kCopyrightLbl);
  AddControl(L"STATIC", kMakerWebAddress, WS_VISIBLE | SS_CENTER | SS_NOTIFY, x + 69, y + 50, 179, 15, kWebAddressLbl,
             &kLinkFont);
  // Raised inner and lowered outer bevel.
  AddControl(L"STATIC", "", WS_VISIBLE | SS_ETCHEDFRAME, x, y, 317, 73, kPanel1);
}

void TOptionsForm::CreateChoices() {
  struct Group {
    int id, first, x, count;
    const char* caption;
    const char* const* items;
  };
  const Group groups[] = {{kSaveOptions, kSaveOptionsFirst, 12, kSaveOptionsCount, "Capture Method", kSaveOptionItems},
                          {kImgType, kImgTypeFirst, 179, kImgTypeCount, "Image Type", kImgTypeItems}};
  for (const Group& group : groups) {
    AddControl(L"BUTTON", group.caption, WS_VISIBLE | BS_GROUPBOX, group.x, 91, 150, 100, group.id);
    // The items share the group's inside evenly.
    const int step = (100 - 22) / group.count;
    for (int i = 0; i < group.count; ++i) {
      const DWORD first = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
      AddControl(L"BUTTON", group.items[i], WS_VISIBLE | BS_AUTORADIOBUTTON | first, group.x + 9, 91 + 17 + step * i,
                 134, std::min(step, 17), group.first + i);
    }
  }
  SetSaveOptionsIndex(0);
  SetImgTypeIndex(0);
}

void TOptionsForm::CreateQualityControls() {
  // "Low" and "High" end where the slider begins: it paints its whole
  // rectangle, over any text beneath it.
  AddControl(L"STATIC", "Image Quality:", kLabel, 12, 318, 71, 17, kQualityLbl);
  AddControl(L"STATIC", "Low", kLabel, 90, 319, 14, 16, kLowQualLbl, &kArial9);
  AddControl(TRACKBAR_CLASSW, "", WS_VISIBLE | WS_TABSTOP | WS_GROUP | TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS, 104, 314,
             202, 27, kQualitySlider);
  AddControl(L"STATIC", "High", kLabel, 306, 319, 20, 16, kHighQualLbl, &kArial9);
  SetSliderScale({10, 100, 10, 10, 10, 50});
}

void TOptionsForm::CreateTempFileOptions() {
  const LONG x = kTempOptionsOrigin.x, y = kTempOptionsOrigin.y;
  AddControl(L"BUTTON", "Temp File Options", WS_VISIBLE | BS_GROUPBOX, x, y, 317, 103, kTempOptions);
  AddControl(L"STATIC", "Auto-save temp files to:", kLabel, x + 12, y + 25, 114, 17, kAutoSaveLbl);
  AddControl(L"EDIT", "", kEdit | ES_READONLY, x + 144, y + 22, 140, 21, kTempFolderTxt, nullptr, WS_EX_CLIENTEDGE);
  AddGlyphButton(kBrowseBtn, x + 285, y + 22, "Select Folder");
  AddControl(L"STATIC", "Base Auto-save Filename", kLabel, x + 12, y + 53, 124, 17, kSequentialLbl);
  AddControl(L"EDIT", "", kEdit, x + 144, y + 50, 160, 21, kBaseNameTxt, nullptr, WS_EX_CLIENTEDGE);
  AddControl(L"BUTTON", "Sequential file names", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFTTEXT, x + 10,
             y + 78, 147, 17, kSequentialChk);
}

void TOptionsForm::CreateSoundControls() {
  AddControl(L"STATIC", "Capture sound", kLabel, 12, 357, 73, 17, kStaticText1);
  AddControl(L"EDIT", "", kEdit, 92, 354, 192, 21, kCaptureSoundTxt, nullptr, WS_EX_CLIENTEDGE);
  AddGlyphButton(kSoundBrwsBtn, 285, 355, "Select Sound File");
  AddGlyphButton(kPlayBtn, 306, 355, "Preview Sound");
}

// Where the font the dialog really got is wider than the designed one, the
// captions that would be cut off take the room they need: their partners on
// the same row move right, a group that no longer holds its items grows,
// and what lies right of it moves along.
void TOptionsForm::FitCaptionsToFont() {
  std::vector<int> saveOptionItems, imgTypeItems;
  for (int i = 0; i < kSaveOptionsCount; ++i) saveOptionItems.push_back(kSaveOptionsFirst + i);
  for (int i = 0; i < kImgTypeCount; ++i) imgTypeItems.push_back(kImgTypeFirst + i);
  std::vector<int> imgTypeGroup = imgTypeItems;
  imgTypeGroup.push_back(kImgType);

  FitCaptions({kAppTitle});
  FitCaptions({kWebAddressLbl});
  FitContainer(kPanel1);
  FitCaptions({kSaveOptions});
  FitCaptions(saveOptionItems);
  FitContainer(kSaveOptions, imgTypeGroup);
  FitCaptions({kImgType});
  FitCaptions(imgTypeItems);
  FitContainer(kImgType);
  FitCaptions({kTempOptions});
  FitCaptions({kAutoSaveLbl, kSequentialLbl}, {kTempFolderTxt, kBrowseBtn, kBaseNameTxt});
  FitCaptions({kSequentialChk});
  FitContainer(kTempOptions);
  FitCaptions({kQualityLbl}, {kLowQualLbl}, {kQualitySlider});
  FitCaptions({kLowQualLbl}, {}, {kQualitySlider});
  FitCaptions({kHighQualLbl});
  FitCaptions({kStaticText1}, {kCaptureSoundTxt, kSoundBrwsBtn, kPlayBtn});
  FitCaptions({kMoreBtn, kOKBtn, kCancelBtn}, {kOKBtn, kCancelBtn, kCancelBtn});
  // A widened dialog keeps its right edge straight.
  KeepAtRightEdge({kPanel1}, {kVersionLbl});
  KeepAtRightEdge({kImgType}, {});
  KeepAtRightEdge({kTempOptions}, {});
  KeepAtRightEdge({kQualitySlider}, {kHighQualLbl});
  KeepAtRightEdge({kCaptureSoundTxt}, {kSoundBrwsBtn, kPlayBtn});
  KeepAtRightEdge({}, {kMoreBtn, kOKBtn, kCancelBtn});
}

// A flat glyph button: drawn by the form, clicked like a label, and never
// focused.
void TOptionsForm::AddGlyphButton(int id, int x, int y, const char* hint) {
  AddControl(L"STATIC", "", WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, x, y, 20, 20, id);
  AddTooltip(id, hint);
}

void TOptionsForm::AddTooltip(int id, const char* hint) {
  tooltip_.AddControl(Control(id), hint);
}

}  // namespace tessory
