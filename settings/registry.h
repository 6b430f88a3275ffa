// The registry layer: typed reads and writes of one key's values over a
// raw key store, with the checks and messages of the settings store.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessory {

enum class RegistryType { String, ExpandString, Integer, Binary, Other };

// A stored value as the registry reports it.
struct RegistryValue {
  RegistryType type = RegistryType::Other;
  std::uint32_t size = 0;     // bytes of data as stored
  std::int32_t integer = 0;   // the first four bytes, for Integer
  std::string text;           // for String and ExpandString, unexpanded
};

// One key of the current user's registry (or a stand-in for it).
class RegistryKeyStore {
 public:
  virtual ~RegistryKeyStore() = default;
  virtual bool KeyExists() = 0;
  // Opens the key, creating it and its path when `create` is set. The
  // outcome may be ignored: a key that is not open has no values.
  virtual bool OpenKey(bool create) = 0;
  virtual void CloseKey() = 0;
  virtual std::optional<RegistryValue> QueryValue(const std::string& name) = 0;
  // Stores an Integer or String value; false when the write fails.
  virtual bool SetValue(const std::string& name, const RegistryValue& value) = 0;
};

// Typed access with the registry layer's errors (ERegistryException).
class RegistryReader {
 public:
  explicit RegistryReader(RegistryKeyStore& store) : store_(store) {}
  bool ValueExists(const std::string& name);
  // An integer of at most four bytes stored as REG_DWORD.
  std::int32_t ReadInteger(const std::string& name);
  bool ReadBool(const std::string& name) { return ReadInteger(name) != 0; }
  // REG_SZ or REG_EXPAND_SZ, taken as it stands.
  std::string ReadString(const std::string& name);

 private:
  RegistryKeyStore& store_;
};

void WriteInteger(RegistryKeyStore& store, const std::string& name, std::int32_t value);
void WriteBool(RegistryKeyStore& store, const std::string& name, bool value);
void WriteString(RegistryKeyStore& store, const std::string& name, const std::string& value);

// Size in bytes of `text` stored as a NUL-terminated UTF-16 string.
std::uint32_t StoredStringSize(const std::string& text);

}  // namespace tessory
