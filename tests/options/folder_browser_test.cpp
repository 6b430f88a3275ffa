// The folder browser under Wine: the current folder preselected with its
// path in the status line, the caption, the centring, OK and Cancel, and a
// path longer than 255 characters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/application_win32.h"
#include "framework/com_win32.h"
#include "framework/handles_win32.h"
#include "framework/utf8.h"
#include "options/folder_browser_win32.h"
#include "options/options_rules.h"
#include "options/window_watcher.h"
#include "support/temp_dir.h"

namespace tessory {
namespace {

constexpr int kStatusText = 0x3743;  // the browser's status line

struct BrowserSeen {
  std::wstring status;
  RECT rect{};
};

class FolderBrowserTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application::Instance().Initialize(GetModuleHandleW(nullptr)); }

  // Waits for the browser, lets its selection settle, notes what it shows
  // and closes it with `button`.
  static std::function<bool()> Answer(int button, BrowserSeen& seen) {
    return [button, &seen] {
      HWND browser = test::WaitForWindow(L"#32770", L"Select Temp Folder");
      if (!browser) return false;
      seen.status = test::SettledTextOf(GetDlgItem(browser, kStatusText));
      GetWindowRect(browser, &seen.rect);
      PostMessageW(browser, WM_COMMAND, button, 0);
      return true;
    };
  }

  // Marks the folder at `path` as last listed an hour ago.
  static void LastListedAnHourAgo(const std::string& path) {
    const UniqueFileHandle folder(CreateFileW(Widen(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(folder);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG hourAgo = ((ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime) - 3600ull * 10000000;
    const FILETIME read{static_cast<DWORD>(hourAgo), static_cast<DWORD>(hourAgo >> 32)};
    EXPECT_TRUE(SetFileTime(folder.get(), nullptr, &read, nullptr));
  }

  static bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiW(Widen(a).c_str(), Widen(b).c_str()) == 0;
  }

  const ComInit com_;
  test::TempDir dir_;
};

TEST_F(FolderBrowserTest, OpensOnTheCurrentFolderCentredAndReturnsItOnOk) {
  const std::string folder = dir_.Path() + "Captures";
  ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr));
  // Its parent written to since it was last listed, as a pictures folder
  // other programs save to.
  LastListedAnHourAgo(dir_.Path());
  BrowserSeen seen;
  test::Watcher user({Answer(IDOK, seen)});
  std::string result = folder;
  EXPECT_TRUE(BrowseFolder("Select location to autosave image temp files", "Select Temp Folder", 0, result));
  user.Join();
  ASSERT_EQ(user.Done(), 1);
  EXPECT_TRUE(SamePath(result, folder)) << result;
  EXPECT_TRUE(SamePath(Narrow(seen.status), folder)) << Narrow(seen.status);
  const CentredOrigin centred = CentreOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                               seen.rect.right - seen.rect.left, seen.rect.bottom - seen.rect.top);
  EXPECT_EQ(seen.rect.left, centred.x);
  EXPECT_EQ(seen.rect.top, centred.y);
}

TEST_F(FolderBrowserTest, CancelEmptiesTheFolderText) {
  BrowserSeen seen;
  test::Watcher user({Answer(IDCANCEL, seen)});
  std::string result = dir_.Path();
  EXPECT_FALSE(BrowseFolder("Pick", "Select Temp Folder", 0, result));
  user.Join();
  EXPECT_EQ(result, "");
}

TEST_F(FolderBrowserTest, MissingCurrentFolderOpensWithoutSelection) {
  BrowserSeen seen;
  test::Watcher user({Answer(IDCANCEL, seen)});
  std::string result = dir_.Path() + "gone\\away";
  EXPECT_FALSE(BrowseFolder("Pick", "Select Temp Folder", 0, result));
  user.Join();
  EXPECT_EQ(user.Done(), 1);  // it opened all the same
}

// A folder path of exactly `length` characters, made of nested folders,
// removed again at the end (deeper than the file library can remove).
class NestedFolder {
 public:
  NestedFolder(std::wstring folder, std::size_t length) {
    while (folder.size() < length) {
      const std::size_t left = length - folder.size();
      folder += std::wstring(left > 60 ? 40 : left, L'a' + static_cast<wchar_t>(folder.size() % 26));
      EXPECT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr)) << folder.size();
      created_.push_back(folder);
      if (folder.size() < length) folder += L"\\";
    }
  }
  ~NestedFolder() {
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) RemoveDirectoryW((L"\\\\?\\" + *it).c_str());
  }
  const std::wstring& Path() const { return created_.back(); }

 private:
  std::vector<std::wstring> created_;
};

// Longer than the 255 characters of a narrow path buffer: the whole path
// reaches the shell. Where the shell cannot take it (Wine stops near
// MAX_PATH), nothing is preselected, but nothing is ever cut short either.
TEST_F(FolderBrowserTest, LongPathIsPassedWholeAndNeverTruncated) {
  for (std::size_t length : {258u, 300u}) {
    test::TempDir dir;
    const NestedFolder nested(Widen(dir.Path()), length);
    const std::wstring& folder = nested.Path();
    BrowserSeen seen;
    test::Watcher user({Answer(IDCANCEL, seen)});
    std::string result = Narrow(folder);
    EXPECT_FALSE(BrowseFolder("Pick", "Select Temp Folder", 0, result));
    user.Join();
    EXPECT_EQ(user.Done(), 1);
    EXPECT_EQ(result, "");
    // The status line shows the preselected folder whole, or nothing.
    EXPECT_TRUE(seen.status.empty() || seen.status == folder) << Narrow(seen.status);
  }
  EXPECT_EQ(PathFromIdList(nullptr), L"");
}

}  // namespace
}  // namespace tessory
