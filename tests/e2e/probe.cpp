// Looks at and prepares the desktop for the end-to-end tests. Commands run
// in order; each prints what it found, one "key values" line at a time.
//
//   window TITLE              rectangle, client origin and size, visible, topmost
//                             ("form:TITLE" looks only at the program's own forms)
//   class NAME                the first window of that class: "text TEXT", then as window
//   dialog TITLE              a message box of that caption: "dialog LINE" per line of its message
//   text TITLE ID             the text of a control of that window
//   windows                   "shown CLASS "TITLE" L T R B [disabled] [says: TEXT]" per
//                             visible top-level window, topmost first
//   foreground                the caption of the window that has the keyboard
//   close TITLE               asks the window to close
//   clipboard-bmp FILE        the clipboard's bitmap as a 24-bit BMP file
//   control TITLE ID          the screen rectangle of a control of that window
//   clipboard-text            the clipboard's text
//   clipboard-formats         "format NAME" for each of bitmap, dib, png, files, text present
//   clipboard-dib FILE        the clipboard's CF_DIB as a BMP file
//   clipboard-png FILE        the clipboard's "PNG" bytes as a file
//   clipboard-files           the clipboard's file list: "file PATH" each, then "effect N"
//   set-clipboard-text TEXT   puts text on the clipboard
//   hold-clipboard SECONDS    keeps the clipboard open from a window of its own
//                             (prints "holding" first; fractions allowed)
//   screen-bmp FILE L T R B   what the screen shows over that rectangle, as a 24-bit BMP file
//   hold-hotkey MODS VK SECONDS  takes a system-wide hotkey (MOD_ flags, virtual key)
//                             and keeps it (prints "holding" first, or "refused")
//   hold-hotkey-until-told MODS VK  the same, kept until a line arrives on
//                             the standard input; then "released"
//   tooltip TITLE             the hint last shown by the tooltip of that window:
//                             "text TEXT", "visible 0|1"
//   reg-clear                 deletes the settings key
//   forget-dialogs            deletes the file dialogs' memory of each program's last folder
//   reg-dword NAME VALUE      stores a REG_DWORD under the settings key
//   reg-sz NAME TEXT          stores a REG_SZ under the settings key
//   reg-dump                  every value of the settings key: "value NAME TYPE DATA"
//   tray-click left|right     a click on Tessory's notification-area icon, as the shell
//                             reports it to the tool window
//   run-value                 the Run value Tessory of the current user: "run TEXT" or "run none"
//   run-set TEXT              stores that Run value
//   watch-shown TITLE SECONDS prints "watching", then waits for the window to be
//                             hidden and shown again: "hidden T", "shown T", T in
//                             seconds since 1970 by the system clock (for benchmarks)
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kKey[] = L"Software\\Morrowlin, Inc.\\Tessory";
// Where the programs that start with Windows are named.
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The tool window's message for its icon's clicks.
constexpr UINT kTrayCallbackMessage = WM_APP + 30;
// Where the file dialogs keep each program's last folder.
constexpr wchar_t kFileDialogKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32";

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  return out;
}

// The window of that caption; "form:TITLE" means one of Tessory's forms.
HWND FindByTitle(const std::wstring& title) {
  if (title.rfind(L"form:", 0) == 0) return FindWindowW(L"TessoryForm", title.substr(5).c_str());
  return FindWindowW(nullptr, title.c_str());
}

