// The options dialog's window and controls, laid out at 96 DPI. Controls
// inside the about panel and the temp-file group are given relative to
// their container and placed on the form. Creation order is the focus
// order: the radio groups, the slider, More..., OK and Cancel, the temp-file
// edits and check box, then the sound edit.
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
// A flat glyph button: drawn by the form, clicked like a label, and never
// focused.
constexpr DWORD kGlyphButton = WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY;

constexpr FontSpec kArial9{L"Arial", 9};
constexpr FontSpec kTitleFont{L"Arial", 16, false, true};
constexpr FontSpec kLinkFont{L"MS Sans Serif", 11, true, false};

using Ids = TOptionsForm;

// Relative to the panel; its bevel last, beneath the rest.
constexpr ControlSpec kAboutPanel[] = {
    {.windowClass = L"STATIC",
     .style = WS_VISIBLE | SS_ICON | SS_CENTERIMAGE | SS_REALSIZEIMAGE,
     .bounds = {2, 6, 37, 33},
     .id = Ids::kImage1},
    {.windowClass = L"STATIC",
     .text = "Tessory",
     .style = kLabel,
     .bounds = {40, 6, 99, 19},
     .id = Ids::kAppTitle,
     .font = &kTitleFont},
    {.windowClass = L"STATIC",
     .text = "version",
     .style = WS_VISIBLE | SS_RIGHT | SS_NOTIFY,
     .bounds = {256, 8, 48, 15},
     .id = Ids::kVersionLbl},
    {.windowClass = L"STATIC", .style = kLabel, .bounds = {41, 28, 58, 13}, .id = Ids::kCopyrightLbl},
    {.windowClass = L"STATIC",
     .text = kMakerWebAddress,
     .style = WS_VISIBLE | SS_CENTER | SS_NOTIFY,
     .bounds = {69, 50, 179, 15},
     .id = Ids::kWebAddressLbl,
     .font = &kLinkFont},
    // Raised inner and lowered outer bevel.
    {.windowClass = L"STATIC", .style = WS_VISIBLE | SS_ETCHEDFRAME, .bounds = {0, 0, 317, 73}, .id = Ids::kPanel1},
};

// "Low" and "High" end where the slider begins: it paints its whole
// rectangle, over any text beneath it.
constexpr ControlSpec kQualityControls[] = {
    {.windowClass = L"STATIC",
     .text = "Image Quality:",
     .style = kLabel,
     .bounds = {12, 318, 71, 17},
     .id = Ids::kQualityLbl},
    {.windowClass = L"STATIC",
     .text = "Low",
     .style = kLabel,
     .bounds = {90, 319, 14, 16},
     .id = Ids::kLowQualLbl,
     .font = &kArial9},
    {.windowClass = TRACKBAR_CLASSW,
     .style = WS_VISIBLE | WS_TABSTOP | WS_GROUP | TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS,
     .bounds = {104, 314, 202, 27},
     .id = Ids::kQualitySlider},
    {.windowClass = L"STATIC",
     .text = "High",
     .style = kLabel,
     .bounds = {306, 319, 20, 16},
     .id = Ids::kHighQualLbl,
     .font = &kArial9},
};

constexpr ControlSpec kButtons[] = {
    {.windowClass = L"BUTTON",
     .text = "More...",
     .style = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON,
     .bounds = {106, 394, 70, 24},
     .id = Ids::kMoreBtn},
    {.windowClass = L"BUTTON",
     .text = "OK",
     .style = WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
     .bounds = {182, 394, 70, 24},
     .id = Ids::kOKBtn},
    {.windowClass = L"BUTTON",
     .text = "Cancel",
     .style = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
     .bounds = {258, 394, 70, 24},
     .id = Ids::kCancelBtn},
};

