// The "More Options" dialog: settings beyond the Options dialog's designed
// layout, a group box per section. The capture section holds the three
// capture hotkeys, the countdown before a capture and whether the pointer
// is drawn into the image. The file names section holds the file name
// pattern, with a line showing the name it gives, and what follows a saved
// file. The start section holds whether the program lives in the
// notification area and starts with Windows. OK refuses hotkeys that cannot
// be taken together (see MoreOptionsHooks::hotkeyCheck); otherwise it writes
// the settings at once and has the hotkeys taken anew. Cancel writes nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "settings/settings.h"
#include "framework/form_win32.h"

namespace tessory {

// What the dialog needs of the running program; each may be left empty.
struct MoreOptionsHooks {
  // Run after OK has written the settings: takes the hotkeys anew and
  // returns what the user must be told of keys that could not be taken
  // ("" for nothing). The dialog shows it.
  std::function<std::string()> applied;
  // Run as the dialog shows, before it reads the settings: tries again the
  // hotkeys not taken.
  std::function<void()> opening;
  // Why the hotkeys of the settings as OK would write them cannot be kept
  // (none when they can). OK then shows it, writes nothing and leaves the
  // dialog open.
  std::function<std::optional<std::string>(const CaptureSettings&)> hotkeyCheck;
  // The name a file name pattern gives the next capture, shown below the
  // pattern as the user types; without it no name is shown.
  std::function<std::string(const std::string&)> namePreview;
  // Whether the program starts with Windows, and OK's choice of it.
  std::function<bool()> startsWithWindows;
  std::function<void(bool)> setStartWithWindows;
};

class TMoreOptionsForm final : public Form {
 public:
  enum : int {
    kOKBtn = IDOK,
    kCancelBtn = IDCANCEL,
    kCaptureGroup = 300,
    kActiveWindowLbl,
    kActiveWindowKey,
    kPointerWindowLbl,
    kPointerWindowKey,
    kKeyboardPickLbl,
    kKeyboardPickKey,
    kDelayLbl,
    kDelayTxt,
    kDelayUpDown,
    kSecondsLbl,
    kPointerChk,
    kNamesGroup = 320,
    kPatternLbl,
    kPatternTxt,
    kPreviewLbl,
    kCopyImageChk,
    kCopyFileChk,
    kCopyPathChk,
    kNotifyChk,
    kStartGroup = 340,
    kTrayChk,
    kStartChk,
  };
  static constexpr int kHelpContext = 1003;

  // Creates the dialog (hidden), owned by `owner`, over the settings record it edits.
  TMoreOptionsForm(CaptureSettings& settings, HWND owner);

  void SetHooks(MoreOptionsHooks hooks) { hooks_ = std::move(hooks); }
  void FormShow() override;
  // Writes the settings and has the hotkeys taken anew; false, with
  // nothing written, when the hotkey check refuses them.
  bool OKBtnClick();
  void PatternTxtChange();
  bool FormHelp(UINT command, ULONG_PTR data, bool& callHelp) override;

  // The controls' values.
  std::int32_t HotkeyOf(int control) const;
  void SetHotkeyOf(int control, std::int32_t value);
  // The delay the edit holds, brought into 0 to 10 seconds.
  int DelaySeconds() const;
  bool Checked(int id) const;

 protected:
  void OnCommand(int id, int notification, HWND control) override;

 private:
  // Returns the section's bottom edge, at 96 DPI.
  int CreateCaptureSection(int top);
  void CreateCountdownRow(int y);
  int CreateNamesSection(int top);
  int CreateStartSection(int top);
  // OK's choice of the start with Windows, written first; false, told to
  // the user, when it could not be written.
  bool ApplyStartWithWindows();
  void CreateButtons(int top);

  CaptureSettings& settings_;
  MoreOptionsHooks hooks_;
};

}  // namespace tessory
