#include "app/delivery_platform_win32.h"

#include <commdlg.h>
#include <mmsystem.h>

#include <vector>

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
  // Room for long paths; the last chosen name is offered again.
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring initial = Widen(dialog.FileName);
  std::copy_n(initial.begin(), std::min(initial.size(), file.size() - 1), file.begin());
  const std::wstring filter = DialogFilter(dialog.Filter);
  const std::wstring title = Widen(dialog.Title);
  const std::wstring defaultExt = Widen(dialog.DefaultExt);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = defaultExt.c_str();
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetSaveFileNameW(&ofn)) return false;
  dialog.FileName = Narrow(file.data());
  return true;
}

void Win32DeliveryPlatform::PlaySoundFile(const std::string& path) {
  PlaySoundW(Widen(path).c_str(), nullptr, SND_FILENAME);
}

void Win32DeliveryPlatform::Beep() { MessageBeep(MB_ICONASTERISK); }

void Win32DeliveryPlatform::SetHourglass(bool busy) {
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

bool Win32DeliveryPlatform::FileExists(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Win32DeliveryPlatform::TempPath() { return SystemTempPath(); }

const ColorTable& Win32DeliveryPlatform::HalftonePalette() {
  if (!halftone_) halftone_ = ScreenHalftonePalette();
  return *halftone_;
}

}  // namespace tessory
