#include "app/start_with_windows_win32.h"

#include <windows.h>

#include <optional>
#include <string>

#include "framework/application_win32.h"
#include "framework/error.h"
#include "framework/handles_win32.h"
#include "framework/utf8.h"

namespace tessory {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValueName[] = L"Tessory";

std::wstring ThisProgram() {
  return Widen(Application::ExecutablePath());
}

UniqueHkey OpenRunKey(REGSAM access) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, access, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return UniqueHkey();
  }
  return UniqueHkey(key);
}

[[noreturn]] void FailedToSet() {
  throw Error("Failed to set data for 'Tessory'");
}

// The Run value's text for the program at `programPath`.
std::wstring StartCommandFor(const std::wstring& programPath) {
  return L"\"" + programPath + L"\" --background";
}

// The Run value as stored, or none when there is no value.
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

}  // namespace

bool StartsWithWindows() {
  return StoredStartCommand().has_value();
}

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
