// The window grab: the picked window's image, frame and title bar included,
// taken while the program's own windows are hidden, then delivered.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "capture/captured_window.h"
#include "imaging/capture_image.h"

namespace tessory {

enum class CopySource {
  Automatic,  // the screen on a composited desktop, else the window's DC
  WindowDc,   // the window's own device context (GetDCEx)
  Screen,     // what the screen shows over the window's visible rectangle
};

struct GrabOptions {
  CopySource source = CopySource::Automatic;
  // How long a target may take to answer before it counts as hung.
  UINT answerTimeoutMs = 2000;
  // The pointer, as the screen shows it, drawn into the image where it
  // lies over the captured rectangle.
  bool drawPointer = false;
};

// The rectangle a grab of `target` copies, in screen pixels: the window's
// visible rectangle where the screen is the source, else its outer one.
RECT GrabRect(HWND target, const GrabOptions& options = {});

// Raises `target` to the top, has it repaint, copies it into a new capture
// image in the screen's format and puts its stacking back as it was. Every
// pixel of the window that lies on a monitor lands at its own offset; the
// parts on no monitor are the window's own rendering where the compositor
// offers it, else black (kOffScreenFill).
// Throws "Canvas does not allow drawing" without a device context.
CaptureImage GrabWindowImage(HWND target, const GrabOptions& options = {});
// The same, with `answers` from TargetAnswers asked beforehand: a target
// that did not answer is raised and put back without waiting for it, and
// is not sent WM_PAINT.
CaptureImage GrabWindowImage(HWND target, const GrabOptions& options, bool answers);

// Whether the target's thread answers a message within `timeoutMs`. A hung
// target cannot hold the grab.
bool TargetAnswers(HWND target, UINT timeoutMs);

// The colour of a window's parts that lie on no monitor, where the system
// cannot render them.
inline constexpr COLORREF kOffScreenFill = RGB(0, 0, 0);

// What the screen shows over the bounding rectangle of `parts` (screen
// pixels): each part from the screen at its own offset, the rest of the
// rectangle kOffScreenFill. Nothing is raised, activated or sent a message,
// so menus and other popups stay open. Empty when `parts` has no area.
CaptureImage GrabScreenParts(const std::vector<RECT>& parts, const GrabOptions& options = {});

// Draws the pointer as the screen shows it into `dc`, whose pixel (0, 0) is
// the screen point `origin`; nothing while the pointer is hidden.
void DrawPointer(HDC dc, POINT origin);
// The title, program and local time of a capture of `target`, read
// without a message to it (a hung window cannot hold the capture); a text
// that cannot be read is empty.
CapturedWindow DescribeWindow(HWND target);

// The program's windows that a grab hides and shows again.
struct ProgramWindows {
  HWND mainWindow;
  HWND applicationWindow;
  // How they are shown again: SW_SHOWNOACTIVATE leaves the keyboard with
  // the window the user works in.
  int showCommand = SW_SHOW;
};

// Hands a grabbed, non-empty image on (to a file, the clipboard, ...)
// while the program's windows are still hidden.
using DeliverCapture = std::function<void(const CapturedWindow& window)>;

// The whole capture: hide the program's windows, grab `target` into
// `image`, hand it with the window's description to `deliver`, show the
// windows again (also when the grab or the delivery fails). A target that
// no longer exists, or has no area, is not grabbed.
void CaptureWindow(HWND target, const ProgramWindows& windows, CaptureImage& image, const DeliverCapture& deliver,
                   const GrabOptions& options = {});

// The frame of every capture: hide the program's windows, fill `image` by
// `grab`, hand it to `deliver` as `window` unless it is empty, show the
// windows that were shown again (also when the grab or the delivery fails).
void CaptureWithWindowsHidden(const ProgramWindows& windows, CaptureImage& image, const CapturedWindow& window,
                              const std::function<CaptureImage()>& grab, const DeliverCapture& deliver);

}  // namespace tessory
