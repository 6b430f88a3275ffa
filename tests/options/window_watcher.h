// Drives modal windows of the test's own thread from a helper thread, as a
// user would: waits for a window to show, then acts on it (posted clicks,
// texts set through the window manager).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace tessory::test {

// The visible top-level window of `windowClass` titled `title`, waited for
// up to `timeoutMs`; null if none showed.
inline HWND WaitForWindow(const wchar_t* windowClass, const wchar_t* title, int timeoutMs = 10000) {
  for (int waited = 0; waited < timeoutMs; waited += 20) {
    HWND window = FindWindowW(windowClass, title);
    if (window && IsWindowVisible(window) && IsWindowEnabled(window)) return window;
    Sleep(20);
  }
  return nullptr;
}

inline std::wstring TextOf(HWND window) {
  wchar_t text[1024] = L"";
  GetWindowTextW(window, text, 1024);
  return text;
}

// The text of `window` once it is non-empty and has held still for 300 ms
// (up to 6 s): a folder browser shows its root before it moves to the
// preselected folder.
inline std::wstring SettledTextOf(HWND window) {
  std::wstring seen;
  for (int i = 0, still = 0; i < 200 && (seen.empty() || still < 10); ++i) {
    Sleep(30);
    const std::wstring now = TextOf(window);
    still = now == seen ? still + 1 : 0;
    seen = now;
  }
  return seen;
}

// Runs `steps` in order on a helper thread; each step returns false to stop.
class Watcher {
 public:
  explicit Watcher(std::vector<std::function<bool()>> steps)
      : thread_([this, steps = std::move(steps)] {
          for (const auto& step : steps) {
            if (!step()) return;
            ++done_;
          }
        }) {}
  ~Watcher() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  // How many steps succeeded.
  int Done() const { return done_; }

 private:
  std::atomic<int> done_{0};
  std::thread thread_;
};

// Waits for the message box titled "Tessory", keeps its text and closes it.
inline std::function<bool()> CloseMessageBox(std::wstring& text) {
  return [&text] {
    HWND box = WaitForWindow(L"#32770", L"Tessory");
    if (!box) return false;
    wchar_t message[1024] = L"";
    GetDlgItemTextW(box, 0xFFFF, message, 1024);  // the box's message text
    text = message;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  };
}

}  // namespace tessory::test
