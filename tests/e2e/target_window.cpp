// A window of known content for the end-to-end tests: four colour
// quadrants and a push button. It writes where it is to a report file and
// can be made always-on-top or made to stop answering.
//
//   tessory_test_target.exe --report FILE [--x X --y Y --w W --h H]
//                           [--title T] [--topmost] [--hang-after MS] [--popup]
//
// --popup makes a window without a frame, which --w 0 --h 0 leaves
// without area.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

constexpr UINT_PTR kHangTimer = 1;
constexpr COLORREF kQuadrants[4] = {RGB(220, 20, 20), RGB(20, 200, 40), RGB(30, 60, 230), RGB(240, 220, 20)};

struct Options {
  int x = 400, y = 300, width = 320, height = 240;
  bool topmost = false;
  bool popup = false;
  int hangAfterMs = -1;
  std::wstring title = L"Tessory Test Target";
  std::wstring report;
};

Options gOptions;

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  const int midX = client.right / 2, midY = client.bottom / 2;
  const RECT parts[4] = {{0, 0, midX, midY}, {midX, 0, client.right, midY}, {0, midY, midX, client.bottom},
                         {midX, midY, client.right, client.bottom}};
  for (int i = 0; i < 4; ++i) {
    HBRUSH brush = CreateSolidBrush(kQuadrants[i]);
    FillRect(dc, &parts[i], brush);
    DeleteObject(brush);
  }
  EndPaint(window, &paint);
}

void Report(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  RECT client;
  GetClientRect(window, &client);
  FILE* file = _wfopen(gOptions.report.c_str(), L"w");
  if (!file) return;
  std::fprintf(file, "window %ld %ld %ld %ld\nclient %ld %ld %ld %ld\nhandle 0x%llx\n", rect.left, rect.top, rect.right,
               rect.bottom, origin.x, origin.y, client.right, client.bottom,
               static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
  std::fclose(file);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_TIMER:
      if (wParam == kHangTimer) {
        KillTimer(window, kHangTimer);
        Sleep(60000);  // stops answering, as a hung program does
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void ParseArguments() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; i < count; ++i) {
    const std::wstring arg = args[i];
    auto next = [&] { return i + 1 < count ? std::wstring(args[++i]) : std::wstring(); };
    if (arg == L"--report") gOptions.report = next();
    else if (arg == L"--x") gOptions.x = std::stoi(next());
    else if (arg == L"--y") gOptions.y = std::stoi(next());
    else if (arg == L"--w") gOptions.width = std::stoi(next());
    else if (arg == L"--h") gOptions.height = std::stoi(next());
    else if (arg == L"--title") gOptions.title = next();
    else if (arg == L"--topmost") gOptions.topmost = true;
    else if (arg == L"--popup") gOptions.popup = true;
    else if (arg == L"--hang-after") gOptions.hangAfterMs = std::stoi(next());
  }
  LocalFree(args);
}

}  // namespace

int main() {
  ParseArguments();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"TessoryTestTarget";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(gOptions.topmost ? WS_EX_TOPMOST : 0, windowClass.lpszClassName,
                                gOptions.title.c_str(),
                                (gOptions.popup ? WS_POPUP : WS_OVERLAPPEDWINDOW) | WS_CLIPCHILDREN, gOptions.x, gOptions.y,
                                gOptions.width, gOptions.height, nullptr, nullptr, instance, nullptr);
  // A button in the lower right quadrant: dropping on it must grab the whole window.
  RECT client;
  GetClientRect(window, &client);
  CreateWindowExW(0, L"BUTTON", L"Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, client.right * 3 / 4 - 40,
                  client.bottom * 3 / 4 - 12, 80, 24, window, reinterpret_cast<HMENU>(1), instance, nullptr);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  if (gOptions.hangAfterMs >= 0) SetTimer(window, kHangTimer, static_cast<UINT>(gOptions.hangAfterMs), nullptr);
  Report(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
