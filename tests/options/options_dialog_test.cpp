// The options dialog driven through its real controls under Wine: what
// showing puts in the controls, how the slider follows the image type and
// the capture method, what OK and Cancel store, and the about area.
#include <windows.h>
// <commctrl.h> needs <windows.h> first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_form_win32.h"
#include "settings/registry_store_win32.h"
#include "settings/settings.h"
#include "framework/application_win32.h"
#include "framework/com_win32.h"
#include "framework/utf8.h"
#include "options/more_options_form_win32.h"
#include "options/options_form_win32.h"
#include "options/window_watcher.h"
#include "support/memory_registry.h"
#include "support/temp_dir.h"

namespace tessory {
namespace {

using Form = TOptionsForm;

class OptionsDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application::Instance().Initialize(GetModuleHandleW(nullptr)); }
  void TearDown() override {
    // A main window that closes ends the message loop: not the tests' loop.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  static void Click(const Form& form, int id) {
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  }
  static void ClickRadio(const Form& form, int id) { SendMessageW(GetDlgItem(form.Handle(), id), BM_CLICK, 0, 0); }
  static bool Enabled(const Form& form, int id) { return IsWindowEnabled(GetDlgItem(form.Handle(), id)) != FALSE; }
  static void Type(const Form& form, int id, const wchar_t* text) { SetDlgItemTextW(form.Handle(), id, text); }
  static void ExpectScale(const Form& form, int minimum, int maximum, int position) {
    const QualityScale scale = form.SliderScale();
    EXPECT_EQ(scale.minimum, minimum);
    EXPECT_EQ(scale.maximum, maximum);
    EXPECT_EQ(scale.position, position);
  }

  CaptureSettings settings;  // what the dialog edits
};

TEST_F(OptionsDialogTest, JpegAutoSaveShowsTheQualityScaleWithTheStoredQualityClamped) {
  settings.SaveOption = 2;
  settings.ImageType = ImageKind::Jpeg;
  for (auto [stored, shown] : {std::pair{5, 10}, {70, 70}, {250, 100}}) {
    settings.ImageQuality = stored;
    Form form(settings);
    form.FormShow();
    ExpectScale(form, 10, 100, shown);
    EXPECT_EQ(form.SliderScale().lineSize, 10);
    EXPECT_EQ(form.SliderScale().pageSize, 10);
    for (int id : {Form::kQualitySlider, Form::kQualityLbl, Form::kLowQualLbl, Form::kHighQualLbl}) {
      EXPECT_TRUE(Enabled(form, id)) << id;
    }
  }
}

TEST_F(OptionsDialogTest, GifKeepsTheBitmapScaleDisabledAndOkWritesTheClampedQuality) {
  settings.SaveOption = 2;
  settings.ImageType = ImageKind::Gif;
  settings.ImageQuality = 90;
  Form form(settings);
  form.FormShow();
  ExpectScale(form, 1, 4, 4);
  EXPECT_FALSE(Enabled(form, Form::kQualitySlider));
  EXPECT_FALSE(Enabled(form, Form::kHighQualLbl));
  form.OKBtnClick();
  EXPECT_EQ(settings.ImageQuality, 4);
  EXPECT_EQ(settings.ImageType, ImageKind::Gif);
}

TEST_F(OptionsDialogTest, SwitchingTheImageTypeResetsTheScaleExceptForOtherTypes) {
  settings.SaveOption = 2;
  settings.ImageQuality = 2;
  Form form(settings);
  form.FormShow();
  ExpectScale(form, 1, 4, 2);
  ClickRadio(form, Form::kImgTypeFirst + 1);
  ExpectScale(form, 10, 100, 90);
  ClickRadio(form, Form::kImgTypeFirst);
  ExpectScale(form, 1, 4, 3);
  ClickRadio(form, Form::kImgTypeFirst + 1);
  ClickRadio(form, Form::kImgTypeFirst + 3);  // PNG: the JPEG scale stays, disabled
  ExpectScale(form, 10, 100, 90);
  EXPECT_FALSE(Enabled(form, Form::kQualitySlider));
  // A click on the type already selected changes nothing.
  ClickRadio(form, Form::kImgTypeFirst + 1);
  SendMessageW(GetDlgItem(form.Handle(), Form::kQualitySlider), TBM_SETPOS, TRUE, 40);
  ClickRadio(form, Form::kImgTypeFirst + 1);
  ExpectScale(form, 10, 100, 40);
}