int Window(HWND window) {
  if (!window) {
    std::printf("missing\n");
    return 1;
  }
  RECT rect, client;
  GetWindowRect(window, &rect);
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  std::printf("window %ld %ld %ld %ld\nclient %ld %ld %ld %ld\nvisible %d\ntopmost %d\n", rect.left, rect.top,
              rect.right, rect.bottom, origin.x, origin.y, client.right, client.bottom, IsWindowVisible(window) ? 1 : 0,
              (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
  return 0;
}

int WindowOfClass(const std::wstring& name) {
  HWND window = FindWindowW(name.c_str(), nullptr);
  wchar_t text[512] = L"";
  if (window) GetWindowTextW(window, text, 512);
  std::printf("text %s\n", Utf8(text).c_str());
  return Window(window);
}

// The visible message box of that caption. A file dialog and the question
// it asks share their caption, and which of them comes first in the
// stacking order is not fixed: the message box is the one with a text.
HWND MessageBoxTitled(const std::wstring& title) {
  struct Search {
    const std::wstring& title;
    HWND found = nullptr;
  } search{title};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(data);
        wchar_t className[64] = L"", text[512] = L"";
        GetClassNameW(window, className, 64);
        GetWindowTextW(window, text, 512);
        if (std::wcscmp(className, L"#32770") != 0 || search.title != text || !IsWindowVisible(window)) return TRUE;
        if (!GetDlgItem(window, 0xFFFF)) return TRUE;
        search.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Dialog(const std::wstring& title) {
  HWND dialog = MessageBoxTitled(title);
  if (!dialog) {
    std::printf("nodialog\n");
    return 1;
  }
  wchar_t text[1024] = L"";
  GetDlgItemTextW(dialog, 0xFFFF, text, 1024);  // a message box's text
  // One "dialog" line per line of the text.
  std::wstring rest = text;
  for (std::size_t end; (end = rest.find(L'\n')) != std::wstring::npos; rest.erase(0, end + 1)) {
    std::wstring line = rest.substr(0, end);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    std::printf("dialog %s\n", Utf8(line).c_str());
  }
  std::printf("dialog %s\n", Utf8(rest).c_str());
  return 0;
}

// The text of a control of the window of that caption (an edit box, a label).
int ControlText(const std::wstring& title, int id) {
  HWND control = GetDlgItem(FindByTitle(title), id);
  if (!control) {
    std::printf("missing\n");
    return 1;
  }
  // A combo box keeps its text in the edit box inside it.
  if (HWND edit = FindWindowExW(control, nullptr, L"Edit", nullptr)) control = edit;
  wchar_t text[1024] = L"";
  SendMessageW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  std::printf("text %s\n", Utf8(text).c_str());
  return 0;
}

// Every visible top-level window, topmost first: what a failed scenario
// left on the screen.
int Windows() {
  EnumWindows(
      [](HWND window, LPARAM) -> BOOL {
        if (!IsWindowVisible(window)) return TRUE;
        wchar_t className[64] = L"", title[256] = L"", message[512] = L"";
        GetClassNameW(window, className, 64);
        GetWindowTextW(window, title, 256);
        GetDlgItemTextW(window, 0xFFFF, message, 512);
        RECT rect;
        GetWindowRect(window, &rect);
        std::printf("shown %s \"%s\" %ld %ld %ld %ld%s%s%s\n", Utf8(className).c_str(), Utf8(title).c_str(), rect.left,
                    rect.top, rect.right, rect.bottom, IsWindowEnabled(window) ? "" : " disabled",
                    *message ? " says: " : "", Utf8(message).c_str());
        return TRUE;
      },
      0);
  return 0;
}

int Control(const std::wstring& title, int id) {
  HWND control = GetDlgItem(FindByTitle(title), id);
  if (!control) {
    std::printf("missing\n");
    return 1;
  }
  RECT rect;
  GetWindowRect(control, &rect);
  std::printf("control %ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
  return 0;
}

int Foreground() {
  wchar_t title[256] = L"";
  if (HWND window = GetForegroundWindow()) GetWindowTextW(window, title, 256);
  std::printf("foreground %s\n", Utf8(title).c_str());
  return 0;
}

int Close(const std::wstring& title) {
  HWND window = FindByTitle(title);
  if (!window) return 1;
  PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

bool OpenClipboardRetrying() {
  for (int i = 0; i < 50; ++i) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(100);
  }
  return false;
}

// `bitmap` as a 24-bit BMP file at `path`.
int WriteBmp(const std::wstring& path, HBITMAP bitmap, LONG width, LONG height) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<BYTE> rows(stride * height);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, height, rows.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(54 + rows.size()), 0, 0, 54};
  header.biSizeImage = static_cast<DWORD>(rows.size());
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return 4;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&header, sizeof header, 1, out);
  std::fwrite(rows.data(), 1, rows.size(), out);
  std::fclose(out);
  return 0;
}

int ScreenBmp(const std::wstring& path, const RECT& rect) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  const int written = WriteBmp(path, bitmap, width, height);
  DeleteObject(bitmap);
  return written;
}

