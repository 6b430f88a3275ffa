// The settings key in the real registry.
#pragma once

#include <windows.h>

#include <string>

#include "settings/registry.h"
#include "framework/handles_win32.h"

namespace tessory {

// The program's key under HKEY_CURRENT_USER.
inline constexpr char kSettingsKeyPath[] = "\\Software\\Morrowlin, Inc.\\Tessory";

// One registry key, opened with KEY_READ | KEY_WRITE. The path may start
// with "\" (a path from the root). Tests pass a throwaway key.
class Win32RegistryStore final : public RegistryKeyStore {
 public:
  Win32RegistryStore(HKEY root, const std::string& path);
  bool KeyExists() override;
  bool OpenKey(bool create) override;
  void CloseKey() override { key_.reset(); }
  std::optional<RegistryValue> QueryValue(const std::string& name) override;
  bool SetValue(const std::string& name, const RegistryValue& value) override;

 private:
  HKEY root_;
  std::wstring path_;
  UniqueHkey key_;
};

}  // namespace tessory