TEST_F(OptionsDialogTest, CaptureMethodDecidesWhichControlsAreEnabled) {
  settings.SaveOption = 2;
  Form form(settings);
  form.FormShow();
  const std::vector<int> typeControls = {Form::kImgType,       Form::kImgTypeFirst, Form::kImgTypeFirst + 4,
                                         Form::kQualitySlider, Form::kQualityLbl,   Form::kLowQualLbl,
                                         Form::kHighQualLbl};
  const std::vector<int> tempControls = {Form::kBrowseBtn,   Form::kSequentialChk, Form::kBaseNameTxt,
                                         Form::kAutoSaveLbl, Form::kSequentialLbl, Form::kTempFolderTxt};
  const std::vector<int> alwaysEnabled = {Form::kTempOptions,     Form::kOKBtn,        Form::kCancelBtn,
                                          Form::kCaptureSoundTxt, Form::kSoundBrwsBtn, Form::kPlayBtn,
                                          Form::kSaveOptionsFirst};
  for (int id : typeControls) EXPECT_TRUE(Enabled(form, id)) << id;
  for (int id : tempControls) EXPECT_TRUE(Enabled(form, id)) << id;

  ClickRadio(form, Form::kSaveOptionsFirst);  // "Copy to clipboard"
  for (int id : typeControls) EXPECT_FALSE(Enabled(form, id)) << id;
  for (int id : tempControls) EXPECT_FALSE(Enabled(form, id)) << id;
  for (int id : alwaysEnabled) EXPECT_TRUE(Enabled(form, id)) << id;

  ClickRadio(form, Form::kSaveOptionsFirst + 1);  // "Prompt for file name"
  EXPECT_TRUE(Enabled(form, Form::kImgType));
  EXPECT_TRUE(Enabled(form, Form::kQualitySlider));
  for (int id : tempControls) EXPECT_FALSE(Enabled(form, id)) << id;
}

TEST_F(OptionsDialogTest, CaptureMethodClickPutsTheSliderBackAtTheStoredQuality) {
  settings.SaveOption = 2;
  settings.ImageType = ImageKind::Jpeg;
  settings.ImageQuality = 60;
  Form form(settings);
  form.FormShow();
  SendMessageW(GetDlgItem(form.Handle(), Form::kQualitySlider), TBM_SETPOS, TRUE, 30);
  ClickRadio(form, Form::kSaveOptionsFirst + 1);
  ExpectScale(form, 10, 100, 60);
}

TEST_F(OptionsDialogTest, StoredIndicesOutsideTheItemsAreClampedAndWrittenBackClamped) {
  settings.SaveOption = 7;
  settings.ImageType = ImageTypeValue::FromStored(-3);
  Form form(settings);
  form.FormShow();
  EXPECT_EQ(form.SaveOptionsIndex(), 2);
  EXPECT_EQ(form.ImgTypeIndex(), -1);
  form.OKBtnClick();
  EXPECT_EQ(settings.SaveOption, 2);
  EXPECT_EQ(settings.ImageType.Stored(), -1);
}

