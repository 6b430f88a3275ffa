// The window grab: the picked window's image, frame and title bar included,
// taken while the program's own windows are hidden, then delivered.
#pragma once

#include <windows.h>

#include "app/delivery.h"
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
};

// Raises `target` to the top, has it repaint, copies it into a new capture
// image in the screen's format and puts its stacking back as it was.
// Throws "Canvas does not allow drawing" without a device context.
CaptureImage GrabWindowImage(HWND target, const GrabOptions& options = {});

// The program's windows that a grab hides and shows again.
struct ProgramWindows {
  HWND mainWindow;
  HWND applicationWindow;
};

// The whole capture: hide the program's windows, grab `target` into
// `image`, deliver it by `saveOption`, show the windows again (also when
// the grab or the delivery fails). A target that no longer exists, or has
// no area, is not grabbed.
void CaptureWindow(HWND target, const ProgramWindows& windows, CaptureImage& image, CaptureDelivery& delivery,
                   std::int32_t saveOption, const GrabOptions& options = {});

}  // namespace tessory
