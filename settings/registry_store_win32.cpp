#include "settings/registry_store_win32.h"

#include <vector>

#include "framework/utf8.h"

namespace tessory {
namespace {

// Registry paths are relative to their root; a leading "\" only says so.
std::wstring RelativePath(const std::string& path) {
  std::wstring wide = Widen(path);
  while (!wide.empty() && wide.front() == L'\\') wide.erase(0, 1);
  return wide;
}

RegistryType TypeOf(DWORD type) {
  switch (type) {
    case REG_SZ: return RegistryType::String;
    case REG_EXPAND_SZ: return RegistryType::ExpandString;
    case REG_DWORD: return RegistryType::Integer;
    case REG_BINARY: return RegistryType::Binary;
    default: return RegistryType::Other;
  }
}

// Text data as stored: UTF-16, terminated or not, possibly of odd length.
std::string TextOf(const std::vector<BYTE>& data) {
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  std::copy(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(text.size() * sizeof(wchar_t)),
            reinterpret_cast<BYTE*>(text.data()));
  if (const auto end = text.find(L'\0'); end != std::wstring::npos) text.resize(end);
  return Narrow(text);
}

}  // namespace

Win32RegistryStore::Win32RegistryStore(HKEY root, const std::string& path) : root_(root), path_(RelativePath(path)) {}

bool Win32RegistryStore::KeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  const UniqueHkey opened(key);  // only opened to see that it opens
  return true;
}

bool Win32RegistryStore::OpenKey(bool create) {
  key_.reset();
  HKEY key = nullptr;
  const REGSAM access = KEY_READ | KEY_WRITE;
  const LONG result = create ? RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                               nullptr, &key, nullptr)
                             : RegOpenKeyExW(root_, path_.c_str(), 0, access, &key);
  if (result != ERROR_SUCCESS) return false;
  key_.reset(key);
  return true;
}

std::optional<RegistryValue> Win32RegistryStore::QueryValue(const std::string& name) {
  if (!key_) return std::nullopt;
  const std::wstring wideName = Widen(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key_.get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<BYTE> data(size);
  // The value may change between the two calls: read what is there now.
  for (LONG result;;) {
    DWORD got = static_cast<DWORD>(data.size());
    result = RegQueryValueExW(key_.get(), wideName.c_str(), nullptr, &type, data.data(), &got);
    if (result == ERROR_MORE_DATA) {
      data.resize(got);
      continue;
    }
    if (result != ERROR_SUCCESS) return std::nullopt;
    data.resize(got);
    break;
  }
  RegistryValue value;
  value.type = TypeOf(type);
  value.size = static_cast<std::uint32_t>(data.size());
  if (value.type == RegistryType::Integer) {
    std::uint32_t integer = 0;
    std::copy(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(data.size(), 4)),
              reinterpret_cast<BYTE*>(&integer));
    value.integer = static_cast<std::int32_t>(integer);
  } else if (value.type == RegistryType::String || value.type == RegistryType::ExpandString) {
    value.text = TextOf(data);
  }
  return value;
}

bool Win32RegistryStore::SetValue(const std::string& name, const RegistryValue& value) {
  if (!key_) return false;
  const std::wstring wideName = Widen(name);
  LONG result;
  if (value.type == RegistryType::Integer) {
    const DWORD data = static_cast<DWORD>(value.integer);
    result = RegSetValueExW(key_.get(), wideName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof data);
  } else {
    const std::wstring text = Widen(value.text);
    result = RegSetValueExW(key_.get(), wideName.c_str(), 0,
                            value.type == RegistryType::ExpandString ? REG_EXPAND_SZ : REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  return result == ERROR_SUCCESS;
}

}  // namespace tessory