TEST_F(OptionsDialogTest, ShowingFillsTheControlsAndOkStoresThemExactlyAsTyped) {
  settings.SaveOption = 1;
  settings.ImageType = ImageKind::Png;
  settings.TempFolder = "C:\\captures";
  settings.SequentialFileNames = true;
  settings.BaseFileName = "shot";
  settings.CaptureSound = "C:\\sounds\\click.wav";
  Form form(settings);
  form.FormShow();
  EXPECT_EQ(form.ControlText(Form::kTempFolderTxt), "C:\\captures");
  EXPECT_EQ(form.ControlText(Form::kBaseNameTxt), "shot");
  EXPECT_EQ(form.ControlText(Form::kCaptureSoundTxt), "C:\\sounds\\click.wav");
  EXPECT_EQ(SendMessageW(GetDlgItem(form.Handle(), Form::kSequentialChk), BM_GETCHECK, 0, 0), BST_CHECKED);

  ClickRadio(form, Form::kSaveOptionsFirst + 2);
  ClickRadio(form, Form::kImgTypeFirst + 1);
  ClickRadio(form, Form::kSequentialChk);
  Type(form, Form::kBaseNameTxt, L"  Bild \x00e4 ");
  Type(form, Form::kCaptureSoundTxt, L" no such file");
  Click(form, Form::kOKBtn);
  EXPECT_EQ(form.ModalResult(), kModalOk);
  EXPECT_EQ(settings.SaveOption, 2);
  EXPECT_EQ(settings.ImageType, ImageKind::Jpeg);
  EXPECT_EQ(settings.ImageQuality, 90);
  EXPECT_EQ(settings.TempFolder, "C:\\captures");
  EXPECT_FALSE(settings.SequentialFileNames);
  EXPECT_EQ(settings.BaseFileName, "  Bild \xC3\xA4 ");
  EXPECT_EQ(settings.CaptureSound, " no such file");
}

TEST_F(OptionsDialogTest, CancelStoresNothing) {
  settings.BaseFileName = "kept";
  Form form(settings);
  test::Watcher user({[&] {
    HWND dialog = test::WaitForWindow(L"TessoryForm", L"Options");
    if (!dialog) return false;
    SendMessageW(GetDlgItem(dialog, Form::kSaveOptionsFirst + 2), BM_CLICK, 0, 0);
    SetDlgItemTextW(dialog, Form::kBaseNameTxt, L"changed");
    PostMessageW(GetDlgItem(dialog, Form::kCancelBtn), WM_KEYDOWN, VK_ESCAPE, 0);
    return true;
  }});
  EXPECT_EQ(form.ShowModal(), kModalCancel);
  user.Join();
  EXPECT_EQ(user.Done(), 1);
  EXPECT_EQ(settings.SaveOption, 0);
  EXPECT_EQ(settings.BaseFileName, "kept");
}

// Tab enters each radio group at its selected item.
TEST_F(OptionsDialogTest, FocusMovesThroughTheControlsInTheirOrder) {
  settings.SaveOption = 2;
  settings.ImageType = ImageKind::Jpeg;
  Form form(settings);
  ShowWindow(form.Handle(), SW_SHOW);
  form.FormShow();
  const std::vector<int> expected = {Form::kSaveOptionsFirst + 2,
                                     Form::kImgTypeFirst + 1,
                                     Form::kQualitySlider,
                                     Form::kMoreBtn,
                                     Form::kOKBtn,
                                     Form::kCancelBtn,
                                     Form::kTempFolderTxt,
                                     Form::kBaseNameTxt,
                                     Form::kSequentialChk,
                                     Form::kCaptureSoundTxt};
  EXPECT_EQ(GetFocus(), GetDlgItem(form.Handle(), expected.front()));
  std::vector<int> order;
  HWND control = GetDlgItem(form.Handle(), expected.front());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    order.push_back(GetDlgCtrlID(control));
    control = GetNextDlgTabItem(form.Handle(), control, FALSE);
  }
  EXPECT_EQ(order, expected);
  EXPECT_EQ(GetDlgCtrlID(control), expected.front());
}

