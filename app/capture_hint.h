// The main window's hint and the target picker's decisions.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace tessory {

// "Capture to: " with the route word of `route`, and for the file routes
// the type suffix of `type`: "Capture to: Autosave File [JPG]". No route
// (a stored number outside the routes) has no word, and counts as a file
// route; no type and "Prompt at save" have no suffix.
std::string CaptureHint(std::optional<SaveRoute> route, std::optional<ImageKind> type);

// The hint with the active-window hotkey's name added, when there is one:
// "Capture to: Clipboard (Alt+PrtScn: active window)".
std::string HintWithActiveWindowHotkey(const std::string& hint, const std::string& hotkeyName);

// The hint with a warning naming the hotkeys that could not be taken, when
// there are any: "Capture to: Clipboard - hotkeys not available: Alt+PrtScn, F12".
std::string HintWithUntakenHotkeys(const std::string& hint, const std::vector<std::string>& hotkeyNames);

// Whether a release at (x, y), measured from the target icon's top-left
// corner, lies over the main window itself: 0 <= x <= clientWidth and
// 0 <= y <= clientHeight, both bounds inclusive.
bool IsReleaseOverWindow(int x, int y, int clientWidth, int clientHeight);

}  // namespace tessory
