// The picker, the grab, the clipboard and the format prompt against real
// windows under Wine.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "app/main_form_win32.h"
#include "capture/pick_outline_win32.h"
#include "capture/window_grab_win32.h"
#include "capture/window_stack_win32.h"
#include "delivery/clipboard_win32.h"
#include "delivery/image_type_form_win32.h"
#include "framework/application_win32.h"
#include "framework/error.h"
#include "imaging/pixel_formats.h"
#include "support/memory_registry.h"
#include "tools/headless_platform.h"

namespace tessory {
namespace {

constexpr COLORREF kLeft = RGB(200, 30, 40), kRight = RGB(20, 180, 60);

LRESULT CALLBACK PaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    RECT left = client, right = client;
    left.right = right.left = client.right / 2;
    UniqueHbrush red(CreateSolidBrush(kLeft)), green(CreateSolidBrush(kRight));
    FillRect(dc, &left, red.get());
    FillRect(dc, &right, green.get());
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window of known content (left half red, right half green)
// with a push button inside.
class KnownWindow {
 public:
  explicit KnownWindow(DWORD exStyle = 0) {
    static const ATOM windowClass = [] {
      WNDCLASSW info{};
      info.lpfnWndProc = PaintProc;
      info.hInstance = GetModuleHandleW(nullptr);
      info.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      info.lpszClassName = L"TessoryKnownWindow";
      return RegisterClassW(&info);
    }();
    window_.reset(CreateWindowExW(exStyle, MAKEINTATOM(windowClass), L"Known", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300,
                                  200, 240, 160, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    button_ = CreateWindowExW(0, L"BUTTON", L"Press", WS_CHILD | WS_VISIBLE, 150, 80, 60, 24, window_.get(), nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    UpdateWindow(window_.get());
    Pump();
  }
  HWND Handle() const { return window_.get(); }
  HWND Button() const { return button_; }
  POINT ClientPoint(int x, int y) const {
    POINT point{x, y};
    ClientToScreen(window_.get(), &point);
    return point;
  }
  static void Pump() {
    MSG message;
    for (int i = 0; i < 20; ++i) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      Sleep(10);
    }
  }

 private:
  UniqueHwnd window_;
  HWND button_;
};

COLORREF PixelAt(const CaptureImage& image, int x, int y) {
  const CaptureImage rows = CopyAtDepth24(image);
  const std::uint8_t* p = rows.Rows().data() + rows.Stride() * (rows.Height() - 1 - y) + 3 * x;
  return RGB(p[2], p[1], p[0]);
}

bool IsTopmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application::Instance().Initialize(GetModuleHandleW(nullptr)); }
};

TEST_F(WindowTest, PickerClimbsFromAChildToItsTopLevelWindow) {
  KnownWindow known;
  RECT button;
  GetWindowRect(known.Button(), &button);
  const POINT onButton{button.left + 5, button.top + 5};
  EXPECT_EQ(WindowFromPoint(onButton), known.Button());
  EXPECT_EQ(TopLevelWindowAt(onButton, nullptr), known.Handle());
  EXPECT_EQ(TopLevelWindowAt(known.ClientPoint(10, 10), nullptr), known.Handle());
  // The program's own window is returned as it is, and a child of it climbs to it.
  EXPECT_EQ(TopLevelWindowAt(onButton, known.Handle()), known.Handle());
}

TEST_F(WindowTest, GrabCopiesTheWholeWindowFrameIncludedFromEitherSource) {
  for (CopySource source : {CopySource::WindowDc, CopySource::Screen}) {
    KnownWindow known;
    RECT outer;
    GetWindowRect(known.Handle(), &outer);
    const CaptureImage image = GrabWindowImage(known.Handle(), {source, 2000});
    ASSERT_EQ(image.Width(), outer.right - outer.left);
    ASSERT_EQ(image.Height(), outer.bottom - outer.top);
    EXPECT_EQ(image.Format(), PixelFormat::Device);
    const POINT left = known.ClientPoint(20, 40), right = known.ClientPoint(200, 20);
    EXPECT_EQ(PixelAt(image, left.x - outer.left, left.y - outer.top), kLeft);
    EXPECT_EQ(PixelAt(image, right.x - outer.left, right.y - outer.top), kRight);
    EXPECT_FALSE(IsTopmost(known.Handle()));
  }
}

TEST_F(WindowTest, PickSeesThroughTheOutlineAndItsLabel) {
  KnownWindow known;
  RECT inner;
  GetWindowRect(known.Handle(), &inner);
  InflateRect(&inner, -40, -40);  // so that the outline lies over the window
  PickOutline outline(nullptr);
  outline.Show(inner, "Known   160 x 80", {inner.left + 10, inner.top + 10});
  KnownWindow::Pump();
  ASSERT_TRUE(IsWindowVisible(outline.Frame()));
  RECT band, label;
  GetWindowRect(outline.Frame(), &band);
  GetWindowRect(outline.Label(), &label);
  EXPECT_EQ(TopLevelWindowAt({band.left + 5, band.top + 1}, nullptr), known.Handle());
  EXPECT_EQ(TopLevelWindowAt({label.left + 5, label.top + 5}, nullptr), known.Handle());
  outline.Hide();
  EXPECT_FALSE(IsWindowVisible(outline.Frame()));
  EXPECT_FALSE(IsWindowVisible(outline.Label()));
}

TEST_F(WindowTest, WindowPastTheScreensEdgeKeepsItsPixelsInPlaceFromEitherSource) {
  for (CopySource source : {CopySource::WindowDc, CopySource::Screen}) {
    KnownWindow known;
    SetWindowPos(known.Handle(), nullptr, -120, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    KnownWindow::Pump();
    RECT outer;
    GetWindowRect(known.Handle(), &outer);
    const CaptureImage image = GrabWindowImage(known.Handle(), {source, 2000});
    ASSERT_EQ(image.Width(), outer.right - outer.left);
    const POINT onScreen = known.ClientPoint(200, 20), offScreen = known.ClientPoint(20, 40);
    ASSERT_GE(onScreen.x, 0);
    ASSERT_LT(offScreen.x, 0);
    EXPECT_EQ(PixelAt(image, onScreen.x - outer.left, onScreen.y - outer.top), kRight);
    EXPECT_EQ(PixelAt(image, offScreen.x - outer.left, offScreen.y - outer.top), kOffScreenFill);
  }
}

TEST_F(WindowTest, GrabKeepsAnAlwaysOnTopWindowOnTop) {
  KnownWindow known(WS_EX_TOPMOST);
  ASSERT_TRUE(IsTopmost(known.Handle()));
  GrabWindowImage(known.Handle(), {CopySource::WindowDc, 2000});
  EXPECT_TRUE(IsTopmost(known.Handle()));
}

// A platform whose clipboard fails, as a busy clipboard does.
class FailingClipboard final : public HeadlessPlatform {
 public:
  void Beep() override { ++sounds; }
  void SetClipboard(const ClipboardContent&) override { throw Error("Cannot open clipboard"); }
  int sounds = 0;
};

// What one capture's delivery works on, with the failing clipboard.
struct GrabBench {
  CaptureImage image;
  CaptureSettings settings;
  std::int32_t counter = 0;
  RandomGenerator random;
  SaveDialogState dialog;
  FailingClipboard platform;
  CaptureDelivery delivery{{image, settings, counter, random, dialog, platform}};
  // Delivers by `saveOption`, as the program does.
  DeliverCapture Route(std::int32_t saveOption) {
    return [this, saveOption](const CapturedWindow& window) {
      delivery.SetCapturedWindow(window);
      delivery.Deliver(saveOption);
    };
  }
};

TEST_F(WindowTest, FailingDeliveryShowsTheProgramsWindowsAgain) {
  KnownWindow known, mainWindow, applicationWindow;
  GrabBench bench;
  EXPECT_THROW(CaptureWindow(known.Handle(), {mainWindow.Handle(), applicationWindow.Handle()}, bench.image,
                             bench.Route(0)),
               Error);
  EXPECT_TRUE(IsWindowVisible(mainWindow.Handle()));
  EXPECT_TRUE(IsWindowVisible(applicationWindow.Handle()));
  EXPECT_FALSE(IsTopmost(known.Handle()));
  EXPECT_EQ(bench.platform.sounds, 0);
  EXPECT_FALSE(bench.image.Empty());  // the grab itself happened
}

TEST_F(WindowTest, SaveOptionOutsideTheRoutesGrabsButDeliversNothing) {
  KnownWindow known, mainWindow;
  GrabBench bench;
  CaptureWindow(known.Handle(), {mainWindow.Handle(), nullptr}, bench.image, bench.Route(7));
  EXPECT_EQ(bench.platform.sounds, 0);
  EXPECT_TRUE(IsWindowVisible(mainWindow.Handle()));
  RECT outer;
  GetWindowRect(known.Handle(), &outer);
  EXPECT_EQ(bench.image.Width(), outer.right - outer.left);
}

TEST_F(WindowTest, ClosedWindowIsNotGrabbed) {
  HWND gone;
  {
    KnownWindow known;
    gone = known.Handle();
  }
  KnownWindow mainWindow;
  GrabBench bench;
  bench.image = CaptureImage(1, 1, PixelFormat::Bits24, PixelBuffer(4));
  EXPECT_NO_THROW(CaptureWindow(gone, {mainWindow.Handle(), nullptr}, bench.image, bench.Route(0)));
  EXPECT_EQ(bench.image.Width(), 1);  // untouched
}

// Reads the clipboard's bitmap back: size and the pixel at (x, y).
struct ClipboardBitmap {
  int width = 0, height = 0;
  COLORREF pixel = 0;
  bool palette = false;
};

ClipboardBitmap ReadClipboardBitmap(int x, int y) {
  ClipboardBitmap result;
  if (!OpenClipboard(nullptr)) return result;
  result.palette = IsClipboardFormatAvailable(CF_PALETTE);
  if (auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    result.width = info.bmWidth;
    result.height = info.bmHeight;
    UniqueHdc dc(CreateCompatibleDC(nullptr));
    SelectedObject selected(dc.get(), bitmap);
    result.pixel = GetPixel(dc.get(), x, y);
  }
  CloseClipboard();
  return result;
}

void PutClipboardText(const wchar_t* text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const std::size_t bytes = (lstrlenW(text) + 1) * sizeof(wchar_t);
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  ASSERT_NE(memory, nullptr);
  std::memcpy(GlobalLock(memory), text, bytes);
  GlobalUnlock(memory);
  if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);  // else the clipboard owns it now
  CloseClipboard();
}

bool ClipboardHasText() {
  if (!OpenClipboard(nullptr)) return false;
  const bool has = IsClipboardFormatAvailable(CF_UNICODETEXT);
  CloseClipboard();
  return has;
}

TEST_F(WindowTest, ClipboardReceivesTheCaptureAsABitmapWithoutPalette) {
  KnownWindow known;
  const CaptureImage image = GrabWindowImage(known.Handle(), {CopySource::WindowDc, 2000});
  PutClipboardText(L"previous");
  CopyImageToClipboard(image);
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);  // closed again
  RECT outer;
  GetWindowRect(known.Handle(), &outer);
  const POINT left = known.ClientPoint(20, 40);
  const ClipboardBitmap read = ReadClipboardBitmap(left.x - outer.left, left.y - outer.top);
  EXPECT_EQ(read.width, image.Width());
  EXPECT_EQ(read.height, image.Height());
  EXPECT_EQ(read.pixel, kLeft);
  EXPECT_FALSE(read.palette);
  EXPECT_FALSE(ClipboardHasText());
}

TEST_F(WindowTest, ConvertedImagesReachTheClipboardToo) {
  CaptureImage image = CaptureImage(2, 1, PixelFormat::Bits24, {10, 20, 30, 40, 50, 60, 0, 0});
  ConvertPixelDepth(image, 16);
  CopyImageToClipboard(image);
  const ClipboardBitmap read = ReadClipboardBitmap(1, 0);
  EXPECT_EQ(read.width, 2);
  EXPECT_EQ(GetRValue(read.pixel) & 0xF8, 60 & 0xF8);
}

TEST_F(WindowTest, BusyClipboardIsReportedAndKeepsItsContents) {
  PutClipboardText(L"kept");
  std::atomic<bool> holding{false}, release{false};
  std::thread holder([&] {
    KnownWindow other;
    if (!OpenClipboard(other.Handle())) return;
    holding = true;
    while (!release) Sleep(10);
    CloseClipboard();
  });
  while (!holding) Sleep(10);
  const CaptureImage image = CaptureImage(1, 1, PixelFormat::Bits24, PixelBuffer(4));
  try {
    CopyImageToClipboard(image);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Cannot open clipboard\ntessory_win32_tests.exe");  // the holder is this program
  }
  release = true;
  holder.join();
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);  // closed again
  EXPECT_TRUE(ClipboardHasText());
}

