#include "support/memory_registry.h"

namespace tessory::test {

bool MemoryRegistry::OpenKey(bool create) {
  if (unopenable_) return false;
  if (!exists_ && !create) return false;
  exists_ = open_ = true;
  return true;
}

std::optional<RegistryValue> MemoryRegistry::QueryValue(const std::string& name) {
  if (!open_) return std::nullopt;
  const auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

bool MemoryRegistry::SetValue(const std::string& name, const RegistryValue& value) {
  if (!open_ || name == failing_) return false;
  values_[name] = value;
  writeOrder_.push_back(name);
  return true;
}

void MemoryRegistry::PutInteger(const std::string& name, std::int32_t value) {
  PutRaw(name, {RegistryType::Integer, 4, value, {}});
}

void MemoryRegistry::PutString(const std::string& name, const std::string& text, RegistryType type) {
  PutRaw(name, {type, StoredStringSize(text), 0, text});
}

void MemoryRegistry::PutRaw(const std::string& name, const RegistryValue& value) {
  exists_ = true;
  values_[name] = value;
}

std::vector<std::string> MemoryRegistry::WrittenValues() const {
  std::vector<std::string> written;
  for (const std::string& name : writeOrder_) {
    const RegistryValue& value = values_.at(name);
    const bool text = value.type == RegistryType::String;
    written.push_back(name + (text ? " sz " + value.text : " dword " + std::to_string(value.integer)));
  }
  return written;
}

}  // namespace tessory::test
