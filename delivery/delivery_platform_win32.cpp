#include "delivery/delivery_platform_win32.h"

#include <commdlg.h>
#include <mmsystem.h>

#include "framework/file_dialog_win32.h"
#include "framework/utf8.h"
#include "imaging/screen_bitmap_win32.h"

namespace tessory {

std::wstring DialogFilter(const std::string& filter) {
  std::wstring wide = Widen(filter);
  for (wchar_t& c : wide) {
    if (c == L'|') c = L'\0';
  }
  wide.push_back(L'\0');
  wide.push_back(L'\0');
  return wide;
}

std::string SystemTempPath() {
  wchar_t buffer[1024];
  const DWORD length = GetTempPathW(1023, buffer);
  if (length == 0 || length > 1023) return {};
  return Narrow(std::wstring(buffer, length));
}

bool Win32DeliveryPlatform::ExecuteSaveDialog(SaveDialogState& dialog) {
  const std::wstring filter = DialogFilter(dialog.Filter);
  const std::wstring title = Widen(dialog.Title);
  const std::wstring defaultExt = Widen(dialog.DefaultExt);
  // The last chosen name is offered again.
  const std::optional<std::wstring> chosen =
      AskSaveFileName({owner_, filter.c_str(), title.c_str(), defaultExt.c_str(),
                       OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST, Widen(dialog.FileName)});
  if (!chosen) return false;
  dialog.FileName = Narrow(*chosen);
  return true;
}

void Win32DeliveryPlatform::PlaySoundFile(const std::string& path) {
  PlaySoundW(Widen(path).c_str(), nullptr, SND_FILENAME);
}

void Win32DeliveryPlatform::Beep() { MessageBeep(MB_ICONASTERISK); }

void Win32DeliveryPlatform::SetHourglass(bool busy) {
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

bool Win32DeliveryPlatform::NameTaken(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Win32DeliveryPlatform::TempPath() { return SystemTempPath(); }

const ColorTable& Win32DeliveryPlatform::HalftonePalette() {
  if (!halftone_) halftone_ = ScreenHalftonePalette();
  return *halftone_;
}

}  // namespace tessory