TEST_F(WindowTest, ClipboardWithoutAnOwnerKeepsTheUsersContents) {
  PutClipboardText(L"kept");
  const CaptureImage image = CaptureImage(1, 1, PixelFormat::Bits24, PixelBuffer(4));
  ClipboardContent content;
  content.image = &image;
  EXPECT_THROW(CopyToClipboardOwnedBy(nullptr, content), Error);
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
  EXPECT_TRUE(ClipboardHasText());
}

TEST_F(WindowTest, FormatPromptResults) {
  TImageTypeForm prompt(nullptr);
  // OK after choosing "PNG Image".
  SendMessageW(GetDlgItem(prompt.Handle(), TImageTypeForm::kImgTypeFirst + 3), BM_CLICK, 0, 0);
  PostMessageW(prompt.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(prompt.Ask(), ImageKind::Png);
  // Cancel, then closing the window: no choice.
  PostMessageW(prompt.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(prompt.Ask(), std::nullopt);
  PostMessageW(prompt.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(prompt.Ask(), std::nullopt);
  EXPECT_FALSE(IsWindowVisible(prompt.Handle()));
  EXPECT_EQ(prompt.ImgTypeIndex(), 3);  // kept for the next prompt
}

TEST_F(WindowTest, FormatPromptAnswersEnterAndEscapeFromTheKeyboard) {
  TImageTypeForm prompt(nullptr);
  prompt.SetImgTypeIndex(1);
  auto press = [&](WPARAM key) {
    // Queued for the focused control once the prompt shows.
    PostMessageW(GetDlgItem(prompt.Handle(), IDOK), WM_KEYDOWN, key, 0);
  };
  press(VK_RETURN);
  EXPECT_EQ(prompt.Ask(), ImageKind::Jpeg);
  press(VK_ESCAPE);
  EXPECT_EQ(prompt.Ask(), std::nullopt);
}

using MainFormTest = WindowTest;

TEST_F(MainFormTest, CreationLoadsSettingsSizesTheWindowAndBuildsTheHint) {
  test::MemoryRegistry store;
  store.PutInteger("Save Option", 2);
  store.PutInteger("Image Type", 1);
  TMainForm form(store);
  EXPECT_EQ(form.Hint(), "Capture to: Autosave File [JPG]");
  RECT client;
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, form.Scale(74));
  EXPECT_EQ(client.bottom, form.Scale(18));
  EXPECT_EQ(Application::Instance().HelpFile(), Application::ExecutableFolder() + "tessory.chm");
  EXPECT_TRUE(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  form.Settings().SaveOption = 0;
  form.UpdateCaptureHint();
  EXPECT_EQ(form.Hint(), "Capture to: Clipboard");
}

// What a user reads of the hotkeys without opening a dialog, and what a
// screen reader and the keyboard find of the target icon.
TEST_F(MainFormTest, HintNamesTheHeldHotkeyAndTheIconIsAKeyboardStopWithAName) {
  test::MemoryRegistry store;
  store.PutInteger("Hotkey Active Window", 0x0378);  // Ctrl+Shift+F9
  TMainForm form(store);
  ASSERT_TRUE(form.Hotkeys().Holds(HotkeyAction::ActiveWindow));
  EXPECT_EQ(form.ShownHint(), "Capture to: Clipboard (Ctrl+Shift+F9: active window)");
  form.Settings().HotkeyActiveWindow = 0;
  form.RegisterHotkeys();
  EXPECT_EQ(form.ShownHint(), "Capture to: Clipboard");
  HWND icon = GetDlgItem(form.Handle(), TMainForm::kTargetImg);
  EXPECT_TRUE(GetWindowLongPtrW(icon, GWL_STYLE) & WS_TABSTOP);
  wchar_t name[128] = L"";
  GetWindowTextW(icon, name, 128);
  EXPECT_STREQ(name, L"Drag and drop on a window to capture; Enter picks a window with the keyboard");
}

// A key another window holds is named in the hint's warning, and a retry
// once it is free takes it and clears the warning.
TEST_F(MainFormTest, HotkeyHeldElsewhereIsWarnedOfUntilARetryTakesIt) {
  KnownWindow holder;
  ASSERT_TRUE(RegisterHotKey(holder.Handle(), 7, MOD_CONTROL | MOD_SHIFT, VK_F10));
  test::MemoryRegistry store;
  store.PutInteger("Hotkey Active Window", 0);
  store.PutInteger("Hotkey Pointer Window", 0x0379);  // Ctrl+Shift+F10
  TMainForm form(store);
  EXPECT_EQ(form.ShownHint(), "Capture to: Clipboard - hotkey not available: Ctrl+Shift+F10");
  form.RetryHotkeys();
  EXPECT_FALSE(form.Hotkeys().Holds(HotkeyAction::PointerWindow));
  UnregisterHotKey(holder.Handle(), 7);
  form.RetryHotkeys();
  EXPECT_TRUE(form.Hotkeys().Holds(HotkeyAction::PointerWindow));
  EXPECT_EQ(form.ShownHint(), "Capture to: Clipboard");
}

TEST_F(MainFormTest, SavedPositionIsAppliedOnlyOnAMonitor) {
  test::MemoryRegistry store;
  store.PutInteger("Last X-Pos", 120);
  store.PutInteger("Last Y-Pos", 140);
  TMainForm placed(store);
  EXPECT_EQ(placed.Left(), 120);
  EXPECT_EQ(placed.Top(), 140);

  test::MemoryRegistry offscreen;
  offscreen.PutInteger("Last X-Pos", -30000);
  offscreen.PutInteger("Last Y-Pos", 40000);
  TMainForm unplaced(offscreen);
  EXPECT_NE(unplaced.Left(), -30000);
  EXPECT_TRUE(MonitorFromWindow(unplaced.Handle(), MONITOR_DEFAULTTONULL));
}

TEST_F(MainFormTest, ReleaseInsidePicksNothingAndRightButtonReusesTheLastPick) {
  test::MemoryRegistry store;
  TMainForm form(store);
  form.Show();
  KnownWindow known;
  PutClipboardText(L"before");

  // A release over the window itself: nothing, whatever was picked.
  SetCursorPos(known.ClientPoint(30, 30).x, known.ClientPoint(30, 30).y);
  form.TargetImgMouseDown();
  form.TargetImgMouseMove(true);
  EXPECT_EQ(form.PickedWindow(), known.Handle());
  form.TargetImgMouseUp(form.Scale(74), form.Scale(18));
  EXPECT_TRUE(ClipboardHasText());

  // A right-button drag picks nothing new, but its release outside grabs
  // the window the last left-button drag picked.
  form.TargetImgMouseDown();
  form.TargetImgMouseMove(false);
  form.TargetImgMouseUp(500, 300);
  EXPECT_FALSE(ClipboardHasText());
  RECT outer;
  GetWindowRect(known.Handle(), &outer);
  EXPECT_EQ(ReadClipboardBitmap(0, 0).width, outer.right - outer.left);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
}

TEST_F(MainFormTest, LosingThePointerCaptureEndsTheDrag) {
  test::MemoryRegistry store;
  TMainForm form(store);
  form.Show();
  KnownWindow other;
  form.TargetImgMouseDown();
  ASSERT_NE(form.Drag(), nullptr);
  EXPECT_EQ(GetCapture(), form.Handle());
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_CROSS));
  const HWND frame = form.Drag()->OutlineWindows().Frame();
  SetCapture(other.Handle());  // taken away, as another program's window may
  EXPECT_EQ(form.Drag(), nullptr);
  EXPECT_FALSE(IsWindowVisible(frame));
  EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_CROSS));
  ReleaseCapture();
}

