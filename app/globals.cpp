#include "app/globals.h"

namespace tessory {

std::optional<SaveRoute> AsSaveRoute(std::int32_t value) {
  if (value < 0 || value > static_cast<std::int32_t>(SaveRoute::AutoSave)) return std::nullopt;
  return static_cast<SaveRoute>(value);
}

std::optional<ImageKind> AsImageKind(std::int32_t value) {
  if (value < 0 || value > static_cast<std::int32_t>(ImageKind::PromptAtSave)) return std::nullopt;
  return static_cast<ImageKind>(value);
}

void SetDefaultSettings(CaptureSettings& settings, std::int32_t& counter, const std::string& systemTempPath) {
  settings.TempFolder = systemTempPath;
  settings.ImageQuality = 3;
  settings.SaveOption = 0;
  settings.ImageType = 0;
  settings.SequentialFileNames = false;
  counter = 0;
  settings.BaseFileName.clear();
  settings.CaptureSound.clear();
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

}  // namespace

void LoadSettings(RegistryKeyStore& store, CaptureSettings& settings, MainWindowValues& window) {
  using namespace values;
  if (!store.KeyExists()) return;
  OpenKeyScope key(store, false);
  RegistryReader reg(store);

  if (reg.ValueExists(kLastXPos) && reg.ValueExists(kLastYPos)) {
    window.SetLeft(reg.ReadInteger(kLastXPos));
    window.SetTop(reg.ReadInteger(kLastYPos));
  }
  if (reg.ValueExists(kSaveOption)) settings.SaveOption = reg.ReadInteger(kSaveOption);
  if (reg.ValueExists(kImageQuality)) settings.ImageQuality = reg.ReadInteger(kImageQuality);
  if (reg.ValueExists(kImageType)) settings.ImageType = reg.ReadInteger(kImageType);
  if (reg.ValueExists(kShowOptions)) window.SetOptionsDown(reg.ReadBool(kShowOptions));
  if (reg.ValueExists(kTempFolder)) settings.TempFolder = reg.ReadString(kTempFolder);
  if (reg.ValueExists(kSequentialFileNames)) settings.SequentialFileNames = reg.ReadBool(kSequentialFileNames);
  if (reg.ValueExists(kBaseFileName)) settings.BaseFileName = reg.ReadString(kBaseFileName);
  if (reg.ValueExists(kCaptureSound)) settings.CaptureSound = reg.ReadString(kCaptureSound);
}

void SaveSettings(RegistryKeyStore& store, const CaptureSettings& settings, const MainWindowValues& window) {
  using namespace values;
  OpenKeyScope key(store, true);
  WriteInteger(store, kLastXPos, window.Left());
  WriteInteger(store, kLastYPos, window.Top());
  WriteInteger(store, kSaveOption, settings.SaveOption);
  WriteInteger(store, kImageQuality, settings.ImageQuality);
  WriteInteger(store, kImageType, settings.ImageType);
  WriteBool(store, kShowOptions, window.OptionsDown());
  WriteString(store, kTempFolder, settings.TempFolder);
  WriteBool(store, kSequentialFileNames, settings.SequentialFileNames);
  WriteString(store, kBaseFileName, settings.BaseFileName);
  WriteString(store, kCaptureSound, settings.CaptureSound);
}

}  // namespace tessory