int ClipboardBmp(const std::wstring& path) {
  if (!OpenClipboardRetrying()) return 3;
  HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  std::printf("palette %d\n", IsClipboardFormatAvailable(CF_PALETTE) ? 1 : 0);
  if (!bitmap) {
    CloseClipboard();
    std::printf("nobitmap\n");
    return 2;
  }
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  const int written = WriteBmp(path, bitmap, info.bmWidth, info.bmHeight);
  CloseClipboard();
  if (written != 0) return written;
  std::printf("bitmap %ld %ld\n", info.bmWidth, info.bmHeight);
  return 0;
}

int ClipboardText() {
  if (!OpenClipboardRetrying()) return 3;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  std::wstring text;
  if (data) {
    if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  std::printf("text %s\n", data ? Utf8(text).c_str() : "<none>");
  return 0;
}

UINT PngFormat() {
  return RegisterClipboardFormatW(L"PNG");
}

int ClipboardFormats() {
  if (!OpenClipboardRetrying()) return 3;
  const struct {
    UINT format;
    const char* name;
  } formats[] = {
      {CF_BITMAP, "bitmap"}, {CF_DIB, "dib"}, {PngFormat(), "png"}, {CF_HDROP, "files"}, {CF_UNICODETEXT, "text"}};
  for (const auto& f : formats) {
    if (IsClipboardFormatAvailable(f.format)) std::printf("format %s\n", f.name);
  }
  CloseClipboard();
  return 0;
}

// The bytes of one clipboard format written to `path`; a DIB gets a BMP file header first.
int SaveClipboardBlock(UINT format, const std::wstring& path, bool asBmp) {
  if (!OpenClipboardRetrying()) return 3;
  HANDLE data = GetClipboardData(format);
  const BYTE* bytes = data ? static_cast<const BYTE*>(GlobalLock(data)) : nullptr;
  if (!bytes) {
    CloseClipboard();
    std::printf("nodata\n");
    return 2;
  }
  const SIZE_T size = GlobalSize(data);
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (out) {
    if (asBmp) {
      const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
      BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + size), 0, 0,
                            static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + header->biSize)};
      std::fwrite(&file, sizeof file, 1, out);
      std::printf("dib %ld %ld %d\n", header->biWidth, header->biHeight, header->biBitCount);
    }
    std::fwrite(bytes, 1, size, out);
    std::fclose(out);
  }
  GlobalUnlock(data);
  CloseClipboard();
  return out ? 0 : 4;
}

int ClipboardFiles() {
  if (!OpenClipboardRetrying()) return 3;
  if (HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP))) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      wchar_t name[1024] = L"";
      DragQueryFileW(drop, i, name, 1024);
      std::printf("file %s\n", Utf8(name).c_str());
    }
  }
  if (HANDLE effect = GetClipboardData(RegisterClipboardFormatW(L"Preferred DropEffect"))) {
    if (auto* value = static_cast<const DWORD*>(GlobalLock(effect))) {
      std::printf("effect %lu\n", *value);
      GlobalUnlock(effect);
    }
  }
  CloseClipboard();
  return 0;
}

