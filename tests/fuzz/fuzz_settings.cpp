// Loading the settings over a registry stand-in whose values have fuzzed
// types, sizes and bytes: every load either succeeds or raises the
// registry layer's error, never reads past a value, and loads a value that
// reads cleanly whatever the values before it hold.
#include <string>

#include "settings/settings.h"
#include "framework/error.h"
#include "fuzz/fuzz_support.h"
#include "support/fake_window.h"
#include "support/memory_registry.h"

using namespace tessory;

namespace {

RegistryValue FuzzedValue(fuzz::InputBytes& input) {
  RegistryValue value;
  value.type = static_cast<RegistryType>(input.Next() % 5);
  value.size = input.Next();
  if (input.Next() & 1) value.size |= 0xFFFFFF00u;  // sizes far beyond the data
  for (int shift = 0; shift < 32; shift += 8) value.integer |= static_cast<std::int32_t>(input.Next()) << shift;
  for (std::size_t length = input.Next() % 64; length > 0; --length) value.text += static_cast<char>(input.Next());
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputBytes input(data, size);
  test::MemoryRegistry registry;
  for (const StoredValue& value : kStoredValues) {
    if (input.Next() & 1) registry.PutRaw(value.name, FuzzedValue(input));
  }
  CaptureSettings settings;
  test::FakeWindow window;
  try {
    LoadSettings(registry, settings, window);
  } catch (const Error&) {
  }
  FUZZ_CHECK(!registry.IsOpen());
  const auto sound = registry.Values().find("Capture Sound");  // read whatever failed before it
  if (sound != registry.Values().end() &&
      (sound->second.type == RegistryType::String || sound->second.type == RegistryType::ExpandString)) {
    FUZZ_CHECK(settings.CaptureSound == (sound->second.size == 0 ? std::string() : sound->second.text));
  }
  return 0;
}
