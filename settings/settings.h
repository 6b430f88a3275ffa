// The capture settings record, its defaults and its registry store.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "settings/image_kinds.h"
#include "settings/registry.h"

namespace tessory {

// Delivery route: what a "Save Option" value means.
enum class SaveRoute : std::int32_t { CopyToClipboard = 0, AskFileName = 1, AutoSave = 2 };

// The stored numbers decoded, here and nowhere else; none for a number
// outside the enumeration (such a number is kept as stored, and means
// nothing to the code that acts on it).
std::optional<SaveRoute> AsSaveRoute(std::int32_t value);
std::optional<ImageKind> AsImageKind(std::int32_t value);

// An "Image Type" value: the image kind it names, decoded once, and the
// number as stored. A number stored by hand that names no kind has no kind,
// and is stored again unchanged.
class ImageTypeValue {
 public:
  constexpr ImageTypeValue() = default;
  constexpr ImageTypeValue(ImageKind kind) : kind_(kind), stored_(static_cast<std::int32_t>(kind)) {}
  static ImageTypeValue FromStored(std::int32_t stored);

  constexpr std::optional<ImageKind> Kind() const { return kind_; }
  constexpr std::int32_t Stored() const { return stored_; }
  constexpr bool operator==(const ImageTypeValue&) const = default;

 private:
  std::optional<ImageKind> kind_ = ImageKind::Bitmap;
  std::int32_t stored_ = 0;
};

// Everything that steers a capture. The main window owns the program's one
// record; the options dialog and the delivery routes are handed it by
// reference. Numbers stay plain integers, and the image type keeps its
// stored number: values stored by hand outside the enumerations' ranges
// must survive a load and a store unchanged. The initial values here are
// the defaults, the one place they are written.
struct CaptureSettings {
  std::int32_t SaveOption = 0;
  ImageTypeValue ImageType;       // Windows bitmap
  std::int32_t ImageQuality = 3;  // colour-depth index 1-4 (bitmap) or JPEG quality
  std::string TempFolder;         // folder of auto-saved files
  bool SequentialFileNames = false;
  std::string BaseFileName;       // empty means "CAP" at use
  std::string CaptureSound;       // WAV path; empty means the system beep
  // Capture without the drag (capture/hotkeys.h): each hotkey's virtual-key code
  // in the low byte, its modifier flags (shift 1, control 2, alt 4) in the
  // next; 0 for none.
  std::int32_t HotkeyActiveWindow = 0x042C;   // Alt+PrtScn
  std::int32_t HotkeyPointerWindow = 0x062C;  // Ctrl+Alt+PrtScn
  std::int32_t HotkeyKeyboardPick = 0;
  std::int32_t CaptureDelay = 0;  // seconds of countdown before a capture, 0 to 10
  bool CapturePointer = false;    // draw the pointer into hotkey and countdown captures
  std::string FileNamePattern;    // fields such as {title} make the names; empty: base and number
  // What follows a saved file, on both file routes.
  bool CopyImageAfterSave = false;  // the image on the clipboard too
  bool CopyFileAfterSave = false;   // the file, as Explorer pastes it
  bool CopyPathAfterSave = false;   // the file's full path as text
  bool NotifyAfterSave = false;     // a notice that opens the folder
  bool ShowInTray = false;          // an icon in the notification area; closing hides the window there

  bool operator==(const CaptureSettings&) const = default;
};

// The longest countdown before a capture, in seconds.
inline constexpr int kMaxCaptureDelay = 10;

// Sets every field to its default (a fresh CaptureSettings), TempFolder to
// the system temporary folder and the counter to 0.
void SetDefaultSettings(CaptureSettings& settings, std::int32_t& counter, const std::string& systemTempPath);

// The values the main window holds itself but keeps under the same key.
class MainWindowValues {
 public:
  virtual ~MainWindowValues() = default;
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual void SetLeft(int left) = 0;
  virtual void SetTop(int top) = 0;
  virtual bool OptionsDown() const = 0;
  virtual void SetOptionsDown(bool down) = 0;
};

// The values the main window keeps under the settings key.
enum class WindowValue { Left, Top, OptionsDown };

// One value under the settings key and what it holds. Its registry type
// follows the field's: REG_DWORD for numbers and image types, REG_DWORD 0
// or 1 for flags (and the Options button's state), REG_SZ for text.
struct StoredValue {
  const char* name;
  std::variant<std::int32_t CaptureSettings::*, ImageTypeValue CaptureSettings::*, bool CaptureSettings::*,
               std::string CaptureSettings::*, WindowValue>
      field;
};

// Every value under the settings key, in the order they are read and
// written.
inline constexpr std::array<StoredValue, 21> kStoredValues{{
    {"Last X-Pos", WindowValue::Left},
    {"Last Y-Pos", WindowValue::Top},
    {"Save Option", &CaptureSettings::SaveOption},
    {"Image Quality", &CaptureSettings::ImageQuality},
    {"Image Type", &CaptureSettings::ImageType},
    {"Show Options", WindowValue::OptionsDown},
    {"Temp Folder", &CaptureSettings::TempFolder},
    {"Sequential File Names", &CaptureSettings::SequentialFileNames},
    {"Base File Name", &CaptureSettings::BaseFileName},
    {"Capture Sound", &CaptureSettings::CaptureSound},
    {"Hotkey Active Window", &CaptureSettings::HotkeyActiveWindow},
    {"Hotkey Pointer Window", &CaptureSettings::HotkeyPointerWindow},
    {"Hotkey Keyboard Pick", &CaptureSettings::HotkeyKeyboardPick},
    {"Capture Delay", &CaptureSettings::CaptureDelay},
    {"Capture Pointer", &CaptureSettings::CapturePointer},
    {"File Name Pattern", &CaptureSettings::FileNamePattern},
    {"Copy Image After Save", &CaptureSettings::CopyImageAfterSave},
    {"Copy File After Save", &CaptureSettings::CopyFileAfterSave},
    {"Copy Path After Save", &CaptureSettings::CopyPathAfterSave},
    {"Notify After Save", &CaptureSettings::NotifyAfterSave},
    {"Show In Tray", &CaptureSettings::ShowInTray},
}};

// Reads the stored values present into `settings` and `window`. A missing
// or unopenable key leaves every default. A value of the wrong type
// ("Invalid data type for '<name>'") or too long ("Failed to get data for
// '<name>'") keeps its default (a position applies only with both
// coordinates read), and every other value is still read; then one error
// tells of all such values, a line each, in the order they were read.
void LoadSettings(RegistryKeyStore& store, CaptureSettings& settings, MainWindowValues& window);

// Writes every value in its order, creating the key if needed. A
// failing write stops with "Failed to set data for '<name>'"; the values
// after it are not written.
void SaveSettings(RegistryKeyStore& store, const CaptureSettings& settings, const MainWindowValues& window);

}  // namespace tessory
