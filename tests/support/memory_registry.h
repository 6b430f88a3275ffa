// An in-memory stand-in for one registry key, with a write that can be
// made to fail at a named value.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "settings/registry.h"

namespace tessory::test {

class MemoryRegistry final : public RegistryKeyStore {
 public:
  bool KeyExists() override { return exists_; }
  bool OpenKey(bool create) override;
  void CloseKey() override { open_ = false; }
  std::optional<RegistryValue> QueryValue(const std::string& name) override;
  bool SetValue(const std::string& name, const RegistryValue& value) override;

  // Test set-up and inspection.
  void PutInteger(const std::string& name, std::int32_t value);
  void PutString(const std::string& name, const std::string& text, RegistryType type = RegistryType::String);
  void PutRaw(const std::string& name, const RegistryValue& value);
  void FailWritesOf(const std::string& name) { failing_ = name; }
  void SetUnopenable() { unopenable_ = true; }
  const std::map<std::string, RegistryValue>& Values() const { return values_; }
  const std::vector<std::string>& WriteOrder() const { return writeOrder_; }
  // Each value written, in the order written, as "name dword 3" or
  // "name sz text".
  std::vector<std::string> WrittenValues() const;
  bool IsOpen() const { return open_; }

 private:
  bool exists_ = false;
  bool open_ = false;
  bool unopenable_ = false;
  std::string failing_;
  std::map<std::string, RegistryValue> values_;
  std::vector<std::string> writeOrder_;
};

}  // namespace tessory::test