int SetClipboardText(const std::wstring& text) {
  if (!OpenClipboardRetrying()) return 3;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
  CloseClipboard();
  return 0;
}

// Holds the clipboard from a window, as a program does, so that the
// system can tell who holds it.
int HoldClipboard(double seconds) {
  HWND window = CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  bool opened = false;
  for (int i = 0; i < 50 && !(opened = OpenClipboard(window)); ++i) Sleep(100);
  if (!opened) return 3;
  std::printf("holding\n");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(seconds * 1000));
  CloseClipboard();
  DestroyWindow(window);
  return 0;
}

// Holds the hotkey for `seconds`, or (negative) until a line arrives on stdin.
int HoldHotkey(UINT modifiers, UINT key, int seconds) {
  if (!RegisterHotKey(nullptr, 1, modifiers, key)) {
    std::printf("refused\n");
    return 6;
  }
  std::printf("holding\n");
  std::fflush(stdout);
  if (seconds >= 0) {
    Sleep(static_cast<DWORD>(seconds) * 1000);
  } else {
    char line[16];
    if (!std::fgets(line, sizeof line, stdin)) line[0] = 0;
  }
  UnregisterHotKey(nullptr, 1);
  std::printf("released\n");
  return 0;
}

// The tooltip control owned by the window: its text is the hint it showed last.
int Tooltip(HWND owner) {
  HWND tip = nullptr;
  while ((tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)) && GetWindow(tip, GW_OWNER) != owner) {
  }
  if (!owner || !tip) {
    std::printf("missing\n");
    return 1;
  }
  wchar_t text[1024] = L"";
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(tip, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
  std::printf("text %s\nvisible %d\n", Utf8(text).c_str(), IsWindowVisible(tip) ? 1 : 0);
  return 0;
}

int RegSet(const std::wstring& name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr)) return 5;
  const LONG result = RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? 0 : 5;
}

int RegDump() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key)) {
    std::printf("nokey\n");
    return 0;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256, type = 0, size = 4096;
    BYTE data[4096];
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    if (type == REG_DWORD) {
      std::printf("value %s dword %ld\n", Utf8(name).c_str(), *reinterpret_cast<LONG*>(data));
    } else if (type == REG_SZ) {
      std::printf("value %s sz %s\n", Utf8(name).c_str(), Utf8(reinterpret_cast<wchar_t*>(data)).c_str());
    } else {
      std::printf("value %s type%lu\n", Utf8(name).c_str(), type);
    }
  }
  RegCloseKey(key);
  return 0;
}

int TrayClick(const std::wstring& button) {
  HWND window = FindWindowW(L"TessoryForm", L"Tessory");
  if (!window) {
    std::printf("missing\n");
    return 1;
  }
  PostMessageW(window, kTrayCallbackMessage, 1, button == L"left" ? WM_LBUTTONUP : WM_RBUTTONUP);
  return 0;
}

int RunValue() {
  wchar_t text[1024] = L"";
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Tessory", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
    std::printf("run none\n");
  } else {
    std::printf("run %s\n", Utf8(text).c_str());
  }
  return 0;
}

int RunSet(const std::wstring& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr)) return 5;
  const LONG result = RegSetValueExW(key, L"Tessory", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? 0 : 5;
}

// The system clock in seconds since 1970, to the microsecond: the clock
// the processes outside Wine read too.
double UnixSeconds() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  const ULONGLONG ticks = (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;  // 100 ns since 1601
  return static_cast<double>(ticks - 116444736000000000ULL) / 1e7;
}

// Polls every millisecond, so the times are late by at most about that.
bool WaitVisible(HWND window, bool visible, ULONGLONG deadline) {
  while ((IsWindowVisible(window) != FALSE) != visible) {
    if (GetTickCount64() > deadline) return false;
    Sleep(1);
  }
  return true;
}

