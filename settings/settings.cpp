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

// Reads the values that are stored, one at a time. A value that cannot be
// read leaves its target as it was, and its error waits until the others
// have been read: one wrongly typed value costs the user no other setting.
class ValueLoader {
 public:
  explicit ValueLoader(RegistryKeyStore& store) : reg_(store) {}

  bool Exists(const char* name) { return reg_.ValueExists(name); }
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

  // The values that could not be read, as one error of a line each.
  void ThrowFailures() const {
    if (failures_.empty()) return;
    std::string text = failures_.front();
    for (std::size_t i = 1; i < failures_.size(); ++i) text += "\n" + failures_[i];
    throw ERegistryException(text);
  }

 private:
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
  std::vector<std::string> failures_;
};

}  // namespace

void LoadSettings(RegistryKeyStore& store, CaptureSettings& settings, MainWindowValues& window) {
  using namespace values;
  if (!store.KeyExists()) return;
  OpenKeyScope key(store, false);
  ValueLoader loader(store);

  if (loader.Exists(kLastXPos) && loader.Exists(kLastYPos)) {
    std::int32_t left = 0, top = 0;
    const bool haveLeft = loader.Read(kLastXPos, left);
    const bool haveTop = loader.Read(kLastYPos, top);
    if (haveLeft && haveTop) {
      window.SetLeft(left);
      window.SetTop(top);
    }
  }
  loader.Read(kSaveOption, settings.SaveOption);
  loader.Read(kImageQuality, settings.ImageQuality);
  loader.Read(kImageType, settings.ImageType);
  if (bool down = false; loader.Read(kShowOptions, down)) window.SetOptionsDown(down);
  loader.Read(kTempFolder, settings.TempFolder);
  loader.Read(kSequentialFileNames, settings.SequentialFileNames);
  loader.Read(kBaseFileName, settings.BaseFileName);
  loader.Read(kCaptureSound, settings.CaptureSound);
  loader.Read(kHotkeyActiveWindow, settings.HotkeyActiveWindow);
  loader.Read(kHotkeyPointerWindow, settings.HotkeyPointerWindow);
  loader.Read(kHotkeyKeyboardPick, settings.HotkeyKeyboardPick);
  loader.Read(kCaptureDelay, settings.CaptureDelay);
  loader.Read(kCapturePointer, settings.CapturePointer);
  loader.Read(kFileNamePattern, settings.FileNamePattern);
  loader.Read(kCopyImageAfterSave, settings.CopyImageAfterSave);
  loader.Read(kCopyFileAfterSave, settings.CopyFileAfterSave);
  loader.Read(kCopyPathAfterSave, settings.CopyPathAfterSave);
  loader.Read(kNotifyAfterSave, settings.NotifyAfterSave);
  loader.ThrowFailures();
}

void SaveSettings(RegistryKeyStore& store, const CaptureSettings& settings, const MainWindowValues& window) {
  using namespace values;
  OpenKeyScope key(store, true);
  WriteInteger(store, kLastXPos, window.Left());
  WriteInteger(store, kLastYPos, window.Top());
  WriteInteger(store, kSaveOption, settings.SaveOption);
  WriteInteger(store, kImageQuality, settings.ImageQuality);
  WriteInteger(store, kImageType, settings.ImageType.Stored());
  WriteBool(store, kShowOptions, window.OptionsDown());
  WriteString(store, kTempFolder, settings.TempFolder);
  WriteBool(store, kSequentialFileNames, settings.SequentialFileNames);
  WriteString(store, kBaseFileName, settings.BaseFileName);
  WriteString(store, kCaptureSound, settings.CaptureSound);
  WriteInteger(store, kHotkeyActiveWindow, settings.HotkeyActiveWindow);
  WriteInteger(store, kHotkeyPointerWindow, settings.HotkeyPointerWindow);
  WriteInteger(store, kHotkeyKeyboardPick, settings.HotkeyKeyboardPick);
  WriteInteger(store, kCaptureDelay, settings.CaptureDelay);
  WriteBool(store, kCapturePointer, settings.CapturePointer);
  WriteString(store, kFileNamePattern, settings.FileNamePattern);
  WriteBool(store, kCopyImageAfterSave, settings.CopyImageAfterSave);
  WriteBool(store, kCopyFileAfterSave, settings.CopyFileAfterSave);
  WriteBool(store, kCopyPathAfterSave, settings.CopyPathAfterSave);
  WriteBool(store, kNotifyAfterSave, settings.NotifyAfterSave);
}

}  // namespace tessory