TEST_F(OptionsDialogTest, PlayPlaysTheTypedTextOnlyWhenThereIsOne) {
  settings.CaptureSound = "C:\\stored.wav";
  Form form(settings);
  std::vector<std::string> played;
  form.SetSoundPlayer([&](const std::string& path) { played.push_back(path); });
  form.FormShow();
  Type(form, Form::kCaptureSoundTxt, L"");
  Click(form, Form::kPlayBtn);
  EXPECT_TRUE(played.empty());
  Type(form, Form::kCaptureSoundTxt, L"C:\\typed.wav");
  Click(form, Form::kPlayBtn);
  EXPECT_EQ(played, std::vector<std::string>{"C:\\typed.wav"});
  EXPECT_EQ(settings.CaptureSound, "C:\\stored.wav");
}

TEST_F(OptionsDialogTest, AboutAreaShowsTheVersionTheYearAndTheLink) {
  Form form(settings);
  std::vector<std::string> opened;
  form.SetLinkOpener([&](const std::string& address) { opened.push_back(address); });
  form.FormShow();
  EXPECT_EQ(form.ControlText(Form::kVersionLbl), "1.0.0.1");  // this program carries the version resource
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_EQ(form.ControlText(Form::kCopyrightLbl), CopyrightText(now.wYear));
  RECT label;
  GetClientRect(GetDlgItem(form.Handle(), Form::kCopyrightLbl), &label);
  EXPECT_GT(label.right, form.Scale(58));  // sized to its line
  EXPECT_EQ(form.ControlText(Form::kWebAddressLbl), kMakerWebAddress);

  HWND link = GetDlgItem(form.Handle(), Form::kWebAddressLbl);
  EXPECT_EQ(form.LinkColour(), COLOR_WINDOWTEXT);
  SendMessageW(form.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(form.LinkColour(), COLOR_HIGHLIGHT);
  // Other controls leave the colour; the bare panel and form reset it.
  SendMessageW(form.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(form.Handle(), Form::kAppTitle)),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(form.LinkColour(), COLOR_HIGHLIGHT);
  SendMessageW(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(form.Scale(14), form.Scale(70)));
  EXPECT_EQ(form.LinkColour(), COLOR_WINDOWTEXT);
  SendMessageW(form.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  SendMessageW(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(form.Scale(100), form.Scale(410)));
  EXPECT_EQ(form.LinkColour(), COLOR_WINDOWTEXT);

  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(Form::kWebAddressLbl, STN_CLICKED),
               reinterpret_cast<LPARAM>(link));
  EXPECT_EQ(opened, std::vector<std::string>{kMakerWebAddress});
}

TEST_F(OptionsDialogTest, FileWithoutVersionResourceHasNoVersionText) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("plain.txt"), "no resources here");
  EXPECT_EQ(GetFileVersionString(dir.File("plain.txt")), "");
  EXPECT_EQ(GetFileVersionString(dir.File("missing.exe")), "");
  EXPECT_EQ(GetFileVersionString(RunningProgramPath()), "1.0.0.1");
}

