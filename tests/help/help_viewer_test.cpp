// The HTML Help viewer with a recording entry point in place of the HTML
// Help control: what each request passes, F1 in both windows, a missing
// help file or control, and the close at the end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_form_win32.h"
#include "framework/application_win32.h"
#include "framework/help_manager_win32.h"
#include "framework/utf8.h"
#include "help/html_help_api_win32.h"
#include "help/html_help_viewer_win32.h"
#include "options/options_form_win32.h"
#include "options/window_watcher.h"
#include "support/memory_registry.h"
#include "support/temp_dir.h"

namespace tessory {
namespace {

struct HelpCall {
  HWND owner;
  std::string file;  // "-" for none
  UINT command;
  DWORD_PTR data;
  std::string keyword;
  bool operator==(const HelpCall&) const = default;
};

std::vector<HelpCall> calls;

HWND WINAPI RecordHtmlHelp(HWND owner, LPCWSTR file, UINT command, DWORD_PTR data) {
  const bool keyword = command == kHhDisplayIndex;
  calls.push_back({owner, file ? Narrow(file) : "-", command, keyword ? 0 : data,
                   keyword ? Narrow(reinterpret_cast<LPCWSTR>(data)) : ""});
  return nullptr;
}

void PressF1(HWND window) {
  SetForegroundWindow(window);
  SetActiveWindow(window);
  PostMessageW(window, WM_KEYDOWN, VK_F1, 0);
  PostMessageW(window, WM_NULL, 0, 0);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && Application::Instance().ProcessMessage(message)) {
  }
}

class HelpViewerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application::Instance().SetTitle("Tessory");  // the error box is titled with it
    Application::Instance().Initialize(GetModuleHandleW(nullptr));
  }
  void SetUp() override {
    // Where the main window points the application's help file.
    helpFile_ = Application::ExecutableFolder() + "tessory.chm";
    test::WriteFileBytes(helpFile_, "ITSF");
    Application::Instance().SetHelpFile(helpFile_);
    calls.clear();
  }
  void TearDown() override {
    DeleteFileW(Widen(helpFile_).c_str());
    // A main window that closes ends the message loop: not the tests' loop.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  std::string helpFile_;
  CaptureSettings settings_;  // what an options dialog without a main window edits
};

// F1 runs the window's own help handler, which calls the control directly,
// and then goes on to the viewer.
TEST_F(HelpViewerTest, RegistersAfterTheWinHelpViewerAndTakesF1InBothWindows) {
  HtmlHelpSession session(kHtmlHelpLibrary, &RecordHtmlHelp);
  ASSERT_TRUE(session.Loaded());
  EXPECT_EQ(HelpManager::Instance().ViewerCount(), 2u);
  EXPECT_EQ(session.Viewer()->ViewerId(), HelpManager::Instance().WinHelp().Tester() ? 2 : -1);

  test::MemoryRegistry store;
  TMainForm main(store);
  main.Show();
  PressF1(main.Handle());
  TOptionsForm options(main.Settings());
  ShowWindow(options.Handle(), SW_SHOW);
  PressF1(GetDlgItem(options.Handle(), TOptionsForm::kOKBtn));
  const HWND application = Application::Instance().Handle();
  EXPECT_EQ(calls, (std::vector<HelpCall>{{application, helpFile_, 15, 1000, ""},
                                          {nullptr, helpFile_, 15, 1000, ""},
                                          {application, helpFile_, 15, 1002, ""},
                                          {nullptr, helpFile_, 15, 1002, ""}}));
}

