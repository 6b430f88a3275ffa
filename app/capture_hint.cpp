#include "app/capture_hint.h"

namespace tessory {
namespace {

const char* RouteWord(SaveRoute route) {
  switch (route) {
    case SaveRoute::CopyToClipboard: return "Clipboard";
    case SaveRoute::AskFileName: return "Named File";
    case SaveRoute::AutoSave: return "Autosave File";
  }
  return "";
}

}  // namespace

std::string CaptureHint(std::optional<SaveRoute> route, std::optional<ImageKind> type) {
  std::string hint = "Capture to: ";
  if (route) hint += RouteWord(*route);
  // The clipboard takes no file format.
  // "Prompt at save" names no format yet.
  if (const FileFormat* format = FileFormatOf(type); route != SaveRoute::CopyToClipboard && format) {
    hint += " [";
    hint += format->hintTag;
    hint += "]";
  }
  return hint;
}

std::string HintWithActiveWindowHotkey(const std::string& hint, const std::string& hotkeyName) {
  if (hotkeyName.empty()) return hint;
  return hint + " (" + hotkeyName + ": active window)";
}

std::string HintWithUntakenHotkeys(const std::string& hint, const std::vector<std::string>& hotkeyNames) {
  if (hotkeyNames.empty()) return hint;
  std::string warning = hotkeyNames.size() == 1 ? " - hotkey not available: " : " - hotkeys not available: ";
  for (std::size_t i = 0; i < hotkeyNames.size(); ++i) warning += (i > 0 ? ", " : "") + hotkeyNames[i];
  return hint + warning;
}

bool IsReleaseOverWindow(int x, int y, int clientWidth, int clientHeight) {
  return x >= 0 && x <= clientWidth && y >= 0 && y <= clientHeight;
}

}  // namespace tessory
