// The main window's hint and the target picker's decisions.
#pragma once

#include <cstdint>
#include <string>

namespace tessory {

// "Capture to: " with the route word of `saveOption`, and for the file
// routes the type suffix of `imageType`: "Capture to: Autosave File [JPG]".
std::string CaptureHint(std::int32_t saveOption, std::int32_t imageType);

// Whether a release at (x, y), measured from the target icon's top-left
// corner, lies over the main window itself: 0 <= x <= clientWidth and
// 0 <= y <= clientHeight, both bounds inclusive.
bool IsReleaseOverWindow(int x, int y, int clientWidth, int clientHeight);

}  // namespace tessory