TEST_F(HelpViewerTest, EachRequestPassesItsCommandAndComposedText) {
  HtmlHelpSession session(kHtmlHelpLibrary, &RecordHtmlHelp);
  ASSERT_TRUE(session.Loaded());
  HelpManager& help = HelpManager::Instance();
  EXPECT_TRUE(help.ShowTopicHelp("options", ""));
  EXPECT_TRUE(help.ShowKeywordHelp("auto-save", ""));
  EXPECT_TRUE(help.ShowTableOfContents());
  EXPECT_TRUE(help.ShowContextHelp(1002, ""));
  EXPECT_EQ(calls, (std::vector<HelpCall>{{nullptr, helpFile_ + " ::/options.htm", 0, 0, ""},
                                          {nullptr, helpFile_, 2, 0, "auto-save"},
                                          {nullptr, helpFile_, 1, 0, ""},
                                          {nullptr, helpFile_, 15, 1002, ""}}));
  EXPECT_EQ(session.Viewer()->KeywordChoices("auto-save"), std::vector<std::string>{"HtmlHelp: auto-save"});
  EXPECT_EQ(session.Viewer()->KeywordMatches("anything"), 1);
  // The selector answers the viewer's line among several.
  EXPECT_EQ(help.Selector()->PickKeyword({"WinHelp: a", "HtmlHelp: a"}), session.Viewer()->ViewerId() - 1);
}

TEST_F(HelpViewerTest, FileNamedByARequestIsUsedAndAMissingFileShowsNothing) {
  HtmlHelpSession session(kHtmlHelpLibrary, &RecordHtmlHelp);
  test::TempDir dir;
  const std::string other = dir.File("other.chm");
  test::WriteFileBytes(other, "ITSF");
  HelpManager::Instance().ShowContextHelp(1000, other);
  HelpManager::Instance().ShowTopicHelp("main_window", "");  // the file named last
  EXPECT_EQ(calls, (std::vector<HelpCall>{{nullptr, other, 15, 1000, ""},
                                          {nullptr, other + " ::/main_window.htm", 0, 0, ""}}));
  calls.clear();
  HelpManager::Instance().ShowContextHelp(1000, dir.File("missing.chm"));
  DeleteFileW(Widen(other).c_str());
  DeleteFileW(Widen(helpFile_).c_str());
  HelpManager::Instance().ShowTableOfContents();
  TOptionsForm options(settings_);
  ShowWindow(options.Handle(), SW_SHOW);
  PressF1(options.Handle());
  // Only the dialog's own handler, which hands the control the file whatever it is.
  EXPECT_EQ(calls, (std::vector<HelpCall>{{Application::Instance().Handle(), helpFile_, 15, 1002, ""}}));
}

TEST_F(HelpViewerTest, EndClosesAllHelpWindowsAndUnregisters) {
  { HtmlHelpSession session(kHtmlHelpLibrary, &RecordHtmlHelp); }
  EXPECT_FALSE(CallHtmlHelp(nullptr, {}, kHhDisplayToc, 0));  // the control went with the session
  EXPECT_EQ(calls, (std::vector<HelpCall>{{nullptr, "-", 18, 0, ""}}));
  EXPECT_EQ(HelpManager::Instance().ViewerCount(), 1u);
  EXPECT_EQ(HelpManager::Instance().WinHelp().Tester(), nullptr);
  EXPECT_EQ(HelpManager::Instance().Selector(), nullptr);
}

// Without the control nothing is registered, the null entry point is never
// called, and F1 tells the user.
TEST_F(HelpViewerTest, MissingControlOrEntryPointLeavesHelpUnavailable) {
  for (const wchar_t* library : {L"no-such-help-control.ocx", L"kernel32.dll"}) {
    HtmlHelpSession session(library);
    EXPECT_FALSE(session.Loaded());
    EXPECT_FALSE(CallHtmlHelp(nullptr, {}, kHhDisplayToc, 0));
    EXPECT_EQ(HelpManager::Instance().ViewerCount(), 1u);
  }
  HtmlHelpSession session(L"no-such-help-control.ocx");
  TOptionsForm options(settings_);
  ShowWindow(options.Handle(), SW_SHOW);
  std::wstring viaF1;
  {
    test::Watcher user({test::CloseMessageBox(viaF1)});
    PressF1(options.Handle());
  }
  EXPECT_EQ(Narrow(viaF1), kHtmlHelpUnavailableText);
}

}  // namespace
}  // namespace tessory