int WatchShown(const std::wstring& title, int seconds) {
  HWND window = FindByTitle(title);
  if (!window) return 1;
  std::printf("watching\n");
  std::fflush(stdout);
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
  if (!WaitVisible(window, false, deadline)) return 4;
  std::printf("hidden %.6f\n", UnixSeconds());
  if (!WaitVisible(window, true, deadline)) return 4;
  std::printf("shown %.6f\n", UnixSeconds());
  return 0;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  int status = 0;
  for (int i = 1; i < count && status == 0; ++i) {
    const std::wstring command = args[i];
    auto next = [&] { return i + 1 < count ? std::wstring(args[++i]) : std::wstring(); };
    if (command == L"window") {
      status = Window(FindByTitle(next()));
    } else if (command == L"class") {
      status = WindowOfClass(next());
    } else if (command == L"dialog") {
      status = Dialog(next());
    } else if (command == L"text") {
      const std::wstring title = next();
      status = ControlText(title, std::stoi(next(), nullptr, 0));
    } else if (command == L"windows") {
      status = Windows();
    } else if (command == L"foreground") {
      status = Foreground();
    } else if (command == L"close") {
      status = Close(next());
    } else if (command == L"clipboard-bmp") {
      status = ClipboardBmp(next());
    } else if (command == L"clipboard-text") {
      status = ClipboardText();
    } else if (command == L"set-clipboard-text") {
      status = SetClipboardText(next());
    } else if (command == L"hold-clipboard") {
      status = HoldClipboard(std::stod(next()));
    } else if (command == L"control") {
      const std::wstring title = next();
      status = Control(title, std::stoi(next()));
    } else if (command == L"clipboard-formats") {
      status = ClipboardFormats();
    } else if (command == L"clipboard-dib") {
      status = SaveClipboardBlock(CF_DIB, next(), true);
    } else if (command == L"clipboard-png") {
      status = SaveClipboardBlock(PngFormat(), next(), false);
    } else if (command == L"clipboard-files") {
      status = ClipboardFiles();
    } else if (command == L"screen-bmp") {
      const std::wstring path = next();
      const long left = std::stol(next()), top = std::stol(next()), right = std::stol(next()), bottom = std::stol(next());
      status = ScreenBmp(path, {left, top, right, bottom});
    } else if (command == L"hold-hotkey") {
      const UINT modifiers = static_cast<UINT>(std::stoul(next(), nullptr, 0));
      const UINT key = static_cast<UINT>(std::stoul(next(), nullptr, 0));
      status = HoldHotkey(modifiers, key, std::stoi(next()));
    } else if (command == L"hold-hotkey-until-told") {
      const UINT modifiers = static_cast<UINT>(std::stoul(next(), nullptr, 0));
      status = HoldHotkey(modifiers, static_cast<UINT>(std::stoul(next(), nullptr, 0)), -1);
    } else if (command == L"tooltip") {
      status = Tooltip(FindByTitle(next()));
    } else if (command == L"reg-clear") {
      RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    } else if (command == L"forget-dialogs") {
      RegDeleteTreeW(HKEY_CURRENT_USER, kFileDialogKey);
    } else if (command == L"reg-dword") {
      const std::wstring name = next();
      const DWORD value = static_cast<DWORD>(std::stol(next()));
      status = RegSet(name, REG_DWORD, &value, sizeof value);
    } else if (command == L"reg-sz") {
      const std::wstring name = next(), text = next();
      status = RegSet(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    } else if (command == L"reg-dump") {
      status = RegDump();
    } else if (command == L"tray-click") {
      status = TrayClick(next());
    } else if (command == L"run-value") {
      status = RunValue();
    } else if (command == L"run-set") {
      status = RunSet(next());
    } else if (command == L"watch-shown") {
      const std::wstring title = next();
      status = WatchShown(title, std::stoi(next()));
    } else {
      std::printf("unknown command\n");
      status = 9;
    }
    std::fflush(stdout);
  }
  LocalFree(args);
  return status;
}
