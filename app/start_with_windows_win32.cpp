#include "app/start_with_windows_win32.h"

#include <windows.h>

#include "framework/error.h"
#include "framework/handles_win32.h"

namespace tessory {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValueName[] = L"Tessory";

std::wstring ThisProgram() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

UniqueHkey OpenRunKey(REGSAM access) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, access, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return UniqueHkey();
  }
  return UniqueHkey(key);
}

[[noreturn]] void FailedToSet() { throw Error("Failed to set data for 'Tessory'"); }

}  // namespace

std::wstring StartCommandFor(const std::wstring& programPath) { return L"\"" + programPath + L"\" --background"; }

std::optional<std::wstring> StoredStartCommand() {
  UniqueHkey key = OpenRunKey(KEY_READ);
  DWORD type = 0, bytes = 0;
  if (!key || RegQueryValueExW(key.get(), kValueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.get(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

bool StartsWithWindows() { return StoredStartCommand().has_value(); }

void SetStartWithWindows(bool on) {
  UniqueHkey key = OpenRunKey(KEY_READ | KEY_WRITE);
  if (!key) FailedToSet();
  if (!on) {
    const LSTATUS status = RegDeleteValueW(key.get(), kValueName);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) FailedToSet();
    return;
  }
  const std::wstring command = StartCommandFor(ThisProgram());
  if (RegSetValueExW(key.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS) {
    FailedToSet();
  }
}

void CorrectStartWithWindows() {
  const std::optional<std::wstring> stored = StoredStartCommand();
  if (stored && *stored != StartCommandFor(ThisProgram())) SetStartWithWindows(true);
}

}  // namespace tessory