TEST_F(MainFormTest, NoPickedWindowMeansNoGrab) {
  test::MemoryRegistry store;
  TMainForm form(store);
  PutClipboardText(L"untouched");
  form.TargetImgMouseDown();
  form.TargetImgMouseUp(-300, -200);  // signed: left of and above the window
  EXPECT_EQ(form.PickedWindow(), nullptr);
  EXPECT_TRUE(ClipboardHasText());
}

TEST_F(MainFormTest, WronglyTypedValueIsShownAndTheWindowIsMadeWhole) {
  test::MemoryRegistry store;
  store.PutInteger("Save Option", 2);
  store.PutString("Image Quality", "90");
  store.PutInteger("Image Type", 3);
  // The error box would wait for a click: close it as soon as it shows.
  std::atomic<bool> done{false};
  std::thread closer([&] {
    while (!done) {
      if (HWND box = FindWindowW(L"#32770", nullptr)) PostMessageW(box, WM_COMMAND, IDOK, 0);
      Sleep(20);
    }
  });
  Application::Instance().SetHelpFile("tessory.chm");  // as the program start sets it
  TMainForm form(store);
  done = true;
  closer.join();
  EXPECT_EQ(form.Settings().ImageQuality, 3);
  EXPECT_EQ(form.Hint(), "Capture to: Autosave File [PNG]");  // the values after the bad one are read
  RECT client;
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, form.Scale(74));
  EXPECT_EQ(Application::Instance().HelpFile(), Application::ExecutableFolder() + "tessory.chm");
}

}  // namespace
}  // namespace tessory
