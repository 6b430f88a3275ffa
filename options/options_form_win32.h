// The options dialog: edits the capture settings in memory (how a capture
// is delivered, the image type and quality, the auto-save folder and
// naming, the capture sound) and shows the about area. OK writes the
// settings; Cancel writes nothing, except what the two browse buttons have
// stored at once.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "settings/settings.h"
#include "framework/form_win32.h"
#include "framework/tooltips_win32.h"
#include "options/more_options_form_win32.h"
#include "options/options_rules.h"

namespace tessory {

// The file version text of the program file at `path` (four dot-separated
// numbers), or "" when it has none.
std::string GetFileVersionString(const std::string& path);
// The path of the running program's own file.
std::string RunningProgramPath();

class TOptionsForm final : public Form {
 public:
  // Control ids.
  enum : int {
    kOKBtn = IDOK,
    kCancelBtn = IDCANCEL,
    kSaveOptions = 100,
    kSaveOptionsFirst = 101,  // three items
    kImgType = 110,
    kImgTypeFirst = 111,  // five items
    kQualitySlider = 120,
    kQualityLbl,
    kLowQualLbl,
    kHighQualLbl,
    kPanel1 = 130,
    kAppTitle,
    kCopyrightLbl,
    kImage1,
    kWebAddressLbl,
    kVersionLbl,
    kTempOptions = 140,
    kAutoSaveLbl,
    kTempFolderTxt,
    kSequentialChk,
    kSequentialLbl,
    kBaseNameTxt,
    kBrowseBtn,
    kStaticText1 = 150,
    kCaptureSoundTxt,
    kSoundBrwsBtn,
    kPlayBtn,
    kMoreBtn = 160,
  };
  static constexpr int kSaveOptionsCount = 3;
  static constexpr int kImgTypeCount = 5;
  static constexpr int kHelpContext = 1002;

  // Creates the dialog (hidden), owned by the application window, over the
  // settings record it edits.
  explicit TOptionsForm(CaptureSettings& settings);
  ~TOptionsForm() override;

  // Event handlers.
  void FormShow() override;
  void ImgTypeClick();
  void SaveOptionsClick();
  void OKBtnClick();
  // False, after telling the user why, when the base file name in use
  // holds characters no file name may hold.
  bool BaseNameAccepted();
  void BrowseBtnClick();
  void SoundBrwsBtnClick();
  void PlayBtnClick();
  // "More...": the "More Options" dialog over the same settings; what it
  // confirms is stored at once, like a browsed folder.
  void MoreBtnClick();
  void WebAddressLblMouseMove() { SetLinkColour(COLOR_HIGHLIGHT); }
  void WebAddressLblClick();
  void FormMouseMove() { SetLinkColour(COLOR_WINDOWTEXT); }
  void Panel1MouseMove() { SetLinkColour(COLOR_WINDOWTEXT); }
  bool FormHelp(UINT command, ULONG_PTR data, bool& callHelp) override;

  // The controls' values.
  int SaveOptionsIndex() const { return RadioIndex(kSaveOptionsFirst, kSaveOptionsCount); }
  int ImgTypeIndex() const { return RadioIndex(kImgTypeFirst, kImgTypeCount); }
  // Selects by index: above the last item the last, below 0 none.
  void SetSaveOptionsIndex(int index) { SetRadioIndex(kSaveOptionsFirst, kSaveOptionsCount, index); }
  void SetImgTypeIndex(int index) { SetRadioIndex(kImgTypeFirst, kImgTypeCount, index); }
  QualityScale SliderScale() const;
  // The system colour index the web address is drawn in.
  int LinkColour() const { return linkColour_; }

  // What the preview and the link do (the sound player and the browser).
  void SetSoundPlayer(std::function<void(const std::string&)> play) { playSound_ = std::move(play); }
  void SetLinkOpener(std::function<void(const std::string&)> open) { openLink_ = std::move(open); }
  // What the "More Options" dialog opened from here needs of the program.
  void SetMoreOptionsHooks(MoreOptionsHooks hooks) { moreOptionsHooks_ = std::move(hooks); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCommand(int id, int notification, HWND control) override;

 private:
  void CreateAboutPanel();
  void CreateChoices();
  void FitCaptionsToFont();
  void AddTooltip(int id, const char* hint);
  void ShowCopyright();
  void FitLabelToText(int id);
  int RadioIndex(int first, int count) const;
  void SetRadioIndex(int first, int count, int index);
  void SetSliderScale(const QualityScale& scale);
  void SetSliderPosition(int position);
  void Enable(int id, bool enabled);
  void SetControlText(int id, const std::string& text);
  void SetLinkColour(int colour);
  void RadioClicked(int id);
  LRESULT LinkColours(HDC dc);
  void DrawGlyph(const DRAWITEMSTRUCT& item);

  CaptureSettings& settings_;
  int linkColour_ = COLOR_WINDOWTEXT;
  int lastSaveOption_ = 0, lastImgType_ = 0;
  Tooltips tooltip_;
  UniqueHicon icon_;
  std::function<void(const std::string&)> playSound_;
  std::function<void(const std::string&)> openLink_;
  MoreOptionsHooks moreOptionsHooks_;
};

}  // namespace tessory
