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

const char* TypeSuffix(ImageKind type) {
  switch (type) {
    case ImageKind::Bitmap: return " [BMP]";
    case ImageKind::Jpeg: return " [JPG]";
    case ImageKind::Gif: return " [GIF]";
    case ImageKind::Png: return " [PNG]";
    case ImageKind::PromptAtSave: break;  // names no format yet
  }
  return "";
}

}  // namespace

std::string CaptureHint(std::optional<SaveRoute> route, std::optional<ImageKind> type) {
  std::string hint = "Capture to: ";
  if (route) hint += RouteWord(*route);
  // The clipboard takes no file format.
  if (route != SaveRoute::CopyToClipboard && type) hint += TypeSuffix(*type);
  return hint;
}

std::string HintWithActiveWindowHotkey(const std::string& hint, const std::string& hotkeyName) {
  if (hotkeyName.empty()) return hint;
  return hint + " (" + hotkeyName + ": active window)";
}

bool IsReleaseOverWindow(int x, int y, int clientWidth, int clientHeight) {
  return x >= 0 && x <= clientWidth && y >= 0 && y <= clientHeight;
}

}  // namespace tessory
