#include "settings/settings.h"

#include <vector>

#include "framework/error.h"

namespace tessory {

std::optional<SaveRoute> AsSaveRoute(std::int32_t value) {
  if (value < 0 || value > static_cast<std::int32_t>(SaveRoute::AutoSave)) return std::nullopt;
  return static_cast<SaveRoute>(value);
}

std::optional<ImageKind> AsImageKind(std::int32_t value) {
  if (value < 0 || value > static_cast<std::int32_t>(ImageKind::PromptAtSave)) return std::nullopt;
  return static_cast<ImageKind>(value);
}

ImageTypeValue ImageTypeValue::FromStored(std::int32_t stored) {
  ImageTypeValue value;
  value.kind_ = AsImageKind(stored);
  value.stored_ = stored;
  return value;
}

void SetDefaultSettings(CaptureSettings& settings, std::int32_t& counter, const std::string& systemTempPath) {
  settings = CaptureSettings{};
  settings.TempFolder = systemTempPath;
  counter = 0;
}

namespace {

// Closes the key on every way out of a load or a store.
class OpenKeyScope {
 public:
  OpenKeyScope(RegistryKeyStore& store, bool create) : store_(store) { store_.OpenKey(create); }
  ~OpenKeyScope() { store_.CloseKey(); }
  OpenKeyScope(const OpenKeyScope&) = delete;
  OpenKeyScope& operator=(const OpenKeyScope&) = delete;

 private:
  RegistryKeyStore& store_;
};

// The name under which the main window's `value` is stored.
const char* NameOf(WindowValue value) {
  for (const StoredValue& stored : kStoredValues) {
    if (const WindowValue* held = std::get_if<WindowValue>(&stored.field); held && *held == value) return stored.name;
  }
  return "";
}

// Reads the values that are stored, one at a time, into the settings and
// the window. A value that cannot be read leaves its target as it was, and
// its error waits until the others have been read: one wrongly typed value
// costs the user no other setting.
class ValueLoader {
 public:
  ValueLoader(RegistryKeyStore& store, CaptureSettings& settings, MainWindowValues& window)
      : reg_(store), settings_(settings), window_(window) {}

  void Load(const StoredValue& value) {
    std::visit([&](auto field) { LoadInto(value.name, field); }, value.field);
  }

  // The values that could not be read, as one error of a line each.
  void ThrowFailures() const {
    if (failures_.empty()) return;
    std::string text = failures_.front();
    for (std::size_t i = 1; i < failures_.size(); ++i) text += "\n" + failures_[i];
    throw ERegistryException(text);
  }

 private:
  template <typename Field>
  void LoadInto(const char* name, Field CaptureSettings::*field) {
    Read(name, settings_.*field);
  }
  // A position applies only with both coordinates stored and read.
  void LoadInto(const char* name, WindowValue value) {
    switch (value) {
      case WindowValue::Left:
        positionStored_ = reg_.ValueExists(name) && reg_.ValueExists(NameOf(WindowValue::Top));
        haveLeft_ = positionStored_ && Read(name, left_);
        break;
      case WindowValue::Top:
        if (positionStored_ && Read(name, top_) && haveLeft_) {
          window_.SetLeft(left_);
          window_.SetTop(top_);
        }
        break;
      case WindowValue::OptionsDown:
        if (bool down = false; Read(name, down)) window_.SetOptionsDown(down);
        break;
    }
  }

  // Each is true when the value was stored and has been read into `target`.
  bool Read(const char* name, std::int32_t& target) {
    return Try(name, [&] { target = reg_.ReadInteger(name); });
  }
  bool Read(const char* name, ImageTypeValue& target) {
    return Try(name, [&] { target = ImageTypeValue::FromStored(reg_.ReadInteger(name)); });
  }
  bool Read(const char* name, bool& target) {
    return Try(name, [&] { target = reg_.ReadBool(name); });
  }
  bool Read(const char* name, std::string& target) {
    return Try(name, [&] { target = reg_.ReadString(name); });
  }

  template <typename ReadValue>
  bool Try(const char* name, ReadValue read) {
    if (!reg_.ValueExists(name)) return false;
    try {
      read();
      return true;
    } catch (const ERegistryException& error) {
      failures_.push_back(error.what());
      return false;
    }
  }

  RegistryReader reg_;
  CaptureSettings& settings_;
  MainWindowValues& window_;
  bool positionStored_ = false, haveLeft_ = false;
  std::int32_t left_ = 0, top_ = 0;
  std::vector<std::string> failures_;
};

// Writes one value as its field's registry type.
class ValueStorer {
 public:
  ValueStorer(RegistryKeyStore& store, const CaptureSettings& settings, const MainWindowValues& window)
      : store_(store), settings_(settings), window_(window) {}

  void Store(const StoredValue& value) {
    std::visit([&](auto field) { StoreFrom(value.name, field); }, value.field);
  }

 private:
  template <typename Field>
  void StoreFrom(const char* name, Field CaptureSettings::*field) {
    Write(name, settings_.*field);
  }
  void StoreFrom(const char* name, WindowValue value) {
    switch (value) {
      case WindowValue::Left: Write(name, static_cast<std::int32_t>(window_.Left())); break;
      case WindowValue::Top: Write(name, static_cast<std::int32_t>(window_.Top())); break;
      case WindowValue::OptionsDown: Write(name, window_.OptionsDown()); break;
    }
  }

  void Write(const char* name, std::int32_t value) { WriteInteger(store_, name, value); }
  void Write(const char* name, ImageTypeValue value) { WriteInteger(store_, name, value.Stored()); }
  void Write(const char* name, bool value) { WriteBool(store_, name, value); }
  void Write(const char* name, const std::string& value) { WriteString(store_, name, value); }

  RegistryKeyStore& store_;
  const CaptureSettings& settings_;
  const MainWindowValues& window_;
};

}  // namespace

void LoadSettings(RegistryKeyStore& store, CaptureSettings& settings, MainWindowValues& window) {
  if (!store.KeyExists()) return;
  OpenKeyScope key(store, false);
  ValueLoader loader(store, settings, window);
  for (const StoredValue& value : kStoredValues) loader.Load(value);
  loader.ThrowFailures();
}

void SaveSettings(RegistryKeyStore& store, const CaptureSettings& settings, const MainWindowValues& window) {
  OpenKeyScope key(store, true);
  ValueStorer storer(store, settings, window);
  for (const StoredValue& value : kStoredValues) storer.Store(value);
}

}  // namespace tessory