// Relative to the group box.
constexpr ControlSpec kTempFileOptions[] = {
    {.windowClass = L"BUTTON",
     .text = "Temp File Options",
     .style = WS_VISIBLE | BS_GROUPBOX,
     .bounds = {0, 0, 317, 103},
     .id = Ids::kTempOptions},
    {.windowClass = L"STATIC",
     .text = "Auto-save temp files to:",
     .style = kLabel,
     .bounds = {12, 25, 114, 17},
     .id = Ids::kAutoSaveLbl},
    {.windowClass = L"EDIT",
     .style = kEdit | ES_READONLY,
     .bounds = {144, 22, 140, 21},
     .id = Ids::kTempFolderTxt,
     .exStyle = WS_EX_CLIENTEDGE},
    {.windowClass = L"STATIC", .style = kGlyphButton, .bounds = {285, 22, 20, 20}, .id = Ids::kBrowseBtn},
    {.windowClass = L"STATIC",
     .text = "Base Auto-save Filename",
     .style = kLabel,
     .bounds = {12, 53, 124, 17},
     .id = Ids::kSequentialLbl},
    {.windowClass = L"EDIT",
     .style = kEdit,
     .bounds = {144, 50, 160, 21},
     .id = Ids::kBaseNameTxt,
     .exStyle = WS_EX_CLIENTEDGE},
    {.windowClass = L"BUTTON",
     .text = "Sequential file names",
     .style = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFTTEXT,
     .bounds = {10, 78, 147, 17},
     .id = Ids::kSequentialChk},
};

constexpr ControlSpec kSoundControls[] = {
    {.windowClass = L"STATIC",
     .text = "Capture sound",
     .style = kLabel,
     .bounds = {12, 357, 73, 17},
     .id = Ids::kStaticText1},
    {.windowClass = L"EDIT",
     .style = kEdit,
     .bounds = {92, 354, 192, 21},
     .id = Ids::kCaptureSoundTxt,
     .exStyle = WS_EX_CLIENTEDGE},
    {.windowClass = L"STATIC", .style = kGlyphButton, .bounds = {285, 355, 20, 20}, .id = Ids::kSoundBrwsBtn},
    {.windowClass = L"STATIC", .style = kGlyphButton, .bounds = {306, 355, 20, 20}, .id = Ids::kPlayBtn},
};

}  // namespace

TOptionsForm::TOptionsForm(CaptureSettings& settings) : settings_(settings) {
  // Without WS_CLIPCHILDREN: the form paints the face colour inside the
  // group boxes and the panel, which do not paint their own inside.
  CreateFrame(DialogFrame("Options", 341, 423), Application::Instance().Handle());
  SetHelpContext(kHelpContext);
  tooltip_.Create(Handle());
  CreateAboutPanel();
  CreateChoices();
  AddControls(kQualityControls);
  SetSliderScale({10, 100, 10, 10, 10, 50});
  AddControls(kButtons);
  AddControls(kTempFileOptions, kTempOptionsOrigin);
  AddTooltip(kBrowseBtn, "Select Folder");
  AddControls(kSoundControls);
  AddTooltip(kSoundBrwsBtn, "Select Sound File");
  AddTooltip(kPlayBtn, "Preview Sound");
  FitCaptionsToFont();
  SetDefaultButton(kOKBtn);
  playSound_ = [](const std::string& path) { PlaySoundW(Widen(path).c_str(), nullptr, SND_FILENAME | SND_SYNC); };
  openLink_ = [](const std::string& address) {
    ShellExecuteW(Application::Instance().Handle(), nullptr, Widen(address).c_str(), L"", L"", SW_SHOWNORMAL);
  };
}

TOptionsForm::~TOptionsForm() = default;

void TOptionsForm::CreateAboutPanel() {
  AddControls(kAboutPanel, kPanel1Origin);
  icon_.reset(static_cast<HICON>(
      LoadImageW(Application::Instance().ModuleInstance(), L"MAINICON", IMAGE_ICON, Scale(32), Scale(32), 0)));
  if (icon_) SendMessageW(Control(kImage1), STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
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
    AddControl({.windowClass = L"BUTTON",
                .text = group.caption,
                .style = WS_VISIBLE | BS_GROUPBOX,
                .bounds = {group.x, 91, 150, 100},
                .id = group.id});
    // The items share the group's inside evenly.
    const int step = (100 - 22) / group.count;
    for (int i = 0; i < group.count; ++i) {
      const DWORD first = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
      AddControl({.windowClass = L"BUTTON",
                  .text = group.items[i],
                  .style = WS_VISIBLE | BS_AUTORADIOBUTTON | first,
                  .bounds = {group.x + 9, 91 + 17 + step * i, 134, std::min(step, 17)},
                  .id = group.first + i});
    }
  }
  SetSaveOptionsIndex(0);
  SetImgTypeIndex(0);
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

void TOptionsForm::AddTooltip(int id, const char* hint) {
  tooltip_.AddControl(Control(id), hint);
}

}  // namespace tessory