// The two browse buttons store at once: a later Cancel keeps their choice.
TEST_F(OptionsDialogTest, BrowsedFolderAndSoundSurviveCancel) {
  const ComInit com;
  test::TempDir dir;
  const std::string chosen = dir.Path() + "Chosen";
  ASSERT_TRUE(CreateDirectoryW(Widen(chosen).c_str(), nullptr));
  const std::string sound = dir.File("ding.wav");
  test::WriteFileBytes(sound, "RIFF");
  settings.SaveOption = 2;
  // Preselected, so OK in the browser returns it, spelt without the "\".
  settings.TempFolder = chosen + "\\";
  settings.CaptureSound = "";
  Form form(settings);
  HWND options = form.Handle();
  const auto clickGlyph = [options](int id) {
    PostMessageW(options, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(options, id)));
  };
  test::Watcher user({[&] { return test::WaitForWindow(L"TessoryForm", L"Options") != nullptr; },
                      [&] {
                        clickGlyph(Form::kBrowseBtn);
                        HWND browser = test::WaitForWindow(L"#32770", L"Select Temp Folder");
                        if (!browser) return false;
                        test::SettledTextOf(GetDlgItem(browser, 0x3743));  // the status line
                        PostMessageW(browser, WM_COMMAND, IDOK, 0);
                        return true;
                      },
                      [&] {
                        if (!test::WaitForWindow(L"TessoryForm", L"Options")) return false;
                        clickGlyph(Form::kSoundBrwsBtn);
                        HWND open = test::WaitForWindow(L"#32770", L"Open");
                        if (!open) return false;
                        Sleep(300);
                        SetDlgItemTextW(open, 0x47C, Widen(sound).c_str());  // the file name box
                        PostMessageW(open, WM_COMMAND, IDOK, 0);
                        return true;
                      },
                      [&] {
                        if (!test::WaitForWindow(L"TessoryForm", L"Options")) return false;
                        PostMessageW(options, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                        return true;
                      }});
  EXPECT_EQ(form.ShowModal(), kModalCancel);
  user.Join();
  ASSERT_EQ(user.Done(), 4);
  EXPECT_EQ(lstrcmpiW(Widen(settings.TempFolder).c_str(), Widen(chosen).c_str()), 0) << settings.TempFolder;
  EXPECT_EQ(lstrcmpiW(Widen(settings.CaptureSound).c_str(), Widen(sound).c_str()), 0) << settings.CaptureSound;
  EXPECT_EQ(form.ControlText(Form::kTempFolderTxt), settings.TempFolder);
  EXPECT_EQ(form.ControlText(Form::kCaptureSoundTxt), settings.CaptureSound);
}

// Through the main window's Options button, and across a restart of the
// main window with the real registry.
TEST_F(OptionsDialogTest, OptionsButtonEditsSettingsThatSurviveARestart) {
  const std::string key = "\\Software\\Tessory Tests\\Options";
  RegDeleteTreeW(HKEY_CURRENT_USER, Widen(key.substr(1)).c_str());
  {
    Win32RegistryStore store(HKEY_CURRENT_USER, key);
    TMainForm main(store);
    test::Watcher user({[&] {
      HWND dialog = test::WaitForWindow(L"TessoryForm", L"Options");
      if (!dialog) return false;
      SendMessageW(GetDlgItem(dialog, Form::kSaveOptionsFirst + 2), BM_CLICK, 0, 0);
      SendMessageW(GetDlgItem(dialog, Form::kImgTypeFirst + 1), BM_CLICK, 0, 0);
      SendMessageW(GetDlgItem(dialog, Form::kQualitySlider), TBM_SETPOS, TRUE, 70);
      SendMessageW(GetDlgItem(dialog, Form::kSequentialChk), BM_CLICK, 0, 0);
      SetDlgItemTextW(dialog, Form::kBaseNameTxt, L" win ");
      SetDlgItemTextW(dialog, Form::kCaptureSoundTxt, L"C:\\ding.wav");
      PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
      return true;
    }});
    main.ShowOptsBtnClick();
    user.Join();
    ASSERT_EQ(user.Done(), 1);
    EXPECT_EQ(main.Hint(), "Capture to: Autosave File [JPG]");
    EXPECT_EQ(FindWindowW(L"TessoryForm", L"Options"), nullptr);  // disposed of
    SendMessageW(main.Handle(), WM_CLOSE, 0, 0);                  // stores the settings
  }
  Win32RegistryStore store(HKEY_CURRENT_USER, key);
  TMainForm restarted(store);
  const CaptureSettings& stored = restarted.Settings();
  EXPECT_EQ(stored.SaveOption, 2);
  EXPECT_EQ(stored.ImageType, ImageKind::Jpeg);
  EXPECT_EQ(stored.ImageQuality, 70);
  EXPECT_TRUE(stored.SequentialFileNames);
  EXPECT_EQ(stored.BaseFileName, " win ");
  EXPECT_EQ(stored.CaptureSound, "C:\\ding.wav");
  RegDeleteTreeW(HKEY_CURRENT_USER, Widen(key.substr(1)).c_str());
}

