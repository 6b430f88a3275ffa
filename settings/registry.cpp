#include "settings/registry.h"

#include <cwchar>

#include "framework/error.h"
#include "framework/utf8.h"

namespace tessory {
namespace {

[[noreturn]] void FailRead(const char* pattern, const std::string& name) {
  throw ERegistryException(FormatText(pattern, name));
}

}  // namespace

bool RegistryReader::ValueExists(const std::string& name) { return store_.QueryValue(name).has_value(); }

std::int32_t RegistryReader::ReadInteger(const std::string& name) {
  const std::optional<RegistryValue> value = store_.QueryValue(name);
  // The data is read into a four-byte buffer first, so longer data fails
  // before its type is looked at.
  if (!value || value->size > 4) FailRead("Failed to get data for '%s'", name);
  if (value->type != RegistryType::Integer) FailRead("Invalid data type for '%s'", name);
  return value->integer;
}

std::string RegistryReader::ReadString(const std::string& name) {
  const std::optional<RegistryValue> value = store_.QueryValue(name);
  if (!value || value->size == 0) return {};
  if (value->type != RegistryType::String && value->type != RegistryType::ExpandString) {
    FailRead("Invalid data type for '%s'", name);
  }
  return value->text;
}

void WriteInteger(RegistryKeyStore& store, const std::string& name, std::int32_t value) {
  if (!store.SetValue(name, {RegistryType::Integer, 4, value, {}})) {
    throw ERegistryException(FormatText("Failed to set data for '%s'", name));
  }
}

void WriteBool(RegistryKeyStore& store, const std::string& name, bool value) {
  WriteInteger(store, name, value ? 1 : 0);
}

void WriteString(RegistryKeyStore& store, const std::string& name, const std::string& value) {
  if (!store.SetValue(name, {RegistryType::String, StoredStringSize(value), 0, value})) {
    throw ERegistryException(FormatText("Failed to set data for '%s'", name));
  }
}

std::uint32_t StoredStringSize(const std::string& text) {
  // Registry text is UTF-16 with a terminating NUL: code points beyond the
  // basic plane take two units.
  const std::wstring wide = Widen(text);
  std::size_t units = wide.size();
#if WCHAR_MAX > 0xFFFF
  for (wchar_t c : wide) units += c > 0xFFFF ? 1 : 0;
#endif
  return static_cast<std::uint32_t>((units + 1) * 2);
}

}  // namespace tessory