TEST_F(OptionsDialogTest, MoreOptionsPreviewFollowsThePatternAndOkStoresTheNamesSection) {
  using More = TMoreOptionsForm;
  settings.FileNamePattern = "{title}";
  settings.CopyFileAfterSave = true;
  More more(settings, Application::Instance().Handle());
  MoreOptionsHooks hooks;
  hooks.namePreview = [](const std::string& pattern) { return "<" + pattern + ">.png"; };
  more.SetHooks(hooks);
  more.FormShow();
  EXPECT_EQ(more.ControlText(More::kPreviewLbl), "Next name: <{title}>.png");
  SetDlgItemTextW(more.Handle(), More::kPatternTxt, L"{date} {process}");  // as typed: EN_CHANGE follows
  EXPECT_EQ(more.ControlText(More::kPreviewLbl), "Next name: <{date} {process}>.png");
  SendMessageW(GetDlgItem(more.Handle(), More::kNotifyChk), BM_CLICK, 0, 0);
  more.OKBtnClick();
  EXPECT_EQ(settings.FileNamePattern, "{date} {process}");
  EXPECT_FALSE(settings.CopyImageAfterSave);
  EXPECT_TRUE(settings.CopyFileAfterSave);
  EXPECT_FALSE(settings.CopyPathAfterSave);
  EXPECT_TRUE(settings.NotifyAfterSave);
}

// OK in More Options, opened from the main window, refuses one key for two
// actions and a key Windows keeps, says why, and stays open; the settings
// and the keys held stay as they were.
TEST_F(OptionsDialogTest, MoreOptionsRefusesAKeyForTwoActionsAndF12) {
  using More = TMoreOptionsForm;
  test::MemoryRegistry store;
  TMainForm main(store);
  std::vector<std::wstring> told;
  // Sets the hotkeys of the open dialog, presses OK, and keeps what the error box says.
  const auto choose = [&](std::int32_t pointerWindow, std::int32_t keyboardPick) {
    HWND dialog = test::WaitForWindow(L"TessoryForm", L"More Options");
    if (!dialog) return false;
    SendMessageW(GetDlgItem(dialog, More::kPointerWindowKey), HKM_SETHOTKEY, pointerWindow, 0);
    SendMessageW(GetDlgItem(dialog, More::kKeyboardPickKey), HKM_SETHOTKEY, keyboardPick, 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    HWND box = test::WaitForWindow(L"#32770", nullptr);
    if (!box) return false;
    wchar_t text[1024] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    told.push_back(text);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  };
  test::Watcher user({[&] { return choose(0x042C, 0); },       // Alt+PrtScn, the active window's key too
                      [&] { return choose(0x062C, 0x007B); },  // F12
                      [&] {
                        HWND dialog = test::WaitForWindow(L"TessoryForm", L"More Options");
                        if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                        return dialog != nullptr;
                      }});
  main.ShowMoreOptions();
  user.Join();
  ASSERT_EQ(user.Done(), 3);
  EXPECT_EQ(Narrow(told.at(0)),
            "Alt+PrtScn is given to two actions: Capture active window and Capture window under pointer.\n"
            "Choose another key.");
  EXPECT_EQ(Narrow(told.at(1)),
            "F12 (Pick a window with the keyboard) cannot be a hotkey: Windows keeps F12 for debuggers.\n"
            "Choose another key.");
  EXPECT_EQ(main.Settings().HotkeyPointerWindow, 0x062C);
  EXPECT_EQ(main.Settings().HotkeyKeyboardPick, 0);
  EXPECT_TRUE(main.Hotkeys().Holds(HotkeyAction::ActiveWindow));
}

}  // namespace
}  // namespace tessory
